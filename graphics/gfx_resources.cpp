// Resource loading and the static caches. What stands here is what the drawing interface
// and the SVG tests need: the cache entry points and SVG parsing from memory. Loading by
// name (bitmaps, SVG files, fonts) and bitmap rescaling come with the resource family;
// until then they find nothing.

#include <algorithm>

#include "graphics/gfx.h"
#include "graphics/resource_cache.h"

namespace plugfw::gfx {

BitmapRef IGfx::RescaleBitmap(const BitmapRef& bitmap, const char* /*name*/, int32_t /*targetScale*/) {
  return bitmap;
}

void IGfx::CacheBitmap(const BitmapRef& bitmap, const char* name) {
  if (!bitmap.bitmap) return;
  std::unique_ptr<APIBitmap> owned(bitmap.bitmap);
  // Not cached, the bitmap stays where it was rather than vanish under the caller.
  if (!StaticBitmapCache().Add(owned, name, bitmap.bitmap->Scale())) owned.release();
}

void IGfx::UncacheBitmap(APIBitmap* bitmap) { StaticBitmapCache().Remove(bitmap); }

bool IGfx::LoadFontData(const char* /*fontId*/, const void* /*data*/, int32_t /*size*/) { return false; }

bool IGfx::LoadFont(const char* /*fontId*/, const char* /*fileOrResourceName*/) { return false; }

BitmapRef IGfx::LoadBitmapFromMemory(const char* /*name*/, const void* /*data*/, int32_t /*size*/,
                                     int32_t /*frames*/, bool /*framesHorizontal*/, int32_t /*targetScale*/) {
  return BitmapRef();
}

BitmapRef IGfx::LoadBitmapScaled(const char* /*name*/, int32_t /*frames*/, bool /*framesHorizontal*/,
                                 int32_t /*targetScale*/) {
  return BitmapRef();
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

HeapBuffer IGfx::LoadNamedData(const char* /*name*/, const char* /*type*/) {
  return HeapBuffer(HeapBuffer::kBlockGranularity);
}

void IGfx::AddIdToList(int32_t id) {
  // As the toolkit has it: only a value already listed is appended again. Nothing calls it.
  if (std::find(idList_.begin(), idList_.end(), id) != idList_.end()) idList_.push_back(id);
}

}  // namespace plugfw::gfx
