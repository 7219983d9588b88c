// The drawing interface's shapes: each stroke is PathClear, the path, PathStroke with a
// solid pattern; each fill is PathClear, the path, PathFill. Bad arguments draw nothing.

#include <cmath>

#include "graphics/gfx.h"

namespace plugfw::gfx {
namespace {

// Grid lines beyond this many in one direction are not drawn: a grid that dense is a
// mistake, and a huge bounds must not turn into an endless loop.
constexpr int32_t kMaxGridLines = 10000;

bool ValidPolygon(const float* x, const float* y, int32_t count) { return x && y && count >= 2; }

StrokeOptions DashedStroke(float dashLength) {
  StrokeOptions options;
  options.SetDash(&dashLength, 1, 0.f);
  return options;
}

}  // namespace

void IGfx::DrawPoint(const Colour& colour, float x, float y, const Blend* blend) {
  FillRect(colour, Rect(x, y, x + 1, y + 1), blend);
}

void IGfx::DrawLine(const Colour& colour, float x1, float y1, float x2, float y2, const Blend* blend,
                    float thickness) {
  PathClear();
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  PathStroke(colour, thickness, StrokeOptions(), blend);
}

void IGfx::DrawDottedLine(const Colour& colour, float x1, float y1, float x2, float y2, const Blend* blend,
                          float thickness, float dashLength) {
  PathClear();
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  PathStroke(colour, thickness, DashedStroke(dashLength), blend);
}

void IGfx::DrawTriangle(const Colour& colour, float x1, float y1, float x2, float y2, float x3, float y3,
                        const Blend* blend, float thickness) {
  PathClear();
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  PathLineTo(x3, y3);
  PathClose();
  PathStroke(colour, thickness, StrokeOptions(), blend);
}

void IGfx::DrawRect(const Colour& colour, const Rect& bounds, const Blend* blend, float thickness) {
  PathClear();
  PathRect(bounds);
  PathStroke(colour, thickness, StrokeOptions(), blend);
}

void IGfx::DrawRoundRectCorners(const Colour& colour, const Rect& bounds, float topLeft, float topRight,
                                float bottomRight, float bottomLeft, const Blend* blend, float thickness) {
  PathClear();
  PathRoundRect(bounds, topLeft, topRight, bottomRight, bottomLeft);
  PathStroke(colour, thickness, StrokeOptions(), blend);
}

void IGfx::DrawRoundRect(const Colour& colour, const Rect& bounds, float radius, const Blend* blend,
                         float thickness) {
  DrawRoundRectCorners(colour, bounds, radius, radius, radius, radius, blend, thickness);
}

void IGfx::DrawArc(const Colour& colour, float cx, float cy, float r, float startAngle, float endAngle,
                   const Blend* blend, float thickness) {
  PathClear();
  PathArc(cx, cy, r, startAngle, endAngle);
  PathStroke(colour, thickness, StrokeOptions(), blend);
}

void IGfx::DrawCircle(const Colour& colour, float cx, float cy, float r, const Blend* blend,
                      float thickness) {
  PathClear();
  PathCircle(cx, cy, r);
  PathStroke(colour, thickness, StrokeOptions(), blend);
}

void IGfx::DrawEllipse(const Colour& colour, float cx, float cy, float rx, float ry, float angle,
                       const Blend* blend, float thickness) {
  PathClear();
  PathEllipse(cx, cy, rx, ry, angle);
  PathStroke(colour, thickness, StrokeOptions(), blend);
}

void IGfx::DrawEllipseInRect(const Colour& colour, const Rect& bounds, const Blend* blend, float thickness) {
  PathClear();
  PathEllipse(bounds);
  PathStroke(colour, thickness, StrokeOptions(), blend);
}

void IGfx::DrawConvexPolygon(const Colour& colour, const float* x, const float* y, int32_t count,
                             const Blend* blend, float thickness) {
  if (!ValidPolygon(x, y, count)) return;
  PathClear();
  PathConvexPolygon(x, y, count);
  PathStroke(colour, thickness, StrokeOptions(), blend);
}

void IGfx::DrawDottedRect(const Colour& colour, const Rect& bounds, const Blend* blend, float thickness,
                          float dashLength) {
  PathClear();
  PathRect(bounds);
  PathStroke(colour, thickness, DashedStroke(dashLength), blend);
}

void IGfx::FillTriangle(const Colour& colour, float x1, float y1, float x2, float y2, float x3, float y3,
                        const Blend* blend) {
  PathClear();
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  PathLineTo(x3, y3);
  PathClose();
  PathFill(colour, FillOptions(), blend);
}

void IGfx::FillRect(const Colour& colour, const Rect& bounds, const Blend* blend) {
  PathClear();
  PathRect(bounds);
  PathFill(colour, FillOptions(), blend);
}

void IGfx::FillRoundRectCorners(const Colour& colour, const Rect& bounds, float topLeft, float topRight,
                                float bottomRight, float bottomLeft, const Blend* blend) {
  PathClear();
  PathRoundRect(bounds, topLeft, topRight, bottomRight, bottomLeft);
  PathFill(colour, FillOptions(), blend);
}

void IGfx::FillRoundRect(const Colour& colour, const Rect& bounds, float radius, const Blend* blend) {
  FillRoundRectCorners(colour, bounds, radius, radius, radius, radius, blend);
}

void IGfx::FillCircle(const Colour& colour, float cx, float cy, float r, const Blend* blend) {
  PathClear();
  PathCircle(cx, cy, r);
  PathFill(colour, FillOptions(), blend);
}

void IGfx::FillEllipse(const Colour& colour, float cx, float cy, float rx, float ry, float angle,
                       const Blend* blend) {
  PathClear();
  PathEllipse(cx, cy, rx, ry, angle);
  PathFill(colour, FillOptions(), blend);
}

void IGfx::FillEllipseInRect(const Colour& colour, const Rect& bounds, const Blend* blend) {
  PathClear();
  PathEllipse(bounds);
  PathFill(colour, FillOptions(), blend);
}

void IGfx::FillArc(const Colour& colour, float cx, float cy, float r, float startAngle, float endAngle,
                   const Blend* blend) {
  PathClear();
  PathMoveTo(cx, cy);
  PathArc(cx, cy, r, startAngle, endAngle);
  PathClose();
  PathFill(colour, FillOptions(), blend);
}

void IGfx::FillConvexPolygon(const Colour& colour, const float* x, const float* y, int32_t count,
                             const Blend* blend) {
  if (!ValidPolygon(x, y, count)) return;
  PathClear();
  PathConvexPolygon(x, y, count);
  PathFill(colour, FillOptions(), blend);
}

void IGfx::DrawGrid(const Colour& colour, const Rect& bounds, float spacingX, float spacingY,
                    const Blend* blend, float thickness) {
  PathClear();
  if (spacingX > 1.f && std::isfinite(spacingX) && std::isfinite(bounds.left)) {
    for (int32_t k = 1; k <= kMaxGridLines && bounds.left + k * spacingX < bounds.right; ++k) {
      const float x = bounds.left + k * spacingX;
      PathMoveTo(x, bounds.top);
      PathLineTo(x, bounds.bottom);
    }
  }
  if (spacingY > 1.f && std::isfinite(spacingY) && std::isfinite(bounds.top)) {
    for (int32_t k = 1; k <= kMaxGridLines && bounds.top + k * spacingY < bounds.bottom; ++k) {
      const float y = bounds.top + k * spacingY;
      PathMoveTo(bounds.left, y);
      PathLineTo(bounds.right, y);
    }
  }
  PathStroke(colour, thickness, StrokeOptions(), blend);
}

void IGfx::DrawData(const Colour& colour, const Rect& bounds, const float* values, int32_t count,
                    const float* xPositions, const Blend* blend, float thickness, const FillPattern* fill) {
  if (!values || count < 2) return;
  const auto pointY = [&bounds](float value) { return bounds.bottom - bounds.Height() * value; };
  const auto pointX = [&bounds, xPositions, count](int32_t i) {
    return xPositions ? bounds.left + bounds.Width() * xPositions[i]
                      : bounds.left + bounds.Width() / static_cast<float>(count - 1) * static_cast<float>(i);
  };
  PathClear();
  PathMoveTo(bounds.left, pointY(values[0]));
  for (int32_t i = 1; i < count; ++i) PathLineTo(pointX(i), pointY(values[i]));
  // The same path is stroked over the fill.
  if (fill) PathFill(*fill, FillOptions(FillRule::kNonZero, true), blend);
  PathStroke(colour, thickness, StrokeOptions(), blend);
}

}  // namespace plugfw::gfx
