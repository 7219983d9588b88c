#include "editor/value_units.h"

#include <gtest/gtest.h>

#include <string>

#include "effect/param_table.h"

namespace halcyra {
namespace {

const int kRateRatioOfVoice1 = VoiceParamIndex(0, kVoiceRateRatio);
const int kDelayOffsetOfVoice1 = VoiceParamIndex(0, kVoiceDelayOffset);

std::string Formatted(int param, double value) {
  char text[kValueTextCapacity];
  FormatValueWithUnit(param, value, text);
  return text;
}

struct FormatCase {
  int param;
  double value;
  const char* expected;
};

TEST(FormatValueWithUnit, ShowsEachUnitAsAMusicianReadsIt) {
  const FormatCase cases[] = {
      {kParamRate, 12.4, "12 Hz"},
      {kParamRate, 2.5, "2.50 Hz"},
      {kParamRate, 9.99, "9.99 Hz"},
      {kParamRate, 10.0, "10 Hz"},
      {kParamFeedbackLp, 999.99, "1000 Hz"},  // below 1 kHz, shown to the whole hertz
      {kParamFeedbackLp, 1000.0, "1.00 kHz"},
      {kParamFeedbackLp, 12500.0, "12.50 kHz"},
      {kParamBaseDelay, 0.5, "0.50 ms"},
      {kParamBaseDelay, 2.5, "2.5 ms"},
      {kParamBaseDelay, 9.99, "10.0 ms"},  // below 10 ms, shown to the tenth
      {kParamBaseDelay, 10.0, "10 ms"},
      {kDelayOffsetOfVoice1, -15.0, "-15.00 ms"},
      {kParamInput, -6.25, "-6.3 dB"},
      {kParamNoiseLevel, -80.0, "-80.0 dBFS"},
      {kParamMix, 35.0, "35 %"},
      {kParamBalance, -0.3, "0 %"},  // no "-0 %" at the centre
      {kRateRatioOfVoice1, 1.0, "1.00 x"},
      {kParamPhase, 90.0, "90.0 deg"},
      {kParamDetune, 3.0, "+3.0 ct"},
      {kParamDetune, -2.5, "-2.5 ct"},
      {kParamDetune, 0.0, "+0.0 ct"},
      {kParamDetune, -0.01, "+0.0 ct"},
      {kParamTempoFallback, 120.0, "120.0 BPM"},
      {kParamVoices, 2.0, "2.00"},
      {500, 1.5, "1.50"},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(Formatted(c.param, c.value), c.expected);
  }
}

struct ParseCase {
  int param;
  const char* text;
  bool accepted;
  double expected;
};

TEST(ParseValueWithUnit, AcceptsTheUnitsSpellingsAndScales) {
  const ParseCase cases[] = {
      {kParamFeedbackLp, "2.5 k", true, 2500.0},
      {kParamFeedbackLp, "2.5kHz", true, 2500.0},
      {kParamFeedbackLp, "  1.2  K hz ", true, 1200.0},
      {kParamFeedbackLp, "2500 HZ", true, 2500.0},
      {kParamEnvelopeRelease, "250ms", true, 250.0},
      {kParamEnvelopeRelease, "0.25 s", true, 250.0},
      {kParamEnvelopeRelease, "0.25S", true, 250.0},
      {kParamEnvelopeRelease, "250", true, 250.0},
      {kParamInput, "12 dBFS", true, 12.0},
      {kParamInput, "-12 db", true, -12.0},
      {kParamBalance, "-50 %", true, -50.0},
      {kParamDetune, "+3 ct", true, 3.0},
      {kParamDetune, "-3 cents", true, -3.0},
      {kParamTempoFallback, "140 bpm", true, 140.0},
      {kParamPhase, "90 degrees", true, 90.0},
      {kRateRatioOfVoice1, "2 x", true, 2.0},
      {kRateRatioOfVoice1, "2:1", true, 2.0},
      {kParamMix, ".5", true, 0.5},
      {kParamMix, "1e1", true, 10.0},
      // A typed 0.1 lies just below the minimum stored as the float 0.1f.
      {kParamEnvelopeAttack, "0.1 ms", true, 0.1},
      {kParamRate, "0.01 Hz", true, 0.01},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.text);
    double value = -1.0;
    EXPECT_EQ(ParseValueWithUnit(c.param, c.text, value), c.accepted);
    EXPECT_DOUBLE_EQ(value, c.expected);
  }
}

TEST(ParseValueWithUnit, RefusesWithoutChangingTheValue) {
  const std::string tooLong = "1" + std::string(kValueEntryMaxLength, ' ');
  const ParseCase cases[] = {
      {kParamBaseDelay, "5 Hz", false, 0},       // another unit
      {kParamMix, "", false, 0},                 // no number
      {kParamMix, "abc", false, 0},              //
      {kParamMix, "%", false, 0},                //
      {kParamMix, "inf", false, 0},              // not finite
      {kParamMix, "-inf", false, 0},             //
      {kParamMix, "nan", false, 0},              //
      {kParamMix, "1e999", false, 0},            // beyond a double
      {kParamMix, "0x10", false, 0},             // hexadecimal
      {kRateRatioOfVoice1, "0x1p1", false, 0},   //
      {kParamMix, "2,5", false, 0},              // a decimal comma is not a unit
      {kParamMix, "120", false, 0},              // above the maximum
      {kParamMix, "-5", false, 0},               // negative where the minimum is 0: refused, not clamped
      {kParamFeedbackLp, "25 k", false, 0},      // 25 kHz above 20 kHz
      {kParamEnvelopeRelease, "4 s", false, 0},  //
      {kParamDetune, "-26 ct", false, 0},        // below the minimum
      {kParamPhase, "90\xc2\xb0", false, 0},     // a degree sign
      {kParamMix, "5 5", false, 0},              // a second number
      {kParamMix, tooLong.c_str(), false, 0},    // longer than the entry takes
      {200, "5", false, 0},                      // no such parameter
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.text);
    double value = 42.0;
    EXPECT_FALSE(ParseValueWithUnit(c.param, c.text, value));
    EXPECT_EQ(value, 42.0);
  }
  double value = 42.0;
  EXPECT_FALSE(ParseValueWithUnit(kParamMix, nullptr, value));
  const std::string longest = "1" + std::string(kValueEntryMaxLength - 1, ' ');
  EXPECT_TRUE(ParseValueWithUnit(kParamMix, longest.c_str(), value));
}

// Whatever a knob shows at either end of its range must be accepted when typed back.
TEST(ParseValueWithUnit, TakesBackEveryDisplayedMinimumAndMaximum) {
  for (int param = 0; param < kParamCount; ++param) {
    if (IsSteppedParam(param)) continue;
    const ParamDefinition& definition = *GetParamDefinition(param);
    for (const float bound : {definition.minValue, definition.maxValue}) {
      const std::string text = Formatted(param, bound);
      SCOPED_TRACE(std::string(definition.name) + ": " + text);
      double value = 0.0;
      ASSERT_TRUE(ParseValueWithUnit(param, text.c_str(), value));
      EXPECT_EQ(static_cast<float>(value), bound);
    }
  }
}

}  // namespace
}  // namespace halcyra
