#pragma once
// PlatformFont: a font as the platform made it - its native handle, and whether it is an
// installed system family or one the program installed from file or memory data. The
// platform derives its own font from it; the graphics context owns what a load returns and
// deletes it after caching what it needs. UI thread.

namespace plugfw::gfx {

class PlatformFont {
 public:
  explicit PlatformFont(bool isSystem) : isSystem_(isSystem) {}
  virtual ~PlatformFont() = default;
  PlatformFont(const PlatformFont&) = delete;
  PlatformFont& operator=(const PlatformFont&) = delete;

  // The platform's font handle; none in the base.
  virtual void* GetNativeHandle() const { return nullptr; }
  bool IsSystem() const { return isSystem_; }

 private:
  bool isSystem_;
};

}  // namespace plugfw::gfx
