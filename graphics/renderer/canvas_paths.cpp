// Flattening: commands become paths of points, curves become short lines, and each point
// learns its direction, its miter and how it turns.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "graphics/renderer/canvas_tessellation.h"
#include "graphics/renderer/renderer_arrays.h"

namespace plugfw::gfx {
namespace {

constexpr int32_t kInitialPoints = 128;
constexpr int32_t kInitialPaths = 16;
constexpr int32_t kInitialVertices = 256;
constexpr int32_t kVertexGranule = 256;
constexpr int kMaxBezierLevel = 10;
constexpr float kBoundsStart = 1e6f;
constexpr float kShortestDirection = 1e-6f;
constexpr float kMiterScaleCap = 600.0f;
constexpr float kMinimumInnerLimit = 1.01f;

bool PointsEqual(float x1, float y1, float x2, float y2, float tolerance) {
  const float dx = x2 - x1;
  const float dy = y2 - y1;
  return dx * dx + dy * dy < tolerance * tolerance;
}

// Length of (dx, dy), and the pair made a unit vector unless it is too short to have a
// direction (then it stays the raw difference).
float Normalize(float* x, float* y) {
  const float d = std::sqrt((*x) * (*x) + (*y) * (*y));
  if (d > kShortestDirection) {
    const float id = 1.0f / d;
    *x *= id;
    *y *= id;
  }
  return d;
}

// Twice the signed area of the triangle; positive in CanvasRect's order (down the left side
// first), which is counter-clockwise on screen with y growing downwards.
float TriangleArea2(const CanvasPoint& a, const CanvasPoint& b, const CanvasPoint& c) {
  const float abx = b.x - a.x;
  const float aby = b.y - a.y;
  const float acx = c.x - a.x;
  const float acy = c.y - a.y;
  return acx * aby - abx * acy;
}

float PolygonArea(const CanvasPoint* points, int32_t count) {
  float area = 0.0f;
  for (int32_t i = 2; i < count; ++i) area += TriangleArea2(points[0], points[i - 1], points[i]);
  return area * 0.5f;
}

void ReversePoints(CanvasPoint* points, int32_t count) { std::reverse(points, points + count); }

CanvasPath* LastPath(CanvasContext* ctx) {
  CanvasPathCache* cache = ctx->cache;
  return cache->pathCount > 0 ? &cache->paths[cache->pathCount - 1] : nullptr;
}

CanvasPoint* LastPoint(CanvasContext* ctx) {
  CanvasPathCache* cache = ctx->cache;
  return cache->pointCount > 0 ? &cache->points[cache->pointCount - 1] : nullptr;
}

void CanvasAddPath(CanvasContext* ctx) {
  CanvasPathCache* cache = ctx->cache;
  if (cache->pathCount + 1 > cache->pathCapacity &&
      !ResizeRecords(cache->paths, cache->pathCapacity,
                     static_cast<int64_t>(cache->pathCount) + 1 + cache->pathCapacity / 2)) {
    return;
  }
  CanvasPath* path = &cache->paths[cache->pathCount++];
  std::memset(path, 0, sizeof(*path));
  path->first = cache->pointCount;
  path->winding = kWindingSolid;
}

void CanvasAddPoint(CanvasContext* ctx, float x, float y, uint8_t flags) {
  CanvasPath* path = LastPath(ctx);
  if (path == nullptr) return;
  CanvasPathCache* cache = ctx->cache;
  if (path->count > 0 && cache->pointCount > 0) {
    CanvasPoint* last = LastPoint(ctx);
    if (PointsEqual(last->x, last->y, x, y, ctx->distanceTolerance)) {
      last->flags |= flags;
      return;
    }
  }
  if (cache->pointCount + 1 > cache->pointCapacity &&
      !ResizeRecords(cache->points, cache->pointCapacity,
                     static_cast<int64_t>(cache->pointCount) + 1 + cache->pointCapacity / 2)) {
    return;
  }
  CanvasPoint* point = &cache->points[cache->pointCount++];
  std::memset(point, 0, sizeof(*point));
  point->x = x;
  point->y = y;
  point->flags = flags;
  path->count++;
}

void CanvasClosePathPoints(CanvasContext* ctx) {
  if (CanvasPath* path = LastPath(ctx)) path->closed = 1;
}

void CanvasSetPathWinding(CanvasContext* ctx, int32_t winding) {
  if (CanvasPath* path = LastPath(ctx)) path->winding = winding;
}

void CanvasTessellateBezier(CanvasContext* ctx, float x1, float y1, float x2, float y2, float x3, float y3,
                            float x4, float y4, int level, uint8_t type) {
  if (level > kMaxBezierLevel) return;
  const float dx = x4 - x1;
  const float dy = y4 - y1;
  const float d2 = std::fabs((x2 - x4) * dy - (y2 - y4) * dx);
  const float d3 = std::fabs((x3 - x4) * dy - (y3 - y4) * dx);
  if ((d2 + d3) * (d2 + d3) < ctx->tessellationTolerance * (dx * dx + dy * dy)) {
    CanvasAddPoint(ctx, x4, y4, type);
    return;
  }
  const float x12 = (x1 + x2) * 0.5f, y12 = (y1 + y2) * 0.5f;
  const float x23 = (x2 + x3) * 0.5f, y23 = (y2 + y3) * 0.5f;
  const float x34 = (x3 + x4) * 0.5f, y34 = (y3 + y4) * 0.5f;
  const float x123 = (x12 + x23) * 0.5f, y123 = (y12 + y23) * 0.5f;
  const float x234 = (x23 + x34) * 0.5f, y234 = (y23 + y34) * 0.5f;
  const float x1234 = (x123 + x234) * 0.5f, y1234 = (y123 + y234) * 0.5f;
  CanvasTessellateBezier(ctx, x1, y1, x12, y12, x123, y123, x1234, y1234, level + 1, 0);
  CanvasTessellateBezier(ctx, x1234, y1234, x234, y234, x34, y34, x4, y4, level + 1, type);
}

void WalkCommands(CanvasContext* ctx) {
  const float* commands = ctx->commands;
  int32_t i = 0;
  while (i < ctx->commandCount) {
    const int command = static_cast<int>(commands[i]);
    const float* p = &commands[i + 1];
    switch (command) {
      case kCommandMoveTo:
        CanvasAddPath(ctx);
        CanvasAddPoint(ctx, p[0], p[1], kPointCorner);
        break;
      case kCommandLineTo:
        CanvasAddPoint(ctx, p[0], p[1], kPointCorner);
        break;
      case kCommandBezierTo:
        if (const CanvasPoint* last = LastPoint(ctx); last != nullptr && LastPath(ctx)->count > 0) {
          CanvasTessellateBezier(ctx, last->x, last->y, p[0], p[1], p[2], p[3], p[4], p[5], 0, kPointCorner);
        }
        break;
      case kCommandClose:
        CanvasClosePathPoints(ctx);
        break;
      case kCommandWinding:
        CanvasSetPathWinding(ctx, static_cast<int32_t>(p[0]));
        break;
      default:
        break;
    }
    const int valueCount = CanvasCommandValueCount(command);
    if (valueCount < 0) break;  // the buffer holds whole known commands only
    i += 1 + valueCount;
  }
}

void GrowBounds(float* bounds, const CanvasPoint& point) {
  bounds[0] = std::min(bounds[0], point.x);
  bounds[1] = std::min(bounds[1], point.y);
  bounds[2] = std::max(bounds[2], point.x);
  bounds[3] = std::max(bounds[3], point.y);
}

// Closes a path that comes back to its start, turns it the way its winding asks, and gives
// each point its direction and length to the next; the bounds grow over it.
void OrientAndMeasurePath(CanvasContext* ctx, CanvasPath* path) {
  CanvasPathCache* cache = ctx->cache;
  CanvasPoint* points = &cache->points[path->first];
  // A path that comes back to its start is closed; its last point would only repeat the first.
  if (path->count >= 2) {
    const CanvasPoint& last = points[path->count - 1];
    if (PointsEqual(last.x, last.y, points[0].x, points[0].y, ctx->distanceTolerance)) {
      path->count--;
      path->closed = 1;
    }
  }
  if (path->count > 2) {
    const float area = PolygonArea(points, path->count);
    if ((path->winding == kWindingSolid && area < 0.0f) || (path->winding == kWindingHole && area > 0.0f)) {
      ReversePoints(points, path->count);
    }
  }
  for (int32_t i = 0; i < path->count; ++i) {
    CanvasPoint& p0 = points[i];
    const CanvasPoint& p1 = points[(i + 1) % path->count];
    p0.dx = p1.x - p0.x;
    p0.dy = p1.y - p0.y;
    p0.length = Normalize(&p0.dx, &p0.dy);
    GrowBounds(cache->bounds, p0);
  }
}

}  // namespace

CanvasPathCache* CanvasPathCacheCreate() {
  auto* cache = static_cast<CanvasPathCache*>(std::calloc(1, sizeof(CanvasPathCache)));
  if (cache == nullptr) return nullptr;
  if (!ResizeRecords(cache->points, cache->pointCapacity, kInitialPoints) ||
      !ResizeRecords(cache->paths, cache->pathCapacity, kInitialPaths) ||
      !ResizeRecords(cache->vertices, cache->vertexCapacity, kInitialVertices)) {
    CanvasPathCacheDelete(cache);
    return nullptr;
  }
  return cache;
}

void CanvasPathCacheDelete(CanvasPathCache* cache) {
  if (cache == nullptr) return;
  std::free(cache->points);
  std::free(cache->paths);
  std::free(cache->vertices);
  std::free(cache);
}

void CanvasPathCacheClear(CanvasPathCache* cache) {
  cache->pointCount = 0;
  cache->pathCount = 0;
}

void CanvasFlattenPaths(CanvasContext* ctx) {
  CanvasPathCache* cache = ctx->cache;
  if (cache->pathCount > 0) return;
  WalkCommands(ctx);
  cache->bounds[0] = cache->bounds[1] = kBoundsStart;
  cache->bounds[2] = cache->bounds[3] = -kBoundsStart;
  for (int32_t j = 0; j < cache->pathCount; ++j) OrientAndMeasurePath(ctx, &cache->paths[j]);
}

void CanvasCalculateJoins(CanvasContext* ctx, float w, int32_t lineJoin, float miterLimit) {
  CanvasPathCache* cache = ctx->cache;
  const float iw = w > 0.0f ? 1.0f / w : 0.0f;
  for (int32_t i = 0; i < cache->pathCount; ++i) {
    CanvasPath* path = &cache->paths[i];
    CanvasPoint* points = &cache->points[path->first];
    int32_t leftTurns = 0;
    path->bevelCount = 0;
    for (int32_t j = 0; j < path->count; ++j) {
      const CanvasPoint& p0 = points[(j + path->count - 1) % path->count];
      CanvasPoint& p1 = points[j];
      // Normals (dy, -dx) point to the left of travel: into a solid path.
      const float dlx0 = p0.dy, dly0 = -p0.dx;
      const float dlx1 = p1.dy, dly1 = -p1.dx;
      p1.dmx = (dlx0 + dlx1) * 0.5f;
      p1.dmy = (dly0 + dly1) * 0.5f;
      const float dmr2 = p1.dmx * p1.dmx + p1.dmy * p1.dmy;
      if (dmr2 > 0.000001f) {
        const float scale = std::min(1.0f / dmr2, kMiterScaleCap);
        p1.dmx *= scale;
        p1.dmy *= scale;
      }
      // Joins are worked out afresh each time: a fill and a stroke of one path differ.
      p1.flags = (p1.flags & kPointCorner) ? kPointCorner : 0;
      const float cross = p1.dx * p0.dy - p0.dx * p1.dy;
      if (cross > 0.0f) {
        leftTurns++;
        p1.flags |= kPointLeft;
      }
      const float limit = std::max(kMinimumInnerLimit, std::min(p0.length, p1.length) * iw);
      if (dmr2 * limit * limit < 1.0f) p1.flags |= kPointInnerBevel;
      if (p1.flags & kPointCorner) {
        if (dmr2 * miterLimit * miterLimit < 1.0f || lineJoin == kLineBevel || lineJoin == kLineRound) {
          p1.flags |= kPointBevel;
        }
      }
      if (p1.flags & (kPointBevel | kPointInnerBevel)) path->bevelCount++;
    }
    path->convex = leftTurns == path->count ? 1 : 0;
  }
}

CanvasVertex* CanvasAllocTempVerts(CanvasContext* ctx, int32_t count) {
  CanvasPathCache* cache = ctx->cache;
  if (count > cache->vertexCapacity) {
    const int64_t capacity =
        (static_cast<int64_t>(count) + kVertexGranule - 1) / kVertexGranule * kVertexGranule;
    if (!ResizeRecords(cache->vertices, cache->vertexCapacity, capacity)) return nullptr;
  }
  return cache->vertices;
}

}  // namespace plugfw::gfx
