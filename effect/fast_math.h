#pragma once
// Polynomial approximations of the engine's transcendental functions, on both lanes of a
// StereoVector at once and without library calls (the vector forms are those of lane_math.inl),
// with their scalar forms and a logarithm. Each states its bound against the exact function;
// tests/effect/fast_math_test.cpp checks every bound over the whole input range the engine uses.
// Pure functions; any thread.

#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/math_constants.h"
#include "effect/stereo_vector.h"

namespace halcyra::fast_math {

#include "effect/lane_math.inl"

inline double SinTurns(double turns) { return SinTurns(StereoVector::Both(turns)).Left(); }
inline double Exp(double x) { return Exp(StereoVector::Both(x)).Left(); }
inline double Tanh(double x) { return Tanh(StereoVector::Both(x)).Left(); }

// log10(x) for positive normal x, absolute error below 1e-15 (x = 1 gives exactly 0). Zero,
// negative, subnormal, infinite and NaN inputs are not handled: callers pass those to the library.
inline double Log10Positive(double x) {
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  int exponent = static_cast<int>((bits >> 52) & 0x7ff) - 1023;
  bits = (bits & 0x000fffffffffffffull) | 0x3ff0000000000000ull;  // mantissa in [1, 2)
  double m;
  std::memcpy(&m, &bits, sizeof m);
  if (m > 1.4142135623730951) {
    m *= 0.5;
    ++exponent;
  }
  // ln m = 2 atanh(s), s = (m - 1) / (m + 1), |s| <= 0.1716: odd series to s^17 (truncation 2e-15·s).
  const double s = (m - 1.0) / (m + 1.0);
  const double s2 = s * s;
  double p = 1.0 / 17.0;
  p = p * s2 + 1.0 / 15.0;
  p = p * s2 + 1.0 / 13.0;
  p = p * s2 + 1.0 / 11.0;
  p = p * s2 + 1.0 / 9.0;
  p = p * s2 + 1.0 / 7.0;
  p = p * s2 + 1.0 / 5.0;
  p = p * s2 + 1.0 / 3.0;
  const double lnM = 2.0 * s + 2.0 * s * s2 * p;
  constexpr double kLog10Of2 = 0.30102999566398120;
  constexpr double kLog10OfE = 0.43429448190325182;
  return exponent * kLog10Of2 + lnM * kLog10OfE;
}

// 20 log10(x) for x at or above a positive normal floor: the polynomial logarithm for finite x, the
// library for the rest.
inline double Decibels(double x) {
  if (!(x < 1e300)) return 20.0 * std::log10(x);
  return 20.0 * Log10Positive(x);
}

}  // namespace halcyra::fast_math
