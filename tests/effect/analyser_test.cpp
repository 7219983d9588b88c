// The analyser's transform, bins, smoothing and preparation; the program's counting allocator makes
// each of Prepare's allocations fail in turn.
#include "effect/analyser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <limits>
#include <new>
#include <random>
#include <vector>

#include "core/math_constants.h"
#include "tests/core/counting_allocator.h"

namespace halcyra {
namespace {

using plugfw::kPi;
constexpr double kFs = 48000.0;
constexpr float kFloorDb = -120.0f;
constexpr int kFast = 0;
constexpr int kMedium = 1;
constexpr int kSlow = 2;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// At 48 kHz display bin 151 lands 0.0045 FFT bins above FFT bin 102, so a sine centred there reads
// practically its full level in that display bin.
constexpr int kCentredFftBin = 102;
constexpr int kCentredDisplayBin = 151;

using Ring = std::vector<float>;
using Bins = std::array<float, kSpectrumBins>;

Ring Silence() { return Ring(kFftSize, 0.0f); }

// Whole cycles over the ring, so the read position does not matter.
Ring Sine(int fftBin, double amplitude) {
  Ring ring(kFftSize);
  for (int n = 0; n < kFftSize; ++n) {
    ring[n] = static_cast<float>(amplitude * std::sin(2.0 * kPi * fftBin * n / kFftSize + 0.3));
  }
  return ring;
}

Ring Impulse(int position) {
  Ring ring = Silence();
  ring[position] = 1.0f;
  return ring;
}

Bins Filled(float db) {
  Bins bins;
  bins.fill(db);
  return bins;
}

class SpectrumAnalyserTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(analyser_.Prepare()); }

  void Run(const Ring& left, const Ring& right, int writeIndex, double rate, int speed, Bins& bins,
           int analyses = 1) {
    for (int i = 0; i < analyses; ++i) {
      analyser_.Analyse(left.data(), right.data(), writeIndex, rate, speed, bins.data());
    }
  }

  // Fast smoothing leaves 0.3^40 of the starting distance: the steady reading, to float precision.
  Bins Settled(const Ring& left, const Ring& right, int writeIndex = 0, double rate = kFs) {
    Bins bins = Filled(kFloorDb);
    Run(left, right, writeIndex, rate, kFast, bins, 40);
    return bins;
  }

  SpectrumAnalyser analyser_;
};

TEST(Fft4096Test, AgreesWithNaiveDft) {
  SpectrumAnalyser analyser;
  ASSERT_TRUE(analyser.Prepare());
  std::mt19937 random(12345);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  std::vector<std::complex<double>> data(kFftSize);
  for (auto& x : data) x = {uniform(random), uniform(random)};

  std::vector<std::complex<double>> roots(kFftSize);
  for (int m = 0; m < kFftSize; ++m) roots[m] = std::polar(1.0, -2.0 * kPi * m / kFftSize);
  std::vector<std::complex<double>> expected(kFftSize);
  double largest = 0.0;
  for (int k = 0; k < kFftSize; ++k) {
    std::complex<double> sum = 0.0;
    for (int n = 0; n < kFftSize; ++n) sum += data[n] * roots[(k * n) % kFftSize];
    expected[k] = sum;
    largest = std::max(largest, std::abs(sum));
  }

  Fft4096(data.data(), analyser.Twiddles());
  double worst = 0.0;
  for (int k = 0; k < kFftSize; ++k) worst = std::max(worst, std::abs(data[k] - expected[k]));
  EXPECT_LT(worst, 1e-9 * largest);
}

// The transform runs on AVX2 where the processor has it and on SSE2 everywhere: both must show the
// same spectrum, to the bit, and the SSE2 path the level of a full-scale sine.
TEST_F(SpectrumAnalyserTest, BothTransformPathsGiveTheSameBits) {
  Ring left = Sine(kCentredFftBin, 1.0), right = Sine(37, 0.25);
  for (int n = 0; n < kFftSize; ++n) left[n] += 0.001f * static_cast<float>((n * 7919) % 101 - 50);
  analyser_.UseWidePath(false);
  EXPECT_FALSE(analyser_.UsesWidePath());
  const Bins narrow = Settled(left, right, 123);
  EXPECT_NEAR(narrow[kCentredDisplayBin], 20.0 * std::log10(std::sqrt(0.5)), 0.05);
  if (!SpectrumAnalyser::WidePathAvailable()) GTEST_SKIP() << "no AVX2 on this processor";
  analyser_.UseWidePath(true);
  EXPECT_TRUE(analyser_.UsesWidePath());
  EXPECT_EQ(Settled(left, right, 123), narrow);
}

TEST_F(SpectrumAnalyserTest, SilenceReadsTheFloorEverywhere) {
  Bins fromFloor = Filled(kFloorDb);
  Run(Silence(), Silence(), 0, kFs, kSlow, fromFloor);
  for (float db : fromFloor) EXPECT_EQ(db, kFloorDb);

  Bins fromLoud = Filled(0.0f);
  Run(Silence(), Silence(), 0, kFs, kFast, fromLoud, 40);
  for (float db : fromLoud) EXPECT_NEAR(db, kFloorDb, 1e-3);
}

// A bin-centred sine under the Hann window touches only its own FFT bin and the two beside it.
TEST_F(SpectrumAnalyserTest, FullScaleSineReadsZeroDbAtItsFrequencyOnly) {
  const Ring sine = Sine(kCentredFftBin, 1.0);
  const Bins bins = Settled(sine, sine);
  EXPECT_NEAR(bins[kCentredDisplayBin], 0.0, 0.05);
  EXPECT_EQ(std::max_element(bins.begin(), bins.end()) - bins.begin(), kCentredDisplayBin);
  for (int i = 0; i < kSpectrumBins; ++i) {
    const double fftBin = SpectrumBinFrequency(i, kFs) * kFftSize / kFs;
    if (std::abs(fftBin - kCentredFftBin) > 2.0) {
      EXPECT_LT(bins[i], -100.0f) << "bin " << i;
    }
  }
}

struct ChannelCase {
  double left;
  double right;
  double expectedDb;  // RMS of the two channels' magnitudes
};

class SpectrumChannels : public SpectrumAnalyserTest, public ::testing::WithParamInterface<ChannelCase> {};

TEST_P(SpectrumChannels, ReadsTheRmsOfBothChannels) {
  const ChannelCase& c = GetParam();
  const Bins bins = Settled(Sine(kCentredFftBin, c.left), Sine(kCentredFftBin, c.right));
  EXPECT_NEAR(bins[kCentredDisplayBin], c.expectedDb, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Levels, SpectrumChannels,
                         ::testing::Values(ChannelCase{1.0, 1.0, 0.0}, ChannelCase{1.0, 0.0, -3.01},
                                           ChannelCase{0.0, 1.0, -3.01}, ChannelCase{0.5, 0.5, -6.02},
                                           ChannelCase{1.0, 0.5, -2.04}));

struct FrequencyCase {
  int bin;
  double rate;
  double hz;
};

class SpectrumBinFrequencies : public ::testing::TestWithParam<FrequencyCase> {};

TEST_P(SpectrumBinFrequencies, SpanTwentyHertzToTheTop) {
  const FrequencyCase& c = GetParam();
  EXPECT_NEAR(SpectrumBinFrequency(c.bin, c.rate), c.hz, 1e-9 * c.hz);
}

INSTANTIATE_TEST_SUITE_P(
    Bins, SpectrumBinFrequencies,
    ::testing::Values(FrequencyCase{0, 48000.0, 20.0}, FrequencyCase{85, 48000.0, 200.0},
                      FrequencyCase{170, 48000.0, 2000.0}, FrequencyCase{255, 48000.0, 20000.0},
                      FrequencyCase{255, 44100.0, 20000.0}, FrequencyCase{255, 22050.0, 0.49 * 22050.0},
                      FrequencyCase{0, 22050.0, 20.0}, FrequencyCase{-5, 48000.0, 20.0},  // clamped
                      FrequencyCase{300, 48000.0, 20000.0},                               // clamped
                      FrequencyCase{255, kNaN, 20000.0},                                  // 48 kHz stands in
                      FrequencyCase{255, -1.0, 20000.0}));

// The top display bin sits 0.04 FFT bins above FFT bin 2007 at 22.05 kHz (0.49 fs), and at 44.1 kHz a
// 20 kHz sine lies between FFT bins: either way the top bin is the one that sees it.
TEST_F(SpectrumAnalyserTest, TopBinFollowsTheRate) {
  const Ring nearNyquist = Sine(2007, 1.0);
  const Bins at22k = Settled(nearNyquist, nearNyquist, 0, 22050.0);
  EXPECT_NEAR(at22k[kSpectrumBins - 1], 20.0 * std::log10(0.96 + 0.04 * 0.5), 0.05);

  Ring twentyKilohertz(kFftSize);
  for (int n = 0; n < kFftSize; ++n) {
    twentyKilohertz[n] = static_cast<float>(std::sin(2.0 * kPi * 20000.0 * n / 44100.0));
  }
  const Bins at44k = Settled(twentyKilohertz, twentyKilohertz, 0, 44100.0);
  EXPECT_EQ(std::max_element(at44k.begin(), at44k.end()) - at44k.begin(), kSpectrumBins - 1);
  EXPECT_GT(at44k[kSpectrumBins - 1], -3.0f);
  EXPECT_LT(at44k[kSpectrumBins - 1], 0.0f);
}

// Both channels go through the transform together; each must still show at its own frequency and
// level: a full-scale sine on the left at FFT bin 102 (display bin 151) and a half-scale one on the
// right at FFT bin 1168 (display bin 241) read -3.01 and -9.03 dB, the RMS over two channels of
// which one is silent there, and nothing shows far from either.
TEST_F(SpectrumAnalyserTest, EachChannelShowsAtItsOwnFrequency) {
  constexpr int kRightFftBin = 1168;
  constexpr int kRightDisplayBin = 241;
  const Bins bins = Settled(Sine(kCentredFftBin, 1.0), Sine(kRightFftBin, 0.5), 1234);
  EXPECT_NEAR(bins[kCentredDisplayBin], -3.01, 0.05);
  EXPECT_NEAR(bins[kRightDisplayBin], -9.03, 0.05);
  for (int i = 0; i < kSpectrumBins; ++i) {
    const double fftBin = SpectrumBinFrequency(i, kFs) * kFftSize / kFs;
    if (std::abs(fftBin - kCentredFftBin) > 2.0 && std::abs(fftBin - kRightFftBin) > 2.0) {
      EXPECT_LT(bins[i], -100.0f) << "bin " << i;
    }
  }
}

struct BetweenCase {
  int fftBin;      // a full-scale sine on both channels: magnitude 1 there, 0.5 in the bins beside it
  int displayBin;  // a display bin between that FFT bin and a neighbour
  double expectedDb;
};

class SpectrumBetweenBins : public SpectrumAnalyserTest, public ::testing::WithParamInterface<BetweenCase> {};

// A display bin between two FFT bins reads their magnitudes mixed linearly by where it lies.
TEST_P(SpectrumBetweenBins, InterpolatesTheTwoMagnitudes) {
  const BetweenCase& c = GetParam();
  const Ring sine = Sine(c.fftBin, 1.0);
  EXPECT_NEAR(Settled(sine, sine)[c.displayBin], c.expectedDb, 0.05);
}

// At 48 kHz display bin 122 (544.9 Hz) lies at FFT bin 46.499, bin 161 (1567.3 Hz) at 133.742 and
// bin 208 (5598.7 Hz) at 477.758: with t the fraction past the lower bin, a sine on the lower bin
// reads (1 - t) + 0.5 t, one on the upper bin 0.5 (1 - t) + t.
INSTANTIATE_TEST_SUITE_P(Fractions, SpectrumBetweenBins,
                         ::testing::Values(BetweenCase{46, 122, -2.49}, BetweenCase{47, 122, -2.51},
                                           BetweenCase{133, 161, -4.02}, BetweenCase{134, 161, -1.20},
                                           BetweenCase{477, 208, -4.13}, BetweenCase{478, 208, -1.12}));

struct SmoothingCase {
  int speed;
  int analyses;
  double fractionOfStep;
};

class SpectrumSmoothing : public SpectrumAnalyserTest, public ::testing::WithParamInterface<SmoothingCase> {};

// A step from silence to a full-scale sine, measured in dB at the sine's display bin.
TEST_P(SpectrumSmoothing, StepResponseFollowsTheSpeed) {
  const SmoothingCase& c = GetParam();
  const Ring sine = Sine(kCentredFftBin, 1.0);
  const double target = Settled(sine, sine)[kCentredDisplayBin];
  Bins bins = Filled(kFloorDb);
  Run(sine, sine, 0, kFs, c.speed, bins, c.analyses);
  const double fraction = (bins[kCentredDisplayBin] - kFloorDb) / (target - kFloorDb);
  EXPECT_NEAR(fraction, c.fractionOfStep, 1e-4);
}

INSTANTIATE_TEST_SUITE_P(Speeds, SpectrumSmoothing,
                         ::testing::Values(SmoothingCase{kFast, 1, 0.7}, SmoothingCase{kFast, 2, 0.91},
                                           SmoothingCase{kMedium, 1, 0.35},
                                           SmoothingCase{kMedium, 3, 0.725375}, SmoothingCase{kSlow, 1, 0.12},
                                           SmoothingCase{kSlow, 9, 0.683522},  // not yet 70 %
                                           SmoothingCase{kSlow, 10, 0.721499},
                                           SmoothingCase{7, 1, 0.12},  // unknown speeds are Slow
                                           SmoothingCase{-1, 1, 0.12}));

struct RingOrderCase {
  int impulseAt;   // ring position of a unit impulse on both channels
  int writeIndex;  // the ring position of the oldest sample
  double windowAtImpulse;
};

class SpectrumRingOrder : public SpectrumAnalyserTest, public ::testing::WithParamInterface<RingOrderCase> {};

// An impulse has a flat spectrum scaled by the window value at its age, so the level shows which
// sample the analyser took as the oldest.
TEST_P(SpectrumRingOrder, WriteIndexIsTheOldestSample) {
  const RingOrderCase& c = GetParam();
  const Ring impulse = Impulse(c.impulseAt);
  const Bins bins = Settled(impulse, impulse, c.writeIndex);
  const double expected = c.windowAtImpulse == 0.0 ? -120.0 : 20.0 * std::log10(c.windowAtImpulse / 1024.0);
  for (int i = 0; i < kSpectrumBins; ++i) EXPECT_NEAR(bins[i], expected, 1e-3) << "bin " << i;
}

INSTANTIATE_TEST_SUITE_P(Ages, SpectrumRingOrder,
                         ::testing::Values(RingOrderCase{1000, 1000, 0.0},  // oldest: the window's zero
                                           RingOrderCase{1000, 3048, 1.0},  // age 2048: the window's peak
                                           RingOrderCase{1000, 4072, 0.5},  // age 1024
                                           RingOrderCase{1000, 2024, 0.5},  // age 3072
                                           RingOrderCase{3000, 952, 1.0},   // wraps past the ring's end
                                           RingOrderCase{2048, 0, 1.0}));

TEST_F(SpectrumAnalyserTest, OutOfRangeWriteIndexIsWrapped) {
  const Ring impulse = Impulse(1000);
  const struct {
    int given;
    int wrapped;
  } cases[] = {{-1048, 3048}, {4096, 0}, {4096 + 3048, 3048}, {-1, 4095}, {INT_MIN, 0}, {INT_MAX, 4095}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.given);
    const Bins expected = Settled(impulse, impulse, c.wrapped);
    const Bins bins = Settled(impulse, impulse, c.given);
    for (int i = 0; i < kSpectrumBins; ++i) EXPECT_FLOAT_EQ(bins[i], expected[i]) << "bin " << i;
  }
}

TEST_F(SpectrumAnalyserTest, NonFiniteSamplesReadAsSilence) {
  const Ring impulse = Impulse(1000);
  const Bins clean = Settled(impulse, impulse, 3048);
  Ring left = impulse, right = impulse;
  left[10] = std::numeric_limits<float>::quiet_NaN();
  left[3047] = std::numeric_limits<float>::infinity();
  right[2000] = -std::numeric_limits<float>::infinity();
  right[3048] = std::numeric_limits<float>::quiet_NaN();
  const Bins bins = Settled(left, right, 3048);
  for (int i = 0; i < kSpectrumBins; ++i) EXPECT_FLOAT_EQ(bins[i], clean[i]) << "bin " << i;
}

TEST_F(SpectrumAnalyserTest, UnusableRatesCountAsFortyEightKilohertz) {
  const Ring sine = Sine(kCentredFftBin, 1.0);
  const Bins at48k = Settled(sine, sine, 0, kFs);
  for (double rate : {kNaN, kInf, -kInf, 0.0, -44100.0}) {
    SCOPED_TRACE(rate);
    const Bins bins = Settled(sine, sine, 0, rate);
    for (int i = 0; i < kSpectrumBins; ++i) EXPECT_FLOAT_EQ(bins[i], at48k[i]) << "bin " << i;
  }
}

// The bin placement for a rate is kept between analyses; a change of rate in either direction must
// place the bins anew, as a fresh analyser would.
TEST_F(SpectrumAnalyserTest, RateChangesMoveTheBins) {
  const Ring sine = Sine(kCentredFftBin, 1.0);
  for (double rate : {44100.0, 96000.0, 22050.0, 44100.0}) {
    SCOPED_TRACE(rate);
    SpectrumAnalyser fresh;
    ASSERT_TRUE(fresh.Prepare());
    Bins expected = Filled(kFloorDb);
    for (int i = 0; i < 40; ++i) fresh.Analyse(sine.data(), sine.data(), 0, rate, kFast, expected.data());
    const Bins bins = Settled(sine, sine, 0, rate);
    for (int i = 0; i < kSpectrumBins; ++i) EXPECT_FLOAT_EQ(bins[i], expected[i]) << "bin " << i;
  }
}

// Rates far outside audio put display bins beyond either end of the FFT; they must stay in range.
TEST_F(SpectrumAnalyserTest, ExtremeRatesGiveBoundedBins) {
  const Ring sine = Sine(kCentredFftBin, 1.0);
  for (double rate : {5e-324, 1e-300, 1.0, 30.0, 1e7, 1e300, std::numeric_limits<double>::max()}) {
    SCOPED_TRACE(rate);
    const Bins bins = Settled(sine, sine, 0, rate);
    for (int i = 0; i < kSpectrumBins; ++i) {
      EXPECT_GE(bins[i], -120.0f) << "bin " << i;
      EXPECT_LE(bins[i], 120.0f) << "bin " << i;
    }
  }
}

// Below about 41 Hz most display bins lie above the FFT's last bin; they read that bin, not a value
// extrapolated from the last two.
TEST_F(SpectrumAnalyserTest, BinsBeyondTheTransformReadItsLastBin) {
  constexpr double kRate = 30.0;
  const Ring belowLastBin = Sine(kFftSize / 2 - 2, 1.0);
  const Bins bins = Settled(belowLastBin, belowLastBin, 0, kRate);
  int beyond = 0;
  for (int i = 0; i < kSpectrumBins; ++i) {
    if (SpectrumBinFrequency(i, kRate) * kFftSize / kRate < kFftSize / 2 - 1) continue;
    ++beyond;
    EXPECT_NEAR(bins[i], 20.0 * std::log10(0.5), 0.05) << "bin " << i;
  }
  EXPECT_GT(beyond, 100);
}

// A bin that arrives NaN or infinite (a torn or uninitialised display) restarts from the floor.
TEST_F(SpectrumAnalyserTest, NonFiniteBinsRestartFromTheFloor) {
  const Ring impulse = Impulse(2048);
  const double level = 20.0 * std::log10(1.0 / 1024.0);
  Bins bins = Filled(std::numeric_limits<float>::quiet_NaN());
  bins[1] = std::numeric_limits<float>::infinity();
  bins[2] = -std::numeric_limits<float>::infinity();
  Run(impulse, impulse, 0, kFs, kFast, bins);
  for (int i = 0; i < kSpectrumBins; ++i)
    EXPECT_NEAR(bins[i], -120.0 + (level + 120.0) * 0.7, 1e-3) << "bin " << i;
}

TEST(SpectrumAnalyserPrepare, UnpreparedAnalyserLeavesBinsAlone) {
  SpectrumAnalyser analyser;
  EXPECT_FALSE(analyser.IsPrepared());
  EXPECT_EQ(analyser.Twiddles(), nullptr);
  const Ring sine = Sine(kCentredFftBin, 1.0);
  Bins bins = Filled(-42.0f);
  analyser.Analyse(sine.data(), sine.data(), 0, kFs, kFast, bins.data());
  for (float db : bins) EXPECT_EQ(db, -42.0f);
}

// Every allocation that Prepare makes is allowed to fail in turn; a later Prepare with memory recovers.
TEST(SpectrumAnalyserPrepare, FailedAllocationLeavesItUnpreparedUntilMemoryReturns) {
  long allocations = 0;
  {
    SpectrumAnalyser probe;
    bool prepared = false;
    {
      plugfw::test::AllocationCounter counter;
      prepared = probe.Prepare();
      allocations = counter.Count();
    }
    ASSERT_TRUE(prepared);
  }
  ASSERT_GT(allocations, 0);
  const Ring sine = Sine(kCentredFftBin, 1.0);
  for (int failing = 0; failing < allocations; ++failing) {
    SCOPED_TRACE(failing);
    SpectrumAnalyser analyser;
    bool prepared = true;
    {
      plugfw::test::AllocationLimit limit(failing);
      prepared = analyser.Prepare();
    }
    EXPECT_FALSE(prepared);
    EXPECT_FALSE(analyser.IsPrepared());
    EXPECT_EQ(analyser.Twiddles(), nullptr);
    Bins bins = Filled(-42.0f);
    analyser.Analyse(sine.data(), sine.data(), 0, kFs, kFast, bins.data());
    for (float db : bins) EXPECT_EQ(db, -42.0f);

    ASSERT_TRUE(analyser.Prepare());
    analyser.Analyse(sine.data(), sine.data(), 0, kFs, kFast, bins.data());
    EXPECT_NE(bins[kCentredDisplayBin], -42.0f);
  }
}

// Reset runs Prepare again: it keeps its buffers and the transform still works.
TEST(SpectrumAnalyserPrepare, RepeatedPrepareKeepsItsBuffers) {
  SpectrumAnalyser analyser;
  ASSERT_TRUE(analyser.Prepare());
  const std::complex<double>* twiddles = analyser.Twiddles();
  bool prepared = false;
  long allocations = -1;
  {
    plugfw::test::AllocationCounter counter;
    prepared = analyser.Prepare();
    allocations = counter.Count();
  }
  ASSERT_TRUE(prepared);
  EXPECT_EQ(allocations, 0);
  EXPECT_EQ(analyser.Twiddles(), twiddles);
  EXPECT_EQ(twiddles[0], std::complex<double>(1.0, 0.0));
  EXPECT_NEAR(twiddles[kFftSize / 4].imag(), -1.0, 1e-15);
}

}  // namespace
}  // namespace halcyra
