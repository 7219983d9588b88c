// The engine's approximations against the exact functions, each over the whole range the engine
// feeds it, on both lanes of a StereoVector.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/math_constants.h"
#include "effect/engine_math.h"
#include "effect/fast_math.h"
#include "effect/voice_lanes.h"

namespace halcyra {
namespace {

using plugfw::kTwoPi;

// Calls check(x) for `count` points spread evenly over [from, to], shifted off the round values by
// an irrational fraction of a step, and for both ends.
template <typename Check>
void Sweep(double from, double to, int count, Check check) {
  const double step = (to - from) / count;
  for (int i = 0; i < count; ++i) check(from + (i + 0.6180339887498949) * step);
  check(from);
  check(to);
}

// Both lanes of a vector result, the right lane fed a different argument than the left.
template <typename VectorFunction>
void ExpectLanes(VectorFunction f, double left, double right, double expectedLeft, double expectedRight,
                 double tolerance) {
  const StereoVector y = f(StereoVector(left, right));
  ASSERT_NEAR(y.Left(), expectedLeft, tolerance) << left;
  ASSERT_NEAR(y.Right(), expectedRight, tolerance) << right;
}

TEST(FastMath, SineOfTurnsIsWithinOneNanoOverEveryPhase) {
  // The whole turns taken off first, exactly, so the library's own rounding of 2π·x for large x
  // does not count against the approximation.
  auto exact = [](double turns) { return std::sin(kTwoPi * (turns - std::round(turns))); };
  auto fast = [](StereoVector x) { return fast_math::SinTurns(x); };
  // A phase in cycles: fine steps over a few cycles, then the long-running counters of hours.
  Sweep(-4.0, 4.0, 200001,
        [&](double x) { ExpectLanes(fast, x, -x * 0.7, exact(x), exact(-x * 0.7), 1e-9); });
  Sweep(-1.0e6, 1.0e6, 100001,
        [&](double x) { ExpectLanes(fast, x, x + 0.25, exact(x), exact(x + 0.25), 1e-9); });
  // The values a musician knows: quarter turns.
  EXPECT_EQ(fast_math::SinTurns(0.0), 0.0);
  EXPECT_NEAR(fast_math::SinTurns(0.25), 1.0, 1e-13);
  EXPECT_NEAR(fast_math::SinTurns(0.5), 0.0, 1e-15);
  EXPECT_NEAR(fast_math::SinTurns(-0.25), -1.0, 1e-13);
  EXPECT_NEAR(fast_math::SinTurns(1.0 / 12.0), 0.5, 1e-13);
}

TEST(FastMath, TanhIsWithinRelativeTolerancesForEveryInput) {
  auto fast = [](StereoVector x) { return fast_math::Tanh(x); };
  auto check = [&](double x) {
    const double left = std::tanh(x), right = std::tanh(-0.5 * x);
    ExpectLanes(fast, x, -0.5 * x, left, right, 1e-13 * std::fabs(left) + 1e-300);
    ASSERT_NEAR(fast_math::Tanh(-0.5 * x), right, 1e-13 * std::fabs(right) + 1e-300) << x;
  };
  Sweep(-40.0, 40.0, 400001, check);
  // Tiny inputs keep their relative precision; huge ones saturate at exactly ±1.
  Sweep(-1e-6, 1e-6, 20001, check);
  for (double x : {1e-300, 5e-324, 1e300, std::numeric_limits<double>::infinity()}) {
    EXPECT_NEAR(fast_math::Tanh(x), std::tanh(x), 1e-15 * std::tanh(x)) << x;
    EXPECT_NEAR(fast_math::Tanh(-x), -std::tanh(x), 1e-15 * std::tanh(x)) << x;
  }
  EXPECT_EQ(fast_math::Tanh(0.0), 0.0);
  EXPECT_TRUE(std::isnan(fast_math::Tanh(std::nan(""))));
}

TEST(FastMath, ExpAndTheGainCurvesAreWithinRelativeTolerances) {
  Sweep(-708.0, 709.0, 200001, [](double x) {
    const double exact = std::exp(x);
    ASSERT_NEAR(fast_math::Exp(x), exact, 1e-14 * exact) << x;
  });
  const EngineMath fast(MathPath::kFast);
  // Gains from decibels over and beyond every level the engine sets, and the ramp's pitch ratios.
  Sweep(-200.0, 200.0, 200001, [&](double db) {
    const double exact = std::pow(10.0, db / 20.0);
    ASSERT_NEAR(fast.DbToGain(db), exact, 1e-7 * exact) << db;
  });
  Sweep(-2.0, 2.0, 20001,
        [&](double x) { ASSERT_NEAR(fast.Exp2(x), std::exp2(x), 1e-7 * std::exp2(x)) << x; });
  // Levels a musician knows.
  EXPECT_NEAR(fast.DbToGain(0.0), 1.0, 1e-15);
  EXPECT_NEAR(fast.DbToGain(-20.0), 0.1, 1e-15);
  EXPECT_NEAR(fast.DbToGain(20.0 * std::log10(0.5)), 0.5, 1e-15);
  EXPECT_NEAR(fast.Exp2(1.0), 2.0, 1e-15);
  // Outside the range that can be represented the exponential stays finite.
  EXPECT_GT(fast_math::Exp(-1e6), 0.0);
  EXPECT_TRUE(std::isfinite(fast_math::Exp(1e6)));
}

TEST(FastMath, DecibelsOfALevelAreWithinAPicoDecibel) {
  const EngineMath fast(MathPath::kFast);
  // Every level from the detector's floor up: over sixteen decades, each sampled densely.
  for (double decade = 1e-6; decade < 1e10; decade *= 10.0) {
    Sweep(decade, decade * 10.0, 20001,
          [&](double x) { ASSERT_NEAR(fast.GainToDb(x, 1e-6), 20.0 * std::log10(x), 1e-12) << x; });
  }
  EXPECT_EQ(fast.GainToDb(1.0, 1e-6), 0.0);
  EXPECT_NEAR(fast.GainToDb(10.0, 1e-6), 20.0, 1e-13);
  EXPECT_NEAR(fast.GainToDb(0.5, 1e-6), -6.020599913279624, 1e-13);
  // Below the floor, at zero and for NaN the floor's decibels; beyond doubles' finite range the library.
  EXPECT_NEAR(fast.GainToDb(0.0, 1e-6), -120.0, 1e-12);
  EXPECT_NEAR(fast.GainToDb(std::nan(""), 1e-6), -120.0, 1e-12);
  EXPECT_EQ(fast.GainToDb(std::numeric_limits<double>::infinity(), 1e-6),
            std::numeric_limits<double>::infinity());
}

// The voices' four-lane builds of the same polynomials: the AVX2 one fuses its multiply-adds, so
// it rounds differently and is held to the bounds on its own.
TEST(FastMath, FourLaneBuildsKeepTheBounds) {
  auto exactSine = [](double turns) { return std::sin(kTwoPi * (turns - std::round(turns))); };
  for (bool wide : {false, true}) {
    auto check = [&](double x) {
      const double in[4] = {x, -0.7 * x, x + 0.25, 1e5 + x};
      double sine[4], tanh[4];
      EvaluateLaneMath(wide, LaneFunction::kSinTurns, in, sine);
      EvaluateLaneMath(wide, LaneFunction::kTanh, in, tanh);
      for (int lane = 0; lane < 4; ++lane) {
        ASSERT_NEAR(sine[lane], exactSine(in[lane]), 1e-9) << in[lane] << (wide ? " AVX2" : " SSE2");
        const double t = std::tanh(in[lane]);
        ASSERT_NEAR(tanh[lane], t, 1e-13 * std::fabs(t) + 1e-300) << in[lane] << (wide ? " AVX2" : " SSE2");
      }
    };
    Sweep(-4.0, 4.0, 100001, check);
    Sweep(-1.0e6, 1.0e6, 20001, check);
    Sweep(-1e-6, 1e-6, 2001, check);
  }
}

TEST(FastMath, VectorFloorIsExactForEveryMagnitude) {
  const double values[] = {0.0,
                           -0.0,
                           0.5,
                           -0.5,
                           1.0,
                           -1.0,
                           2.5,
                           -2.5,
                           1e15 + 0.5,
                           -1e15 - 0.5,
                           4503599627370497.0,
                           1e300,
                           -1e300,
                           0.9999999999999999,
                           -0.9999999999999999,
                           1e-300,
                           -1e-300};
  for (double x : values) {
    const StereoVector y = Floor(StereoVector(x, -x));
    EXPECT_EQ(y.Left(), std::floor(x)) << x;
    EXPECT_EQ(y.Right(), std::floor(-x)) << x;
    EXPECT_EQ(std::signbit(y.Left()), std::signbit(std::floor(x))) << x;
  }
  EXPECT_TRUE(std::isnan(Floor(StereoVector::Both(std::nan(""))).Left()));
  EXPECT_EQ(Floor(StereoVector::Both(-std::numeric_limits<double>::infinity())).Left(),
            -std::numeric_limits<double>::infinity());
}

}  // namespace
}  // namespace halcyra
