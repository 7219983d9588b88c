#pragma once
// The voice field's plane: pan across (-100 left to +100 right), delay up from 0 ms at the
// bottom; the vertical axis that follows the longest delay, growing at once and shrinking in
// 40 ms steps only after 1.5 s of a lower target; and the texts of the field. Pure functions
// and one small record: any thread.

#include <cstdint>
#include <string>

#include "effect/snapshots.h"

namespace halcyra {

inline constexpr float kPlaneLeft = 83.f;
inline constexpr float kPlaneRight = 672.f;
inline constexpr float kPlaneTop = 183.f;
inline constexpr float kPlaneBottom = 323.f;
inline constexpr float kPlaneWidth = kPlaneRight - kPlaneLeft;
inline constexpr float kPlaneHeight = kPlaneBottom - kPlaneTop;
inline constexpr double kPanSpan = 200.0;  // -100 .. +100 %

inline constexpr double kMinAxisMs = 80.0;
inline constexpr double kMaxAxisMs = 240.0;
inline constexpr double kAxisStepMs = 40.0;
inline constexpr int64_t kAxisHoldNs = 1'500'000'000;

// x of a pan in percent, clamped to the plane; a pan that is not finite counts as centre.
float PanToX(double pan);
// y of a delay in ms on an axis reaching axisMs (at least 80; 80 when not finite); a delay that
// is not finite counts as 0.
float DelayToY(double delayMs, double axisMs);

// The axis that shows `longestMs`: the next 40 ms step at or above it, within 80..240 (not
// finite: 80).
double AxisTarget(double longestMs);

struct VoiceFieldAxis {
  double maximum = kMinAxisMs;
  int64_t lastChangeNs = 0;

  // Grows to a higher or equal target at once; a lower one brings it down one step when the
  // last change is more than the hold ago.
  void Follow(double target, int64_t nowNs);
};

// "3 ACTUAL / 4 REQUESTED": the voices the engine reports sounding, the Voices setting.
std::string VoiceCountText(const DisplaySnapshot& display, double voicesSetting);

// The selected voice's engine readout: "V2 / ACTUAL / PRIMARY 12.34ms / CLOCK 0.80Hz / PAN -30 /
// -3.0dB". Multi Band reads its delay as a mean, Micro Pitch its rate as the head's; values that
// are not finite read 0 (the level -120). Voice outside 0..7: "".
std::string VoiceReadout(const DisplaySnapshot& display, int32_t voice, bool multiBand, bool microPitch);

}  // namespace halcyra
