#include "graphics/renderer/gl_triangle_lists.h"

namespace plugfw::gfx {
namespace {

uint32_t* AppendTriangle(uint32_t* dst, uint32_t a, uint32_t b, uint32_t c) {
  dst[0] = a;
  dst[1] = b;
  dst[2] = c;
  return dst + 3;
}

}  // namespace

int32_t TriangleListLength(int32_t count) { return count >= 3 ? 3 * (count - 2) : 0; }

uint32_t* AppendConvexPolygonIndices(uint32_t* dst, uint32_t first, int32_t count) {
  if (count < 3) return dst;
  const int32_t last = count - 1;
  // At each round the polygon left is the vertices at multiples of `step` below the last
  // one, then the last one; cutting the ear at every second of them halves it.
  for (int32_t step = 1;; step *= 2) {
    const int32_t multiples = (last - 1) / step + 1;  // 0, step, ... below last
    const int32_t left = multiples + 1;
    if (left < 3) break;
    auto at = [&](int32_t position) {
      return first + static_cast<uint32_t>(position < multiples ? position * step : last);
    };
    for (int32_t p = 0; p + 2 < left; p += 2) dst = AppendTriangle(dst, at(p), at(p + 1), at(p + 2));
  }
  return dst;
}

uint32_t* AppendStripIndices(uint32_t* dst, uint32_t first, int32_t count) {
  for (int32_t i = 0; i + 2 < count; ++i) {
    const uint32_t v = first + static_cast<uint32_t>(i);
    dst = (i % 2 == 0) ? AppendTriangle(dst, v, v + 1, v + 2) : AppendTriangle(dst, v + 1, v, v + 2);
  }
  return dst;
}

uint32_t* AppendListIndices(uint32_t* dst, uint32_t first, int32_t count) {
  for (int32_t i = 0; i < count; ++i) *dst++ = first + static_cast<uint32_t>(i);
  return dst;
}

}  // namespace plugfw::gfx
