#include "editor/relevance.h"

#include <gtest/gtest.h>

#include <set>

#include "effect/chorus_engine.h"
#include "effect/halcyra.h"

namespace halcyra {
namespace {

PlainValues Defaults() {
  PlainValues values{};
  for (int i = 0; i < kParamCount; ++i) values[i] = ParamDefault(i);
  return values;
}

PlainValues WithStructure(Structure structure, int voices) {
  PlainValues values = Defaults();
  values[kParamModel] = static_cast<double>(structure);
  values[kParamVoices] = voices;
  return values;
}

std::set<int> InactiveGlobals(const PlainValues& values) {
  std::set<int> inactive;
  for (int p = 0; p < kGlobalParamCount; ++p) {
    if (IsControlInactive(values, p)) inactive.insert(p);
  }
  return inactive;
}

TEST(Relevance, DefaultsDisableOnlyWhatTheirSwitchesLeaveUnused) {
  // Sync off, Drift 0, Analog Noise off, Mono Bass 0, Duck 0, Diffusion 0, Feedback 0.
  const std::set<int> expected = {kParamDivision,         kParamDriftRate,         kParamCrossFeed,
                                  kParamFeedbackPolarity, kParamFeedbackHp,        kParamFeedbackLp,
                                  kParamNoiseLevel,       kParamMonoBassFrequency, kParamDuckThreshold,
                                  kParamDuckAttack,       kParamDuckRelease,       kParamStages};
  EXPECT_EQ(InactiveGlobals(Defaults()), expected);
}

TEST(Relevance, SwitchingTheSourceOnMakesItsControlsLive) {
  PlainValues values = Defaults();
  values[kParamSync] = 1;
  values[kParamDrift] = 20;
  values[kParamAnalogNoise] = 1;
  values[kParamMonoBass] = 50;
  values[kParamDuck] = 30;
  values[kParamDiffusion] = 10;
  values[kParamFeedback] = 40;
  EXPECT_EQ(InactiveGlobals(values), std::set<int>{kParamRate});  // Sync replaces Rate by Division

  values = Defaults();
  values[kParamAnalyzer] = 0;
  EXPECT_TRUE(IsControlInactive(values, kParamAnalyzerSpeed));
  values = WithStructure(Structure::kDiffusedChorus, 2);  // diffuses without the Diffusion amount
  EXPECT_FALSE(IsControlInactive(values, kParamStages));
}

TEST(Relevance, MicroPitchDisablesRateAndDivisionWhateverSyncHolds) {
  for (const double sync : {0.0, 1.0}) {
    SCOPED_TRACE(sync);
    PlainValues values = WithStructure(Structure::kMicroPitch, 2);
    values[kParamSync] = sync;
    values[kParamDrift] = 50;
    for (const int p :
         {kParamRate, kParamDivision, kParamDepth, kParamSync, kParamWave, kParamSkew, kParamDrift,
          kParamDriftRate, kParamHumanize, kParamEnvelopeDepth, kParamEnvelopeRate}) {
      EXPECT_TRUE(IsControlInactive(values, p)) << p;
    }
    for (const int p : {kParamBaseDelay, kParamDetune, kParamPhase, kParamStereoPhase, kParamMix}) {
      EXPECT_FALSE(IsControlInactive(values, p)) << p;
    }
    // A voice in use keeps delay, phase, detune, pan and level; pitch needs no rate or depth.
    for (int field = 0; field < kVoiceFieldCount; ++field) {
      const bool expected = field == kVoiceRateRatio || field == kVoiceDepthScale;
      EXPECT_EQ(IsControlInactive(values, VoiceParamIndex(0, field)), expected) << field;
    }
  }
}

TEST(Relevance, StructureCapsTheVoicesInUse) {
  struct Case {
    Structure structure;
    int voices;
    int inUse;
  };
  const Case cases[] = {
      {Structure::kTriChorus, 8, 3},      {Structure::kVibrato, 8, 1},   {Structure::kDigitalClassic, 8, 8},
      {Structure::kDigitalClassic, 2, 2}, {Structure::kTriChorus, 2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.structure) * 10 + c.voices);
    const PlainValues values = WithStructure(c.structure, c.voices);
    for (int voice = 0; voice < kVoiceCount; ++voice) {
      const bool inUse = voice < c.inUse;
      EXPECT_EQ(IsVoiceInUse(values, voice), inUse) << voice;
      EXPECT_FALSE(IsControlInactive(values, VoiceParamIndex(voice, kVoiceEnabled))) << voice;
      for (int field = kVoiceDelayOffset; field < kVoiceFieldCount; ++field) {
        EXPECT_EQ(IsControlInactive(values, VoiceParamIndex(voice, field)), !inUse) << voice << "/" << field;
      }
    }
  }
  EXPECT_FALSE(IsVoiceInUse(Defaults(), -1));
  EXPECT_FALSE(IsVoiceInUse(Defaults(), kVoiceCount));
}

TEST(Relevance, ADisabledSlotIsNotInUse) {
  PlainValues values = WithStructure(Structure::kEnsemble, 4);
  values[VoiceParamIndex(1, kVoiceEnabled)] = 0;
  EXPECT_TRUE(IsVoiceInUse(values, 0));
  EXPECT_FALSE(IsVoiceInUse(values, 1));
  EXPECT_TRUE(IsVoiceInUse(values, 2));
  EXPECT_TRUE(IsControlInactive(values, VoiceParamIndex(1, kVoicePan)));
}

TEST(Relevance, FixedTrajectoryStructuresDisableStereoPhaseWaveAndSkew) {
  for (const Structure s : {Structure::kDimension, Structure::kTriChorus, Structure::kRandomChorus}) {
    PlainValues values = WithStructure(s, 2);
    values[kParamDrift] = 30;
    for (const int p : {kParamStereoPhase, kParamWave, kParamSkew})
      EXPECT_TRUE(IsControlInactive(values, p)) << p;
    EXPECT_FALSE(IsControlInactive(values, kParamDrift));
    EXPECT_FALSE(IsControlInactive(values, kParamDriftRate));
  }
}

TEST(Relevance, MultiBandNeedsASummedDetuneOnAVoiceInUse) {
  const int trajectory[] = {kParamStereoPhase, kParamWave, kParamSkew, kParamDrift, kParamDriftRate};
  struct Case {
    const char* name;
    double globalDetune;
    double voice1Offset;
    double voice5Offset;
    double voice1Enabled;
    bool inactive;
  };
  const Case cases[] = {
      {"no detune", 0, 0, 0, 1, true},
      {"voice offset", 0, 5, 0, 1, false},
      {"global detune", 2, 0, 0, 1, false},
      {"sum cancels", 3, -3, 0, 1, true},
      {"offset on a voice not in use", 0, 0, 7, 1, true},
      {"the detuned voice switched off", 0, 5, 0, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PlainValues values = WithStructure(Structure::kMultiBand, 1);
    values[kParamDrift] = 40;
    values[kParamDetune] = c.globalDetune;
    values[VoiceParamIndex(0, kVoiceDetuneOffset)] = c.voice1Offset;
    values[VoiceParamIndex(4, kVoiceDetuneOffset)] = c.voice5Offset;
    values[VoiceParamIndex(0, kVoiceEnabled)] = c.voice1Enabled;
    for (const int p : trajectory) EXPECT_EQ(IsControlInactive(values, p), c.inactive) << p;
    EXPECT_FALSE(IsControlInactive(values, kParamPhase));
    EXPECT_FALSE(IsControlInactive(values, kParamHumanize));
  }
  PlainValues allOff = WithStructure(Structure::kMultiBand, 2);
  allOff[VoiceParamIndex(0, kVoiceEnabled)] = 0;
  allOff[VoiceParamIndex(1, kVoiceEnabled)] = 0;
  allOff[kParamDetune] = 10;  // no voice in use carries it
  EXPECT_TRUE(IsControlInactive(allOff, kParamWave));
}

TEST(Relevance, IndicesOutsideTheTableAreNeverInactive) {
  const PlainValues values = WithStructure(Structure::kMicroPitch, 1);
  EXPECT_FALSE(IsControlInactive(values, -1));
  EXPECT_FALSE(IsControlInactive(values, kParamCount));
}

TEST(Relevance, ReadsThePluginsCurrentValues) {
  const auto plugin = CreatePluginInstance({});
  ASSERT_NE(plugin, nullptr);
  EXPECT_FALSE(IsControlInactive(*plugin, kParamRate));
  plugin->GetParam(kParamModel)->Set(static_cast<double>(Structure::kMicroPitch));
  EXPECT_TRUE(IsControlInactive(*plugin, kParamRate));
  plugin->GetParam(kParamModel)->Set(static_cast<double>(Structure::kVibrato));
  EXPECT_TRUE(IsVoiceInUse(*plugin, 0));
  EXPECT_FALSE(IsVoiceInUse(*plugin, 1));
}

}  // namespace
}  // namespace halcyra
