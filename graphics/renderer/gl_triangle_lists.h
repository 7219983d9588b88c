#pragma once
// Fans and strips rewritten as plain triangle lists, so that a convex fill's interior and
// fringe, a stroke's paths and calls that share their paint go to GL as one draw. Any thread;
// no GL call.

#include <cstdint>

#include "graphics/renderer/canvas.h"

namespace plugfw::gfx {

// The vertices a fan or a strip of `count` vertices takes as a triangle list: three for each
// of its count - 2 triangles, 0 when it has none.
int32_t TriangleListLength(int32_t count);

// The convex polygon `polygon` (in the order of its outline) as count - 2 triangles, each
// wound like the outline. Ears are cut from every other vertex, then from the polygon of the
// vertices left, and so on: the diagonals stay short where a fan's would all cross the shape,
// which is cheaper for a tiling rasteriser and covers the same pixels. Returns the end of the
// written list.
CanvasVertex* AppendConvexPolygonTriangles(CanvasVertex* dst, const CanvasVertex* polygon, int32_t count);

// The triangles GL makes of a triangle strip, each wound as GL winds it (every second one
// reversed), so culling and coverage stay those of the strip. Returns the end of the list.
CanvasVertex* AppendStripTriangles(CanvasVertex* dst, const CanvasVertex* strip, int32_t count);

}  // namespace plugfw::gfx
