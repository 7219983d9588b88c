#include "effect/delay_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

namespace halcyra {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

DelayLine MakeLine(std::size_t size) {
  DelayLine line;
  EXPECT_TRUE(line.Resize(size));
  return line;
}

// A single 1.0 followed by `age` zeros: the impulse sits at delay `age`.
void WriteImpulse(DelayLine& line, std::size_t age) {
  line.Write(1.0);
  for (std::size_t i = 0; i < age; ++i) line.Write(0.0);
}

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
  DelayLine line = MakeLine(kSize);
  WriteImpulse(line, age);
  for (std::size_t d = 2; d <= kSize - 4; ++d) {
    const double expected = d == age ? 1.0 : 0.0;
    EXPECT_EQ(line.Read(static_cast<double>(d), false), expected) << "delay " << d;
    EXPECT_EQ(line.Read(static_cast<double>(d), true), expected) << "delay " << d;
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
  DelayLine line = MakeLine(64);
  WriteImpulse(line, kAge);
  const double delay = static_cast<double>(kAge) + c.offset;
  EXPECT_EQ(line.Read(delay, false), c.linear);
  EXPECT_EQ(line.Read(delay, true), c.cubic);
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

TEST(DelayLineBlend, MixesTheTwoReadingsByWeight) {
  DelayLine line = MakeLine(128);
  for (int n = 0; n < 200; ++n) line.Write(std::sin(0.37 * n) + 0.25 * std::cos(1.9 * n));
  for (double delay : {2.0, 2.3, 7.5, 40.125, 99.9, 124.0}) {
    const double linear = line.Read(delay, false);
    const double cubic = line.Read(delay, true);
    EXPECT_EQ(line.ReadBlended(delay, 0.0), linear) << delay;
    EXPECT_EQ(line.ReadBlended(delay, 1.0), cubic) << delay;
    EXPECT_EQ(line.ReadBlended(delay, 0.25), 0.75 * linear + 0.25 * cubic) << delay;
  }
}

struct ClampCase {
  double requested;
  double readsAs;
};

class DelayLineClamp : public ::testing::TestWithParam<ClampCase> {};

// A line full of distinct values, so any other delay would read differently.
TEST_P(DelayLineClamp, OutOfRangeDelaysReadAtTheLimit) {
  constexpr std::size_t kSize = 32;
  DelayLine line = MakeLine(kSize);
  for (int n = 1; n <= 100; ++n) line.Write(n * n);
  const ClampCase& c = GetParam();
  EXPECT_EQ(line.Read(c.requested, false), line.Read(c.readsAs, false));
  EXPECT_EQ(line.Read(c.requested, true), line.Read(c.readsAs, true));
  EXPECT_EQ(line.ReadBlended(c.requested, 0.5), line.ReadBlended(c.readsAs, 0.5));
}

INSTANTIATE_TEST_SUITE_P(Limits, DelayLineClamp,
                         ::testing::Values(ClampCase{0.0, 2.0}, ClampCase{1.0, 2.0}, ClampCase{1.999, 2.0},
                                           ClampCase{-5.0, 2.0}, ClampCase{kNaN, 2.0}, ClampCase{-kInf, 2.0},
                                           ClampCase{28.5, 28.0}, ClampCase{1000.0, 28.0},
                                           ClampCase{1e300, 28.0}, ClampCase{kInf, 28.0}));

TEST(DelayLineLimits, LimitsAreDistinctReadings) {
  // Guards the table above: the limits themselves must not read alike.
  DelayLine line = MakeLine(32);
  for (int n = 1; n <= 100; ++n) line.Write(n * n);
  EXPECT_EQ(line.Read(2.0, false), 98.0 * 98.0);
  EXPECT_EQ(line.Read(28.0, false), 72.0 * 72.0);
}

TEST(DelayLineClear, ClearedLineReadsLikeAFreshOne) {
  constexpr std::size_t kSize = 40;
  DelayLine used = MakeLine(kSize);
  for (int n = 0; n < 300; ++n) used.Write(1.0);
  used.Clear();
  DelayLine fresh = MakeLine(kSize);
  for (double x : {5.0, -3.0, 2.0}) {
    used.Write(x);
    fresh.Write(x);
  }
  EXPECT_EQ(used.Read(2.0, false), 5.0);
  EXPECT_EQ(used.Read(3.0, false), 0.0);
  for (double delay = 0.0; delay <= kSize; delay += 0.125) {
    EXPECT_EQ(used.Read(delay, false), fresh.Read(delay, false)) << delay;
    EXPECT_EQ(used.Read(delay, true), fresh.Read(delay, true)) << delay;
  }
}

TEST(DelayLineClear, SamplesFromBeforeTheClearReadAsZero) {
  DelayLine line = MakeLine(64);
  for (int n = 0; n < 100; ++n) line.Write(9.0);
  line.Clear();
  for (double delay = 2.0; delay <= 60.0; delay += 0.5) EXPECT_EQ(line.Read(delay, true), 0.0) << delay;
  for (double x : {3.0, 2.0, 1.0}) line.Write(x);
  EXPECT_EQ(line.Read(2.0, false), 3.0);
  EXPECT_EQ(line.Read(3.0, false), 0.0);
  // Newer neighbour 2, x0 3, both older taps unwritten: 3 + 0.5 t (-2 + t (-11 + t 7)) at t = 0.5.
  EXPECT_EQ(line.Read(2.5, true), 3.0 + 0.25 * (-2.0 + 0.5 * (-11.0 + 0.5 * 7.0)));
  EXPECT_EQ(line.Filled(), 3u);
}

// A ramp is reproduced exactly by both interpolators, so every read is known.
// Write counts that step through a whole buffer move the four neighbours across its end.
TEST(DelayLineWrap, ReadsStayCorrectAfterManyWraps) {
  constexpr std::size_t kSize = 16;
  DelayLine line = MakeLine(kSize);
  double newest = 0.0;
  for (int n = 0; n < 1000; ++n) line.Write(newest += 1.0);
  for (std::size_t step = 0; step < kSize; ++step) {
    line.Write(newest += 1.0);
    EXPECT_EQ(line.Filled(), kSize);
    for (double delay = 2.0; delay <= kSize - 4; delay += 0.25) {
      EXPECT_EQ(line.Read(delay, false), newest - delay) << "delay " << delay << " step " << step;
      EXPECT_NEAR(line.Read(delay, true), newest - delay, 1e-9) << "delay " << delay << " step " << step;
    }
  }
}

TEST(DelayLineWrap, WriteIndexAndFilledCountFollowTheWrites) {
  DelayLine line = MakeLine(8);
  for (int n = 0; n < 5; ++n) line.Write(1.0);
  EXPECT_EQ(line.WriteIndex(), 5u);
  EXPECT_EQ(line.Filled(), 5u);
  for (int n = 0; n < 5; ++n) line.Write(1.0);
  EXPECT_EQ(line.WriteIndex(), 2u);
  EXPECT_EQ(line.Filled(), 8u);
}

// Runs under AddressSanitizer: any tap outside the buffer aborts the test.
TEST(DelayLineSafety, TinyAndEmptyLinesReadInBounds) {
  const double delays[] = {kNaN, -kInf, -1.0, 0.0, 2.0, 2.5, 3.75, 5.0, 1e9, 1e300, kInf};
  for (std::size_t size : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u}) {
    DelayLine line = MakeLine(size);
    for (int n = 1; n <= 20; ++n) {
      line.Write(n);
      for (double delay : delays) {
        const double value = line.ReadBlended(delay, 0.5);
        EXPECT_TRUE(std::isfinite(value)) << "size " << size << " delay " << delay;
        if (size == 0) {
          EXPECT_EQ(value, 0.0);
        }
      }
    }
  }
}

TEST(DelayLineSafety, NeverSizedLineReadsZeroAndIgnoresWrites) {
  DelayLine line;
  line.Write(3.0);
  EXPECT_EQ(line.Size(), 0u);
  EXPECT_EQ(line.Read(2.0, true), 0.0);
  EXPECT_EQ(line.ReadBlended(kNaN, 0.5), 0.0);
}

TEST(DelayLineResize, SameSizeReZeroesWithoutReallocating) {
  DelayLine line = MakeLine(256);
  const double* before = line.Data();
  for (int n = 0; n < 300; ++n) line.Write(n + 1.0);
  ASSERT_TRUE(line.Resize(256));
  EXPECT_EQ(line.Data(), before);
  EXPECT_EQ(line.WriteIndex(), 0u);
  EXPECT_EQ(line.Filled(), 0u);
  for (std::size_t i = 0; i < line.Size(); ++i) ASSERT_EQ(line.Data()[i], 0.0) << i;
}

TEST(DelayLineResize, NewSizeStartsZeroedAndEmpty) {
  DelayLine line = MakeLine(16);
  for (int n = 0; n < 20; ++n) line.Write(7.0);
  ASSERT_TRUE(line.Resize(40));
  EXPECT_EQ(line.Size(), 40u);
  EXPECT_EQ(line.Filled(), 0u);
  for (std::size_t i = 0; i < line.Size(); ++i) ASSERT_EQ(line.Data()[i], 0.0) << i;
  // The read limit follows the new size: 36 is now in reach.
  WriteImpulse(line, 36);
  EXPECT_EQ(line.Read(36.0, false), 1.0);
}

struct SanitizeCase {
  double written;
  double stored;
};

class DelayLineSanitize : public ::testing::TestWithParam<SanitizeCase> {};

TEST_P(DelayLineSanitize, StoresTheSanitisedSample) {
  const SanitizeCase& c = GetParam();
  DelayLine line = MakeLine(16);
  line.Write(c.written);
  EXPECT_EQ(line.Data()[0], c.stored);
  line.Write(0.0);
  line.Write(0.0);
  EXPECT_EQ(line.Read(2.0, true), c.stored);
}

INSTANTIATE_TEST_SUITE_P(Values, DelayLineSanitize,
                         ::testing::Values(SanitizeCase{kNaN, 0.0}, SanitizeCase{kInf, 1e10},
                                           SanitizeCase{-kInf, -1e10}, SanitizeCase{2e10, 1e10},
                                           SanitizeCase{-3e12, -1e10}, SanitizeCase{1e10, 1e10},
                                           SanitizeCase{-0.5, -0.5}, SanitizeCase{9.99e9, 9.99e9}));

// The engine reads both channels at once; each lane must be exactly the single read, while the
// lines fill after a clear, across the wrap of the buffer, at the clamps and for every blend.
TEST(DelayLineStereo, BothLanesAreExactlyTheSingleReads) {
  DelayLine left = MakeLine(64), right = MakeLine(64);
  const double delays[] = {-3.0, kNaN, 0.0, 2.0, 2.25, 3.5, 7.999, 17.3, 59.0, 60.0, 61.5, 1e9};
  const double weights[] = {0.0, 0.3, 1.0};
  for (int written = 0; written < 200; ++written) {
    left.Write(std::sin(0.37 * written));
    right.Write(std::cos(0.11 * written) + 0.25);
    for (double dl : delays) {
      for (double w : weights) {
        const double dr = 60.0 - (std::isnan(dl) ? 0.0 : std::min(dl, 58.0));
        const StereoVector both = ReadBlendedStereo(left, right, StereoVector(dl, dr), w);
        ASSERT_EQ(both.Left(), left.ReadBlended(dl, w)) << written << " " << dl << " " << w;
        ASSERT_EQ(both.Right(), right.ReadBlended(dr, w)) << written << " " << dr << " " << w;
      }
    }
  }
}

}  // namespace
}  // namespace halcyra
