#include "effect/engine_voices.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace halcyra {
namespace {

using namespace voicing;

constexpr double kMaxReadFraction = 0.235;  // of fs: the longest read any structure makes
constexpr double kDetuneAudibleCents = 1e-6;
constexpr int kModelMicroPitch = static_cast<int>(Structure::kMicroPitch);

StereoVector ClampedDelaySamples(StereoVector delayMs, double sampleRate) {
  const StereoVector d = delayMs * 0.001 * sampleRate;
  const StereoVector minimum = StereoVector::Both(DelayLine::kMinDelaySamples);
  return Min(Select(d >= minimum, d, minimum), StereoVector::Both(kMaxReadFraction * sampleRate));
}

// The random shapes' cycle number: past the int64 range a conversion would be undefined, and
// there any repeatable number will do.
int64_t CycleNumber(double cycle) { return std::fabs(cycle) < 9.0e18 ? static_cast<int64_t>(cycle) : 0; }

// Both channels' seeded hash pair for cycle numbers taken from `cycle`.
StereoVector HashPair(StereoVector cycle, int64_t step, int seedLeft, int seedRight) {
  return {HashUnit(CycleNumber(cycle.Left()) + step, seedLeft),
          HashUnit(CycleNumber(cycle.Right()) + step, seedRight)};
}

VoiceStage::RampHeads HeadsFor(double ramp, double window, const EngineMath& math) {
  const double s = math.SinHalfTurns(ramp);
  return {s * s, window * ramp, window * Frac(ramp + 0.5)};
}

}  // namespace

double ClampedDelaySamples(double delayMs, double sampleRate) {
  const double d = delayMs * 0.001 * sampleRate;
  if (!(d >= DelayLine::kMinDelaySamples)) return DelayLine::kMinDelaySamples;  // NaN too
  return std::min(d, kMaxReadFraction * sampleRate);
}

VoiceStage::VoiceStage() {
  for (int v = 0; v < kVoiceCount; ++v) {
    humanizeSeed_[v] = HashUnit(v, kHumanizeSeed);
    cachedLevelDb_[v] = std::numeric_limits<double>::quiet_NaN();
    cachedRampCents_[v] = std::numeric_limits<double>::quiet_NaN();
    cachedRampWindow_[v] = std::numeric_limits<double>::quiet_NaN();
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
  const double window = p.Stepped(kParamModel) == kModelMicroPitch
                            ? MicroPitchWindowSeconds(p.Value(kParamBaseDelay))
                            : kDetuneWindowSeconds;
  double activeBefore = 0.0;
  double gainSum = 0.0;
  soundingCount_ = 0;
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
    if (state_.levelDb[v] != cachedLevelDb_[v]) {
      cachedLevelDb_[v] = state_.levelDb[v];
      levelGain_[v] = in.math.DbToGain(state_.levelDb[v]);
    }
    state_.gain[v] = levelGain_[v] * state_.active[v] * normalisation;
    gainSum += std::fabs(state_.gain[v]);
    rateFactor_[v] = 1.0 + humanizeSeed_[v] * kHumanizePerPercent * humanize;
    centerMs_[v] =
        static_cast<double>(p.Value(kParamBaseDelay)) + p.Value(VoiceParamIndex(v, kVoiceDelayOffset));
    phaseOffsetTurns_[v] = p.Value(VoiceParamIndex(v, kVoicePhaseOffset)) / 360.0;
    detuneCents_[v] = detune + p.Value(VoiceParamIndex(v, kVoiceDetuneOffset));
    if (detuneCents_[v] != cachedRampCents_[v] || window != cachedRampWindow_[v]) {
      cachedRampCents_[v] = detuneCents_[v];
      cachedRampWindow_[v] = window;
      rampStep_[v] = PitchRampRate(in.math.Exp2(detuneCents_[v] / 1200.0), window * in.sampleRate);
    }
    rampsMoving_ = rampsMoving_ || rampStep_[v] != 0.0;
    if (state_.active[v] > kSilentWeight) {
      sounding_[soundingCount_++] = v;
    } else {
      state_.delayMs[v] = 0.0;
      state_.position[v] = 0.0;
    }
  }
  gainSum_ = gainSum;
  cycleStepRateHz_ = -1.0;
  shared_.stereoPhase = p.Value(kParamStereoPhase) / 360.0;
  shared_.phaseTurn = p.Value(kParamPhase) / 360.0;
}

void VoiceStage::AdvanceModulation(const Inputs& in) {
  // The steps change only with the rate, which the envelope or the tempo may move.
  if (in.effectiveRateHz != cycleStepRateHz_) {
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
  if (rampsMoving_) {
    for (int v = 0; v < kVoiceCount; v += 2) {
      const StereoVector step = StereoVector::Load(rampStep_ + v);
      const StereoVector ramp = StereoVector::Load(state_.ramp + v);
      Select(step != StereoVector(), Frac(ramp + step), ramp).Store(state_.ramp + v);
    }
  }
  if (offsetsGliding_) {
    bool gliding = false;
    for (int v = 0; v < kVoiceCount; ++v) {
      StepToward(state_.cycleOffset[v], 0.0, in.coef5ms);
      StepToward(state_.rampOffset[v], 0.0, in.coef5ms);
      gliding = gliding || state_.cycleOffset[v] != 0.0 || state_.rampOffset[v] != 0.0;
    }
    offsetsGliding_ = gliding;
  }
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

  const ParamSmoother& p = in.params;
  const ModeWeights& weights = in.weights;
  const double drift = p.Value(kParamDrift);
  SampleShared& shared = shared_;
  shared.driftSine = weights.structure[static_cast<int>(Structure::kVintageEnsemble)] > kSilentWeight
                         ? in.math.SinTurns(in.driftPhase)
                         : 0.0;
  Sums sums{};
  sums.gainSum = gainSum_;
  // Member scratch, so nothing is constructed per sample for the voices that are silent.
  VoiceFrame* frames = frames_;
  StereoVector* samples = samples_;
  StereoVector* delaysMs = delaysMs_;
  StereoVector* delays = delays_;
  for (int i = 0; i < soundingCount_; ++i) {
    const int v = sounding_[i];
    VoiceFrame& voice = frames[i];
    voice.waveMixReady = voice.phaseSineReady = voice.vintageSineReady = voice.headsReady = false;
    voice.drift = StereoVector();
    samples[i] = delaysMs[i] = StereoVector();
    voice.voice = v;
    voice.centerMs = centerMs_[v];
    voice.depthMs = in.effectiveDepthMs * p.Value(VoiceParamIndex(v, kVoiceDepthScale)) * 0.01;
    voice.phase = state_.cycleOffset[v] + state_.cycles[v] + shared.phaseTurn + phaseOffsetTurns_[v];
    if (drift != 0.0) {
      const double voiceTurn = kDriftVoiceSpacing * v;
      const StereoVector turns(0.0 + voiceTurn + in.driftPhase,
                               kDriftRightOffset + voiceTurn + in.driftPhase);
      voice.drift = drift * kDriftPerPercent * in.math.SinTurns(turns);
    }
  }
  if (rampsMoving_) PrepareDetuneHeads(in);
  PreparePhaseSines(in);
  // Structure by structure over all sounding voices: first every voice's delay, then every read,
  // so the voices' independent work overlaps.
  for (int k = 0; k < weights.activeStructureCount; ++k) {
    const int s = weights.activeStructures[k];
    const Structure structure = static_cast<Structure>(s);
    const double weight = weights.structure[s];
    if (structure != Structure::kMicroPitch) {
      for (int i = 0; i < soundingCount_; ++i) {
        const StereoVector m = Modulation(in, structure, frames[i]);
        delays[i] = ClampedDelaySamples(m * frames[i].depthMs + frames[i].centerMs, in.sampleRate);
      }
    }
    for (int i = 0; i < soundingCount_; ++i) {
      const VoiceRead read = structure == Structure::kMicroPitch
                                 ? RenderMicroPitch(in, frames[i])
                                 : ReadStructure(in, structure, frames[i], delays[i]);
      samples[i] += weight * read.sample;
      delaysMs[i] += weight * read.delayMs;
    }
  }
  for (int i = 0; i < soundingCount_; ++i) {
    const int v = sounding_[i];
    const double gl = panGainLeft_[v], gr = panGainRight_[v];
    const double meanDelayMs = (delaysMs[i].Right() * gr + delaysMs[i].Left() * gl) / (gr + gl);
    state_.delayMs[v] = meanDelayMs;
    const double depthMs = frames[i].depthMs;
    state_.position[v] = depthMs > kSilentWeight ? (meanDelayMs - frames[i].centerMs) / depthMs : 0.0;
    const StereoVector panGains(gl, gr);
    sums.wet += samples[i] * state_.gain[v] * panGains;
    // The feedback reads the plain main lines at the voice's mean delay, whatever the structure.
    if (in.feedbackActive) {
      const StereoVector d = StereoVector::Both(ClampedDelaySamples(meanDelayMs, in.sampleRate));
      const StereoVector tap =
          ReadBlendedStereo(in.lines[kMainLine][0], in.lines[kMainLine][1], d, weights.interpolation);
      sums.taps += panGains * state_.gain[v] * tap;
    }
  }
  return sums;
}

StereoVector VoiceStage::WaveMix(const Inputs& in, StereoVector phase, int seedLeft, int seedRight) const {
  const double skew = in.params.Value(kParamSkew);
  // Non-finite phases count as 0, as in Wave.
  phase = KeepWhere(Abs(phase) < StereoVector::Both(std::numeric_limits<double>::infinity()), phase);
  const StereoVector cycle = Floor(phase);
  const StereoVector p = phase - cycle;
  // Without skew both halves of the skewed phase are p itself, exactly.
  StereoVector g = p;
  if (skew != 0.0) {
    const double s = 0.5 + 0.0045 * std::clamp(skew, -90.0, 90.0);
    g = Select(p < StereoVector::Both(s), p * 0.5 / StereoVector::Both(s),
               0.5 + (p - s) * 0.5 / StereoVector::Both(1.0 - s));
  }
  StereoVector sum;
  for (int w = 0; w < kWaveShapeCount; ++w) {
    const double weight = in.weights.wave[w];
    if (!(weight > 0.0)) continue;
    const StereoVector value = WaveValue(in, static_cast<WaveShape>(w), g, p, cycle, seedLeft, seedRight);
    sum += weight * value;
  }
  return sum;
}

StereoVector VoiceStage::WaveValue(const Inputs& in, WaveShape shape, StereoVector g, StereoVector p,
                                   StereoVector cycle, int seedLeft, int seedRight) const {
  static const double kTanhOfThree = std::tanh(3.0);
  StereoVector value;
  {
    switch (shape) {
      case WaveShape::kSine:
        value = in.math.SinTurns(g);
        break;
      case WaveShape::kTriangle:
        value = 1.0 - 4.0 * Abs(g - 0.5);
        break;
      case WaveShape::kSoftSquare:
        value = in.math.Tanh(3.0 * in.math.SinTurns(g)) / StereoVector::Both(kTanhOfThree);
        break;
      case WaveShape::kRampUp:
        value = 2.0 * g - 1.0;
        break;
      case WaveShape::kRampDown:
        value = 1.0 - 2.0 * g;
        break;
      case WaveShape::kSmoothRandom: {
        const StereoVector smooth = (3.0 - 2.0 * p) * p * p;
        value = HashPair(cycle, 0, seedLeft, seedRight) * (1.0 - smooth) +
                HashPair(cycle, 1, seedLeft, seedRight) * smooth;
        break;
      }
      case WaveShape::kSampleHold:
        value = HashPair(cycle, 0, seedLeft, seedRight);
        break;
      case WaveShape::kCount:
        break;
    }
  }
  return value;
}

StereoVector VoiceStage::Modulation(const Inputs& in, Structure structure, VoiceFrame& voice) const {
  const int v = voice.voice;
  const double phase = voice.phase;
  const double sp = shared_.stereoPhase;
  auto waveMix = [&]() HALCYRA_LAMBDA_INLINE {
    if (!voice.waveMixReady) {
      voice.waveMix = WaveMix(in, StereoVector(phase, phase + sp), 3 * v + 1, 3 * v + 2);
      voice.waveMixReady = true;
    }
    return voice.waveMix;
  };
  StereoVector m;
  switch (structure) {
    case Structure::kDualStereo:
      m = WaveMix(in, StereoVector(1.0 * phase, kDualStereoRightRate * phase + sp), 5 * v, 5 * v + 1);
      break;
    case Structure::kDimension:
      if (!voice.phaseSineReady) {
        voice.phaseSine = in.math.SinTurns(phase);
        voice.phaseSineReady = true;
      }
      m = StereoVector(kDimensionDepth, -kDimensionDepth) * voice.phaseSine;
      break;
    case Structure::kEnsemble: {
      const double turns = kEnsembleVoiceSpacing * v + kEnsembleSineRate * phase;
      const StereoVector sine = in.math.SinTurns(StereoVector(turns + 0.0, turns + kEnsembleRightOffset));
      m = kEnsembleWaveShare * waveMix() + kEnsembleSineShare * sine;
      break;
    }
    case Structure::kTriChorus: {
      const double c = v == 0 ? kTriChorusFirstRate : v == 1 ? kTriChorusSecondRate : 1.0;
      const double turns = c * phase + kTriChorusVoiceSpacing * v;
      m = in.math.SinTurns(StereoVector(turns + 0.0, turns + kTriChorusRightOffset));
      break;
    }
    case Structure::kVintageEnsemble:
      if (!voice.vintageSineReady) {
        voice.vintageSine = in.math.SinTurns(kVintageSineRate * phase);
        voice.vintageSineReady = true;
      }
      m = kVintageWaveShare * waveMix() + StereoVector::Both(kVintageSineShare * voice.vintageSine) +
          StereoVector::Both(kVintageDriftShare * shared_.driftSine);
      break;
    case Structure::kRandomChorus: {
      const double cycle = Floor(phase);
      const double f = phase - cycle;
      const double s = (3.0 - 2.0 * f) * f * f;
      const int64_t n = CycleNumber(cycle);
      const int seedLeft = 2 * v + kRandomSeedOffset, seedRight = seedLeft + 1;
      m = StereoVector(HashUnit(n, seedLeft), HashUnit(n, seedRight)) * (1.0 - s) +
          StereoVector(HashUnit(n + 1, seedLeft), HashUnit(n + 1, seedRight)) * s;
      break;
    }
    default:  // the structures driven by the selectable wave alone; Multi Band's heads use it too
      m = waveMix();
      break;
  }
  return m + voice.drift;
}

VoiceStage::VoiceRead VoiceStage::ReadStructure(const Inputs& in, Structure structure, VoiceFrame& voice,
                                                StereoVector d) const {
  const double fs = in.sampleRate;
  const double phase = voice.phase;
  const double w = in.weights.interpolation;
  const DelayLines& lines = in.lines;
  VoiceRead read{StereoVector(), d * 1000.0 / StereoVector::Both(fs)};
  if (structure == Structure::kMultiBand) {
    StereoVector delaySum;
    for (int band = 0; band < 3; ++band) {
      const double turns = (kMultiBandBaseRate + kMultiBandRateStep * band) * phase;
      const StereoVector bandM = in.math.SinTurns(StereoVector(turns + 0.0, turns + kMultiBandRightOffset));
      const StereoVector di =
          ClampedDelaySamples(bandM * kMultiBandDepth[band] * voice.depthMs + voice.centerMs, fs);
      const DelayLine* bandLines = lines[kLowBandLine + band];
      read.sample += ReadBlendedStereo(bandLines[0], bandLines[1], di, w);
      delaySum += di;
    }
    read.delayMs = delaySum * 1000.0 / StereoVector::Both(3.0 * fs);
  } else if (structure == Structure::kAnalogBbd) {
    const StereoVector x = ReadBlendedStereo(lines[kCompandedLine][0], lines[kCompandedLine][1], d, w);
    read.sample = Select(x < StereoVector(), -x * x, x * x);
  } else {
    read.sample = ReadBlendedStereo(lines[kMainLine][0], lines[kMainLine][1], d, w);
  }
  read.sample = ApplyDetuneHeads(in, read.sample, d, voice);
  return read;
}

// Dimension's and Vintage Ensemble's sines of each voice's phase, two voices to one vector, while
// those structures sound.
void VoiceStage::PreparePhaseSines(const Inputs& in) {
  const bool dimension = in.weights.structure[static_cast<int>(Structure::kDimension)] > kSilentWeight;
  const bool vintage = in.weights.structure[static_cast<int>(Structure::kVintageEnsemble)] > kSilentWeight;
  if (!dimension && !vintage) return;
  for (int i = 0; i < soundingCount_; i += 2) {
    const bool pair = i + 1 < soundingCount_;
    const double first = frames_[i].phase;
    const double second = pair ? frames_[i + 1].phase : first;
    if (dimension) {
      const StereoVector sine = in.math.SinTurns(StereoVector(first, second));
      frames_[i].phaseSine = sine.Left();
      frames_[i].phaseSineReady = true;
      if (pair) {
        frames_[i + 1].phaseSine = sine.Right();
        frames_[i + 1].phaseSineReady = true;
      }
    }
    if (vintage) {
      const StereoVector sine =
          in.math.SinTurns(StereoVector(kVintageSineRate * first, kVintageSineRate * second));
      frames_[i].vintageSine = sine.Left();
      frames_[i].vintageSineReady = true;
      if (pair) {
        frames_[i + 1].vintageSine = sine.Right();
        frames_[i + 1].vintageSineReady = true;
      }
    }
  }
}

// The detune heads of the sounding voices, two voices to one vector of sines.
void VoiceStage::PrepareDetuneHeads(const Inputs& in) {
  const double window = kDetuneWindowSeconds * in.sampleRate;
  for (int i = 0; i < soundingCount_; i += 2) {
    const bool pair = i + 1 < soundingCount_;
    const double first = state_.ramp[sounding_[i]];
    const double second = pair ? state_.ramp[sounding_[i + 1]] : first;
    const StereoVector ramps(first, second);
    const StereoVector sine = in.math.SinHalfTurns(ramps);
    const StereoVector crossfade = sine * sine;
    const StereoVector head2 = window * Frac(ramps + 0.5);
    frames_[i].heads = {crossfade.Left(), window * first, head2.Left()};
    frames_[i].headsReady = true;
    if (pair) {
      frames_[i + 1].heads = {crossfade.Right(), window * second, head2.Right()};
      frames_[i + 1].headsReady = true;
    }
  }
}

// Two heads sweeping an 80 ms window in opposite halves of the ramp, crossfaded by sin²: a pitch
// shift by the detune ratio, blended in proportionally below 10 cents.
StereoVector VoiceStage::ApplyDetuneHeads(const Inputs& in, StereoVector sample, StereoVector delay,
                                          VoiceFrame& voice) const {
  const double cents = detuneCents_[voice.voice];
  if (!(std::fabs(cents) > kDetuneAudibleCents)) return sample;
  const double fs = in.sampleRate;
  if (!voice.headsReady) {
    voice.heads = HeadsFor(state_.ramp[voice.voice], kDetuneWindowSeconds * fs, in.math);
    voice.headsReady = true;
  }
  const StereoVector minimum = StereoVector::Both(DelayLine::kMinDelaySamples);
  const StereoVector maximum = StereoVector::Both(kMaxReadFraction * fs);
  const StereoVector d1 = Clamp(voice.heads.head1 + delay, minimum, maximum);
  const StereoVector d2 = Clamp(voice.heads.head2 + delay, minimum, maximum);
  const double w = in.weights.interpolation;
  const DelayLine* main = in.lines[kMainLine];
  const double x = voice.heads.crossfade;
  const StereoVector shifted =
      (1.0 - x) * ReadBlendedStereo(main[0], main[1], d2, w) + x * ReadBlendedStereo(main[0], main[1], d1, w);
  const double a = std::min(std::fabs(cents) / kDetuneFullBlendCents, 1.0);
  return a * shifted + (1.0 - a) * sample;
}

VoiceStage::VoiceRead VoiceStage::RenderMicroPitch(const Inputs& in, const VoiceFrame& voice) const {
  const int v = voice.voice;
  const double fs = in.sampleRate;
  const double offset = state_.ramp[v] + state_.rampOffset[v] + shared_.phaseTurn + phaseOffsetTurns_[v];
  const StereoVector b =
      Frac(StereoVector(offset + shared_.stereoPhase * 0.0, offset + shared_.stereoPhase * 1.0));
  const double window = MicroPitchWindowSeconds(in.params.Value(kParamBaseDelay)) * fs;
  const double h =
      std::clamp(voice.centerMs * 0.001 * fs, DelayLine::kMinDelaySamples, kMicroPitchMaxHeadFraction * fs);
  const StereoVector w1 = window * b + h;
  const StereoVector w2 = window * Frac(b + 0.5) + h;
  const StereoVector sine = in.math.SinHalfTurns(b);
  const StereoVector f = sine * sine;
  const StereoVector e = 1.0 - f;
  const double w = in.weights.interpolation;
  const DelayLine* main = in.lines[kMainLine];
  VoiceRead read;
  read.sample =
      e * ReadBlendedStereo(main[0], main[1], w2, w) + f * ReadBlendedStereo(main[0], main[1], w1, w);
  read.delayMs = (e * w2 + f * w1) * 1000.0 / StereoVector::Both(fs);
  return read;
}

}  // namespace halcyra
