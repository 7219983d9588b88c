#include "effect/modulation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace halcyra {
namespace {

constexpr double kJumpToleranceQuarterNotes = 0.03;
constexpr double kMinRateHz = 0.001;
constexpr double kMaxRateHz = 100.0;

// Quarter notes per cycle, by `division` value.
constexpr double kDivisionQuarterNotes[] = {16.0, 8.0, 4.0,  2.0,       1.0,      0.5,
                                            0.25, 1.5, 0.75, 2.0 / 3.0, 1.0 / 3.0};
constexpr int kDivisionCount = sizeof(kDivisionQuarterNotes) / sizeof(kDivisionQuarterNotes[0]);
static_assert(kDivisionCount == 11, "one entry per division label");

}  // namespace

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
