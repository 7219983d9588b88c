// The standalone program under the program's counting allocator: making the host answers null (and
// keeps the older host) or a host with a whole plug-in whichever allocation fails, and the device
// callback - blocks of at most 512 frames through the wrapper, with MIDI and SysEx waiting in its
// queues - allocates nothing.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "app/standalone_host.h"
#include "effect/halcyra.h"
#include "effect/param_table.h"
#include "tests/app/fake_host_environment.h"
#include "tests/core/counting_allocator.h"
#include "tests/effect/whole_plugin.h"

namespace plugfw {
namespace {

using test::AllocationCounter;
using test::FakeEnvironmentState;
using test::FakeHostEnvironment;
using test::WithEachAllocationFailing;

AudioDeviceInfo Device(const char* name, int32_t inputs, int32_t outputs, bool isDefault) {
  AudioDeviceInfo info;
  info.name = name;
  info.inputChannels = inputs;
  info.outputChannels = outputs;
  info.isDefaultInput = isDefault && inputs > 0;
  info.isDefaultOutput = isDefault && outputs > 0;
  info.sampleRates = {44100, 48000};
  return info;
}

class AppAllocation : public ::testing::Test {
 protected:
  void SetUp() override {
    state_.audio.devices = {Device("Speakers", 0, 2, true), Device("Line In", 2, 0, true)};
    state_.midi.inputPorts = {"Keys"};
  }
  void TearDown() override { StandaloneHost::Destroy(); }

  FakeEnvironmentState state_;
};

TEST_F(AppAllocation, EachFailedAllocationGivesNullKeepingTheOlderHostOrAHostWithAWholePlugin) {
  StandaloneHost* older = StandaloneHost::Create(std::make_unique<FakeHostEnvironment>(state_));
  ASSERT_NE(older, nullptr);
  // Each run's environment is made before its limit starts: it belongs to the caller, not to creation.
  std::vector<std::unique_ptr<HostEnvironment>> environments;
  environments.push_back(std::make_unique<FakeHostEnvironment>(state_));
  const long needed = WithEachAllocationFailing(
      [&] { return StandaloneHost::Create(std::move(environments.back())); },
      [&](StandaloneHost* host, bool refused) {
        if (!refused) {
          ASSERT_NE(host, nullptr) << "creation failed with all the memory it asked for";
        }
        if (host == nullptr) {
          EXPECT_EQ(StandaloneHost::Instance(), older) << "a failed creation lost the running host";
        } else {
          EXPECT_EQ(StandaloneHost::Instance(), host);
          halcyra::test::ExpectWholePlugin(host->Plugin());
          older = host;
        }
        environments.push_back(std::make_unique<FakeHostEnvironment>(state_));
      });
  EXPECT_GT(needed, 2 * halcyra::kParamCount);
}

TEST_F(AppAllocation, DeviceCallbacksWithMidiWaitingAllocateNothing) {
  StandaloneHost* host = StandaloneHost::Create(std::make_unique<FakeHostEnvironment>(state_));
  ASSERT_NE(host, nullptr);
  ASSERT_TRUE(host->Init());
  ASSERT_TRUE(host->ApplyAudioSettings());
  halcyra::Halcyra& plugin = host->Plugin();

  constexpr uint32_t kMaxDeviceFrames = 2048;
  std::vector<double> input(2 * kMaxDeviceFrames), output(2 * kMaxDeviceFrames);
  std::mt19937 random(5);
  const uint8_t noteOn[3] = {0x90, 60, 100};
  const uint8_t programChange[2] = {0xC0, 7};
  uint8_t sysEx[200] = {0xF0, 0x7D};
  sysEx[199] = 0xF7;
  const uint32_t deviceSizes[] = {64, 256, 441, 512, 1000, 2048};
  long nonFinite = 0;
  long allocations = 0;
  {
    AllocationCounter counter;
    for (int buffer = 0; buffer < 2000; ++buffer) {
      // What other threads leave for the next block: MIDI from the input thread, MIDI from the
      // editor, a parameter value from the editor or the host.
      host->OnMidiInput(noteOn, sizeof noteOn);
      if (buffer % 3 == 0) host->OnMidiInput(programChange, sizeof programChange);
      if (buffer % 7 == 0) host->OnMidiInput(sysEx, sizeof sysEx);
      if (buffer % 5 == 0) plugin.PushMidiFromUI(MidiMessage{0, 0xB0, 1, uint8_t(buffer % 128)});
      const int32_t index = static_cast<int32_t>(random() % halcyra::kParamCount);
      if (index != halcyra::kParamBypass) plugin.GetParam(index)->SetNormalized((random() % 1000) / 999.0);

      const uint32_t frames = random() % 2 ? deviceSizes[random() % 6] : 1 + random() % kMaxDeviceFrames;
      for (uint32_t n = 0; n < 2 * frames; ++n) input[n] = 0.3 * std::sin(0.01 * (buffer * 7 + n));
      StandaloneHost::OnAudio(output.data(), input.data(), frames, 0.0, false, host);
      for (uint32_t n = 0; n < 2 * frames; ++n) nonFinite += !std::isfinite(output[n]);
    }
    allocations = counter.Count();
  }
  EXPECT_EQ(allocations, 0);
  EXPECT_EQ(nonFinite, 0);
  EXPECT_GT(host->FramesProcessed(), 1000000u);
  EXPECT_EQ(plugin.PendingMidiInput(), 0) << "the blocks drained the MIDI input queue";
}

}  // namespace
}  // namespace plugfw
