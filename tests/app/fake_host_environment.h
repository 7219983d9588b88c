#pragma once
// Fakes for the standalone host's platform: a settings file held in a table (values come back
// without surrounding blanks, as the platform's profile reader gives them), an audio device whose
// devices, results and callbacks the test controls, and MIDI objects with a chosen port list.
// Sleeping only adds up the time asked for.

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/device_settings.h"
#include "app/host_environment.h"
#include "core/utf8_prefix.h"

namespace plugfw::test {

// A device as the audio library lists it; a default device is the default of each direction it has.
inline AudioDeviceInfo FakeDevice(const char* name, int32_t inputs, int32_t outputs,
                                  std::vector<int32_t> rates, bool isDefault = false) {
  AudioDeviceInfo info;
  info.name = name;
  info.inputChannels = inputs;
  info.outputChannels = outputs;
  info.isDefaultInput = isDefault && inputs > 0;
  info.isDefaultOutput = isDefault && outputs > 0;
  info.sampleRates = std::move(rates);
  return info;
}

struct FakeSettingsFile {
  bool exists = false;
  std::map<std::pair<std::string, std::string>, std::string> values;
  std::vector<std::pair<std::string, std::string>> writeOrder;  // of the last rewrite
  int32_t rewrites = 0;
  int32_t failingWrite = -1;  // the key of a rewrite (counted from 0) whose write fails; -1: none

  void Set(const char* section, const char* key, const std::string& value) {
    values[{section, key}] = value;
    exists = true;
  }
  std::string Get(const char* section, const char* key) const {
    auto found = values.find({section, key});
    return found == values.end() ? std::string("<missing>") : found->second;
  }
};

class FakeSettingsStore : public SettingsStore {
 public:
  explicit FakeSettingsStore(FakeSettingsFile& file) : file_(file) {}
  bool Exists() override { return file_.exists; }
  bool ReadText(const char* section, const char* key, char* out, int32_t size) override {
    auto found = file_.values.find({section, key});
    if (found == file_.values.end()) return false;
    std::string value = found->second;
    const size_t first = value.find_first_not_of(" \t");
    value = first == std::string::npos ? std::string()
                                       : value.substr(first, value.find_last_not_of(" \t") - first + 1);
    const int32_t kept = Utf8PrefixLength(value.c_str(), static_cast<int32_t>(value.size()), size - 1);
    std::memcpy(out, value.data(), static_cast<size_t>(kept));
    out[kept] = '\0';
    return true;
  }
  // A rewrite goes to a copy of its own, which EndWrite puts in the file's place.
  bool BeginWrite() override {
    pending_.clear();
    pendingOrder_.clear();
    return true;
  }
  bool WriteText(const char* section, const char* key, const char* value) override {
    if (static_cast<int32_t>(pendingOrder_.size()) == file_.failingWrite) return false;
    pending_[{section, key}] = value;
    pendingOrder_.emplace_back(section, key);
    return true;
  }
  bool EndWrite() override {
    file_.values = pending_;
    file_.writeOrder = pendingOrder_;
    file_.exists = true;
    ++file_.rewrites;
    return true;
  }
  void AbandonWrite() override {
    pending_.clear();
    pendingOrder_.clear();
  }

 private:
  FakeSettingsFile& file_;
  std::map<std::pair<std::string, std::string>, std::string> pending_;
  std::vector<std::pair<std::string, std::string>> pendingOrder_;
};

struct FakeAudioState {
  std::vector<AudioDeviceInfo> devices;
  bool openSucceeds = true;
  std::function<bool(const AudioStreamRequest&)> refuses;  // a stream no device would open
  bool startSucceeds = true;
  uint32_t grantFrames = 0;  // 0: the requested size
  bool open = false;
  std::atomic<bool> running{false};
  int32_t opens = 0;
  int32_t aborts = 0;
  int32_t closes = 0;
  AudioStreamRequest lastRequest;
  AudioCallback callback = nullptr;
  void* userData = nullptr;
  // Held through each callback and by abort, so no callback runs once a stream is aborted, as
  // the library guarantees.
  std::mutex callbackLock;

  // One device buffer through the host's callback; input and output are non-interleaved. False
  // (nothing called) once the stream is no longer running.
  bool RunCallback(std::vector<double>& output, std::vector<double>& input, uint32_t frames) {
    std::lock_guard<std::mutex> lock(callbackLock);
    if (!running) return false;
    output.assign(static_cast<size_t>(frames) * lastRequest.outputChannels, 0.0);
    input.resize(static_cast<size_t>(frames) * lastRequest.inputChannels, 0.0);
    callback(output.data(), input.empty() ? nullptr : input.data(), frames, 0.0, false, userData);
    return true;
  }
};

class FakeAudioDevice : public AudioDevice {
 public:
  explicit FakeAudioDevice(FakeAudioState& state) : state_(state) {}
  std::vector<AudioDeviceId> DeviceIds() override {
    std::vector<AudioDeviceId> ids;
    for (AudioDeviceId id = 0; id < state_.devices.size(); ++id) ids.push_back(id);
    return ids;
  }
  bool GetDeviceInfo(AudioDeviceId id, AudioDeviceInfo& info) override {
    if (id >= state_.devices.size()) return false;
    info = state_.devices[id];
    return true;
  }
  bool OpenStream(const AudioStreamRequest& request, AudioCallback callback, void* userData,
                  uint32_t& grantedFrames) override {
    state_.lastRequest = request;
    ++state_.opens;
    if (!state_.openSucceeds || (state_.refuses && state_.refuses(state_.lastRequest))) return false;
    state_.callback = callback;
    state_.userData = userData;
    state_.open = true;
    grantedFrames = state_.grantFrames != 0 ? state_.grantFrames : request.bufferFrames;
    return true;
  }
  bool StartStream() override {
    if (!state_.startSucceeds) return false;
    state_.running = true;
    return true;
  }
  void AbortStream() override {
    std::lock_guard<std::mutex> lock(state_.callbackLock);
    ++state_.aborts;
    state_.running = false;
  }
  void CloseStream() override {
    if (state_.open) ++state_.closes;
    state_.open = false;
    state_.running = false;
  }
  bool IsStreamOpen() const override { return state_.open; }
  bool IsStreamRunning() const override { return state_.running; }

 private:
  FakeAudioState& state_;
};

struct FakeMidiState {
  std::vector<std::string> inputPorts;
  std::vector<std::string> outputPorts;
  bool createFails = false;
  bool openFails = false;
  int32_t creations = 0;
  int32_t openInputPort = -1;
  int32_t openOutputPort = -1;
  std::string inputPortName;
  std::vector<std::vector<uint8_t>> sent;
  MidiInputCallback callback = nullptr;
  void* userData = nullptr;
};

class FakeMidiInput : public MidiInput {
 public:
  explicit FakeMidiInput(FakeMidiState& state) : state_(state) {}
  uint32_t PortCount() override { return static_cast<uint32_t>(state_.inputPorts.size()); }
  std::string PortName(uint32_t index) override { return state_.inputPorts.at(index); }
  bool OpenPort(uint32_t index, const char* portName) override {
    if (index >= state_.inputPorts.size() || state_.openFails) return false;
    state_.openInputPort = static_cast<int32_t>(index);
    state_.inputPortName = portName;
    return true;
  }
  void ClosePort() override { state_.openInputPort = -1; }
  void SetCallback(MidiInputCallback callback, void* userData) override {
    state_.callback = callback;
    state_.userData = userData;
  }
  void CancelCallback() override { state_.callback = nullptr; }

 private:
  FakeMidiState& state_;
};

class FakeMidiOutput : public MidiOutput {
 public:
  explicit FakeMidiOutput(FakeMidiState& state) : state_(state) {}
  uint32_t PortCount() override { return static_cast<uint32_t>(state_.outputPorts.size()); }
  std::string PortName(uint32_t index) override { return state_.outputPorts.at(index); }
  bool OpenPort(uint32_t index, const char* /*portName*/) override {
    if (index >= state_.outputPorts.size() || state_.openFails) return false;
    state_.openOutputPort = static_cast<int32_t>(index);
    return true;
  }
  void ClosePort() override { state_.openOutputPort = -1; }
  bool Send(const uint8_t* bytes, size_t size) override {
    state_.sent.emplace_back(bytes, bytes + size);
    return true;
  }

 private:
  FakeMidiState& state_;
};

struct FakeEnvironmentState {
  FakeSettingsFile settings;
  FakeAudioState audio;
  FakeMidiState midi;
  bool hasSettingsFolder = true;
  bool audioAvailable = true;
  bool audioCreationThrows = false;  // as the audio library may
  int32_t audioCreations = 0;
  std::vector<std::string> errors;
  std::atomic<int64_t> sleptMs{0};
  bool realSleep = false;  // for tests with a device thread
};

class FakeHostEnvironment : public HostEnvironment {
 public:
  explicit FakeHostEnvironment(FakeEnvironmentState& state) : state_(state) {}
  std::unique_ptr<AudioDevice> CreateAudioDevice(AudioErrorCallback /*onError*/) override {
    ++state_.audioCreations;
    if (state_.audioCreationThrows) throw std::runtime_error("RtApiDs: the sound system failed");
    if (!state_.audioAvailable) return nullptr;
    return std::make_unique<FakeAudioDevice>(state_.audio);
  }
  std::unique_ptr<MidiInput> CreateMidiInput(const char* /*clientName*/, uint32_t /*queueLimit*/,
                                             MidiErrorCallback /*onError*/, std::string& error) override {
    ++state_.midi.creations;
    if (state_.midi.createFails) {
      error = "MIDI input refused";
      return nullptr;
    }
    return std::make_unique<FakeMidiInput>(state_.midi);
  }
  std::unique_ptr<MidiOutput> CreateMidiOutput(const char* /*clientName*/, MidiErrorCallback /*onError*/,
                                               std::string& error) override {
    ++state_.midi.creations;
    if (state_.midi.createFails) {
      error = "MIDI output refused";
      return nullptr;
    }
    return std::make_unique<FakeMidiOutput>(state_.midi);
  }
  std::unique_ptr<SettingsStore> OpenSettings(std::string& path) override {
    if (!state_.hasSettingsFolder) return nullptr;
    path = "fake/settings.ini";
    return std::make_unique<FakeSettingsStore>(state_.settings);
  }
  void ShowError(const char* text, const char* title) override {
    state_.errors.push_back(std::string(title) + ": " + text);
  }
  void SleepMs(int32_t milliseconds) override {
    state_.sleptMs += milliseconds;
    if (state_.realSleep) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }

 private:
  FakeEnvironmentState& state_;
};

// The MIDI ports "Keys" and "Synth", and saved choices to start from: Line In to Speakers at
// 48 kHz, MIDI in from "Keys", no MIDI out. The devices are the caller's.
inline void SaveStudioChoices(FakeEnvironmentState& state) {
  state.midi.inputPorts = {"Keys"};
  state.midi.outputPorts = {"Synth"};
  state.settings.Set("audio", "indev", "Line In");
  state.settings.Set("audio", "outdev", "Speakers");
  state.settings.Set("audio", "sr", "48000");
  state.settings.Set("midi", "indev", "Keys");
  state.settings.Set("midi", "outdev", "off");
}

}  // namespace plugfw::test
