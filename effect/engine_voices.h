#pragma once
// The voice stage: eight voice slots that each read the delay lines at a moving delay, under the
// structures the mode weights select. Per sample it advances every voice's modulation (rate,
// cycles, pitch ramp, resync glides), renders the sounding voices for both channels at once with
// every structure above the silent weight, and sums the wet signal, the feedback taps and each
// voice's display state. Audio thread; nothing here allocates.

#include "effect/engine_input.h"
#include "effect/engine_math.h"
#include "effect/engine_smoothing.h"
#include "effect/modulation.h"
#include "effect/stereo_vector.h"
#include "effect/voice_state.h"

namespace halcyra {

// A structure's read delay for a delay in ms: in samples, never below 2 nor above 0.235 fs.
double ClampedDelaySamples(double delayMs, double sampleRate);

class VoiceStage {
 public:
  VoiceStage();

  // What the voices need from the rest of the engine for one sample.
  struct Inputs {
    const ParamSmoother& params;
    const ModeWeights& weights;
    const DelayLines& lines;
    const EngineMath& math;
    double sampleRate;
    double coef5ms;
    double effectiveDepthMs;
    double effectiveRateHz;
    double driftPhase;
    bool feedbackActive;  // the taps are read only while the feedback can return them
  };
  struct Sums {
    StereoVector wet;
    StereoVector taps;
    double gainSum;  // Σ |voice gain|, which bounds the feedback
  };

  // Every voice's modulation restarts and its activity snaps to its goal.
  void Prime(const ParamSmoother& params);
  // Re-locks every voice's phase to a transport position (quarter notes); with `glide` the
  // offsets keep the phase continuous and then decay.
  void Resync(const ParamSmoother& params, double positionQuarterNotes, bool glide);
  // The voice layout (pans, levels, gains, rates, ramp speeds) follows the parameters: called
  // for every sample in which a smoothed value changed.
  void ParamsChanged() {
    layoutDirty_ = true;
    activitySettled_ = false;
  }

  Sums Render(const Inputs& in);

  const VoiceState& State() const { return state_; }

 public:
  // The ramp's head-window offsets and crossfade, shared by both channels of a voice.
  struct RampHeads {
    double crossfade;  // sin² π·ramp
    double head1;
    double head2;
  };

 private:
  // One sounding voice within one sample: what its renders share, with the terms that both
  // channels or several structures use worked out on first use.
  struct VoiceFrame {
    int voice;
    double centerMs;
    double depthMs;
    double phase;
    StereoVector drift;
    StereoVector waveMix;  // M0
    bool waveMixReady = false;
    double phaseSine = 0.0;  // sin 2π·phase (Dimension)
    bool phaseSineReady = false;
    double vintageSine = 0.0;  // sin 2π·4.73·phase (Vintage Ensemble)
    bool vintageSineReady = false;
    RampHeads heads{};
    bool headsReady = false;
  };
  // What every sounding voice's renders share within a sample.
  struct SampleShared {
    double stereoPhase = 0.0;  // cycles
    double phaseTurn = 0.0;    // the global phase, cycles
    double driftSine = 0.0;    // sin 2π·drift phase, only while Vintage Ensemble sounds
  };
  struct VoiceRead {
    StereoVector sample;
    StereoVector delayMs;
  };

  void StepActivity(const ParamSmoother& params, double coef5ms);
  void RefreshLayout(const Inputs& in);
  void AdvanceModulation(const Inputs& in);
  HALCYRA_INLINE StereoVector WaveMix(const Inputs& in, StereoVector phase, int seedLeft,
                                      int seedRight) const;
  HALCYRA_INLINE StereoVector WaveValue(const Inputs& in, WaveShape shape, StereoVector g, StereoVector p,
                                        StereoVector cycle, int seedLeft, int seedRight) const;
  // A structure's modulation value for both channels, drift included.
  void PrepareDetuneHeads(const Inputs& in);
  void PreparePhaseSines(const Inputs& in);
  HALCYRA_INLINE StereoVector Modulation(const Inputs& in, Structure structure, VoiceFrame& voice) const;
  // A structure's reading at the delay its modulation gave.
  HALCYRA_INLINE VoiceRead ReadStructure(const Inputs& in, Structure structure, VoiceFrame& voice,
                                         StereoVector delay) const;
  VoiceRead RenderMicroPitch(const Inputs& in, const VoiceFrame& voice) const;
  StereoVector ApplyDetuneHeads(const Inputs& in, StereoVector sample, StereoVector delay,
                                VoiceFrame& voice) const;

  VoiceState state_;
  // The layout, refreshed when the parameters change.
  double humanizeSeed_[kVoiceCount];     // HashUnit(v, 81): fixed per voice
  double rateFactor_[kVoiceCount] = {};  // 1 + the humanize deviation
  double panGainLeft_[kVoiceCount] = {};
  double panGainRight_[kVoiceCount] = {};
  double centerMs_[kVoiceCount] = {};
  double phaseOffsetTurns_[kVoiceCount] = {};
  double detuneCents_[kVoiceCount] = {};
  double rampStep_[kVoiceCount] = {};
  double cycleStep_[kVoiceCount] = {};  // rate / fs, for the rate it was worked out at
  double cycleStepRateHz_ = -1.0;
  double levelGain_[kVoiceCount] = {};
  double cachedLevelDb_[kVoiceCount];
  double cachedRampCents_[kVoiceCount];
  double cachedRampWindow_[kVoiceCount];
  double gainSum_ = 0.0;
  int sounding_[kVoiceCount] = {};  // the voices above the silent weight, in order
  // Per-sample scratch of the sounding voices.
  SampleShared shared_;
  VoiceFrame frames_[kVoiceCount];
  StereoVector samples_[kVoiceCount];
  StereoVector delaysMs_[kVoiceCount];
  StereoVector delays_[kVoiceCount];
  int soundingCount_ = 0;
  bool layoutDirty_ = true;
  bool activitySettled_ = false;
  bool offsetsGliding_ = false;
  bool rampsMoving_ = false;
};

}  // namespace halcyra
