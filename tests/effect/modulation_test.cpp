#include "effect/modulation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace halcyra {
namespace {

struct HashCase {
  int64_t n;
  int seed;
  double expected;
};

class HashUnitValues : public ::testing::TestWithParam<HashCase> {};

// Reference values from an independent big-integer evaluation of the mix; a
// signed shift or a wrong multiplier changes every one of them.
TEST_P(HashUnitValues, MatchesTheReferenceMix) {
  const HashCase& c = GetParam();
  EXPECT_DOUBLE_EQ(HashUnit(c.n, c.seed), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Reference, HashUnitValues,
    ::testing::Values(HashCase{0, 0, 0.7666216164272852}, HashCase{1, 0, 0.1331231503445618},
                      HashCase{-1, 81, 0.029943842676497967}, HashCase{7, 81, -0.37112401297526687},
                      HashCase{123456789, 3, 0.039978752885230895}, HashCase{-5, -2, 0.39636792511636587}));

TEST(HashUnit, StaysInHalfOpenUnitRange) {
  for (int64_t n = -2000; n < 2000; ++n) {
    const double v = HashUnit(n * 7919, static_cast<int>(n % 13));
    ASSERT_GE(v, -1.0);
    ASSERT_LT(v, 1.0);
  }
}

TEST(Frac, IsDistanceAboveFloorAlsoForNegatives) {
  EXPECT_DOUBLE_EQ(Frac(2.25), 0.25);
  EXPECT_DOUBLE_EQ(Frac(-0.25), 0.75);
  EXPECT_DOUBLE_EQ(Frac(-3.0), 0.0);
}

struct WaveCase {
  WaveShape shape;
  double phase;
  double skew;
  double expected;
};

class WaveValues : public ::testing::TestWithParam<WaveCase> {};

TEST_P(WaveValues, AtFixedPhases) {
  const WaveCase& c = GetParam();
  EXPECT_NEAR(Wave(c.shape, c.phase, c.skew, 5), c.expected, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, WaveValues,
    ::testing::Values(
        WaveCase{WaveShape::kSine, 0.25, 0, 1.0}, WaveCase{WaveShape::kSine, 0.75, 0, -1.0},
        WaveCase{WaveShape::kSine, 3.25, 0, 1.0},  // whole cycles drop out
        WaveCase{WaveShape::kSine, -0.75, 0, 1.0}, WaveCase{WaveShape::kTriangle, 0.0, 0, -1.0},
        WaveCase{WaveShape::kTriangle, 0.5, 0, 1.0}, WaveCase{WaveShape::kTriangle, 0.25, 0, 0.0},
        WaveCase{WaveShape::kSoftSquare, 0.25, 0, 1.0}, WaveCase{WaveShape::kSoftSquare, 0.75, 0, -1.0},
        WaveCase{WaveShape::kRampUp, 0.0, 0, -1.0}, WaveCase{WaveShape::kRampUp, 0.75, 0, 0.5},
        WaveCase{WaveShape::kRampDown, 0.75, 0, -0.5},
        // skew +90: the midpoint (g = 0.5) sits at 0.905 of the cycle
        WaveCase{WaveShape::kTriangle, 0.905, 90, 1.0}, WaveCase{WaveShape::kRampUp, 0.905, 90, 0.0},
        WaveCase{WaveShape::kRampUp, 0.095, -90, 0.0}));

TEST(Wave, RandomShapesFollowTheHashAndIgnoreSkew) {
  const int seed = 81;
  EXPECT_DOUBLE_EQ(Wave(WaveShape::kSampleHold, 7.9, 50, seed), HashUnit(7, seed));
  EXPECT_DOUBLE_EQ(Wave(WaveShape::kSampleHold, 7.9, -50, seed), HashUnit(7, seed));
  EXPECT_DOUBLE_EQ(Wave(WaveShape::kSmoothRandom, 7.0, 0, seed), HashUnit(7, seed));
  EXPECT_NEAR(Wave(WaveShape::kSmoothRandom, 7.5, 0, seed), 0.5 * (HashUnit(7, seed) + HashUnit(8, seed)),
              1e-15);
  EXPECT_NEAR(Wave(WaveShape::kSmoothRandom, 7.999999999, 0, seed), HashUnit(8, seed), 1e-9);
  EXPECT_DOUBLE_EQ(Wave(WaveShape::kSampleHold, -0.5, 0, seed), HashUnit(-1, seed));
}

TEST(Wave, NonFinitePhaseGivesAFiniteValue) {
  for (int s = 0; s < kWaveShapeCount; ++s) {
    EXPECT_TRUE(std::isfinite(Wave(static_cast<WaveShape>(s), NAN, 0, 1)));
    EXPECT_TRUE(std::isfinite(Wave(static_cast<WaveShape>(s), 1e300, 0, 1)));
  }
}

TEST(ModulationRate, TempoSyncedDivisionsAt120Bpm) {
  // cycles per second at 120 BPM = 2 / quarter notes per cycle
  const double quarterNotes[] = {16, 8, 4, 2, 1, 0.5, 0.25, 1.5, 0.75, 2.0 / 3.0, 1.0 / 3.0};
  for (int division = 0; division < 11; ++division) {
    EXPECT_NEAR(EffectiveRateHz(true, 120.0, division, 0.35, 0, 0), 2.0 / quarterNotes[division], 1e-12)
        << division;
  }
  EXPECT_DOUBLE_EQ(EffectiveRateHz(false, 120.0, 4, 0.35, 0, 0), 0.35);
}

TEST(ModulationRate, EnvelopeScalesByUpToFourAndTheResultIsClamped) {
  EXPECT_NEAR(EffectiveRateHz(false, 120, 4, 1.0, 1.0, 100), 4.0, 1e-12);
  EXPECT_NEAR(EffectiveRateHz(false, 120, 4, 1.0, 1.0, -100), 0.25, 1e-12);
  EXPECT_NEAR(EffectiveRateHz(false, 120, 4, 1.0, 0.5, 100), 2.0, 1e-12);
  EXPECT_DOUBLE_EQ(EffectiveRateHz(false, 120, 4, 50.0, 1.0, 100), 100.0);
  EXPECT_DOUBLE_EQ(EffectiveRateHz(true, 0.0, 4, 1.0, 0, 0), 0.001);
  EXPECT_DOUBLE_EQ(EffectiveRateHz(false, 120, 4, NAN, 0, 0), 0.001);
}

class Transport : public ::testing::Test {
 protected:
  void Block(double position, bool playing, bool reset = true, bool tempoValid = true,
             bool positionValid = true, double tempo = 120.0) {
    UpdateTransport(state, TransportInput{tempo, position, playing, tempoValid, positionValid}, reset, 90.0);
  }
  TransportState state;
};

TEST_F(Transport, StartOfPlaybackResyncsToThePosition) {
  Block(0.0, false);  // position becomes valid: first lock
  EXPECT_TRUE(state.resyncPending);
  state.resyncPending = false;
  state.expectedPosition = 0.0;
  Block(8.0, true);
  EXPECT_TRUE(state.resyncPending);
  EXPECT_DOUBLE_EQ(state.resyncPosition, 8.0);
}

TEST_F(Transport, OnlyJumpsBeyondToleranceWhilePlayingResync) {
  Block(4.0, true);
  state.resyncPending = false;
  state.expectedPosition = 4.02;
  Block(4.0, true);  // within 0.03 quarter notes of where we expected
  EXPECT_FALSE(state.resyncPending);
  Block(4.5, true);
  EXPECT_TRUE(state.resyncPending);
  EXPECT_DOUBLE_EQ(state.resyncPosition, 4.5);
}

TEST_F(Transport, TransportResetOffNeverResyncs) {
  Block(0.0, false, false);
  Block(16.0, true, false);
  Block(64.0, true, false);
  EXPECT_FALSE(state.resyncPending);
}

TEST_F(Transport, InvalidTempoFallsBackAndHugeTempoIsCapped) {
  Block(0, true, true, false);
  EXPECT_FALSE(state.tempoValid);
  EXPECT_DOUBLE_EQ(state.tempo, 90.0);
  EXPECT_DOUBLE_EQ(TempoInUse(state, 100.0), 100.0);
  Block(0, true, true, true, true, NAN);
  EXPECT_FALSE(state.tempoValid);
  Block(0, true, true, true, true, -5.0);
  EXPECT_FALSE(state.tempoValid);
  Block(0, true, true, true, true, 1e300);
  EXPECT_TRUE(state.tempoValid);
  EXPECT_DOUBLE_EQ(state.tempo, 3.4028234663852886e38);
}

TEST_F(Transport, NonFinitePositionIsInvalidAndResyncsToZero) {
  Block(NAN, true);
  EXPECT_FALSE(state.positionValid);
  EXPECT_TRUE(state.resyncPending);  // start of playback
  EXPECT_DOUBLE_EQ(state.resyncPosition, 0.0);
}

}  // namespace
}  // namespace halcyra
