// Expansion: the flattened points become triangle fans for fills and strips for the
// anti-aliasing fringe and for strokes, with joins and caps. The strip's u coordinate runs
// across it (0 on the left of travel, 1 on the right) and v along a cap's fade; the shader
// turns both into coverage.
#include <algorithm>
#include <cmath>

#include "graphics/renderer/canvas_tessellation.h"

namespace plugfw::gfx {
namespace {

constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 6.2831855f;

// Segments of an arc of radius r and the given angle so that no chord strays more than the
// tolerance from the circle.
int CurveDivisions(float r, float arc, float tolerance) {
  const float da = std::acos(r / (r + tolerance)) * 2.0f;
  if (!(da > 0.0f)) return 2;
  return std::max(2, static_cast<int>(std::ceil(std::min(arc / da, 1e4f))));
}

// The inner side of a turn: two points on the segment normals where the turn is too sharp
// for a miter inside, else the miter point (twice, so both joins emit the same count).
void InnerCornerPoints(bool innerBevel, const CanvasPoint& p0, const CanvasPoint& p1, float offset, float* x0,
                       float* y0, float* x1, float* y1) {
  if (innerBevel) {
    *x0 = p1.x + p0.dy * offset;
    *y0 = p1.y - p0.dx * offset;
    *x1 = p1.x + p1.dy * offset;
    *y1 = p1.y - p1.dx * offset;
  } else {
    *x0 = p1.x + p1.dmx * offset;
    *y0 = p1.y + p1.dmy * offset;
    *x1 = p1.x + p1.dmx * offset;
    *y1 = p1.y + p1.dmy * offset;
  }
}

CanvasVertex* CanvasBevelJoin(CanvasVertex* dst, const CanvasPoint& p0, const CanvasPoint& p1, float lw,
                              float rw, float lu, float ru) {
  const float dlx0 = p0.dy, dly0 = -p0.dx;
  const float dlx1 = p1.dy, dly1 = -p1.dx;
  const bool innerBevel = (p1.flags & kPointInnerBevel) != 0;
  float x0, y0, x1, y1;
  if (p1.flags & kPointLeft) {
    InnerCornerPoints(innerBevel, p0, p1, lw, &x0, &y0, &x1, &y1);
    dst = SetVertex(dst, x0, y0, lu, 1);
    dst = SetVertex(dst, p1.x - dlx0 * rw, p1.y - dly0 * rw, ru, 1);
    if (p1.flags & kPointBevel) {
      dst = SetVertex(dst, x0, y0, lu, 1);
      dst = SetVertex(dst, p1.x - dlx0 * rw, p1.y - dly0 * rw, ru, 1);
      dst = SetVertex(dst, x1, y1, lu, 1);
      dst = SetVertex(dst, p1.x - dlx1 * rw, p1.y - dly1 * rw, ru, 1);
    } else {
      const float rx0 = p1.x - p1.dmx * rw;
      const float ry0 = p1.y - p1.dmy * rw;
      dst = SetVertex(dst, p1.x, p1.y, 0.5f, 1);
      dst = SetVertex(dst, p1.x - dlx0 * rw, p1.y - dly0 * rw, ru, 1);
      dst = SetVertex(dst, rx0, ry0, ru, 1);
      dst = SetVertex(dst, rx0, ry0, ru, 1);
      dst = SetVertex(dst, p1.x, p1.y, 0.5f, 1);
      dst = SetVertex(dst, p1.x - dlx1 * rw, p1.y - dly1 * rw, ru, 1);
    }
    dst = SetVertex(dst, x1, y1, lu, 1);
    dst = SetVertex(dst, p1.x - dlx1 * rw, p1.y - dly1 * rw, ru, 1);
  } else {
    InnerCornerPoints(innerBevel, p0, p1, -rw, &x0, &y0, &x1, &y1);
    dst = SetVertex(dst, p1.x + dlx0 * lw, p1.y + dly0 * lw, lu, 1);
    dst = SetVertex(dst, x0, y0, ru, 1);
    if (p1.flags & kPointBevel) {
      dst = SetVertex(dst, p1.x + dlx0 * lw, p1.y + dly0 * lw, lu, 1);
      dst = SetVertex(dst, x0, y0, ru, 1);
      dst = SetVertex(dst, p1.x + dlx1 * lw, p1.y + dly1 * lw, lu, 1);
      dst = SetVertex(dst, x1, y1, ru, 1);
    } else {
      const float lx0 = p1.x + p1.dmx * lw;
      const float ly0 = p1.y + p1.dmy * lw;
      dst = SetVertex(dst, p1.x + dlx0 * lw, p1.y + dly0 * lw, lu, 1);
      dst = SetVertex(dst, p1.x, p1.y, 0.5f, 1);
      dst = SetVertex(dst, lx0, ly0, lu, 1);
      dst = SetVertex(dst, lx0, ly0, lu, 1);
      dst = SetVertex(dst, p1.x + dlx1 * lw, p1.y + dly1 * lw, lu, 1);
      dst = SetVertex(dst, p1.x, p1.y, 0.5f, 1);
    }
    dst = SetVertex(dst, p1.x + dlx1 * lw, p1.y + dly1 * lw, lu, 1);
    dst = SetVertex(dst, x1, y1, ru, 1);
  }
  return dst;
}

int ArcSteps(float sweep, int capDivisions) {
  const int steps = static_cast<int>(std::ceil(sweep / kPi * static_cast<float>(capDivisions)));
  return std::clamp(steps, 2, capDivisions);
}

CanvasVertex* CanvasRoundJoin(CanvasVertex* dst, const CanvasPoint& p0, const CanvasPoint& p1, float lw,
                              float rw, float lu, float ru, int capDivisions) {
  const float dlx0 = p0.dy, dly0 = -p0.dx;
  const float dlx1 = p1.dy, dly1 = -p1.dx;
  const bool innerBevel = (p1.flags & kPointInnerBevel) != 0;
  float x0, y0, x1, y1;
  if (p1.flags & kPointLeft) {
    InnerCornerPoints(innerBevel, p0, p1, lw, &x0, &y0, &x1, &y1);
    const float a0 = std::atan2(-dly0, -dlx0);
    float a1 = std::atan2(-dly1, -dlx1);
    if (a1 > a0) a1 -= kTwoPi;
    dst = SetVertex(dst, x0, y0, lu, 1);
    dst = SetVertex(dst, p1.x - dlx0 * rw, p1.y - dly0 * rw, ru, 1);
    const int n = ArcSteps(a0 - a1, capDivisions);
    for (int i = 0; i < n; ++i) {
      const float a = a0 + static_cast<float>(i) / static_cast<float>(n - 1) * (a1 - a0);
      dst = SetVertex(dst, p1.x, p1.y, 0.5f, 1);
      dst = SetVertex(dst, p1.x + std::cos(a) * rw, p1.y + std::sin(a) * rw, ru, 1);
    }
    dst = SetVertex(dst, x1, y1, lu, 1);
    dst = SetVertex(dst, p1.x - dlx1 * rw, p1.y - dly1 * rw, ru, 1);
  } else {
    InnerCornerPoints(innerBevel, p0, p1, -rw, &x0, &y0, &x1, &y1);
    const float a0 = std::atan2(dly0, dlx0);
    float a1 = std::atan2(dly1, dlx1);
    if (a1 < a0) a1 += kTwoPi;
    dst = SetVertex(dst, p1.x + dlx0 * rw, p1.y + dly0 * rw, lu, 1);
    dst = SetVertex(dst, x0, y0, ru, 1);
    const int n = ArcSteps(a1 - a0, capDivisions);
    for (int i = 0; i < n; ++i) {
      const float a = a0 + static_cast<float>(i) / static_cast<float>(n - 1) * (a1 - a0);
      dst = SetVertex(dst, p1.x + std::cos(a) * lw, p1.y + std::sin(a) * lw, lu, 1);
      dst = SetVertex(dst, p1.x, p1.y, 0.5f, 1);
    }
    dst = SetVertex(dst, p1.x + dlx1 * rw, p1.y + dly1 * rw, lu, 1);
    dst = SetVertex(dst, x1, y1, ru, 1);
  }
  return dst;
}

// Butt and square caps: the strip ends at p moved by `extend` along d, fading over aa.
CanvasVertex* CanvasCapStart(CanvasVertex* dst, const CanvasPoint& p, float dx, float dy, float w,
                             float extend, float aa, float u0, float u1) {
  const float px = p.x - dx * extend;
  const float py = p.y - dy * extend;
  const float dlx = dy, dly = -dx;
  dst = SetVertex(dst, px + dlx * w - dx * aa, py + dly * w - dy * aa, u0, 0);
  dst = SetVertex(dst, px - dlx * w - dx * aa, py - dly * w - dy * aa, u1, 0);
  dst = SetVertex(dst, px + dlx * w, py + dly * w, u0, 1);
  dst = SetVertex(dst, px - dlx * w, py - dly * w, u1, 1);
  return dst;
}

CanvasVertex* CanvasCapEnd(CanvasVertex* dst, const CanvasPoint& p, float dx, float dy, float w, float extend,
                           float aa, float u0, float u1) {
  const float px = p.x + dx * extend;
  const float py = p.y + dy * extend;
  const float dlx = dy, dly = -dx;
  dst = SetVertex(dst, px + dlx * w, py + dly * w, u0, 1);
  dst = SetVertex(dst, px - dlx * w, py - dly * w, u1, 1);
  dst = SetVertex(dst, px + dlx * w + dx * aa, py + dly * w + dy * aa, u0, 0);
  dst = SetVertex(dst, px - dlx * w + dx * aa, py - dly * w + dy * aa, u1, 0);
  return dst;
}

CanvasVertex* CanvasRoundCapStart(CanvasVertex* dst, const CanvasPoint& p, float dx, float dy, float w,
                                  int capDivisions, float u0, float u1) {
  const float dlx = dy, dly = -dx;
  for (int i = 0; i < capDivisions; ++i) {
    const float a = static_cast<float>(i) / static_cast<float>(capDivisions - 1) * kPi;
    const float ax = std::cos(a) * w, ay = std::sin(a) * w;
    dst = SetVertex(dst, p.x - dlx * ax - dx * ay, p.y - dly * ax - dy * ay, u0, 1);
    dst = SetVertex(dst, p.x, p.y, 0.5f, 1);
  }
  dst = SetVertex(dst, p.x + dlx * w, p.y + dly * w, u0, 1);
  dst = SetVertex(dst, p.x - dlx * w, p.y - dly * w, u1, 1);
  return dst;
}

CanvasVertex* CanvasRoundCapEnd(CanvasVertex* dst, const CanvasPoint& p, float dx, float dy, float w,
                                int capDivisions, float u0, float u1) {
  const float dlx = dy, dly = -dx;
  dst = SetVertex(dst, p.x + dlx * w, p.y + dly * w, u0, 1);
  dst = SetVertex(dst, p.x - dlx * w, p.y - dly * w, u1, 1);
  for (int i = 0; i < capDivisions; ++i) {
    const float a = static_cast<float>(i) / static_cast<float>(capDivisions - 1) * kPi;
    const float ax = std::cos(a) * w, ay = std::sin(a) * w;
    dst = SetVertex(dst, p.x, p.y, 0.5f, 1);
    dst = SetVertex(dst, p.x - dlx * ax + dx * ay, p.y - dly * ax + dy * ay, u0, 1);
  }
  return dst;
}

void UnitDirection(const CanvasPoint& from, const CanvasPoint& to, float* dx, float* dy) {
  *dx = to.x - from.x;
  *dy = to.y - from.y;
  const float d = std::sqrt((*dx) * (*dx) + (*dy) * (*dy));
  if (d > 1e-6f) {
    *dx /= d;
    *dy /= d;
  }
}

CanvasVertex* StrokeCapStart(CanvasVertex* dst, const CanvasPoint& p0, const CanvasPoint& p1, int32_t lineCap,
                             float w, float aa, int capDivisions, float u0, float u1) {
  float dx, dy;
  UnitDirection(p0, p1, &dx, &dy);
  if (lineCap == kLineSquare) return CanvasCapStart(dst, p0, dx, dy, w, w - aa, aa, u0, u1);
  if (lineCap == kLineRound) return CanvasRoundCapStart(dst, p0, dx, dy, w, capDivisions, u0, u1);
  return CanvasCapStart(dst, p0, dx, dy, w, -aa * 0.5f, aa, u0, u1);
}

CanvasVertex* StrokeCapEnd(CanvasVertex* dst, const CanvasPoint& p0, const CanvasPoint& p1, int32_t lineCap,
                           float w, float aa, int capDivisions, float u0, float u1) {
  float dx, dy;
  UnitDirection(p0, p1, &dx, &dy);
  if (lineCap == kLineSquare) return CanvasCapEnd(dst, p1, dx, dy, w, w - aa, aa, u0, u1);
  if (lineCap == kLineRound) return CanvasRoundCapEnd(dst, p1, dx, dy, w, capDivisions, u0, u1);
  return CanvasCapEnd(dst, p1, dx, dy, w, -aa * 0.5f, aa, u0, u1);
}

int64_t StrokeVertexBound(const CanvasPathCache* cache, int32_t lineCap, int32_t lineJoin, int capDivisions) {
  int64_t count = 0;
  for (int32_t i = 0; i < cache->pathCount; ++i) {
    const CanvasPath& path = cache->paths[i];
    const int64_t perBevel = lineJoin == kLineRound ? capDivisions + 2 : 5;
    count += (path.count + path.bevelCount * perBevel + 1) * 2;
    if (!path.closed) count += lineCap == kLineRound ? (capDivisions * 2 + 2) * 2 : (3 + 3) * 2;
  }
  return count;
}

int64_t FillVertexBound(const CanvasPathCache* cache, bool fringe) {
  int64_t count = 0;
  for (int32_t i = 0; i < cache->pathCount; ++i) {
    const CanvasPath& path = cache->paths[i];
    count += path.count + path.bevelCount + 1;
    if (fringe) count += (path.count + path.bevelCount * 5 + 1) * 2;
  }
  return count;
}

CanvasVertex* AllocVertexBound(CanvasContext* ctx, int64_t count) {
  if (count > INT32_MAX) return nullptr;
  return CanvasAllocTempVerts(ctx, static_cast<int32_t>(count));
}

}  // namespace

int CanvasExpandFill(CanvasContext* ctx, float w, int32_t lineJoin, float miterLimit) {
  CanvasPathCache* cache = ctx->cache;
  const float aa = ctx->fringeWidth;
  const bool fringe = w > 0.0f;
  CanvasCalculateJoins(ctx, w, lineJoin, miterLimit);
  CanvasVertex* verts = AllocVertexBound(ctx, FillVertexBound(cache, fringe));
  if (verts == nullptr) return 0;
  // A lone convex path needs no stencil: its fan stops half a fringe inside and the fringe
  // strip starts there, so the two meet without overlap.
  const bool convex = cache->pathCount == 1 && cache->paths[0].convex;
  for (int32_t i = 0; i < cache->pathCount; ++i) {
    CanvasPath* path = &cache->paths[i];
    const CanvasPoint* points = &cache->points[path->first];
    const float woff = 0.5f * aa;
    CanvasVertex* dst = verts;
    path->fill = dst;
    for (int32_t j = 0; j < path->count; ++j) {
      const CanvasPoint& p0 = points[(j + path->count - 1) % path->count];
      const CanvasPoint& p1 = points[j];
      if (!fringe) {
        dst = SetVertex(dst, p1.x, p1.y, 0.5f, 1);
      } else if ((p1.flags & kPointBevel) && !(p1.flags & kPointLeft)) {
        dst = SetVertex(dst, p1.x + p0.dy * woff, p1.y - p0.dx * woff, 0.5f, 1);
        dst = SetVertex(dst, p1.x + p1.dy * woff, p1.y - p1.dx * woff, 0.5f, 1);
      } else {
        dst = SetVertex(dst, p1.x + p1.dmx * woff, p1.y + p1.dmy * woff, 0.5f, 1);
      }
    }
    path->fillCount = static_cast<int32_t>(dst - verts);
    verts = dst;

    if (!fringe) {
      path->stroke = nullptr;
      path->strokeCount = 0;
      continue;
    }
    float lw = w + woff;
    const float rw = w - woff;
    float lu = 0.0f;
    const float ru = 1.0f;
    if (convex) {
      lw = woff;
      lu = 0.5f;
    }
    dst = verts;
    path->stroke = dst;
    for (int32_t j = 0; j < path->count; ++j) {
      const CanvasPoint& p0 = points[(j + path->count - 1) % path->count];
      const CanvasPoint& p1 = points[j];
      if (p1.flags & (kPointBevel | kPointInnerBevel)) {
        dst = CanvasBevelJoin(dst, p0, p1, lw, rw, lu, ru);
      } else {
        dst = SetVertex(dst, p1.x + p1.dmx * lw, p1.y + p1.dmy * lw, lu, 1);
        dst = SetVertex(dst, p1.x - p1.dmx * rw, p1.y - p1.dmy * rw, ru, 1);
      }
    }
    if (dst - verts >= 2) {
      dst = SetVertex(dst, verts[0].x, verts[0].y, lu, 1);
      dst = SetVertex(dst, verts[1].x, verts[1].y, ru, 1);
    }
    path->strokeCount = static_cast<int32_t>(dst - verts);
    verts = dst;
  }
  return 1;
}

int CanvasExpandStroke(CanvasContext* ctx, float w, float fringe, int32_t lineCap, int32_t lineJoin,
                       float miterLimit) {
  CanvasPathCache* cache = ctx->cache;
  const float aa = fringe;
  float u0 = 0.0f, u1 = 1.0f;
  const int capDivisions = CurveDivisions(w, kPi, ctx->tessellationTolerance);
  w += aa * 0.5f;
  // Without a fringe both sides are fully inside the stroke.
  if (aa == 0.0f) u0 = u1 = 0.5f;
  CanvasCalculateJoins(ctx, w, lineJoin, miterLimit);
  CanvasVertex* verts = AllocVertexBound(ctx, StrokeVertexBound(cache, lineCap, lineJoin, capDivisions));
  if (verts == nullptr) return 0;

  for (int32_t i = 0; i < cache->pathCount; ++i) {
    CanvasPath* path = &cache->paths[i];
    const CanvasPoint* points = &cache->points[path->first];
    path->fill = nullptr;
    path->fillCount = 0;
    path->stroke = verts;
    path->strokeCount = 0;
    // A lone point has no direction to stroke along.
    if (path->count < 2) continue;
    const bool loop = path->closed != 0;
    CanvasVertex* dst = verts;
    int32_t s, e, previous;
    if (loop) {
      previous = path->count - 1;
      s = 0;
      e = path->count;
    } else {
      previous = 0;
      s = 1;
      e = path->count - 1;
      dst = StrokeCapStart(dst, points[0], points[1], lineCap, w, aa, capDivisions, u0, u1);
    }
    for (int32_t j = s; j < e; ++j) {
      const CanvasPoint& p0 = points[previous];
      const CanvasPoint& p1 = points[j];
      if (p1.flags & (kPointBevel | kPointInnerBevel)) {
        dst = lineJoin == kLineRound ? CanvasRoundJoin(dst, p0, p1, w, w, u0, u1, capDivisions)
                                     : CanvasBevelJoin(dst, p0, p1, w, w, u0, u1);
      } else {
        dst = SetVertex(dst, p1.x + p1.dmx * w, p1.y + p1.dmy * w, u0, 1);
        dst = SetVertex(dst, p1.x - p1.dmx * w, p1.y - p1.dmy * w, u1, 1);
      }
      previous = j;
    }
    if (loop) {
      dst = SetVertex(dst, verts[0].x, verts[0].y, u0, 1);
      dst = SetVertex(dst, verts[1].x, verts[1].y, u1, 1);
    } else {
      dst = StrokeCapEnd(dst, points[previous], points[e], lineCap, w, aa, capDivisions, u0, u1);
    }
    path->strokeCount = static_cast<int32_t>(dst - verts);
    verts = dst;
  }
  return 1;
}

}  // namespace plugfw::gfx
