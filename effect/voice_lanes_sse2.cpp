// The voices' four-lane render for the SSE2 baseline, in the fast and the exact form, and the
// choice between the instruction sets.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/math_constants.h"
#include "effect/modulation.h"
#include "effect/voice_lanes.h"

namespace halcyra {
namespace lanes_sse2 {

#include "effect/quad_vector_sse2.inl"
// Keep the order: the lane math and the body use the Quad above.
#include "effect/lane_math.inl"
#include "effect/voice_lanes.inl"

VoiceLaneSums RenderFast(const VoiceLaneInputs& in) { return RenderVoiceLanes<FastLaneMath>(in); }
VoiceLaneSums RenderExact(const VoiceLaneInputs& in) { return RenderVoiceLanes<ExactLaneMath>(in); }

void Evaluate(LaneFunction function, const double in[4], double out[4]) {
  const Quad x = Quad::Load(in);
  (function == LaneFunction::kSinTurns ? SinTurns(x) : Tanh(x)).Store(out);
}

#include "effect/voice_lanes_probes.inl"

void WaveMixExact(const double phases[4], const int seeds[4], double skewPercent,
                  const double weights[kWaveShapeCount], double out[4]) {
  WaveMix<ExactLaneMath>(Quad::Load(phases), seeds, skewPercent, weights, kNoSettledChoice).Store(out);
}

}  // namespace lanes_sse2

bool WideVoiceLanesAvailable() {
#if defined(__GNUC__) && defined(__x86_64__)
  static const bool available =
      lanes_avx2::kRenderFast != nullptr && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  return available;
#else
  return false;
#endif
}

void EvaluateLaneMath(bool wide, LaneFunction function, const double in[4], double out[4]) {
  if (wide && WideVoiceLanesAvailable()) {
    lanes_avx2::kEvaluate(function, in, out);
  } else {
    lanes_sse2::Evaluate(function, in, out);
  }
}

void EvaluateReadLines(bool wide, const DelayLine (&lines)[2], const double delays[4], double cubicWeight,
                       double out[4]) {
  (wide && WideVoiceLanesAvailable() ? lanes_avx2::kReadLines : lanes_sse2::ReadLinesAt)(lines, delays,
                                                                                         cubicWeight, out);
}

void EvaluateClampedDelays(bool wide, const double delaysMs[4], double sampleRate, double out[4]) {
  (wide && WideVoiceLanesAvailable() ? lanes_avx2::kClampDelays : lanes_sse2::ClampDelays)(delaysMs,
                                                                                           sampleRate, out);
}

void EvaluateWaveMix(MathPath path, bool wide, const double phases[4], const int seeds[4], double skewPercent,
                     const double weights[kWaveShapeCount], double out[4]) {
  WaveMixProbe probe = lanes_sse2::WaveMixFast;
  if (path == MathPath::kReference) {
    probe = lanes_sse2::WaveMixExact;
  } else if (wide && WideVoiceLanesAvailable()) {
    probe = lanes_avx2::kWaveMixFast;
  }
  probe(phases, seeds, skewPercent, weights, out);
}

VoiceLaneRenderer ChooseVoiceLanes(MathPath path, bool wide) {
  if (path == MathPath::kReference) return lanes_sse2::RenderExact;
  if (wide && WideVoiceLanesAvailable()) return lanes_avx2::kRenderFast;
  return lanes_sse2::RenderFast;
}

}  // namespace halcyra
