#pragma once
// Polynomial approximations of the engine's transcendental functions, on both lanes of a
// StereoVector at once and without library calls. Each states its bound against the exact
// function; tests/effect/fast_math_test.cpp checks every bound over the whole input range the
// engine uses. Pure functions; any thread.

#include <cstdint>
#include <cstring>

#include "core/math_constants.h"
#include "effect/stereo_vector.h"

namespace halcyra::fast_math {

// sin(2π·turns). Reduced exactly to a quarter turn, then a Taylor polynomial of degree 17 in the
// angle, whose truncation error at π/2 is 6e-14: within 1e-13 absolute for |turns| < 2^31.
HALCYRA_INLINE StereoVector SinTurns(StereoVector turns) {
  const StereoVector kRoundMagic = StereoVector::Both(6755399441055744.0);  // 1.5 × 2^52
  // Nearest whole turn, so r lies in [-0.5, 0.5]; exact for |turns| < 2^51.
  const StereoVector nearest = (turns + kRoundMagic) - kRoundMagic;
  const StereoVector r = turns - nearest;
  const StereoVector a = Abs(r);
  const StereoVector quarter = Min(a, 0.5 - a);  // sin(2πa) = sin(2π(0.5 - a))
  const StereoVector z = quarter * plugfw::kTwoPi;
  const StereoVector y = z * z;
  // Taylor coefficients (-1)^k / (2k + 1)!, k = 1 to 8, evaluated by Estrin's scheme: the
  // products of one level are independent, so the polynomial costs a few multiplications of
  // latency instead of eight in a chain.
  auto pair = [](double low, double high, StereoVector x) {
    return StereoVector(_mm_set1_pd(low)) + StereoVector(_mm_set1_pd(high)) * x;
  };
  const StereoVector y2 = y * y;
  const StereoVector y4 = y2 * y2;
  const StereoVector p01 = pair(-1.6666666666666666e-01, 8.333333333333333e-03, y);
  const StereoVector p23 = pair(-1.984126984126984e-04, 2.7557319223985893e-06, y);
  const StereoVector p45 = pair(-2.505210838544172e-08, 1.6059043836821613e-10, y);
  const StereoVector p67 = pair(-7.647163731819816e-13, 2.8114572543455206e-15, y);
  const StereoVector p = (p01 + p23 * y2) + (p45 + p67 * y2) * y4;
  const StereoVector sine = z + z * y * p;
  return CopySign(sine, r);
}

inline double SinTurns(double turns) { return SinTurns(StereoVector::Both(turns)).Left(); }

namespace detail {
// (e^x - 1 - x) / x² by its Taylor series to x^11 (e^x itself to degree 13): below 2e-17 of
// truncation for |x| <= ln 2 / 2.
inline StereoVector ExpSeriesTail(StereoVector x) {
  constexpr double kInverseFactorials[] = {
      1.6059043836821613e-10, 2.08767569878681e-09,   2.505210838544172e-08,  2.755731922398589e-07,
      2.7557319223985893e-06, 2.48015873015873e-05,   1.984126984126984e-04,  1.388888888888889e-03,
      8.333333333333333e-03,  4.1666666666666664e-02, 1.6666666666666666e-01, 0.5};
  StereoVector p = StereoVector::Both(kInverseFactorials[0]);
  for (int k = 1; k < 12; ++k) p = p * x + kInverseFactorials[k];
  return p;
}
}  // namespace detail

// e^x, relative error below 4e-16 for x in [-708, 709]; arguments outside are clamped there, so
// large negative inputs give about 3e-308 and large positive ones about 8e307 (never inf or NaN
// from a finite input). NaN stays NaN.
inline StereoVector Exp(StereoVector x) {
  const StereoVector kRoundMagic = StereoVector::Both(6755399441055744.0);
  const StereoVector clamped = Clamp(x, StereoVector::Both(-708.0), StereoVector::Both(709.0));
  // round(x / ln 2), whose low bits in the sum with the magic number are that whole number.
  const StereoVector kWithMagic = clamped * 1.4426950408889634 + kRoundMagic;
  const StereoVector k = kWithMagic - kRoundMagic;
  // Cody–Waite: ln 2 in two parts keeps r = x - k ln 2 exact to the last bits.
  const StereoVector r = (clamped - k * 6.93147180369123816490e-01) - k * 1.90821492927058770002e-10;
  // e^r for |r| <= ln2 / 2.
  const StereoVector expR = 1.0 + r + r * r * detail::ExpSeriesTail(r);
  // k lies in [-1022, 1023]: its biased exponent shifted into place is 2^k.
  const __m128i biased = _mm_add_epi64(_mm_castpd_si128(kWithMagic.v), _mm_set1_epi64x(1023));
  const StereoVector twoPowK(_mm_castsi128_pd(_mm_slli_epi64(biased, 52)));
  const StereoVector result = expR * twoPowK;
  return Select(IsNan(x), x, result);
}

inline double Exp(double x) { return Exp(StereoVector::Both(x)).Left(); }

// e^x - 1 for x <= 0 with a relative error below 1e-15: near zero, where e^x - 1 would cancel, by
// its series; elsewhere from Exp.
inline StereoVector ExpMinusOneNonPositive(StereoVector x) {
  constexpr double kSeriesLimit = 0.34657359027997264;  // ln 2 / 2
  const StereoVector series = x + x * x * detail::ExpSeriesTail(x);
  return Select(x > StereoVector::Both(-kSeriesLimit), series, Exp(x) - 1.0);
}

// tanh(x) = -u / (2 + u) with u = e^(-2|x|) - 1, the sign restored; relative error below 2e-15 for
// every finite x (0 stays 0, large magnitudes give ±1). NaN stays NaN.
inline StereoVector Tanh(StereoVector x) {
  const StereoVector u = ExpMinusOneNonPositive(-2.0 * Abs(x));
  return CopySign(-u / (2.0 + u), x);
}

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

}  // namespace halcyra::fast_math
