// The adapters over RtAudio and RtMidi on the platform: whatever the libraries throw or report
// for calls made in the wrong state or with bad arguments comes back as a result, and a failed
// open leaves no stream. Runs on whatever devices the machine has, none included.

#include <windows.h>

#include <mmsystem.h>

#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/host_environment.h"

namespace plugfw {
namespace {

int Silence(double*, double*, uint32_t, double, bool, void*) { return 0; }

std::vector<std::string>& MidiReports() {
  static std::vector<std::string> reports;
  return reports;
}

void RecordMidiError(const char* message) { MidiReports().emplace_back(message); }

// What is written to std::cerr while it lives.
class StandardErrorCapture {
 public:
  StandardErrorCapture() : previous_(std::cerr.rdbuf(text_.rdbuf())) {}
  ~StandardErrorCapture() { std::cerr.rdbuf(previous_); }
  std::string Text() const { return text_.str(); }

 private:
  std::ostringstream text_;
  std::streambuf* previous_;
};

TEST(AudioAdapter, RefusedStreamsAndCallsOutOfOrderAnswerWithResults) {
  std::unique_ptr<HostEnvironment> environment = CreateWin32HostEnvironment();
  std::unique_ptr<AudioDevice> audio = environment->CreateAudioDevice([](const char*) {});
  ASSERT_NE(audio, nullptr);
  const size_t devices = audio->DeviceIds().size();
  AudioDeviceInfo info;
  EXPECT_FALSE(audio->GetDeviceInfo(static_cast<AudioDeviceId>(devices + 5), info));

  // Nothing open: starting, aborting and closing are harmless.
  EXPECT_FALSE(audio->StartStream());
  audio->AbortStream();
  audio->CloseStream();
  EXPECT_FALSE(audio->IsStreamOpen());

  AudioStreamRequest request;
  request.inputDevice = static_cast<AudioDeviceId>(devices + 5);
  request.inputChannels = 2;
  request.outputDevice = static_cast<AudioDeviceId>(devices + 6);
  request.outputChannels = 2;
  request.sampleRate = 48000;
  request.bufferFrames = 512;
  uint32_t granted = 0;
  EXPECT_FALSE(audio->OpenStream(request, &Silence, nullptr, granted));
  EXPECT_FALSE(audio->IsStreamOpen());
  EXPECT_FALSE(audio->IsStreamRunning());

  for (AudioDeviceId id : audio->DeviceIds()) {
    if (!audio->GetDeviceInfo(id, info) || info.outputChannels == 0) continue;
    request.outputDevice = id;
    request.inputChannels = 0;
    request.outputChannels = 2;
    request.sampleRate = 1;  // no device runs at 1 Hz
    EXPECT_FALSE(audio->OpenStream(request, &Silence, nullptr, granted)) << info.name;
    EXPECT_FALSE(audio->IsStreamOpen()) << info.name;
  }
}

TEST(MidiAdapter, PortsThatDoNotExistAreRefusedWithoutThrowing) {
  std::unique_ptr<HostEnvironment> environment = CreateWin32HostEnvironment();
  std::string error;
  std::unique_ptr<MidiInput> input =
      environment->CreateMidiInput("RtMidi Input Client", 100, &RecordMidiError, error);
  std::unique_ptr<MidiOutput> output =
      environment->CreateMidiOutput("RtMidi Output Client", &RecordMidiError, error);
  ASSERT_NE(input, nullptr) << error;
  ASSERT_NE(output, nullptr) << error;
  const uint32_t inputs = input->PortCount();
  const uint32_t outputs = output->PortCount();
  EXPECT_EQ(input->PortName(inputs + 3), "");
  EXPECT_FALSE(input->OpenPort(inputs + 3, "RtMidi Input"));
  EXPECT_FALSE(output->OpenPort(outputs + 3, "RtMidi Output"));
  input->ClosePort();
  output->ClosePort();
  input->SetCallback([](const uint8_t*, size_t, void*) {}, nullptr);
  input->CancelCallback();
  input->CancelCallback();
  // Sending through a port that is not open is refused, not thrown.
  const uint8_t note[] = {0x90, 60, 100};
  EXPECT_FALSE(output->Send(note, sizeof note));
  EXPECT_FALSE(output->Send(note, 0));
}

TEST(MidiAdapter, NoPortAtAllSaysNothingWhileARealFailureIsReported) {
  if (midiInGetNumDevs() > 0 || midiOutGetNumDevs() > 0) GTEST_SKIP() << "this machine has MIDI ports";
  MidiReports().clear();
  std::string error;
  std::unique_ptr<MidiInput> input;
  std::unique_ptr<MidiOutput> output;
  {
    const StandardErrorCapture captured;
    input = CreateRtMidiInput("RtMidi Input Client", 100, &RecordMidiError, error);
    output = CreateRtMidiOutput("RtMidi Output Client", &RecordMidiError, error);
    EXPECT_EQ(captured.Text(), "");
  }
  ASSERT_NE(input, nullptr) << error;
  ASSERT_NE(output, nullptr) << error;
  EXPECT_TRUE(MidiReports().empty());
  EXPECT_EQ(input->PortCount(), 0u);

  // Opening a port that is not there is a failure of its own: reported once, answered false.
  {
    const StandardErrorCapture captured;
    EXPECT_FALSE(input->OpenPort(0, "RtMidi Input"));
    EXPECT_EQ(captured.Text(), "");
  }
  ASSERT_EQ(MidiReports().size(), 1u);
  EXPECT_NE(MidiReports()[0].find("MidiInWinMM"), std::string::npos) << MidiReports()[0];
}

}  // namespace
}  // namespace plugfw
