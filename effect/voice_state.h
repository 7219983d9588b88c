#pragma once
// The twelve chorus structures, the voices each lets sound, the structures' voicing constants and
// the voices' state. VoiceState holds one array per quantity with a slot for each of the eight
// voices, so the per-sample updates run over the voices as plain loops; the constants are the
// numbers the structures' modulation is built from, named once here. The state is owned and written
// by the voice stage on the audio thread.

#include <algorithm>

#include "effect/param_table.h"

namespace halcyra {

// The `model` values.
enum class Structure : int {
  kDigitalClassic = 0,
  kDualStereo,
  kDimension,
  kEnsemble,
  kTriChorus,
  kAnalogBbd,
  kVintageEnsemble,
  kMicroPitch,
  kVibrato,
  kRandomChorus,
  kMultiBand,
  kDiffusedChorus,
  kCount
};
constexpr int kStructureCount = static_cast<int>(Structure::kCount);

constexpr bool IsStructure(int model, Structure structure) { return model == static_cast<int>(structure); }

// The voices a structure lets sound for the requested `voices`: Tri Chorus at most three, Vibrato one.
constexpr int ActiveVoiceCount(int model, int voices) {
  constexpr int kTriChorusVoiceCap = 3;
  if (IsStructure(model, Structure::kVibrato)) return 1;
  if (IsStructure(model, Structure::kTriChorus)) return std::min(voices, kTriChorusVoiceCap);
  return voices;
}

namespace voicing {
// Modulation of the structures, by structure (values multiply cycles, delays or depths).
constexpr double kDualStereoRightRate = 1.037;
constexpr double kDimensionDepth = 0.35;
constexpr double kDimensionBlend = 0.15;  // of each side's voice sum crossed to the other
constexpr double kEnsembleWaveShare = 0.7;
constexpr double kEnsembleSineShare = 0.3;
constexpr double kEnsembleSineRate = 5.137;
constexpr double kEnsembleVoiceSpacing = 0.13;
constexpr double kEnsembleRightOffset = 0.19;
constexpr double kTriChorusFirstRate = 1.19;
constexpr double kTriChorusSecondRate = 0.83;
constexpr double kTriChorusVoiceSpacing = 0.17;
constexpr double kTriChorusRightOffset = 0.21;
constexpr double kVintageWaveShare = 0.65;
constexpr double kVintageSineShare = 0.25;
constexpr double kVintageSineRate = 4.73;
constexpr double kVintageDriftShare = 0.1;
constexpr int kRandomSeedOffset = 17;
constexpr double kMultiBandBaseRate = 0.7;
constexpr double kMultiBandRateStep = 0.3;
constexpr double kMultiBandRightOffset = 0.17;
constexpr double kMultiBandDepth[3] = {0.35, 1.0, 1.4};  // low, mid, high
// Drift: amount per percent, and the phase offsets that keep voices and channels apart.
constexpr double kDriftPerPercent = 0.002;
constexpr double kDriftRightOffset = 0.21;
constexpr double kDriftVoiceSpacing = 0.171;
// Pitch: the detune heads' window, the cents at which they take over fully, and Micro Pitch's
// window of 60 to 90 ms that grows with the base delay, with its longest head position.
constexpr double kDetuneWindowSeconds = 0.08;
constexpr double kDetuneFullBlendCents = 10.0;
constexpr double kMicroPitchWindowSeconds = 0.06;
constexpr double kMicroPitchWindowPerMs = 0.0005;
constexpr double kMicroPitchMaxHeadFraction = 0.12;  // of fs
// Every structure's reads and the feedback taps stay within this fraction of fs.
constexpr double kMaxReadFraction = 0.235;
// Voices start a cycle apart by this fraction of a ramp, so their heads never cross together.
constexpr double kRampSpacing = 0.125;
// The fixed per-voice deviation at 100 % humanize, as a fraction per percent.
constexpr double kHumanizePerPercent = 0.0005;
constexpr int kHumanizeSeed = 81;
}  // namespace voicing

// Micro Pitch's head window in seconds for a base delay in ms.
inline double MicroPitchWindowSeconds(double baseDelayMs) {
  return voicing::kMicroPitchWindowSeconds + voicing::kMicroPitchWindowPerMs * baseDelayMs;
}

// The pitch ramp's speed for a frequency ratio: the heads sweep the window at the speed that
// shifts the pitch by that ratio. Cycles per second for a window in seconds, per sample for a
// window in samples.
inline double PitchRampRate(double ratio, double window) { return (1.0 - ratio) / window; }

struct VoiceState {
  double cycles[kVoiceCount] = {};       // modulation cycles since the last reset or resync
  double ramp[kVoiceCount] = {};         // pitch-ramp phase, 0 to 1
  double cycleOffset[kVoiceCount] = {};  // decays to 0 after a resync
  double rampOffset[kVoiceCount] = {};
  double active[kVoiceCount] = {};  // smoothed 0 to 1
  double gain[kVoiceCount] = {};
  double position[kVoiceCount] = {};  // normalised modulation position, for the display
  double rate[kVoiceCount] = {};      // Hz
  double delayMs[kVoiceCount] = {};
  double pan[kVoiceCount] = {};  // -1 to 1
  double levelDb[kVoiceCount] = {};
};

}  // namespace halcyra
