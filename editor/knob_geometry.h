#pragma once
// The shape of a knob within its cell: the body's centre and radius, the 276-degree sweep of
// its arc and pointer, and the value box under it. Wide knobs (cells 110 units high or more)
// are larger. Angles are degrees, 0 at twelve o'clock, clockwise. Pure: any thread.

#include "graphics/rect.h"

namespace halcyra {

inline constexpr float kKnobSweepDegrees = 276.f;
inline constexpr float kKnobStartDegrees = -138.f;
inline constexpr float kKnobTrackGap = 5.f;  // between body and arc
inline constexpr float kKnobPointerInner = 12.f;
inline constexpr float kKnobPointerOuter = 26.f;

struct KnobGeometry {
  bool wide;
  float centreX;
  float centreY;
  float radius;  // of the body; the arc runs kKnobTrackGap outside it
  plugfw::gfx::Rect caption;
  plugfw::gfx::Rect valueBox;
};

KnobGeometry MeasureKnob(const plugfw::gfx::Rect& cell);

// The arc's end for a normalized value: -138 at 0, +138 at 1.
float KnobAngleDegrees(double normalized);

struct KnobPointer {
  float x1, y1, x2, y2;
};
// The pointer line from 12 to 26 units out along the angle.
KnobPointer KnobPointerAt(const KnobGeometry& knob, float angleDegrees);

}  // namespace halcyra
