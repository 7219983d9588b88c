#pragma once
// PlatformFont: a font as the platform made it (on Windows a GDI font handle, see
// win_font_win32.h), from which the renderer takes the font file's bytes. The caller of a
// load owns it. UI thread.

#include <memory>

#include "graphics/platform/font_data.h"

namespace plugfw::gfx {

class PlatformFont {
 public:
  explicit PlatformFont(bool system) : system_(system) {}
  virtual ~PlatformFont() = default;
  PlatformFont(const PlatformFont&) = delete;
  PlatformFont& operator=(const PlatformFont&) = delete;

  // UI thread. The native font handle; none here.
  virtual void* GetNativeHandle() const { return nullptr; }
  // UI thread. A new FontData with the font's bytes and face; empty here. Null only when
  // memory cannot be had.
  virtual std::unique_ptr<FontData> GetFontData() const {
    return std::unique_ptr<FontData>(new (std::nothrow) FontData());
  }

  // True for a font found among the installed families by name; false for one installed
  // from file or memory data.
  bool IsSystem() const { return system_; }

 private:
  bool system_;
};

}  // namespace plugfw::gfx
