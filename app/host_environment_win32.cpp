// The standalone host's Windows environment: DirectSound through RtAudio, WinMM through RtMidi,
// the settings file under the user's local application-data folder, message boxes and Sleep.

#include <windows.h>

#include <shlobj.h>

#include <memory>
#include <string>

#include "app/host_environment.h"
#include "app/utf8_shims.h"
#include "core/utf_conversion.h"

namespace plugfw {

namespace {

constexpr int32_t kFolderPathBytes = 2048;
constexpr const char* kFolderName = "Halcyra";
constexpr const char* kSettingsFileName = "settings.ini";

bool FolderExists(const std::string& folder) {
  const DWORD attributes = GetFileAttributesW(Utf16String<wchar_t>(folder.c_str()).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

class Win32HostEnvironment : public HostEnvironment {
 public:
  explicit Win32HostEnvironment(const char* settingsFolder)
      : settingsFolder_(settingsFolder != nullptr ? settingsFolder : "") {}

  std::unique_ptr<AudioDevice> CreateAudioDevice(AudioErrorCallback onError) override {
    return CreateRtAudioDevice(onError);
  }
  std::unique_ptr<MidiInput> CreateMidiInput(const char* clientName, uint32_t queueLimit,
                                             MidiErrorCallback onError, std::string& error) override {
    return CreateRtMidiInput(clientName, queueLimit, onError, error);
  }
  std::unique_ptr<MidiOutput> CreateMidiOutput(const char* clientName, MidiErrorCallback onError,
                                               std::string& error) override {
    return CreateRtMidiOutput(clientName, onError, error);
  }

  std::unique_ptr<SettingsStore> OpenSettings(std::string& path) override {
    std::string folder = settingsFolder_;
    if (folder.empty()) {
      char appData[kFolderPathBytes] = {};
      if (!GetSpecialFolderPathUtf8(nullptr, appData, kFolderPathBytes, CSIDL_LOCAL_APPDATA, false))
        return nullptr;
      folder = std::string(appData) + "\\" + kFolderName + "\\";
    }
    if (!FolderExists(folder) && !CreateDirectoryW(Utf16String<wchar_t>(folder.c_str()).c_str(), nullptr)) {
      return nullptr;
    }
    path = folder + kSettingsFileName;
    return CreateProfileSettingsStore(path);
  }

  void ShowError(const char* text, const char* title) override {
    MessageBoxUtf8(GetActiveWindow(), text, title, MB_OK);
  }

  void SleepMs(int32_t milliseconds) override { Sleep(static_cast<DWORD>(milliseconds)); }

 private:
  std::string settingsFolder_;
};

}  // namespace

std::unique_ptr<HostEnvironment> CreateWin32HostEnvironment(const char* settingsFolder) {
  return std::make_unique<Win32HostEnvironment>(settingsFolder);
}

}  // namespace plugfw
