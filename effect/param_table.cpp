#include "effect/param_table.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/math_constants.h"
#include "effect/voice_state.h"

namespace halcyra {
namespace {

// Help texts are what the editor's context help shows for the control under the mouse.
constexpr ParamDefinition kGlobalDefinitions[] = {
    {"Input", "input", "dB", 0.0f, -24.0f, 24.0f, ParamKind::kLinear,
     "Trim the processed input. Raw dry/bypass monitoring stays untrimmed."},
    {"Output", "output", "dB", 0.0f, -24.0f, 24.0f, ParamKind::kLinear,
     "Final output trim. There is no hidden limiter or automatic loudness match."},
    {"Mix", "mix", "%", 35.0f, 0.0f, 100.0f, ParamKind::kLinear,
     "Blend un-delayed raw dry with the intentional chorus return. Zero Mix with neutral routing returns "
     "exact dry."},
    {"Bypass", "bypass", "", 0.0f, 0.0f, 1.0f, ParamKind::kStepped,
     "Return exact raw main input once the bypass transition settles. The chorus engine stays warm; host "
     "PDC is zero."},
    {"Model", "model", "", 0.0f, 0.0f, 11.0f, ParamKind::kStepped,
     "Twelve original chorus structures. Broad descriptions do not imply branded hardware replicas."},
    {"Voices", "voices", "", 2.0f, 1.0f, 8.0f, ParamKind::kStepped,
     "Requested voices, one to eight. Tri Chorus caps at three; Vibrato caps at one. The field displays "
     "actual active voices."},
    {"Base Delay", "base-delay", "ms", 18.0f, 0.5f, 60.0f, ParamKind::kExponential,
     "Base chorus delay in ms. Micro Pitch uses it for its pitch-window timing. Actual causal read limits "
     "appear in the voice field."},
    {"Depth", "depth", "ms", 3.0f, 0.0f, 20.0f, ParamKind::kLinear,
     "Modulation excursion in milliseconds. Actual delay is safely bounded. Micro Pitch uses signed Detune "
     "instead."},
    {"Rate", "rate", "Hz", 0.35f, 0.01f, 20.0f, ParamKind::kExponential,
     "Free base phase-clock rate in Hz. Structures can combine additional ratios; Sync uses a musical "
     "period. Micro Pitch uses signed detune."},
    {"Sync", "sync", "", 0.0f, 0.0f, 1.0f, ParamKind::kStepped,
     "Use real host tempo/PPQ when valid. Otherwise use Tempo Fallback; the status strip identifies which "
     "is active."},
    {"Division", "division", "", 4.0f, 0.0f, 10.0f, ParamKind::kStepped,
     "Musical modulation period: bars or note divisions. Quarter at 120 BPM is two cycles per second."},
    {"Phase", "phase", "deg", 0.0f, 0.0f, 360.0f, ParamKind::kLinear,
     "Common phase in degrees: oscillator phase in chorus models or head-window phase in Micro Pitch. Voice "
     "offsets and stereo phase add relative phase."},
    {"Stereo Phase", "stereo-phase", "deg", 90.0f, 0.0f, 360.0f, ParamKind::kLinear,
     "Relative Left/Right modulation phase. Inactive for Dimension, Tri Chorus and Random; in MultiBand it "
     "affects optional secondary detune heads only."},
    {"Wave", "wave", "", 0.0f, 0.0f, 6.0f, ParamKind::kStepped,
     "Selectable trajectory. Inactive in Dimension, Tri Chorus, Random and Micro Pitch. In MultiBand it "
     "affects secondary heads only when an active voice has nonzero summed detune."},
    {"Skew", "skew", "%", 0.0f, -90.0f, 90.0f, ParamKind::kLinear,
     "Skew the selectable trajectory; zero is neutral. Inactive for Dimension, Tri Chorus, Random and Micro "
     "Pitch; MultiBand uses it only for optional secondary detune heads."},
    {"Drift", "drift", "%", 0.0f, 0.0f, 100.0f, ParamKind::kLinear,
     "Add intentional slow timing drift. Inactive in Micro Pitch; MultiBand uses it only for optional "
     "secondary detune heads. The graph shows primary read timing."},
    {"Drift Rate", "drift-rate", "Hz", 0.1f, 0.01f, 4.0f, ParamKind::kExponential,
     "Slow timing-drift rate in Hz. Inactive while Drift is zero or in Micro Pitch; MultiBand requires "
     "nonzero active summed detune."},
    {"Humanize", "humanize", "%", 0.0f, 0.0f, 100.0f, ParamKind::kLinear,
     "Vary the timing of active voices for a less uniform field. Compare the actual delay/rate readouts."},
    {"Detune", "detune", "cents", 0.0f, -25.0f, 25.0f, ParamKind::kLinear,
     "Global signed pitch offset in cents. Micro Pitch is a genuine deterministic pitch-delay structure."},
    {"Spread", "spread", "%", 75.0f, 0.0f, 100.0f, ParamKind::kLinear,
     "Spread the active chorus voices. Requested and actual pan are distinguished in the voice field."},
    {"Feedback", "feedback", "%", 0.0f, 0.0f, 90.0f, ParamKind::kLinear,
     "Return signal to the chorus loop. Filters, normalized voice levels and crossfeed bound the feedback "
     "energy."},
    {"Cross Feed", "cross-feed", "%", 0.0f, 0.0f, 100.0f, ParamKind::kLinear,
     "Cross the Left/Right feedback contribution. Inactive when feedback is zero."},
    {"Feedback Polarity", "feedback-polarity", "", 0.0f, 0.0f, 1.0f, ParamKind::kStepped,
     "Choose positive or inverted feedback. Does not invert the raw dry path."},
    {"Feedback HP", "feedback-hp", "Hz", 30.0f, 20.0f, 4000.0f, ParamKind::kExponential,
     "High-pass the feedback loop, in Hz/kHz. Inactive when feedback is zero."},
    {"Feedback LP", "feedback-lp", "Hz", 10000.0f, 200.0f, 20000.0f, ParamKind::kExponential,
     "Low-pass the feedback loop, in Hz/kHz. Internal cutoff stays safely below Nyquist."},
    {"Wet HP", "wet-hp", "Hz", 20.0f, 20.0f, 4000.0f, ParamKind::kExponential,
     "High-pass the wet return. Unselected residual content of a Process Band is retained separately."},
    {"Wet LP", "wet-lp", "Hz", 20000.0f, 200.0f, 20000.0f, ParamKind::kExponential,
     "Low-pass the wet return. The raw dry path is not silently filtered."},
    {"Tone", "tone", "dB", 0.0f, -12.0f, 12.0f, ParamKind::kLinear,
     "High-shelf tone of the wet return, in dB. A real audio change, separate from display styling."},
    {"Resonance", "resonance", "%", 0.0f, 0.0f, 100.0f, ParamKind::kLinear,
     "Resonance of the wet filtering. Check useful output headroom when increasing it."},
    {"Analog Drive", "analog-drive", "dB", 0.0f, 0.0f, 24.0f, ParamKind::kLinear,
     "Explicit wet-path nonlinear colour. Zero does not add hidden drive or gain compensation."},
    {"Analog Noise", "analog-noise", "", 0.0f, 0.0f, 1.0f, ParamKind::kStepped,
     "Explicitly enable modeled noise. Off remains silent on zero input; noise is never automatically "
     "added."},
    {"Noise Level", "noise-level", "dBFS", -80.0f, -100.0f, -40.0f, ParamKind::kLinear,
     "Actual enabled noise level in dBFS. Inactive while Analog Noise is off."},
    {"Width", "width", "%", 100.0f, 0.0f, 200.0f, ParamKind::kLinear,
     "Scale output Side: 100 percent is unity. Check actual output correlation and mono compatibility."},
    {"Mono Bass", "mono-bass", "%", 0.0f, 0.0f, 100.0f, ParamKind::kLinear,
     "Narrow low frequencies by the selected amount. The crossover is a causal filter, not a brickwall "
     "partition."},
    {"Mono Bass Frequency", "mono-bass-frequency", "Hz", 120.0f, 20.0f, 500.0f, ParamKind::kExponential,
     "Low-frequency mono correction frequency. Inactive when Mono Bass is zero."},
    {"Process Band", "process-band", "", 0.0f, 0.0f, 5.0f, ParamKind::kStepped,
     "Process Full, Low, Mid, High, Side Only or Mid Only; complementary unselected content remains."},
    {"Split Low", "split-low", "Hz", 180.0f, 40.0f, 1500.0f, ParamKind::kExponential,
     "Requested lower split frequency. Actual ordered effective splits are shown; automation values remain "
     "stored."},
    {"Split High", "split-high", "Hz", 3500.0f, 500.0f, 12000.0f, ParamKind::kExponential,
     "Requested upper split frequency. Crossed requests are ordered safely inside the engine without "
     "rewriting automation."},
    {"Input Routing", "input-routing", "", 0.0f, 0.0f, 4.0f, ParamKind::kStepped,
     "Choose Stereo, Mono Sum, Left, Right or decoded Mid/Side for the processed input."},
    {"Output Routing", "output-routing", "", 0.0f, 0.0f, 4.0f, ParamKind::kStepped,
     "Choose normal Stereo, Mono Sum, Mid, Side or encoded Mid/Side output."},
    {"Wet Polarity", "wet-polarity", "", 0.0f, 0.0f, 1.0f, ParamKind::kStepped,
     "Invert the wet path only. Product/host bypass returns original raw dry."},
    {"Dry Polarity", "dry-polarity", "", 0.0f, 0.0f, 1.0f, ParamKind::kStepped,
     "Invert the normal dry contribution only. Product/host bypass overrides this monitoring choice."},
    {"Balance", "balance", "%", 0.0f, -100.0f, 100.0f, ParamKind::kLinear,
     "Attenuate the opposite output side for balance; no hidden boost of the favoured side."},
    {"Envelope Depth", "envelope-depth", "%", 0.0f, -100.0f, 100.0f, ParamKind::kLinear,
     "Detector-driven change to modulation depth. Actual effective depth is shown. Inactive in Micro Pitch."},
    {"Envelope Rate", "envelope-rate", "%", 0.0f, -100.0f, 100.0f, ParamKind::kLinear,
     "Detector-driven change to modulation rate. Actual effective rate is shown. Inactive in Micro Pitch."},
    {"Envelope Threshold", "envelope-threshold", "dBFS", -24.0f, -80.0f, 0.0f, ParamKind::kLinear,
     "Envelope detector reference level in dBFS, used for depth/rate modulation."},
    {"Envelope Attack", "envelope-attack", "ms", 10.0f, 0.1f, 200.0f, ParamKind::kExponential,
     "Envelope detector opening time. Physical entry accepts ms or s."},
    {"Envelope Release", "envelope-release", "ms", 180.0f, 5.0f, 3000.0f, ParamKind::kExponential,
     "Envelope detector recovery time. Physical entry accepts ms or s."},
    {"Envelope Detector", "envelope-detector", "", 1.0f, 0.0f, 2.0f, ParamKind::kStepped,
     "Peak, RMS or genuine External detector. Missing External falls back to internal RMS; connected "
     "silence stays External."},
    {"SC Trim", "sc-trim", "dB", 0.0f, -24.0f, 24.0f, ParamKind::kLinear,
     "Trim the actual envelope/sidechain detector. This does not route auxiliary audio into the chorus "
     "output."},
    {"Duck", "duck", "%", 0.0f, 0.0f, 100.0f, ParamKind::kLinear,
     "Duck the actual wet return above threshold. It does not compress only the dry output."},
    {"Duck Threshold", "duck-threshold", "dBFS", -24.0f, -80.0f, 0.0f, ParamKind::kLinear,
     "Wet-duck detector threshold in dBFS. Inactive while Duck amount is zero."},
    {"Duck Attack", "duck-attack", "ms", 5.0f, 0.1f, 200.0f, ParamKind::kExponential,
     "Wet-duck opening time. Inactive while Duck is zero; enter ms or s."},
    {"Duck Release", "duck-release", "ms", 250.0f, 5.0f, 3000.0f, ParamKind::kExponential,
     "Wet-duck recovery time. Inactive while Duck is zero; longer times preserve the tail smoothly."},
    {"Diffusion", "diffusion", "%", 0.0f, 0.0f, 100.0f, ParamKind::kLinear,
     "Original causal allpass diffusion. It can be added to other chorus models as well as Diffused Chorus."},
    {"Stages", "stages", "", 3.0f, 1.0f, 6.0f, ParamKind::kStepped,
     "Number of diffusion stages, one to six. Active for Diffused Chorus or an explicitly added Diffusion "
     "return."},
    {"Interpolation", "interpolation", "", 1.0f, 0.0f, 1.0f, ParamKind::kStepped,
     "Linear or causal Cubic fractional-delay interpolation. Actual reads are kept inside safe bounds."},
    {"Voice Tilt", "voice-tilt", "dB", 0.0f, -12.0f, 12.0f, ParamKind::kLinear,
     "End-to-end gain tilt across the active voices, in dB. Voice normalization bounds the feedback gain."},
    {"Tempo Fallback", "tempo-fallback", "BPM", 120.0f, 30.0f, 300.0f, ParamKind::kLinear,
     "Fallback BPM only when the host timeline is invalid. Real valid host tempo takes precedence."},
    {"Transport Reset", "transport-reset", "", 1.0f, 0.0f, 1.0f, ParamKind::kStepped,
     "Reset phase on a rising transport or discontinuous valid PPQ timeline; never reset every processing "
     "block."},
    {"Monitor", "monitor", "", 0.0f, 0.0f, 7.0f, ParamKind::kStepped,
     "Monitor actual Output, raw Dry, Wet, Delta, Mono, Mid, Side or real External. Missing External "
     "monitor is silent."},
    {"Analyzer", "analyzer", "", 1.0f, 0.0f, 1.0f, ParamKind::kStepped,
     "Real measured FFT/scope displays. Silence has no decorative moving audio trace."},
    {"Analyzer Speed", "analyzer-speed", "", 1.0f, 0.0f, 2.0f, ParamKind::kStepped,
     "FFT averaging speed. It changes the measured display, not chorus timing or envelope response."},
    {"DC Filter", "dc-filter", "", 0.0f, 0.0f, 1.0f, ParamKind::kStepped,
     "Enable the original low-frequency DC removal. Off is useful for exact neutral calibration."},
};
static_assert(sizeof(kGlobalDefinitions) / sizeof(kGlobalDefinitions[0]) == kGlobalParamCount,
              "one row per global parameter");

// The fields every voice slot shares. Phase offset and pan defaults differ per voice (see below).
struct VoiceFieldDefinition {
  const char* nameSuffix;
  const char* identifierSuffix;
  const char* unit;
  float defaultValue;
  float minValue;
  float maxValue;
  ParamKind kind;
  const char* help;
};

constexpr VoiceFieldDefinition kVoiceFieldDefinitions[] = {
    {"Enabled", "enabled", "", 1.0f, 0.0f, 1.0f, ParamKind::kStepped,
     "Enable this stable voice slot. Only requested/model-supported active slots take part; automation IDs "
     "never move."},
    {"Delay Offset", "delay-offset", "ms", 0.0f, -20.0f, 20.0f, ParamKind::kLinear,
     "Offset this voice's delay from Base Delay, in ms. Drag vertically in the voice field. Actual causal "
     "limits remain visible."},
    {"Rate Ratio", "rate-ratio", "", 1.0f, 0.25f, 4.0f, ParamKind::kExponential,
     "Multiply this voice's modulation rate. Inactive for genuine Micro Pitch, where signed cents set pitch "
     "movement."},
    {"Phase Offset", "phase-offset", "deg", 0.0f, 0.0f, 360.0f, ParamKind::kLinear,
     "Relative phase offset for this voice. Its actual modulation value comes from the engine snapshot."},
    {"Depth Scale", "depth-scale", "%", 100.0f, 0.0f, 200.0f, ParamKind::kLinear,
     "Scale this voice's depth. Micro Pitch uses signed Detune instead; requested values remain saved."},
    {"Detune Offset", "detune-offset", "cents", 0.0f, -50.0f, 50.0f, ParamKind::kLinear,
     "Signed additional pitch offset for this voice, in cents. Global and per-voice offsets combine in "
     "Micro Pitch."},
    {"Pan", "pan", "%", 0.0f, -100.0f, 100.0f, ParamKind::kLinear,
     "Requested pan for this voice. Drag horizontally in the field; actual engine pan may also reflect "
     "Spread/model routing."},
    {"Level", "level", "dB", 0.0f, -24.0f, 6.0f, ParamKind::kLinear,
     "Voice level in dB. Active voice weighting is normalized to keep feedback energy controlled."},
};
static_assert(sizeof(kVoiceFieldDefinitions) / sizeof(kVoiceFieldDefinitions[0]) == kVoiceFieldCount,
              "one row per voice field");

// Voices fan out evenly in 45-degree steps.
constexpr float VoicePhaseOffsetDefault(int voice) { return 45.0f * static_cast<float>(voice); }

// Pairs of voices sit mirrored left/right, from the outside in: +-100 x (7 - 2m) / 7 for pair m,
// odd voice numbers (even 0-based slots) on the left.
constexpr float VoicePanDefault(int voice) {
  const int pair = voice / 2;
  const float magnitude = 100.0f * static_cast<float>(7 - 2 * pair) / 7.0f;
  return voice % 2 == 0 ? -magnitude : magnitude;
}

// Voice names must be stable C strings for the parameter records, so they are composed at compile
// time into constant storage: "Voice 3 Phase Offset", "voice-3-phase-offset".
constexpr int kVoiceTextCapacity = 32;
constexpr int kVoiceParamCount = kVoiceCount * kVoiceFieldCount;

struct VoiceTexts {
  char names[kVoiceParamCount][kVoiceTextCapacity];
  char identifiers[kVoiceParamCount][kVoiceTextCapacity];
};

constexpr int AppendText(char* out, int length, const char* text) {
  while (*text != '\0') out[length++] = *text++;
  out[length] = '\0';
  return length;
}

constexpr int AppendChar(char* out, int length, char c) {
  out[length++] = c;
  out[length] = '\0';
  return length;
}

constexpr VoiceTexts BuildVoiceTexts() {
  VoiceTexts texts{};
  for (int voice = 0; voice < kVoiceCount; ++voice) {
    const char digit = static_cast<char>('1' + voice);
    for (int field = 0; field < kVoiceFieldCount; ++field) {
      const int row = voice * kVoiceFieldCount + field;
      char* name = texts.names[row];
      int length = AppendText(name, 0, "Voice ");
      length = AppendChar(name, length, digit);
      length = AppendChar(name, length, ' ');
      AppendText(name, length, kVoiceFieldDefinitions[field].nameSuffix);

      char* identifier = texts.identifiers[row];
      length = AppendText(identifier, 0, "voice-");
      length = AppendChar(identifier, length, digit);
      length = AppendChar(identifier, length, '-');
      AppendText(identifier, length, kVoiceFieldDefinitions[field].identifierSuffix);
    }
  }
  return texts;
}

constexpr VoiceTexts kVoiceTexts = BuildVoiceTexts();

constexpr float VoiceFieldDefault(int voice, int field) {
  if (field == kVoicePhaseOffset) return VoicePhaseOffsetDefault(voice);
  if (field == kVoicePan) return VoicePanDefault(voice);
  return kVoiceFieldDefinitions[field].defaultValue;
}

constexpr std::array<ParamDefinition, kParamCount> BuildParamDefinitions() {
  std::array<ParamDefinition, kParamCount> definitions{};
  for (int i = 0; i < kGlobalParamCount; ++i) definitions[i] = kGlobalDefinitions[i];
  for (int voice = 0; voice < kVoiceCount; ++voice) {
    for (int field = 0; field < kVoiceFieldCount; ++field) {
      const VoiceFieldDefinition& f = kVoiceFieldDefinitions[field];
      const int row = voice * kVoiceFieldCount + field;
      const char* name = kVoiceTexts.names[row];
      const char* identifier = kVoiceTexts.identifiers[row];
      const float defaultValue = VoiceFieldDefault(voice, field);
      definitions[VoiceParamIndex(voice, field)] = {name,       identifier, f.unit, defaultValue,
                                                    f.minValue, f.maxValue, f.kind, f.help};
    }
  }
  return definitions;
}

constexpr std::array<ParamDefinition, kParamCount> kParamDefinitions = BuildParamDefinitions();

constexpr bool IsValidIndex(int index) { return index >= 0 && index < kParamCount; }

// Value labels, listed from each parameter's minimum upward.
constexpr const char* kOffOnLabels[] = {"Off", "On"};
constexpr const char* kModelLabels[] = {
    "Digital Classic",  "Dual Stereo", "Dimension", "Ensemble",      "Tri Chorus", "Analog BBD",
    "Vintage Ensemble", "Micro Pitch", "Vibrato",   "Random Chorus", "Multi Band", "Diffused Chorus"};
// Voices (1..8) and Stages (1..6) show their value as digits.
constexpr const char* kNumberLabels[] = {"1", "2", "3", "4", "5", "6", "7", "8"};
constexpr const char* kDivisionLabels[] = {
    "4 Bars",         "2 Bars",        "1 Bar",           "Half",          "Quarter", "Eighth", "Sixteenth",
    "Quarter Dotted", "Eighth Dotted", "Quarter Triplet", "Eighth Triplet"};
constexpr const char* kWaveLabels[] = {"Sine",      "Triangle",      "Soft Square", "Ramp Up",
                                       "Ramp Down", "Smooth Random", "Sample Hold"};
constexpr const char* kFeedbackPolarityLabels[] = {"Positive", "Negative"};
constexpr const char* kProcessBandLabels[] = {"Full", "Low", "Mid", "High", "Side Only", "Mid Only"};
constexpr const char* kInputRoutingLabels[] = {"Stereo", "Mono Sum", "Left", "Right", "Decode MS"};
constexpr const char* kOutputRoutingLabels[] = {"Stereo", "Mono Sum", "Mid", "Side", "Encode MS"};
constexpr const char* kEnvelopeDetectorLabels[] = {"Peak", "RMS", "External"};
constexpr const char* kInterpolationLabels[] = {"Linear", "Cubic"};
constexpr const char* kMonitorLabels[] = {"Output", "Raw Dry", "Wet",  "Delta",
                                          "Mono",   "Mid",     "Side", "External"};
constexpr const char* kAnalyzerSpeedLabels[] = {"Fast", "Medium", "Slow"};

struct LabelList {
  const char* const* labels;
  int count;
};

template <int N>
constexpr LabelList Labels(const char* const (&labels)[N]) {
  return LabelList{labels, N};
}

constexpr LabelList LabelsOf(int index) {
  switch (index) {
    case kParamModel:
      return Labels(kModelLabels);
    case kParamVoices:
      return LabelList{kNumberLabels, 8};
    case kParamStages:
      return LabelList{kNumberLabels, 6};
    case kParamDivision:
      return Labels(kDivisionLabels);
    case kParamWave:
      return Labels(kWaveLabels);
    case kParamFeedbackPolarity:
      return Labels(kFeedbackPolarityLabels);
    case kParamProcessBand:
      return Labels(kProcessBandLabels);
    case kParamInputRouting:
      return Labels(kInputRoutingLabels);
    case kParamOutputRouting:
      return Labels(kOutputRoutingLabels);
    case kParamEnvelopeDetector:
      return Labels(kEnvelopeDetectorLabels);
    case kParamInterpolation:
      return Labels(kInterpolationLabels);
    case kParamMonitor:
      return Labels(kMonitorLabels);
    case kParamAnalyzerSpeed:
      return Labels(kAnalyzerSpeedLabels);
    default:
      break;
  }
  const ParamDefinition* definition = IsValidIndex(index) ? &kParamDefinitions[index] : nullptr;
  if (definition != nullptr && definition->kind == ParamKind::kStepped && definition->maxValue == 1.0f) {
    return Labels(kOffOnLabels);
  }
  return LabelList{nullptr, 0};
}

constexpr bool IsWholeNumber(float value) { return static_cast<float>(static_cast<int>(value)) == value; }

// Every stepped row needs whole-number bounds and exactly one label per value, or the label lookup
// and the parameter records' display texts would disagree with the range.
constexpr bool SteppedRowsAreLabelled() {
  for (int i = 0; i < kParamCount; ++i) {
    const ParamDefinition& definition = kParamDefinitions[i];
    const LabelList labels = LabelsOf(i);
    if (definition.kind != ParamKind::kStepped) {
      if (labels.count != 0) return false;
      continue;
    }
    if (!IsWholeNumber(definition.minValue) || !IsWholeNumber(definition.maxValue) ||
        !IsWholeNumber(definition.defaultValue)) {
      return false;
    }
    if (labels.count != static_cast<int>(definition.maxValue) - static_cast<int>(definition.minValue) + 1)
      return false;
  }
  return true;
}
static_assert(SteppedRowsAreLabelled(), "a stepped parameter's labels do not match its range");

constexpr bool DefaultsLieInRange() {
  for (const ParamDefinition& definition : kParamDefinitions) {
    if (!(definition.minValue < definition.maxValue)) return false;
    if (definition.defaultValue < definition.minValue || definition.defaultValue > definition.maxValue)
      return false;
  }
  return true;
}
static_assert(DefaultsLieInRange(), "a parameter's default lies outside its range");

// Tail model: each pass around the feedback loop can take the longest delay line, the diffusion
// network rings for its own passes, and the filters need time to settle, plus a safety margin.
constexpr double kLongestDelaySeconds = 0.24;
constexpr double kSilenceRatio = 1e-10;  // 200 dB down
constexpr double kDiffusionFeedback = 0.6;
constexpr double kDiffusionPassSeconds = 0.0432;
constexpr double kTailMarginSeconds = 0.1;
using plugfw::kPi;

// A loop gain of 1 would never decay; the tail relies on the range keeping feedback below unity.
static_assert(kGlobalDefinitions[kParamFeedback].maxValue < 100.0f,
              "feedback range must stay below unity gain");

// Passes around a loop with this gain until it is 200 dB down.
double RepeatsUntilSilent(double loopGain) {
  if (loopGain <= 0.0) return 1.0;
  return std::ceil(std::log(kSilenceRatio) / std::log(loopGain)) + 1.0;
}

double FilterSettleSeconds() { return 4.0 * std::log(1.0 / kSilenceRatio) / (10.0 * kPi); }

}  // namespace

const ParamDefinition* GetParamDefinition(int index) {
  return IsValidIndex(index) ? &kParamDefinitions[index] : nullptr;
}

int FindParamIndex(const char* identifier) {
  if (identifier == nullptr) return -1;
  for (int i = 0; i < kParamCount; ++i) {
    if (std::strcmp(kParamDefinitions[i].identifier, identifier) == 0) return i;
  }
  return -1;
}

bool IsSteppedParam(int index) {
  return IsValidIndex(index) && kParamDefinitions[index].kind == ParamKind::kStepped;
}

bool IsExponentialParam(int index) {
  return IsValidIndex(index) && kParamDefinitions[index].kind == ParamKind::kExponential;
}

const char* ParamValueLabel(int index, int value) {
  const LabelList labels = LabelsOf(index);
  if (labels.count == 0) return "";
  // In 64 bits so that no int value can overflow the offset.
  const int64_t offset =
      static_cast<int64_t>(value) - static_cast<int64_t>(kParamDefinitions[index].minValue);
  if (offset < 0 || offset >= labels.count) return "";
  return labels.labels[offset];
}

float ParamDefault(int index) { return IsValidIndex(index) ? kParamDefinitions[index].defaultValue : 0.0f; }

void FillParamDefaults(float values[kParamCount]) {
  if (values == nullptr) return;
  for (int i = 0; i < kParamCount; ++i) values[i] = kParamDefinitions[i].defaultValue;
}

float SanitizeParamValue(int index, float value) {
  if (!IsValidIndex(index)) return 0.0f;
  const ParamDefinition& definition = kParamDefinitions[index];
  if (!std::isfinite(value)) return definition.defaultValue;
  const float clamped = std::min(std::max(value, definition.minValue), definition.maxValue);
  return definition.kind == ParamKind::kStepped ? std::round(clamped) : clamped;
}

void SanitizeParams(const float input[kParamCount], float output[kParamCount]) {
  if (output == nullptr) return;
  if (input == nullptr) {
    FillParamDefaults(output);
    return;
  }
  for (int i = 0; i < kParamCount; ++i) output[i] = SanitizeParamValue(i, input[i]);
}

double ComputeTailSeconds(const float values[kParamCount]) {
  float sanitized[kParamCount];
  SanitizeParams(values, sanitized);
  // The noise generator never falls silent.
  if (sanitized[kParamAnalogNoise] != 0.0f) return std::numeric_limits<double>::infinity();

  // Sanitised feedback lies in 0..0.9, so the repeat count is finite and at least 1.
  const double feedback = static_cast<double>(sanitized[kParamFeedback]) * 0.01;
  const double repeats = RepeatsUntilSilent(feedback);
  const bool diffused = sanitized[kParamDiffusion] > 0.0f ||
                        IsStructure(static_cast<int>(sanitized[kParamModel]), Structure::kDiffusedChorus);
  const double diffusionSeconds =
      diffused ? RepeatsUntilSilent(kDiffusionFeedback) * kDiffusionPassSeconds : 0.0;
  return kLongestDelaySeconds * repeats + diffusionSeconds + FilterSettleSeconds() + kTailMarginSeconds;
}

int32_t TailSamplesFromSeconds(double seconds, double sampleRate) {
  if (std::isinf(seconds) && seconds > 0.0) return kInfiniteTailSamples;
  const double samples = std::ceil(seconds * sampleRate);
  if (!(samples > 0.0)) return 0;  // also NaN
  if (samples >= static_cast<double>(kMaxTailSamples)) return kMaxTailSamples;
  return static_cast<int32_t>(samples);
}

}  // namespace halcyra
