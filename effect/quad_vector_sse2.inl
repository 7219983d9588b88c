// Quad: four double lanes, two voices × two channels (voice a left, a right, voice b left, b
// right), for the SSE2 every x86-64 processor has: two StereoVector halves, one per voice, so every
// lane gets the same IEEE operations as the StereoVector code. Included inside the instruction
// set's namespace by voice_lanes_sse2.cpp, after effect/stereo_vector.h. Pure values; any thread.

struct QuadMask {
  StereoMask first, second;
  bool Any() const { return first.Any() || second.Any(); }
};

struct Quad {
  StereoVector first;   // voice a: left, right
  StereoVector second;  // voice b

  Quad() = default;
  Quad(StereoVector a, StereoVector b) : first(a), second(b) {}
  static Quad Both(double x) { return {StereoVector::Both(x), StereoVector::Both(x)}; }
  // (a, a, b, b): one value per voice on both of its channels.
  static Quad Voices(double a, double b) { return {StereoVector::Both(a), StereoVector::Both(b)}; }
  // (left, right, left, right): one value per channel for both voices.
  static Quad Channels(double left, double right) {
    const StereoVector pair(left, right);
    return {pair, pair};
  }
  static Quad Load(const double* lanes) { return {StereoVector::Load(lanes), StereoVector::Load(lanes + 2)}; }
  void Store(double* lanes) const {
    first.Store(lanes);
    second.Store(lanes + 2);
  }
  StereoVector First() const { return first; }
  StereoVector Second() const { return second; }
};

#define HALCYRA_QUAD_BINARY(op)                                                                          \
  HALCYRA_INLINE Quad operator op(Quad a, Quad b) { return {a.first op b.first, a.second op b.second}; } \
  HALCYRA_INLINE Quad operator op(Quad a, double b) { return a op Quad::Both(b); }                       \
  HALCYRA_INLINE Quad operator op(double a, Quad b) { return Quad::Both(a) op b; }
HALCYRA_QUAD_BINARY(+)
HALCYRA_QUAD_BINARY(-)
HALCYRA_QUAD_BINARY(*)
HALCYRA_QUAD_BINARY(/)
#undef HALCYRA_QUAD_BINARY
HALCYRA_INLINE Quad operator-(Quad a) { return {-a.first, -a.second}; }
HALCYRA_INLINE Quad& operator+=(Quad& a, Quad b) { return a = a + b; }

#define HALCYRA_QUAD_COMPARE(op) \
  HALCYRA_INLINE QuadMask operator op(Quad a, Quad b) { return {a.first op b.first, a.second op b.second}; }
HALCYRA_QUAD_COMPARE(<)
HALCYRA_QUAD_COMPARE(>)
HALCYRA_QUAD_COMPARE(>=)
#undef HALCYRA_QUAD_COMPARE
HALCYRA_INLINE QuadMask IsNan(Quad a) { return {halcyra::IsNan(a.first), halcyra::IsNan(a.second)}; }

HALCYRA_INLINE Quad Select(QuadMask where, Quad a, Quad b) {
  return {halcyra::Select(where.first, a.first, b.first), halcyra::Select(where.second, a.second, b.second)};
}
HALCYRA_INLINE Quad KeepWhere(QuadMask where, Quad a) {
  return {halcyra::KeepWhere(where.first, a.first), halcyra::KeepWhere(where.second, a.second)};
}
HALCYRA_INLINE Quad Abs(Quad a) { return {halcyra::Abs(a.first), halcyra::Abs(a.second)}; }
HALCYRA_INLINE Quad CopySign(Quad a, Quad b) {
  return {halcyra::CopySign(a.first, b.first), halcyra::CopySign(a.second, b.second)};
}
HALCYRA_INLINE Quad Min(Quad a, Quad b) {
  return {halcyra::Min(a.first, b.first), halcyra::Min(a.second, b.second)};
}
HALCYRA_INLINE Quad Max(Quad a, Quad b) {
  return {halcyra::Max(a.first, b.first), halcyra::Max(a.second, b.second)};
}
HALCYRA_INLINE Quad Clamp(Quad x, Quad low, Quad high) {
  return {halcyra::Clamp(x.first, low.first, high.first), halcyra::Clamp(x.second, low.second, high.second)};
}
HALCYRA_INLINE Quad MulAdd(Quad a, Quad b, Quad c) { return a * b + c; }
HALCYRA_INLINE Quad Floor(Quad x) { return {halcyra::Floor(x.first), halcyra::Floor(x.second)}; }
HALCYRA_INLINE Quad TwoPowOfRounded(Quad withMagic) {
  return {halcyra::TwoPowOfRounded(withMagic.first), halcyra::TwoPowOfRounded(withMagic.second)};
}
// Toward zero, exactly, for |x| < 2^31, and the four whole parts as integers.
HALCYRA_INLINE Quad TruncateSmall(Quad x) {
  return {halcyra::TruncateSmall(x.first), halcyra::TruncateSmall(x.second)};
}
HALCYRA_INLINE __m128i WholeParts(Quad x) {
  return _mm_unpacklo_epi64(_mm_cvttpd_epi32(x.first.v), _mm_cvttpd_epi32(x.second.v));
}
// The two voices' lanes added: (a left + b left, a right + b right).
HALCYRA_INLINE StereoVector SumVoices(Quad x) { return x.first + x.second; }
// Each voice's two channels added, on both of its lanes.
HALCYRA_INLINE Quad SumChannels(Quad x) {
  return {StereoVector(_mm_add_pd(x.first.v, x.first.Swapped().v)),
          StereoVector(_mm_add_pd(x.second.v, x.second.Swapped().v))};
}

// The four neighbours of four reads, one unbroken run of four samples per lane (oldest first):
// regrouped by age, so each result holds the same neighbour of every lane.
HALCYRA_INLINE void GatherRuns(const double* const runs[4], Quad& older, Quad& x1, Quad& x0, Quad& newer) {
  auto half = [](const double* left, const double* right, StereoVector& o, StereoVector& a, StereoVector& b,
                 StereoVector& n) {
    const __m128d leftOld = _mm_loadu_pd(left), leftNew = _mm_loadu_pd(left + 2);
    const __m128d rightOld = _mm_loadu_pd(right), rightNew = _mm_loadu_pd(right + 2);
    o = StereoVector(_mm_unpacklo_pd(leftOld, rightOld));
    a = StereoVector(_mm_unpackhi_pd(leftOld, rightOld));
    b = StereoVector(_mm_unpacklo_pd(leftNew, rightNew));
    n = StereoVector(_mm_unpackhi_pd(leftNew, rightNew));
  };
  half(runs[0], runs[1], older.first, x1.first, x0.first, newer.first);
  half(runs[2], runs[3], older.second, x1.second, x0.second, newer.second);
}
