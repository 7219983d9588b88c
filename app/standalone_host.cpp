#include "app/standalone_host.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/audio_blocks.h"
#include "app/device_names.h"
#include "effect/halcyra.h"

namespace plugfw {
namespace {

constexpr const char* kMidiInputClient = "RtMidi Input Client";
constexpr const char* kMidiOutputClient = "RtMidi Output Client";
constexpr const char* kMidiInputPortName = "RtMidi Input";
constexpr const char* kMidiOutputPortName = "RtMidi Output";
constexpr const char* kHostName = "standalone";
constexpr int32_t kMaxStreamChannels = 2;  // the main pair; the side-chain is never fed here
constexpr size_t kShortMessageLimit = 4;
constexpr int32_t kFirstOfPair = 1;
constexpr int32_t kSecondOfPair = 2;

// The device channels one direction of the stream carries: from the chosen first channel of the
// pair, as many of the wanted channels as the device has from there (the second channel of a
// pair follows the first, as the preferences set it). Without the device's count the pair is
// taken as there. No channel at all (a pair past the device's last channel) leaves count 0.
struct StreamChannels {
  int32_t first = 0;  // counted from 0
  int32_t count = 0;
};

StreamChannels ChosenChannels(int32_t firstOfPair, int32_t wanted, const int32_t* deviceChannels) {
  StreamChannels channels;
  channels.first = std::max(firstOfPair, 1) - 1;
  const int32_t available = deviceChannels != nullptr ? *deviceChannels - channels.first : wanted;
  channels.count = std::max(0, std::min(wanted, available));
  return channels;
}

// The process-wide host: replaced by Create, deleted by Destroy or at exit.
std::unique_ptr<StandaloneHost>& HostSingleton() {
  static std::unique_ptr<StandaloneHost> host;
  return host;
}

}  // namespace

StandaloneHost* StandaloneHost::Create(std::unique_ptr<HostEnvironment> environment) {
  std::unique_ptr<StandaloneHost> host;
  try {
    host.reset(new StandaloneHost(std::move(environment)));
  } catch (...) {
    return nullptr;  // the host's own buffers could not be had
  }
  IAppWrapper::InstanceInfo info;
  info.host = host.get();
  host->plugin_ = halcyra::CreatePluginInstance(info);
  if (host->plugin_ == nullptr) return nullptr;
  // Only a host that was made whole replaces the older one.
  HostSingleton() = std::move(host);
  return HostSingleton().get();
}

StandaloneHost* StandaloneHost::Instance() { return HostSingleton().get(); }

void StandaloneHost::Destroy() { HostSingleton().reset(); }

StandaloneHost::StandaloneHost(std::unique_ptr<HostEnvironment> environment)
    : environment_(std::move(environment)),
      silence_(IAppWrapper::kBlockFrames, 0.0),
      discard_(IAppWrapper::kBlockFrames, 0.0) {}

StandaloneHost::~StandaloneHost() {
  midiMute_.store(true, std::memory_order_release);
  CloseAudio();
  if (midiInput_ != nullptr) midiInput_->CancelCallback();
  if (midiOutput_ != nullptr) midiOutput_->ClosePort();
  midiOutput_.reset();
  midiInput_.reset();
  audio_.reset();
  plugin_.reset();
}

bool StandaloneHost::Init() {
  plugin_->SetHost(kHostName, plugin_->VersionNumber());
  if (!ReadSettings()) return false;
  CreateAudio();
  ProbeAudioDevices();
  OpenMidi();
  ProbeMidiPorts();
  // Copies: selecting may replace the saved name.
  const HeapString savedInput(settings_.midiInputPort);
  const HeapString savedOutput(settings_.midiOutputPort);
  SelectMidiPort(MidiDirection::kInput, savedInput.Get());
  SelectMidiPort(MidiDirection::kOutput, savedOutput.Get());
  plugin_->OnAllParamsChanged(ParamSource::kReset);
  plugin_->SetActive(true);
  return true;
}

// ---- Settings file ----

bool StandaloneHost::ReadSettings() {
  std::unique_ptr<SettingsStore> store = environment_->OpenSettings(settingsPath_);
  // Without a folder the defaults serve for this run.
  if (store == nullptr) return true;
  if (store->Exists()) ReadDeviceSettings(*store, settings_);
  WriteSettings();
  return true;
}

bool StandaloneHost::WriteSettings() {
  if (WithoutDevices()) return false;
  std::string path;
  std::unique_ptr<SettingsStore> store = environment_->OpenSettings(path);
  return store != nullptr && WriteDeviceSettings(*store, settings_);
}

// ---- Audio ----

void StandaloneHost::CreateAudio() {
  CloseAudio();
  audio_.reset();
  if (WithoutDevices()) return;
  settings_.driver = 0;
  audio_ = environment_->CreateAudioDevice(&StandaloneHost::OnAudioError);
}

void StandaloneHost::ProbeAudioDevices() {
  devices_.clear();
  inputIds_.clear();
  outputIds_.clear();
  defaultInput_ = DefaultDevice{};
  defaultOutput_ = DefaultDevice{};
  if (audio_ == nullptr) return;
  for (AudioDeviceId id : audio_->DeviceIds()) {
    if (devices_.size() <= id) devices_.resize(id + 1);
    AudioDeviceInfo& info = devices_[id];
    // A device that cannot be probed offers no channels and is listed in neither direction.
    if (!audio_->GetDeviceInfo(id, info)) info = AudioDeviceInfo{};
    if (info.inputChannels > 0) inputIds_.push_back(id);
    if (info.outputChannels > 0) outputIds_.push_back(id);
    if (info.isDefaultInput && info.inputChannels > 0 && !defaultInput_.found) defaultInput_ = {id, true};
    if (info.isDefaultOutput && info.outputChannels > 0 && !defaultOutput_.found) defaultOutput_ = {id, true};
  }
}

const AudioDeviceInfo* StandaloneHost::DeviceInfo(AudioDeviceId id) const {
  return id < devices_.size() ? &devices_[id] : nullptr;
}

std::string StandaloneHost::GetAudioDeviceName(AudioDeviceId id) const {
  const AudioDeviceInfo* info = DeviceInfo(id);
  return info == nullptr ? std::string() : AudioDeviceDisplayName(info->name);
}

bool StandaloneHost::FindAudioDevice(const char* name, bool input, AudioDeviceId& id) const {
  for (AudioDeviceId candidate : input ? inputIds_ : outputIds_) {
    if (AudioDeviceNameMatches(GetAudioDeviceName(candidate), name)) {
      id = candidate;
      return true;
    }
  }
  return false;
}

void StandaloneHost::ReportAudioFailure(const char* text, FailureReport report) {
  if (report == FailureReport::kQuiet) return;
  if (reportedFailure_ == text && AudioSettingsEqual(reportedFailureSettings_, settings_)) return;
  reportedFailure_ = text;
  reportedFailureSettings_ = settings_;
  environment_->ShowError(text, kErrorTitle);
}

bool StandaloneHost::ApplyAudioSettings(FailureReport report) {
  if (WithoutDevices()) return true;
  AudioDeviceId inputId = 0;
  AudioDeviceId outputId = 0;
  bool inputKnown = FindAudioDevice(settings_.audioInputDevice.Get(), true, inputId);
  bool outputKnown = FindAudioDevice(settings_.audioOutputDevice.Get(), false, outputId);
  bool replaced = false;
  // The channels chosen belonged to the device that is missing: the default's start from its first.
  if (!inputKnown && defaultInput_.found) {
    inputId = defaultInput_.id;
    inputKnown = true;
    settings_.audioInputDevice.Set(GetAudioDeviceName(inputId).c_str());
    settings_.firstInputChannel = kFirstOfPair;
    settings_.secondInputChannel = kSecondOfPair;
    replaced = true;
  }
  if (!outputKnown && defaultOutput_.found) {
    outputId = defaultOutput_.id;
    outputKnown = true;
    settings_.audioOutputDevice.Set(GetAudioDeviceName(outputId).c_str());
    settings_.firstOutputChannel = kFirstOfPair;
    settings_.secondOutputChannel = kSecondOfPair;
    replaced = true;
  }
  if (replaced) WriteSettings();
  if (!inputKnown || !outputKnown) {
    ReportAudioFailure(kMissingDeviceText, report);
    return false;
  }
  if (OpenAudio(inputId, outputId, settings_.sampleRate, static_cast<uint32_t>(settings_.bufferSize)))
    return true;
  ReportAudioFailure(kStreamFailedText, report);
  return false;
}

int32_t StandaloneHost::FadeWaitLimitMs() const {
  const double rate = sampleRate_ > 0.0 ? sampleRate_ : 44100.0;
  const double buffersMs = kFadeWaitBuffers * 1000.0 * bufferFrames_ / rate;
  return static_cast<int32_t>(std::clamp(buffersMs, double{kFadeWaitMinMs}, double{kFadeWaitMaxMs}));
}

// Fades the running stream out and stops it. The callback normally answers within one buffer;
// a device that stops calling back must not hang the program, so the wait is bounded and the
// stream is aborted either way.
void StandaloneHost::StopStream() {
  if (audio_->IsStreamRunning()) {
    fadeOutRequested_.store(true, std::memory_order_release);
    const int32_t limit = FadeWaitLimitMs();
    for (int32_t waited = 0; !audioDone_.load(std::memory_order_acquire) && waited < limit;
         waited += kFadeWaitStepMs) {
      environment_->SleepMs(kFadeWaitStepMs);
    }
    audio_->AbortStream();
  }
  audio_->CloseStream();
}

void StandaloneHost::CloseAudio() {
  if (audio_ == nullptr || !audio_->IsStreamOpen()) return;
  StopStream();
}

bool StandaloneHost::IsStreamRunning() const { return audio_ != nullptr && audio_->IsStreamRunning(); }

bool StandaloneHost::OpenAudio(AudioDeviceId inputId, AudioDeviceId outputId, int32_t sampleRate,
                               uint32_t bufferFrames) {
  if (audio_ == nullptr) return false;
  if (audio_->IsStreamOpen()) StopStream();

  const int32_t pluginInputs = plugin_->ChannelCount(IODirection::kInput);
  const int32_t pluginOutputs = plugin_->ChannelCount(IODirection::kOutput);
  const AudioDeviceInfo* inputInfo = DeviceInfo(inputId);
  const AudioDeviceInfo* outputInfo = DeviceInfo(outputId);
  // Only the main pair is captured (one channel where the device has no second): the side-chain
  // inputs are never fed in this program and stay disconnected.
  const StreamChannels inputs =
      ChosenChannels(settings_.firstInputChannel, std::min(pluginInputs, kMaxStreamChannels),
                     inputInfo != nullptr ? &inputInfo->inputChannels : nullptr);
  const StreamChannels outputs = ChosenChannels(
      settings_.firstOutputChannel, pluginOutputs,
      outputInfo != nullptr && outputInfo->outputChannels > 0 ? &outputInfo->outputChannels : nullptr);
  if (outputs.count == 0 || (pluginInputs > 0 && inputs.count == 0)) return false;
  AudioStreamRequest request;
  request.inputDevice = inputId;
  request.inputChannels = inputs.count;
  request.inputFirstChannel = inputs.first;
  request.outputDevice = outputId;
  request.outputChannels = outputs.count;
  request.outputFirstChannel = outputs.first;
  request.sampleRate = sampleRate;
  request.bufferFrames = bufferFrames;
  request.deviceBuffers = deviceBuffers_;

  bufferFrames_ = bufferFrames;
  framesProcessed_.store(0, std::memory_order_relaxed);
  callbackSeen_.store(false, std::memory_order_relaxed);
  sampleRate_ = sampleRate;
  fadeOutRequested_.store(false, std::memory_order_relaxed);
  audioDone_.store(false, std::memory_order_relaxed);

  plugin_->SetBlockSize(IAppWrapper::kBlockFrames);
  plugin_->SetSampleRate(sampleRate);
  plugin_->ResetProcessing();
  plugin_->SetHostInputChannels(request.inputChannels);
  streamInputChannels_ = request.inputChannels;
  streamOutputChannels_ = request.outputChannels;
  inputPointers_.assign(static_cast<size_t>(pluginInputs), silence_.data());
  outputPointers_.assign(static_cast<size_t>(pluginOutputs), discard_.data());

  uint32_t granted = bufferFrames;
  if (!audio_->OpenStream(request, &StandaloneHost::OnAudio, this, granted)) return false;
  bufferFrames_ = granted;
  if (!audio_->StartStream()) {
    audio_->CloseStream();
    return false;
  }
  lastApplied_ = settings_;
  streamStarted_ = true;
  reportedFailure_ = nullptr;  // once something worked, a new failure is news
  return true;
}

int StandaloneHost::OnAudio(double* output, double* input, uint32_t frames, double /*streamTime*/,
                            bool /*overOrUnderflow*/, void* userData) {
  auto* host = static_cast<StandaloneHost*>(userData);
  host->ProcessBuffer(output, input, static_cast<int32_t>(frames));
  host->callbackSeen_.store(true, std::memory_order_release);
  return 0;
}

void StandaloneHost::ProcessBuffer(double* output, double* input, int32_t frames) {
  if (output == nullptr || frames <= 0) return;
  const size_t outputSamples = static_cast<size_t>(frames) * static_cast<size_t>(streamOutputChannels_);
  if (audioDone_.load(std::memory_order_acquire)) {
    std::fill(output, output + outputSamples, 0.0);
    return;
  }
  const bool fadeOut = fadeOutRequested_.load(std::memory_order_acquire);
  const bool fading = !callbackSeen_.load(std::memory_order_relaxed) || fadeOut;
  if (fading && input != nullptr) FadeBuffers(input, streamInputChannels_, frames, fadeOut);
  ForEachBlock(frames, IAppWrapper::kBlockFrames, [&](int32_t start, int32_t blockFrames) {
    PointChannels(output, input, frames, start);
    plugin_->ProcessHostBlock(inputPointers_.data(), outputPointers_.data(), blockFrames);
    framesProcessed_.fetch_add(static_cast<uint32_t>(blockFrames), std::memory_order_relaxed);
  });
  if (fading) FadeBuffers(output, streamOutputChannels_, frames, fadeOut);
  if (fadeOut) audioDone_.store(true, std::memory_order_release);
}

void StandaloneHost::PointChannels(double* output, double* input, int32_t frames, int32_t start) {
  for (size_t c = 0; c < inputPointers_.size(); ++c) {
    const bool carried = input != nullptr && static_cast<int32_t>(c) < streamInputChannels_;
    inputPointers_[c] = carried ? input + static_cast<int64_t>(c) * frames + start : silence_.data();
  }
  for (size_t c = 0; c < outputPointers_.size(); ++c) {
    const bool carried = static_cast<int32_t>(c) < streamOutputChannels_;
    outputPointers_[c] = carried ? output + static_cast<int64_t>(c) * frames + start : discard_.data();
  }
}

void StandaloneHost::OnAudioError(const char* message) {
  std::fprintf(stderr, "\nerrorCallback: %s\n\n", message != nullptr ? message : "");
}

void StandaloneHost::OnMidiError(const char* message) { OnAudioError(message); }

// ---- MIDI ----

bool StandaloneHost::OpenMidi() {
  if (WithoutDevices()) return true;
  std::string error;
  midiInput_.reset();
  midiInput_ = environment_->CreateMidiInput(kMidiInputClient, kMidiQueueLimit, &OnMidiError, error);
  if (midiInput_ == nullptr) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
  }
  midiInput_->SetCallback(
      [](const uint8_t* bytes, size_t size, void* userData) {
        static_cast<StandaloneHost*>(userData)->OnMidiInput(bytes, size);
      },
      this);
  midiOutput_.reset();
  midiOutput_ = environment_->CreateMidiOutput(kMidiOutputClient, &OnMidiError, error);
  if (midiOutput_ == nullptr) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
  }
  return true;
}

void StandaloneHost::ProbeMidiPorts() {
  if (midiInput_ == nullptr || midiOutput_ == nullptr) return;
  midiInputNames_.assign(1, DeviceSettings::kPortOff);
  midiOutputNames_.assign(1, DeviceSettings::kPortOff);
  for (uint32_t i = 0, n = midiInput_->PortCount(); i < n; ++i)
    midiInputNames_.push_back(midiInput_->PortName(i));
  for (uint32_t i = 0, n = midiOutput_->PortCount(); i < n; ++i) {
    midiOutputNames_.push_back(midiOutput_->PortName(i));
  }
}

int32_t StandaloneHost::FindMidiPort(MidiDirection direction, const char* name) const {
  if (name == nullptr) return -1;
  if (std::strcmp(name, DeviceSettings::kPortOff) == 0) return 0;
  const std::vector<std::string>& names = MidiPortNames(direction);
  // Entry 0 is "off"; the ports follow.
  for (size_t k = 1; k < names.size(); ++k) {
    if (names[k] == name) return static_cast<int32_t>(k);
  }
  return -1;
}

MidiPorts* StandaloneHost::Ports(MidiDirection direction) {
  if (direction == MidiDirection::kInput) return midiInput_.get();
  return midiOutput_.get();
}

HeapString& StandaloneHost::SavedPortName(MidiDirection direction) {
  return direction == MidiDirection::kInput ? settings_.midiInputPort : settings_.midiOutputPort;
}

bool StandaloneHost::SelectMidiPort(MidiDirection direction, const char* name) {
  MidiPorts* ports = Ports(direction);
  // Without the library's object nothing is known about the ports: the saved name stays.
  if (WithoutDevices() || ports == nullptr) return false;
  int32_t index = FindMidiPort(direction, name);
  if (index < 0) {
    SavedPortName(direction).Set(DeviceSettings::kPortOff);
    WriteSettings();
    index = 0;
  }
  ports->ClosePort();
  if (index == 0) return true;
  const char* portName = direction == MidiDirection::kInput ? kMidiInputPortName : kMidiOutputPortName;
  return ports->OpenPort(static_cast<uint32_t>(index - 1), portName);
}

void StandaloneHost::OnMidiInput(const uint8_t* bytes, size_t size) {
  if (bytes == nullptr || size == 0 || midiMute_.load(std::memory_order_acquire)) return;
  if (size < kShortMessageLimit) {
    MidiMessage message;
    message.status = bytes[0];
    message.data1 = size > 1 ? bytes[1] : 0;
    message.data2 = size > 2 ? bytes[2] : 0;
    plugin_->QueueMidiInput(message);
    return;
  }
  if (size > static_cast<size_t>(kSysExMaxBytes)) return;
  SysExMessage message;
  message.size = static_cast<int32_t>(size);
  std::memcpy(message.data, bytes, size);
  plugin_->QueueSysExInput(message);
}

// ---- Editor ----

bool StandaloneHost::OpenEditor(void* parentWindow) {
  return plugin_->OpenEditorWindow(parentWindow) != nullptr;
}

void StandaloneHost::CloseEditor() { plugin_->CloseEditorWindow(); }

}  // namespace plugfw
