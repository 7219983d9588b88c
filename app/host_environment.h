#pragma once
// HostEnvironment: what the standalone host takes from the platform - the audio and MIDI library
// adapters, the settings file, message boxes and sleeping. The Windows build supplies the
// DirectSound, WinMM and private-profile forms (host_environment_win32.cpp); tests supply fakes.
// UI thread.

#include <cstdint>
#include <memory>
#include <string>

#include "app/audio_device.h"
#include "app/device_settings.h"
#include "app/midi_ports.h"

namespace plugfw {

class HostEnvironment {
 public:
  virtual ~HostEnvironment() = default;
  // Null when the library cannot be started. onError receives the errors it reports later.
  virtual std::unique_ptr<AudioDevice> CreateAudioDevice(AudioErrorCallback onError) = 0;
  // Null with the library's message in error when it refused. onError receives the failures it
  // reports later.
  virtual std::unique_ptr<MidiInput> CreateMidiInput(const char* clientName, uint32_t queueLimit,
                                                     MidiErrorCallback onError, std::string& error) = 0;
  virtual std::unique_ptr<MidiOutput> CreateMidiOutput(const char* clientName, MidiErrorCallback onError,
                                                       std::string& error) = 0;
  // The settings file, its folder made when missing; path receives the file's full path. Null
  // when no folder can be had.
  virtual std::unique_ptr<SettingsStore> OpenSettings(std::string& path) = 0;
  virtual void ShowError(const char* text, const char* title) = 0;
  virtual void SleepMs(int32_t milliseconds) = 0;
};

#if defined(_WIN32)
// DirectSound through RtAudio, WinMM through RtMidi, and "settings.ini" under the user's local
// application-data folder in Halcyra\ (or in settingsFolder, with its trailing backslash, when
// given).
std::unique_ptr<HostEnvironment> CreateWin32HostEnvironment(const char* settingsFolder = nullptr);
#endif

}  // namespace plugfw
