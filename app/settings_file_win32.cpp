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
#include "core/utf8_prefix.h"
#include "core/utf_conversion.h"

namespace plugfw {

namespace {

std::wstring Wide(const std::string& text) { return Utf16String<wchar_t>(text.data(), text.size()); }
std::wstring Wide(const char* text) { return Utf16String<wchar_t>(text); }

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
  explicit ProfileSettingsStore(const std::string& path) : path_(Wide(path)), temporary_(path_ + L".new") {}

  bool Exists() override { return GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES; }

  bool ReadText(const char* section, const char* key, char* out, int32_t size) override {
    if (out == nullptr || size <= 0) return false;
    out[0] = '\0';
    std::vector<wchar_t> wide(static_cast<size_t>(size) + 1);
    const DWORD units = GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), kMissingMarker,
                                                 wide.data(), static_cast<DWORD>(wide.size()), path_.c_str());
    if (std::wcscmp(wide.data(), kMissingMarker) == 0) return false;
    int32_t kept = static_cast<int32_t>(units);
    // The platform cuts long values by units; never keep half a surrogate pair.
    if (kept > 0 && IsHighSurrogate(static_cast<uint16_t>(wide[kept - 1]))) --kept;
    const std::string utf8 = Utf8String(wide.data(), static_cast<size_t>(kept));
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
    return WritePrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(value).c_str(),
                                      temporary_.c_str()) != FALSE;
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

std::unique_ptr<SettingsStore> CreateProfileSettingsStore(const std::string& path) {
  return std::make_unique<ProfileSettingsStore>(path);
}

}  // namespace plugfw
