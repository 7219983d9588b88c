#pragma once
// OptimizeRectList: merges a frame's dirty rectangles in place, so that the drawing passes
// visit fewer, larger areas. Rectangles inside others go, overlaps are cut away where the
// cut leaves few pieces, and neighbours that share two edges become one. What is covered
// stays covered, exactly: no pixel is lost and none is added. It touches nothing but the
// list it is given.

#include <cstdint>

#include "graphics/rect_list.h"

namespace plugfw::gfx {

// The list never grows past this many times the rectangles it had with an area; overlaps
// that would need more pieces are left to be drawn twice.
constexpr int32_t kRectListGrowthLimit = 4;

// Any thread, one at a time. Rectangles without area (and any with a non-finite edge that
// leaves it none) are dropped. Should the list not grow to hold the result, it keeps its
// rectangles as they came.
void OptimizeRectList(RectList& rects);

}  // namespace plugfw::gfx
