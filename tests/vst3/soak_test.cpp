// Two host threads at once for a while: the processing thread runs blocks of random sizes with
// random automation (non-finite points among them), while the main thread works the controller
// and saves and restores state. Nothing may fail, no sample may be non-finite, and at the end
// every saved value must be a valid one. HALCYRA_VST3_SOAK_SECONDS sets the duration (60 is the
// full soak; CI runs a shorter one).

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <random>
#include <thread>

#include "effect/param_table.h"
#include "effect/state_chunk.h"
#include "tests/vst3/vst3_host.h"

#ifndef HALCYRA_VST3_SOAK_SECONDS
#define HALCYRA_VST3_SOAK_SECONDS 20
#endif

namespace halcyra_test {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr double kRate = 48000.0;
constexpr int32 kMaxBlock = 4096;

// A random normalized value, now and then one a careless host might send.
double RandomValue(std::mt19937& random) {
  switch (random() % 40) {
    case 0:
      return std::nan("");
    case 1:
      return INFINITY;
    case 2:
      return 1.5;
    case 3:
      return -0.5;
    default:
      return std::uniform_real_distribution<double>(0.0, 1.0)(random);
  }
}

ParamID RandomId(std::mt19937& random) {
  const uint32_t pick = random() % 140;
  if (pick < 128) return pick;
  if (pick < 136) return kBypassParamId;
  return 0x10001 + pick % 4;  // identifiers without a parameter
}

struct ProcessingReport {
  long blocks = 0;
  long refusedBlocks = 0;
  long nonFiniteSamples = 0;
};

void ProcessUntil(PluginInstance& plugin, const std::atomic<bool>& stop, ProcessingReport& report) {
  std::mt19937 random(7);
  const int32 sizes[] = {1, 32, 512, 1300, 4096};
  int32 start = 0;
  while (!stop.load()) {
    const int32 frames = random() % 3 ? sizes[random() % 5] : int32(1 + random() % kMaxBlock);
    AudioBlock block(frames, 2, 2, kSample32, 2);
    const std::vector<float> input = Sine(frames, 233.0, kRate, 0.5, start);
    for (int bus = 0; bus < 2; ++bus) {
      for (int c = 0; c < 2; ++c) block.SetInput(bus, c, input.data());
    }
    ParameterChanges changes;
    for (int q = int(random() % 6); q > 0; --q) {
      ParamValueQueue& queue = changes.Queue(RandomId(random));
      for (int p = int(random() % 4); p > 0; --p) queue.Add(int32(random() % frames), RandomValue(random));
    }
    block.Data().inputParameterChanges = &changes;
    ProcessContext context{};
    context.state = ProcessContext::kTempoValid | ProcessContext::kProjectTimeMusicValid |
                    (random() % 2 ? ProcessContext::kPlaying : 0);
    context.sampleRate = kRate;
    context.tempo = 60.0 + random() % 180;
    context.projectTimeSamples = start;
    context.projectTimeMusic = start / kRate * context.tempo / 60.0;
    block.Data().processContext = &context;

    if (plugin.processor->process(block.Data()) != kResultOk) ++report.refusedBlocks;
    for (int c = 0; c < 2; ++c) {
      for (float sample : block.OutputChannel(c)) report.nonFiniteSamples += std::isfinite(sample) ? 0 : 1;
    }
    ++report.blocks;
    start += frames;
  }
}

struct ControllerReport {
  long calls = 0;
  long failedStateCalls = 0;
  long nonFiniteReadBacks = 0;
};

void WorkTheController(PluginInstance& plugin, const std::atomic<bool>& stop, ControllerReport& report) {
  std::mt19937 random(11);
  std::vector<uint8_t> saved;
  while (!stop.load()) {
    const ParamID id = RandomId(random);
    switch (random() % 6) {
      case 0:
        plugin.controller->setParamNormalized(id, RandomValue(random));
        break;
      case 1: {
        String128 text;
        // Texts of values outside 0..1 are a controller test of their own; here only the threads matter.
        plugin.controller->getParamStringByValue(id, std::uniform_real_distribution<double>(0.0, 1.0)(random),
                                                 text);
        ParamValue parsed = 0.0;
        plugin.controller->getParamValueByString(id, text, parsed);
        break;
      }
      case 2: {
        ParameterInfo info;
        plugin.controller->getParameterInfo(int32(random() % 129), info);
        break;
      }
      case 3: {
        TestStream stream;
        if (plugin.component->getState(&stream) != kResultOk) ++report.failedStateCalls;
        saved = stream.Bytes();
        break;
      }
      case 4:
        if (!saved.empty()) {
          TestStream stream(saved);
          if (plugin.component->setState(&stream) != kResultOk) ++report.failedStateCalls;
        }
        break;
      default:
        break;
    }
    const double value = plugin.controller->getParamNormalized(id);
    if (!std::isfinite(value) || value < 0.0 || value > 1.0) ++report.nonFiniteReadBacks;
    ++report.calls;
  }
}

TEST(Vst3Soak, ProcessingAndControllerThreadsAtOnceStayValid) {
  PluginModule module(PluginDllPath());
  ASSERT_TRUE(module.Loaded());
  IPluginFactory* factory = module.GetFactory();
  ASSERT_NE(nullptr, factory);
  HostApplication host;
  RecordingComponentHandler handler;
  {
    PluginInstance plugin(factory, &host, &handler);
    ASSERT_TRUE(plugin.Ready());
    ASSERT_EQ(kResultOk, plugin.component->activateBus(kAudio, kInput, 1, true));
    ASSERT_TRUE(plugin.Start(kRate, kMaxBlock));

    std::atomic<bool> stop{false};
    ProcessingReport processing;
    ControllerReport controller;
    std::thread audio([&] { ProcessUntil(plugin, stop, processing); });
    std::thread main([&] { WorkTheController(plugin, stop, controller); });
    std::this_thread::sleep_for(std::chrono::seconds(HALCYRA_VST3_SOAK_SECONDS));
    stop = true;
    audio.join();
    main.join();

    ::testing::Test::RecordProperty("blocks", int(processing.blocks));
    ::testing::Test::RecordProperty("controllerCalls", int(controller.calls));
    EXPECT_GT(processing.blocks, 100);
    EXPECT_GT(controller.calls, 100);
    EXPECT_EQ(0, processing.refusedBlocks);
    EXPECT_EQ(0, processing.nonFiniteSamples);
    EXPECT_EQ(0, controller.failedStateCalls);
    EXPECT_EQ(0, controller.nonFiniteReadBacks);

    // Whatever came in, every stored value is a valid one.
    const std::vector<uint8_t> state = plugin.State();
    ASSERT_EQ(1048u, state.size());
    for (int i = 0; i < halcyra::kParamCount; ++i) {
      const halcyra::ParamDefinition& row = *halcyra::GetParamDefinition(i);
      for (size_t offset : {size_t(halcyra::kStateCurrentOffset), size_t(halcyra::kStateInactiveOffset)}) {
        float value = 0.0f;
        std::memcpy(&value, state.data() + offset + 4 * size_t(i), 4);
        EXPECT_TRUE(std::isfinite(value) && value >= row.minValue && value <= row.maxValue)
            << row.name << " holds " << value;
      }
    }
  }
  factory->release();
}

}  // namespace
}  // namespace halcyra_test
