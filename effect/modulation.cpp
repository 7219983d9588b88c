#include "effect/modulation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace halcyra {
namespace {

constexpr double kTwoPi = 6.283185307179586476925286766559;
constexpr double kJumpToleranceQuarterNotes = 0.03;
constexpr double kMinRateHz = 0.001;
constexpr double kMaxRateHz = 100.0;

// Quarter notes per cycle, by `division` value.
constexpr double kDivisionQuarterNotes[] = {16.0, 8.0, 4.0,  2.0,       1.0,      0.5,
                                            0.25, 1.5, 0.75, 2.0 / 3.0, 1.0 / 3.0};
constexpr int kDivisionCount = sizeof(kDivisionQuarterNotes) / sizeof(kDivisionQuarterNotes[0]);
static_assert(kDivisionCount == 11, "one entry per division label");

double SkewedPhase(double p, double skewPercent) {
  const double s = 0.5 + 0.0045 * std::clamp(skewPercent, -90.0, 90.0);
  return p < s ? p * 0.5 / s : 0.5 + (p - s) * 0.5 / (1.0 - s);
}

}  // namespace

double Frac(double x) { return x - std::floor(x); }

double HashUnit(int64_t n, int seed) {
  // Unsigned arithmetic: the mix relies on wrap-around and logical shifts.
  uint64_t z = static_cast<uint64_t>(n) -
               (static_cast<uint64_t>(static_cast<int64_t>(seed)) + 1u) * 0x61C8864680B583EBull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return static_cast<double>((z ^ (z >> 31)) >> 11) * 0x1.0p-52 - 1.0;
}

double Wave(WaveShape shape, double phase, double skewPercent, int seed) {
  if (!std::isfinite(phase)) phase = 0.0;
  const double cycle = std::floor(phase);
  const double p = phase - cycle;
  // Cycle numbers past the int64 range would be undefined to convert; random shapes
  // only need a repeatable number there.
  const int64_t n = std::fabs(cycle) < 9.0e18 ? static_cast<int64_t>(cycle) : 0;
  switch (shape) {
    case WaveShape::kSine:
      return std::sin(kTwoPi * SkewedPhase(p, skewPercent));
    case WaveShape::kTriangle:
      return 1.0 - 4.0 * std::fabs(SkewedPhase(p, skewPercent) - 0.5);
    case WaveShape::kSoftSquare:
      return std::tanh(3.0 * std::sin(kTwoPi * SkewedPhase(p, skewPercent))) / std::tanh(3.0);
    case WaveShape::kRampUp:
      return 2.0 * SkewedPhase(p, skewPercent) - 1.0;
    case WaveShape::kRampDown:
      return 1.0 - 2.0 * SkewedPhase(p, skewPercent);
    case WaveShape::kSmoothRandom: {
      const double s = (3.0 - 2.0 * p) * p * p;
      return HashUnit(n, seed) * (1.0 - s) + HashUnit(n + 1, seed) * s;
    }
    case WaveShape::kSampleHold:
      return HashUnit(n, seed);
    case WaveShape::kCount:
      break;
  }
  return 0.0;
}

double QuarterNotesForDivision(int division) {
  return kDivisionQuarterNotes[std::clamp(division, 0, kDivisionCount - 1)];
}

double EffectiveRateHz(bool sync, double tempo, int division, double freeRateHz, double envelopeAmount,
                       double envelopeRatePercent) {
  const double base = sync ? tempo / (QuarterNotesForDivision(division) * 60.0) : freeRateHz;
  // exp2(0) is 1: skipping it when the envelope is idle changes nothing and saves a call per sample.
  const double exponent = envelopeAmount * envelopeRatePercent * 0.02;
  const double rate = exponent == 0.0 ? base : base * std::exp2(exponent);
  if (!(rate >= kMinRateHz)) return kMinRateHz;  // also NaN
  return std::min(rate, kMaxRateHz);
}

void UpdateTransport(TransportState& state, const TransportInput& input, bool transportReset,
                     double tempoFallback) {
  const bool tempoOk = input.tempoValid && std::isfinite(input.tempo) && input.tempo > 0.0;
  const bool positionOk = input.positionValid && std::isfinite(input.positionQuarterNotes);
  const bool jumped =
      positionOk && state.positionValid && input.playing &&
      std::fabs(input.positionQuarterNotes - state.expectedPosition) > kJumpToleranceQuarterNotes;
  const bool started = input.playing && !state.wasPlaying;
  const bool becameValid = positionOk && !state.positionValid;
  if (transportReset && (started || jumped || becameValid)) {
    state.resyncPosition = positionOk ? input.positionQuarterNotes : 0.0;
    state.resyncPending = true;
  }
  state.tempo =
      tempoOk ? std::min(input.tempo, static_cast<double>(std::numeric_limits<float>::max())) : tempoFallback;
  state.tempoValid = tempoOk;
  state.positionValid = positionOk;
  state.playing = input.playing;
  state.wasPlaying = input.playing;
}

}  // namespace halcyra
