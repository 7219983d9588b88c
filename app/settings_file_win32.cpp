// The settings file over the wide private-profile calls. The file is kept as UTF-16 with a byte
// order mark: only then do the profile functions store text in Unicode rather than in the ANSI
// code page, which would turn non-ASCII device names into question marks. Each rewrite goes to
// a temporary file that then replaces the old one, so an interrupted write leaves the old file.

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/device_settings.h"

namespace plugfw {

std::unique_ptr<SettingsStore> CreateProfileSettingsStore(const std::string& path);
std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const wchar_t* text, int32_t units);

namespace {

constexpr wchar_t kMissingMarker[] = L"\x01";
constexpr unsigned char kUtf16Bom[] = {0xFF, 0xFE};

bool WriteBomOnlyFile(const std::wstring& path) {
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, kUtf16Bom, sizeof kUtf16Bom, &written, nullptr);
  CloseHandle(file);
  return ok && written == sizeof kUtf16Bom;
}

class ProfileSettingsStore : public SettingsStore {
 public:
  explicit ProfileSettingsStore(const std::string& path)
      : path_(WideFromUtf8(path)), temporary_(path_ + L".new") {}

  bool Exists() override { return GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES; }

  bool ReadText(const char* section, const char* key, char* out, int32_t size) override {
    if (out == nullptr || size <= 0) return false;
    out[0] = '\0';
    std::vector<wchar_t> wide(static_cast<size_t>(size) + 1);
    const DWORD units =
        GetPrivateProfileStringW(WideFromUtf8(section).c_str(), WideFromUtf8(key).c_str(), kMissingMarker,
                                 wide.data(), static_cast<DWORD>(wide.size()), path_.c_str());
    if (std::wcscmp(wide.data(), kMissingMarker) == 0) return false;
    int32_t kept = static_cast<int32_t>(units);
    // The platform cuts long values by units; never keep half a surrogate pair.
    if (kept > 0 && wide[kept - 1] >= 0xD800 && wide[kept - 1] <= 0xDBFF) --kept;
    const std::string utf8 = Utf8FromWide(wide.data(), kept);
    const int32_t length = Utf8PrefixLength(utf8.c_str(), static_cast<int32_t>(utf8.size()), size - 1);
    std::memcpy(out, utf8.data(), static_cast<size_t>(length));
    out[length] = '\0';
    return true;
  }

  bool BeginWrite() override {
    writing_ = WriteBomOnlyFile(temporary_);
    return writing_;
  }

  bool WriteText(const char* section, const char* key, const char* value) override {
    if (!writing_) return false;
    return WritePrivateProfileStringW(WideFromUtf8(section).c_str(), WideFromUtf8(key).c_str(),
                                      WideFromUtf8(value).c_str(), temporary_.c_str()) != FALSE;
  }

  bool EndWrite() override {
    if (!writing_) return false;
    writing_ = false;
    FlushTemporary();
    if (MoveFileExW(temporary_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    DeleteFileW(temporary_.c_str());
    return false;
  }

  void AbandonWrite() override {
    if (!writing_) return;
    writing_ = false;
    FlushTemporary();
    DeleteFileW(temporary_.c_str());
  }

 private:
  // The platform caches profile files it wrote; the cache must be gone before the file is moved
  // or deleted.
  void FlushTemporary() { WritePrivateProfileStringW(nullptr, nullptr, nullptr, temporary_.c_str()); }

  std::wstring path_;
  std::wstring temporary_;
  bool writing_ = false;
};

}  // namespace

std::wstring WideFromUtf8(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(units > 0 ? units : 0), L'\0');
  if (units > 0)
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), units);
  return wide;
}

std::string Utf8FromWide(const wchar_t* text, int32_t units) {
  if (text == nullptr || units <= 0) return std::string();
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, units, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, text, units, utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

std::unique_ptr<SettingsStore> CreateProfileSettingsStore(const std::string& path) {
  return std::make_unique<ProfileSettingsStore>(path);
}

}  // namespace plugfw
