// The drawing interface's path builders and the current transform with its save stack.

#include <algorithm>
#include <cmath>

#include "graphics/gfx.h"

namespace plugfw::gfx {
namespace {

// Degrees of PathArc: 0 at 12 o'clock, clockwise.
constexpr float kTop = 0.f;
constexpr float kRight = 90.f;
constexpr float kBottom = 180.f;
constexpr float kLeft = 270.f;
constexpr float kFullTurn = 360.f;

float ClampRadius(float radius, float limit) {
  return std::isfinite(radius) ? std::clamp(radius, 0.f, limit) : 0.f;
}

}  // namespace

void IGfx::PathRect(const Rect& bounds) {
  PathMoveTo(bounds.left, bounds.top);
  PathLineTo(bounds.right, bounds.top);
  PathLineTo(bounds.right, bounds.bottom);
  PathLineTo(bounds.left, bounds.bottom);
  PathClose();
}

void IGfx::PathRoundRect(const Rect& bounds, float topLeft, float topRight, float bottomRight,
                         float bottomLeft) {
  // Radii past half the shorter side would make the corner arcs overlap and cross.
  const float limit = std::max(0.f, std::min(bounds.Width(), bounds.Height()) / 2.f);
  const float tl = ClampRadius(topLeft, limit);
  const float tr = ClampRadius(topRight, limit);
  const float br = ClampRadius(bottomRight, limit);
  const float bl = ClampRadius(bottomLeft, limit);
  if (tl <= 0.f && tr <= 0.f && br <= 0.f && bl <= 0.f) {
    PathRect(bounds);
    return;
  }
  PathMoveTo(bounds.left, bounds.top + tl);
  PathArc(bounds.left + tl, bounds.top + tl, tl, kLeft, kFullTurn);
  PathArc(bounds.right - tr, bounds.top + tr, tr, kTop, kRight);
  PathArc(bounds.right - br, bounds.bottom - br, br, kRight, kBottom);
  PathArc(bounds.left + bl, bounds.bottom - bl, bl, kBottom, kLeft);
  PathClose();
}

void IGfx::PathCircle(float cx, float cy, float r) {
  PathMoveTo(cx, cy - r);
  PathArc(cx, cy, r, kTop, kFullTurn);
  PathClose();
}

void IGfx::PathEllipse(float cx, float cy, float rx, float ry, float angle) {
  if (!(rx > 0.f) || !(ry > 0.f)) return;
  PathTransformSave();
  PathTransformTranslate(cx, cy);
  PathTransformRotate(angle);
  PathTransformScale(rx, ry);
  PathCircle(0.f, 0.f, 1.f);
  PathTransformRestore();
}

void IGfx::PathEllipse(const Rect& bounds) {
  PathEllipse(bounds.CentreX(), bounds.CentreY(), bounds.Width() / 2.f, bounds.Height() / 2.f, 0.f);
}

void IGfx::PathConvexPolygon(const float* x, const float* y, int32_t count) {
  if (!x || !y || count < 2) return;
  PathMoveTo(x[0], y[0]);
  for (int32_t i = 1; i < count; ++i) PathLineTo(x[i], y[i]);
  PathClose();
}

void IGfx::PathTransformSave() { transformStack_.push_back(transform_); }

void IGfx::PathTransformRestore() {
  if (transformStack_.empty()) return;
  transform_ = transformStack_.back();
  transformStack_.pop_back();
  PathSetTransform(transform_);
}

void IGfx::PathTransformReset(bool clearStack) {
  if (clearStack) transformStack_.clear();
  transform_ = kIdentityTransform;
  PathSetTransform(transform_);
}

void IGfx::PathTransformTranslate(float x, float y) { PathTransformMatrix(PathTransform::Translation(x, y)); }

void IGfx::PathTransformScale(float sx, float sy) { PathTransformMatrix(PathTransform::Scaling(sx, sy)); }

void IGfx::PathTransformRotate(float degrees) { PathTransformMatrix(PathTransform::Rotation(degrees)); }

void IGfx::PathTransformMatrix(const PathTransform& matrix) {
  transform_ = transform_.Multiplied(matrix);
  PathSetTransform(transform_);
}

}  // namespace plugfw::gfx
