#include "graphics/platform/win_font_win32.h"

#include <windows.h>

#include <cwchar>

#include "core/resources.h"
#include "graphics/platform/font_info_reader.h"

namespace plugfw::gfx {
namespace {

constexpr double kFontScale = 1.0;
constexpr int32_t kFaceNameUnits = LF_FACESIZE;  // 32, the terminator included
constexpr int32_t kChosenFaceUnits = 64;
constexpr LONG kRegularWeight = 400;
constexpr LONG kBoldWeight = 700;

// GetFontData's table tags are the four characters in file order, read as a little-endian
// DWORD; 0 means the whole font.
constexpr DWORD kWholeFont = 0;
constexpr DWORD kCollectionTag = 't' | ('t' << 8) | ('c' << 16) | (static_cast<DWORD>('f') << 24);

HFONT AsFont(void* font) { return static_cast<HFONT>(font); }

// The screen's device context for a scope.
class ScreenContext {
 public:
  ScreenContext() : dc_(GetDC(nullptr)) {}
  ~ScreenContext() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  ScreenContext(const ScreenContext&) = delete;
  ScreenContext& operator=(const ScreenContext&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// A font selected into a device context for a scope; the old one comes back after.
class SelectedFont {
 public:
  SelectedFont(HDC dc, HFONT font) : dc_(dc), old_(SelectObject(dc, font)) {}
  ~SelectedFont() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  SelectedFont(const SelectedFont&) = delete;
  SelectedFont& operator=(const SelectedFont&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// The family as LOGFONTW keeps it: at most 31 units and always a terminator, so that a
// long name is cut instead of running into the next field.
void SetFaceName(LOGFONTW* font, const char* family) {
  HeapBuffer wide = Utf8ToUtf16(family);
  const auto* units = reinterpret_cast<const wchar_t*>(wide.Data());
  int32_t length = units ? static_cast<int32_t>(std::wcslen(units)) : 0;
  if (length > kFaceNameUnits - 1) length = kFaceNameUnits - 1;
  if (length > 0) std::wmemcpy(font->lfFaceName, units, static_cast<size_t>(length));
  font->lfFaceName[length] = 0;
}

int CALLBACK NoteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

// Reads the whole font under tag, asking its size with the same tag; false when GDI has no
// such data or gives fewer bytes than it announced.
bool ReadFontBytes(HDC dc, DWORD tag, HeapBuffer* bytes) {
  DWORD size = GetFontData(dc, tag, 0, nullptr, 0);
  if (size == GDI_ERROR || size == 0 || size > static_cast<DWORD>(INT32_MAX)) return false;
  if (bytes->Resize(static_cast<int32_t>(size)) == nullptr || bytes->Size() != static_cast<int32_t>(size)) {
    return false;
  }
  return GetFontData(dc, tag, 0, bytes->Data(), size) == size;
}

}  // namespace

WinFont::WinFont(void* font, const char* styleName, bool system) : PlatformFont(system), font_(font) {
  styleName_.Set(styleName);
}

WinFont::~WinFont() {
  if (font_) DeleteObject(AsFont(font_));
}

std::unique_ptr<FontData> WinFont::GetFontData() const {
  std::unique_ptr<FontData> data(new (std::nothrow) FontData());
  if (!data) return nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return data;
  {
    SelectedFont selected(dc, AsFont(font_));
    // A face of a collection comes as the whole collection, so that its face index means
    // something; any other font as the whole file.
    HeapBuffer bytes(HeapBuffer::kBlockGranularity);
    if (ReadFontBytes(dc, kCollectionTag, &bytes) || ReadFontBytes(dc, kWholeFont, &bytes)) {
      int32_t face = FindFaceWithStyle(bytes.Data(), bytes.Size(), styleName_.Get());
      data->Assign(bytes.Data(), bytes.Size(), face);
    }
  }
  DeleteDC(dc);
  return data;
}

InstalledFont::~InstalledFont() {
  if (handle_) RemoveFontMemResourceEx(static_cast<HANDLE>(handle_));
}

PlatformFontHandle::~PlatformFontHandle() {
  if (font_) DeleteObject(AsFont(font_));
}

InstalledFontCache& SharedInstalledFontCache() {
  static InstalledFontCache cache;
  return cache;
}

PlatformFontHandleCache& SharedPlatformFontHandleCache() {
  static PlatformFontHandleCache cache;
  return cache;
}

void AddPlatformFontCacheUser() {
  ScopedLock installed(SharedInstalledFontCache().Lock());
  ScopedLock handles(SharedPlatformFontHandleCache().Lock());
  SharedInstalledFontCache().AddUser();
  SharedPlatformFontHandleCache().AddUser();
}

void RemovePlatformFontCacheUser() {
  ScopedLock installed(SharedInstalledFontCache().Lock());
  ScopedLock handles(SharedPlatformFontHandleCache().Lock());
  SharedInstalledFontCache().RemoveUser();
  SharedPlatformFontHandleCache().RemoveUser();
}

void* FindInstalledFontFace(const char* family, int32_t weight, bool italic, bool underline, int32_t quality,
                            bool requireFamily) {
  ScreenContext screen;
  if (!screen.Get()) return nullptr;
  LOGFONTW request{};
  request.lfWeight = weight;
  request.lfItalic = italic ? 1 : 0;
  request.lfUnderline = underline ? 1 : 0;
  request.lfCharSet = DEFAULT_CHARSET;
  request.lfOutPrecision = OUT_TT_PRECIS;
  request.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  request.lfQuality = static_cast<BYTE>(quality);
  request.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  SetFaceName(&request, family);
  if (requireFamily) {
    bool found = false;
    EnumFontFamiliesExW(screen.Get(), &request, NoteFamily, reinterpret_cast<LPARAM>(&found), 0);
    if (!found) return nullptr;
  }
  HFONT font = CreateFontIndirectW(&request);
  if (!font) return nullptr;
  wchar_t chosen[kChosenFaceUnits] = {};
  {
    SelectedFont selected(screen.Get(), font);
    GetTextFaceW(screen.Get(), kChosenFaceUnits, chosen);
  }
  // GDI answers any name with some face; only the one asked for will do.
  if (std::wcscmp(chosen, request.lfFaceName) != 0) {
    DeleteObject(font);
    return nullptr;
  }
  return font;
}

std::unique_ptr<PlatformFont> LoadPlatformFontFromMemory(const char* fontId, const void* data, int32_t size) {
  if (!fontId || !data || size <= 0) return nullptr;
  InstalledFontCache& installed = SharedInstalledFontCache();
  ScopedLock lock(installed.Lock());
  DWORD faces = 0;
  HANDLE handle = AddFontMemResourceEx(const_cast<void*>(data), static_cast<DWORD>(size), nullptr, &faces);
  if (!handle) return nullptr;
  auto installation = std::unique_ptr<InstalledFont>(new (std::nothrow) InstalledFont(handle));
  if (!installation) {
    RemoveFontMemResourceEx(handle);
    return nullptr;
  }
  FontInfoReader reader(static_cast<const uint8_t*>(data), size, 0);
  uint16_t style = reader.StyleBits();
  void* font = FindInstalledFontFace(
      reader.FamilyName().Get(), (style & kFontStyleBold) ? kBoldWeight : kRegularWeight,
      (style & kFontStyleItalic) != 0, (style & kFontStyleUnderline) != 0, 0, false);
  // Without a face the installation serves nothing; the record's deletion removes it.
  if (!font) return nullptr;
  std::unique_ptr<PlatformFont> result(new (std::nothrow) WinFont(font, "", false));
  if (!result) {
    DeleteObject(AsFont(font));
    return nullptr;
  }
  // The face must stay installed for as long as the font is drawn with.
  if (!installed.Add(std::move(installation), fontId, kFontScale)) return nullptr;
  return result;
}

std::unique_ptr<PlatformFont> LoadPlatformFontFromFile(const char* fontId, const char* name, void* module) {
  if (!fontId || !name) return nullptr;
  ScopedLock lock(SharedInstalledFontCache().Lock());
  HeapString location;
  switch (LocateResource(name, "ttf", &location, module)) {
    case ResourceLocation::kModuleResource: {
      int32_t size = 0;
      const uint8_t* bytes = FindResourceData(location.Get(), "ttf", &size, module);
      return bytes ? LoadPlatformFontFromMemory(fontId, bytes, size) : nullptr;
    }
    case ResourceLocation::kFile:
      break;
    case ResourceLocation::kNotFound:
      return nullptr;
  }
  HeapBuffer path = Utf8ToUtf16(location.Get());
  // Shared reading: a font file that another program (or the system) holds open still loads.
  HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(path.Data()), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  std::unique_ptr<PlatformFont> result;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= INT32_MAX) {
    if (HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr)) {
      if (const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) {
        result = LoadPlatformFontFromMemory(fontId, view, static_cast<int32_t>(size.QuadPart));
        UnmapViewOfFile(view);
      }
      CloseHandle(mapping);
    }
  }
  CloseHandle(file);
  return result;
}

std::unique_ptr<PlatformFont> LoadPlatformFontByName(const char* fontId, const char* family, int32_t style) {
  if (!fontId || !family) return nullptr;
  void* font = FindInstalledFontFace(family, style == kFontStyleBoldFace ? kBoldWeight : kRegularWeight,
                                     style == kFontStyleItalicFace, false, 0, true);
  if (!font) return nullptr;
  const char* styleName = style == kFontStyleBoldFace     ? "Bold"
                          : style == kFontStyleItalicFace ? "Italic"
                                                          : "Regular";
  std::unique_ptr<PlatformFont> result(new (std::nothrow) WinFont(font, styleName, true));
  if (!result) DeleteObject(AsFont(font));
  return result;
}

void CachePlatformFontHandle(const char* fontId, const PlatformFont& font) {
  if (!fontId || !font.GetNativeHandle()) return;
  PlatformFontHandleCache& handles = SharedPlatformFontHandleCache();
  ScopedLock lock(handles.Lock());
  if (handles.Find(fontId, kFontScale)) return;
  LOGFONTW description{};
  if (!GetObjectW(AsFont(font.GetNativeHandle()), sizeof description, &description)) return;
  HFONT copy = CreateFontIndirectW(&description);
  if (!copy) return;
  std::unique_ptr<PlatformFontHandle> holder(new (std::nothrow) PlatformFontHandle(copy));
  if (!holder) {
    DeleteObject(copy);
    return;
  }
  handles.Add(std::move(holder), fontId, kFontScale);
}

}  // namespace plugfw::gfx
