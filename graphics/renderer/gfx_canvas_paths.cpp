// The framework's path primitives on the canvas: path commands, the current transform with
// the draw scale and the layer origin, the clip, fills and strokes with their paints, and the
// blend kinds as composite factors.
#include <algorithm>
#include <cmath>

#include "graphics/renderer/gfx_canvas.h"

namespace plugfw::gfx {
namespace {

constexpr float kPi = 3.1415927f;
constexpr float kDegreesToRadians = kPi / 180.f;
// PathArc measures degrees from 12 o'clock, the canvas radians from 3 o'clock.
constexpr float kArcAngleOffset = 90.f;
constexpr float kQuadraticToCubic = 0.6666667f;
constexpr double kSmallestDeterminant = 1e-12;

constexpr int32_t kCanvasCounterClockwise = 1;
constexpr int32_t kCanvasClockwise = 2;

struct BlendFactors {
  int32_t source;
  int32_t destination;
};

// Blend kind -> factors, for colour and alpha alike.
constexpr BlendFactors kBlendTable[] = {
    {kBlendOne, kBlendOneMinusSrcAlpha},               // 0 source over
    {kBlendDstAlpha, kBlendZero},                      // 1 source in
    {kBlendOneMinusDstAlpha, kBlendZero},              // 2 source out
    {kBlendDstAlpha, kBlendOneMinusSrcAlpha},          // 3 source atop
    {kBlendOneMinusDstAlpha, kBlendOne},               // 4 destination over
    {kBlendZero, kBlendSrcAlpha},                      // 5 destination in
    {kBlendZero, kBlendOneMinusSrcAlpha},              // 6 destination out
    {kBlendOneMinusDstAlpha, kBlendSrcAlpha},          // 7 destination atop
    {kBlendSrcAlpha, kBlendDstAlpha},                  // 8 add
    {kBlendOneMinusDstAlpha, kBlendOneMinusSrcAlpha},  // 9 xor
};
constexpr int32_t kBlendKinds = static_cast<int32_t>(sizeof(kBlendTable) / sizeof(kBlendTable[0]));
static_assert(kBlendKinds == kBlendXor + 1, "one row per blend kind");

float Channel(int32_t value) { return static_cast<float>(std::clamp(value, 0, 255)) / 255.f; }

CanvasColour ToCanvasColour(const Colour& colour, float weight) {
  return CanvasColour{Channel(colour.red), Channel(colour.green), Channel(colour.blue),
                      Channel(colour.alpha) * weight};
}

int32_t CanvasCap(LineCap cap) {
  switch (cap) {
    case LineCap::kRound:
      return kLineRound;
    case LineCap::kSquare:
      return kLineSquare;
    case LineCap::kButt:
    default:
      return kLineButt;
  }
}

int32_t CanvasJoin(LineJoin join) {
  switch (join) {
    case LineJoin::kRound:
      return kLineRound;
    case LineJoin::kBevel:
      return kLineBevel;
    case LineJoin::kMiter:
    default:
      return kLineMiter;
  }
}

// The inverse of the pattern's map from editor units to pattern space; the identity for a
// transform that maps everything onto a line or a point.
PathTransform InversePatternTransform(const PathTransform& t) {
  const double determinant = t.xx * t.yy - t.xy * t.yx;
  if (!std::isfinite(determinant) || std::fabs(determinant) < kSmallestDeterminant) return kIdentityTransform;
  const double inv = 1.0 / determinant;
  return PathTransform(t.yy * inv, -t.yx * inv, -t.xy * inv, t.xx * inv, (t.xy * t.ty - t.yy * t.tx) * inv,
                       (t.yx * t.tx - t.xx * t.ty) * inv);
}

}  // namespace

float IGfxCanvas::UsableWeight(const Blend* blend) {
  // A weight outside 0..1 would push alpha out of range; one that is no number draws plainly.
  const float weight = BlendWeight(blend);
  return std::isnan(weight) ? 1.f : std::clamp(weight, 0.f, 1.f);
}

CanvasPaint IGfxCanvas::PatternToCanvasPaint(const FillPattern& pattern, const Blend* blend) {
  const float weight = UsableWeight(blend);
  const int32_t last = std::clamp(pattern.stopCount, 1, kMaxPatternStops) - 1;
  const CanvasColour inner = ToCanvasColour(pattern.stops[0].colour, weight);
  const CanvasColour outer = ToCanvasColour(pattern.stops[last].colour, weight);
  const PathTransform inverse = InversePatternTransform(pattern.transform);
  const float originX = static_cast<float>(inverse.tx);
  const float originY = static_cast<float>(inverse.ty);
  if (pattern.type == PatternType::kRadial) {
    // Pattern space holds the unit circle; a mirrored transform still has a positive radius.
    const float outerRadius = static_cast<float>(std::fabs(inverse.xx));
    const float innerRadius = pattern.stops[0].offset * outerRadius;
    return CanvasRadialGradient(originX, originY, innerRadius, outerRadius, inner, outer);
  }
  // Pattern space runs the gradient from (0, 0) to (0, 1).
  return CanvasLinearGradient(originX, originY, static_cast<float>(inverse.MapX(0.0, 1.0)),
                              static_cast<float>(inverse.MapY(0.0, 1.0)), inner, outer);
}

void IGfxCanvas::SetCanvasBlendMode(const Blend* blend) {
  if (canvas_ == nullptr) return;
  const int32_t kind = blend ? blend->kind : kBlendDefault;
  if (kind < 0 || kind >= kBlendKinds) return;
  CanvasCompositeFactors(canvas_, kBlendTable[kind].source, kBlendTable[kind].destination);
}

void IGfxCanvas::PathClear() {
  if (canvas_) CanvasBeginPath(canvas_);
}

void IGfxCanvas::PathClose() {
  if (canvas_) CanvasClosePath(canvas_);
}

void IGfxCanvas::PathArc(float cx, float cy, float r, float startAngle, float endAngle, int32_t winding) {
  if (canvas_ == nullptr) return;
  CanvasArc(canvas_, cx, cy, r, (startAngle - kArcAngleOffset) * kDegreesToRadians,
            (endAngle - kArcAngleOffset) * kDegreesToRadians,
            winding == 0 ? kCanvasClockwise : kCanvasCounterClockwise);
}

void IGfxCanvas::PathMoveTo(float x, float y) {
  if (canvas_) CanvasMoveTo(canvas_, x, y);
}

void IGfxCanvas::PathLineTo(float x, float y) {
  if (canvas_) CanvasLineTo(canvas_, x, y);
}

void IGfxCanvas::PathSetWinding(bool hole) {
  if (canvas_) CanvasPathWinding(canvas_, hole ? kWindingHole : kWindingSolid);
}

void IGfxCanvas::PathCubicBezierTo(float c1x, float c1y, float c2x, float c2y, float x2, float y2) {
  if (canvas_) CanvasBezierTo(canvas_, c1x, c1y, c2x, c2y, x2, y2);
}

void IGfxCanvas::PathQuadraticBezierTo(float cx, float cy, float x2, float y2) {
  if (canvas_ == nullptr) return;
  // The cubic through the same points: each control point two thirds of the way from an end
  // point to the quadratic's control point.
  const float x0 = canvas_->commandX;
  const float y0 = canvas_->commandY;
  CanvasBezierTo(canvas_, x0 + kQuadraticToCubic * (cx - x0), y0 + kQuadraticToCubic * (cy - y0),
                 x2 + kQuadraticToCubic * (cx - x2), y2 + kQuadraticToCubic * (cy - y2), x2, y2);
}

void IGfxCanvas::PathSetTransform(const PathTransform& transform) {
  if (canvas_ == nullptr) return;
  // Each step applies before the ones already there: the given transform first, then the
  // move into the layer, then the draw scale.
  CanvasResetTransform(canvas_);
  CanvasScale(canvas_, drawScale_, drawScale_);
  if (const DrawLayer* top = TopLayer()) CanvasTranslate(canvas_, -top->bounds.left, -top->bounds.top);
  CanvasTransform(canvas_, static_cast<float>(transform.xx), static_cast<float>(transform.yx),
                  static_cast<float>(transform.xy), static_cast<float>(transform.yy),
                  static_cast<float>(transform.tx), static_cast<float>(transform.ty));
}

void IGfxCanvas::SetClipRegion(const Rect& clip) {
  if (canvas_ == nullptr) return;
  CanvasScissor(canvas_, clip.left, clip.top, clip.Width(), clip.Height());
  canvasClip_ = clip;
  hasCanvasClip_ = true;
}

void IGfxCanvas::FillWithColour(const Colour& colour, const Blend* blend) {
  CanvasFillColour(canvas_, ToCanvasColour(colour, UsableWeight(blend)));
}

void IGfxCanvas::FillPaintFromPattern(const FillPattern& pattern, const Blend* blend, bool forStroke) {
  if (pattern.type == PatternType::kSolid) {
    const CanvasColour colour = ToCanvasColour(pattern.FirstColour(), UsableWeight(blend));
    if (forStroke) {
      CanvasStrokeColour(canvas_, colour);
    } else {
      CanvasFillColour(canvas_, colour);
    }
    return;
  }
  // The setters take the paint into the current transform, as the pattern is in editor units.
  const CanvasPaint paint = PatternToCanvasPaint(pattern, blend);
  if (forStroke) {
    CanvasStrokePaint(canvas_, paint);
  } else {
    CanvasFillPaint(canvas_, paint);
  }
}

void IGfxCanvas::EndPathDrawing(bool keepPath) {
  CanvasCompositeFactors(canvas_, kBlendOne, kBlendOneMinusSrcAlpha);
  if (!keepPath) CanvasBeginPath(canvas_);
}

void IGfxCanvas::PathFill(const FillPattern& pattern, const FillOptions& options, const Blend* blend) {
  if (canvas_ == nullptr) return;
  // Even-odd takes the last sub-path for a hole; the kept windings are the sub-paths' own.
  if (options.rule == FillRule::kNonZero) {
    CanvasPathWinding(canvas_, kWindingSolid);
  } else if (options.rule == FillRule::kEvenOdd) {
    CanvasPathWinding(canvas_, kWindingHole);
  }
  FillPaintFromPattern(pattern, blend, false);
  SetCanvasBlendMode(blend);
  CanvasFill(canvas_);
  EndPathDrawing(options.preserve);
}

void IGfxCanvas::PathStroke(const FillPattern& pattern, float thickness, const StrokeOptions& options,
                            const Blend* blend) {
  if (canvas_ == nullptr) return;
  CanvasLineCap(canvas_, CanvasCap(options.cap));
  CanvasLineJoin(canvas_, CanvasJoin(options.join));
  CanvasMiterLimit(canvas_, options.miterLimit);
  CanvasStrokeWidth(canvas_, thickness);
  FillPaintFromPattern(pattern, blend, true);
  CanvasPathWinding(canvas_, kWindingSolid);
  SetCanvasBlendMode(blend);
  CanvasStroke(canvas_);
  EndPathDrawing(options.preserve);
}

}  // namespace plugfw::gfx
