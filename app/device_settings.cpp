#include "app/device_settings.h"

#include <cstdio>
#include <cstring>

#include "app/utf8_text.h"

namespace plugfw {
namespace {

constexpr const char* kAudioSection = "audio";
constexpr const char* kMidiSection = "midi";

bool SameText(const HeapString& a, const HeapString& b) { return std::strcmp(a.Get(), b.Get()) == 0; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

enum class Format { kText, kUnsigned, kSigned };
using NumberCheck = bool (*)(int32_t);

bool AnyDriver(int32_t value) { return value == 0; }
bool ChannelNumber(int32_t value) { return value >= 1; }
bool SampleRateInRange(int32_t value) { return value >= kMinSampleRate && value <= kMaxSampleRate; }
bool MidiChannel(int32_t value) { return value >= 0 && value <= kMaxMidiChannel; }

// One key of the file, in the order it is written.
struct SettingsKey {
  const char* section;
  const char* key;
  Format format;
  HeapString DeviceSettings::*text;
  int32_t DeviceSettings::*number;
  const char* defaultText;
  int32_t defaultNumber;
  NumberCheck check;
};

const SettingsKey kSettingsKeys[] = {
    {kAudioSection, "driver", Format::kUnsigned, nullptr, &DeviceSettings::driver, nullptr, 0, AnyDriver},
    {kAudioSection, "indev", Format::kText, &DeviceSettings::audioInputDevice, nullptr, "Built-in Input", 0,
     nullptr},
    {kAudioSection, "outdev", Format::kText, &DeviceSettings::audioOutputDevice, nullptr, "Built-in Output",
     0, nullptr},
    {kAudioSection, "in1", Format::kUnsigned, nullptr, &DeviceSettings::firstInputChannel, nullptr, 1,
     ChannelNumber},
    {kAudioSection, "in2", Format::kUnsigned, nullptr, &DeviceSettings::secondInputChannel, nullptr, 2,
     ChannelNumber},
    {kAudioSection, "out1", Format::kUnsigned, nullptr, &DeviceSettings::firstOutputChannel, nullptr, 1,
     ChannelNumber},
    {kAudioSection, "out2", Format::kUnsigned, nullptr, &DeviceSettings::secondOutputChannel, nullptr, 2,
     ChannelNumber},
    {kAudioSection, "buffer", Format::kSigned, nullptr, &DeviceSettings::bufferSize, nullptr, 512,
     IsOfferedBufferSize},
    {kAudioSection, "sr", Format::kSigned, nullptr, &DeviceSettings::sampleRate, nullptr, 44100,
     SampleRateInRange},
    {kMidiSection, "indev", Format::kText, &DeviceSettings::midiInputPort, nullptr, "no input", 0, nullptr},
    {kMidiSection, "outdev", Format::kText, &DeviceSettings::midiOutputPort, nullptr, "no output", 0,
     nullptr},
    {kMidiSection, "inchan", Format::kUnsigned, nullptr, &DeviceSettings::midiInputChannel, nullptr, 0,
     MidiChannel},
    {kMidiSection, "outchan", Format::kUnsigned, nullptr, &DeviceSettings::midiOutputChannel, nullptr, 0,
     MidiChannel},
};

// The audio half of the settings: what a stream is opened with.
HeapString DeviceSettings::*const kAudioNames[] = {&DeviceSettings::audioInputDevice,
                                                   &DeviceSettings::audioOutputDevice};
int32_t DeviceSettings::*const kAudioNumbers[] = {&DeviceSettings::driver,
                                                  &DeviceSettings::sampleRate,
                                                  &DeviceSettings::bufferSize,
                                                  &DeviceSettings::firstInputChannel,
                                                  &DeviceSettings::secondInputChannel,
                                                  &DeviceSettings::firstOutputChannel,
                                                  &DeviceSettings::secondOutputChannel};

// A usable name is non-empty, well-formed UTF-8 without control characters.
bool IsUsableName(const char* text) {
  if (text[0] == '\0' || HasUtf8(text) < 0) return false;
  for (const char* c = text; *c != '\0'; ++c) {
    if (static_cast<unsigned char>(*c) < 0x20 || *c == 0x7F) return false;
  }
  return true;
}

bool ReadKey(SettingsStore& store, const SettingsKey& entry, DeviceSettings& settings) {
  char value[kSettingsTextBytes] = {};
  const bool present = store.ReadText(entry.section, entry.key, value, kSettingsTextBytes);
  if (entry.format == Format::kText) {
    const bool usable = present && IsUsableName(value);
    (settings.*entry.text).Set(usable ? value : entry.defaultText);
    return usable;
  }
  int32_t number = 0;
  const bool usable = present && ParseSettingsNumber(value, number) && entry.check(number);
  settings.*entry.number = usable ? number : entry.defaultNumber;
  return usable;
}

}  // namespace

bool DeviceSettings::Equals(const DeviceSettings& other) const {
  return AudioSettingsEqual(*this, other) && MidiSettingsEqual(*this, other);
}

bool AudioSettingsEqual(const DeviceSettings& a, const DeviceSettings& b) {
  for (HeapString DeviceSettings::*name : kAudioNames) {
    if (!SameText(a.*name, b.*name)) return false;
  }
  for (int32_t DeviceSettings::*number : kAudioNumbers) {
    if (a.*number != b.*number) return false;
  }
  return true;
}

bool MidiSettingsEqual(const DeviceSettings& a, const DeviceSettings& b) {
  return SameText(a.midiInputPort, b.midiInputPort) && SameText(a.midiOutputPort, b.midiOutputPort) &&
         a.midiInputChannel == b.midiInputChannel && a.midiOutputChannel == b.midiOutputChannel;
}

void CopyAudioSettings(const DeviceSettings& from, DeviceSettings& to) {
  for (HeapString DeviceSettings::*name : kAudioNames) to.*name = from.*name;
  for (int32_t DeviceSettings::*number : kAudioNumbers) to.*number = from.*number;
}

bool IsOfferedBufferSize(int32_t frames) {
  for (int32_t offered : kBufferSizeOptions) {
    if (offered == frames) return true;
  }
  return false;
}

bool ParseSettingsNumber(const char* text, int32_t& value) {
  if (text == nullptr) return false;
  while (IsBlank(*text)) ++text;
  int64_t result = 0;
  int32_t digits = 0;
  for (; *text >= '0' && *text <= '9'; ++text, ++digits) {
    result = result * 10 + (*text - '0');
    if (result > INT32_MAX) return false;
  }
  while (IsBlank(*text)) ++text;
  if (digits == 0 || *text != '\0') return false;
  value = static_cast<int32_t>(result);
  return true;
}

int32_t ReadDeviceSettings(SettingsStore& store, DeviceSettings& settings) {
  int32_t valid = 0;
  for (const SettingsKey& entry : kSettingsKeys) valid += ReadKey(store, entry, settings) ? 1 : 0;
  return valid;
}

bool WriteDeviceSettings(SettingsStore& store, const DeviceSettings& settings) {
  if (!store.BeginWrite()) return false;
  for (const SettingsKey& entry : kSettingsKeys) {
    char number[16];
    const char* value = number;
    if (entry.format == Format::kText) {
      value = (settings.*entry.text).Get();
    } else if (entry.format == Format::kUnsigned) {
      std::snprintf(number, sizeof number, "%u", static_cast<unsigned>(settings.*entry.number));
    } else {
      std::snprintf(number, sizeof number, "%i", static_cast<int>(settings.*entry.number));
    }
    if (!store.WriteText(entry.section, entry.key, value)) {
      store.AbandonWrite();
      return false;
    }
  }
  return store.EndWrite();
}

}  // namespace plugfw
