#pragma once
// Windows fonts: WinFont over a GDI font handle, the loads from a TrueType file or module
// resource, from memory and from an installed family, and the two process-wide caches of
// this side (privately installed memory fonts, and font handles for the native edit box).
// IGfxWin's LoadFontFromFile, LoadFontFromMemory, LoadFontByName and CachePlatformFont are
// calls onto these. UI thread; the caches' locks make loads from several editors safe.
// Lock order: the installed-font lock before the font-handle lock.

#include <cstdint>
#include <memory>

#include "core/heap_string.h"
#include "graphics/platform/font_cache.h"
#include "graphics/platform/platform_font.h"

namespace plugfw::gfx {

enum FontStyle : int32_t { kFontStyleRegular = 0, kFontStyleBoldFace = 1, kFontStyleItalicFace = 2 };

class WinFont : public PlatformFont {
 public:
  // Takes ownership of font (an HFONT). styleName: "Bold", "Italic" or "Regular" for a
  // font found by name, empty for file and memory fonts.
  WinFont(void* font, const char* styleName, bool system);
  ~WinFont() override;

  // UI thread. The HFONT.
  void* GetNativeHandle() const override { return font_; }
  // UI thread. The whole font file (the whole collection for a face of one) and the face
  // whose style matches; empty when GDI cannot give the bytes, face -1 when no face does.
  std::unique_ptr<FontData> GetFontData() const override;

  const HeapString& StyleName() const { return styleName_; }

 private:
  void* font_;
  HeapString styleName_;
};

// A private installation of font data in the process (AddFontMemResourceEx); removed when
// the record is deleted.
class InstalledFont {
 public:
  explicit InstalledFont(void* handle) : handle_(handle) {}
  ~InstalledFont();
  InstalledFont(const InstalledFont&) = delete;
  InstalledFont& operator=(const InstalledFont&) = delete;

 private:
  void* handle_;
};

// A font handle made for the native edit box; deleted with the holder.
class PlatformFontHandle {
 public:
  explicit PlatformFontHandle(void* font) : font_(font) {}
  ~PlatformFontHandle();
  PlatformFontHandle(const PlatformFontHandle&) = delete;
  PlatformFontHandle& operator=(const PlatformFontHandle&) = delete;
  void* Get() const { return font_; }

 private:
  void* font_;
};

using InstalledFontCache = FontResourceCache<InstalledFont>;
using PlatformFontHandleCache = FontResourceCache<PlatformFontHandle>;

// Any thread, under their locks. The process's caches.
InstalledFontCache& SharedInstalledFontCache();
PlatformFontHandleCache& SharedPlatformFontHandleCache();

// UI thread. An editor window counts itself in (construction) and out (destruction) of
// both caches; the last one out clears them, removing the private installations.
void AddPlatformFontCacheUser();
void RemovePlatformFontCacheUser();

// UI thread. The installed face of family (UTF-8; 31 UTF-16 units kept) with the weight,
// italic and underline given, as an HFONT the caller owns; null when GDI would substitute
// another face or, with requireFamily, when no installed family has that name.
void* FindInstalledFontFace(const char* family, int32_t weight, bool italic, bool underline, int32_t quality,
                            bool requireFamily);

// UI thread; each holds the installed-font lock. A font from a TrueType file or a module
// resource of type "ttf" named name (module null: the resource module), from font data in
// memory, or from an installed family in FontStyle style. File and memory fonts stay
// installed under fontId until the cache is cleared. Null when the source cannot be read,
// the system refuses the data or GDI finds no matching face.
std::unique_ptr<PlatformFont> LoadPlatformFontFromFile(const char* fontId, const char* name, void* module);
std::unique_ptr<PlatformFont> LoadPlatformFontFromMemory(const char* fontId, const void* data, int32_t size);
std::unique_ptr<PlatformFont> LoadPlatformFontByName(const char* fontId, const char* family, int32_t style);

// UI thread; holds the font-handle lock. Keeps a copy of font's handle for the native edit
// box under fontId, once per identifier.
void CachePlatformFontHandle(const char* fontId, const PlatformFont& font);

}  // namespace plugfw::gfx
