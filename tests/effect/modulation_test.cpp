#include "effect/modulation.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "effect/voice_lanes.h"

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

// The selectable wave as the voices evaluate it (voice_lanes.inl), in every build they run in: the
// exact reference, the polynomial baseline and, where the processor has it, the AVX2 build.
struct WaveBuild {
  MathPath path;
  bool wide;
};

std::vector<WaveBuild> WaveBuilds() {
  std::vector<WaveBuild> builds = {{MathPath::kReference, false}, {MathPath::kFast, false}};
  if (WideVoiceLanesAvailable()) builds.push_back({MathPath::kFast, true});
  return builds;
}

using Lanes = std::array<double, 4>;

Lanes WaveMixAt(const WaveBuild& build, const Lanes& phases, const double weights[kWaveShapeCount],
                double skew = 0.0, const std::array<int, 4>& seeds = {5, 5, 5, 5}) {
  Lanes out;
  EvaluateWaveMix(build.path, build.wide, phases.data(), seeds.data(), skew, weights, out.data());
  return out;
}

// One shape alone, at one phase on every lane.
double ShapeAt(const WaveBuild& build, WaveShape shape, double phase, double skew = 0.0) {
  double weights[kWaveShapeCount] = {};
  weights[static_cast<int>(shape)] = 1.0;
  const Lanes out = WaveMixAt(build, {phase, phase, phase, phase}, weights, skew);
  for (int lane = 1; lane < 4; ++lane) EXPECT_EQ(out[lane], out[0]) << "lane " << lane;
  return out[0];
}

struct WaveCase {
  WaveShape shape;
  double phase;
  double skew;
  double expected;
};

class WaveValues : public ::testing::TestWithParam<WaveCase> {};

TEST_P(WaveValues, AtPhasesWhereTheShapeIsKnown) {
  const WaveCase& c = GetParam();
  for (const WaveBuild& build : WaveBuilds()) {
    EXPECT_NEAR(ShapeAt(build, c.shape, c.phase, c.skew), c.expected, 1e-12)
        << "reference " << (build.path == MathPath::kReference) << " wide " << build.wide;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, WaveValues,
    ::testing::Values(
        WaveCase{WaveShape::kSine, 0.25, 0, 1.0}, WaveCase{WaveShape::kSine, 0.75, 0, -1.0},
        WaveCase{WaveShape::kSine, 0.5, 0, 0.0},
        WaveCase{WaveShape::kSine, 3.25, 0, 1.0},  // whole cycles drop out
        WaveCase{WaveShape::kSine, -0.75, 0, 1.0}, WaveCase{WaveShape::kTriangle, 0.0, 0, -1.0},
        WaveCase{WaveShape::kTriangle, 0.5, 0, 1.0}, WaveCase{WaveShape::kTriangle, 0.25, 0, 0.0},
        WaveCase{WaveShape::kTriangle, 0.875, 0, -0.5}, WaveCase{WaveShape::kSoftSquare, 0.25, 0, 1.0},
        WaveCase{WaveShape::kSoftSquare, 0.75, 0, -1.0}, WaveCase{WaveShape::kSoftSquare, 0.0, 0, 0.0},
        WaveCase{WaveShape::kRampUp, 0.0, 0, -1.0}, WaveCase{WaveShape::kRampUp, 0.75, 0, 0.5},
        WaveCase{WaveShape::kRampDown, 0.0, 0, 1.0}, WaveCase{WaveShape::kRampDown, 0.75, 0, -0.5},
        // skew +90: the midpoint (g = 0.5) sits at 0.905 of the cycle, -90 at 0.095
        WaveCase{WaveShape::kTriangle, 0.905, 90, 1.0}, WaveCase{WaveShape::kRampUp, 0.905, 90, 0.0},
        WaveCase{WaveShape::kSine, 0.905, 90, 0.0}, WaveCase{WaveShape::kSine, 0.4525, 90, 1.0},
        WaveCase{WaveShape::kRampUp, 0.095, -90, 0.0}, WaveCase{WaveShape::kRampDown, 0.905, 90, 0.0},
        // and +50 at 0.725
        WaveCase{WaveShape::kTriangle, 0.725, 50, 1.0}));

// While the wave parameter crossfades, the wave is the weighted sum of the two shapes.
TEST(WaveMix, ACrossfadeIsTheWeightedSumOfTheShapes) {
  double weights[kWaveShapeCount] = {};
  weights[static_cast<int>(WaveShape::kSine)] = 0.25;
  weights[static_cast<int>(WaveShape::kRampUp)] = 0.75;
  for (const WaveBuild& build : WaveBuilds()) {
    // Sine 1, 0, -1 and 0; ramp up -0.5, 0, 0.5 and -1.
    const Lanes out = WaveMixAt(build, {0.25, 0.5, 0.75, 0.0}, weights);
    const Lanes expected = {0.25 * 1.0 + 0.75 * -0.5, 0.0, 0.25 * -1.0 + 0.75 * 0.5, -0.75};
    for (int lane = 0; lane < 4; ++lane) EXPECT_NEAR(out[lane], expected[lane], 1e-12) << "lane " << lane;
  }
  const double none[kWaveShapeCount] = {};
  for (const WaveBuild& build : WaveBuilds())
    EXPECT_EQ(WaveMixAt(build, {0.25, 0.5, 0.75, 0.0}, none), Lanes{});
}

// The random shapes change value once a cycle, ignore skew, and are the same for the same seed and
// cycle number: each lane follows its own seed.
TEST(WaveMix, RandomShapesAreReproducibleAndIgnoreSkew) {
  double hold[kWaveShapeCount] = {}, smooth[kWaveShapeCount] = {};
  hold[static_cast<int>(WaveShape::kSampleHold)] = 1.0;
  smooth[static_cast<int>(WaveShape::kSmoothRandom)] = 1.0;
  const std::array<int, 4> seeds = {81, 3, 17, 81};
  for (const WaveBuild& build : WaveBuilds()) {
    for (double skew : {0.0, 50.0, -90.0}) {
      const Lanes held = WaveMixAt(build, {7.9, 7.1, 7.5, -0.5}, hold, skew, seeds);
      EXPECT_EQ(held[0], HashUnit(7, 81));
      EXPECT_EQ(held[1], HashUnit(7, 3));
      EXPECT_EQ(held[2], HashUnit(7, 17));
      EXPECT_EQ(held[3], HashUnit(-1, 81));
      const Lanes glided = WaveMixAt(build, {7.0, 7.5, 7.999999999, 7.5}, smooth, skew, seeds);
      EXPECT_EQ(glided[0], HashUnit(7, 81));
      EXPECT_NEAR(glided[1], 0.5 * (HashUnit(7, 3) + HashUnit(8, 3)), 1e-15);
      EXPECT_NEAR(glided[2], HashUnit(8, 17), 1e-9);
      EXPECT_NEAR(glided[3], 0.5 * (HashUnit(7, 81) + HashUnit(8, 81)), 1e-15);
    }
  }
}

// A phase that is not finite counts as 0, so no shape can put a NaN into a delay.
TEST(WaveMix, NonFinitePhasesCountAsZero) {
  const double all[kWaveShapeCount] = {1, 1, 1, 1, 1, 1, 1};
  for (const WaveBuild& build : WaveBuilds()) {
    const Lanes atZero = WaveMixAt(build, {0.0, 0.0, 0.0, 0.0}, all);
    const Lanes out = WaveMixAt(build, {NAN, INFINITY, -INFINITY, 1e300}, all);
    for (int lane = 0; lane < 3; ++lane) EXPECT_EQ(out[lane], atZero[lane]) << "lane " << lane;
    EXPECT_TRUE(std::isfinite(out[3]));
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
