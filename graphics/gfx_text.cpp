// The drawing interface's text: the wrappers over the back end's text operations, and the
// placement of rotated text.

#include <algorithm>

#include "graphics/gfx.h"

namespace plugfw::gfx {
namespace {

bool HasText(const char* text) { return text && text[0] != '\0'; }

// The bounding box of r's corners turned about the origin.
Rect RotatedBounds(const Rect& r, float degrees) {
  const PathTransform turn = PathTransform::Rotation(degrees);
  const float xs[] = {r.left, r.right, r.right, r.left};
  const float ys[] = {r.top, r.top, r.bottom, r.bottom};
  Rect box;
  for (int32_t i = 0; i < 4; ++i) {
    const float x = static_cast<float>(turn.MapX(xs[i], ys[i]));
    const float y = static_cast<float>(turn.MapY(xs[i], ys[i]));
    box = i == 0 ? Rect(x, y, x, y)
                 : Rect(std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
                        std::max(box.bottom, y));
  }
  return box;
}

}  // namespace

float IGfx::MeasureText(const TextStyle& style, const char* text, Rect& bounds) {
  return HasText(text) ? DoMeasureText(style, text, bounds) : 0.f;
}

void IGfx::DrawMultiLineText(const TextStyle& style, const char* /*text*/, const Rect& bounds,
                             const Blend* blend) {
  DoDrawText(style, "Unsupported", bounds, blend);
}

void IGfx::DrawTextIfAny(const TextStyle& style, const char* text, const Rect& bounds, const Blend* blend) {
  if (HasText(text)) DoDrawText(style, text, bounds, blend);
}

void IGfx::TextRotationOffset(const TextStyle& style, const Rect& bounds, Rect& r, float& dx,
                              float& dy) const {
  dx = 0.f;
  dy = 0.f;
  if (style.angle == 0.f) return;
  r = RotatedBounds(r, style.angle);
  switch (style.align) {
    case TextAlign::kNear:
      dx = bounds.left - r.left;
      break;
    case TextAlign::kCentre:
      dx = bounds.CentreX() - r.CentreX();
      break;
    case TextAlign::kFar:
      dx = bounds.right - r.right;
      break;
  }
  switch (style.valign) {
    case TextVAlign::kTop:
      dy = bounds.top - r.top;
      break;
    case TextVAlign::kMiddle:
      dy = bounds.CentreY() - r.CentreY();
      break;
    case TextVAlign::kBottom:
      dy = bounds.bottom - r.bottom;
      break;
  }
}

void IGfx::ApplyTextRotationToBounds(const TextStyle& style, const Rect& bounds, Rect& r) const {
  float dx = 0.f;
  float dy = 0.f;
  TextRotationOffset(style, bounds, r, dx, dy);
  r = r.Offset(dx, dy);
}

}  // namespace plugfw::gfx
