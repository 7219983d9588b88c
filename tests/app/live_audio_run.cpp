// Drives the standalone host the way the program entry does, on the machine's real devices:
// start-up with the settings file in a given folder, the stream opened with the effect (or with
// it bypassed), audio for a few seconds, then quitting with the fade-out handshake. Prints what
// it found and fails when no stream ran or quitting took too long. Used by live_audio_test.sh.
//   live_audio_run.exe FOLDER SECONDS [bypass]
// The stream uses a ring of kEmulatedDeviceBuffers device buffers: Wine's DirectSound drops out
// with the library's default of three.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/error_reporting_environment.h"
#include "app/standalone_host.h"
#include "effect/halcyra.h"
#include "effect/param_table.h"

namespace {

constexpr double kQuitBoundMs = 1500.0;
constexpr double kMinRunFraction = 0.6;
constexpr int32_t kEmulatedDeviceBuffers = 6;

void PrintDevices(const plugfw::StandaloneHost& host) {
  for (plugfw::AudioDeviceId id : host.InputDeviceIds()) {
    std::printf("input device %u: %s, %d channels%s\n", id, host.GetAudioDeviceName(id).c_str(),
                host.Devices()[id].inputChannels,
                host.DefaultInput().found && host.DefaultInput().id == id ? " (default)" : "");
  }
  for (plugfw::AudioDeviceId id : host.OutputDeviceIds()) {
    std::printf("output device %u: %s, %d channels%s\n", id, host.GetAudioDeviceName(id).c_str(),
                host.Devices()[id].outputChannels,
                host.DefaultOutput().found && host.DefaultOutput().id == id ? " (default)" : "");
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s FOLDER SECONDS [bypass]\n", argv[0]);
    return 2;
  }
  const double seconds = std::atof(argv[2]);
  const bool bypass = argc > 3 && std::strcmp(argv[3], "bypass") == 0;

  plugfw::StandaloneHost* host = plugfw::StandaloneHost::Create(
      plugfw::WithErrorSink(plugfw::CreateWin32HostEnvironment(argv[1]), &plugfw::PrintErrorToStandardError));
  if (host == nullptr || !host->Init()) {
    std::fprintf(stderr, "host did not start\n");
    return 1;
  }
  PrintDevices(*host);
  if (host->InputDeviceIds().empty() || host->OutputDeviceIds().empty()) {
    std::fprintf(stderr, "no capture or no playback device\n");
    return 1;
  }
  host->SetDeviceBufferCount(kEmulatedDeviceBuffers);
  if (bypass) host->Plugin().GetParam(halcyra::kParamBypass)->Set(1.0);
  if (!host->ApplyAudioSettings()) {
    std::fprintf(stderr, "stream did not open\n");
    return 1;
  }
  const plugfw::DeviceSettings& settings = host->CurrentSettings();
  std::printf("stream: in \"%s\" out \"%s\", %d Hz, %u frames, %d input channels\n",
              settings.audioInputDevice.Get(), settings.audioOutputDevice.Get(),
              static_cast<int>(host->StreamSampleRate()), host->BufferFrames(), host->StreamInputChannels());
  std::printf("input channels from %d, output channels from %d\n", settings.firstInputChannel,
              settings.firstOutputChannel);
  std::fflush(stdout);
  Sleep(static_cast<DWORD>(seconds * 1000.0));

  const uint32_t frames = host->FramesProcessed();
  const double rate = host->StreamSampleRate();
  const auto quitStart = std::chrono::steady_clock::now();
  host->CloseAudio();
  const bool doneByHandshake = host->AudioDone();
  plugfw::StandaloneHost::Destroy();
  const double quitMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - quitStart).count();
  std::printf("frames processed %u, quit in %.0f ms, fade-out %s\n", frames, quitMs,
              doneByHandshake ? "answered" : "timed out");

  int status = 0;
  if (frames < kMinRunFraction * seconds * rate) {
    std::fprintf(stderr, "the stream ran for only %u frames\n", frames);
    status = 1;
  }
  if (quitMs > kQuitBoundMs) {
    std::fprintf(stderr, "quitting took %.0f ms\n", quitMs);
    status = 1;
  }
  return status;
}
