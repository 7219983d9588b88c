// The audio road as a host drives it: validation of the processing data, parameter-change queues
// and the host bypass, transport, sidechain, sample sizes, bus widths, block sizes, in-place
// buffers, silence flags, latency and tail, and what activation and processing switches do.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "effect/param_table.h"
#include "effect/state_chunk.h"
#include "pluginterfaces/vst/vstspeaker.h"
#include "tests/vst3/vst3_host.h"

namespace halcyra_test {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr double kRate = 48000.0;
constexpr int32 kMaxBlock = 4096;
constexpr uint64 kBothChannelsSilent = 3;

struct Rendered {
  std::vector<float> left, right;
};

struct RenderSetup {
  int32 sampleSize = kSample32;
  Placement placement = Placement::kSeparate;
  int32 inputChannels = 2;
  int32 outputChannels = 2;
  ParameterChanges* firstBlockChanges = nullptr;
  ProcessContext* context = nullptr;
  const std::vector<std::vector<float>>* sidechain = nullptr;  // its channels; null: no sidechain bus
};

// Runs `input` (the same signal on every input channel) through the plug-in in blocks whose sizes
// cycle through `blockSizes`.
Rendered Render(PluginInstance& plugin, const std::vector<float>& input, const std::vector<int32>& blockSizes,
                const RenderSetup& setup = {}) {
  Rendered out;
  size_t position = 0;
  for (size_t i = 0; position < input.size(); ++i) {
    const int32 frames = std::min<int32>(blockSizes[i % blockSizes.size()], int32(input.size() - position));
    AudioBlock block(frames, setup.inputChannels, setup.outputChannels, setup.sampleSize,
                     setup.sidechain ? int32(setup.sidechain->size()) : -1, setup.placement);
    for (int c = 0; c < setup.inputChannels; ++c) block.SetInput(0, c, input.data() + position);
    if (setup.sidechain) {
      for (size_t c = 0; c < setup.sidechain->size(); ++c)
        block.SetInput(1, int(c), (*setup.sidechain)[c].data() + position);
    }
    if (i == 0) block.Data().inputParameterChanges = setup.firstBlockChanges;
    block.Data().processContext = setup.context;
    EXPECT_EQ(kResultOk, plugin.processor->process(block.Data()));
    EXPECT_TRUE(block.GuardsIntact()) << "written beyond the block";
    const std::vector<float> left = block.OutputChannel(0);
    out.left.insert(out.left.end(), left.begin(), left.end());
    if (setup.outputChannels > 1) {
      const std::vector<float> right = block.OutputChannel(1);
      out.right.insert(out.right.end(), right.begin(), right.end());
    }
    position += size_t(frames);
  }
  return out;
}

// One 512-frame block that carries only parameter changes and silence.
void SendChanges(PluginInstance& plugin, ParameterChanges& changes, int32 frames = 512) {
  AudioBlock block(frames, 2, 2, kSample32);
  block.Data().inputParameterChanges = &changes;
  EXPECT_EQ(kResultOk, plugin.processor->process(block.Data()));
}

uint32 BypassWord(const std::vector<uint8_t>& state) {
  uint32 word = 0xFFFFFFFF;
  if (state.size() == 1048) std::memcpy(&word, state.data() + halcyra::kStateChunkBytes, 4);
  return word;
}

class Vst3Process : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(module_.Loaded());
    factory_ = module_.GetFactory();
    ASSERT_NE(nullptr, factory_);
  }
  void TearDown() override {
    plugins_.clear();
    if (factory_) factory_->release();
    EXPECT_EQ(0, handler_.StaleReadBacks());
  }

  // A new instance, set up and processing; the fixture owns it.
  PluginInstance& Make(double rate = kRate, int32 maxBlock = kMaxBlock, int32 sampleSize = kSample32) {
    plugins_.push_back(std::make_unique<PluginInstance>(factory_, &host_, &handler_));
    PluginInstance& plugin = *plugins_.back();
    EXPECT_TRUE(plugin.Ready());
    EXPECT_TRUE(plugin.Start(rate, maxBlock, sampleSize));
    return plugin;
  }

  PluginModule module_{PluginDllPath()};
  IPluginFactory* factory_ = nullptr;
  HostApplication host_;
  RecordingComponentHandler handler_;
  std::vector<std::unique_ptr<PluginInstance>> plugins_;
};

// ---------------------------------------------------------------------------------------------
// Validation.

struct InvalidCase {
  const char* name;
  int32 frames;
  void (*spoil)(AudioBlock&);
  bool outputIsValid;  // the output bus itself is usable, so the refusal must leave it silent
};
void PrintTo(const InvalidCase& c, std::ostream* out) { *out << c.name; }

class Vst3ProcessValidation : public Vst3Process, public ::testing::WithParamInterface<InvalidCase> {};

TEST_P(Vst3ProcessValidation, RefusesTheBlockAndTouchesNoParameter) {
  const InvalidCase& c = GetParam();
  PluginInstance& plugin = Make();
  AudioBlock block(c.frames, 2, 2, kSample32, 2);
  const std::vector<float> sine = Sine(c.frames > 0 ? c.frames : 1, 440.0, kRate, 0.5);
  if (c.frames > 0) {
    for (int ch = 0; ch < 2; ++ch) block.SetInput(0, ch, sine.data());
  }
  block.FillOutput(0.25);
  block.Output().silenceFlags = 0;
  ParameterChanges changes;
  changes.Queue(halcyra::kParamMix).Add(0, 1.0);
  changes.Queue(kBypassParamId).Add(0, 1.0);
  block.Data().inputParameterChanges = &changes;
  c.spoil(block);

  EXPECT_EQ(kInvalidArgumentResult, plugin.processor->process(block.Data()));
  // Silence goes no further than the set-up allows: not into a third channel, not past the
  // set-up's frames, whatever the refused block announced.
  EXPECT_TRUE(block.GuardsIntact()) << "the refused block was written beyond what the set-up allows";
  if (c.frames > kMaxBlock) {
    for (int ch = 0; ch < 2; ++ch) {
      EXPECT_EQ(0.25, block.OutputSample(ch, kMaxBlock)) << "frame beyond the set-up of channel " << ch;
    }
  }

  const std::vector<uint8_t> state = plugin.State();
  EXPECT_FLOAT_EQ(35.0f, plugin.StateValue(halcyra::kParamMix))
      << "a refused block applied its parameter changes";
  EXPECT_EQ(0u, BypassWord(state)) << "a refused block applied the host bypass";
  if (c.outputIsValid) {
    for (int ch = 0; ch < 2; ++ch) {
      const std::vector<float> out = block.OutputChannel(ch);
      EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float s) { return s == 0.0f; }))
          << "output channel " << ch << " was left as the host gave it";
    }
    EXPECT_EQ(kBothChannelsSilent, block.Output().silenceFlags);
  }
}

INSTANTIATE_TEST_SUITE_P(
    BadData, Vst3ProcessValidation,
    ::testing::Values(
        InvalidCase{"NegativeFrameCount", 64, [](AudioBlock& b) { b.Data().numSamples = -1; }, false},
        InvalidCase{"MoreFramesThanSetUp", kMaxBlock + 1, [](AudioBlock&) {}, false},
        InvalidCase{"NegativeInputBusCount", 64, [](AudioBlock& b) { b.Data().numInputs = -1; }, true},
        InvalidCase{"ThreeInputBuses", 64, [](AudioBlock& b) { b.Data().numInputs = 3; }, true},
        InvalidCase{"TwoOutputBuses", 64, [](AudioBlock& b) { b.Data().numOutputs = 2; }, false},
        InvalidCase{"NegativeOutputBusCount", 64, [](AudioBlock& b) { b.Data().numOutputs = -1; }, false},
        InvalidCase{"InputBusesWithoutArray", 64, [](AudioBlock& b) { b.Data().inputs = nullptr; }, true},
        InvalidCase{"OutputBusWithoutArray", 64, [](AudioBlock& b) { b.Data().outputs = nullptr; }, false},
        InvalidCase{"OtherSampleSizeThanSetUp", 64,
                    [](AudioBlock& b) { b.Data().symbolicSampleSize = kSample64; }, false},
        InvalidCase{"ThreeChannelMainInput", 64, [](AudioBlock& b) { b.Input(0).numChannels = 3; }, true},
        InvalidCase{"NegativeChannelSidechain", 64, [](AudioBlock& b) { b.Input(1).numChannels = -1; }, true},
        InvalidCase{"InputWithoutChannelArray", 64,
                    [](AudioBlock& b) { b.Input(0).channelBuffers32 = nullptr; }, true},
        InvalidCase{"NullInputChannel", 64, [](AudioBlock& b) { b.Input(0).channelBuffers32[1] = nullptr; },
                    true},
        InvalidCase{"NullSidechainChannel", 64,
                    [](AudioBlock& b) { b.Input(1).channelBuffers32[0] = nullptr; }, true},
        InvalidCase{"ThreeChannelOutput", 64, [](AudioBlock& b) { b.Output().numChannels = 3; }, false},
        InvalidCase{"OutputWithoutChannelArray", 64,
                    [](AudioBlock& b) { b.Output().channelBuffers32 = nullptr; }, false},
        InvalidCase{"NullOutputChannel", 64, [](AudioBlock& b) { b.Output().channelBuffers32[0] = nullptr; },
                    false}),
    [](const ::testing::TestParamInfo<InvalidCase>& info) { return std::string(info.param.name); });

struct AcceptedCase {
  const char* name;
  int32 frames;
  void (*shape)(AudioBlock&);
};
void PrintTo(const AcceptedCase& c, std::ostream* out) { *out << c.name; }

class Vst3ProcessAccepted : public Vst3Process, public ::testing::WithParamInterface<AcceptedCase> {};

TEST_P(Vst3ProcessAccepted, TakesBlocksThatNeedNoBuffers) {
  const AcceptedCase& c = GetParam();
  PluginInstance& plugin = Make();
  AudioBlock block(c.frames, 2, 2, kSample32, 2);
  c.shape(block);
  EXPECT_EQ(kResultOk, plugin.processor->process(block.Data()));
}

INSTANTIATE_TEST_SUITE_P(
    EdgeData, Vst3ProcessAccepted,
    ::testing::Values(AcceptedCase{"ZeroFramesWithoutChannelArrays", 0,
                                   [](AudioBlock& b) {
                                     b.Input(0).channelBuffers32 = b.Input(1).channelBuffers32 =
                                         b.Output().channelBuffers32 = nullptr;
                                   }},
                      AcceptedCase{
                          "NoOutputBus", 64,
                          [](AudioBlock& b) { b.Data().numOutputs = 0, b.Data().outputs = nullptr; }},
                      AcceptedCase{"NoInputBus", 64,
                                   [](AudioBlock& b) { b.Data().numInputs = 0, b.Data().inputs = nullptr; }},
                      AcceptedCase{"EmptySidechainBus", 64,
                                   [](AudioBlock& b) {
                                     b.Input(1).numChannels = 0, b.Input(1).channelBuffers32 = nullptr;
                                   }},
                      AcceptedCase{"FullSizeBlock", kMaxBlock, [](AudioBlock&) {}}),
    [](const ::testing::TestParamInfo<AcceptedCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Parameter changes.

struct QueueCase {
  const char* name;
  ParamID id;
  std::vector<double> points;
  int stateIndex;  // the parameter whose saved value is checked
  float expectedValue;
};

TEST_F(Vst3Process, ParameterQueuesApplyTheirLastFinitePoint) {
  const QueueCase cases[] = {
      {"LastOfSeveralPoints", halcyra::kParamMix, {0.1, 0.5, 0.9}, halcyra::kParamMix, 90.0f},
      {"NaNLastPointIsSkipped", halcyra::kParamDepth, {0.5, std::nan("")}, halcyra::kParamDepth, 3.0f},
      {"InfiniteLastPointIsSkipped", halcyra::kParamDepth, {double(INFINITY)}, halcyra::kParamDepth, 3.0f},
      {"AboveOneIsTakenAsOne", halcyra::kParamWidth, {1.7}, halcyra::kParamWidth, 200.0f},
      {"BelowZeroIsTakenAsZero", halcyra::kParamWidth, {-0.3}, halcyra::kParamWidth, 0.0f},
      {"ExponentialShape", halcyra::kParamBaseDelay, {0.5}, halcyra::kParamBaseDelay, float(std::sqrt(30.0))},
      {"SteppedValuesRound", halcyra::kParamModel, {0.52}, halcyra::kParamModel, 6.0f},
      {"QueueWithoutPoints", halcyra::kParamSpread, {}, halcyra::kParamSpread, 75.0f},
      {"VoiceField",
       ParamID(halcyra::VoiceParamIndex(7, halcyra::kVoiceLevel)),
       {0.0},
       halcyra::VoiceParamIndex(7, halcyra::kVoiceLevel),
       -24.0f},
  };
  PluginInstance& plugin = Make();
  for (const QueueCase& c : cases) {
    ParameterChanges changes;
    ParamValueQueue& queue = changes.Queue(c.id);
    for (size_t i = 0; i < c.points.size(); ++i) queue.Add(int32(i * 100), c.points[i]);
    SendChanges(plugin, changes);
    EXPECT_NEAR(c.expectedValue, plugin.StateValue(c.stateIndex), 1e-4) << c.name;
  }
}

TEST_F(Vst3Process, IdentifiersBeyondTheParametersChangeNothing) {
  PluginInstance& plugin = Make();
  const std::vector<uint8_t> before = plugin.State();
  ParameterChanges changes;
  for (ParamID id : {ParamID(halcyra::kParamCount), ParamID(0x10001), ParamID(0x10002), ParamID(0x10009),
                     ParamID(0x10083), ParamID(0xFFFFFFFF)})
    changes.Queue(id).Add(0, 1.0);
  SendChanges(plugin, changes);
  EXPECT_EQ(before, plugin.State());
}

TEST_F(Vst3Process, ZeroFrameBlockStillAppliesChangesAndTheHostBypass) {
  PluginInstance& plugin = Make();
  ParameterChanges changes;
  changes.Queue(halcyra::kParamMix).Add(0, 1.0);
  changes.Queue(kBypassParamId).Add(0, 0.2);
  changes.Queue(kBypassParamId).Add(0, 0.7);  // a second queue for the same identifier: the later wins
  SendChanges(plugin, changes, 0);
  EXPECT_FLOAT_EQ(100.0f, plugin.StateValue(halcyra::kParamMix));
  EXPECT_EQ(1u, BypassWord(plugin.State()));

  ParameterChanges off;
  off.Queue(kBypassParamId).Add(0, 0.5);  // on means above one half
  SendChanges(plugin, off, 0);
  EXPECT_EQ(0u, BypassWord(plugin.State()));
}

// ---------------------------------------------------------------------------------------------
// The signal.

TEST_F(Vst3Process, OutputTrimAutomationScalesTheOutput) {
  constexpr int32 kFrames = 48000;
  const std::vector<float> input = Sine(kFrames, 220.0, kRate, 0.5);
  Rendered reference = Render(Make(), input, {512});
  ParameterChanges trim;
  trim.Queue(halcyra::kParamOutput).Add(0, 0.0);  // -24 dB, the bottom of -24..24 dB
  RenderSetup setup;
  setup.firstBlockChanges = &trim;
  Rendered trimmed = Render(Make(), input, {512}, setup);

  const size_t settled = kFrames / 2;  // far past the 20 ms smoothing
  const double ratio = Rms(trimmed.left, settled) / Rms(reference.left, settled);
  EXPECT_NEAR(std::pow(10.0, -24.0 / 20.0), ratio, 1e-3);
  EXPECT_GT(Rms(reference.left, settled), 0.01);
}

TEST_F(Vst3Process, HostBypassPassesTheInputThroughExactly) {
  constexpr int32 kFrames = 9600;
  const std::vector<float> input = Sine(kFrames, 330.0, kRate, 0.5);
  PluginInstance& plugin = Make();
  ParameterChanges bypass;
  bypass.Queue(kBypassParamId).Add(0, 1.0);
  RenderSetup setup;
  setup.firstBlockChanges = &bypass;
  Rendered out = Render(plugin, input, {480}, setup);
  const size_t settled = kFrames / 2;  // the crossfade takes a few milliseconds
  for (size_t i = settled; i < input.size(); ++i) {
    ASSERT_EQ(input[i], out.left[i]) << "frame " << i;
    ASSERT_EQ(input[i], out.right[i]) << "frame " << i;
  }
  // And the chorus returns once the bypass is off again.
  ParameterChanges resume;
  resume.Queue(kBypassParamId).Add(0, 0.0);
  setup.firstBlockChanges = &resume;
  Rendered chorus = Render(plugin, input, {480}, setup);
  double difference = 0.0;
  for (size_t i = settled; i < input.size(); ++i) difference += std::fabs(chorus.left[i] - input[i]);
  EXPECT_GT(difference, 1.0);
}

TEST_F(Vst3Process, ResultDoesNotDependOnHowTheHostCutsBlocks) {
  const std::vector<float> input = Sine(3 * kMaxBlock, 190.0, kRate, 0.6);
  const Rendered even = Render(Make(), input, {512});
  const Rendered varied = Render(Make(), input, {1, 32, 512, 1300, 4096});
  ASSERT_EQ(even.left.size(), varied.left.size());
  EXPECT_EQ(even.left, varied.left);
  EXPECT_EQ(even.right, varied.right);
}

TEST_F(Vst3Process, SixtyFourBitSamplesGiveTheThirtyTwoBitResult) {
  const std::vector<float> input = Sine(8192, 250.0, kRate, 0.5);
  const Rendered single = Render(Make(), input, {1300});
  RenderSetup setup;
  setup.sampleSize = kSample64;
  const Rendered twice = Render(Make(kRate, kMaxBlock, kSample64), input, {1300}, setup);
  EXPECT_EQ(single.left, twice.left);
  EXPECT_EQ(single.right, twice.right);
}

TEST_F(Vst3Process, InPlaceBuffersGiveTheSeparateBufferResult) {
  const std::vector<float> input = Sine(8192, 250.0, kRate, 0.5);
  for (int32 sampleSize : {kSample32, kSample64}) {
    RenderSetup separate, inPlace;
    separate.sampleSize = inPlace.sampleSize = sampleSize;
    inPlace.placement = Placement::kInPlace;
    const Rendered a = Render(Make(kRate, kMaxBlock, sampleSize), input, {512, 1300}, separate);
    const Rendered b = Render(Make(kRate, kMaxBlock, sampleSize), input, {512, 1300}, inPlace);
    EXPECT_EQ(a.left, b.left) << "sample size " << sampleSize;
    EXPECT_EQ(a.right, b.right) << "sample size " << sampleSize;
  }
}

TEST_F(Vst3Process, MonoInputIsDuplicatedAndMonoOutputIsTheAverage) {
  const std::vector<float> input = Sine(8192, 250.0, kRate, 0.5);
  const Rendered stereo = Render(Make(), input, {512});

  PluginInstance& monoIn = Make();
  SpeakerArrangement mono = SpeakerArr::kMono, stereoArr = SpeakerArr::kStereo;
  monoIn.Stop();
  ASSERT_EQ(kResultOk, monoIn.processor->setBusArrangements(&mono, 1, &stereoArr, 1));
  ASSERT_TRUE(monoIn.Start(kRate, kMaxBlock));
  RenderSetup monoInput;
  monoInput.inputChannels = 1;
  const Rendered duplicated = Render(monoIn, input, {512}, monoInput);
  EXPECT_EQ(stereo.left, duplicated.left);
  EXPECT_EQ(stereo.right, duplicated.right);

  PluginInstance& monoOut = Make();
  monoOut.Stop();
  ASSERT_EQ(kResultOk, monoOut.processor->setBusArrangements(&mono, 1, &mono, 1));
  ASSERT_TRUE(monoOut.Start(kRate, kMaxBlock));
  RenderSetup monoBoth;
  monoBoth.inputChannels = 1;
  monoBoth.outputChannels = 1;
  const Rendered averaged = Render(monoOut, input, {512}, monoBoth);
  ASSERT_EQ(stereo.left.size(), averaged.left.size());
  for (size_t i = 0; i < averaged.left.size(); ++i) {
    ASSERT_NEAR((double(stereo.left[i]) + stereo.right[i]) * 0.5, averaged.left[i], 1e-7) << "frame " << i;
  }
}

TEST_F(Vst3Process, ExternalMonitorHearsTheSidechainOnlyWhileItsBusIsActive) {
  constexpr int32 kFrames = 19200;
  const std::vector<float> silence(kFrames, 0.0f);
  const std::vector<std::vector<float>> key = {Sine(kFrames, 500.0, kRate, 0.5),
                                               Sine(kFrames, 700.0, kRate, 0.25)};
  ParameterChanges monitorExternal;
  monitorExternal.Queue(halcyra::kParamMonitor).Add(0, 1.0);  // the last monitor source: External
  RenderSetup setup;
  setup.sidechain = &key;
  setup.firstBlockChanges = &monitorExternal;

  PluginInstance& active = Make();
  active.Stop();
  ASSERT_EQ(kResultOk, active.component->activateBus(kAudio, kInput, 1, true));
  // A host that then sends the arrangement the buses already have keeps the side-chain it activated.
  SpeakerArrangement inputs[] = {SpeakerArr::kStereo, SpeakerArr::kStereo}, output = SpeakerArr::kStereo;
  ASSERT_EQ(kResultOk, active.processor->setBusArrangements(inputs, 2, &output, 1));
  ASSERT_TRUE(active.Start(kRate, kMaxBlock));
  const Rendered heard = Render(active, silence, {512}, setup);
  for (size_t i = kFrames / 2; i < size_t(kFrames); ++i) {
    ASSERT_NEAR(key[0][i], heard.left[i], 1e-6)
        << "frame " << i << ": the sidechain's left did not reach the monitor";
    ASSERT_NEAR(key[1][i], heard.right[i], 1e-6)
        << "frame " << i << ": the sidechain's right did not reach the monitor";
  }

  PluginInstance& inactive = Make();  // the sidechain bus is not active by default
  const Rendered unheard = Render(inactive, silence, {512}, setup);
  EXPECT_EQ(0.0, Rms(unheard.left)) << "an inactive sidechain bus reached the engine";
  EXPECT_EQ(0.0, Rms(unheard.right));
}

TEST_F(Vst3Process, MonoSidechainFeedsBothSidechainChannels) {
  constexpr int32 kFrames = 19200;
  const std::vector<float> silence(kFrames, 0.0f);
  const std::vector<std::vector<float>> key = {Sine(kFrames, 500.0, kRate, 0.5)};
  ParameterChanges monitorExternal;
  monitorExternal.Queue(halcyra::kParamMonitor).Add(0, 1.0);
  RenderSetup setup;
  setup.sidechain = &key;
  setup.firstBlockChanges = &monitorExternal;

  PluginInstance& plugin = Make();
  plugin.Stop();
  SpeakerArrangement inputs[] = {SpeakerArr::kStereo, SpeakerArr::kMono}, output = SpeakerArr::kStereo;
  ASSERT_EQ(kResultOk, plugin.processor->setBusArrangements(inputs, 2, &output, 1));
  ASSERT_EQ(kResultOk, plugin.component->activateBus(kAudio, kInput, 1, true));
  ASSERT_TRUE(plugin.Start(kRate, kMaxBlock));
  const Rendered heard = Render(plugin, silence, {512}, setup);
  for (size_t i = kFrames / 2; i < size_t(kFrames); ++i) {
    ASSERT_NEAR(key[0][i], heard.left[i], 1e-6) << "frame " << i;
    ASSERT_NEAR(key[0][i], heard.right[i], 1e-6) << "frame " << i;
  }
}

struct TransportCase {
  const char* name;
  uint32 state;
  double tempo;
  bool likeNoContext;  // the engine must fall back exactly as without a context
};

TEST_F(Vst3Process, TempoReachesTheSyncedModulationOnlyWhenValid) {
  const std::vector<float> input = Sine(16384, 300.0, kRate, 0.5);
  ParameterChanges sync;
  const auto syncChanges = [](ParameterChanges& changes) {
    changes.Queue(halcyra::kParamSync).Add(0, 1.0);
    changes.Queue(halcyra::kParamDepth).Add(0, 0.5);
  };
  syncChanges(sync);
  RenderSetup setup;
  setup.firstBlockChanges = &sync;
  const Rendered withoutContext = Render(Make(), input, {512}, setup);

  const TransportCase cases[] = {
      {"ZeroTempo", ProcessContext::kTempoValid, 0.0, true},
      {"NegativeTempo", ProcessContext::kTempoValid, -90.0, true},
      {"NaNTempo", ProcessContext::kTempoValid, std::nan(""), true},
      {"TempoWithoutValidBit", 0, 240.0, true},
      {"ValidFastTempo", ProcessContext::kTempoValid, 240.0, false},
      {"ValidSlowTempoPlaying", ProcessContext::kTempoValid | ProcessContext::kPlaying, 45.0, false},
  };
  for (const TransportCase& c : cases) {
    ProcessContext context{};
    context.state = c.state;
    context.sampleRate = kRate;
    context.tempo = c.tempo;
    context.timeSigNumerator = 4;
    context.timeSigDenominator = 4;
    ParameterChanges changes;
    syncChanges(changes);
    RenderSetup withContext;
    withContext.firstBlockChanges = &changes;
    withContext.context = &context;
    const Rendered out = Render(Make(), input, {512}, withContext);
    if (c.likeNoContext)
      EXPECT_EQ(withoutContext.left, out.left) << c.name;
    else
      EXPECT_NE(withoutContext.left, out.left) << c.name << ": the host tempo did not reach the modulation";
  }
}

// ---------------------------------------------------------------------------------------------
// Silence flags.

TEST_F(Vst3Process, SilenceFlagsMarkExactlyTheAllZeroChannels) {
  PluginInstance& plugin = Make();
  AudioBlock silent(512, 2, 2, kSample32);
  silent.FillOutput(0.5);
  silent.Output().silenceFlags = 0;
  ASSERT_EQ(kResultOk, plugin.processor->process(silent.Data()));
  EXPECT_EQ(kBothChannelsSilent, silent.Output().silenceFlags);
  EXPECT_EQ(0.0, Rms(silent.OutputChannel(0)));

  const std::vector<float> sine = Sine(512, 440.0, kRate, 0.5);
  AudioBlock loud(512, 2, 2, kSample32);
  loud.SetInput(0, 0, sine.data());
  loud.SetInput(0, 1, sine.data());
  loud.Output().silenceFlags = kBothChannelsSilent;  // stale flags must be cleared
  ASSERT_EQ(kResultOk, plugin.processor->process(loud.Data()));
  EXPECT_EQ(0u, loud.Output().silenceFlags);
}

TEST_F(Vst3Process, InputMarkedSilentIsTreatedAsSilence) {
  PluginInstance& plugin = Make(kRate, kMaxBlock, kSample64);
  const std::vector<float> sine = Sine(1024, 440.0, kRate, 0.5);
  AudioBlock block(1024, 2, 2, kSample64);
  block.SetInput(0, 0, sine.data());
  block.SetInput(0, 1, sine.data());
  block.Input(0).silenceFlags = kBothChannelsSilent;
  ASSERT_EQ(kResultOk, plugin.processor->process(block.Data()));
  EXPECT_EQ(0.0, Rms(block.OutputChannel(0)));
  EXPECT_EQ(kBothChannelsSilent, block.Output().silenceFlags);
}

TEST_F(Vst3Process, InactivePluginWritesSilence) {
  PluginInstance& plugin = Make();
  plugin.Stop();
  const std::vector<float> sine = Sine(512, 440.0, kRate, 0.5);
  AudioBlock block(512, 2, 2, kSample32);
  block.SetInput(0, 0, sine.data());
  block.SetInput(0, 1, sine.data());
  block.FillOutput(0.5);
  ASSERT_EQ(kResultOk, plugin.processor->process(block.Data()));
  EXPECT_EQ(0.0, Rms(block.OutputChannel(0)));
  EXPECT_EQ(0.0, Rms(block.OutputChannel(1)));
  EXPECT_EQ(kBothChannelsSilent, block.Output().silenceFlags);
}

// ---------------------------------------------------------------------------------------------
// Latency, tail and the processing switches.

TEST_F(Vst3Process, ReportsZeroLatencyAndTheTailOfTheCurrentValues) {
  PluginInstance& plugin = Make();
  EXPECT_EQ(0u, plugin.processor->getLatencySamples());
  EXPECT_EQ(157044u, plugin.processor->getTailSamples());  // the defaults at 48 kHz

  ParameterChanges feedback;
  feedback.Queue(halcyra::kParamFeedback).Add(0, 5.0 / 9.0);  // 50 % of 0..90 %
  SendChanges(plugin, feedback);
  EXPECT_EQ(548724u, plugin.processor->getTailSamples());

  ParameterChanges noise;
  noise.Queue(halcyra::kParamAnalogNoise).Add(0, 1.0);
  SendChanges(plugin, noise);
  EXPECT_EQ(kInfiniteTail, plugin.processor->getTailSamples());
  EXPECT_EQ(0u, plugin.processor->getLatencySamples());

  // The same seconds at another rate.
  PluginInstance& other = Make(44100.0);
  EXPECT_EQ(144284u, other.processor->getTailSamples());
}

TEST_F(Vst3Process, NeverRestartsTheComponentForAnUnchangedLatency) {
  PluginInstance& plugin = Make();
  for (double rate : {44100.0, 96000.0, 48000.0}) {
    plugin.Stop();
    ASSERT_TRUE(plugin.Start(rate, 512));
    AudioBlock block(512, 2, 2, kSample32);
    ASSERT_EQ(kResultOk, plugin.processor->process(block.Data()));
    handler_.SetInsideActivation(true);
    EXPECT_EQ(kResultOk, plugin.processor->setProcessing(false));
    EXPECT_EQ(kResultOk, plugin.processor->setProcessing(true));
    handler_.SetInsideActivation(false);
  }
  for (int32 flags : handler_.Restarts())
    EXPECT_EQ(0, flags & kLatencyChanged)
        << "restartComponent(0x" << std::hex << flags << ") with the latency at 0";
  EXPECT_EQ(0, handler_.RestartsInsideActivation());
  EXPECT_EQ(0u, plugin.processor->getLatencySamples());
}

TEST_F(Vst3Process, SetupRefusesBlockSizesBelowOneAndUnknownSampleSizes) {
  PluginInstance& plugin = Make();
  plugin.Stop();
  for (int32 maxBlock : {0, -1, -4096}) {
    ProcessSetup setup{kRealtime, kSample32, maxBlock, kRate};
    EXPECT_EQ(kResultFalse, plugin.processor->setupProcessing(setup)) << "max block " << maxBlock;
  }
  ProcessSetup oddSize{kRealtime, 2, 512, kRate};
  EXPECT_EQ(kResultFalse, plugin.processor->setupProcessing(oddSize));
  // The earlier set-up still holds: a 4096-frame block is taken.
  ASSERT_TRUE(plugin.Start(kRate, kMaxBlock));
  AudioBlock block(kMaxBlock, 2, 2, kSample32);
  EXPECT_EQ(kResultOk, plugin.processor->process(block.Data()));
}

TEST_F(Vst3Process, PausingOrReactivatingResumesWithoutTheTailFromBefore) {
  const std::vector<float> sine = Sine(8192, 200.0, kRate, 0.5);
  const std::vector<float> silence(1024, 0.0f);
  ParameterChanges wetOnly;
  wetOnly.Queue(halcyra::kParamMix).Add(0, 1.0);
  RenderSetup setup;
  setup.firstBlockChanges = &wetOnly;
  PluginInstance& plugin = Make();
  Render(plugin, sine, {512}, setup);
  ASSERT_GT(Rms(Render(plugin, silence, {512}).left), 1e-3) << "the delay lines ring after the input stops";

  // A host that pauses without deactivating resumes with the delay lines cleared.
  Render(plugin, sine, {512});
  ASSERT_EQ(kResultOk, plugin.processor->setProcessing(false));
  ASSERT_EQ(kResultOk, plugin.processor->setProcessing(true));
  EXPECT_EQ(0.0, Rms(Render(plugin, silence, {512}).left)) << "the tail from before the pause was heard";

  // So does a deactivation and reactivation.
  Render(plugin, sine, {512});
  plugin.Stop();
  ASSERT_TRUE(plugin.Start(kRate, kMaxBlock));
  EXPECT_EQ(0.0, Rms(Render(plugin, silence, {512}).left));
}

}  // namespace
}  // namespace halcyra_test
