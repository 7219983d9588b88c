// Bitmaps loaded by this back end: decoded by the canvas from files, module resources and
// memory, the ones from memory kept in this object's own bitmap cache.
#include <cctype>
#include <cstring>
#include <memory>
#include <new>

#include "graphics/renderer/gfx_canvas.h"

namespace plugfw::gfx {
namespace {

constexpr size_t kExtensionCapacity = 32;  // bytes, NUL included
constexpr const char* kSupportedExtensions[] = {"png", "jpg", "jpeg"};

}  // namespace

bool IGfxCanvas::BitmapExtSupported(const char* extension) {
  if (extension == nullptr) return false;
  char lower[kExtensionCapacity] = {};
  for (size_t i = 0; i + 1 < kExtensionCapacity && extension[i] != '\0'; ++i) {
    lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(extension[i])));
  }
  for (const char* supported : kSupportedExtensions) {
    if (std::strstr(lower, supported) != nullptr) return true;
  }
  return false;
}

APIBitmap* IGfxCanvas::LoadBitmapData(const char* path, float scale, ResourceLocation location,
                                      const char* extension) {
  int32_t image = 0;
  if (canvas_ != nullptr && path != nullptr) {
    if (location == ResourceLocation::kModuleResource) {
      int32_t size = 0;
      const uint8_t* bytes = FindModuleResource(path, extension, &size);
      if (bytes != nullptr && size > 0) {
        MakeGLContextCurrent();
        image = CanvasCreateImageMem(canvas_, 0, bytes, size);
        ReleaseGLContext();
      }
    } else if (location == ResourceLocation::kFile) {
      MakeGLContextCurrent();
      image = CanvasCreateImage(canvas_, path, 0);
      ReleaseGLContext();
    }
  }
  return new (std::nothrow) Bitmap(*this, image, scale);
}

APIBitmap* IGfxCanvas::LoadBitmapDataFromMemory(const char* name, const void* data, int32_t size,
                                                float scale) {
  ScopedLock hold(&bitmapCache_.Lock());
  if (APIBitmap* cached = bitmapCache_.Find(name, scale)) return cached;
  int32_t image = 0;
  if (canvas_ != nullptr && data != nullptr && size > 0) {
    MakeGLContextCurrent();
    image = CanvasCreateImageMem(canvas_, 0, static_cast<const uint8_t*>(data), size);
    ReleaseGLContext();
  }
  std::unique_ptr<APIBitmap> bitmap(new (std::nothrow) Bitmap(*this, image, scale));
  // Not cached, the bitmap would have no owner: it is dropped instead.
  return bitmapCache_.Add(bitmap, name, scale);
}

}  // namespace plugfw::gfx
