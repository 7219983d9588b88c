#pragma once
// BitmapRef and SvgRef: what the graphics context hands a control for an image. Neither
// owns the image: the resource caches do, for as long as any editor of the process lives.
// UI thread.

#include <cstdint>

#include "core/heap_string.h"
#include "graphics/api_bitmap.h"

struct NSVGimage;

namespace plugfw::gfx {

struct BitmapRef {
  APIBitmap* bitmap = nullptr;  // not owned
  int32_t width = 0;            // editor units: pixels divided by the bitmap's scale
  int32_t height = 0;
  int32_t frameCount = 1;         // equal frames in the image
  bool framesHorizontal = false;  // side by side when set, stacked when clear
  HeapString name;

  BitmapRef() = default;
  BitmapRef(APIBitmap* apiBitmap, int32_t frames, bool horizontal, const char* sourceName);

  // Nothing to draw: no bitmap, or one without pixels.
  bool Empty() const { return !bitmap || width <= 0 || height <= 0; }
  float DrawScale() const { return bitmap ? bitmap->DrawScale() : 1.f; }
};

struct SvgRef {
  NSVGimage* image = nullptr;  // owned by the SVG cache; null when the load failed

  bool Empty() const { return image == nullptr; }
  // The image's own size in its units; 0 for an empty reference.
  float Width() const;
  float Height() const;
};

}  // namespace plugfw::gfx
