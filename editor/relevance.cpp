#include "editor/relevance.h"

#include <algorithm>
#include <cmath>

#include "effect/chorus_engine.h"
#include "graphics/editor_delegate.h"

namespace halcyra {
namespace {

// Detune sums at or below this count as none.
constexpr double kNoDetune = 1e-6;
constexpr double kSwitchOn = 0.5;

// A stepped value as the whole number it stands for; values that no record can hold (not
// finite, far outside every range) read as 0 rather than overflowing the conversion.
int32_t WholeValue(double value) {
  constexpr double kLimit = 1e6;
  return std::isfinite(value) ? static_cast<int32_t>(std::clamp(value, -kLimit, kLimit)) : 0;
}

Structure StructureOf(const PlainValues& values) { return halcyra::StructureOf(values[kParamModel]); }

bool IsMicroPitch(const PlainValues& values) { return halcyra::IsMicroPitch(values[kParamModel]); }

// Dimension, Tri Chorus and Random Chorus run fixed trajectories of their own.
bool HasFixedTrajectory(const PlainValues& values) {
  const Structure structure = StructureOf(values);
  return structure == Structure::kDimension || structure == Structure::kTriChorus ||
         structure == Structure::kRandomChorus;
}

// Multi Band uses trajectory and drift only for its secondary detune heads, which exist only
// while a voice in use carries a summed detune.
bool IsMultiBandWithoutDetune(const PlainValues& values) {
  if (StructureOf(values) != Structure::kMultiBand) return false;
  for (int32_t voice = 0; voice < kVoiceCount; ++voice) {
    if (!IsVoiceInUse(values, voice)) continue;
    const double detune = values[VoiceParamIndex(voice, kVoiceDetuneOffset)] + values[kParamDetune];
    if (std::fabs(detune) > kNoDetune) return false;
  }
  return true;
}

bool IsRateUnused(const PlainValues& values) {
  return IsMicroPitch(values) || values[kParamSync] >= kSwitchOn;
}
bool IsDivisionUnused(const PlainValues& values) {
  return IsMicroPitch(values) || values[kParamSync] < kSwitchOn;
}
bool IsDriftOff(const PlainValues& values) { return values[kParamDrift] <= 0.0; }
bool IsNoiseOff(const PlainValues& values) { return values[kParamAnalogNoise] < kSwitchOn; }
bool IsMonoBassOff(const PlainValues& values) { return values[kParamMonoBass] <= 0.0; }
bool IsDuckOff(const PlainValues& values) { return values[kParamDuck] <= 0.0; }
bool IsDiffusionOff(const PlainValues& values) {
  return StructureOf(values) != Structure::kDiffusedChorus && values[kParamDiffusion] <= 0.0;
}
bool IsAnalyzerOff(const PlainValues& values) { return values[kParamAnalyzer] < kSwitchOn; }
bool IsFeedbackOff(const PlainValues& values) { return values[kParamFeedback] <= 0.0; }

// A global parameter in first..last is inactive while the condition holds; a parameter named
// by several rows is inactive when any of them holds.
struct InactiveRule {
  int32_t first;
  int32_t last;
  bool (*holds)(const PlainValues&);
};

constexpr InactiveRule kGlobalRules[] = {
    {kParamStereoPhase, kParamSkew, HasFixedTrajectory},
    {kParamStereoPhase, kParamDriftRate, IsMultiBandWithoutDetune},
    {kParamRate, kParamRate, IsRateUnused},
    {kParamDivision, kParamDivision, IsDivisionUnused},
    {kParamDepth, kParamDepth, IsMicroPitch},
    {kParamSync, kParamSync, IsMicroPitch},
    {kParamWave, kParamHumanize, IsMicroPitch},
    {kParamEnvelopeDepth, kParamEnvelopeRate, IsMicroPitch},
    {kParamDriftRate, kParamDriftRate, IsDriftOff},
    {kParamNoiseLevel, kParamNoiseLevel, IsNoiseOff},
    {kParamMonoBassFrequency, kParamMonoBassFrequency, IsMonoBassOff},
    {kParamDuckThreshold, kParamDuckRelease, IsDuckOff},
    {kParamStages, kParamStages, IsDiffusionOff},
    {kParamAnalyzerSpeed, kParamAnalyzerSpeed, IsAnalyzerOff},
    {kParamCrossFeed, kParamFeedbackLp, IsFeedbackOff},
};

// Enabled always stays live so a slot can be switched back on; Micro Pitch moves pitch by
// detune, so it has no use for a voice's rate ratio or depth scale.
bool IsVoiceFieldInactive(const PlainValues& values, int32_t voice, int32_t field) {
  if (field == kVoiceEnabled) return false;
  if (!IsVoiceInUse(values, voice)) return true;
  return IsMicroPitch(values) && (field == kVoiceRateRatio || field == kVoiceDepthScale);
}

}  // namespace

double ReadPlainValue(const plugfw::IEditorDelegate& delegate, int32_t paramIdx) {
  const plugfw::IParam* param = delegate.GetParam(paramIdx);
  return param != nullptr ? param->Value() : ParamDefault(paramIdx);
}

PlainValues ReadPlainValues(const plugfw::IEditorDelegate& delegate) {
  PlainValues values{};
  for (int32_t i = 0; i < kParamCount; ++i) values[i] = ReadPlainValue(delegate, i);
  return values;
}

Structure StructureOf(double structureValue) { return static_cast<Structure>(WholeValue(structureValue)); }

bool IsMicroPitch(double structureValue) { return StructureOf(structureValue) == Structure::kMicroPitch; }

int32_t StructureVoiceCap(int32_t structure) {
  if (structure == static_cast<int32_t>(Structure::kTriChorus)) return 3;
  if (structure == static_cast<int32_t>(Structure::kVibrato)) return 1;
  return kVoiceCount;
}

bool IsVoiceInUse(const PlainValues& values, int32_t voice) {
  if (voice < 0 || voice >= kVoiceCount) return false;
  const int32_t cap = StructureVoiceCap(WholeValue(values[kParamModel]));
  const int32_t requested = WholeValue(values[kParamVoices]);
  return voice < std::min(requested, cap) && values[VoiceParamIndex(voice, kVoiceEnabled)] >= kSwitchOn;
}

bool IsControlInactive(const PlainValues& values, int32_t paramIdx) {
  if (IsVoiceParam(paramIdx)) {
    return IsVoiceFieldInactive(values, VoiceOfParam(paramIdx), VoiceFieldOfParam(paramIdx));
  }
  for (const InactiveRule& rule : kGlobalRules) {
    if (paramIdx >= rule.first && paramIdx <= rule.last && rule.holds(values)) return true;
  }
  return false;
}

bool IsVoiceInUse(const plugfw::IEditorDelegate& delegate, int32_t voice) {
  return IsVoiceInUse(ReadPlainValues(delegate), voice);
}

bool IsControlInactive(const plugfw::IEditorDelegate& delegate, int32_t paramIdx) {
  return IsControlInactive(ReadPlainValues(delegate), paramIdx);
}

}  // namespace halcyra
