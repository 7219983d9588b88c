#pragma once
// The chorus's modulation sources: the deterministic hash behind the random
// shapes and humanize, the seven skewable wave shapes, tempo divisions and the
// host-transport tracking that decides when voices re-lock to the timeline.
// Pure functions and plain state; audio thread only, no allocation.

#include <cstdint>

namespace halcyra {

enum class WaveShape : int {
  kSine = 0,
  kTriangle,
  kSoftSquare,
  kRampUp,
  kRampDown,
  kSmoothRandom,
  kSampleHold,
  kCount
};
constexpr int kWaveShapeCount = static_cast<int>(WaveShape::kCount);

// x - floor(x): in [0, 1) for negative x too.
double Frac(double x);

// A repeatable value in [-1, 1) for a cycle number and a seed.
double HashUnit(int64_t n, int seed);

// One shape at a phase in cycles; skew in percent (-90 to 90) moves the
// waveform's midpoint. The random shapes ignore skew and change once a cycle.
double Wave(WaveShape shape, double phase, double skewPercent, int seed);

// Quarter notes per modulation cycle for a `division` value (clamped to 0..10).
double QuarterNotesForDivision(int division);

// The base modulation rate: tempo-synced or free, scaled by the envelope
// amount (0..1) and `envelope-rate` (percent), clamped to 0.001..100 Hz.
double EffectiveRateHz(bool sync, double tempo, int division, double freeRateHz, double envelopeAmount,
                       double envelopeRatePercent);

// Host transport as the engine keeps it between blocks.
struct TransportState {
  double tempo = 120.0;
  double expectedPosition = 0.0;  // quarter notes
  bool tempoValid = false;
  bool positionValid = false;
  bool playing = false;
  bool wasPlaying = false;
  bool resyncPending = false;
  double resyncPosition = 0.0;
};

struct TransportInput {
  double tempo;
  double positionQuarterNotes;
  bool playing;
  bool tempoValid;
  bool positionValid;
};

// Takes one block's host transport: validates it, detects a start of playback
// or a position jump and, with transport reset on, marks a resync.
void UpdateTransport(TransportState& state, const TransportInput& input, bool transportReset,
                     double tempoFallback);

// The tempo in use: the host's when valid, else the fallback parameter.
inline double TempoInUse(const TransportState& state, double tempoFallback) {
  return state.tempoValid ? state.tempo : tempoFallback;
}

}  // namespace halcyra
