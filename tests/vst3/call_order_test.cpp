// Host calls out of the format's order, through the module: each sequence of calls must be answered
// with the listed result codes, never crash, and leave a component that still works and gives the
// host back its context and handler when released.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "effect/param_table.h"
#include "pluginterfaces/vst/vstspeaker.h"
#include "tests/vst3/vst3_host.h"

namespace halcyra_test {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr double kRate = 48000.0;
constexpr int32 kMaxBlock = 512;
constexpr int32 kFrames = 512;

enum class Call {
  kInitialize,
  kTerminate,
  kSetup,       // 48 kHz, 512 frames, 32-bit
  kSetupOther,  // 44.1 kHz, 1024 frames
  kActivate,
  kDeactivate,
  kProcessingOn,
  kProcessingOff,
  kArrangeMono,     // one mono input bus, one mono output bus
  kArrangeThree,    // three input buses: a layout the plug-in never accepts
  kWetOnly,         // the mix at 100 %, through the controller
  kSine,            // sine blocks whose last must come out audible
  kSineSilenced,    // the same block, which must come out as exact silence with its silence flags
  kQuietRinging,    // a silent block whose output still rings from what came before
  kQuietSilent,     // a silent block whose output is exact silence: nothing rings any more
  kLongBlock,       // 1024 frames: more than a 512-frame set-up allows
  kStateRoundTrip,  // getState, then setState with those bytes
};

struct Step {
  Call call;
  tresult answer;
};

struct Sequence {
  const char* name;
  std::vector<Step> steps;
  bool releaseWithoutShutdown = false;  // the host just releases the object after the steps
};
void PrintTo(const Sequence& sequence, std::ostream* out) { *out << sequence.name; }

constexpr tresult kOk = kResultOk;
constexpr tresult kFalse = kResultFalse;
constexpr tresult kInvalid = kInvalidArgumentResult;

// The start a host makes in the format's order.
const std::vector<Step> kStart = {
    {Call::kInitialize, kOk}, {Call::kSetup, kOk}, {Call::kActivate, kOk}, {Call::kProcessingOn, kOk}};

std::vector<Step> After(std::vector<Step> first, const std::vector<Step>& then) {
  first.insert(first.end(), then.begin(), then.end());
  return first;
}

// What each sequence answers; the reasons stand with the stages in vst3/vst3_wrapper.h.
const Sequence kSequences[] = {
    {"process before initialize", {{Call::kSineSilenced, kFalse}, {Call::kInitialize, kOk}}},
    {"set-up, buses, activation and terminate before initialize", After({{Call::kSetup, kFalse},
                                                                         {Call::kArrangeMono, kFalse},
                                                                         {Call::kActivate, kFalse},
                                                                         {Call::kProcessingOn, kFalse},
                                                                         {Call::kTerminate, kFalse}},
                                                                        After(kStart, {{Call::kSine, kOk}}))},
    {"state before initialize", After({{Call::kStateRoundTrip, kOk}}, After(kStart, {{Call::kSine, kOk}}))},
    {"process before setupProcessing", {{Call::kInitialize, kOk}, {Call::kSineSilenced, kOk}}},
    {"process after setupProcessing, before setActive(true)",
     {{Call::kInitialize, kOk}, {Call::kSetup, kOk}, {Call::kSineSilenced, kOk}}},
    {"setActive(true) without setupProcessing runs at the defaults",
     {{Call::kInitialize, kOk}, {Call::kActivate, kOk}, {Call::kSine, kOk}, {Call::kLongBlock, kInvalid}}},
    {"setActive(true) twice keeps the signal",
     After(kStart,
           {{Call::kWetOnly, kOk}, {Call::kSine, kOk}, {Call::kActivate, kOk}, {Call::kQuietRinging, kOk}})},
    {"deactivation and activation start from silence", After(kStart, {{Call::kWetOnly, kOk},
                                                                      {Call::kSine, kOk},
                                                                      {Call::kDeactivate, kOk},
                                                                      {Call::kActivate, kOk},
                                                                      {Call::kQuietSilent, kOk}})},
    {"setActive(false) twice, and before any activation",
     {{Call::kInitialize, kOk},
      {Call::kDeactivate, kOk},
      {Call::kDeactivate, kOk},
      {Call::kSineSilenced, kOk}}},
    {"setupProcessing while active", After(kStart, {{Call::kWetOnly, kOk},
                                                    {Call::kSine, kOk},
                                                    {Call::kSetupOther, kFalse},
                                                    {Call::kLongBlock, kInvalid},
                                                    {Call::kSetup, kOk},
                                                    {Call::kQuietRinging, kOk}})},
    {"a new set-up after deactivation is taken", After(kStart, {{Call::kDeactivate, kOk},
                                                                {Call::kSetupOther, kOk},
                                                                {Call::kActivate, kOk},
                                                                {Call::kLongBlock, kOk}})},
    {"setProcessing(true) before setActive(true)",
     {{Call::kInitialize, kOk},
      {Call::kSetup, kOk},
      {Call::kProcessingOn, kFalse},
      {Call::kProcessingOff, kOk}}},
    {"setBusArrangements while active", After(kStart, {{Call::kArrangeMono, kFalse}, {Call::kSine, kOk}})},
    {"a refused arrangement keeps the one before",
     {{Call::kInitialize, kOk}, {Call::kArrangeMono, kOk}, {Call::kArrangeThree, kFalse}}},
    {"state while active", After(kStart, {{Call::kStateRoundTrip, kOk}, {Call::kSine, kOk}})},
    {"terminate while active", After(kStart, {{Call::kTerminate, kFalse},
                                              {Call::kSine, kOk},
                                              {Call::kProcessingOff, kOk},
                                              {Call::kDeactivate, kOk},
                                              {Call::kTerminate, kOk}})},
    {"terminate twice, then process",
     {{Call::kInitialize, kOk},
      {Call::kTerminate, kOk},
      {Call::kTerminate, kFalse},
      {Call::kSineSilenced, kFalse}}},
    {"initialize twice", {{Call::kInitialize, kOk}, {Call::kInitialize, kFalse}}},
    {"initialize again after terminate",
     After({{Call::kInitialize, kOk}, {Call::kTerminate, kOk}}, After(kStart, {{Call::kSine, kOk}}))},
    {"release without terminate", {{Call::kInitialize, kOk}}, true},
    {"release while active", After(kStart, {{Call::kSine, kOk}}), true},
    {"release before initialize", {}, true},
};

// One component made by the factory and driven call by call, without the test host's own start.
class Component {
 public:
  Component(IPluginFactory* factory, HostApplication& host, RecordingComponentHandler& handler)
      : host_(host) {
    TUID cid;
    ExpectedClassId(cid);
    void* object = nullptr;
    if (factory->createInstance(cid, IComponent::iid, &object) != kResultOk) return;
    component = static_cast<IComponent*>(object);
    if (component->queryInterface(IAudioProcessor::iid, &object) == kResultOk)
      processor = static_cast<IAudioProcessor*>(object);
    if (component->queryInterface(IEditController::iid, &object) == kResultOk)
      controller = static_cast<IEditController*>(object);
    if (controller) controller->setComponentHandler(&handler);
  }

  bool Made() const { return component && processor && controller; }

  // The answer of one call; failures of what the call must leave behind are reported here.
  tresult Run(Call call) {
    switch (call) {
      case Call::kInitialize:
        return component->initialize(&host_);
      case Call::kTerminate:
        return component->terminate();
      case Call::kSetup: {
        ProcessSetup setup{kRealtime, kSample32, kMaxBlock, kRate};
        return processor->setupProcessing(setup);
      }
      case Call::kSetupOther: {
        ProcessSetup setup{kRealtime, kSample32, 2 * kMaxBlock, 44100.0};
        return processor->setupProcessing(setup);
      }
      case Call::kActivate:
        return component->setActive(true);
      case Call::kDeactivate:
        return component->setActive(false);
      case Call::kProcessingOn:
        return processor->setProcessing(true);
      case Call::kProcessingOff:
        return processor->setProcessing(false);
      case Call::kArrangeMono: {
        SpeakerArrangement mono = SpeakerArr::kMono;
        return processor->setBusArrangements(&mono, 1, &mono, 1);
      }
      case Call::kArrangeThree: {
        SpeakerArrangement inputs[3] = {SpeakerArr::kStereo, SpeakerArr::kStereo, SpeakerArr::kStereo};
        SpeakerArrangement output = SpeakerArr::kStereo;
        return processor->setBusArrangements(inputs, 3, &output, 1);
      }
      case Call::kWetOnly:
        return controller->setParamNormalized(halcyra::kParamMix, 1.0);
      case Call::kSine:
      case Call::kSineSilenced:
      case Call::kQuietRinging:
      case Call::kQuietSilent:
        return ProcessAndJudge(call);
      case Call::kLongBlock: {
        AudioBlock block(2 * kMaxBlock, 2, 2, kSample32);
        return processor->process(block.Data());
      }
      case Call::kStateRoundTrip: {
        TestStream saved;
        const tresult written = component->getState(&saved);
        if (written != kResultOk) return written;
        TestStream restore(saved.Bytes());
        return component->setState(&restore);
      }
    }
    return kNotImplemented;
  }

  // The shutdown a well-behaved host makes from any stage; the answers are not the point here.
  void ShutDown() {
    processor->setProcessing(false);
    component->setActive(false);
    component->terminate();
  }

  void Release() {
    if (controller) controller->release();
    if (processor) processor->release();
    if (component) component->release();
    controller = nullptr;
    processor = nullptr;
    component = nullptr;
  }

  IComponent* component = nullptr;
  IAudioProcessor* processor = nullptr;
  IEditController* controller = nullptr;

 private:
  // A sine is played for four blocks, since a wet-only chorus is silent for its first milliseconds;
  // the last block is judged.
  tresult ProcessAndJudge(Call call) {
    const bool quiet = call == Call::kQuietRinging || call == Call::kQuietSilent;
    const int blocks = call == Call::kSine ? 4 : 1;
    tresult answer = kResultOk;
    for (int b = 0; b < blocks; ++b) {
      AudioBlock block(kFrames, 2, 2, kSample32);
      const std::vector<float> sine = Sine(kFrames, 330.0, kRate, 0.5, played_);
      if (!quiet) {
        block.SetInput(0, 0, sine.data());
        block.SetInput(0, 1, sine.data());
      }
      block.FillOutput(0.25);  // what a host's buffer may hold from before
      played_ += kFrames;
      answer = processor->process(block.Data());
      EXPECT_TRUE(block.GuardsIntact());
      if (b + 1 < blocks) continue;
      const double level = std::max(Rms(block.OutputChannel(0)), Rms(block.OutputChannel(1)));
      if (call == Call::kSine || call == Call::kQuietRinging) {
        EXPECT_GT(level, 1e-3) << "the block came out silent";
      } else {
        EXPECT_EQ(level, 0.0) << "the block is not silent";
        EXPECT_EQ(block.Output().silenceFlags, 3u) << "silent channels must be flagged";
      }
    }
    return answer;
  }

  HostApplication& host_;
  int32 played_ = 0;
};

class Vst3CallOrder : public ::testing::TestWithParam<Sequence> {
 protected:
  void SetUp() override { ASSERT_NE(nullptr, loaded_.Factory()); }

  LoadedFactory loaded_;
};

TEST_P(Vst3CallOrder, AnswersEachCallAndLetsGoOfTheHost) {
  const Sequence& sequence = GetParam();
  HostApplication host;
  RecordingComponentHandler handler;
  {
    Component plugin(loaded_.Factory(), host, handler);
    ASSERT_TRUE(plugin.Made());
    for (size_t i = 0; i < sequence.steps.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "step " << i);
      EXPECT_EQ(sequence.steps[i].answer, plugin.Run(sequence.steps[i].call));
    }
    if (!sequence.releaseWithoutShutdown) plugin.ShutDown();
    plugin.Release();
  }
  EXPECT_EQ(1, host.References()) << "the component still holds the host context";
  EXPECT_EQ(1, handler.References()) << "the component still holds the component handler";
}

INSTANTIATE_TEST_SUITE_P(Sequences, Vst3CallOrder, ::testing::ValuesIn(kSequences));

// What a sequence leaves that its answers alone do not show.
class Vst3CallOrderEffects : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(nullptr, loaded_.Factory());
    plugin_ = std::make_unique<Component>(loaded_.Factory(), host_, handler_);
    ASSERT_TRUE(plugin_->Made());
  }
  void TearDown() override {
    if (!plugin_) return;
    plugin_->ShutDown();
    plugin_->Release();
  }

  SpeakerArrangement Arrangement(BusDirection direction, int32 index) {
    SpeakerArrangement arrangement = 0;
    plugin_->processor->getBusArrangement(direction, index, arrangement);
    return arrangement;
  }

  LoadedFactory loaded_;
  HostApplication host_;
  RecordingComponentHandler handler_;
  std::unique_ptr<Component> plugin_;
};

TEST_F(Vst3CallOrderEffects, ASecondInitializeMakesNothingTwice) {
  ASSERT_EQ(kResultOk, plugin_->Run(Call::kInitialize));
  ASSERT_EQ(kResultFalse, plugin_->Run(Call::kInitialize));
  EXPECT_EQ(129, plugin_->controller->getParameterCount());
  EXPECT_EQ(2, plugin_->component->getBusCount(kAudio, kInput));
  EXPECT_EQ(1, plugin_->component->getBusCount(kAudio, kOutput));
  ASSERT_EQ(kResultOk, plugin_->Run(Call::kTerminate));
  ASSERT_EQ(kResultOk, plugin_->Run(Call::kInitialize));
  EXPECT_EQ(129, plugin_->controller->getParameterCount());
  EXPECT_EQ(2, plugin_->component->getBusCount(kAudio, kInput));
}

TEST_F(Vst3CallOrderEffects, RefusedArrangementsKeepTheBusesTheHostSawBefore) {
  ASSERT_EQ(kResultOk, plugin_->Run(Call::kInitialize));
  ASSERT_EQ(kResultOk, plugin_->Run(Call::kArrangeMono));
  ASSERT_EQ(kResultFalse, plugin_->Run(Call::kArrangeThree));
  EXPECT_EQ(1, plugin_->component->getBusCount(kAudio, kInput));
  EXPECT_EQ(SpeakerArr::kMono, Arrangement(kInput, 0));
  EXPECT_EQ(SpeakerArr::kMono, Arrangement(kOutput, 0));

  ASSERT_EQ(kResultOk, plugin_->Run(Call::kSetup));
  ASSERT_EQ(kResultOk, plugin_->Run(Call::kActivate));
  SpeakerArrangement stereo = SpeakerArr::kStereo;
  EXPECT_EQ(kResultFalse, plugin_->processor->setBusArrangements(&stereo, 1, &stereo, 1));
  EXPECT_EQ(SpeakerArr::kMono, Arrangement(kInput, 0));
}

// The host's main thread saves and restores the state while its processing thread runs blocks: every
// call succeeds, and the last restore leaves the values that were saved.
TEST_F(Vst3CallOrderEffects, StateCallsWhileAnotherThreadProcesses) {
  for (const Step& step : kStart) ASSERT_EQ(step.answer, plugin_->Run(step.call));
  ASSERT_EQ(kResultOk, plugin_->controller->setParamNormalized(halcyra::kParamDepth, 0.75));
  TestStream saved;
  ASSERT_EQ(kResultOk, plugin_->component->getState(&saved));

  std::atomic<bool> stop{false};
  std::atomic<long> refusedBlocks{0};
  std::thread audio([&] {
    int32 played = 0;
    while (!stop.load()) {
      AudioBlock block(kFrames, 2, 2, kSample32);
      const std::vector<float> sine = Sine(kFrames, 220.0, kRate, 0.5, played);
      block.SetInput(0, 0, sine.data());
      block.SetInput(0, 1, sine.data());
      if (plugin_->processor->process(block.Data()) != kResultOk) ++refusedBlocks;
      played += kFrames;
    }
  });
  int failedStateCalls = 0;
  for (int round = 0; round < 200; ++round) {
    TestStream written;
    failedStateCalls += plugin_->component->getState(&written) != kResultOk;
    TestStream restore(round % 2 ? written.Bytes() : saved.Bytes());
    failedStateCalls += plugin_->component->setState(&restore) != kResultOk;
  }
  TestStream last(saved.Bytes());
  failedStateCalls += plugin_->component->setState(&last) != kResultOk;
  stop = true;
  audio.join();

  EXPECT_EQ(0, failedStateCalls);
  EXPECT_EQ(0, refusedBlocks.load());
  EXPECT_NEAR(0.75, plugin_->controller->getParamNormalized(halcyra::kParamDepth), 1e-6);
  TestStream now;
  ASSERT_EQ(kResultOk, plugin_->component->getState(&now));
  EXPECT_EQ(saved.Bytes(), now.Bytes());
}

// Parameter changes whose reading holds the audio thread inside a block until the test lets it go.
class HeldChanges : public ParameterChanges {
 public:
  int32 PLUGIN_API getParameterCount() override {
    inside = true;
    for (int waited = 0; !released && waited < 2000; ++waited)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 0;
  }
  std::atomic<bool> inside{false};
  std::atomic<bool> released{false};
};

// A host that deactivates while its processing thread is still in a block: setActive(false) must not
// return, and a new set-up replace what the block reads, before the block has ended.
TEST_F(Vst3CallOrderEffects, DeactivationWaitsForTheBlockInFlight) {
  for (const Step& step : kStart) ASSERT_EQ(step.answer, plugin_->Run(step.call));
  HeldChanges held;
  std::atomic<bool> blockEnded{false};
  std::thread audio([&] {
    AudioBlock block(kFrames, 2, 2, kSample32);
    block.Data().inputParameterChanges = &held;
    EXPECT_EQ(kResultOk, plugin_->processor->process(block.Data()));
    blockEnded = true;
  });
  while (!held.inside) std::this_thread::yield();
  std::atomic<bool> deactivated{false};
  std::atomic<bool> endedFirst{false};
  std::thread host([&] {
    EXPECT_EQ(kResultOk, plugin_->component->setActive(false));
    endedFirst = blockEnded.load();
    deactivated = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(deactivated) << "setActive(false) returned while a block was still being processed";
  held.released = true;
  audio.join();
  host.join();
  EXPECT_TRUE(endedFirst);
}

}  // namespace
}  // namespace halcyra_test
