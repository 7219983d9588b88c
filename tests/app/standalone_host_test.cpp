// The standalone host over fake devices: start-up with good and bad settings, device fallbacks,
// the stream it asks for, the callback's blocks and fades, the bounded fade-out handshake, failed
// opens, MIDI ports (none at all, missing, present) and incoming MIDI, and the device-less modes.

#include "app/standalone_host.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "effect/halcyra.h"
#include "effect/param_table.h"
#include "tests/app/fake_host_environment.h"

namespace plugfw {
namespace {

using test::FakeEnvironmentState;
using test::FakeHostEnvironment;

AudioDeviceInfo Device(const char* name, int32_t inputs, int32_t outputs, bool defaultIn = false,
                       bool defaultOut = false) {
  AudioDeviceInfo info;
  info.name = name;
  info.inputChannels = inputs;
  info.outputChannels = outputs;
  info.isDefaultInput = defaultIn;
  info.isDefaultOutput = defaultOut;
  info.sampleRates = {44100, 48000};
  return info;
}

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state.audio.devices = {Device("Primary Sound Driver", 0, 2, false, true), Device("Speakers", 0, 2),
                           Device("Primary Sound Capture Driver", 2, 0, true, false),
                           Device("Capture: Line In", 2, 0), Device("Mono Mic", 1, 0)};
  }
  void TearDown() override { StandaloneHost::Destroy(); }

  StandaloneHost& Start(bool noIo = false) {
    host = StandaloneHost::Create(std::make_unique<FakeHostEnvironment>(state));
    EXPECT_NE(host, nullptr);
    host->SetNoIo(noIo);
    EXPECT_TRUE(host->Init());
    return *host;
  }

  FakeEnvironmentState state;
  StandaloneHost* host = nullptr;
};

TEST_F(HostTest, FirstRunWritesDefaultsThenReplacesUnknownDevicesByTheDefaults) {
  StandaloneHost& h = Start();
  EXPECT_EQ(state.settings.Get("audio", "indev"), "Default Device");
  EXPECT_EQ(state.settings.Get("audio", "sr"), "44100");
  EXPECT_EQ(state.settings.Get("midi", "indev"), "off");
  const int32_t rewrites = state.settings.rewrites;
  ASSERT_TRUE(h.ApplyAudioSettings());
  EXPECT_EQ(state.settings.rewrites, rewrites + 1);
  EXPECT_EQ(state.settings.Get("audio", "indev"), "Primary Sound Capture Driver");
  EXPECT_EQ(state.settings.Get("audio", "outdev"), "Primary Sound Driver");
  EXPECT_EQ(state.audio.lastRequest.inputDevice, 2u);
  EXPECT_EQ(state.audio.lastRequest.outputDevice, 0u);
  EXPECT_TRUE(h.IsStreamRunning());
  EXPECT_TRUE(h.LastAppliedSettings().Equals(h.CurrentSettings()));
}

TEST_F(HostTest, TheStreamCapturesOnlyTheMainPairOrOneMonoChannel) {
  state.settings.Set("audio", "indev", "Line In");
  state.settings.Set("audio", "outdev", "Speakers");
  StandaloneHost& h = Start();
  ASSERT_TRUE(h.ApplyAudioSettings());
  EXPECT_EQ(state.audio.lastRequest.inputDevice, 3u);
  EXPECT_EQ(state.audio.lastRequest.outputDevice, 1u);
  EXPECT_EQ(state.audio.lastRequest.inputChannels, 2);
  EXPECT_EQ(state.audio.lastRequest.outputChannels, 2);
  EXPECT_EQ(state.audio.lastRequest.deviceBuffers, 0);
  EXPECT_EQ(h.Plugin().HostInputChannels(), 2);

  h.CurrentSettings().audioInputDevice.Set("Mono Mic");
  ASSERT_TRUE(h.ApplyAudioSettings());
  EXPECT_EQ(state.audio.lastRequest.inputChannels, 1);
  EXPECT_EQ(h.Plugin().HostInputChannels(), 1);
}

TEST_F(HostTest, TheStreamCarriesTheChosenChannelPairs) {
  state.audio.devices.push_back(Device("Interface", 4, 6));
  state.settings.Set("audio", "indev", "Interface");
  state.settings.Set("audio", "outdev", "Interface");
  state.settings.Set("audio", "in1", "3");
  state.settings.Set("audio", "in2", "4");
  state.settings.Set("audio", "out1", "5");
  state.settings.Set("audio", "out2", "6");
  StandaloneHost& h = Start();
  ASSERT_TRUE(h.ApplyAudioSettings());
  const AudioStreamRequest& request = state.audio.lastRequest;
  EXPECT_EQ(request.inputFirstChannel, 2);
  EXPECT_EQ(request.inputChannels, 2);
  EXPECT_EQ(request.outputFirstChannel, 4);
  EXPECT_EQ(request.outputChannels, 2);

  // A pair from the device's last channel carries that one channel, taken as a mono input.
  h.CurrentSettings().firstInputChannel = 4;
  h.CurrentSettings().secondInputChannel = 5;
  ASSERT_TRUE(h.ApplyAudioSettings());
  EXPECT_EQ(request.inputFirstChannel, 3);
  EXPECT_EQ(request.inputChannels, 1);
  EXPECT_EQ(h.Plugin().HostInputChannels(), 1);

  // A pair past the device's channels opens nothing, and says so.
  h.CurrentSettings().firstOutputChannel = 7;
  h.CurrentSettings().secondOutputChannel = 8;
  const int32_t opens = state.audio.opens;
  EXPECT_FALSE(h.ApplyAudioSettings());
  EXPECT_EQ(state.audio.opens, opens);
  EXPECT_EQ(state.errors,
            std::vector<std::string>{"Error: The audio devices could not be opened with these settings"});

  // The pairs of a device that has gone go with it: the default device plays from its first.
  h.CurrentSettings().audioInputDevice.Set("Unplugged");
  h.CurrentSettings().audioOutputDevice.Set("Unplugged");
  ASSERT_TRUE(h.ApplyAudioSettings());
  EXPECT_EQ(request.inputFirstChannel, 0);
  EXPECT_EQ(request.outputFirstChannel, 0);
  EXPECT_EQ(state.settings.Get("audio", "in1"), "1");
  EXPECT_EQ(state.settings.Get("audio", "out2"), "2");
}

TEST_F(HostTest, APrefixedDeviceIsSavedWithoutPrefixAndFoundAgainNextStart) {
  state.settings.Set("audio", "indev", "Capture: Line In");  // the library's full name matches nothing
  Start().ApplyAudioSettings();
  StandaloneHost::Destroy();
  // The user picks the prefixed device; its name is saved, read back and matched.
  StandaloneHost& h = Start();
  AudioDeviceId lineIn = 0;
  ASSERT_TRUE(h.FindAudioDevice("Line In", true, lineIn));
  h.CurrentSettings().audioInputDevice.Set(h.GetAudioDeviceName(lineIn).c_str());
  h.WriteSettings();
  EXPECT_EQ(state.settings.Get("audio", "indev"), "Line In");
  StandaloneHost::Destroy();
  StandaloneHost& again = Start();
  ASSERT_TRUE(again.ApplyAudioSettings());
  EXPECT_EQ(state.audio.lastRequest.inputDevice, 3u);
  EXPECT_STREQ(again.CurrentSettings().audioInputDevice.Get(), "Line In");
  // An older file that kept the blank after the colon matches too.
  AudioDeviceId found = 0;
  EXPECT_TRUE(again.FindAudioDevice(" Line In", true, found));
  EXPECT_EQ(found, 3u);
}

TEST_F(HostTest, WithoutADefaultDeviceTheUserIsToldAndNoStreamOpens) {
  state.audio.devices = {Device("Speakers", 0, 2)};
  StandaloneHost& h = Start();
  EXPECT_FALSE(h.ApplyAudioSettings());
  ASSERT_EQ(state.errors.size(), 1u);
  EXPECT_EQ(state.errors[0], "Error: Please check the audio settings");
  EXPECT_EQ(state.audio.opens, 0);
}

TEST_F(HostTest, AFailedOpenOrStartLeavesNoStreamAndTheLastAppliedSettings) {
  StandaloneHost& h = Start();
  ASSERT_TRUE(h.ApplyAudioSettings());
  const DeviceSettings applied = h.LastAppliedSettings();

  h.CurrentSettings().sampleRate = 96000;
  state.audio.openSucceeds = false;
  EXPECT_FALSE(h.ApplyAudioSettings());
  EXPECT_FALSE(h.IsStreamRunning());
  EXPECT_TRUE(h.LastAppliedSettings().Equals(applied));

  state.audio.openSucceeds = true;
  state.audio.startSucceeds = false;
  EXPECT_FALSE(h.ApplyAudioSettings());
  EXPECT_FALSE(state.audio.open);
  EXPECT_TRUE(h.LastAppliedSettings().Equals(applied));
}

TEST_F(HostTest, TheCallbackRunsEveryFrameFromTheFirstAndFadesTheFirstBufferIn) {
  StandaloneHost& h = Start();
  ASSERT_TRUE(h.ApplyAudioSettings());
  // Bypassed, the effect passes its input through, so the ramps are visible as they are.
  h.Plugin().GetParam(halcyra::kParamBypass)->Set(1.0);
  std::vector<double> output, input;
  for (uint32_t frames : {1000u, 1000u, 256u}) {
    input.assign(static_cast<size_t>(frames) * 2, 0.5);
    state.audio.RunCallback(output, input, frames);
  }
  EXPECT_EQ(h.FramesProcessed(), 2256u);
  EXPECT_TRUE(h.CallbackSeen());
  // The last buffer is past the fade-in and the bypass smoothing: input through on both channels.
  EXPECT_NEAR(output[0], 0.5, 1e-6);
  EXPECT_NEAR(output[255], 0.5, 1e-6);
  EXPECT_NEAR(output[256 + 255], 0.5, 1e-6);
}

TEST_F(HostTest, TheFirstBufferOfAStreamStartsFromSilence) {
  StandaloneHost& h = Start();
  h.Plugin().GetParam(halcyra::kParamBypass)->Set(1.0);
  ASSERT_TRUE(h.ApplyAudioSettings());
  std::vector<double> output, input(1024, 0.5);
  state.audio.RunCallback(output, input, 512);
  EXPECT_EQ(output[0], 0.0);
  EXPECT_EQ(output[512], 0.0);
  EXPECT_LT(std::fabs(output[10]), std::fabs(output[500]));
}

TEST_F(HostTest, FadeOutHandshakeWithALiveDeviceThreadEndsAtZeroThenSilence) {
  StandaloneHost& h = Start();
  h.Plugin().GetParam(halcyra::kParamBypass)->Set(1.0);
  ASSERT_TRUE(h.ApplyAudioSettings());
  state.realSleep = true;
  std::vector<std::vector<double>> buffers;
  std::thread device([&] {
    std::vector<double> output, input;
    for (;;) {
      input.assign(2 * 256, 0.5);
      if (!state.audio.RunCallback(output, input, 256)) break;
      if (h.AudioDone()) buffers.push_back(output);
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });
  while (h.FramesProcessed() < 256 * 20) std::this_thread::yield();
  h.CloseAudio();
  device.join();
  EXPECT_EQ(state.audio.aborts, 1);
  EXPECT_FALSE(state.audio.open);
  ASSERT_FALSE(buffers.empty());
  // The faded buffer ends at exactly 0; any buffer after it is all zeros.
  EXPECT_EQ(buffers[0][255], 0.0);
  EXPECT_GT(buffers[0][0], 0.1);
  for (size_t b = 1; b < buffers.size(); ++b) {
    for (double sample : buffers[b]) ASSERT_EQ(sample, 0.0);
  }
}

TEST_F(HostTest, AStalledDeviceDoesNotHangClosing) {
  state.settings.Set("audio", "buffer", "8192");
  StandaloneHost& h = Start();
  ASSERT_TRUE(h.ApplyAudioSettings());
  // The device never calls back: the wait is bounded, then the stream is aborted anyway.
  h.CloseAudio();
  EXPECT_GT(state.sleptMs, 0);
  EXPECT_LE(state.sleptMs, StandaloneHost::kFadeWaitMaxMs);
  EXPECT_EQ(state.audio.aborts, 1);
  EXPECT_FALSE(state.audio.open);
}

TEST_F(HostTest, BadSettingsNeverStopAStartAndTheFileIsRewrittenSanely) {
  state.settings.Set("audio", "driver", "7");
  state.settings.Set("audio", "sr", "1000000000");
  state.settings.Set("audio", "buffer", "-3");
  state.settings.Set("audio", "in1", "zero");
  state.settings.Set("audio", "indev", "");
  state.settings.Set("audio", "outdev", std::string(5000, 'x'));
  state.settings.Set("midi", "inchan", "99");
  state.settings.Set("midi", "stray", "1");
  StandaloneHost& h = Start();
  EXPECT_EQ(state.settings.Get("audio", "driver"), "0");
  EXPECT_EQ(state.settings.Get("audio", "sr"), "44100");
  EXPECT_EQ(state.settings.Get("audio", "buffer"), "512");
  EXPECT_EQ(state.settings.Get("audio", "in1"), "1");
  EXPECT_EQ(state.settings.Get("midi", "inchan"), "0");
  EXPECT_EQ(state.settings.Get("midi", "stray"), "<missing>");
  ASSERT_TRUE(h.ApplyAudioSettings());
  EXPECT_EQ(state.settings.Get("audio", "indev"), "Primary Sound Capture Driver");
  EXPECT_EQ(state.settings.Get("audio", "outdev"), "Primary Sound Driver");
  EXPECT_EQ(state.audio.lastRequest.sampleRate, 44100);
  EXPECT_EQ(state.audio.lastRequest.bufferFrames, 512u);
}

TEST_F(HostTest, ZeroMidiPortsTurnASavedPortOffAndKeepWorking) {
  state.settings.Set("midi", "indev", "Keyboard");
  state.settings.Set("midi", "outdev", "off");
  StandaloneHost& h = Start();
  EXPECT_EQ(h.MidiPortNames(MidiDirection::kInput), (std::vector<std::string>{"off"}));
  EXPECT_EQ(h.FindMidiPort(MidiDirection::kInput, "off"), 0);
  EXPECT_EQ(h.FindMidiPort(MidiDirection::kInput, "Keyboard"), -1);
  EXPECT_STREQ(h.CurrentSettings().midiInputPort.Get(), "off");
  EXPECT_EQ(state.settings.Get("midi", "indev"), "off");
  EXPECT_EQ(state.midi.openInputPort, -1);
}

TEST_F(HostTest, SavedPortsThatExistAreOpenedByIndex) {
  state.midi.inputPorts = {"Loop A", "Keyboard"};
  state.midi.outputPorts = {"Synth"};
  state.settings.Set("midi", "indev", "Keyboard");
  state.settings.Set("midi", "outdev", "Synth");
  StandaloneHost& h = Start();
  EXPECT_EQ(h.MidiPortNames(MidiDirection::kInput), (std::vector<std::string>{"off", "Loop A", "Keyboard"}));
  EXPECT_EQ(state.midi.openInputPort, 1);
  EXPECT_EQ(state.midi.inputPortName, "RtMidi Input");
  EXPECT_EQ(state.midi.openOutputPort, 0);
  EXPECT_TRUE(h.SelectMidiPort(MidiDirection::kInput, "off"));
  EXPECT_EQ(state.midi.openInputPort, -1);
}

TEST_F(HostTest, WithoutMidiLibraryTheSavedPortsStay) {
  state.midi.createFails = true;
  state.settings.Set("midi", "indev", "Keyboard");
  StandaloneHost& h = Start();
  EXPECT_FALSE(h.SelectMidiPort(MidiDirection::kInput, "Keyboard"));
  EXPECT_EQ(state.settings.Get("midi", "indev"), "Keyboard");
}

TEST_F(HostTest, NoIoTouchesNoDeviceAndWritesNothing) {
  state.settings.Set("midi", "indev", "Keyboard");
  state.settings.Set("audio", "indev", "Gone");
  state.settings.Set("audio", "sr", "garbage");
  StandaloneHost& h = Start(true);
  EXPECT_TRUE(h.ApplyAudioSettings());
  EXPECT_EQ(state.audioCreations, 0);
  EXPECT_EQ(state.midi.creations, 0);
  EXPECT_EQ(state.settings.rewrites, 0);
  EXPECT_EQ(state.settings.Get("midi", "indev"), "Keyboard");
  EXPECT_STREQ(h.CurrentSettings().midiInputPort.Get(), "Keyboard");
  EXPECT_EQ(h.CurrentSettings().sampleRate, 44100);
}

TEST_F(HostTest, ScreenshotModeIsDeviceLessToo) {
  host = StandaloneHost::Create(std::make_unique<FakeHostEnvironment>(state));
  ASSERT_NE(host, nullptr);
  host->SetScreenshotPath("shot.png");
  ASSERT_TRUE(host->Init());
  EXPECT_TRUE(host->ApplyAudioSettings());
  EXPECT_EQ(state.audioCreations + state.midi.creations + state.settings.rewrites, 0);
}

TEST_F(HostTest, IncomingMidiBecomesMessagesOrSysExOrIsDropped) {
  state.midi.inputPorts = {"Keyboard"};
  StandaloneHost& h = Start();
  ASSERT_NE(state.midi.callback, nullptr);
  const uint8_t note[] = {0x90, 60, 100};
  const uint8_t pressure[] = {0xD0, 42};
  std::vector<uint8_t> longSysEx(600, 0x11);
  const uint8_t shortSysEx[] = {0xF0, 0x7D, 0x01, 0x02, 0xF7};
  state.midi.callback(note, 3, state.midi.userData);
  state.midi.callback(pressure, 2, state.midi.userData);
  state.midi.callback(note, 0, state.midi.userData);
  EXPECT_EQ(h.Plugin().PendingMidiInput(), 2);
  state.midi.callback(longSysEx.data(), longSysEx.size(), state.midi.userData);
  EXPECT_EQ(h.Plugin().PendingSysExInput(), 0);
  state.midi.callback(shortSysEx, sizeof shortSysEx, state.midi.userData);
  EXPECT_EQ(h.Plugin().PendingSysExInput(), 1);
  // The next block takes everything queued.
  ASSERT_TRUE(h.ApplyAudioSettings());
  std::vector<double> output, input;
  state.audio.RunCallback(output, input, 64);
  EXPECT_EQ(h.Plugin().PendingMidiInput(), 0);
  EXPECT_EQ(h.Plugin().PendingSysExInput(), 0);
}

}  // namespace
}  // namespace plugfw
