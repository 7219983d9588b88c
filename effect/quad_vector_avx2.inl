// Quad: four double lanes, two voices × two channels (voice a left, a right, voice b left, b
// right), in one AVX register: each arithmetic step costs one instruction for all four lanes, and
// MulAdd is one fused multiply-add. Included by voice_lanes_avx2.cpp inside its namespace and its
// AVX2 and FMA target region, after <immintrin.h> and effect/stereo_vector.h. Pure values; any thread.

struct QuadMask {
  __m256d m;
  bool Any() const { return _mm256_movemask_pd(m) != 0; }
};

struct Quad {
  __m256d v;

  Quad() : v(_mm256_setzero_pd()) {}
  explicit Quad(__m256d lanes) : v(lanes) {}
  Quad(StereoVector a, StereoVector b) : v(_mm256_insertf128_pd(_mm256_castpd128_pd256(a.v), b.v, 1)) {}
  static Quad Both(double x) { return Quad(_mm256_set1_pd(x)); }
  // (a, a, b, b): one value per voice on both of its channels.
  static Quad Voices(double a, double b) { return Quad(_mm256_set_pd(b, b, a, a)); }
  // (left, right, left, right): one value per channel for both voices.
  static Quad Channels(double left, double right) { return Quad(_mm256_set_pd(right, left, right, left)); }
  static Quad Load(const double* lanes) { return Quad(_mm256_loadu_pd(lanes)); }
  void Store(double* lanes) const { _mm256_storeu_pd(lanes, v); }
  StereoVector First() const { return StereoVector(_mm256_castpd256_pd128(v)); }
  StereoVector Second() const { return StereoVector(_mm256_extractf128_pd(v, 1)); }
};

#define HALCYRA_QUAD_BINARY(op, instruction)                                              \
  HALCYRA_INLINE Quad operator op(Quad a, Quad b) { return Quad(instruction(a.v, b.v)); } \
  HALCYRA_INLINE Quad operator op(Quad a, double b) { return a op Quad::Both(b); }        \
  HALCYRA_INLINE Quad operator op(double a, Quad b) { return Quad::Both(a) op b; }
HALCYRA_QUAD_BINARY(+, _mm256_add_pd)
HALCYRA_QUAD_BINARY(-, _mm256_sub_pd)
HALCYRA_QUAD_BINARY(*, _mm256_mul_pd)
HALCYRA_QUAD_BINARY(/, _mm256_div_pd)
#undef HALCYRA_QUAD_BINARY
HALCYRA_INLINE Quad operator-(Quad a) { return Quad(_mm256_xor_pd(a.v, _mm256_set1_pd(-0.0))); }
HALCYRA_INLINE Quad& operator+=(Quad& a, Quad b) { return a = a + b; }

// Ordered, non-signalling comparisons: NaN compares false, as in scalar code.
HALCYRA_INLINE QuadMask operator<(Quad a, Quad b) { return {_mm256_cmp_pd(a.v, b.v, _CMP_LT_OQ)}; }
HALCYRA_INLINE QuadMask operator>(Quad a, Quad b) { return {_mm256_cmp_pd(a.v, b.v, _CMP_GT_OQ)}; }
HALCYRA_INLINE QuadMask operator>=(Quad a, Quad b) { return {_mm256_cmp_pd(a.v, b.v, _CMP_GE_OQ)}; }
HALCYRA_INLINE QuadMask IsNan(Quad a) { return {_mm256_cmp_pd(a.v, a.v, _CMP_UNORD_Q)}; }

HALCYRA_INLINE Quad Select(QuadMask where, Quad a, Quad b) {
  return Quad(_mm256_blendv_pd(b.v, a.v, where.m));
}
HALCYRA_INLINE Quad KeepWhere(QuadMask where, Quad a) { return Quad(_mm256_and_pd(where.m, a.v)); }
HALCYRA_INLINE Quad Abs(Quad a) { return Quad(_mm256_andnot_pd(_mm256_set1_pd(-0.0), a.v)); }
HALCYRA_INLINE Quad CopySign(Quad a, Quad b) {
  const __m256d sign = _mm256_set1_pd(-0.0);
  return Quad(_mm256_or_pd(_mm256_andnot_pd(sign, a.v), _mm256_and_pd(sign, b.v)));
}
// As std::min, std::max and std::clamp: the processor's minimum and maximum answer their second
// operand when the comparison fails, so the operands' order gives the library's NaN behaviour.
HALCYRA_INLINE Quad Min(Quad a, Quad b) { return Quad(_mm256_min_pd(b.v, a.v)); }
HALCYRA_INLINE Quad Max(Quad a, Quad b) { return Quad(_mm256_max_pd(b.v, a.v)); }
HALCYRA_INLINE Quad Clamp(Quad x, Quad low, Quad high) {
  return Quad(_mm256_min_pd(high.v, _mm256_max_pd(low.v, x.v)));
}
HALCYRA_INLINE Quad MulAdd(Quad a, Quad b, Quad c) { return Quad(_mm256_fmadd_pd(a.v, b.v, c.v)); }
// Exactly std::floor, for every input.
HALCYRA_INLINE Quad Floor(Quad x) {
  return Quad(_mm256_round_pd(x.v, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC));
}
HALCYRA_INLINE Quad TwoPowOfRounded(Quad withMagic) {
  const __m256i biased = _mm256_add_epi64(_mm256_castpd_si256(withMagic.v), _mm256_set1_epi64x(1023));
  return Quad(_mm256_castsi256_pd(_mm256_slli_epi64(biased, 52)));
}
// Toward zero, exactly, for |x| < 2^31, and the four whole parts as 32-bit integers in lane order.
HALCYRA_INLINE Quad TruncateSmall(Quad x) {
  return Quad(_mm256_round_pd(x.v, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC));
}
HALCYRA_INLINE __m128i WholeParts(Quad x) { return _mm256_cvttpd_epi32(x.v); }
// The two voices' lanes added: (a left + b left, a right + b right).
HALCYRA_INLINE StereoVector SumVoices(Quad x) {
  return StereoVector(_mm_add_pd(_mm256_castpd256_pd128(x.v), _mm256_extractf128_pd(x.v, 1)));
}
// Each voice's two channels added, on both of its lanes.
HALCYRA_INLINE Quad SumChannels(Quad x) { return Quad(_mm256_hadd_pd(x.v, x.v)); }

// The four neighbours of four reads, one unbroken run of four samples per lane (oldest first):
// regrouped by age, so each result holds the same neighbour of every lane. Each 128-bit half is
// loaded into its place directly, which leaves four in-lane unpacks as the only shuffles.
HALCYRA_INLINE __m256d LoadHalves(const double* low, const double* high) {
  return _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(low)), _mm_loadu_pd(high), 1);
}
HALCYRA_INLINE void GatherRuns(const double* const runs[4], Quad& older, Quad& x1, Quad& x0, Quad& newer) {
  const __m256d oldA = LoadHalves(runs[0], runs[2]), oldB = LoadHalves(runs[1], runs[3]);
  const __m256d newA = LoadHalves(runs[0] + 2, runs[2] + 2), newB = LoadHalves(runs[1] + 2, runs[3] + 2);
  older = Quad(_mm256_unpacklo_pd(oldA, oldB));
  x1 = Quad(_mm256_unpackhi_pd(oldA, oldB));
  x0 = Quad(_mm256_unpacklo_pd(newA, newB));
  newer = Quad(_mm256_unpackhi_pd(newA, newB));
}
