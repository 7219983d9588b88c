// The delay lines and their reads. Every read goes through the voices' own four-lane read
// (ReadLines) and the structures' own read clamp, in the baseline and, where the processor has it,
// the AVX2 build: the code the engine runs.
#include "effect/delay_line.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

#include "effect/voice_lanes.h"

namespace halcyra {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kLinear = 0.0;
constexpr double kCubic = 1.0;

using Lanes = std::array<double, 4>;

// The builds the voices run in on this processor: the baseline, and AVX2 where it is available.
std::vector<bool> Builds() {
  if (WideVoiceLanesAvailable()) return {false, true};
  return {false};
}

// A left and a right line, sized and written together as the engine's lines are.
struct LinePair {
  explicit LinePair(std::size_t size) {
    EXPECT_TRUE(lines[0].Resize(size));
    EXPECT_TRUE(lines[1].Resize(size));
  }
  void Write(double left, double right) {
    lines[0].Write(left);
    lines[1].Write(right);
  }
  void Write(double x) { Write(x, x); }
  // A single 1.0 followed by `age` zeros: the impulse sits at delay `age`.
  void WriteImpulse(std::size_t age) {
    Write(1.0);
    for (std::size_t i = 0; i < age; ++i) Write(0.0);
  }
  Lanes Read(const Lanes& delays, double cubicWeight, bool wide) const {
    Lanes out;
    EvaluateReadLines(wide, lines, delays.data(), cubicWeight, out.data());
    return out;
  }
  // One delay on every lane, which the pair was written alike for: all four lanes must agree.
  double Read(double delay, double cubicWeight, bool wide) const {
    const Lanes out = Read({delay, delay, delay, delay}, cubicWeight, wide);
    for (int lane = 1; lane < 4; ++lane)
      EXPECT_EQ(out[lane], out[0]) << "lane " << lane << " delay " << delay;
    return out[0];
  }

  DelayLine lines[2];
};

TEST(DelayLineSize, FollowsTheSampleRate) {
  EXPECT_EQ(DelayLine::SizeForSampleRate(22050.0), 5300u);
  EXPECT_EQ(DelayLine::SizeForSampleRate(44100.0), 10592u);
  EXPECT_EQ(DelayLine::SizeForSampleRate(48000.0), 11528u);
  EXPECT_EQ(DelayLine::SizeForSampleRate(192000.0), 46088u);
  EXPECT_EQ(DelayLine::SizeForSampleRate(384000.0), 92168u);
}

TEST(DelayLineSize, NonsenseRatesStayBounded) {
  EXPECT_EQ(DelayLine::SizeForSampleRate(kNaN), 8u);
  EXPECT_EQ(DelayLine::SizeForSampleRate(-48000.0), 8u);
  EXPECT_EQ(DelayLine::SizeForSampleRate(kInf), DelayLine::SizeForSampleRate(384000.0));
}

class DelayLineImpulse : public ::testing::TestWithParam<std::size_t> {};

// Only the requested whole delay sees the impulse, in both interpolations.
TEST_P(DelayLineImpulse, WholeDelayReadsTheImpulseAlone) {
  constexpr std::size_t kSize = 64;
  const std::size_t age = GetParam();
  LinePair pair(kSize);
  pair.WriteImpulse(age);
  for (bool wide : Builds()) {
    for (std::size_t d = 2; d <= kSize - 4; ++d) {
      const double expected = d == age ? 1.0 : 0.0;
      EXPECT_EQ(pair.Read(static_cast<double>(d), kLinear, wide), expected)
          << "delay " << d << " wide " << wide;
      EXPECT_EQ(pair.Read(static_cast<double>(d), kCubic, wide), expected)
          << "delay " << d << " wide " << wide;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Ages, DelayLineImpulse, ::testing::Values(2u, 3u, 17u, 59u, 60u));

struct FractionalCase {
  double offset;  // requested delay minus the impulse's delay
  double linear;
  double cubic;  // the Catmull-Rom kernel at that offset
};

class DelayLineFractional : public ::testing::TestWithParam<FractionalCase> {};

TEST_P(DelayLineFractional, ReadsTheInterpolationKernel) {
  constexpr std::size_t kAge = 10;
  const FractionalCase& c = GetParam();
  LinePair pair(64);
  pair.WriteImpulse(kAge);
  const double delay = static_cast<double>(kAge) + c.offset;
  for (bool wide : Builds()) {
    EXPECT_EQ(pair.Read(delay, kLinear, wide), c.linear) << "wide " << wide;
    EXPECT_EQ(pair.Read(delay, kCubic, wide), c.cubic) << "wide " << wide;
  }
}

// Each neighbour position of the four-point kernel, at t = 0.5 and t = 0.25.
INSTANTIATE_TEST_SUITE_P(Offsets, DelayLineFractional,
                         ::testing::Values(FractionalCase{0.5, 0.5, 0.5625},        // impulse is x0
                                           FractionalCase{-0.5, 0.5, 0.5625},       // x1
                                           FractionalCase{1.5, 0.0, -0.0625},       // the newer neighbour
                                           FractionalCase{-1.5, 0.0, -0.0625},      // the older neighbour
                                           FractionalCase{0.25, 0.75, 0.8671875},   // x0
                                           FractionalCase{-0.75, 0.25, 0.2265625},  // x1
                                           FractionalCase{1.25, 0.0, -0.0703125},   // the newer neighbour
                                           FractionalCase{-1.75, 0.0, -0.0234375}));

// Halfway past the impulse the linear reading is 0.5 and the cubic 0.5625: a weight between them
// mixes the two readings, as the 5 ms interpolation crossfade does.
TEST(DelayLineBlend, MixesTheTwoReadingsByWeight) {
  LinePair pair(64);
  pair.WriteImpulse(10);
  for (bool wide : Builds()) {
    EXPECT_EQ(pair.Read(10.5, 0.25, wide), 0.75 * 0.5 + 0.25 * 0.5625) << "wide " << wide;
    EXPECT_EQ(pair.Read(10.5, 0.5, wide), 0.53125) << "wide " << wide;
  }
}

// A line full of distinct values, so any other delay would read differently: tap(k) = (101 - k)².
struct ClampCase {
  double requested;
  double readsAs;
  double value;  // the reading at the clamped delay
};

class DelayLineClamp : public ::testing::TestWithParam<ClampCase> {};

TEST_P(DelayLineClamp, OutOfRangeDelaysReadAtTheLimit) {
  constexpr std::size_t kSize = 32;  // reads reach from 2 to 28 samples
  LinePair pair(kSize);
  for (int n = 1; n <= 100; ++n) pair.Write(n * n);
  const ClampCase& c = GetParam();
  for (bool wide : Builds()) {
    EXPECT_EQ(pair.Read(c.requested, kLinear, wide), c.value) << "wide " << wide;
    EXPECT_EQ(pair.Read(c.requested, kCubic, wide), pair.Read(c.readsAs, kCubic, wide)) << "wide " << wide;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, DelayLineClamp,
    ::testing::Values(ClampCase{0.0, 2.0, 98.0 * 98.0}, ClampCase{1.0, 2.0, 98.0 * 98.0},
                      ClampCase{1.999, 2.0, 98.0 * 98.0}, ClampCase{-5.0, 2.0, 98.0 * 98.0},
                      ClampCase{kNaN, 2.0, 98.0 * 98.0}, ClampCase{-kInf, 2.0, 98.0 * 98.0},
                      ClampCase{28.5, 28.0, 72.0 * 72.0}, ClampCase{1000.0, 28.0, 72.0 * 72.0},
                      ClampCase{1e300, 28.0, 72.0 * 72.0}, ClampCase{kInf, 28.0, 72.0 * 72.0}));

TEST(DelayLineClear, ClearedLineReadsLikeAFreshOne) {
  constexpr std::size_t kSize = 40;
  LinePair used(kSize);
  for (int n = 0; n < 300; ++n) used.Write(1.0);
  used.lines[0].Clear();
  used.lines[1].Clear();
  LinePair fresh(kSize);
  for (double x : {5.0, -3.0, 2.0}) {
    used.Write(x);
    fresh.Write(x);
  }
  for (bool wide : Builds()) {
    EXPECT_EQ(used.Read(2.0, kLinear, wide), 5.0);
    EXPECT_EQ(used.Read(3.0, kLinear, wide), 0.0);
    for (double delay = 0.0; delay <= kSize; delay += 0.125) {
      EXPECT_EQ(used.Read(delay, kLinear, wide), fresh.Read(delay, kLinear, wide)) << delay;
      EXPECT_EQ(used.Read(delay, kCubic, wide), fresh.Read(delay, kCubic, wide)) << delay;
    }
  }
}

// Right after a clear every read is 0 until enough samples have been written to reach it.
TEST(DelayLineClear, SamplesFromBeforeTheClearReadAsZero) {
  LinePair pair(64);
  for (int n = 0; n < 100; ++n) pair.Write(9.0);
  pair.lines[0].Clear();
  pair.lines[1].Clear();
  for (bool wide : Builds()) {
    for (double delay = 2.0; delay <= 60.0; delay += 0.5)
      EXPECT_EQ(pair.Read(delay, kCubic, wide), 0.0) << delay;
  }
  for (double x : {3.0, 2.0, 1.0}) pair.Write(x);
  for (bool wide : Builds()) {
    EXPECT_EQ(pair.Read(2.0, kLinear, wide), 3.0);
    EXPECT_EQ(pair.Read(3.0, kLinear, wide), 0.0);
    // Newer neighbour 2, x0 3, both older taps unwritten: 3 + 0.5 t (-2 + t (-11 + t 7)) at t = 0.5.
    EXPECT_EQ(pair.Read(2.5, kCubic, wide), 3.0 + 0.25 * (-2.0 + 0.5 * (-11.0 + 0.5 * 7.0)));
  }
  EXPECT_EQ(pair.lines[0].Filled(), 3u);
}

// A ramp is reproduced exactly by both interpolators, so every read is known. Write counts that
// step through a whole buffer move the four neighbours across its end.
TEST(DelayLineWrap, ReadsStayCorrectAfterManyWraps) {
  constexpr std::size_t kSize = 16;
  LinePair pair(kSize);
  double newest = 0.0;
  for (int n = 0; n < 1000; ++n) pair.Write(newest += 1.0);
  for (std::size_t step = 0; step < kSize; ++step) {
    pair.Write(newest += 1.0);
    EXPECT_EQ(pair.lines[0].Filled(), kSize);
    for (bool wide : Builds()) {
      for (double delay = 2.0; delay <= kSize - 4; delay += 0.25) {
        EXPECT_EQ(pair.Read(delay, kLinear, wide), newest - delay) << "delay " << delay << " step " << step;
        EXPECT_NEAR(pair.Read(delay, kCubic, wide), newest - delay, 1e-9)
            << "delay " << delay << " step " << step;
      }
    }
  }
}

TEST(DelayLineWrap, WriteIndexAndFilledCountFollowTheWrites) {
  DelayLine line;
  ASSERT_TRUE(line.Resize(8));
  for (int n = 0; n < 5; ++n) line.Write(1.0);
  EXPECT_EQ(line.WriteIndex(), 5u);
  EXPECT_EQ(line.Filled(), 5u);
  for (int n = 0; n < 5; ++n) line.Write(1.0);
  EXPECT_EQ(line.WriteIndex(), 2u);
  EXPECT_EQ(line.Filled(), 8u);
}

// Each lane reads its own line at its own delay: a rising ramp on the left and a falling one on the
// right make every lane's reading known, while the lines fill and once they are full.
TEST(DelayLineLanes, EachLaneReadsItsOwnLineAtItsOwnDelay) {
  LinePair pair(64);
  const Lanes delays = {2.25, 7.5, 17.0, 33.75};
  for (int written = 1; written <= 200; ++written) {
    pair.Write(written, -2.0 * written);
    for (bool wide : Builds()) {
      const Lanes linear = pair.Read(delays, kLinear, wide);
      for (int lane = 0; lane < 4; ++lane) {
        const bool left = lane % 2 == 0;
        // Taps older than the first write read 0, so a read reaching past them is left out.
        if (delays[lane] + 2.0 > written) continue;
        const double expected = (written - delays[lane]) * (left ? 1.0 : -2.0);
        ASSERT_EQ(linear[lane], expected) << "lane " << lane << " after " << written << " wide " << wide;
      }
    }
  }
}

// Lines that are not written in step (the engine never does this) still read each at its own taps.
TEST(DelayLineLanes, LinesOfDifferentLengthsReadEachTheirOwn) {
  LinePair pair(64);
  ASSERT_TRUE(pair.lines[1].Resize(40));
  for (int n = 1; n <= 300; ++n) pair.Write(n, 1000.0 + n);
  for (bool wide : Builds()) {
    const Lanes out = pair.Read({3.0, 3.0, 30.5, 30.5}, kLinear, wide);
    EXPECT_EQ(out[0], 297.0);
    EXPECT_EQ(out[1], 1297.0);
    EXPECT_EQ(out[2], 269.5);
    EXPECT_EQ(out[3], 1269.5);
  }
}

// Runs under AddressSanitizer: any tap outside the buffer aborts the test.
TEST(DelayLineSafety, TinyAndEmptyLinesReadInBounds) {
  const double delays[] = {kNaN, -kInf, -1.0, 0.0, 2.0, 2.5, 3.75, 5.0, 1e9, 1e300, kInf};
  for (std::size_t size : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u}) {
    LinePair pair(size);
    for (int n = 1; n <= 20; ++n) {
      pair.Write(n);
      for (bool wide : Builds()) {
        for (double delay : delays) {
          const double value = pair.Read(delay, 0.5, wide);
          EXPECT_TRUE(std::isfinite(value)) << "size " << size << " delay " << delay;
          if (size == 0) {
            EXPECT_EQ(value, 0.0);
          }
        }
      }
    }
  }
}

TEST(DelayLineSafety, NeverSizedLineReadsZeroAndIgnoresWrites) {
  LinePair pair(0);
  pair.Write(3.0);
  EXPECT_EQ(pair.lines[0].Size(), 0u);
  for (bool wide : Builds()) {
    EXPECT_EQ(pair.Read(2.0, kCubic, wide), 0.0);
    EXPECT_EQ(pair.Read(kNaN, 0.5, wide), 0.0);
  }
}

TEST(DelayLineResize, SameSizeReZeroesWithoutReallocating) {
  DelayLine line;
  ASSERT_TRUE(line.Resize(256));
  const double* before = line.Data();
  for (int n = 0; n < 300; ++n) line.Write(n + 1.0);
  ASSERT_TRUE(line.Resize(256));
  EXPECT_EQ(line.Data(), before);
  EXPECT_EQ(line.WriteIndex(), 0u);
  EXPECT_EQ(line.Filled(), 0u);
  for (std::size_t i = 0; i < line.Size(); ++i) ASSERT_EQ(line.Data()[i], 0.0) << i;
}

TEST(DelayLineResize, NewSizeStartsZeroedAndEmpty) {
  LinePair pair(16);
  for (int n = 0; n < 20; ++n) pair.Write(7.0);
  for (DelayLine& line : pair.lines) {
    ASSERT_TRUE(line.Resize(40));
    EXPECT_EQ(line.Size(), 40u);
    EXPECT_EQ(line.Filled(), 0u);
    for (std::size_t i = 0; i < line.Size(); ++i) ASSERT_EQ(line.Data()[i], 0.0) << i;
  }
  // The read limit follows the new size: 36 is now in reach.
  pair.WriteImpulse(36);
  for (bool wide : Builds()) EXPECT_EQ(pair.Read(36.0, kLinear, wide), 1.0);
}

struct SanitizeCase {
  double written;
  double stored;
};

class DelayLineSanitize : public ::testing::TestWithParam<SanitizeCase> {};

TEST_P(DelayLineSanitize, StoresTheSanitisedSample) {
  const SanitizeCase& c = GetParam();
  LinePair pair(16);
  pair.Write(c.written);
  EXPECT_EQ(pair.lines[0].Data()[0], c.stored);
  pair.Write(0.0);
  pair.Write(0.0);
  for (bool wide : Builds()) EXPECT_EQ(pair.Read(2.0, kCubic, wide), c.stored);
}

INSTANTIATE_TEST_SUITE_P(Values, DelayLineSanitize,
                         ::testing::Values(SanitizeCase{kNaN, 0.0}, SanitizeCase{kInf, 1e10},
                                           SanitizeCase{-kInf, -1e10}, SanitizeCase{2e10, 1e10},
                                           SanitizeCase{-3e12, -1e10}, SanitizeCase{1e10, 1e10},
                                           SanitizeCase{-0.5, -0.5}, SanitizeCase{9.99e9, 9.99e9}));

// The structures' read clamp: a delay in ms becomes samples, never below 2 nor beyond 0.235 fs.
TEST(StructureReadClamp, DelaysInMillisecondsStayBetweenTwoSamplesAndTheLongestRead) {
  struct Case {
    double sampleRate;
    Lanes delaysMs;
    Lanes samples;
  };
  const Case cases[] = {
      {48000.0, {10.0, 0.0, -5.0, kNaN}, {480.0, 2.0, 2.0, 2.0}},
      {48000.0, {1000.0, 235.0, 0.01, 20.0}, {11280.0, 11280.0, 2.0, 960.0}},
      {44100.0, {1000.0, kInf, -kInf, 10.0}, {10363.5, 10363.5, 2.0, 441.0}},
      {192000.0, {100.0, 240.0, 1.0, 0.005}, {19200.0, 45120.0, 192.0, 2.0}},
  };
  for (bool wide : Builds()) {
    for (const Case& c : cases) {
      Lanes out;
      EvaluateClampedDelays(wide, c.delaysMs.data(), c.sampleRate, out.data());
      for (int lane = 0; lane < 4; ++lane) {
        EXPECT_NEAR(out[lane], c.samples[lane], 1e-9 * c.samples[lane])
            << c.delaysMs[lane] << " ms at " << c.sampleRate << " wide " << wide;
      }
    }
  }
}

}  // namespace
}  // namespace halcyra
