#include "effect/engine_filters.h"

#include <algorithm>
#include <cmath>

#include "core/math_constants.h"

namespace halcyra {

using plugfw::kTwoPi;

bool Biquad::IsIdentity() const {
  const bool zeroState = (z1 == StereoVector()).All() && (z2 == StereoVector()).All();
  return zeroState && b0 == 1.0 && b1 == a1 && b2 == a2;
}

double OnePoleCoefficient(double frequencyHz, double sampleRate) {
  const double f = std::clamp(frequencyHz, std::min(kMinFilterHz, kMaxFilterFraction * sampleRate),
                              kMaxFilterFraction * sampleRate);
  return 1.0 - std::exp(-kTwoPi * f / sampleRate);
}

double TimeCoefficient(double milliseconds, double sampleRate) {
  return 1.0 - std::exp(-1000.0 / (milliseconds * sampleRate));
}

void DesignLowPass(Biquad& b, double frequencyHz, double q, double sampleRate) {
  const double f = std::clamp(frequencyHz, 20.0, kMaxFilterFraction * sampleRate);
  const double w = kTwoPi * f / sampleRate;
  const double cw = std::cos(w);
  const double alpha = std::sin(w) / (2.0 * q);
  const double a0 = 1.0 + alpha;
  b.b0 = b.b2 = (1.0 - cw) / 2.0 / a0;
  b.b1 = (1.0 - cw) / a0;
  b.a1 = -2.0 * cw / a0;
  b.a2 = (1.0 - alpha) / a0;
}

void DesignHighShelf(Biquad& b, double db, double sampleRate) {
  constexpr double kCornerHz = 3000.0;
  constexpr double kCornerFraction = 0.2;  // of fs, for low rates
  const double a = std::pow(10.0, db / 40.0);
  const double w = kTwoPi * std::min(kCornerFraction * sampleRate, kCornerHz) / sampleRate;
  const double cw = std::cos(w);
  const double alpha = std::sin(w) / std::sqrt(2.0);
  const double twoSqrtAAlpha = 2.0 * std::sqrt(a) * alpha;
  const double a0 = (a + 1.0) - (a - 1.0) * cw + twoSqrtAAlpha;
  b.b0 = a * ((a + 1.0) + (a - 1.0) * cw + twoSqrtAAlpha) / a0;
  b.b1 = -2.0 * a * ((a - 1.0) + (a + 1.0) * cw) / a0;
  b.b2 = a * ((a + 1.0) + (a - 1.0) * cw - twoSqrtAAlpha) / a0;
  b.a1 = 2.0 * ((a - 1.0) - (a + 1.0) * cw) / a0;
  b.a2 = ((a + 1.0) - (a - 1.0) * cw - twoSqrtAAlpha) / a0;
}

}  // namespace halcyra
