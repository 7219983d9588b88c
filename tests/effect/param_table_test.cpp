#include "effect/param_table.h"

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <string>

namespace halcyra {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// The record name and label fields that the table feeds hold 32 characters with the terminator.
constexpr size_t kRecordTextCapacity = 32;

std::string IdentifierFromName(const char* name) {
  std::string identifier;
  for (const char* c = name; *c != '\0'; ++c) {
    identifier += *c == ' ' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
  }
  return identifier;
}

std::array<float, kParamCount> Defaults() {
  std::array<float, kParamCount> values{};
  FillParamDefaults(values.data());
  return values;
}

TEST(ParamTable, EveryRowIsCompleteAndConsistent) {
  std::set<std::string> names;
  for (int i = 0; i < kParamCount; ++i) {
    SCOPED_TRACE(i);
    const ParamDefinition* definition = GetParamDefinition(i);
    ASSERT_NE(definition, nullptr);
    ASSERT_NE(definition->name, nullptr);
    ASSERT_NE(definition->identifier, nullptr);
    ASSERT_NE(definition->unit, nullptr);
    ASSERT_NE(definition->help, nullptr);
    EXPECT_GT(std::strlen(definition->name), 0u);
    EXPECT_LT(std::strlen(definition->name), kRecordTextCapacity);
    EXPECT_LT(std::strlen(definition->unit), kRecordTextCapacity);
    EXPECT_GT(std::strlen(definition->help), 0u);
    EXPECT_EQ(definition->identifier, IdentifierFromName(definition->name));
    EXPECT_EQ(FindParamIndex(definition->identifier), i);
    EXPECT_TRUE(names.insert(definition->name).second) << "duplicate name " << definition->name;
    EXPECT_LT(definition->minValue, definition->maxValue);
    EXPECT_GE(definition->defaultValue, definition->minValue);
    EXPECT_LE(definition->defaultValue, definition->maxValue);
    EXPECT_EQ(ParamDefault(i), definition->defaultValue);
  }
}

TEST(ParamTable, InvalidIndicesHaveNoRow) {
  for (int index : {-1, kParamCount, INT_MIN, INT_MAX}) {
    EXPECT_EQ(GetParamDefinition(index), nullptr);
    EXPECT_FALSE(IsSteppedParam(index));
    EXPECT_FALSE(IsExponentialParam(index));
    EXPECT_EQ(ParamDefault(index), 0.0f);
    EXPECT_EQ(SanitizeParamValue(index, 5.0f), 0.0f);
  }
}

struct RowCase {
  int index;
  const char* name;
  const char* identifier;
  const char* unit;
  float defaultValue;
  float minValue;
  float maxValue;
  ParamKind kind;
};

class ParamTableRow : public ::testing::TestWithParam<RowCase> {};

TEST_P(ParamTableRow, MatchesTheTable) {
  const RowCase& c = GetParam();
  const ParamDefinition* definition = GetParamDefinition(c.index);
  ASSERT_NE(definition, nullptr);
  EXPECT_STREQ(definition->name, c.name);
  EXPECT_STREQ(definition->identifier, c.identifier);
  EXPECT_STREQ(definition->unit, c.unit);
  EXPECT_EQ(definition->defaultValue, c.defaultValue);
  EXPECT_EQ(definition->minValue, c.minValue);
  EXPECT_EQ(definition->maxValue, c.maxValue);
  EXPECT_EQ(definition->kind, c.kind);
}

INSTANTIATE_TEST_SUITE_P(
    SpotChecks, ParamTableRow,
    ::testing::Values(
        RowCase{kParamInput, "Input", "input", "dB", 0.0f, -24.0f, 24.0f, ParamKind::kLinear},
        RowCase{kParamMix, "Mix", "mix", "%", 35.0f, 0.0f, 100.0f, ParamKind::kLinear},
        RowCase{kParamModel, "Model", "model", "", 0.0f, 0.0f, 11.0f, ParamKind::kStepped},
        RowCase{kParamVoices, "Voices", "voices", "", 2.0f, 1.0f, 8.0f, ParamKind::kStepped},
        RowCase{kParamBaseDelay, "Base Delay", "base-delay", "ms", 18.0f, 0.5f, 60.0f,
                ParamKind::kExponential},
        RowCase{kParamRate, "Rate", "rate", "Hz", 0.35f, 0.01f, 20.0f, ParamKind::kExponential},
        RowCase{kParamFeedback, "Feedback", "feedback", "%", 0.0f, 0.0f, 90.0f, ParamKind::kLinear},
        RowCase{kParamWetLp, "Wet LP", "wet-lp", "Hz", 20000.0f, 200.0f, 20000.0f, ParamKind::kExponential},
        RowCase{kParamNoiseLevel, "Noise Level", "noise-level", "dBFS", -80.0f, -100.0f, -40.0f,
                ParamKind::kLinear},
        RowCase{kParamMonoBassFrequency, "Mono Bass Frequency", "mono-bass-frequency", "Hz", 120.0f, 20.0f,
                500.0f, ParamKind::kExponential},
        RowCase{kParamEnvelopeDetector, "Envelope Detector", "envelope-detector", "", 1.0f, 0.0f, 2.0f,
                ParamKind::kStepped},
        RowCase{kParamScTrim, "SC Trim", "sc-trim", "dB", 0.0f, -24.0f, 24.0f, ParamKind::kLinear},
        RowCase{kParamEnvelopeRelease, "Envelope Release", "envelope-release", "ms", 180.0f, 5.0f, 3000.0f,
                ParamKind::kExponential},
        RowCase{kParamTempoFallback, "Tempo Fallback", "tempo-fallback", "BPM", 120.0f, 30.0f, 300.0f,
                ParamKind::kLinear},
        RowCase{kParamDcFilter, "DC Filter", "dc-filter", "", 0.0f, 0.0f, 1.0f, ParamKind::kStepped},
        RowCase{64, "Voice 1 Enabled", "voice-1-enabled", "", 1.0f, 0.0f, 1.0f, ParamKind::kStepped},
        RowCase{66, "Voice 1 Rate Ratio", "voice-1-rate-ratio", "", 1.0f, 0.25f, 4.0f,
                ParamKind::kExponential},
        RowCase{75, "Voice 2 Phase Offset", "voice-2-phase-offset", "deg", 45.0f, 0.0f, 360.0f,
                ParamKind::kLinear},
        RowCase{101, "Voice 5 Detune Offset", "voice-5-detune-offset", "cents", 0.0f, -50.0f, 50.0f,
                ParamKind::kLinear},
        RowCase{127, "Voice 8 Level", "voice-8-level", "dB", 0.0f, -24.0f, 6.0f, ParamKind::kLinear}));

TEST(ParamTable, HelpTextsAreVerbatimAndSharedAcrossVoices) {
  EXPECT_STREQ(GetParamDefinition(kParamInput)->help,
               "Trim the processed input. Raw dry/bypass monitoring stays untrimmed.");
  EXPECT_STREQ(GetParamDefinition(kParamSplitHigh)->help,
               "Requested upper split frequency. Crossed requests are ordered safely inside the engine "
               "without rewriting automation.");
  EXPECT_STREQ(GetParamDefinition(kParamDcFilter)->help,
               "Enable the original low-frequency DC removal. Off is useful for exact neutral calibration.");
  EXPECT_STREQ(GetParamDefinition(VoiceParamIndex(0, kVoicePan))->help,
               "Requested pan for this voice. Drag horizontally in the field; actual engine pan may also "
               "reflect Spread/model routing.");
  EXPECT_STREQ(GetParamDefinition(VoiceParamIndex(3, kVoiceLevel))->help,
               "Voice level in dB. Active voice weighting is normalized to keep feedback energy controlled.");

  std::set<std::string> globalHelps;
  for (int i = 0; i < kGlobalParamCount; ++i) globalHelps.insert(GetParamDefinition(i)->help);
  EXPECT_EQ(globalHelps.size(), static_cast<size_t>(kGlobalParamCount));
}

TEST(ParamTable, FindParamIndexRejectsUnknownIdentifiers) {
  EXPECT_EQ(FindParamIndex("voice-3-pan"), VoiceParamIndex(2, kVoicePan));
  for (const char* unknown : {"", "Input", "base delay", "voice-9-pan", "voice-0-pan", "inputs", "inpu"}) {
    EXPECT_EQ(FindParamIndex(unknown), -1) << unknown;
  }
  EXPECT_EQ(FindParamIndex(nullptr), -1);
}

TEST(ParamKinds, MatchTheListedSets) {
  const std::set<int> stepped = {3,  4,  5,  9,  10, 13, 22, 30, 35, 38, 39,
                                 40, 41, 48, 55, 56, 59, 60, 61, 62, 63};
  const std::set<int> exponential = {6, 8, 16, 23, 24, 25, 26, 34, 36, 37, 46, 47, 52, 53};
  for (int i = 0; i < kParamCount; ++i) {
    SCOPED_TRACE(i);
    const int field = VoiceFieldOfParam(i);
    const bool expectStepped = field == kVoiceEnabled || stepped.count(i) == 1;
    const bool expectExponential = field == kVoiceRateRatio || exponential.count(i) == 1;
    EXPECT_EQ(IsSteppedParam(i), expectStepped);
    EXPECT_EQ(IsExponentialParam(i), expectExponential);
    const ParamKind expectedKind = expectStepped       ? ParamKind::kStepped
                                   : expectExponential ? ParamKind::kExponential
                                                       : ParamKind::kLinear;
    EXPECT_EQ(GetParamDefinition(i)->kind, expectedKind);
  }
  EXPECT_TRUE(IsSteppedParam(72));
  EXPECT_TRUE(IsExponentialParam(74));
  EXPECT_FALSE(IsExponentialParam(75));
}

TEST(ParamKinds, FixStepAndDisplayPrecision) {
  EXPECT_EQ(ParamStep(ParamKind::kStepped), 1.0);
  EXPECT_EQ(ParamDisplayPrecision(ParamKind::kStepped), 0);
  EXPECT_EQ(ParamStep(ParamKind::kExponential), 0.001);
  EXPECT_EQ(ParamDisplayPrecision(ParamKind::kExponential), 3);
  EXPECT_EQ(ParamStep(ParamKind::kLinear), 0.01);
  EXPECT_EQ(ParamDisplayPrecision(ParamKind::kLinear), 2);
}

TEST(VoiceLayout, SlotsFollowTheGlobals) {
  EXPECT_EQ(VoiceParamIndex(0, kVoiceEnabled), 64);
  EXPECT_EQ(VoiceParamIndex(1, kVoiceRateRatio), 74);
  EXPECT_EQ(VoiceParamIndex(7, kVoiceLevel), 127);
  for (int voice = 0; voice < kVoiceCount; ++voice) {
    for (int field = 0; field < kVoiceFieldCount; ++field) {
      const int index = VoiceParamIndex(voice, field);
      EXPECT_EQ(VoiceOfParam(index), voice);
      EXPECT_EQ(VoiceFieldOfParam(index), field);
    }
  }
  const int invalid[][2] = {{-1, 0}, {8, 0}, {0, -1}, {0, 8}, {INT_MAX, 0}, {0, INT_MIN}};
  for (const auto& pair : invalid) EXPECT_EQ(VoiceParamIndex(pair[0], pair[1]), -1);
  for (int index : {-1, 0, 63, 128}) {
    EXPECT_EQ(VoiceOfParam(index), -1);
    EXPECT_EQ(VoiceFieldOfParam(index), -1);
  }
}

TEST(VoiceLayout, VoicesShareFieldsAndDifferOnlyInPhaseAndPanDefaults) {
  for (int field = 0; field < kVoiceFieldCount; ++field) {
    const ParamDefinition& first = *GetParamDefinition(VoiceParamIndex(0, field));
    for (int voice = 1; voice < kVoiceCount; ++voice) {
      SCOPED_TRACE(testing::Message() << "voice " << voice << " field " << field);
      const ParamDefinition& definition = *GetParamDefinition(VoiceParamIndex(voice, field));
      const std::string expectedName =
          "Voice " + std::to_string(voice + 1) + std::string(first.name).substr(std::strlen("Voice 1"));
      EXPECT_EQ(definition.name, expectedName);
      EXPECT_STREQ(definition.unit, first.unit);
      EXPECT_EQ(definition.minValue, first.minValue);
      EXPECT_EQ(definition.maxValue, first.maxValue);
      EXPECT_EQ(definition.kind, first.kind);
      EXPECT_STREQ(definition.help, first.help);
      if (field != kVoicePhaseOffset && field != kVoicePan) {
        EXPECT_EQ(definition.defaultValue, first.defaultValue);
      }
    }
  }
}

TEST(VoiceLayout, PhaseAndPanDefaultsFanOut) {
  const float pans[kVoiceCount] = {-100.0f,    100.0f,    -71.42857f,  71.42857f,
                                   -42.85714f, 42.85714f, -14.285714f, 14.285714f};
  for (int voice = 0; voice < kVoiceCount; ++voice) {
    SCOPED_TRACE(voice);
    EXPECT_EQ(ParamDefault(VoiceParamIndex(voice, kVoicePhaseOffset)), 45.0f * voice);
    const float pan = ParamDefault(VoiceParamIndex(voice, kVoicePan));
    EXPECT_FLOAT_EQ(pan, pans[voice]);
    // Each pair mirrors exactly, so a default stereo field is balanced.
    if (voice % 2 == 1) {
      EXPECT_EQ(pan, -ParamDefault(VoiceParamIndex(voice - 1, kVoicePan)));
    }
  }
}

TEST(ParamValueLabel, EveryValueOfEverySteppedParameterHasALabel) {
  for (int i = 0; i < kParamCount; ++i) {
    if (!IsSteppedParam(i)) continue;
    SCOPED_TRACE(GetParamDefinition(i)->name);
    const int minValue = static_cast<int>(GetParamDefinition(i)->minValue);
    const int maxValue = static_cast<int>(GetParamDefinition(i)->maxValue);
    std::set<std::string> labels;
    for (int value = minValue; value <= maxValue; ++value) {
      const char* label = ParamValueLabel(i, value);
      ASSERT_NE(label, nullptr);
      EXPECT_GT(std::strlen(label), 0u) << value;
      EXPECT_LT(std::strlen(label), kRecordTextCapacity);
      labels.insert(label);
    }
    EXPECT_EQ(labels.size(), static_cast<size_t>(maxValue - minValue + 1)) << "labels must be distinct";
    EXPECT_STREQ(ParamValueLabel(i, minValue - 1), "");
    EXPECT_STREQ(ParamValueLabel(i, maxValue + 1), "");
  }
}

struct LabelCase {
  int index;
  int value;
  const char* label;
};

class ParamValueLabelCase : public ::testing::TestWithParam<LabelCase> {};

TEST_P(ParamValueLabelCase, GivesTheListedText) {
  const LabelCase& c = GetParam();
  const char* label = ParamValueLabel(c.index, c.value);
  ASSERT_NE(label, nullptr);
  EXPECT_STREQ(label, c.label);
}

INSTANTIATE_TEST_SUITE_P(
    Listed, ParamValueLabelCase,
    ::testing::Values(LabelCase{kParamModel, 0, "Digital Classic"}, LabelCase{kParamModel, 5, "Analog BBD"},
                      LabelCase{kParamModel, 11, "Diffused Chorus"}, LabelCase{kParamVoices, 1, "1"},
                      LabelCase{kParamVoices, 8, "8"}, LabelCase{kParamStages, 6, "6"},
                      LabelCase{kParamDivision, 0, "4 Bars"}, LabelCase{kParamDivision, 7, "Quarter Dotted"},
                      LabelCase{kParamDivision, 10, "Eighth Triplet"},
                      LabelCase{kParamWave, 6, "Sample Hold"},
                      LabelCase{kParamFeedbackPolarity, 1, "Negative"},
                      LabelCase{kParamProcessBand, 4, "Side Only"},
                      LabelCase{kParamInputRouting, 4, "Decode MS"}, LabelCase{kParamOutputRouting, 2, "Mid"},
                      LabelCase{kParamEnvelopeDetector, 1, "RMS"}, LabelCase{kParamInterpolation, 1, "Cubic"},
                      LabelCase{kParamMonitor, 1, "Raw Dry"}, LabelCase{kParamMonitor, 7, "External"},
                      LabelCase{kParamAnalyzerSpeed, 2, "Slow"}, LabelCase{kParamBypass, 0, "Off"},
                      LabelCase{kParamAnalyzer, 1, "On"}, LabelCase{64, 1, "On"}, LabelCase{120, 0, "Off"}));

INSTANTIATE_TEST_SUITE_P(Empty, ParamValueLabelCase,
                         ::testing::Values(LabelCase{kParamVoices, 0, ""}, LabelCase{kParamWave, 7, ""},
                                           LabelCase{kParamFeedback, 1, ""},
                                           LabelCase{kParamBaseDelay, 18, ""}, LabelCase{65, 0, ""},
                                           LabelCase{-1, 0, ""}, LabelCase{kParamCount, 0, ""},
                                           LabelCase{kParamModel, INT_MIN, ""},
                                           LabelCase{kParamModel, INT_MAX, ""},
                                           LabelCase{kParamVoices, INT_MIN, ""}));

struct SanitizeCase {
  const char* what;
  int index;
  float input;
  float expected;
};

class SanitizeParamValueCase : public ::testing::TestWithParam<SanitizeCase> {};

TEST_P(SanitizeParamValueCase, GivesTheSafeValue) {
  const SanitizeCase& c = GetParam();
  EXPECT_EQ(SanitizeParamValue(c.index, c.input), c.expected) << c.what;

  // The whole-set form treats each index alike, whatever its neighbours hold.
  std::array<float, kParamCount> values;
  values.fill(kNaN);
  values[c.index] = c.input;
  SanitizeParams(values.data(), values.data());
  EXPECT_EQ(values[c.index], c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SanitizeParamValueCase,
    ::testing::Values(SanitizeCase{"NaN voices", kParamVoices, kNaN, 2.0f},
                      SanitizeCase{"+inf voices", kParamVoices, kInf, 2.0f},
                      SanitizeCase{"-inf mix", kParamMix, -kInf, 35.0f},
                      SanitizeCase{"+inf split high", kParamSplitHigh, kInf, 3500.0f},
                      SanitizeCase{"9.6 voices", kParamVoices, 9.6f, 8.0f},
                      SanitizeCase{"2.5 voices round up", kParamVoices, 2.5f, 3.0f},
                      SanitizeCase{"3.5 voices round up", kParamVoices, 3.5f, 4.0f},
                      SanitizeCase{"2.49 voices", kParamVoices, 2.49f, 2.0f},
                      SanitizeCase{"0.5 bypass", kParamBypass, 0.5f, 1.0f},
                      SanitizeCase{"0.49 bypass", kParamBypass, 0.49f, 0.0f},
                      SanitizeCase{"-0.5 bypass", kParamBypass, -0.5f, 0.0f},
                      SanitizeCase{"-1.5 model", kParamModel, -1.5f, 0.0f},
                      SanitizeCase{"0.4 voices below min", kParamVoices, 0.4f, 1.0f},
                      SanitizeCase{"10.5 model above max", kParamModel, 10.5f, 11.0f},
                      SanitizeCase{"huge model", kParamModel, 3e38f, 11.0f},
                      SanitizeCase{"-7 base delay", kParamBaseDelay, -7.0f, 0.5f},
                      SanitizeCase{"linear keeps fractions", kParamMix, 35.7f, 35.7f},
                      SanitizeCase{"linear negative kept", kParamInput, -12.5f, -12.5f},
                      SanitizeCase{"linear below min", kParamDetune, -30.0f, -25.0f},
                      SanitizeCase{"linear above max", kParamOutput, 30.0f, 24.0f},
                      SanitizeCase{"exponential fraction kept", kParamRate, 0.017f, 0.017f},
                      SanitizeCase{"voice pan clamp", VoiceParamIndex(4, kVoicePan), -101.0f, -100.0f},
                      SanitizeCase{"voice enabled half", VoiceParamIndex(7, kVoiceEnabled), 0.5f, 1.0f},
                      SanitizeCase{"NaN voice pan", VoiceParamIndex(2, kVoicePan), kNaN, -71.42857f}));

TEST(SanitizeParams, GarbageBecomesAValidSet) {
  const float garbage[] = {kNaN, kInf, -kInf, 3e38f, -3e38f, 1e-40f, -0.5f, 0.5f, 7.5f, -12.25f};
  std::array<float, kParamCount> input;
  for (int i = 0; i < kParamCount; ++i) input[i] = garbage[i % (sizeof(garbage) / sizeof(garbage[0]))];
  std::array<float, kParamCount> output;
  SanitizeParams(input.data(), output.data());
  for (int i = 0; i < kParamCount; ++i) {
    SCOPED_TRACE(i);
    const ParamDefinition& definition = *GetParamDefinition(i);
    ASSERT_TRUE(std::isfinite(output[i]));
    EXPECT_GE(output[i], definition.minValue);
    EXPECT_LE(output[i], definition.maxValue);
    if (definition.kind == ParamKind::kStepped) {
      EXPECT_EQ(output[i], std::trunc(output[i]));
    }
  }
}

TEST(SanitizeParams, DefaultsPassUnchangedAndNullInputGivesDefaults) {
  const std::array<float, kParamCount> defaults = Defaults();
  std::array<float, kParamCount> output;
  output.fill(kNaN);
  SanitizeParams(defaults.data(), output.data());
  EXPECT_EQ(output, defaults);

  output.fill(kNaN);
  SanitizeParams(nullptr, output.data());
  EXPECT_EQ(output, defaults);

  SanitizeParams(defaults.data(), nullptr);  // must not crash
}

constexpr double kDefaultTail = 3.2717424;
constexpr double kDiffusedTail = 5.3021424;

struct TailCase {
  const char* what;
  int index;  // -1: defaults only
  float value;
  double expectedSeconds;
};

class ComputeTailSecondsCase : public ::testing::TestWithParam<TailCase> {};

TEST_P(ComputeTailSecondsCase, GivesTheListedTail) {
  const TailCase& c = GetParam();
  std::array<float, kParamCount> values = Defaults();
  if (c.index >= 0) values[c.index] = c.value;
  EXPECT_NEAR(ComputeTailSeconds(values.data()), c.expectedSeconds, 1e-6) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ComputeTailSecondsCase,
    ::testing::Values(TailCase{"defaults", -1, 0.0f, kDefaultTail},
                      TailCase{"diffusion above 0", kParamDiffusion, 0.1f, kDiffusedTail},
                      TailCase{"diffused chorus model", kParamModel, 11.0f, kDiffusedTail},
                      TailCase{"model 10 has no diffusion", kParamModel, 10.0f, kDefaultTail},
                      TailCase{"model 10.6 rounds to diffused", kParamModel, 10.6f, kDiffusedTail},
                      TailCase{"feedback 50", kParamFeedback, 50.0f, 11.4317424},
                      TailCase{"feedback 90", kParamFeedback, 90.0f, 55.8317424},
                      TailCase{"feedback above range clamps to 90", kParamFeedback, 100.0f, 55.8317424},
                      TailCase{"feedback NaN is the default", kParamFeedback, kNaN, kDefaultTail},
                      TailCase{"feedback +inf is the default", kParamFeedback, kInf, kDefaultTail},
                      TailCase{"negative feedback clamps to 0", kParamFeedback, -50.0f, kDefaultTail},
                      TailCase{"noise 0.4 rounds off", kParamAnalogNoise, 0.4f, kDefaultTail}));

TEST(ComputeTailSeconds, AnalogNoiseMakesTheTailInfinite) {
  std::array<float, kParamCount> values = Defaults();
  values[kParamAnalogNoise] = 1.0f;
  EXPECT_EQ(ComputeTailSeconds(values.data()), std::numeric_limits<double>::infinity());
  values[kParamFeedback] = 90.0f;
  values[kParamDiffusion] = 100.0f;
  EXPECT_EQ(ComputeTailSeconds(values.data()), std::numeric_limits<double>::infinity());
  values[kParamAnalogNoise] = 0.5f;  // rounds to on
  EXPECT_EQ(ComputeTailSeconds(values.data()), std::numeric_limits<double>::infinity());
}

TEST(ComputeTailSeconds, OddInputsGiveAFiniteNonNegativeTail) {
  EXPECT_NEAR(ComputeTailSeconds(nullptr), kDefaultTail, 1e-6);
  for (float fill : {kNaN, kInf, -kInf, -3e38f, 1e-45f, 89.999f}) {
    SCOPED_TRACE(fill);
    std::array<float, kParamCount> values;
    values.fill(fill);
    values[kParamAnalogNoise] = 0.0f;
    const double seconds = ComputeTailSeconds(values.data());
    EXPECT_TRUE(std::isfinite(seconds));
    EXPECT_GE(seconds, kDefaultTail - 1e-6);
    EXPECT_LE(seconds, 55.8317424 + 2.0304 + 1e-6);
  }
}

struct TailSamplesCase {
  const char* what;
  double seconds;
  double sampleRate;
  int32_t expected;
};

class TailSamplesFromSecondsCase : public ::testing::TestWithParam<TailSamplesCase> {};

TEST_P(TailSamplesFromSecondsCase, IsCeiledAndLimited) {
  const TailSamplesCase& c = GetParam();
  EXPECT_EQ(TailSamplesFromSeconds(c.seconds, c.sampleRate), c.expected) << c.what;
}

constexpr double kInfiniteSeconds = std::numeric_limits<double>::infinity();
constexpr double kNaNSeconds = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Cases, TailSamplesFromSecondsCase,
    ::testing::Values(TailSamplesCase{"infinite", kInfiniteSeconds, 48000.0, -1},
                      TailSamplesCase{"infinite at NaN rate", kInfiniteSeconds, kNaNSeconds, -1},
                      TailSamplesCase{"exact multiple", 1.0, 48000.0, 48000},
                      TailSamplesCase{"fraction rounds up", 1.00001, 48000.0, 48001},
                      TailSamplesCase{"zero", 0.0, 48000.0, 0}, TailSamplesCase{"negative", -3.0, 48000.0, 0},
                      TailSamplesCase{"-inf", -kInfiniteSeconds, 48000.0, 0},
                      TailSamplesCase{"NaN seconds", kNaNSeconds, 48000.0, 0},
                      TailSamplesCase{"NaN rate", 3.0, kNaNSeconds, 0},
                      TailSamplesCase{"negative rate", 3.0, -48000.0, 0},
                      TailSamplesCase{"above int32", 1e6, 192000.0, 2147483646},
                      TailSamplesCase{"infinite rate", 3.0, kInfiniteSeconds, 2147483646}));

TEST(TailSamplesFromSeconds, DefaultTailAt48kHz) {
  EXPECT_EQ(TailSamplesFromSeconds(ComputeTailSeconds(nullptr), 48000.0), 157044);
  std::array<float, kParamCount> values = Defaults();
  values[kParamAnalogNoise] = 1.0f;
  EXPECT_EQ(TailSamplesFromSeconds(ComputeTailSeconds(values.data()), 48000.0), kInfiniteTailSamples);
}

}  // namespace
}  // namespace halcyra
