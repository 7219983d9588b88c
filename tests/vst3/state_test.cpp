// The component state through the host's streams: its 1048-byte layout, round trips through
// whole and chunked streams, every refusal leaving the plug-in as it was, failing streams, and
// the host bypass travelling with the state.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>

#include "effect/param_table.h"
#include "effect/state_chunk.h"
#include "tests/vst3/vst3_host.h"

namespace halcyra_test {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr size_t kStateBytes = 1048;
constexpr size_t kBypassOffset = 1044;
constexpr double kRate = 48000.0;

// The state layout written out by hand: little-endian words and 32-bit floats.
struct StateImage {
  float current[halcyra::kParamCount];
  float inactive[halcyra::kParamCount];
  int32_t recipe = 0;
  int32_t activeBank = 0;
  int32_t bypass = 0;

  StateImage() {
    halcyra::FillParamDefaults(current);
    halcyra::FillParamDefaults(inactive);
  }

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out(kStateBytes);
    const auto put = [&out](size_t offset, const void* data, size_t size) {
      std::memcpy(&out[offset], data, size);
    };
    const int32_t version = 1, count = halcyra::kParamCount;
    put(0, "HKLY", 4);
    put(4, &version, 4);
    put(8, &count, 4);
    put(12, current, sizeof(current));
    put(524, inactive, sizeof(inactive));
    put(1036, &recipe, 4);
    put(1040, &activeBank, 4);
    put(kBypassOffset, &bypass, 4);
    return out;
  }
};

template <typename T>
T Read(const std::vector<uint8_t>& bytes, size_t offset) {
  T value{};
  std::memcpy(&value, bytes.data() + offset, sizeof(T));
  return value;
}

// A state far from the defaults in every part: values, the other bank, recipe, bank and bypass.
StateImage DistinctState() {
  StateImage image;
  for (int i = 0; i < halcyra::kParamCount; ++i) {
    const halcyra::ParamDefinition& row = *halcyra::GetParamDefinition(i);
    const float at = i % 2 ? 0.25f : 0.75f;
    float value = row.minValue + at * (row.maxValue - row.minValue);
    if (row.kind == halcyra::ParamKind::kStepped) value = std::round(value);
    image.current[i] = value;
    image.inactive[i] = row.kind == halcyra::ParamKind::kStepped ? row.maxValue : row.minValue;
  }
  image.current[halcyra::kParamAnalogNoise] = 0.0f;  // keeps the tail finite
  image.recipe = 17;
  image.activeBank = 1;
  image.bypass = 1;
  return image;
}

class Vst3State : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(module_.Loaded());
    factory_ = module_.GetFactory();
    ASSERT_NE(nullptr, factory_);
    plugin_ = std::make_unique<PluginInstance>(factory_, &host_, &handler_);
    ASSERT_TRUE(plugin_->Ready());
  }
  void TearDown() override {
    plugin_.reset();
    if (factory_) factory_->release();
    EXPECT_EQ(0, handler_.StaleReadBacks());
  }

  tresult SetState(const std::vector<uint8_t>& bytes, int32 maxChunk = 0x7FFFFFFF) {
    TestStream stream(bytes);
    stream.maxChunk = maxChunk;
    return plugin_->component->setState(&stream);
  }

  // Every value the controller answers, bypass included.
  std::vector<double> ControllerValues() {
    std::vector<double> values;
    for (int i = 0; i < halcyra::kParamCount; ++i)
      values.push_back(plugin_->controller->getParamNormalized(ParamID(i)));
    values.push_back(plugin_->controller->getParamNormalized(kBypassParamId));
    return values;
  }

  // The controller shows each restored value: its normalized value reads back as the state's.
  void ExpectControllerMatches(const StateImage& image) {
    for (int i = 0; i < halcyra::kParamCount; ++i) {
      const double shown = plugin_->controller->normalizedParamToPlain(
          ParamID(i), plugin_->controller->getParamNormalized(ParamID(i)));
      EXPECT_NEAR(image.current[i], shown, 1e-5 * std::max(1.0f, std::fabs(image.current[i])))
          << halcyra::GetParamDefinition(i)->name;
    }
    EXPECT_EQ(double(image.bypass), plugin_->controller->getParamNormalized(kBypassParamId));
  }

  PluginModule module_{PluginDllPath()};
  IPluginFactory* factory_ = nullptr;
  HostApplication host_;
  RecordingComponentHandler handler_;
  std::unique_ptr<PluginInstance> plugin_;
};

TEST_F(Vst3State, FreshStateIsTheDefaultChunkAndAClearBypassWord) {
  const std::vector<uint8_t> state = plugin_->State();
  ASSERT_EQ(kStateBytes, state.size());
  EXPECT_EQ(StateImage().Bytes(), state);
  EXPECT_EQ(0, std::memcmp(state.data(), "HKLY", 4));
  EXPECT_EQ(1, Read<int32_t>(state, 4));
  EXPECT_EQ(128, Read<int32_t>(state, 8));
  EXPECT_EQ(0, Read<int32_t>(state, kBypassOffset));
}

TEST_F(Vst3State, RestoresEveryPartAndTheControllerFollows) {
  const StateImage image = DistinctState();
  ASSERT_EQ(kResultOk, SetState(image.Bytes()));
  EXPECT_EQ(image.Bytes(), plugin_->State());
  ExpectControllerMatches(image);
}

TEST_F(Vst3State, HostAutomationAndBypassAreSavedAndRestoredByAnotherInstance) {
  ASSERT_TRUE(plugin_->Start(kRate, 512));
  ASSERT_EQ(kResultOk, plugin_->controller->setParamNormalized(halcyra::kParamRate, 0.5));
  ParameterChanges changes;
  changes.Queue(halcyra::kParamMix).Add(0, 0.8);
  changes.Queue(kBypassParamId).Add(0, 1.0);
  AudioBlock block(64, 2, 2, kSample32);
  block.Data().inputParameterChanges = &changes;
  ASSERT_EQ(kResultOk, plugin_->processor->process(block.Data()));
  const std::vector<uint8_t> saved = plugin_->State();
  ASSERT_EQ(kStateBytes, saved.size());
  EXPECT_FLOAT_EQ(80.0f, Read<float>(saved, 12 + 4 * halcyra::kParamMix));
  EXPECT_EQ(1, Read<int32_t>(saved, kBypassOffset));

  HostApplication otherHost;
  PluginInstance other(factory_, &otherHost);
  ASSERT_TRUE(other.Ready());
  TestStream stream(saved);
  ASSERT_EQ(kResultOk, other.component->setState(&stream));
  EXPECT_EQ(saved, other.State());
  EXPECT_NEAR(0.8, other.controller->getParamNormalized(halcyra::kParamMix), 1e-6);
  EXPECT_NEAR(0.5, other.controller->getParamNormalized(halcyra::kParamRate), 1e-6);
  EXPECT_EQ(1.0, other.controller->getParamNormalized(kBypassParamId));
}

TEST_F(Vst3State, ChunkedStreamsReadAndWriteTheSameBytes) {
  const std::vector<uint8_t> bytes = DistinctState().Bytes();
  for (int32 chunk : {1, 3, 128, 1047}) {
    ASSERT_EQ(kResultOk, SetState(StateImage().Bytes()));
    EXPECT_EQ(kResultOk, SetState(bytes, chunk)) << "reads of at most " << chunk << " bytes";
    TestStream out;
    out.maxChunk = chunk;
    ASSERT_EQ(kResultOk, plugin_->component->getState(&out)) << "writes of at most " << chunk << " bytes";
    EXPECT_EQ(bytes, out.Bytes());
  }
}

struct RefusedCase {
  const char* name;
  void (*spoil)(std::vector<uint8_t>&);
};
void PrintTo(const RefusedCase& c, std::ostream* out) { *out << c.name; }

class Vst3StateRefusal : public Vst3State, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(Vst3StateRefusal, LeavesThePluginAsItWas) {
  // The plug-in holds a state of its own first, so "unchanged" is not merely "still default".
  StateImage own = DistinctState();
  own.bypass = 0;
  own.recipe = 3;
  ASSERT_EQ(kResultOk, SetState(own.Bytes()));
  const std::vector<uint8_t> before = plugin_->State();
  const std::vector<double> controllerBefore = ControllerValues();

  std::vector<uint8_t> bytes = StateImage().Bytes();
  bytes[kBypassOffset] = 1;
  GetParam().spoil(bytes);
  EXPECT_EQ(kResultFalse, SetState(bytes));
  EXPECT_EQ(before, plugin_->State());
  EXPECT_EQ(controllerBefore, ControllerValues());
}

template <typename T>
void Put(std::vector<uint8_t>& bytes, size_t offset, T value) {
  std::memcpy(bytes.data() + offset, &value, sizeof(T));
}

INSTANTIATE_TEST_SUITE_P(
    BadStates, Vst3StateRefusal,
    ::testing::Values(
        RefusedCase{"Empty", [](std::vector<uint8_t>& b) { b.clear(); }},
        RefusedCase{"OneByteShort", [](std::vector<uint8_t>& b) { b.pop_back(); }},
        RefusedCase{"OneByteLong", [](std::vector<uint8_t>& b) { b.push_back(0); }},
        RefusedCase{"ChunkWithoutBypassWord", [](std::vector<uint8_t>& b) { b.resize(1044); }},
        RefusedCase{"BypassWordTwo", [](std::vector<uint8_t>& b) { Put<int32_t>(b, kBypassOffset, 2); }},
        RefusedCase{"BypassWordNegative",
                    [](std::vector<uint8_t>& b) { Put<int32_t>(b, kBypassOffset, -1); }},
        RefusedCase{"WrongMagic", [](std::vector<uint8_t>& b) { b[3] = 'X'; }},
        RefusedCase{"VersionTwo", [](std::vector<uint8_t>& b) { Put<int32_t>(b, 4, 2); }},
        RefusedCase{"Count127", [](std::vector<uint8_t>& b) { Put<int32_t>(b, 8, 127); }},
        RefusedCase{"RecipeForty", [](std::vector<uint8_t>& b) { Put<int32_t>(b, 1036, 40); }},
        RefusedCase{"RecipeNegative", [](std::vector<uint8_t>& b) { Put<int32_t>(b, 1036, -1); }},
        RefusedCase{"ActiveBankTwo", [](std::vector<uint8_t>& b) { Put<int32_t>(b, 1040, 2); }},
        RefusedCase{"NaNValue", [](std::vector<uint8_t>& b) { Put<float>(b, 12 + 4 * 7, std::nanf("")); }},
        RefusedCase{"InfiniteValue", [](std::vector<uint8_t>& b) { Put<float>(b, 12 + 4 * 100, INFINITY); }},
        RefusedCase{"MixAboveRange", [](std::vector<uint8_t>& b) { Put<float>(b, 12 + 4 * 2, 100.5f); }},
        RefusedCase{"HalfAVoice", [](std::vector<uint8_t>& b) { Put<float>(b, 12 + 4 * 5, 2.5f); }},
        RefusedCase{"InactiveBankNaN",
                    [](std::vector<uint8_t>& b) { Put<float>(b, 524 + 4 * 127, std::nanf("")); }},
        RefusedCase{
            "InactiveBankBelowRange",
            [](std::vector<uint8_t>& b) { Put<float>(b, 524 + 4 * halcyra::kParamBaseDelay, 0.25f); }}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST_F(Vst3State, FailingOrMissingStreamsAreRefusedAndChangeNothing) {
  const std::vector<uint8_t> before = plugin_->State();
  EXPECT_EQ(kResultFalse, plugin_->component->setState(nullptr));
  EXPECT_EQ(kResultFalse, plugin_->component->getState(nullptr));
  for (int failing : {0, 2, 8}) {
    TestStream stream(DistinctState().Bytes());
    stream.maxChunk = 128;
    stream.failOnCall = failing;  // 8: the last piece of the 1048 bytes
    EXPECT_EQ(kResultFalse, plugin_->component->setState(&stream)) << "read " << failing << " fails";
  }
  EXPECT_EQ(before, plugin_->State());
}

TEST_F(Vst3State, WritingToAFailingOrFullStreamIsAFailure) {
  for (int failing : {0, 3}) {
    TestStream stream;
    stream.maxChunk = 100;
    stream.failOnCall = failing;
    EXPECT_EQ(kResultFalse, plugin_->component->getState(&stream)) << "write " << failing << " fails";
  }
  TestStream full;
  full.writeLimit = 500;  // then every write reports 0 bytes
  EXPECT_EQ(kResultFalse, plugin_->component->getState(&full));
}

TEST_F(Vst3State, BypassRestoredFromStatePassesTheInputThrough) {
  StateImage image;
  image.bypass = 1;
  ASSERT_EQ(kResultOk, SetState(image.Bytes()));
  EXPECT_EQ(1.0, plugin_->controller->getParamNormalized(kBypassParamId));
  ASSERT_TRUE(plugin_->Start(kRate, 512));
  const std::vector<float> sine = Sine(512, 440.0, kRate, 0.5);
  std::vector<float> last;
  for (int i = 0; i < 20; ++i) {  // past the bypass crossfade
    AudioBlock block(512, 2, 2, kSample32);
    block.SetInput(0, 0, sine.data());
    block.SetInput(0, 1, sine.data());
    ASSERT_EQ(kResultOk, plugin_->processor->process(block.Data()));
    last = block.OutputChannel(1);
  }
  EXPECT_EQ(sine, last);

  plugin_->Stop();
  image.bypass = 0;
  ASSERT_EQ(kResultOk, SetState(image.Bytes()));
  EXPECT_EQ(0.0, plugin_->controller->getParamNormalized(kBypassParamId));
  EXPECT_EQ(0, Read<int32_t>(plugin_->State(), kBypassOffset));
}

TEST_F(Vst3State, RestoredStateSetsTheTail) {
  StateImage image;
  image.current[halcyra::kParamFeedback] = 90.0f;
  ASSERT_TRUE(plugin_->Start(kRate, 512));
  ASSERT_EQ(kResultOk, SetState(image.Bytes()));
  EXPECT_EQ(2679924u, plugin_->processor->getTailSamples());  // feedback at 90 %, at 48 kHz
  image.current[halcyra::kParamAnalogNoise] = 1.0f;
  ASSERT_EQ(kResultOk, SetState(image.Bytes()));
  EXPECT_EQ(kInfiniteTail, plugin_->processor->getTailSamples());
}

// A host restores a project while its processing thread keeps applying automation (in blocks of no
// frames, as hosts flush parameters): once the state is in, the host is told the loaded values'
// tail, whatever the processing thread saw half loaded.
TEST_F(Vst3State, AStateLoadedDuringAutomationReportsItsOwnTail) {
  // Feedback 60 % and diffusion: 47 passes of 0.24 s, 2.0304 s of diffusion, 2.9317424 s for the
  // filters and 0.1 s: 16.3421424 s; the defaults 3.2717424 s. At 48 kHz, rounded up.
  constexpr uint32 kDiffusedTail = 784423;
  constexpr uint32 kDefaultTail = 157044;
  StateImage diffused;
  diffused.current[halcyra::kParamFeedback] = 60.0f;
  diffused.current[halcyra::kParamDiffusion] = 80.0f;
  const std::vector<uint8_t> states[2] = {diffused.Bytes(), StateImage().Bytes()};
  ASSERT_TRUE(plugin_->Start(kRate, 512));
  for (int round = 0; round < 100; ++round) {
    std::atomic<bool> stop{false};
    std::atomic<bool> running{false};
    std::thread audio([&] {
      AudioBlock flush(0, 2, 2, kSample32);
      ParameterChanges automation;
      for (int k = 0; !stop.load(); ++k) {
        automation.Clear();
        automation.Queue(halcyra::kParamOutput).Add(0, (k % 7) / 7.0);
        flush.Data().inputParameterChanges = &automation;
        if (plugin_->processor->process(flush.Data()) != kResultOk) ADD_FAILURE() << "process refused";
        running.store(true);
      }
    });
    while (!running.load()) std::this_thread::yield();
    const bool diffusedNow = round % 2 == 0;
    EXPECT_EQ(kResultOk, SetState(states[diffusedNow ? 0 : 1]));
    stop.store(true);
    audio.join();
    ASSERT_EQ(diffusedNow ? kDiffusedTail : kDefaultTail, plugin_->processor->getTailSamples()) << round;
  }
}

}  // namespace
}  // namespace halcyra_test
