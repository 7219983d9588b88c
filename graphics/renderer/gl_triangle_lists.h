#pragma once
// Fans and strips as indexed triangle lists, so that a convex fill's interior and fringe, a
// stroke's paths and calls that share their paint go to GL as one draw while each vertex is
// still sent (and shaded) once. Any thread; no GL call.

#include <cstdint>

namespace plugfw::gfx {

// The indices a fan or a strip of `count` vertices takes as a triangle list: three for each
// of its count - 2 triangles, 0 when it has none.
int32_t TriangleListLength(int32_t count);

// The convex polygon of vertices first .. first + count - 1 (in the order of its outline) as
// count - 2 triangles, each wound like the outline. Ears are cut from every other vertex, then
// from the polygon of the vertices left, and so on: the diagonals stay short where a fan's
// would all cross the shape, which is cheaper for a tiling rasteriser and covers the same
// pixels. Returns the end of the written list.
uint32_t* AppendConvexPolygonIndices(uint32_t* dst, uint32_t first, int32_t count);

// The triangles GL makes of the triangle strip first .. first + count - 1, each wound as GL
// winds it (every second one reversed), so culling and coverage stay those of the strip.
// Returns the end of the list.
uint32_t* AppendStripIndices(uint32_t* dst, uint32_t first, int32_t count);

// The triangle list first .. first + count - 1 as it stands.
uint32_t* AppendListIndices(uint32_t* dst, uint32_t first, int32_t count);

}  // namespace plugfw::gfx
