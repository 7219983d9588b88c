#pragma once
// The voice stage: eight voice slots that each read the delay lines at a moving delay, under the
// structures the mode weights select. Per sample it steps the voices' activity, follows the layout
// when parameters move, advances every voice's modulation (rate, cycles, pitch ramp, resync
// glides), then hands the sounding voices to the four-lane render (voice_lanes.h), which sums the
// wet signal, the feedback taps and each voice's display state. Audio thread; nothing here
// allocates.

#include "effect/engine_input.h"
#include "effect/engine_math.h"
#include "effect/engine_smoothing.h"
#include "effect/modulation.h"
#include "effect/stereo_vector.h"
#include "effect/voice_lanes.h"
#include "effect/voice_state.h"

namespace halcyra {

class VoiceStage {
 public:
  explicit VoiceStage(MathPath math);

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
  };
  struct Sums {
    StereoVector wet;
    StereoVector taps;
    double gainSum;  // Σ |voice gain|, which bounds the feedback
  };

  // Set-up: the fast path's four-lane render in AVX2 where the processor has it (the default), or
  // the SSE2 baseline. The reference path always runs the baseline.
  void UseWideLanes(bool wide);
  bool UsesWideLanes() const { return wideLanes_; }

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
  // After a block's last sample: the display positions of the sounding voices, which only the
  // end of the block shows, from their last mean delays.
  void FinishBlock();

  const VoiceState& State() const { return state_; }

 private:
  void StepActivity(const ParamSmoother& params, double coef5ms);
  void RefreshLayout(const Inputs& in);
  void AdvanceModulation(const Inputs& in);

  MathPath math_;
  VoiceLaneRenderer render_ = nullptr;
  bool wideLanes_ = false;
  VoiceState state_;
  // The layout, refreshed when the parameters change.
  double humanizeSeed_[kVoiceCount];     // HashUnit(v, 81): fixed per voice
  double rateFactor_[kVoiceCount] = {};  // 1 + the humanize deviation
  double panGainLeft_[kVoiceCount] = {};
  double panGainRight_[kVoiceCount] = {};
  double centerMs_[kVoiceCount] = {};
  double depthScalePercent_[kVoiceCount] = {};
  double phaseOffsetTurns_[kVoiceCount] = {};
  double detuneCents_[kVoiceCount] = {};
  double rampStep_[kVoiceCount] = {};
  double cycleStep_[kVoiceCount] = {};  // rate / fs, for the rate it was worked out at
  double cycleStepRateHz_ = -1.0;
  DbGain levelGain_[kVoiceCount];
  double cachedRampCents_[kVoiceCount];
  double cachedRampWindowSamples_[kVoiceCount];
  double gainSum_ = 0.0;
  // What the lanes read: the layout above, the sounding voices in order, and the per-sample values.
  VoiceLaneInputs lanes_;
  bool layoutDirty_ = true;
  bool activitySettled_ = false;
  bool offsetsGliding_ = false;
  bool rampsMoving_ = false;
};

}  // namespace halcyra
