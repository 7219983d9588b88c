// The drawing interface's images: bitmaps fitted or rotated, and SVG images drawn shape by
// shape from nanosvg's parse. An empty image or one of no size draws nothing.

#include <cmath>

#include "graphics/gfx.h"
#include "graphics/svg_image.h"
#include "nanosvg.h"

namespace plugfw::gfx {
namespace {

// Nearly parallel lines never cross in the winding test.
constexpr double kParallelLimit = 1e-8;
// A sub-path's edges join the end points of its curve segments: every third point.
constexpr int32_t kPointsPerSegment = 3;

struct Point {
  double x;
  double y;
};

Point PathPoint(const NSVGpath& path, int32_t index) {
  return {path.pts[2 * index], path.pts[2 * index + 1]};
}

// Whether the ray from origin through `through` crosses the edge a-b, counting the edge's
// start but not its end, so a ray through a shared corner counts once.
bool RayCrossesEdge(const Point& origin, const Point& through, const Point& a, const Point& b) {
  const double rayX = through.x - origin.x;
  const double rayY = through.y - origin.y;
  const double edgeX = b.x - a.x;
  const double edgeY = b.y - a.y;
  const double cross = rayX * edgeY - rayY * edgeX;
  if (std::fabs(cross) < kParallelLimit) return false;
  const double toX = a.x - origin.x;
  const double toY = a.y - origin.y;
  const double alongRay = (toX * edgeY - toY * edgeX) / cross;
  const double alongEdge = (toX * rayY - toY * rayX) / cross;
  return alongEdge >= 0.0 && alongEdge < 1.0 && alongRay >= 0.0;
}

// How many edges of the shape's other sub-paths the ray from this sub-path's first point
// through a point just above and left of its bounds crosses. Odd: the sub-path is a hole.
int32_t CountCrossings(const NSVGshape& shape, const NSVGpath& path) {
  const Point origin = PathPoint(path, 0);
  const Point through{path.bounds[0] - 1.0, path.bounds[1] - 1.0};
  int32_t crossings = 0;
  for (const NSVGpath* other = shape.paths; other; other = other->next) {
    if (other == &path || other->npts <= kPointsPerSegment) continue;
    const int32_t lastEnd = (other->npts - 1) / kPointsPerSegment * kPointsPerSegment;
    for (int32_t i = 0; i <= lastEnd; i += kPointsPerSegment) {
      const int32_t next = i + kPointsPerSegment <= lastEnd ? i + kPointsPerSegment : 0;
      if (RayCrossesEdge(origin, through, PathPoint(*other, i), PathPoint(*other, next))) ++crossings;
    }
  }
  return crossings;
}

void AddSubPaths(IGfx& gfx, const NSVGshape& shape) {
  for (const NSVGpath* path = shape.paths; path; path = path->next) {
    if (path->npts < 1) continue;
    const Point start = PathPoint(*path, 0);
    gfx.PathMoveTo(static_cast<float>(start.x), static_cast<float>(start.y));
    for (int32_t i = 1; i + 2 < path->npts; i += kPointsPerSegment) {
      const float* p = &path->pts[2 * i];
      gfx.PathCubicBezierTo(p[0], p[1], p[2], p[3], p[4], p[5]);
    }
    if (path->closed) gfx.PathClose();
    gfx.PathSetWinding(CountCrossings(shape, *path) % 2 == 1);
  }
}

LineCap CapFromSvg(char cap) {
  return cap == NSVG_CAP_ROUND ? LineCap::kRound : cap == NSVG_CAP_SQUARE ? LineCap::kSquare : LineCap::kButt;
}

LineJoin JoinFromSvg(char join) {
  return join == NSVG_JOIN_ROUND   ? LineJoin::kRound
         : join == NSVG_JOIN_BEVEL ? LineJoin::kBevel
                                   : LineJoin::kMiter;
}

StrokeOptions StrokeFromShape(const NSVGshape& shape) {
  StrokeOptions options;
  options.miterLimit = shape.miterLimit;
  options.cap = CapFromSvg(shape.strokeLineCap);
  options.join = JoinFromSvg(shape.strokeLineJoin);
  options.SetDash(shape.strokeDashArray, shape.strokeDashCount, shape.strokeDashOffset);
  return options;
}

bool DrawableBitmap(const BitmapRef& bitmap) { return !bitmap.Empty() && bitmap.DrawScale() > 0.f; }

}  // namespace

void IGfx::RenderSvgShapes(const SvgRef& svg, const Blend* blend, const Colour* strokeColour,
                           const Colour* fillColour) {
  if (svg.Empty()) return;
  for (const NSVGshape* shape = svg.image->shapes; shape; shape = shape->next) {
    if (!(shape->flags & NSVG_FLAGS_VISIBLE)) continue;
    PathClear();
    AddSubPaths(*this, *shape);
    const bool hasStroke = shape->stroke.type != NSVG_PAINT_NONE;
    if (shape->fill.type != NSVG_PAINT_NONE) {
      const FillPattern fill =
          fillColour ? FillPattern(*fillColour) : SvgPaintToPattern(shape->fill, shape->opacity);
      PathFill(fill, FillOptions(FillRule::kPreserveWinding, hasStroke), blend);
    }
    if (hasStroke) {
      const FillPattern stroke =
          strokeColour ? FillPattern(*strokeColour) : SvgPaintToPattern(shape->stroke, shape->opacity);
      PathStroke(stroke, shape->strokeWidth, StrokeFromShape(*shape), blend);
    }
  }
}

void IGfx::DrawSvgInBounds(const SvgRef& svg, const Rect& bounds, const Blend* blend,
                           const Colour* strokeColour, const Colour* fillColour) {
  if (!(svg.Width() > 0.f) || !(svg.Height() > 0.f)) return;
  const float scale = std::fmin(bounds.Width() / svg.Width(), bounds.Height() / svg.Height());
  if (!(scale > 0.f) || !std::isfinite(scale)) return;
  PathTransformSave();
  PathTransformTranslate(bounds.left, bounds.top);
  PathTransformScale(scale, scale);
  RenderSvgShapes(svg, blend, strokeColour, fillColour);
  PathTransformRestore();
}

void IGfx::DrawRotatedSvg(const SvgRef& svg, float x, float y, float width, float height, float angle,
                          const Blend* blend) {
  if (svg.Empty()) return;
  PathTransformSave();
  PathTransformTranslate(x, y);
  PathTransformRotate(angle);
  DrawSvgInBounds(svg, Rect(-width / 2.f, -height / 2.f, width / 2.f, height / 2.f), blend);
  PathTransformRestore();
}

void IGfx::DrawFittedBitmap(const BitmapRef& bitmap, const Rect& bounds, const Blend* blend) {
  if (!DrawableBitmap(bitmap)) return;
  const float width = static_cast<float>(bitmap.width);
  const float height = static_cast<float>(bitmap.height);
  PathTransformSave();
  PathTransformTranslate(bounds.left, bounds.top);
  PathTransformScale(bounds.Width() / width, bounds.Height() / height);
  DrawBitmap(bitmap, Rect(0.f, 0.f, width, height), 0, 0, blend);
  PathTransformRestore();
}

void IGfx::DrawRotatedBitmap(const BitmapRef& bitmap, float x, float y, float angle, const Blend* blend) {
  if (!DrawableBitmap(bitmap)) return;
  const float width = static_cast<float>(bitmap.width) / bitmap.DrawScale();
  const float height = static_cast<float>(bitmap.height) / bitmap.DrawScale();
  PathTransformSave();
  PathTransformTranslate(x, y);
  PathTransformRotate(angle);
  DrawBitmap(bitmap, Rect(-width / 2.f, -height / 2.f, width / 2.f, height / 2.f), 0, 0, blend);
  PathTransformRestore();
}

}  // namespace plugfw::gfx
