#pragma once
// SanitizeSample: the one rule for every value the engine stores in a delay or
// diffusion buffer or in the feedback state, so that a NaN or a runaway value
// cannot circulate in a loop. A pure function; any thread.

#include <cmath>

namespace halcyra {

constexpr double kSampleLimit = 1e10;

// NaN becomes 0; everything else, infinities included, is clamped to ±1e10.
inline double SanitizeSample(double x) {
  if (std::isnan(x)) return 0.0;
  if (x > kSampleLimit) return kSampleLimit;
  if (x < -kSampleLimit) return -kSampleLimit;
  return x;
}

}  // namespace halcyra
