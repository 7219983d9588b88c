// The drawing operations this back end does itself: dashed lines and rectangles, bitmaps
// through an image paint, and the fast drop shadow as a box gradient.
#include <algorithm>
#include <cmath>

#include "graphics/renderer/dash_steps.h"
#include "graphics/renderer/gfx_canvas.h"

namespace plugfw::gfx {
namespace {

constexpr int32_t kDropShadowAlpha = 128;

float Lerp(float a, float b, float t) { return a + (b - a) * t; }

// Moves along one side of a dashed rectangle from `position`, drawing a dash and skipping a
// gap `count` times, clamped to the side's ends.
template <typename LineTo, typename MoveTo>
float DashAlongSide(float position, float step, float low, float high, int32_t count, LineTo lineTo,
                    MoveTo moveTo) {
  for (int32_t i = 0; i < count; ++i) {
    const float dashEnd = std::clamp(position + step, low, high);
    lineTo(dashEnd);
    position = std::clamp(dashEnd + step, low, high);
    moveTo(position);
  }
  return position;
}

}  // namespace

void IGfxCanvas::DrawDottedLine(const Colour& colour, float x1, float y1, float x2, float y2,
                                const Blend* blend, float thickness, float dashLength) {
  if (canvas_ == nullptr) return;
  PathClear();
  PathMoveTo(x1, y1);
  if (!DashLengthUsable(dashLength)) {
    PathLineTo(x2, y2);
  } else {
    const int32_t steps = LineDashSteps(std::hypot(x2 - x1, y2 - y1), dashLength);
    const float n = static_cast<float>(steps);
    for (int32_t i = 1; i < steps; i += 2) {
      const float t0 = static_cast<float>(i) / n;
      const float t1 = static_cast<float>(i + 1) / n;
      PathLineTo(Lerp(x1, x2, t0), Lerp(y1, y2, t0));
      PathMoveTo(Lerp(x1, x2, t1), Lerp(y1, y2, t1));
    }
  }
  PathStroke(colour, thickness, StrokeOptions(), blend);
}

void IGfxCanvas::DrawDottedRect(const Colour& colour, const Rect& bounds, const Blend* blend, float thickness,
                                float dashLength) {
  if (canvas_ == nullptr) return;
  PathClear();
  if (!DashLengthUsable(dashLength)) {
    PathRect(bounds);
    PathStroke(colour, thickness, StrokeOptions(), blend);
    return;
  }
  const float dash = RectDashLength(bounds.Width(), bounds.Height(), dashLength);
  const int32_t across = RectSideDashes(bounds.Width(), dash);
  const int32_t down = RectSideDashes(bounds.Height(), dash);
  float x = bounds.left;
  float y = bounds.top;
  PathMoveTo(x, y);
  // Along the top and down the right side, then back along the bottom and up the left.
  for (const float step : {dash, -dash}) {
    x = DashAlongSide(
        x, step, bounds.left, bounds.right, across, [&](float to) { PathLineTo(to, y); },
        [&](float to) { PathMoveTo(to, y); });
    y = DashAlongSide(
        y, step, bounds.top, bounds.bottom, down, [&](float to) { PathLineTo(x, to); },
        [&](float to) { PathMoveTo(x, to); });
  }
  PathStroke(colour, thickness, StrokeOptions(), blend);
}

void IGfxCanvas::DrawBitmap(const BitmapRef& bitmap, const Rect& dest, int32_t srcX, int32_t srcY,
                            const Blend* blend) {
  if (canvas_ == nullptr || bitmap.bitmap == nullptr || bitmap.bitmap->Handle() <= 0) return;
  const APIBitmap& image = *bitmap.bitmap;
  const float pixelsPerUnit = image.Scale() * image.DrawScale();
  if (!(pixelsPerUnit > 0.f) || !std::isfinite(pixelsPerUnit)) return;
  CanvasBeginPath(canvas_);
  CanvasRect(canvas_, dest.left, dest.top, dest.Width(), dest.Height());
  // The image's own pixel size is the paint's extent: units times a scale would truncate.
  CanvasPaint paint = CanvasImagePattern(0.f, 0.f, static_cast<float>(image.Width()),
                                         static_cast<float>(image.Height()), 0.f, image.Handle(), 1.f);
  const float toUnits = 1.f / pixelsPerUnit;
  paint.xform[0] = toUnits;
  paint.xform[3] = toUnits;
  paint.xform[4] = dest.left - static_cast<float>(srcX);
  paint.xform[5] = dest.top - static_cast<float>(srcY);
  paint.innerColour.a = UsableWeight(blend);
  paint.outerColour.a = UsableWeight(blend);
  CanvasFillPaint(canvas_, paint);
  SetCanvasBlendMode(blend);
  CanvasFill(canvas_);
  EndPathDrawing(false);
}

void IGfxCanvas::DrawFastDropShadow(const Rect& inner, const Rect& outer, float dropOffset, float roundness,
                                    float blur, const Blend* blend) {
  if (canvas_ == nullptr) return;
  CanvasBeginPath(canvas_);
  CanvasRect(canvas_, outer.left, outer.top, outer.Width(), outer.Height());
  const CanvasColour shade{0.f, 0.f, 0.f, static_cast<float>(kDropShadowAlpha) * UsableWeight(blend) / 255.f};
  const CanvasColour clear{0.f, 0.f, 0.f, 0.f};
  CanvasFillPaint(canvas_, CanvasBoxGradient(inner.left + dropOffset, inner.top + dropOffset, inner.Width(),
                                             inner.Height(), roundness, std::max(1.f, blur), shade, clear));
  // The shadow goes under what follows whatever the blend: only its weight counts.
  CanvasCompositeFactors(canvas_, kBlendOne, kBlendOneMinusSrcAlpha);
  CanvasFill(canvas_);
  CanvasBeginPath(canvas_);
}

}  // namespace plugfw::gfx
