// Resource loading and the static caches: bitmaps looked for at the display's scale among
// their name@Nx variants and redrawn at the wanted scale when found at another, named data
// from files and module resources, SVG images through nanosvg, fonts through the platform.
//
// Who owns a decoded bitmap: every bitmap the back end's loaders return goes to
// CacheBitmap, never to delete. In this class the static cache then owns it; a back end
// that keeps its bitmaps in a cache of its own makes CacheBitmap do nothing and stays their
// owner. So a bitmap is never freed by both.

#include <algorithm>

#include "core/file_bytes.h"
#include "core/resources.h"
#include "graphics/gfx.h"
#include "graphics/resource_cache.h"
#include "graphics/scaled_image_names.h"

namespace plugfw::gfx {
namespace {

BitmapRef RefTo(APIBitmap* bitmap, int32_t frames, bool framesHorizontal, const char* name) {
  return BitmapRef(bitmap, std::max(1, frames), framesHorizontal, name);
}

}  // namespace

ResourceLocation IGfx::SearchScaledImage(const char* name, const char* extension, HeapString& path,
                                         int32_t targetScale, int32_t& sourceScale) {
  int32_t scales[kMaxScaleCandidates];
  const int32_t count = ScaleSearchOrder(targetScale, scales);
  HeapString candidate;
  for (int32_t i = 0; i < count; ++i) {
    ScaledImageName(name, scales[i], candidate);
    const ResourceLocation location = LocateResource(candidate.Get(), extension, &path, GetWinModuleHandle());
    if (location != ResourceLocation::kNotFound) {
      sourceScale = scales[i];
      return location;
    }
  }
  return ResourceLocation::kNotFound;
}

APIBitmap* IGfx::FindCachedBitmapAtAnyScale(const char* name, int32_t targetScale, int32_t& scale) {
  BitmapCache& cache = StaticBitmapCache();
  ScopedLock hold(&cache.Lock());
  int32_t scales[kMaxScaleCandidates];
  const int32_t count = ScaleSearchOrder(targetScale, scales);
  for (int32_t i = 0; i < count; ++i) {
    if (APIBitmap* cached = cache.Find(name, scales[i])) {
      scale = scales[i];
      return cached;
    }
  }
  return nullptr;
}

BitmapRef IGfx::RescaleBitmap(const BitmapRef& bitmap, const char* name, int32_t targetScale) {
  if (bitmap.Empty() || targetScale < 1) return bitmap;
  const float savedScreenScale = screenScale_;
  const float savedDrawScale = drawScale_;
  const float sourceDrawScale = bitmap.bitmap->DrawScale();
  screenScale_ = static_cast<float>(targetScale);
  drawScale_ = sourceDrawScale;
  const Rect bounds(0.f, 0.f, static_cast<float>(bitmap.width) / sourceDrawScale,
                    static_cast<float>(bitmap.height) / sourceDrawScale);
  StartLayer(nullptr, bounds, true);
  DrawBitmap(bitmap, bounds, 0, 0, nullptr);
  LayerPtr layer = EndLayer();
  screenScale_ = savedScreenScale;
  drawScale_ = savedDrawScale;
  // Without a layer bitmap the source is still better than nothing.
  if (!layer || !layer->bitmap) return bitmap;
  BitmapRef rescaled = RefTo(layer->bitmap.release(), bitmap.frameCount, bitmap.framesHorizontal, name);
  CacheBitmap(rescaled, name);
  return rescaled;
}

void IGfx::CacheBitmap(const BitmapRef& bitmap, const char* name) {
  if (!bitmap.bitmap) return;
  BitmapCache& cache = StaticBitmapCache();
  // Taken twice, it would be freed twice when the cache clears.
  if (cache.Holds(bitmap.bitmap)) return;
  std::unique_ptr<APIBitmap> owned(bitmap.bitmap);
  // Not cached, the bitmap stays where it was rather than vanish under the caller.
  if (!cache.Add(owned, name, bitmap.bitmap->Scale())) owned.release();
}

void IGfx::UncacheBitmap(APIBitmap* bitmap) { StaticBitmapCache().Remove(bitmap); }

BitmapRef IGfx::AtTargetScale(APIBitmap* bitmap, bool decoded, const char* name, int32_t frames,
                              bool framesHorizontal, int32_t targetScale) {
  const BitmapRef found = RefTo(bitmap, frames, framesHorizontal, name);
  if (decoded) CacheBitmap(found, name);
  if (bitmap->Scale() == static_cast<float>(targetScale)) return found;
  return RescaleBitmap(found, name, targetScale);
}

BitmapRef IGfx::LoadBitmapScaled(const char* name, int32_t frames, bool framesHorizontal,
                                 int32_t targetScale) {
  BitmapCache& cache = StaticBitmapCache();
  ScopedLock hold(&cache.Lock());
  const int32_t target = TargetScale(targetScale, screenScale_);
  if (APIBitmap* cached = cache.Find(name, target)) return RefTo(cached, frames, framesHorizontal, name);
  const char* extension = NameExtension(name);
  if (!BitmapExtSupported(extension)) return BitmapRef();

  HeapString path;
  int32_t sourceScale = target;
  APIBitmap* bitmap = nullptr;
  bool decoded = false;
  const ResourceLocation location = SearchScaledImage(name, extension, path, target, sourceScale);
  if (location != ResourceLocation::kNotFound) {
    if (sourceScale != target) bitmap = cache.Find(name, sourceScale);
    if (!bitmap) {
      bitmap = LoadBitmapData(path.Get(), static_cast<float>(sourceScale), location, extension);
      decoded = bitmap != nullptr;
    }
  } else {
    bitmap = FindCachedBitmapAtAnyScale(name, target, sourceScale);
  }
  if (!bitmap) return BitmapRef();
  return AtTargetScale(bitmap, decoded, name, frames, framesHorizontal, target);
}

BitmapRef IGfx::LoadBitmapFromMemory(const char* name, const void* data, int32_t size, int32_t frames,
                                     bool framesHorizontal, int32_t targetScale) {
  BitmapCache& cache = StaticBitmapCache();
  ScopedLock hold(&cache.Lock());
  const int32_t target = TargetScale(targetScale, screenScale_);
  if (APIBitmap* cached = cache.Find(name, target)) return RefTo(cached, frames, framesHorizontal, name);
  if (!BitmapExtSupported(NameExtension(name))) return BitmapRef();

  int32_t sourceScale = target;
  APIBitmap* bitmap = FindCachedBitmapAtAnyScale(name, target, sourceScale);
  bool decoded = false;
  if (!bitmap && data && size > 0) {
    bitmap = LoadBitmapDataFromMemory(name, data, size, 1.f);
    decoded = bitmap != nullptr;
  }
  if (!bitmap) return BitmapRef();
  return AtTargetScale(bitmap, decoded, name, frames, framesHorizontal, target);
}

SvgRef IGfx::LoadSvgFromMemory(const char* name, const void* data, int32_t size, const char* units,
                               float dpi) {
  SvgCache& cache = StaticSvgCache();
  ScopedLock hold(&cache.Lock());
  if (SvgImage* cached = cache.Find(name, 1.0)) return cached->Ref();
  std::unique_ptr<SvgImage> parsed = ParseSvg(data, size, units, dpi);
  SvgImage* added = cache.Add(parsed, name, 1.0);
  return added ? added->Ref() : SvgRef();
}

SvgRef IGfx::LoadSvgByName(const char* name, const char* units, float dpi) {
  SvgCache& cache = StaticSvgCache();
  ScopedLock hold(&cache.Lock());
  if (SvgImage* cached = cache.Find(name, 1.0)) return cached->Ref();
  const HeapBuffer data = LoadNamedData(name, "svg");
  if (data.Size() == 0) return SvgRef();
  return LoadSvgFromMemory(name, data.Data(), data.Size(), units, dpi);
}

HeapBuffer IGfx::LoadNamedData(const char* name, const char* type) {
  HeapBuffer data(HeapBuffer::kBlockGranularity);
  HeapString found;
  switch (LocateResource(name, type, &found, GetWinModuleHandle())) {
    case ResourceLocation::kFile:
      ReadFileBytes(found.Get(), data);
      break;
    case ResourceLocation::kModuleResource: {
      int32_t size = 0;
      const uint8_t* bytes = FindResourceData(found.Get(), type, &size, GetWinModuleHandle());
      // Bytes that cannot be had stay absent: no zeros pose as the resource.
      if (bytes && size > 0) data.Append(bytes, size);
      break;
    }
    case ResourceLocation::kNotFound:
      break;
  }
  return data;
}

bool IGfx::LoadFont(const char* fontId, const char* fileOrResourceName) {
  if (!fontId || !fontId[0] || !fileOrResourceName || !fileOrResourceName[0]) return false;
  return RegisterPlatformFont(fontId, LoadFontFromFile(fontId, fileOrResourceName));
}

bool IGfx::LoadFontData(const char* fontId, const void* data, int32_t size) {
  if (!fontId || !fontId[0] || !data || size <= 0) return false;
  return RegisterPlatformFont(fontId, LoadFontFromMemory(fontId, data, size));
}

bool IGfx::RegisterPlatformFont(const char* fontId, PlatformFontPtr font) {
  // The platform font goes when this returns; its cache keeps what it needs of it.
  if (!font || !LoadFontIntoRenderer(fontId, *font)) return false;
  CachePlatformFont(fontId, *font);
  return true;
}

void IGfx::AddIdToList(int32_t id) {
  // As the toolkit has it: only a value already listed is appended again. Nothing calls it.
  if (std::find(idList_.begin(), idList_.end(), id) != idList_.end()) idList_.push_back(id);
}

}  // namespace plugfw::gfx
