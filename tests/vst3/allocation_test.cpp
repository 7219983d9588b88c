// The VST3 plug-in object linked into the test program instead of loaded, so that the program's
// counting allocator sees everything it allocates: creation, initialize and createView answer a
// result (never an exception, never half an object) whichever allocation fails, process and the
// processing switch allocate nothing on any of their roads, a refused bus arrangement leaves the
// channel connections as they were, and a block that arrives while a new set-up replaces the
// buffers touches none of them.

#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "effect/halcyra.h"
#include "effect/param_table.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/vstspeaker.h"
#include "tests/core/counting_allocator.h"
#include "tests/effect/whole_plugin.h"
#include "tests/vst3/vst3_host.h"
#include "vst3/module_factory.h"

namespace halcyra_test {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using plugfw::IODirection;
using plugfw::test::AllocationCounter;
using plugfw::test::WithEachAllocationFailing;

constexpr double kRate = 48000.0;
constexpr int32 kMaxBlock = 2048;

struct Created {
  tresult answer = kResultFalse;
  IAudioProcessor* processor = nullptr;
};

// Through the module's own factory, as a host that loaded the module creates the plug-in.
TEST(Vst3PluginCreation, EachFailedAllocationGivesOutOfMemoryOrAWholePluginAndNeverThrows) {
  plugfw::PluginFactory* factory = halcyra::MakeModuleFactory(nullptr);
  ASSERT_NE(nullptr, factory);
  TUID cid;
  ExpectedClassId(cid);
  const long needed = WithEachAllocationFailing(
      [&] {
        Created made;
        void* object = nullptr;
        made.answer = factory->createInstance(cid, IAudioProcessor::iid, &object);
        made.processor = static_cast<IAudioProcessor*>(object);
        return made;
      },
      [](Created& made, bool refused) {
        if (made.answer != kResultOk) {
          EXPECT_TRUE(refused) << "creation failed with all the memory it asked for";
          EXPECT_EQ(kOutOfMemory, made.answer);
          EXPECT_EQ(nullptr, made.processor);
          return;
        }
        ASSERT_NE(nullptr, made.processor);
        auto* plugin = dynamic_cast<halcyra::Halcyra*>(made.processor);
        ASSERT_NE(nullptr, plugin);
        halcyra::test::ExpectWholePlugin(*plugin);
        made.processor->release();
      });
  EXPECT_GT(needed, 2 * halcyra::kParamCount);
  factory->release();
}

TEST(Vst3PluginInitialize, EachFailedAllocationLeavesNothingHalfMadeAndALaterInitializeWorks) {
  HostApplication host;
  long refusedRuns = 0;
  // The plug-in is made outside the limit, so the sweep covers initialize alone.
  for (long granted = 0;; ++granted) {
    std::unique_ptr<halcyra::Halcyra> plugin = halcyra::CreatePluginInstance({});
    ASSERT_NE(plugin, nullptr);
    tresult answer = kResultFalse;
    bool refused = false;
    {
      plugfw::test::AllocationLimit limit(granted);
      answer = plugin->initialize(&host);
      refused = limit.Refused();
    }
    SCOPED_TRACE(granted);
    if (answer == kResultOk) {
      EXPECT_EQ(129, plugin->getParameterCount());
      EXPECT_EQ(2, plugin->getBusCount(kAudio, kInput));
      EXPECT_EQ(1, plugin->getBusCount(kAudio, kOutput));
    } else {
      ++refusedRuns;
      EXPECT_TRUE(refused) << "initialize failed with all the memory it asked for";
      EXPECT_EQ(0, plugin->getParameterCount());
      EXPECT_EQ(0, plugin->getBusCount(kAudio, kInput));
      EXPECT_EQ(0, plugin->getBusCount(kAudio, kOutput));
      ASSERT_EQ(kResultOk, plugin->initialize(&host)) << "a refused initialize left something behind";
      EXPECT_EQ(129, plugin->getParameterCount());
      EXPECT_EQ(2, plugin->getBusCount(kAudio, kInput));
    }
    EXPECT_EQ(kResultOk, plugin->terminate());
    plugin.reset();
    EXPECT_EQ(1, host.References());
    if (!refused) break;
  }
  EXPECT_GT(refusedRuns, halcyra::kParamCount);
}

// ---------------------------------------------------------------------------------------------

class Vst3PluginObject : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin_ = halcyra::CreatePluginInstance({});
    ASSERT_NE(plugin_, nullptr);
    ASSERT_EQ(kResultOk, plugin_->initialize(&host_));
  }
  void TearDown() override {
    if (!plugin_) return;
    plugin_->setProcessing(false);
    plugin_->setActive(false);
    plugin_->terminate();
  }

  bool Start(int32 sampleSize) {
    ProcessSetup setup{kRealtime, sampleSize, kMaxBlock, kRate};
    return plugin_->setupProcessing(setup) == kResultOk && plugin_->setActive(true) == kResultOk &&
           plugin_->setProcessing(true) == kResultOk;
  }

  HostApplication host_;
  std::unique_ptr<halcyra::Halcyra> plugin_;
};

// Everything a block may carry, made before counting starts: blocks of many sizes with and without a
// side-chain bus, sets of parameter changes (values, the host bypass, non-finite points), transport.
struct BlockPool {
  explicit BlockPool(int32 sampleSize) {
    for (int32 frames : {0, 1, 31, 256, 511, 512, 513, 1300, kMaxBlock}) {
      for (int32 sidechain : {-1, 2}) {
        blocks.push_back(std::make_unique<AudioBlock>(frames, 2, 2, sampleSize, sidechain));
        AudioBlock& block = *blocks.back();
        const std::vector<float> sine = Sine(frames, 250.0, kRate, 0.5);
        for (int c = 0; c < 2; ++c) block.SetInput(0, c, sine.data());
        if (sidechain > 0) {
          for (int c = 0; c < 2; ++c) block.SetInput(1, c, sine.data());
        }
      }
    }
    std::mt19937 random(3);
    for (int set = 0; set < 24; ++set) {
      changes.push_back(std::make_unique<ParameterChanges>());
      for (int q = 0; q < 1 + set % 5; ++q) {
        const ParamID id = set % 6 == 0 ? kBypassParamId : ParamID(random() % halcyra::kParamCount);
        ParamValueQueue& queue = changes.back()->Queue(id);
        queue.Add(0, (random() % 1000) / 999.0);
        queue.Add(7, set % 9 == 0 ? NAN : (random() % 1000) / 999.0);
      }
    }
    context.state =
        ProcessContext::kTempoValid | ProcessContext::kProjectTimeMusicValid | ProcessContext::kPlaying;
    context.tempo = 128.0;
    context.sampleRate = kRate;
  }

  std::vector<std::unique_ptr<AudioBlock>> blocks;
  std::vector<std::unique_ptr<ParameterChanges>> changes;
  ProcessContext context{};
};

TEST_F(Vst3PluginObject, ProcessAllocatesNothingOnAnyRoad) {
  for (int32 sampleSize : {kSample32, kSample64}) {
    SCOPED_TRACE(sampleSize == kSample32 ? "32-bit" : "64-bit");
    plugin_->setProcessing(false);
    plugin_->setActive(false);
    ASSERT_TRUE(Start(sampleSize));
    BlockPool pool(sampleSize);
    std::mt19937 random(sampleSize + 11);
    long refused = 0;
    long allocations = 0;
    {
      AllocationCounter counter;
      for (int i = 0; i < 3000; ++i) {
        AudioBlock& block = *pool.blocks[random() % pool.blocks.size()];
        ProcessData& data = block.Data();
        data.inputParameterChanges =
            random() % 3 ? pool.changes[random() % pool.changes.size()].get() : nullptr;
        data.processContext = random() % 4 ? &pool.context : nullptr;
        block.Input(0).silenceFlags = random() % 5 == 0 ? 3 : 0;
        if (i % 100 == 0) plugin_->activateBus(kAudio, kInput, 1, (i / 100) % 2);
        if (i % 250 == 0) {
          // A host may pause on the audio thread; the reset it brings must not allocate.
          plugin_->setProcessing(false);
          plugin_->setProcessing(true);
        }
        pool.context.projectTimeMusic = i * 0.25;
        refused += plugin_->process(data) != kResultOk;
      }
      allocations = counter.Count();
    }
    EXPECT_EQ(0, allocations);
    EXPECT_EQ(0, refused);
  }
}

TEST_F(Vst3PluginObject, ARefusedArrangementKeepsTheChannelConnections) {
  ASSERT_TRUE(Start(kSample32));
  AudioBlock block(512, 2, 2, kSample32);
  ASSERT_EQ(kResultOk, plugin_->process(block.Data()));
  plugin_->setProcessing(false);
  plugin_->setActive(false);
  const int32_t inputs = plugin_->ConnectedChannelCount(IODirection::kInput);
  const int32_t outputs = plugin_->ConnectedChannelCount(IODirection::kOutput);
  ASSERT_GT(outputs, 0);

  SpeakerArrangement three[3] = {SpeakerArr::kStereo, SpeakerArr::kStereo, SpeakerArr::kStereo};
  SpeakerArrangement stereo = SpeakerArr::kStereo;
  SpeakerArrangement fiveOne = SpeakerArr::k51;
  EXPECT_EQ(kResultFalse, plugin_->setBusArrangements(three, 3, &stereo, 1));
  EXPECT_EQ(kResultFalse, plugin_->setBusArrangements(&fiveOne, 1, &stereo, 1));
  EXPECT_EQ(inputs, plugin_->ConnectedChannelCount(IODirection::kInput));
  EXPECT_EQ(outputs, plugin_->ConnectedChannelCount(IODirection::kOutput));
}

TEST_F(Vst3PluginObject, CreateViewWithoutMemoryAnswersNoViewAndNeverThrows) {
  WithEachAllocationFailing([&] { return plugin_->createView(ViewType::kEditor); },
                            [](IPlugView* view, bool refused) {
                              if (view) {
                                view->release();
                              } else {
                                EXPECT_TRUE(refused) << "no view with all the memory it asked for";
                              }
                            });
}

// A heap that lets a test act at the instant a buffer is being reallocated, before it moves.
const plugfw::HeapAllocator* underlyingHeap = nullptr;
std::function<void(void*)> duringReallocation;
bool reallocating = false;

void* ReallocateWithWitness(void* block, size_t bytes) {
  if (block && duringReallocation && !reallocating) {
    reallocating = true;
    duringReallocation(block);
    reallocating = false;
  }
  return underlyingHeap->reallocate(block, bytes);
}

const plugfw::HeapAllocator kWitnessHeap{
    [](size_t bytes) { return underlyingHeap->allocate(bytes); },
    ReallocateWithWitness,
    [](void* block) { underlyingHeap->release(block); },
};

// A host outside the format's order processes while it hands over a new set-up. The audio thread is
// made to arrive at the instant each scratch buffer is reallocated: the block must not write into
// the buffer being replaced (nor read it), and it comes out silent, as blocks before activation do.
TEST_F(Vst3PluginObject, ABlockArrivingDuringANewSetUpTouchesNoBufferItReplaces) {
  ASSERT_TRUE(Start(kSample64));
  plugin_->setProcessing(false);
  plugin_->setActive(false);
  AudioBlock block(512, 2, 2, kSample64);
  const std::vector<float> sine = Sine(512, 440.0, kRate, 0.5);
  block.SetInput(0, 0, sine.data());
  block.SetInput(0, 1, sine.data());
  int blocks = 0;
  int touched = 0;
  std::vector<uint8_t> before;
  duringReallocation = [&](void* buffer) {
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    before.assign(bytes, bytes + _msize(buffer));
    block.FillOutput(0.5);
    EXPECT_EQ(kResultOk, plugin_->process(block.Data()));
    EXPECT_EQ(0.0, Rms(block.OutputChannel(0)));
    ++blocks;
    if (!std::equal(before.begin(), before.end(), bytes)) ++touched;
  };
  underlyingHeap = plugfw::SetHeapAllocator(&kWitnessHeap);
  ProcessSetup larger{kRealtime, kSample64, 4 * kMaxBlock, kRate};
  const tresult answer = plugin_->setupProcessing(larger);
  plugfw::SetHeapAllocator(underlyingHeap);
  duringReallocation = nullptr;
  EXPECT_EQ(kResultOk, answer);
  EXPECT_GT(blocks, 0) << "no buffer was reallocated: the test saw nothing";
  EXPECT_EQ(0, touched) << "a block wrote into a buffer the set-up was replacing";
}

}  // namespace
}  // namespace halcyra_test
