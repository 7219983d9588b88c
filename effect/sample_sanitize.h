#pragma once
// SanitizeSample: the one rule for every value the engine stores in a delay or
// diffusion buffer or in the feedback state, so that a NaN or a runaway value
// cannot circulate in a loop, for one sample and for both channels at once. Pure
// functions; any thread.

#include <cmath>

#include "effect/stereo_vector.h"

namespace halcyra {

constexpr double kSampleLimit = 1e10;

// NaN becomes 0; everything else, infinities included, is clamped to ±1e10.
inline double SanitizeSample(double x) {
  if (std::isnan(x)) return 0.0;
  if (x > kSampleLimit) return kSampleLimit;
  if (x < -kSampleLimit) return -kSampleLimit;
  return x;
}

// The same on both lanes.
inline StereoVector SanitizeSample(StereoVector x) {
  const StereoVector limited = Clamp(x, StereoVector::Both(-kSampleLimit), StereoVector::Both(kSampleLimit));
  return KeepWhere(!IsNan(x), limited);
}

}  // namespace halcyra
