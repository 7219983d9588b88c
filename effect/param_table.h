#pragma once
// The effect's 128 parameters: one constant table of names, identifiers, units, ranges, kinds, value
// labels and help texts that the plug-in, engine, state chunk and editor all read, and pure functions
// over a whole value set. The table is built at compile time and the functions keep no state, so
// everything here is callable from any thread; nothing allocates, so the audio thread may sanitise.

#include <cstdint>

namespace halcyra {

constexpr int kParamCount = 128;
constexpr int kGlobalParamCount = 64;
constexpr int kVoiceCount = 8;
constexpr int kVoiceFieldCount = 8;
static_assert(kGlobalParamCount + kVoiceCount * kVoiceFieldCount == kParamCount,
              "voice slots must fill the parameters after the globals");

// Indices are the parameters' identity in automation, state chunks, recipes and banks: never reorder.
enum GlobalParam : int {
  kParamInput = 0,
  kParamOutput,
  kParamMix,
  kParamBypass,
  kParamModel,
  kParamVoices,
  kParamBaseDelay,
  kParamDepth,
  kParamRate,
  kParamSync,
  kParamDivision,
  kParamPhase,
  kParamStereoPhase,
  kParamWave,
  kParamSkew,
  kParamDrift,
  kParamDriftRate,
  kParamHumanize,
  kParamDetune,
  kParamSpread,
  kParamFeedback,
  kParamCrossFeed,
  kParamFeedbackPolarity,
  kParamFeedbackHp,
  kParamFeedbackLp,
  kParamWetHp,
  kParamWetLp,
  kParamTone,
  kParamResonance,
  kParamAnalogDrive,
  kParamAnalogNoise,
  kParamNoiseLevel,
  kParamWidth,
  kParamMonoBass,
  kParamMonoBassFrequency,
  kParamProcessBand,
  kParamSplitLow,
  kParamSplitHigh,
  kParamInputRouting,
  kParamOutputRouting,
  kParamWetPolarity,
  kParamDryPolarity,
  kParamBalance,
  kParamEnvelopeDepth,
  kParamEnvelopeRate,
  kParamEnvelopeThreshold,
  kParamEnvelopeAttack,
  kParamEnvelopeRelease,
  kParamEnvelopeDetector,
  kParamScTrim,
  kParamDuck,
  kParamDuckThreshold,
  kParamDuckAttack,
  kParamDuckRelease,
  kParamDiffusion,
  kParamStages,
  kParamInterpolation,
  kParamVoiceTilt,
  kParamTempoFallback,
  kParamTransportReset,
  kParamMonitor,
  kParamAnalyzer,
  kParamAnalyzerSpeed,
  kParamDcFilter,
  kGlobalParamEnd
};
static_assert(kGlobalParamEnd == kGlobalParamCount, "one enumerator per global parameter");

enum VoiceField : int {
  kVoiceEnabled = 0,
  kVoiceDelayOffset,
  kVoiceRateRatio,
  kVoicePhaseOffset,
  kVoiceDepthScale,
  kVoiceDetuneOffset,
  kVoicePan,
  kVoiceLevel,
  kVoiceFieldEnd
};
static_assert(kVoiceFieldEnd == kVoiceFieldCount, "one enumerator per voice field");

// Index of field `field` of voice slot `voice` (0-based, 0..7); -1 when either is out of range.
constexpr int VoiceParamIndex(int voice, int field) {
  const bool valid = voice >= 0 && voice < kVoiceCount && field >= 0 && field < kVoiceFieldCount;
  return valid ? kGlobalParamCount + voice * kVoiceFieldCount + field : -1;
}

constexpr bool IsVoiceParam(int index) { return index >= kGlobalParamCount && index < kParamCount; }

// Voice slot (0..7) and field of a voice parameter; -1 for globals and invalid indices.
constexpr int VoiceOfParam(int index) {
  return IsVoiceParam(index) ? (index - kGlobalParamCount) / kVoiceFieldCount : -1;
}
constexpr int VoiceFieldOfParam(int index) {
  return IsVoiceParam(index) ? (index - kGlobalParamCount) % kVoiceFieldCount : -1;
}

enum class ParamKind { kLinear, kExponential, kStepped };

// How the plug-in turns a row into a parameter record: the kind fixes the step and the display
// precision (every row has the framework's one unit code, plugfw::kParamUnitCustom).
constexpr double ParamStep(ParamKind kind) {
  return kind == ParamKind::kStepped ? 1.0 : kind == ParamKind::kExponential ? 0.001 : 0.01;
}
constexpr int ParamDisplayPrecision(ParamKind kind) {
  return kind == ParamKind::kStepped ? 0 : kind == ParamKind::kExponential ? 3 : 2;
}

// One row of the table. Strings are never null; `unit` is "" for unitless parameters. Stepped rows
// have whole-number minimum, maximum and default, and a label for every value between.
struct ParamDefinition {
  const char* name;
  const char* identifier;  // the name in lower case, spaces as hyphens: "base-delay", "voice-1-pan"
  const char* unit;
  float defaultValue;
  float minValue;
  float maxValue;
  ParamKind kind;
  const char* help;
};

// The row of a parameter; null when the index is outside 0..127.
const ParamDefinition* GetParamDefinition(int index);

// Index of the parameter with exactly this identifier; -1 when unknown or null.
int FindParamIndex(const char* identifier);

// False for indices outside 0..127.
bool IsSteppedParam(int index);
bool IsExponentialParam(int index);

// The display text of a stepped parameter's whole value. Never null: "" for an index outside 0..127,
// a value outside the parameter's range, and parameters without labels.
const char* ParamValueLabel(int index, int value);

// The default value; 0 for an index outside 0..127.
float ParamDefault(int index);
void FillParamDefaults(float values[kParamCount]);

// A non-finite value becomes the default, others are clamped to the range, and stepped values are
// rounded to the nearest whole number, halves away from zero. An index outside 0..127 gives 0.
float SanitizeParamValue(int index, float value);

// Sanitises all 128 values in index order. `input` may equal `output`; a null `input` gives the
// defaults; a null `output` writes nothing.
void SanitizeParams(const float input[kParamCount], float output[kParamCount]);

// How long the effect may ring after its input falls silent, in seconds, from the sanitised values:
// infinite while analog noise is on, otherwise finite and positive. A null `values` means defaults.
double ComputeTailSeconds(const float values[kParamCount]);

// The host-facing tail length: -1 for an infinite tail, otherwise ceil(seconds x sampleRate) limited
// to 0 .. kMaxTailSamples; a product that is not a number (e.g. a NaN rate) gives 0.
constexpr int32_t kInfiniteTailSamples = -1;
constexpr int32_t kMaxTailSamples = 2147483646;
int32_t TailSamplesFromSeconds(double seconds, double sampleRate);

}  // namespace halcyra
