#pragma once
// The chorus's modulation sources: the deterministic hash behind the random
// shapes and humanize, the seven wave shapes (evaluated by the voices, in
// voice_lanes.inl), tempo divisions and the host-transport tracking that decides
// when voices re-lock to the timeline. Pure functions and plain state; audio
// thread only, no allocation.

#include <algorithm>
#include <cmath>
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

// std::floor, exactly, without the library call the baseline x86-64 target makes for it: below 2^52
// the truncation and the step down are exact; zeros, large values and NaN go to std::floor.
inline double Floor(double x) {
  if (!(std::fabs(x) < 4503599627370496.0) || x == 0.0) return std::floor(x);
  const double t = static_cast<double>(static_cast<int64_t>(x));
  return t > x ? t - 1.0 : t;
}

// x - floor(x): in [0, 1) for negative x too.
inline double Frac(double x) { return x - Floor(x); }

// A repeatable value in [-1, 1) for a cycle number and a seed.
inline double HashUnit(int64_t n, int seed) {
  // Unsigned arithmetic: the mix relies on wrap-around and logical shifts.
  uint64_t z = static_cast<uint64_t>(n) -
               (static_cast<uint64_t>(static_cast<int64_t>(seed)) + 1u) * 0x61C8864680B583EBull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return static_cast<double>((z ^ (z >> 31)) >> 11) * 0x1.0p-52 - 1.0;
}

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
