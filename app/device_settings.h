#pragma once
// DeviceSettings: the standalone program's audio and MIDI device choices, and the rules that
// turn the settings file's text into them and back. Portable: the file itself is reached through
// SettingsStore, which the Windows build implements over the private-profile calls and the tests
// over a table. UI thread only.

#include <cstdint>
#include <memory>
#include <string>

#include "core/heap_string.h"

namespace plugfw {

struct DeviceSettings {
  static constexpr const char* kDefaultDeviceName = "Default Device";
  static constexpr const char* kPortOff = "off";

  HeapString audioInputDevice{kDefaultDeviceName};
  HeapString audioOutputDevice{kDefaultDeviceName};
  HeapString midiInputPort{kPortOff};
  HeapString midiOutputPort{kPortOff};
  int32_t driver = 0;
  int32_t sampleRate = 44100;
  int32_t bufferSize = 512;
  int32_t midiInputChannel = 0;
  int32_t midiOutputChannel = 0;
  int32_t firstInputChannel = 1;
  int32_t secondInputChannel = 2;
  int32_t firstOutputChannel = 1;
  int32_t secondOutputChannel = 2;

  // Driver, buffer size, sample rate, both MIDI channels, the four names (exact bytes) and the
  // four channel numbers.
  bool Equals(const DeviceSettings& other) const;
};

// Driver, device names, sample rate, buffer size and the four channel numbers.
bool AudioSettingsEqual(const DeviceSettings& a, const DeviceSettings& b);
// The two port names and the two MIDI channels.
bool MidiSettingsEqual(const DeviceSettings& a, const DeviceSettings& b);
// The fields AudioSettingsEqual compares, from one record into another.
void CopyAudioSettings(const DeviceSettings& from, DeviceSettings& to);

// The buffer sizes the program offers; a stored size must be one of them.
constexpr int32_t kBufferSizeOptions[] = {32, 64, 96, 128, 192, 256, 512, 1024, 2048, 4096, 8192};
constexpr int32_t kMinSampleRate = 8000;
constexpr int32_t kMaxSampleRate = 384000;
constexpr int32_t kMaxMidiChannel = 16;
// Room for any device or port name the platform reports (256 UTF-16 units as UTF-8, and more).
constexpr int32_t kSettingsTextBytes = 1024;

bool IsOfferedBufferSize(int32_t frames);

// Strict decimal: optional surrounding blanks, digits only, no sign, no overflow past INT32_MAX.
bool ParseSettingsNumber(const char* text, int32_t& value);

// The settings file as sections of keys with text values.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual bool Exists() = 0;
  // False when the key is absent. A present value is returned whole up to size - 1 bytes, cut on
  // a UTF-8 boundary, NUL-terminated.
  virtual bool ReadText(const char* section, const char* key, char* out, int32_t size) = 0;
  // Begins a rewrite of every key; false when the file cannot be written. Nothing written reaches
  // the file until EndWrite puts the whole rewrite in its place.
  virtual bool BeginWrite() = 0;
  virtual bool WriteText(const char* section, const char* key, const char* value) = 0;
  virtual bool EndWrite() = 0;
  // Drops the rewrite begun by BeginWrite: the file stays as it was.
  virtual void AbandonWrite() = 0;
};

// Reads every key into settings. A key that is missing or holds a value that fails its check
// gets the key's default; nothing is refused as a whole. Answers the number of keys that were
// present and valid (for the caller's information only).
int32_t ReadDeviceSettings(SettingsStore& store, DeviceSettings& settings);
// Writes all thirteen keys in the file's order; false when any write failed, and then the file
// keeps what it held before: half a file would lose the good settings on the next start.
bool WriteDeviceSettings(SettingsStore& store, const DeviceSettings& settings);

#if defined(_WIN32)
// The file at path (UTF-8) through the platform's private-profile calls, kept as UTF-16.
std::unique_ptr<SettingsStore> CreateProfileSettingsStore(const std::string& path);
#endif

}  // namespace plugfw
