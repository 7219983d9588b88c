#pragma once
// StandaloneHost: the plug-in's host inside the standalone program. It owns the plug-in, the
// audio device and the MIDI port objects and the device settings; it lists devices and ports,
// opens the duplex stream with a fade-in and closes it after a fade-out handshake, runs the
// plug-in from the audio callback in blocks of at most 512 frames, and queues incoming MIDI for
// the plug-in. One host exists at a time.
// UI thread, every entry except OnAudio (audio thread: the device's callback), OnMidiInput (MIDI
// input thread) and OnAudioError. The flags those share with the UI thread are atomic; no lock
// is taken.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/app_wrapper.h"
#include "app/audio_device.h"
#include "app/device_settings.h"
#include "app/host_environment.h"
#include "app/midi_ports.h"
#include "core/heap_string.h"

namespace halcyra {
class Halcyra;
}

namespace plugfw {

enum class MidiDirection : int32_t { kInput = 0, kOutput = 1 };

// Whether a stream that does not open is reported to the user.
enum class FailureReport {
  kOnce,   // unless it is the failure of the same audio settings that was reported last
  kQuiet,  // going back to settings the user has already been told about, or chose to return to
};

class StandaloneHost : public AppHost {
 public:
  static constexpr int32_t kMidiQueueLimit = 100;
  static constexpr int32_t kFadeWaitStepMs = 10;
  // The fade-out handshake waits this many device buffers, within the bounds below.
  static constexpr int32_t kFadeWaitBuffers = 4;
  static constexpr int32_t kFadeWaitMinMs = 100;
  static constexpr int32_t kFadeWaitMaxMs = 1000;
  static constexpr const char* kErrorTitle = "Error";
  static constexpr const char* kMissingDeviceText = "Please check the audio settings";
  static constexpr const char* kStreamFailedText =
      "The audio devices could not be opened with these settings";

  struct DefaultDevice {
    AudioDeviceId id = 0;
    bool found = false;
  };

  // UI thread. Makes the host with its plug-in and then destroys an older one; null, never
  // throwing and with the older host kept, when memory for either could not be had. The process
  // keeps the host until Destroy or exit.
  static StandaloneHost* Create(std::unique_ptr<HostEnvironment> environment);
  static StandaloneHost* Instance();
  static void Destroy();
  ~StandaloneHost() override;

  // Command-line modes, set before Init: no audio or MIDI device is touched and the settings file
  // is read but never written.
  void SetNoIo(bool noIo) { noIo_ = noIo; }
  void SetScreenshotPath(const char* path) { screenshotPath_.Set(path); }
  bool WithoutDevices() const { return noIo_ || !screenshotPath_.Empty(); }

  bool Init();

  // The depth of the device's ring in buffers for the streams opened from now on; 0 (the start
  // value) leaves it to the audio library. Emulated sound stacks such as Wine's DirectSound need a
  // deeper ring than the library's default to run without dropouts.
  void SetDeviceBufferCount(int32_t buffers) { deviceBuffers_ = buffers > 0 ? buffers : 0; }

  // Settings file.
  bool ReadSettings();
  bool WriteSettings();

  // Audio.
  void CreateAudio();
  void ProbeAudioDevices();
  std::string GetAudioDeviceName(AudioDeviceId id) const;
  // The first device of that direction whose name matches; false when none does.
  bool FindAudioDevice(const char* name, bool input, AudioDeviceId& id) const;
  // Opens the stream with the current settings; false when none runs. Missing devices fall back
  // to the defaults; a failure is told as report says.
  bool ApplyAudioSettings(FailureReport report = FailureReport::kOnce);
  bool OpenAudio(AudioDeviceId inputId, AudioDeviceId outputId, int32_t sampleRate, uint32_t bufferFrames);
  void CloseAudio();
  bool IsStreamRunning() const;

  // MIDI.
  bool OpenMidi();
  void ProbeMidiPorts();
  // 0 for "off", k + 1 for port k, -1 when no port has that name.
  int32_t FindMidiPort(MidiDirection direction, const char* name) const;
  bool SelectMidiPort(MidiDirection direction, const char* name);

  // Editor.
  bool OpenEditor(void* parentWindow);
  void CloseEditor();

  // Audio thread: the device's callback. No allocation, no lock.
  static int OnAudio(double* output, double* input, uint32_t frames, double streamTime, bool overOrUnderflow,
                     void* userData);
  // MIDI input thread, lock-free.
  void OnMidiInput(const uint8_t* bytes, size_t size);
  // Any thread (the audio library's): one line to standard error.
  static void OnAudioError(const char* message);
  // The thread of the MIDI call that failed: one line to standard error.
  static void OnMidiError(const char* message);
  // UI thread. An error for the user, as the environment shows them (a box, or standard error).
  void ReportError(const char* text, const char* title) { environment_->ShowError(text, title); }

  MidiOutput* MidiOutputPort() override { return midiOutput_.get(); }

  halcyra::Halcyra& Plugin() { return *plugin_; }
  DeviceSettings& CurrentSettings() { return settings_; }
  DeviceSettings& DialogSettings() { return dialogSettings_; }
  const DeviceSettings& LastAppliedSettings() const { return lastApplied_; }
  // Whether a stream has started since the host was made: only then do the last-applied
  // settings hold settings that worked.
  bool HasWorkedSettings() const { return streamStarted_; }
  const std::string& SettingsPath() const { return settingsPath_; }
  const std::vector<AudioDeviceId>& InputDeviceIds() const { return inputIds_; }
  const std::vector<AudioDeviceId>& OutputDeviceIds() const { return outputIds_; }
  const std::vector<AudioDeviceInfo>& Devices() const { return devices_; }
  const DefaultDevice& DefaultInput() const { return defaultInput_; }
  const DefaultDevice& DefaultOutput() const { return defaultOutput_; }
  const std::vector<std::string>& MidiPortNames(MidiDirection direction) const {
    return direction == MidiDirection::kInput ? midiInputNames_ : midiOutputNames_;
  }
  double StreamSampleRate() const { return sampleRate_; }
  uint32_t BufferFrames() const { return bufferFrames_; }
  int32_t StreamInputChannels() const { return streamInputChannels_; }
  uint32_t FramesProcessed() const { return framesProcessed_.load(std::memory_order_acquire); }
  bool CallbackSeen() const { return callbackSeen_.load(std::memory_order_acquire); }
  bool AudioDone() const { return audioDone_.load(std::memory_order_acquire); }

 private:
  explicit StandaloneHost(std::unique_ptr<HostEnvironment> environment);
  void StopStream();
  int32_t FadeWaitLimitMs() const;
  void ProcessBuffer(double* output, double* input, int32_t frames);
  void PointChannels(double* output, double* input, int32_t frames, int32_t start);
  const AudioDeviceInfo* DeviceInfo(AudioDeviceId id) const;
  MidiPorts* Ports(MidiDirection direction);
  HeapString& SavedPortName(MidiDirection direction);
  void ReportAudioFailure(const char* text, FailureReport report);

  std::unique_ptr<HostEnvironment> environment_;
  std::unique_ptr<halcyra::Halcyra> plugin_;
  std::unique_ptr<AudioDevice> audio_;
  std::unique_ptr<MidiInput> midiInput_;
  std::unique_ptr<MidiOutput> midiOutput_;
  DeviceSettings settings_;
  DeviceSettings dialogSettings_;
  DeviceSettings lastApplied_;
  bool streamStarted_ = false;
  // The failure reported last and the settings it was about, so that it is told once.
  DeviceSettings reportedFailureSettings_;
  const char* reportedFailure_ = nullptr;
  double sampleRate_ = 44100.0;
  std::atomic<uint32_t> framesProcessed_{0};
  std::atomic<bool> callbackSeen_{false};
  uint32_t bufferFrames_ = 512;
  std::atomic<bool> midiMute_{false};
  std::atomic<bool> fadeOutRequested_{false};
  std::atomic<bool> audioDone_{false};
  bool noIo_ = false;
  DefaultDevice defaultInput_;
  DefaultDevice defaultOutput_;
  std::string settingsPath_;
  HeapString screenshotPath_;
  std::vector<AudioDeviceInfo> devices_;  // indexed by id
  std::vector<AudioDeviceId> inputIds_;
  std::vector<AudioDeviceId> outputIds_;
  std::vector<std::string> midiInputNames_;
  std::vector<std::string> midiOutputNames_;
  // Per block, one pointer per plug-in channel; channels the device does not carry read
  // silence_ or write into discard_.
  std::vector<double*> inputPointers_;
  std::vector<double*> outputPointers_;
  std::vector<double> silence_;
  std::vector<double> discard_;
  int32_t streamInputChannels_ = 0;
  int32_t streamOutputChannels_ = 0;
  int32_t deviceBuffers_ = 0;
};

}  // namespace plugfw
