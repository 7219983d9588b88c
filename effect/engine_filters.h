#pragma once
// The engine's filters: one-pole sections and transposed-direct-form-II biquads, each holding the
// state of both channels in one StereoVector (the two channels always share coefficients), the
// coefficient designs of the coefficient update, and the denormal flush that every state update
// ends with. Run on the audio thread; the designs are pure and callable from any thread.

#include "effect/sample_sanitize.h"
#include "effect/stereo_vector.h"

namespace halcyra {

constexpr double kTinyState = 1e-25;
constexpr double kMinFilterHz = 5.0;
constexpr double kMaxFilterFraction = 0.45;  // of fs: keeps every filter below Nyquist

// States below 1e-25 become 0, so decaying filters never reach the slow denormal range.
inline void FlushTiny(double& state) {
  if (state < kTinyState && state > -kTinyState) state = 0.0;
}
inline StereoVector FlushTiny(StereoVector state) {
  return ZeroWhere(Abs(state) < StereoVector::Both(kTinyState), state);
}

// state += (x - state) × coefficient, for both channels.
struct OnePole {
  StereoVector state;
  double coefficient = 0.0;

  StereoVector Run(StereoVector x) {
    state = FlushTiny(state + (x - state) * coefficient);
    return state;
  }
  void Clear() { state = StereoVector(); }
};

// Transposed direct form II; the identity until a design sets it.
struct Biquad {
  double b0 = 1.0;
  double b1 = 0.0;
  double b2 = 0.0;
  double a1 = 0.0;
  double a2 = 0.0;
  StereoVector z1;
  StereoVector z2;

  StereoVector Run(StereoVector x) {
    const StereoVector y = b0 * x + z1;
    z1 = FlushTiny(b1 * x - a1 * y + z2);
    z2 = FlushTiny(b2 * x - a2 * y);
    return SanitizeSample(y);
  }
  // True when the section passes its input unchanged: unity coefficients with numerator and
  // denominator equal, and no state left that could add to it.
  bool IsIdentity() const;
  void Clear() { z1 = z2 = StereoVector(); }
};

// 1 - exp(-2π f / fs), f clamped to [5 Hz, 0.45 fs].
double OnePoleCoefficient(double frequencyHz, double sampleRate);
// 1 - exp(-1000 / (ms × fs)): a one-pole smoother's coefficient for a time constant in milliseconds.
double TimeCoefficient(double milliseconds, double sampleRate);
// Low-pass at frequencyHz (clamped to [20 Hz, 0.45 fs]) with quality q.
void DesignLowPass(Biquad& b, double frequencyHz, double q, double sampleRate);
// High shelf of slope 1 at min(0.2 fs, 3000 Hz) with gain 10^(db / 20) above it.
void DesignHighShelf(Biquad& b, double db, double sampleRate);

}  // namespace halcyra
