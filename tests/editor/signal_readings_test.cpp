// The signal display's scales, meters and words as a musician reads them.

#include "editor/signal_readings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace halcyra::test {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(SignalReadings, SpectrumSpansMinus96ToFullScale) {
  EXPECT_FLOAT_EQ(SpectrumHeightFraction(0.f), 1.f);
  EXPECT_FLOAT_EQ(SpectrumHeightFraction(-48.f), 0.5f);
  EXPECT_FLOAT_EQ(SpectrumHeightFraction(-96.f), 0.f);
  EXPECT_FLOAT_EQ(SpectrumHeightFraction(-120.f), 0.f);
  EXPECT_FLOAT_EQ(SpectrumHeightFraction(12.f), 1.f);
  EXPECT_FLOAT_EQ(SpectrumHeightFraction(kNaN), 0.f);
  EXPECT_FLOAT_EQ(SpectrumHeightFraction(kInf), 0.f);
}

TEST(SignalReadings, TheFrequencyGridEndsWhereTheRateAllows) {
  struct Case {
    double sampleRate;
    double top;
    const char* label;
  };
  const Case cases[] = {
      {48000, 20000, "20.0k"},
      {44100, 20000, "20.0k"},
      {96000, 20000, "20.0k"},
      {32000, 15680, "15.7k"},
      {22050, 10804.5, "10.8k"},
      {11025, 10804.5, "10.8k"},
      {std::nan(""), 20000, "20.0k"},  // counts as 48 kHz
      {-std::numeric_limits<double>::infinity(), 20000, "20.0k"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sampleRate);
    EXPECT_DOUBLE_EQ(TopGridFrequency(c.sampleRate), c.top);
    EXPECT_EQ(FrequencyLabel(TopGridFrequency(c.sampleRate)), c.label);
  }
  EXPECT_EQ(FrequencyLabel(20), "20");
  EXPECT_EQ(FrequencyLabel(200), "200");
  EXPECT_EQ(FrequencyLabel(2000), "2.0k");
  // Log frequency: each decade from 20 Hz to 20 kHz takes a third of the plot.
  EXPECT_DOUBLE_EQ(FrequencyFraction(20, 20000), 0.0);
  EXPECT_NEAR(FrequencyFraction(200, 20000), 1.0 / 3.0, 1e-12);
  EXPECT_DOUBLE_EQ(FrequencyFraction(20000, 20000), 1.0);
}

TEST(SignalReadings, MetersFillOverSixtyDecibels) {
  struct Case {
    float peak;
    float fill;
    bool over;
    const char* label;
  };
  const Case cases[] = {
      {1.f, 1.f, true, "0"},           {2.f, 1.f, true, "6"},       {0.5f, 0.8997f, false, "-6"},
      {0.1f, 2.f / 3.f, false, "-20"}, {0.001f, 0.f, false, "-60"}, {1e-4f, 0.f, false, "-80"},
      {0.f, 0.f, false, "-inf"},       {-0.5f, 0.f, false, "-inf"}, {kNaN, 0.f, false, "-inf"},
      {kInf, 0.f, false, "-inf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.peak);
    const MeterReading meter = ReadMeter(c.peak);
    EXPECT_NEAR(meter.fill, c.fill, 1e-4);
    EXPECT_EQ(meter.over, c.over);
    EXPECT_EQ(MeterLabel(meter), c.label);
  }
}

TEST(SignalReadings, CorrelationAndScopeStayOnTheirTracks) {
  EXPECT_FLOAT_EQ(CorrelationFraction(-1.f), 0.f);
  EXPECT_FLOAT_EQ(CorrelationFraction(0.f), 0.5f);
  EXPECT_FLOAT_EQ(CorrelationFraction(1.f), 1.f);
  EXPECT_FLOAT_EQ(CorrelationFraction(4.f), 1.f);
  EXPECT_FLOAT_EQ(CorrelationFraction(kNaN), 0.5f);
  EXPECT_EQ(CorrelationText(0.873f, true), "+0.87");
  EXPECT_EQ(CorrelationText(-1.f, true), "-1.00");
  EXPECT_EQ(CorrelationText(kNaN, true), "+0.00");
  EXPECT_EQ(CorrelationText(0.5f, false), "--");
  EXPECT_FLOAT_EQ(ScopeCoordinate(0.25f), 0.25f);
  EXPECT_FLOAT_EQ(ScopeCoordinate(-3.f), -1.f);
  EXPECT_FLOAT_EQ(ScopeCoordinate(kNaN), 0.f);
  EXPECT_FLOAT_EQ(ScopeCoordinate(-kInf), 0.f);
}

TEST(SignalReadings, EnvelopeAndModulationLines) {
  EXPECT_EQ(EnvelopeLine(-12.5f, -3.f), "ENV -12.5dBFS / DUCK 3.0dB");
  EXPECT_EQ(EnvelopeLine(-90.f, 0.f), "ENV -inf / DUCK 0.0dB");
  EXPECT_EQ(EnvelopeLine(-89.9f, -0.5f), "ENV -89.9dBFS / DUCK 0.5dB");
  // An envelope that is not finite reads as silence, not as a level.
  EXPECT_EQ(EnvelopeLine(kNaN, -6.f), "ENV -inf / DUCK 6.0dB");
  EXPECT_EQ(EnvelopeLine(kInf, 0.f), "ENV -inf / DUCK 0.0dB");
  // Ducking only ever takes level away.
  EXPECT_EQ(EnvelopeLine(-20.f, 2.f), "ENV -20.0dBFS / DUCK 0.0dB");
  EXPECT_EQ(EnvelopeLine(-20.f, kNaN), "ENV -20.0dBFS / DUCK 0.0dB");
  EXPECT_EQ(ModulationLine(false, 0.8f, 4.5f), "ACTUAL 0.80Hz / 4.50ms");
  EXPECT_EQ(ModulationLine(true, 1.25f, 19.5f), "HEAD 1.25Hz / WINDOW 39.00ms");
  EXPECT_EQ(ModulationLine(false, kNaN, kInf), "ACTUAL 0.00Hz / 0.00ms");
}

}  // namespace
}  // namespace halcyra::test
