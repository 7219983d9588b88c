#include "editor/knob_geometry.h"

#include <cmath>

#include "graphics/path_transform.h"

namespace halcyra {
namespace {

constexpr float kWideFrom = 110.f;
constexpr float kWideCentreDrop = 57.f;
constexpr float kCentreDrop = 49.f;
constexpr float kWideRadius = 27.f;
constexpr float kRadius = 22.f;
constexpr float kCaptionHeight = 24.f;
constexpr float kValueBoxHalfWidth = 60.f;
constexpr float kValueBoxTopAboveBottom = 29.f;
constexpr float kValueBoxBottomAboveBottom = 3.f;

}  // namespace

KnobGeometry MeasureKnob(const plugfw::gfx::Rect& cell) {
  const bool wide = cell.Height() >= kWideFrom;
  const float cx = cell.CentreX();
  return {wide,
          cx,
          cell.top + (wide ? kWideCentreDrop : kCentreDrop),
          wide ? kWideRadius : kRadius,
          {cell.left, cell.top, cell.right, cell.top + kCaptionHeight},
          {cx - kValueBoxHalfWidth, cell.bottom - kValueBoxTopAboveBottom, cx + kValueBoxHalfWidth,
           cell.bottom - kValueBoxBottomAboveBottom}};
}

float KnobAngleDegrees(double normalized) {
  return static_cast<float>(normalized * kKnobSweepDegrees + kKnobStartDegrees);
}

KnobPointer KnobPointerAt(const KnobGeometry& knob, float angleDegrees) {
  const double radians = angleDegrees * plugfw::gfx::kDrawingPi / 180.0;
  const auto sine = static_cast<float>(std::sin(radians));
  const auto cosine = static_cast<float>(std::cos(radians));
  return {knob.centreX + kKnobPointerInner * sine, knob.centreY - kKnobPointerInner * cosine,
          knob.centreX + kKnobPointerOuter * sine, knob.centreY - kKnobPointerOuter * cosine};
}

}  // namespace halcyra
