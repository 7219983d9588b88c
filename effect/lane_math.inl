// Polynomial approximations of the engine's transcendental functions over a vector of lanes, written
// once for every vector type the engine computes with (StereoVector and the voices' four-lane
// vectors). A vector type V provides V::Both, the arithmetic operators, comparisons giving masks,
// Select, Abs, CopySign, Min, Clamp, IsNan, MulAdd (a × b + c) and TwoPowOfRounded. The file is
// included inside the namespace that uses it, once per instruction set, and includes nothing
// itself: its includer brings core/math_constants.h. Each function states its bound against the
// exact function; tests/effect/fast_math_test.cpp checks them. Pure functions; any thread.

// 1.5 × 2^52: adding and subtracting it rounds to the nearest whole number, which then sits in
// the sum's low mantissa bits.
constexpr double kRoundMagic = 6755399441055744.0;

// sin(2π·turns). Reduced exactly to a quarter turn, then a Taylor polynomial of degree 17 in the
// angle, whose truncation error at π/2 is 6e-14: within 1e-13 absolute for |turns| < 2^31.
template <typename V>
HALCYRA_INLINE V SinTurns(V turns) {
  const V magic = V::Both(kRoundMagic);
  // Nearest whole turn, so r lies in [-0.5, 0.5]; exact for |turns| < 2^51.
  const V nearest = (turns + magic) - magic;
  const V r = turns - nearest;
  const V a = Abs(r);
  const V quarter = Min(a, V::Both(0.5) - a);  // sin(2πa) = sin(2π(0.5 - a))
  const V z = quarter * V::Both(plugfw::kTwoPi);
  const V y = z * z;
  // Taylor coefficients (-1)^k / (2k + 1)!, k = 1 to 8, evaluated by Estrin's scheme: the
  // products of one level are independent, so the polynomial costs a few multiplications of
  // latency instead of eight in a chain.
  auto pair = [y](double low, double high) { return MulAdd(V::Both(high), y, V::Both(low)); };
  const V y2 = y * y;
  const V y4 = y2 * y2;
  const V p01 = pair(-1.6666666666666666e-01, 8.333333333333333e-03);
  const V p23 = pair(-1.984126984126984e-04, 2.7557319223985893e-06);
  const V p45 = pair(-2.505210838544172e-08, 1.6059043836821613e-10);
  const V p67 = pair(-7.647163731819816e-13, 2.8114572543455206e-15);
  const V p = MulAdd(MulAdd(p67, y2, p45), y4, MulAdd(p23, y2, p01));
  const V sine = MulAdd(z * y, p, z);
  return CopySign(sine, r);
}

// (e^x - 1 - x) / x² by its Taylor series to x^11 (e^x itself to degree 13): below 2e-17 of
// truncation for |x| <= ln 2 / 2.
template <typename V>
HALCYRA_INLINE V ExpSeriesTail(V x) {
  constexpr double kInverseFactorials[] = {
      1.6059043836821613e-10, 2.08767569878681e-09,   2.505210838544172e-08,  2.755731922398589e-07,
      2.7557319223985893e-06, 2.48015873015873e-05,   1.984126984126984e-04,  1.388888888888889e-03,
      8.333333333333333e-03,  4.1666666666666664e-02, 1.6666666666666666e-01, 0.5};
  V p = V::Both(kInverseFactorials[0]);
  for (int k = 1; k < 12; ++k) p = MulAdd(p, x, V::Both(kInverseFactorials[k]));
  return p;
}

// e^x, relative error below 4e-16 for x in [-708, 709]; arguments outside are clamped there, so
// large negative inputs give about 3e-308 and large positive ones about 8e307 (never inf or NaN
// from a finite input). NaN stays NaN.
template <typename V>
HALCYRA_INLINE V Exp(V x) {
  const V magic = V::Both(kRoundMagic);
  const V clamped = Clamp(x, V::Both(-708.0), V::Both(709.0));
  // round(x / ln 2), whose low bits in the sum with the magic number are that whole number.
  const V withMagic = clamped * V::Both(1.4426950408889634) + magic;
  const V k = withMagic - magic;
  // Cody–Waite: ln 2 in two parts keeps r = x - k ln 2 exact to the last bits.
  const V r = (clamped - k * V::Both(6.93147180369123816490e-01)) - k * V::Both(1.90821492927058770002e-10);
  // e^r for |r| <= ln2 / 2.
  const V expR = V::Both(1.0) + r + r * r * ExpSeriesTail(r);
  // k lies in [-1022, 1023], so 2^k is a normal number.
  const V result = expR * TwoPowOfRounded(withMagic);
  return Select(IsNan(x), x, result);
}

// e^x - 1 for x <= 0 with a relative error below 1e-15: near zero, where e^x - 1 would cancel, by
// its series; elsewhere from Exp.
template <typename V>
HALCYRA_INLINE V ExpMinusOneNonPositive(V x) {
  constexpr double kSeriesLimit = 0.34657359027997264;  // ln 2 / 2
  const V series = x + x * x * ExpSeriesTail(x);
  return Select(x > V::Both(-kSeriesLimit), series, Exp(x) - V::Both(1.0));
}

// tanh(x) = -u / (2 + u) with u = e^(-2|x|) - 1, the sign restored; relative error below 2e-15 for
// every finite x (0 stays 0, large magnitudes give ±1). NaN stays NaN.
template <typename V>
HALCYRA_INLINE V Tanh(V x) {
  const V u = ExpMinusOneNonPositive(V::Both(-2.0) * Abs(x));
  return CopySign(-u / (V::Both(2.0) + u), x);
}
