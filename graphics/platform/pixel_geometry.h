#pragma once
// Conversions between editor units and the window's device pixels: dirty areas
// grown outward to whole pixels, update regions back into units, the native edit
// box's and menu anchor's pixel places. The backing scale is the device pixels per
// unit (draw scale × screen scale). Any thread: no shared state.

#include <cstdint>
#include <vector>

#include "graphics/rect.h"

namespace plugfw::gfx {

struct PixelRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  bool operator==(const PixelRect& other) const {
    return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
  }
};

struct PixelPoint {
  int32_t x = 0;
  int32_t y = 0;
};

// The pixels that hold any of rect: left and top rounded down, right and bottom up.
PixelRect PixelsCovering(const Rect& rect, float backing);
// The units that hold all of pixels, rounded outward the same way.
Rect UnitsCovering(const PixelRect& pixels, float backing);

// An update region read as a list of rectangles fits a 1024-byte buffer after its
// 32-byte header: 62 rectangles. A larger or unreadable region is drawn as its
// bounding box.
constexpr int32_t kRegionBufferBytes = 1024;
constexpr int32_t kRegionHeaderBytes = 32;
constexpr int32_t kMaxRegionRects = (kRegionBufferBytes - kRegionHeaderBytes) / 16;

// The areas to draw, in units, for an update region of count rectangles (count 0:
// the region could not be read as a list) with the given bounding box.
std::vector<Rect> UpdateAreasInUnits(const PixelRect* rects, int32_t count, const PixelRect& bounds,
                                     float backing);

// Where the native edit box sits for rect: its corner truncated, one pixel more
// than its size in each direction so the text is not clipped.
PixelRect EditBoxPixels(const Rect& rect, float backing);

// The point a popup menu hangs from: the rect's left-bottom corner, truncated.
PixelPoint MenuAnchorPixels(const Rect& rect, float backing);

}  // namespace plugfw::gfx
