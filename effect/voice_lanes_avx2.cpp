// The voices' four-lane render for processors with AVX2 and FMA, chosen at run time. Only the code
// inside the target region below is compiled for AVX2, in a namespace of its own: everything the
// rest of the program shares (headers included above it, the library) stays baseline code, so no
// AVX instruction can reach a processor without them through a shared inline function.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/math_constants.h"
#include "effect/modulation.h"
#include "effect/voice_lanes.h"

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,fma"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,fma")
#endif
namespace halcyra::lanes_avx2 {

#include "effect/quad_vector_avx2.inl"
// Keep the order: the lane math and the body use the Quad above.
#include "effect/lane_math.inl"
#include "effect/voice_lanes.inl"

VoiceLaneSums RenderFastWide(const VoiceLaneInputs& in) { return RenderVoiceLanes<FastLaneMath>(in); }
const VoiceLaneRenderer kRenderFast = RenderFastWide;

void EvaluateWide(LaneFunction function, const double in[4], double out[4]) {
  const Quad x = Quad::Load(in);
  (function == LaneFunction::kSinTurns ? SinTurns(x) : Tanh(x)).Store(out);
}
void (*const kEvaluate)(LaneFunction, const double[4], double[4]) = EvaluateWide;

#include "effect/voice_lanes_probes.inl"
const ReadLinesProbe kReadLines = ReadLinesAt;
const ClampedDelaysProbe kClampDelays = ClampDelays;
const WaveMixProbe kWaveMixFast = WaveMixFast;

}  // namespace halcyra::lanes_avx2
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#else
namespace halcyra::lanes_avx2 {
const VoiceLaneRenderer kRenderFast = nullptr;
void (*const kEvaluate)(LaneFunction, const double[4], double[4]) = nullptr;
const ReadLinesProbe kReadLines = nullptr;
const ClampedDelaysProbe kClampDelays = nullptr;
const WaveMixProbe kWaveMixFast = nullptr;
}  // namespace halcyra::lanes_avx2
#endif
