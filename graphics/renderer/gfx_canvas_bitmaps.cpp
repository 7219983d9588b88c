// Bitmaps loaded by this back end: decoded by the canvas from files, module resources and
// memory, and kept in this object's own bitmap cache, which owns them until the renderer goes.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <new>

#include "graphics/renderer/gfx_canvas.h"
#include "graphics/scaled_image_names.h"

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
    ScopedContext context(*this);
    // Not a failed decode, which would be cached as one: nothing, so a later load tries again.
    if (!context.Current()) return nullptr;
    if (location == ResourceLocation::kModuleResource) {
      int32_t size = 0;
      const uint8_t* bytes = FindModuleResource(path, extension, &size);
      if (bytes != nullptr && size > 0) image = CanvasCreateImageMem(canvas_, 0, bytes, size);
    } else if (location == ResourceLocation::kFile) {
      image = CanvasCreateImage(canvas_, path, 0);
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
    ScopedContext context(*this);
    if (!context.Current()) return nullptr;
    image = CanvasCreateImageMem(canvas_, 0, static_cast<const uint8_t*>(data), size);
  }
  std::unique_ptr<APIBitmap> bitmap(new (std::nothrow) Bitmap(*this, image, scale));
  // Not cached, the bitmap would have no owner: it is dropped instead.
  return bitmapCache_.Add(bitmap, name, scale);
}

void IGfxCanvas::CacheBitmap(const BitmapRef& bitmap, const char* name) {
  if (bitmap.bitmap == nullptr) return;
  ScopedLock hold(&bitmapCache_.Lock());
  if (bitmapCache_.Holds(bitmap.bitmap)) return;
  std::unique_ptr<APIBitmap> owned(bitmap.bitmap);
  // Not cached, the bitmap stays with whoever holds it rather than vanish under them.
  if (bitmapCache_.Add(owned, name, bitmap.bitmap->Scale()) == nullptr) owned.release();
}

void IGfxCanvas::UncacheBitmap(APIBitmap* bitmap) { bitmapCache_.Remove(bitmap); }

BitmapRef IGfxCanvas::LoadBitmapFromMemory(const char* name, const void* data, int32_t size, int32_t frames,
                                           bool framesHorizontal, int32_t targetScale) {
  if (name == nullptr) return BitmapRef();
  ScopedLock hold(&bitmapCache_.Lock());
  const int32_t target = TargetScale(targetScale, screenScale_);
  if (APIBitmap* cached = bitmapCache_.Find(name, target)) {
    return BitmapRef(cached, std::max(1, frames), framesHorizontal, name);
  }
  // A bitmap found at another scale is redrawn through a layer, which needs the context.
  ScopedContext context(*this);
  if (!context.Current()) return BitmapRef();
  return IGfx::LoadBitmapFromMemory(name, data, size, frames, framesHorizontal, targetScale);
}

BitmapRef IGfxCanvas::LoadBitmapScaled(const char* name, int32_t frames, bool framesHorizontal,
                                       int32_t targetScale) {
  if (name == nullptr) return BitmapRef();
  ScopedLock hold(&bitmapCache_.Lock());
  const int32_t target = TargetScale(targetScale, screenScale_);
  APIBitmap* bitmap = bitmapCache_.Find(name, target);
  if (bitmap == nullptr) {
    const char* extension = NameExtension(name);
    if (!BitmapExtSupported(extension)) return BitmapRef();
    HeapString path;
    int32_t sourceScale = target;
    const ResourceLocation location = SearchScaledImage(name, extension, path, target, sourceScale);
    if (location == ResourceLocation::kNotFound) return BitmapRef();
    // Cached under the scale it was found at, which is where the next load of the name for
    // this target looks too: the file is decoded once, not at every load.
    bitmap = bitmapCache_.Find(name, sourceScale);
    if (bitmap == nullptr) {
      std::unique_ptr<APIBitmap> decoded(
          LoadBitmapData(path.Get(), static_cast<float>(sourceScale), location, extension));
      bitmap = bitmapCache_.Add(decoded, name, sourceScale);
      if (bitmap == nullptr) return BitmapRef();
    }
  }
  return BitmapRef(bitmap, std::max(1, frames), framesHorizontal, name);
}

}  // namespace plugfw::gfx
