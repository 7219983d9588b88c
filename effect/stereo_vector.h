#pragma once
// StereoVector: a left and a right double processed together in one SSE2 register. The engine runs
// both channels of every stage through it, so each arithmetic step costs one instruction for the
// pair; every operation is the same IEEE operation on each lane as the scalar code, so results are
// identical to computing the channels one by one. SSE2 is part of every x86-64 processor. Pure
// values; any thread.

#include <emmintrin.h>

#include <cstdint>

// The per-sample paths call small functions many times over: inlining them lets the processor
// overlap the voices' independent work.
#if defined(__GNUC__)
#define HALCYRA_INLINE inline __attribute__((always_inline))
#define HALCYRA_LAMBDA_INLINE __attribute__((always_inline))
#else
#define HALCYRA_INLINE inline
#define HALCYRA_LAMBDA_INLINE
#endif

namespace halcyra {

struct StereoVector {
  __m128d v;

  StereoVector() : v(_mm_setzero_pd()) {}
  explicit StereoVector(__m128d lanes) : v(lanes) {}
  StereoVector(double left, double right) : v(_mm_set_pd(right, left)) {}
  static StereoVector Both(double x) { return StereoVector(_mm_set1_pd(x)); }
  static StereoVector Load(const double* pair) { return StereoVector(_mm_loadu_pd(pair)); }
  void Store(double* pair) const { _mm_storeu_pd(pair, v); }

  double Left() const { return _mm_cvtsd_f64(v); }
  double Right() const { return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v)); }
  // The channels exchanged: (right, left).
  StereoVector Swapped() const { return StereoVector(_mm_shuffle_pd(v, v, 1)); }
};

inline StereoVector operator+(StereoVector a, StereoVector b) { return StereoVector(_mm_add_pd(a.v, b.v)); }
inline StereoVector operator-(StereoVector a, StereoVector b) { return StereoVector(_mm_sub_pd(a.v, b.v)); }
inline StereoVector operator*(StereoVector a, StereoVector b) { return StereoVector(_mm_mul_pd(a.v, b.v)); }
inline StereoVector operator/(StereoVector a, StereoVector b) { return StereoVector(_mm_div_pd(a.v, b.v)); }
inline StereoVector operator-(StereoVector a) { return StereoVector(_mm_xor_pd(a.v, _mm_set1_pd(-0.0))); }
inline StereoVector operator*(StereoVector a, double b) { return a * StereoVector::Both(b); }
inline StereoVector operator*(double a, StereoVector b) { return StereoVector::Both(a) * b; }
inline StereoVector operator+(StereoVector a, double b) { return a + StereoVector::Both(b); }
inline StereoVector operator+(double a, StereoVector b) { return StereoVector::Both(a) + b; }
inline StereoVector operator-(StereoVector a, double b) { return a - StereoVector::Both(b); }
inline StereoVector operator-(double a, StereoVector b) { return StereoVector::Both(a) - b; }
inline StereoVector& operator+=(StereoVector& a, StereoVector b) { return a = a + b; }
inline StereoVector& operator-=(StereoVector& a, StereoVector b) { return a = a - b; }
inline StereoVector& operator*=(StereoVector& a, StereoVector b) { return a = a * b; }

// Lane masks: all bits set where the comparison holds. NaN compares false, as in scalar code.
struct StereoMask {
  __m128d m;
  bool Any() const { return _mm_movemask_pd(m) != 0; }
  bool All() const { return _mm_movemask_pd(m) == 3; }
};
inline StereoMask operator<(StereoVector a, StereoVector b) { return {_mm_cmplt_pd(a.v, b.v)}; }
inline StereoMask operator>(StereoVector a, StereoVector b) { return {_mm_cmpgt_pd(a.v, b.v)}; }
inline StereoMask operator<=(StereoVector a, StereoVector b) { return {_mm_cmple_pd(a.v, b.v)}; }
inline StereoMask operator>=(StereoVector a, StereoVector b) { return {_mm_cmpge_pd(a.v, b.v)}; }
inline StereoMask operator==(StereoVector a, StereoVector b) { return {_mm_cmpeq_pd(a.v, b.v)}; }
inline StereoMask operator!=(StereoVector a, StereoVector b) { return {_mm_cmpneq_pd(a.v, b.v)}; }
inline StereoMask operator&(StereoMask a, StereoMask b) { return {_mm_and_pd(a.m, b.m)}; }
inline StereoMask operator|(StereoMask a, StereoMask b) { return {_mm_or_pd(a.m, b.m)}; }
inline StereoMask operator!(StereoMask a) { return {_mm_xor_pd(a.m, _mm_castsi128_pd(_mm_set1_epi32(-1)))}; }
inline StereoMask IsNan(StereoVector a) { return {_mm_cmpunord_pd(a.v, a.v)}; }

// where ? a : b, lane by lane.
inline StereoVector Select(StereoMask where, StereoVector a, StereoVector b) {
  return StereoVector(_mm_or_pd(_mm_and_pd(where.m, a.v), _mm_andnot_pd(where.m, b.v)));
}
// where ? a : 0.
inline StereoVector KeepWhere(StereoMask where, StereoVector a) {
  return StereoVector(_mm_and_pd(where.m, a.v));
}
// where ? 0 : a.
inline StereoVector ZeroWhere(StereoMask where, StereoVector a) {
  return StereoVector(_mm_andnot_pd(where.m, a.v));
}

inline StereoVector Abs(StereoVector a) { return StereoVector(_mm_andnot_pd(_mm_set1_pd(-0.0), a.v)); }
// a's magnitude with b's sign.
inline StereoVector CopySign(StereoVector a, StereoVector b) {
  const __m128d sign = _mm_set1_pd(-0.0);
  return StereoVector(_mm_or_pd(_mm_andnot_pd(sign, a.v), _mm_and_pd(sign, b.v)));
}
inline StereoVector Sqrt(StereoVector a) { return StereoVector(_mm_sqrt_pd(a.v)); }

// std::min and std::max per lane: min(a, b) is b < a ? b : a, so a NaN in b gives a, as they do;
// the processor's minimum and maximum answer their second operand when the comparison fails.
inline StereoVector Min(StereoVector a, StereoVector b) { return StereoVector(_mm_min_pd(b.v, a.v)); }
inline StereoVector Max(StereoVector a, StereoVector b) { return StereoVector(_mm_max_pd(b.v, a.v)); }
// std::clamp per lane (a NaN stays NaN, as std::clamp leaves it).
inline StereoVector Clamp(StereoVector x, StereoVector low, StereoVector high) {
  return StereoVector(_mm_min_pd(high.v, _mm_max_pd(low.v, x.v)));
}
// a × b + c, rounded twice, as the scalar expression is.
inline StereoVector MulAdd(StereoVector a, StereoVector b, StereoVector c) { return a * b + c; }
// 2^k for a whole k in [-1022, 1023] held as the low bits of k + 1.5 × 2^52.
inline StereoVector TwoPowOfRounded(StereoVector withMagic) {
  const __m128i biased = _mm_add_epi64(_mm_castpd_si128(withMagic.v), _mm_set1_epi64x(1023));
  return StereoVector(_mm_castsi128_pd(_mm_slli_epi64(biased, 52)));
}

// Toward zero, as a cast to a 64-bit integer does, for |x| < 2^31; exact in that range.
inline StereoVector TruncateSmall(StereoVector x) {
  return StereoVector(_mm_cvtepi32_pd(_mm_cvttpd_epi32(x.v)));
}
// Both truncations as 32-bit integers, for |x| < 2^31.
inline void TruncateToInts(StereoVector x, int32_t& left, int32_t& right) {
  const __m128i whole = _mm_cvttpd_epi32(x.v);
  left = _mm_cvtsi128_si32(whole);
  right = _mm_cvtsi128_si32(_mm_shuffle_epi32(whole, 1));
}

// std::floor per lane, exactly, for any finite or infinite input: below 2^52 the truncation through
// the integer unit is exact and steps down for negative fractions; larger values are whole already.
inline StereoVector Floor(StereoVector x) {
  const StereoVector kTwoPow52 = StereoVector::Both(4503599627370496.0);
  // Adding and subtracting 2^52 with x's sign rounds to the nearest whole number without integers.
  const StereoVector magic = CopySign(kTwoPow52, x);
  const StereoVector rounded = (x + magic) - magic;
  const StereoVector stepped = Select(x < rounded, rounded - 1.0, rounded);
  // Large magnitudes and NaN pass unchanged; -0.0 keeps its sign.
  return Select(Abs(x) < kTwoPow52, Select(x == StereoVector(), x, stepped), x);
}

// x - floor(x), in [0, 1).
inline StereoVector Frac(StereoVector x) { return x - Floor(x); }

// The mid (L + R) / 2 and the side (L - R) / 2 of a pair, each on both lanes.
inline StereoVector MidOf(StereoVector v) { return StereoVector::Both((v.Left() + v.Right()) / 2.0); }
inline StereoVector SideOf(StereoVector v) { return StereoVector::Both((v.Left() - v.Right()) / 2.0); }

}  // namespace halcyra
