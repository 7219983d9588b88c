#include "effect/engine_voices.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace halcyra {
namespace {

using namespace voicing;

}  // namespace

VoiceStage::VoiceStage(MathPath math) : math_(math) {
  UseWideLanes(true);
  lanes_.state = &state_;
  lanes_.centerMs = centerMs_;
  lanes_.depthScalePercent = depthScalePercent_;
  lanes_.phaseOffsetTurns = phaseOffsetTurns_;
  lanes_.detuneCents = detuneCents_;
  lanes_.panGainLeft = panGainLeft_;
  lanes_.panGainRight = panGainRight_;
  for (int v = 0; v < kVoiceCount; ++v) {
    humanizeSeed_[v] = HashUnit(v, kHumanizeSeed);
    cachedRampCents_[v] = std::numeric_limits<double>::quiet_NaN();
    cachedRampWindowSamples_[v] = std::numeric_limits<double>::quiet_NaN();
  }
}

namespace {
bool VoiceGoalActive(const ParamSmoother& params, int voice, int activeCount) {
  return voice < activeCount && params.Value(VoiceParamIndex(voice, kVoiceEnabled)) != 0.0f;
}
int ActiveCountFor(const ParamSmoother& params) {
  return ActiveVoiceCount(params.Stepped(kParamModel), params.Stepped(kParamVoices));
}
}  // namespace

void VoiceStage::Prime(const ParamSmoother& params) {
  const int activeCount = ActiveCountFor(params);
  for (int v = 0; v < kVoiceCount; ++v) {
    state_.cycles[v] = 0.0;
    state_.ramp[v] = v * kRampSpacing;
    state_.cycleOffset[v] = 0.0;
    state_.rampOffset[v] = 0.0;
    state_.active[v] = VoiceGoalActive(params, v, activeCount) ? 1.0 : 0.0;
  }
  offsetsGliding_ = false;
  activitySettled_ = false;
  layoutDirty_ = true;
}

void VoiceStage::Resync(const ParamSmoother& params, double positionQuarterNotes, bool glide) {
  constexpr double kResyncCycleWrap = 1048576.0;
  const double quarterNotes = QuarterNotesForDivision(params.Stepped(kParamDivision));
  for (int v = 0; v < kVoiceCount; ++v) {
    const double ratio = params.Value(VoiceParamIndex(v, kVoiceRateRatio));
    const double cycles = ratio * std::fmod(positionQuarterNotes / quarterNotes, kResyncCycleWrap);
    const double goal = Frac(cycles + v * kRampSpacing);
    if (glide) {
      state_.cycleOffset[v] += state_.cycles[v] - cycles;
      state_.rampOffset[v] = Frac(state_.rampOffset[v] + state_.ramp[v] - goal + 0.5) - 0.5;
    } else {
      state_.cycleOffset[v] = 0.0;
      state_.rampOffset[v] = 0.0;
    }
    state_.cycles[v] = cycles;
    state_.ramp[v] = goal;
  }
  offsetsGliding_ = glide;
}

void VoiceStage::StepActivity(const ParamSmoother& params, double coef5ms) {
  const int activeCount = ActiveCountFor(params);
  bool settled = true;
  for (int v = 0; v < kVoiceCount; ++v) {
    const double goal = VoiceGoalActive(params, v, activeCount) ? 1.0 : 0.0;
    if (state_.active[v] == goal) continue;
    StepToward(state_.active[v], goal, coef5ms);
    settled = settled && state_.active[v] == goal;
  }
  activitySettled_ = settled;
}

void VoiceStage::RefreshLayout(const Inputs& in) {
  const ParamSmoother& p = in.params;
  double activeSum = 0.0;
  for (int v = 0; v < kVoiceCount; ++v) activeSum += state_.active[v];
  const double normalisation = 1.0 / std::max(activeSum, 1.0);
  // The tilt runs end to end over the sounding voices, weighted by their activity so that a voice
  // fading in or out moves the others' positions smoothly; a single voice gets none.
  const double tilt = p.Value(kParamVoiceTilt);
  const double tiltSpan = activeSum - 1.0;
  const double tiltAmount = std::clamp(tiltSpan, 0.0, 1.0);
  const double spread = p.Value(kParamSpread);
  const double humanize = p.Value(kParamHumanize);
  const double detune = p.Value(kParamDetune);
  const double windowSeconds = IsStructure(p.Stepped(kParamModel), Structure::kMicroPitch)
                                   ? MicroPitchWindowSeconds(p.Value(kParamBaseDelay))
                                   : kDetuneWindowSeconds;
  const double windowSamples = windowSeconds * in.sampleRate;
  const bool reuse = in.math.TakesShortcuts();
  double activeBefore = 0.0;
  double gainSum = 0.0;
  lanes_.soundingCount = 0;
  rampsMoving_ = false;
  for (int v = 0; v < kVoiceCount; ++v) {
    const double pan = spread * p.Value(VoiceParamIndex(v, kVoicePan)) * 0.0001;
    state_.pan[v] = pan;
    panGainLeft_[v] = 1.0 - std::max(pan, 0.0);
    panGainRight_[v] = 1.0 + std::min(pan, 0.0);
    double tiltDb = 0.0;
    if (tiltAmount > 0.0 && tilt != 0.0) {
      const double position = std::clamp(activeBefore / tiltSpan, 0.0, 1.0);
      tiltDb = (position - 0.5) * tilt * tiltAmount;
    }
    activeBefore += state_.active[v];
    state_.levelDb[v] = tiltDb + p.Value(VoiceParamIndex(v, kVoiceLevel));
    state_.gain[v] = levelGain_[v].For(state_.levelDb[v], in.math) * state_.active[v] * normalisation;
    gainSum += std::fabs(state_.gain[v]);
    rateFactor_[v] = 1.0 + humanizeSeed_[v] * kHumanizePerPercent * humanize;
    centerMs_[v] =
        static_cast<double>(p.Value(kParamBaseDelay)) + p.Value(VoiceParamIndex(v, kVoiceDelayOffset));
    phaseOffsetTurns_[v] = p.Value(VoiceParamIndex(v, kVoicePhaseOffset)) / 360.0;
    detuneCents_[v] = detune + p.Value(VoiceParamIndex(v, kVoiceDetuneOffset));
    // Keyed on both inputs of the formula: the window in samples carries the rate.
    if (!reuse || detuneCents_[v] != cachedRampCents_[v] || windowSamples != cachedRampWindowSamples_[v]) {
      cachedRampCents_[v] = detuneCents_[v];
      cachedRampWindowSamples_[v] = windowSamples;
      rampStep_[v] = PitchRampRate(in.math.CentsToRatio(detuneCents_[v]), windowSamples);
    }
    rampsMoving_ = rampsMoving_ || rampStep_[v] != 0.0;
    depthScalePercent_[v] = p.Value(VoiceParamIndex(v, kVoiceDepthScale));
    if (state_.active[v] > kSilentWeight) {
      lanes_.sounding[lanes_.soundingCount++] = v;
    } else {
      state_.delayMs[v] = 0.0;
      state_.position[v] = 0.0;
    }
  }
  gainSum_ = gainSum;
  // With every ramp still, the update leaves each ramp where one Frac puts it (a ramp can have
  // rounded up to exactly 1): taking that one step here makes skipping the updates exact.
  if (!rampsMoving_) {
    for (int v = 0; v < kVoiceCount; v += 2) Frac(StereoVector::Load(state_.ramp + v)).Store(state_.ramp + v);
  }
  cycleStepRateHz_ = -1.0;
  lanes_.stereoPhase = p.Value(kParamStereoPhase) / 360.0;
  lanes_.phaseTurn = p.Value(kParamPhase) / 360.0;
  lanes_.skew = p.Value(kParamSkew);
  lanes_.driftShare = p.Value(kParamDrift) * kDriftPerPercent;
  lanes_.microPitchWindowSamples = MicroPitchWindowSeconds(p.Value(kParamBaseDelay)) * in.sampleRate;
}

void VoiceStage::AdvanceModulation(const Inputs& in) {
  const bool shortcuts = in.math.TakesShortcuts();
  // The steps change only with the rate, which the envelope or the tempo may move, and with the
  // layout, whose refresh drops them.
  if (in.effectiveRateHz != cycleStepRateHz_ || !shortcuts) {
    const ParamSmoother& p = in.params;
    for (int v = 0; v < kVoiceCount; ++v) {
      state_.rate[v] = rateFactor_[v] * in.effectiveRateHz * p.Value(VoiceParamIndex(v, kVoiceRateRatio));
      cycleStep_[v] = state_.rate[v] / in.sampleRate;
    }
    cycleStepRateHz_ = in.effectiveRateHz;
  }
  for (int v = 0; v < kVoiceCount; v += 2) {
    (StereoVector::Load(state_.cycles + v) + StereoVector::Load(cycleStep_ + v)).Store(state_.cycles + v);
  }
  // A ramp that does not move stays where it is: it is in [0, 1), where Frac changes nothing.
  if (rampsMoving_ || !shortcuts) {
    for (int v = 0; v < kVoiceCount; v += 2) {
      const StereoVector step = StereoVector::Load(rampStep_ + v);
      Frac(StereoVector::Load(state_.ramp + v) + step).Store(state_.ramp + v);
    }
  }
  if (offsetsGliding_ || !shortcuts) {
    bool gliding = false;
    for (int v = 0; v < kVoiceCount; ++v) {
      StepToward(state_.cycleOffset[v], 0.0, in.coef5ms);
      StepToward(state_.rampOffset[v], 0.0, in.coef5ms);
      gliding = gliding || state_.cycleOffset[v] != 0.0 || state_.rampOffset[v] != 0.0;
    }
    offsetsGliding_ = gliding;
  }
}

void VoiceStage::FinishBlock() {
  for (int i = 0; i < lanes_.soundingCount; ++i) {
    const int v = lanes_.sounding[i];
    const double depthMs = lanes_.effectiveDepthMs * depthScalePercent_[v] * 0.01;
    state_.position[v] = depthMs > kSilentWeight ? (state_.delayMs[v] - centerMs_[v]) / depthMs : 0.0;
  }
}

void VoiceStage::UseWideLanes(bool wide) {
  render_ = ChooseVoiceLanes(math_, wide);
  wideLanes_ = wide && math_ == MathPath::kFast && WideVoiceLanesAvailable();
}

VoiceStage::Sums VoiceStage::Render(const Inputs& in) {
  if (!activitySettled_) {
    StepActivity(in.params, in.coef5ms);
    layoutDirty_ = true;
  }
  if (layoutDirty_) {
    RefreshLayout(in);
    layoutDirty_ = !activitySettled_;
  }
  AdvanceModulation(in);

  VoiceLaneInputs& lanes = lanes_;
  lanes.weights = &in.weights;
  lanes.lines = &in.lines;
  if (lanes.sampleRate != in.sampleRate) {
    lanes.sampleRate = in.sampleRate;
    lanes.msPerSample = 1000.0 / in.sampleRate;
  }
  lanes.effectiveDepthMs = in.effectiveDepthMs;
  lanes.driftPhase = in.driftPhase;
  lanes.driftSine = in.weights.structure[static_cast<int>(Structure::kVintageEnsemble)] > kSilentWeight
                        ? in.math.SinTurns(in.driftPhase)
                        : 0.0;
  const VoiceLaneSums lanesSums = render_(lanes);
  return {lanesSums.wet, lanesSums.taps, gainSum_};
}

}  // namespace halcyra
