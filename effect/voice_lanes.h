#pragma once
// The voices' per-sample render in four lanes, two voices × two channels at once: every sounding
// voice's modulation under every structure above the silent weight, its reads of the delay lines,
// the detune heads and Micro Pitch, and the sums of the wet signal and the feedback taps. The body
// (voice_lanes.inl) is compiled once for the SSE2 baseline and once for AVX2 with FMA, chosen at run
// time; the reference path runs the baseline with the exact library functions. The voice stage
// prepares the inputs; audio thread; nothing here allocates.

#include "effect/delay_line.h"
#include "effect/engine_input.h"
#include "effect/engine_math.h"
#include "effect/engine_smoothing.h"
#include "effect/stereo_vector.h"
#include "effect/voice_state.h"

namespace halcyra {

// What the lanes read for one sample, kept by the voice stage (which refreshes what changed).
// Per-voice arrays are indexed by voice slot.
struct VoiceLaneInputs {
  // The sounding voices in order; an odd count renders its last voice twice, the copy muted.
  int soundingCount = 0;
  int sounding[kVoiceCount] = {};
  VoiceState* state = nullptr;  // read: cycles, offsets, ramps, gains; written: the mean delays
  const double* centerMs = nullptr;
  const double* depthScalePercent = nullptr;
  const double* phaseOffsetTurns = nullptr;
  const double* detuneCents = nullptr;
  const double* panGainLeft = nullptr;
  const double* panGainRight = nullptr;
  const ModeWeights* weights = nullptr;
  const DelayLines* lines = nullptr;
  double sampleRate = 48000.0;
  double msPerSample = 1000.0 / 48000.0;
  double phaseTurn = 0.0;    // the global phase, cycles
  double stereoPhase = 0.0;  // cycles
  double skew = 0.0;         // percent
  double driftShare = 0.0;   // drift × 0.002
  double microPitchWindowSamples = 0.0;
  // Per sample.
  double effectiveDepthMs = 0.0;
  double driftPhase = 0.0;
  double driftSine = 0.0;  // sin 2π·drift phase, while Vintage Ensemble sounds
};

struct VoiceLaneSums {
  StereoVector wet;
  StereoVector taps;
};

using VoiceLaneRenderer = VoiceLaneSums (*)(const VoiceLaneInputs& in);

// The render for a math path: the reference path always runs the baseline; the fast path runs the
// AVX2 body when `wide` is asked for and the processor has AVX2 and FMA.
VoiceLaneRenderer ChooseVoiceLanes(MathPath path, bool wide);
// Any thread: whether this processor can run the AVX2 body.
bool WideVoiceLanesAvailable();

// Any thread: the lanes' polynomial sine of turns or hyperbolic tangent on four values, in the
// baseline or (where available) the AVX2 build, so the tests can hold each build to its bounds.
enum class LaneFunction { kSinTurns, kTanh };
void EvaluateLaneMath(bool wide, LaneFunction function, const double in[4], double out[4]);

// Any thread: the building blocks of the render on four lanes, in the build that the voices of a
// math path and width run, so the tests hold the code the engine runs to the values it must give.
// The blended read of a pair of lines at four delays in samples (lanes 0 and 2 read the left line,
// 1 and 3 the right); a structure's read delay in samples for four delays in ms; the selectable wave
// at four phases with the given seeds, skew (percent) and shape weights.
void EvaluateReadLines(bool wide, const DelayLine (&lines)[2], const double delays[4], double cubicWeight,
                       double out[4]);
void EvaluateClampedDelays(bool wide, const double delaysMs[4], double sampleRate, double out[4]);
void EvaluateWaveMix(MathPath path, bool wide, const double phases[4], const int seeds[4], double skewPercent,
                     const double weights[kWaveShapeCount], double out[4]);

// The same blocks as plain functions of one build.
using ReadLinesProbe = void (*)(const DelayLine (&lines)[2], const double delays[4], double cubicWeight,
                                double out[4]);
using ClampedDelaysProbe = void (*)(const double delaysMs[4], double sampleRate, double out[4]);
using WaveMixProbe = void (*)(const double phases[4], const int seeds[4], double skewPercent,
                              const double weights[kWaveShapeCount], double out[4]);

namespace lanes_sse2 {
VoiceLaneSums RenderFast(const VoiceLaneInputs& in);
VoiceLaneSums RenderExact(const VoiceLaneInputs& in);
void Evaluate(LaneFunction function, const double in[4], double out[4]);
void ReadLinesAt(const DelayLine (&lines)[2], const double delays[4], double cubicWeight, double out[4]);
void ClampDelays(const double delaysMs[4], double sampleRate, double out[4]);
void WaveMixFast(const double phases[4], const int seeds[4], double skewPercent,
                 const double weights[kWaveShapeCount], double out[4]);
void WaveMixExact(const double phases[4], const int seeds[4], double skewPercent,
                  const double weights[kWaveShapeCount], double out[4]);
}  // namespace lanes_sse2
namespace lanes_avx2 {
// Null where the compiler cannot target AVX2.
extern const VoiceLaneRenderer kRenderFast;
extern void (*const kEvaluate)(LaneFunction function, const double in[4], double out[4]);
extern const ReadLinesProbe kReadLines;
extern const ClampedDelaysProbe kClampDelays;
extern const WaveMixProbe kWaveMixFast;
}  // namespace lanes_avx2

}  // namespace halcyra
