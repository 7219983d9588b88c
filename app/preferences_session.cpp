#include "app/preferences_session.h"

#include <algorithm>
#include <iterator>

namespace plugfw {

namespace {

constexpr int32_t kSecondDriver = 1;
constexpr int32_t kFirstChannel = 1;
constexpr int32_t kSecondChannel = 2;

// The entry at position value - 1 of a list counted from 1, when the list has it.
int32_t CountedSelection(int32_t value, size_t entries) {
  return value >= 1 && static_cast<size_t>(value) <= entries ? value - 1 : -1;
}

ChoiceList NumberList(int32_t count, int32_t selectedValue) {
  ChoiceList list;
  for (int32_t n = 1; n <= count; ++n) list.texts.push_back(std::to_string(n));
  list.selected = CountedSelection(selectedValue, list.texts.size());
  return list;
}

int32_t FirstChannelChoices(int32_t channels) { return channels >= 1 ? std::max(channels - 1, 1) : 0; }

bool InRange(int32_t index, size_t size) { return index >= 0 && static_cast<size_t>(index) < size; }

}  // namespace

void PreferencesSession::Begin() {
  if (HasMidi()) {
    for (MidiDirection direction : {MidiDirection::kInput, MidiDirection::kOutput}) {
      DeviceSettings& settings = host_.CurrentSettings();
      HeapString& name =
          direction == MidiDirection::kInput ? settings.midiInputPort : settings.midiOutputPort;
      if (host_.FindMidiPort(direction, name.Get()) >= 0) continue;
      name.Set(DeviceSettings::kPortOff);
      host_.WriteSettings();
    }
  }
  host_.DialogSettings() = host_.CurrentSettings();
  streamTouched_ = false;
}

// ---- Lists ----

ChoiceList PreferencesSession::Drivers() const {
  ChoiceList list;
  list.texts.push_back(kDriverName);
  list.selected =
      InRange(host_.CurrentSettings().driver, list.texts.size()) ? host_.CurrentSettings().driver : -1;
  return list;
}

bool PreferencesSession::InputDeviceSelectable() const {
  return host_.CurrentSettings().driver != kSecondDriver;
}

bool PreferencesSession::DriverConfigAvailable() const {
  return host_.CurrentSettings().driver == kSecondDriver;
}

ChoiceList PreferencesSession::DeviceList(bool input) const {
  ChoiceList list;
  const char* stored = input ? host_.CurrentSettings().audioInputDevice.Get()
                             : host_.CurrentSettings().audioOutputDevice.Get();
  for (AudioDeviceId id : input ? host_.InputDeviceIds() : host_.OutputDeviceIds()) {
    list.texts.push_back(host_.GetAudioDeviceName(id));
    if (list.selected < 0 && list.texts.back() == stored)
      list.selected = static_cast<int32_t>(list.texts.size()) - 1;
  }
  if (list.selected < 0 && !list.texts.empty()) list.selected = 0;
  return list;
}

ChoiceList PreferencesSession::InputDevices() const { return DeviceList(true); }

ChoiceList PreferencesSession::OutputDevices() const { return DeviceList(false); }

bool PreferencesSession::SelectedDevice(bool input, AudioDeviceId& id) const {
  const ChoiceList list = DeviceList(input);
  if (list.selected < 0) return false;
  id = (input ? host_.InputDeviceIds() : host_.OutputDeviceIds())[static_cast<size_t>(list.selected)];
  return true;
}

const AudioDeviceInfo* PreferencesSession::SelectedDeviceInfo(bool input) const {
  AudioDeviceId id = 0;
  if (!SelectedDevice(input, id) || id >= host_.Devices().size()) return nullptr;
  return &host_.Devices()[id];
}

ChoiceList PreferencesSession::FirstInputChannels() const {
  const AudioDeviceInfo* info = SelectedDeviceInfo(true);
  return NumberList(FirstChannelChoices(info != nullptr ? info->inputChannels : 0),
                    host_.CurrentSettings().firstInputChannel);
}

ChoiceList PreferencesSession::SecondInputChannels() const {
  const AudioDeviceInfo* info = SelectedDeviceInfo(true);
  return NumberList(info != nullptr ? info->inputChannels : 0, host_.CurrentSettings().secondInputChannel);
}

ChoiceList PreferencesSession::FirstOutputChannels() const {
  const AudioDeviceInfo* info = SelectedDeviceInfo(false);
  return NumberList(FirstChannelChoices(info != nullptr ? info->outputChannels : 0),
                    host_.CurrentSettings().firstOutputChannel);
}

ChoiceList PreferencesSession::SecondOutputChannels() const {
  const AudioDeviceInfo* info = SelectedDeviceInfo(false);
  return NumberList(info != nullptr ? info->outputChannels : 0, host_.CurrentSettings().secondOutputChannel);
}

std::vector<int32_t> PreferencesSession::SampleRateValues() const {
  std::vector<int32_t> rates;
  const AudioDeviceInfo* input = SelectedDeviceInfo(true);
  const AudioDeviceInfo* output = SelectedDeviceInfo(false);
  if (input == nullptr || output == nullptr) return rates;
  for (int32_t rate : input->sampleRates) {
    const bool offered =
        std::find(output->sampleRates.begin(), output->sampleRates.end(), rate) != output->sampleRates.end();
    if (offered && std::find(rates.begin(), rates.end(), rate) == rates.end()) rates.push_back(rate);
  }
  return rates;
}

ChoiceList PreferencesSession::SampleRates() const {
  ChoiceList list;
  for (int32_t rate : SampleRateValues()) {
    if (rate == host_.CurrentSettings().sampleRate) list.selected = static_cast<int32_t>(list.texts.size());
    list.texts.push_back(std::to_string(rate));
  }
  return list;
}

ChoiceList PreferencesSession::BufferSizes() const {
  ChoiceList list;
  for (int32_t frames : kBufferSizeOptions) {
    if (frames == host_.CurrentSettings().bufferSize) list.selected = static_cast<int32_t>(list.texts.size());
    list.texts.push_back(std::to_string(frames));
  }
  return list;
}

bool PreferencesSession::HasMidi() const {
  return !host_.MidiPortNames(MidiDirection::kInput).empty() &&
         !host_.MidiPortNames(MidiDirection::kOutput).empty();
}

ChoiceList PreferencesSession::MidiPorts(MidiDirection direction) const {
  ChoiceList list;
  list.texts = host_.MidiPortNames(direction);
  const DeviceSettings& settings = host_.CurrentSettings();
  list.selected =
      host_.FindMidiPort(direction, direction == MidiDirection::kInput ? settings.midiInputPort.Get()
                                                                       : settings.midiOutputPort.Get());
  if (list.selected < 0 && !list.texts.empty()) list.selected = 0;
  return list;
}

ChoiceList PreferencesSession::MidiChannels(MidiDirection direction) const {
  ChoiceList list = NumberList(kMaxMidiChannel, 0);
  list.texts.insert(list.texts.begin(), kAllMidiChannels);
  const DeviceSettings& settings = host_.CurrentSettings();
  const int32_t channel =
      direction == MidiDirection::kInput ? settings.midiInputChannel : settings.midiOutputChannel;
  list.selected = InRange(channel, list.texts.size()) ? channel : -1;
  return list;
}

// ---- Choices ----

void PreferencesSession::ChooseDriver(int32_t index) {
  DeviceSettings& settings = host_.CurrentSettings();
  if (!InRange(index, Drivers().texts.size()) || index == settings.driver) return;
  settings.driver = index;
  host_.CreateAudio();
  host_.ProbeAudioDevices();
  streamTouched_ = true;
  if (!host_.InputDeviceIds().empty())
    settings.audioInputDevice.Set(host_.GetAudioDeviceName(host_.InputDeviceIds().front()).c_str());
  if (!host_.OutputDeviceIds().empty())
    settings.audioOutputDevice.Set(host_.GetAudioDeviceName(host_.OutputDeviceIds().front()).c_str());
  // Other devices may not have the old channels: both pairs start again from the first.
  settings.firstInputChannel = kFirstChannel;
  settings.secondInputChannel = kSecondChannel;
  settings.firstOutputChannel = kFirstChannel;
  settings.secondOutputChannel = kSecondChannel;
}

void PreferencesSession::ChooseInputDevice(int32_t index) {
  if (!InRange(index, host_.InputDeviceIds().size())) return;
  DeviceSettings& settings = host_.CurrentSettings();
  settings.audioInputDevice.Set(
      host_.GetAudioDeviceName(host_.InputDeviceIds()[static_cast<size_t>(index)]).c_str());
  settings.firstInputChannel = kFirstChannel;
  settings.secondInputChannel = kSecondChannel;
}

void PreferencesSession::ChooseOutputDevice(int32_t index) {
  if (!InRange(index, host_.OutputDeviceIds().size())) return;
  DeviceSettings& settings = host_.CurrentSettings();
  settings.audioOutputDevice.Set(
      host_.GetAudioDeviceName(host_.OutputDeviceIds()[static_cast<size_t>(index)]).c_str());
  settings.firstOutputChannel = kFirstChannel;
  settings.secondOutputChannel = kSecondChannel;
}

void PreferencesSession::ChooseBufferSize(int32_t index) {
  if (InRange(index, std::size(kBufferSizeOptions))) {
    host_.CurrentSettings().bufferSize = kBufferSizeOptions[static_cast<size_t>(index)];
  }
}

void PreferencesSession::ChooseSampleRate(int32_t index) {
  const std::vector<int32_t> rates = SampleRateValues();
  if (InRange(index, rates.size())) host_.CurrentSettings().sampleRate = rates[static_cast<size_t>(index)];
}

void PreferencesSession::ChooseFirstInputChannel(int32_t index) {
  if (!InRange(index, FirstInputChannels().texts.size())) return;
  host_.CurrentSettings().firstInputChannel = index + 1;
  host_.CurrentSettings().secondInputChannel = index + 2;
}

void PreferencesSession::ChooseFirstOutputChannel(int32_t index) {
  if (!InRange(index, FirstOutputChannels().texts.size())) return;
  host_.CurrentSettings().firstOutputChannel = index + 1;
  host_.CurrentSettings().secondOutputChannel = index + 2;
}

void PreferencesSession::ChooseMidiPort(MidiDirection direction, int32_t index) {
  const std::vector<std::string>& names = host_.MidiPortNames(direction);
  if (!InRange(index, names.size())) return;
  DeviceSettings& settings = host_.CurrentSettings();
  HeapString& stored = direction == MidiDirection::kInput ? settings.midiInputPort : settings.midiOutputPort;
  stored.Set(names[static_cast<size_t>(index)].c_str());
  if (host_.SelectMidiPort(direction, stored.Get())) return;
  host_.ReportError(kMidiPortFailedText, StandaloneHost::kErrorTitle);
  stored.Set(DeviceSettings::kPortOff);
  host_.SelectMidiPort(direction, stored.Get());
}

void PreferencesSession::ChooseMidiChannel(MidiDirection direction, int32_t index) {
  if (!InRange(index, MidiChannels(direction).texts.size())) return;
  DeviceSettings& settings = host_.CurrentSettings();
  (direction == MidiDirection::kInput ? settings.midiInputChannel : settings.midiOutputChannel) = index;
}

// ---- Apply, OK and Cancel ----

ApplyOutcome PreferencesSession::OpenStream() {
  streamTouched_ = true;
  return host_.ApplyAudioSettings() ? ApplyOutcome::kOpened : ApplyOutcome::kFailed;
}

void PreferencesSession::ReopenQuietly() {
  host_.CreateAudio();
  host_.ProbeAudioDevices();
  streamTouched_ = true;
  host_.ApplyAudioSettings(FailureReport::kQuiet);
}

ApplyOutcome PreferencesSession::Apply() {
  const bool current = AudioSettingsEqual(host_.CurrentSettings(), host_.LastAppliedSettings());
  if (current && host_.IsStreamRunning()) return ApplyOutcome::kUnchanged;
  return OpenStream();
}

ApplyOutcome PreferencesSession::Ok() {
  const ApplyOutcome outcome = Apply();
  if (outcome != ApplyOutcome::kFailed) return outcome;
  const DeviceSettings& worked =
      host_.HasWorkedSettings() ? host_.LastAppliedSettings() : host_.DialogSettings();
  CopyAudioSettings(worked, host_.CurrentSettings());
  ReopenQuietly();
  return outcome;
}

void PreferencesSession::ReopenMidiPort(MidiDirection direction, const HeapString& name) {
  const HeapString copy(name);  // selecting may rewrite the stored name
  if (!host_.SelectMidiPort(direction, copy.Get()) && HasMidi())
    host_.ReportError(kMidiPortFailedText, StandaloneHost::kErrorTitle);
}

void PreferencesSession::Cancel() {
  const DeviceSettings changed = host_.CurrentSettings();
  const DeviceSettings& opening = host_.DialogSettings();
  host_.CurrentSettings() = opening;
  if (!AudioSettingsEqual(changed, opening) || streamTouched_) ReopenQuietly();
  if (std::string(changed.midiInputPort.Get()) != opening.midiInputPort.Get())
    ReopenMidiPort(MidiDirection::kInput, opening.midiInputPort);
  if (std::string(changed.midiOutputPort.Get()) != opening.midiOutputPort.Get())
    ReopenMidiPort(MidiDirection::kOutput, opening.midiOutputPort);
}

}  // namespace plugfw
