#include "effect/chorus_engine.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

#include "core/math_constants.h"
#include "effect/sample_sanitize.h"

namespace halcyra {
namespace {

using plugfw::kPi;
using plugfw::kTwoPi;
constexpr double kSnapEpsilon = 1e-12;
constexpr double kSilentWeight = 1e-12;
constexpr double kTinyState = 1e-25;
constexpr int kCoefficientInterval = 16;    // samples between coefficient updates (a power of two)
constexpr double kMaxReadFraction = 0.235;  // of fs: the longest read any structure makes
constexpr double kMinFilterHz = 5.0;
constexpr double kMaxFilterFraction = 0.45;  // of fs: keeps every filter below Nyquist
constexpr double kResyncCycleWrap = 1048576.0;
constexpr int kModelMicroPitch = static_cast<int>(Structure::kMicroPitch);
constexpr int kModelTriChorus = static_cast<int>(Structure::kTriChorus);
constexpr int kModelVibrato = static_cast<int>(Structure::kVibrato);
constexpr int kTriChorusVoiceCap = 3;
constexpr double kDimensionBlend = 0.15;
constexpr double kDetuneWindowSeconds = 0.08;
constexpr double kOutputLimit = static_cast<double>(FLT_MAX);
constexpr uint32_t kNoiseSeed = 0x1234567u;
constexpr int kDetectorPeak = 0;
constexpr int kDetectorExternal = 2;
constexpr double kLevelFloor = 1e-6;
constexpr double kEnvelopeRangeDb = 24.0;  // from the threshold to the full envelope amount
constexpr double kMaxDepthMs = 40.0;
constexpr double kMaxDuckDb = 60.0;
enum ProcessBand : int { kBandFull = 0, kBandLow, kBandMid, kBandHigh, kBandSideOnly, kBandMidOnly };
constexpr double kBbdSaturation = 1.6;
constexpr double kEnsembleSaturation = 1.25;
constexpr double kDriveThreshold = 1.000001;  // below this the drive is the identity
constexpr double kDiffusedChorusAmount = 0.45;
constexpr double kAllpassGain = 0.55;
constexpr double kCorrelationSeconds = 0.1;
constexpr double kCorrelationEnergyFloor = 1e-24;
constexpr double kSignalPresentLevel = 1e-12;
constexpr uint64_t kScopeDecimation = 8;
constexpr uint64_t kAnalysisInterval = 512;
constexpr float kSpectrumFloorDb = -120.0f;

// Moves w toward goal by coef and lands on it once within reach.
inline void StepToward(double& w, double goal, double coef) {
  w += (goal - w) * coef;
  if (std::fabs(goal - w) < kSnapEpsilon) w = goal;
}

// One step of a one-hot weight vector toward `value`; skipped once it has settled there.
void StepOneHot(double* weights, int count, int value, double coef, int& settledOn) {
  if (settledOn == value) return;
  bool settled = true;
  for (int k = 0; k < count; ++k) {
    StepToward(weights[k], k == value ? 1.0 : 0.0, coef);
    settled = settled && weights[k] == (k == value ? 1.0 : 0.0);
  }
  if (settled) settledOn = value;
}

void SetOneHot(double* weights, int count, int value, int& settledOn) {
  for (int k = 0; k < count; ++k) weights[k] = k == value ? 1.0 : 0.0;
  settledOn = value;
}

double OnePoleCoefficient(double frequencyHz, double sampleRate) {
  const double f = std::clamp(frequencyHz, std::min(kMinFilterHz, kMaxFilterFraction * sampleRate),
                              kMaxFilterFraction * sampleRate);
  return 1.0 - std::exp(-kTwoPi * f / sampleRate);
}

double TimeCoefficient(double milliseconds, double sampleRate) {
  return 1.0 - std::exp(-1000.0 / (milliseconds * sampleRate));
}

double ReadInput(const float* channel, int n) {
  if (channel == nullptr) return 0.0;
  const double x = static_cast<double>(channel[n]);
  return std::isfinite(x) ? x : 0.0;
}

float ToOutputSample(double x) {
  if (!std::isfinite(x)) return 0.0f;
  return static_cast<float>(std::clamp(x, -kOutputLimit, kOutputLimit));
}

double SignedSqrt(double x) { return x < 0.0 ? -std::sqrt(-x) : std::sqrt(x); }

double SinSquaredHalfTurn(double r) {
  const double s = std::sin(kPi * r);
  return s * s;
}

void FlushTiny(double& state) {
  if (std::fabs(state) < kTinyState) state = 0.0;
}

double Correlation(double xx, double yy, double xy) {
  const double energy = xx * yy;
  if (!(energy > kCorrelationEnergyFloor)) return 0.0;
  return std::clamp(xy / std::sqrt(energy), -1.0, 1.0);
}

}  // namespace

ChorusEngine::ChorusEngine() {
  FillParamDefaults(target_);
  for (int p = 0; p < kParamCount; ++p) {
    smoothed_[p] = target_[p];
    smoothState_[p] = 0.0;
    stepped_[p] = IsSteppedParam(p);
  }
  for (int v = 0; v < kVoiceCount; ++v) {
    voiceHumanize_[v] = HashUnit(v, 81);
    cachedLevelDb_[v] = std::numeric_limits<double>::quiet_NaN();
    cachedLevelGain_[v] = 1.0;
    cachedRampCents_[v] = std::numeric_limits<double>::quiet_NaN();
    cachedRampWindow_[v] = std::numeric_limits<double>::quiet_NaN();
    cachedRampStep_[v] = 0.0;
  }
  display_ = DisplaySnapshot();
}

double ChorusEngine::ClampSampleRate(double requestedRate) {
  if (!std::isfinite(requestedRate) || requestedRate <= 0.0) return kDefaultSampleRate;
  return std::clamp(requestedRate, kMinSampleRate, kMaxSampleRate);
}

double ChorusEngine::ClampedDelaySamples(double delayMs, double sampleRate) {
  const double d = delayMs * 0.001 * sampleRate;
  if (!(d >= DelayLine::kMinDelaySamples)) return DelayLine::kMinDelaySamples;  // NaN too
  return std::min(d, kMaxReadFraction * sampleRate);
}

void ChorusEngine::Reset(double sampleRate) {
  sampleRate_ = ClampSampleRate(sampleRate);
  coef20ms_ = 1.0 - std::exp(-1.0 / (sampleRate_ * 0.020));
  coef5ms_ = 1.0 - std::exp(-1.0 / (sampleRate_ * 0.005));
  coef3ms_ = 1.0 - std::exp(-1.0 / (sampleRate_ * 0.003));
  correlationCoef_ = 1.0 - std::exp(-1.0 / (kCorrelationSeconds * sampleRate_));
  const std::size_t lineSize = DelayLine::SizeForSampleRate(sampleRate_);
  bool allocated = true;
  for (DelayLine& line : lines_) allocated = line.Resize(lineSize) && allocated;
  for (int ch = 0; ch < 2; ++ch) {
    for (int j = 0; j < kDiffusionStageCount; ++j) {
      allocated = stages_[ch][j].Resize(DiffusionStage::DelayFor(j, ch == 1, sampleRate_)) && allocated;
    }
  }
  allocated = analyser_.Prepare() && allocated;
  prepared_ = allocated;
  Clear();
}

void ChorusEngine::Clear() {
  for (DelayLine& line : lines_) line.Clear();
  for (auto& channel : stages_) {
    for (DiffusionStage& stage : channel) stage.Clear();
  }
  for (auto& pair : filters_) {
    pair[0].state = 0.0;
    pair[1].state = 0.0;
  }
  for (int ch = 0; ch < 2; ++ch) {
    wetLowPass_[ch].z1 = wetLowPass_[ch].z2 = 0.0;
    toneShelf_[ch].z1 = toneShelf_[ch].z2 = 0.0;
    feedbackState_[ch] = 0.0;
  }
  envelopeLevel_ = rmsState_ = peakState_ = duckDb_ = 0.0;
  duckGain_ = 0.0;
  cachedDuckDb_ = std::numeric_limits<double>::quiet_NaN();  // the first sample computes the gain
  cachedEnvelopeLevel_ = -1.0;
  sampleCounter_ = 0;
  driftPhase_ = 0.0;
  noiseState_ = kNoiseSeed;
  ClearMeasurement();
  primed_ = false;
  Prime(false);
  display_ = DisplaySnapshot();
  meters_ = MeterSnapshot();
  display_.sampleRate = sampleRate_;
  Publish();
}

void ChorusEngine::ClearMeasurement() {
  for (auto& ring : rings_) std::fill(std::begin(ring), std::end(ring), 0.0f);
  std::fill(std::begin(scopeMid_), std::end(scopeMid_), 0.0f);
  std::fill(std::begin(scopeSide_), std::end(scopeSide_), 0.0f);
  std::fill(std::begin(correlationSums_), std::end(correlationSums_), 0.0);
  ringIndex_ = 0;
  scopeIndex_ = 0;
  for (HeldPeak& held : heldPeaks_) held = HeldPeak();
}

void ChorusEngine::Prime(bool bypassRequest) {
  for (int p = 0; p < kParamCount; ++p) {
    smoothed_[p] = target_[p];
    smoothState_[p] = static_cast<double>(target_[p]);
  }
  movingCount_ = 0;
  steppedPending_ = false;

  SetOneHot(structureWeight_, kStructureCount, SteppedParam(kParamModel), structureSettledOn_);
  SetOneHot(waveWeight_, kWaveShapeCount, SteppedParam(kParamWave), waveSettledOn_);
  SetOneHot(bandWeight_, 6, SteppedParam(kParamProcessBand), bandSettledOn_);
  SetOneHot(inputRouteWeight_, 5, SteppedParam(kParamInputRouting), inputRouteSettledOn_);
  SetOneHot(outputRouteWeight_, 5, SteppedParam(kParamOutputRouting), outputRouteSettledOn_);
  SetOneHot(monitorWeight_, 8, SteppedParam(kParamMonitor), monitorSettledOn_);

  const int activeCount = ActiveVoiceCount();
  for (int v = 0; v < kVoiceCount; ++v) {
    voiceCycles_[v] = 0.0;
    voiceRamp_[v] = v * 0.125;
    voiceCycleOffset_[v] = 0.0;
    voiceRampOffset_[v] = 0.0;
    voiceActive_[v] = VoiceGoalActive(v, activeCount) ? 1.0 : 0.0;
  }
  for (int j = 0; j < kDiffusionStageCount; ++j) stageActive_[j] = SteppedParam(kParamStages) > j ? 1.0 : 0.0;
  interpolationWeight_ = Param(kParamInterpolation);
  bypassWeight_ = bypassRequest || SteppedParam(kParamBypass) != 0 ? 1.0 : 0.0;
  noiseWeight_ = Param(kParamAnalogNoise);
  wetPolarity_ = SteppedParam(kParamWetPolarity) != 0 ? -1.0 : 1.0;
  dryPolarity_ = SteppedParam(kParamDryPolarity) != 0 ? -1.0 : 1.0;
  dcWeight_ = Param(kParamDcFilter);
  coefficientsDirty_ = true;
  UpdateCoefficients();
}

void ChorusEngine::SetParameters(const float values[kParamCount]) {
  SanitizeParams(values, target_);
  RebuildMovingParams();
  steppedPending_ = true;
}

void ChorusEngine::RebuildMovingParams() {
  movingCount_ = 0;
  for (int p = 0; p < kParamCount; ++p) {
    if (!stepped_[p] && smoothState_[p] != static_cast<double>(target_[p])) movingParams_[movingCount_++] = p;
  }
}

void ChorusEngine::SetTransport(double tempo, double positionQuarterNotes, bool playing, bool tempoValid,
                                bool positionValid) {
  const TransportInput input{tempo, positionQuarterNotes, playing, tempoValid, positionValid};
  UpdateTransport(transport_, input, target_[kParamTransportReset] != 0.0f, target_[kParamTempoFallback]);
}

void ChorusEngine::PassThrough(const float* const* inputs, float* const* outputs, int frames) const {
  for (int ch = 0; ch < 2; ++ch) {
    float* out = outputs[ch];
    if (out == nullptr) continue;
    const float* in = inputs != nullptr ? inputs[ch] : nullptr;
    for (int n = 0; n < frames; ++n) out[n] = static_cast<float>(ReadInput(in, n));
  }
}

void ChorusEngine::SmoothParameters() {
  if (steppedPending_) {
    for (int p = 0; p < kParamCount; ++p) {
      if (stepped_[p]) smoothed_[p] = target_[p];
    }
    steppedPending_ = false;
    coefficientsDirty_ = true;
  }
  if (movingCount_ == 0) return;
  coefficientsDirty_ = true;
  for (int i = 0; i < movingCount_; ++i) {
    const int p = movingParams_[i];
    const double goal = static_cast<double>(target_[p]);
    const double before = smoothState_[p];
    double state = before + (goal - before) * coef20ms_;
    // A state one rounding step from a large target would otherwise never arrive.
    const bool arrived = std::fabs(goal - state) < kSnapEpsilon || state == before;
    if (arrived) state = goal;
    smoothState_[p] = state;
    smoothed_[p] = static_cast<float>(state);
    if (arrived) movingParams_[i--] = movingParams_[--movingCount_];
  }
}

void ChorusEngine::UpdateCoefficients() {
  if (!coefficientsDirty_) return;
  coefficientsDirty_ = false;
  const double fs = sampleRate_;
  inputGain_ = std::pow(10.0, Param(kParamInput) / 20.0);
  outputGain_ = std::pow(10.0, Param(kParamOutput) / 20.0);
  driveGain_ = std::pow(10.0, Param(kParamAnalogDrive) / 20.0);
  driveNorm_ = 1.0 / std::tanh(driveGain_);
  scTrim_ = std::pow(10.0, Param(kParamScTrim) / 20.0);
  noiseGain_ = std::pow(10.0, Param(kParamNoiseLevel) / 20.0);
  envelopeAttackCoef_ = TimeCoefficient(Param(kParamEnvelopeAttack), fs);
  envelopeReleaseCoef_ = TimeCoefficient(Param(kParamEnvelopeRelease), fs);
  duckAttackCoef_ = TimeCoefficient(Param(kParamDuckAttack), fs);
  duckReleaseCoef_ = TimeCoefficient(Param(kParamDuckRelease), fs);

  const double splitLow = Param(kParamSplitLow);
  const double splitHigh = Param(kParamSplitHigh);
  splitLowHz_ = std::clamp(std::min(splitLow, splitHigh), 20.0, 0.4 * fs);
  splitHighHz_ = std::clamp(std::max(splitLow, splitHigh), splitLowHz_ + 1.0, kMaxFilterFraction * fs);

  const double baseDelayMs = Param(kParamBaseDelay);
  const double onePoleHz[kFilterPairCount] = {
      splitLowHz_,
      splitHighHz_,
      Param(kParamFeedbackHp),
      Param(kParamFeedbackLp),
      Param(kParamWetHp),
      Param(kParamMonoBassFrequency),
      kMinFilterHz,
      3500.0 / (baseDelayMs / 20.0 + 1.0) + 3500.0,
      std::min(7500.0, kMaxFilterFraction * fs),
  };
  for (int i = 0; i < kFilterPairCount; ++i) {
    const double c = OnePoleCoefficient(onePoleHz[i], fs);
    filters_[i][0].coefficient = c;
    filters_[i][1].coefficient = c;
  }

  // Wet low-pass.
  {
    const double f = std::clamp(static_cast<double>(Param(kParamWetLp)), 20.0, kMaxFilterFraction * fs);
    const double q = 0.707 + 0.033 * Param(kParamResonance);
    const double w = kTwoPi * f / fs;
    const double cw = std::cos(w);
    const double alpha = std::sin(w) / (2.0 * q);
    const double a0 = 1.0 + alpha;
    for (Biquad& b : wetLowPass_) {
      b.b0 = b.b2 = (1.0 - cw) / 2.0 / a0;
      b.b1 = (1.0 - cw) / a0;
      b.a1 = -2.0 * cw / a0;
      b.a2 = (1.0 - alpha) / a0;
    }
  }
  // Tone high shelf, slope 1.
  {
    const double a = std::pow(10.0, Param(kParamTone) / 40.0);
    const double w = kTwoPi * std::min(0.2 * fs, 3000.0) / fs;
    const double cw = std::cos(w);
    const double alpha = std::sin(w) / std::sqrt(2.0);
    const double twoSqrtAAlpha = 2.0 * std::sqrt(a) * alpha;
    const double a0 = (a + 1.0) - (a - 1.0) * cw + twoSqrtAAlpha;
    for (Biquad& b : toneShelf_) {
      b.b0 = a * ((a + 1.0) + (a - 1.0) * cw + twoSqrtAAlpha) / a0;
      b.b1 = -2.0 * a * ((a - 1.0) + (a + 1.0) * cw) / a0;
      b.b2 = a * ((a + 1.0) + (a - 1.0) * cw - twoSqrtAAlpha) / a0;
      b.a1 = 2.0 * ((a - 1.0) - (a + 1.0) * cw) / a0;
      b.a2 = ((a + 1.0) - (a - 1.0) * cw - twoSqrtAAlpha) / a0;
    }
  }
}

void ChorusEngine::StepModeWeights(bool bypassRequest) {
  StepOneHot(structureWeight_, kStructureCount, SteppedParam(kParamModel), coef5ms_, structureSettledOn_);
  StepOneHot(waveWeight_, kWaveShapeCount, SteppedParam(kParamWave), coef5ms_, waveSettledOn_);
  StepOneHot(bandWeight_, 6, SteppedParam(kParamProcessBand), coef5ms_, bandSettledOn_);
  StepOneHot(inputRouteWeight_, 5, SteppedParam(kParamInputRouting), coef5ms_, inputRouteSettledOn_);
  StepOneHot(outputRouteWeight_, 5, SteppedParam(kParamOutputRouting), coef5ms_, outputRouteSettledOn_);
  StepOneHot(monitorWeight_, 8, SteppedParam(kParamMonitor), coef5ms_, monitorSettledOn_);
  StepToward(interpolationWeight_, Param(kParamInterpolation), coef5ms_);
  const bool bypassed = bypassRequest || SteppedParam(kParamBypass) != 0;
  StepToward(bypassWeight_, bypassed ? 1.0 : 0.0, coef3ms_);
  StepToward(noiseWeight_, Param(kParamAnalogNoise), coef5ms_);
  StepToward(wetPolarity_, SteppedParam(kParamWetPolarity) != 0 ? -1.0 : 1.0, coef5ms_);
  StepToward(dryPolarity_, SteppedParam(kParamDryPolarity) != 0 ? -1.0 : 1.0, coef5ms_);
  StepToward(dcWeight_, Param(kParamDcFilter), coef5ms_);

  activeStructureCount_ = 0;
  for (int s = 0; s < kStructureCount; ++s) {
    if (structureWeight_[s] > kSilentWeight) activeStructures_[activeStructureCount_++] = s;
  }
}

void ChorusEngine::ResyncVoicesToTransport() {
  const double quarterNotes = QuarterNotesForDivision(SteppedParam(kParamDivision));
  for (int v = 0; v < kVoiceCount; ++v) {
    const double ratio = VoiceParam(v, kVoiceRateRatio);
    const double cycles = ratio * std::fmod(transport_.resyncPosition / quarterNotes, kResyncCycleWrap);
    const double goal = Frac(cycles + v * 0.125);
    if (sampleCounter_ != 0) {
      // The offsets keep the phase continuous and then decay: a glide instead of a click.
      voiceCycleOffset_[v] += voiceCycles_[v] - cycles;
      voiceRampOffset_[v] = Frac(voiceRampOffset_[v] + voiceRamp_[v] - goal + 0.5) - 0.5;
    } else {
      voiceCycleOffset_[v] = 0.0;
      voiceRampOffset_[v] = 0.0;
    }
    voiceCycles_[v] = cycles;
    voiceRamp_[v] = goal;
  }
  transport_.expectedPosition = transport_.resyncPosition;
  transport_.resyncPending = false;
}

int ChorusEngine::ActiveVoiceCount() const {
  const int model = SteppedParam(kParamModel);
  const int voices = SteppedParam(kParamVoices);
  if (model == kModelVibrato) return 1;
  if (model == kModelTriChorus) return std::min(voices, kTriChorusVoiceCap);
  return voices;
}

bool ChorusEngine::VoiceGoalActive(int voice, int activeCount) const {
  return voice < activeCount && VoiceParam(voice, kVoiceEnabled) != 0.0f;
}

ChorusEngine::Stereo ChorusEngine::ReadSidechain(const float* const* sidechain, bool sidechainPresent,
                                                 int n) const {
  if (!sidechainPresent || sidechain == nullptr) return {0.0, 0.0};
  const float* left = sidechain[0];
  const float* right = sidechain[1] != nullptr ? sidechain[1] : sidechain[0];
  return {SanitizeSample(ReadInput(left, n)), SanitizeSample(ReadInput(right, n))};
}

ChorusEngine::Stereo ChorusEngine::RouteInput(double rawL, double rawR) const {
  // Stereo, Mono Sum, Left, Right, Decode MS.
  const double routes[5][2] = {{rawL, rawR},
                               {(rawL + rawR) / 2.0, (rawL + rawR) / 2.0},
                               {rawL, rawL},
                               {rawR, rawR},
                               {rawL + rawR, rawL - rawR}};
  Stereo x{0.0, 0.0};
  for (int k = 0; k < 5; ++k) {
    const double w = inputRouteWeight_[k];
    if (w == 0.0) continue;
    x.l += w * SanitizeSample(routes[k][0]);
    x.r += w * SanitizeSample(routes[k][1]);
  }
  return {inputGain_ * x.l, inputGain_ * x.r};
}

namespace {
// A follower that rises with one coefficient and falls with the other, landing on its input.
void Follow(double& state, double input, double attack, double release) {
  state += (input - state) * (input > state ? attack : release);
  if (std::fabs(input - state) < kSnapEpsilon) state = input;
}
}  // namespace

void ChorusEngine::RunDetector(const Stereo& x, const Stereo& sc, bool sidechainPresent) {
  const int detector = SteppedParam(kParamEnvelopeDetector);
  const bool external = sidechainPresent && detector == kDetectorExternal;
  const double a = external ? sc.l : x.l;
  const double b = external ? sc.r : x.r;
  const double trim = scTrim_;
  Follow(peakState_, trim * std::max(std::fabs(a), std::fabs(b)), envelopeAttackCoef_, envelopeReleaseCoef_);
  Follow(rmsState_, trim * trim * (a * a + b * b) / 2.0, envelopeAttackCoef_, envelopeReleaseCoef_);
  envelopeLevel_ = detector == kDetectorPeak ? peakState_ : std::sqrt(std::max(rmsState_, 0.0));
  // With envelope depth, envelope rate and duck all at 0 the level cannot reach any result (the
  // products below are then exactly 1, the base rate and -0), so its logarithm is not needed.
  const bool levelUsed =
      Param(kParamEnvelopeDepth) != 0.0f || Param(kParamEnvelopeRate) != 0.0f || Param(kParamDuck) != 0.0f;
  if (levelUsed && envelopeLevel_ != cachedEnvelopeLevel_) {
    cachedEnvelopeLevel_ = envelopeLevel_;
    cachedEnvelopeDb_ = 20.0 * std::log10(std::max(envelopeLevel_, kLevelFloor));
  }
  const double envDb = cachedEnvelopeDb_;

  const double e = std::clamp((envDb - Param(kParamEnvelopeThreshold)) / kEnvelopeRangeDb, 0.0, 1.0);
  effectiveDepthMs_ =
      std::clamp((1.0 + Param(kParamEnvelopeDepth) * 0.01 * e) * Param(kParamDepth), 0.0, kMaxDepthMs);
  const double tempo = TempoInUse(transport_, Param(kParamTempoFallback));
  effectiveRateHz_ = EffectiveRateHz(SteppedParam(kParamSync) != 0, tempo, SteppedParam(kParamDivision),
                                     Param(kParamRate), e, Param(kParamEnvelopeRate));

  const double goal =
      -0.01 * std::clamp(envDb - Param(kParamDuckThreshold), 0.0, kMaxDuckDb) * Param(kParamDuck);
  duckDb_ += (goal - duckDb_) * (goal < duckDb_ ? duckAttackCoef_ : duckReleaseCoef_);
  if (std::fabs(goal - duckDb_) < kSnapEpsilon) duckDb_ = goal;
  UpdateDuckGain();
}

void ChorusEngine::UpdateDuckGain() {
  if (duckDb_ == cachedDuckDb_) return;
  cachedDuckDb_ = duckDb_;
  duckGain_ = std::pow(10.0, duckDb_ / 20.0);
}

// Splits the routed input into the part that is chorused (written to the lines with the feedback)
// and the remainder, returned, that joins the wet path again unchanged after it.
ChorusEngine::Stereo ChorusEngine::WriteDelayLines(const Stereo& in) {
  const double wFull = bandWeight_[kBandFull];
  const double wLow = bandWeight_[kBandLow];
  const double wMid = bandWeight_[kBandMid];
  const double wHigh = bandWeight_[kBandHigh];
  const double wSide = bandWeight_[kBandSideOnly];
  const double wMidOnly = bandWeight_[kBandMidOnly];
  const double x[2] = {in.l, in.r};
  double low[2], mid[2], high[2];
  for (int ch = 0; ch < 2; ++ch) {
    OnePole& lowSplit = filters_[kLowSplitFilter][ch];
    OnePole& highSplit = filters_[kHighSplitFilter][ch];
    lowSplit.state += (x[ch] - lowSplit.state) * lowSplit.coefficient;
    highSplit.state += (x[ch] - highSplit.state) * highSplit.coefficient;
    FlushTiny(lowSplit.state);
    FlushTiny(highSplit.state);
    low[ch] = lowSplit.state;
    mid[ch] = highSplit.state - lowSplit.state;
    high[ch] = x[ch] - highSplit.state;
  }
  const double m = (x[0] + x[1]) / 2.0, s = (x[0] - x[1]) / 2.0;
  const double lowM = (low[0] + low[1]) / 2.0, lowS = (low[0] - low[1]) / 2.0;
  const double midM = (mid[0] + mid[1]) / 2.0, midS = (mid[0] - mid[1]) / 2.0;
  const double highM = (high[0] + high[1]) / 2.0, highS = (high[0] - high[1]) / 2.0;

  double rem[2];
  for (int ch = 0; ch < 2; ++ch) {
    const double sign = ch == 0 ? 1.0 : -1.0;
    const double proc =
        wFull * x[ch] + wLow * low[ch] + wMid * mid[ch] + wHigh * high[ch] + wSide * sign * s + wMidOnly * m;
    rem[ch] = x[ch] - proc;
    const double f = feedbackState_[ch];
    const double main = proc + f;
    lines_[ch].Write(main);
    lines_[2 + ch].Write(f / 3.0 + wSide * sign * lowS + (wFull + wLow) * low[ch] + wMidOnly * lowM);
    lines_[4 + ch].Write(f / 3.0 + wSide * sign * midS + (wFull + wMid) * mid[ch] + wMidOnly * midM);
    lines_[6 + ch].Write(f / 3.0 + wSide * sign * highS + (wFull + wHigh) * high[ch] + wMidOnly * highM);
    lines_[8 + ch].Write(SignedSqrt(SanitizeSample(main)));
  }
  return {rem[0], rem[1]};
}

double ChorusEngine::VoiceGainFor(int voice, double levelDb, double normalisation) {
  if (levelDb != cachedLevelDb_[voice]) {
    cachedLevelDb_[voice] = levelDb;
    cachedLevelGain_[voice] = std::pow(10.0, levelDb / 20.0);
  }
  return cachedLevelGain_[voice] * voiceActive_[voice] * normalisation;
}

double ChorusEngine::PitchRampWindowSeconds() const {
  if (SteppedParam(kParamModel) == kModelMicroPitch) return 0.06 + 0.0005 * Param(kParamBaseDelay);
  return kDetuneWindowSeconds;
}

// Rate, cycles, pitch ramp and decaying offsets of one voice; returns its phase in cycles.
// `window` is PitchRampWindowSeconds() and `phaseTurn` the global phase in cycles, both per sample.
double ChorusEngine::AdvanceVoiceModulation(int v, double window, double phaseTurn) {
  const double fs = sampleRate_;
  voiceRate_[v] = (1.0 + voiceHumanize_[v] * 0.0005 * Param(kParamHumanize)) * effectiveRateHz_ *
                  VoiceParam(v, kVoiceRateRatio);
  voiceCycles_[v] += voiceRate_[v] / fs;

  const double cents = static_cast<double>(Param(kParamDetune)) + VoiceParam(v, kVoiceDetuneOffset);
  if (cents != cachedRampCents_[v] || window != cachedRampWindow_[v]) {
    cachedRampCents_[v] = cents;
    cachedRampWindow_[v] = window;
    cachedRampStep_[v] = (1.0 - std::exp2(cents / 1200.0)) / (window * fs);
  }
  if (cachedRampStep_[v] != 0.0) voiceRamp_[v] = Frac(voiceRamp_[v] + cachedRampStep_[v]);

  StepToward(voiceCycleOffset_[v], 0.0, coef5ms_);
  StepToward(voiceRampOffset_[v], 0.0, coef5ms_);
  return voiceCycleOffset_[v] + voiceCycles_[v] + phaseTurn + VoiceParam(v, kVoicePhaseOffset) / 360.0;
}

double ChorusEngine::EvaluateWaveMix(double phase, int seed) const {
  const double skew = Param(kParamSkew);
  double sum = 0.0;
  for (int w = 0; w < kWaveShapeCount; ++w) {
    if (waveWeight_[w] > 0.0) sum += waveWeight_[w] * Wave(static_cast<WaveShape>(w), phase, skew, seed);
  }
  return sum;
}

double ChorusEngine::WaveMix(VoiceFrame& frame, int channel) const {
  if (!frame.waveMixReady[channel]) {
    const double sp = frame.shared->stereoPhase;
    frame.waveMix[channel] = EvaluateWaveMix(frame.phase + sp * channel, channel + 3 * frame.voice + 1);
    frame.waveMixReady[channel] = true;
  }
  return frame.waveMix[channel];
}

ChorusEngine::VoiceRead ChorusEngine::RenderVoice(Structure structure, int ch, VoiceFrame& frame) const {
  if (structure == Structure::kMicroPitch) return RenderMicroPitch(ch, frame);
  const int v = frame.voice;
  const double phase = frame.phase;
  const double sp = frame.shared->stereoPhase;
  double m = 0.0;
  switch (structure) {
    case Structure::kDualStereo: {
      const double k = ch == 0 ? 1.0 : 1.037;
      m = EvaluateWaveMix(k * phase + sp * ch, ch + 5 * v);
      break;
    }
    case Structure::kDimension:
      if (!frame.phaseSineReady) {
        frame.phaseSine = std::sin(kTwoPi * phase);
        frame.phaseSineReady = true;
      }
      m = (ch == 0 ? 0.35 : -0.35) * frame.phaseSine;
      break;
    case Structure::kEnsemble:
      m = 0.7 * WaveMix(frame, ch) + 0.3 * std::sin(kTwoPi * (0.13 * v + 5.137 * phase + 0.19 * ch));
      break;
    case Structure::kTriChorus: {
      const double c = v == 0 ? 1.19 : v == 1 ? 0.83 : 1.0;
      m = std::sin(kTwoPi * (c * phase + 0.17 * v + 0.21 * ch));
      break;
    }
    case Structure::kVintageEnsemble:
      if (!frame.vintageSineReady) {
        frame.vintageSine = std::sin(kTwoPi * 4.73 * phase);
        frame.vintageSineReady = true;
      }
      m = 0.65 * WaveMix(frame, ch) + 0.25 * frame.vintageSine + 0.1 * frame.shared->driftSine;
      break;
    case Structure::kRandomChorus: {
      const double cycle = Floor(phase);
      const double f = phase - cycle;
      const double s = (3.0 - 2.0 * f) * f * f;
      const int64_t n = std::fabs(cycle) < 9.0e18 ? static_cast<int64_t>(cycle) : 0;
      const int seed = ch + 2 * v + 17;
      m = HashUnit(n, seed) * (1.0 - s) + HashUnit(n + 1, seed) * s;
      break;
    }
    default:  // the structures driven by the selectable wave alone; Multi Band's heads use it too
      m = WaveMix(frame, ch);
      break;
  }
  m += frame.driftTerm[ch];

  const double fs = sampleRate_;
  const double d = ClampedDelaySamples(m * frame.depthMs + frame.centerMs, fs);
  const double w = interpolationWeight_;
  VoiceRead read{0.0, d * 1000.0 / fs};
  if (structure == Structure::kMultiBand) {
    constexpr double kBandDepth[3] = {0.35, 1.0, 1.4};
    double delaySum = 0.0;
    for (int band = 0; band < 3; ++band) {
      const double bandM = std::sin(kTwoPi * ((0.7 + 0.3 * band) * phase + 0.17 * ch));
      const double di = ClampedDelaySamples(bandM * kBandDepth[band] * frame.depthMs + frame.centerMs, fs);
      read.sample += lines_[2 + 2 * band + ch].ReadBlended(di, w);
      delaySum += di;
    }
    read.delayMs = delaySum * 1000.0 / (3.0 * fs);
  } else if (structure == Structure::kAnalogBbd) {
    const double x = lines_[8 + ch].ReadBlended(d, w);
    read.sample = x < 0.0 ? -x * x : x * x;
  } else {
    read.sample = lines_[ch].ReadBlended(d, w);
  }
  read.sample = ApplyDetuneHeads(read.sample, d, ch, frame);
  return read;
}

// Two heads sweeping an 80 ms window in opposite halves of the ramp, crossfaded by sin²: a pitch
// shift by the detune ratio, blended in proportionally below 10 cents.
double ChorusEngine::ApplyDetuneHeads(double sample, double delaySamples, int ch, VoiceFrame& frame) const {
  const double cents = frame.detuneCents;
  if (!(std::fabs(cents) > 1e-6)) return sample;
  const double fs = sampleRate_;
  const double maxDelay = kMaxReadFraction * fs;
  if (!frame.rampReady) {
    const double window = kDetuneWindowSeconds * fs;
    const double r = voiceRamp_[frame.voice];
    frame.rampCrossfade = SinSquaredHalfTurn(r);
    frame.rampHead1 = window * r;
    frame.rampHead2 = window * Frac(r + 0.5);
    frame.rampReady = true;
  }
  const double x = frame.rampCrossfade;
  const double d1 = std::clamp(frame.rampHead1 + delaySamples, DelayLine::kMinDelaySamples, maxDelay);
  const double d2 = std::clamp(frame.rampHead2 + delaySamples, DelayLine::kMinDelaySamples, maxDelay);
  const double w = interpolationWeight_;
  const double shifted = (1.0 - x) * lines_[ch].ReadBlended(d2, w) + x * lines_[ch].ReadBlended(d1, w);
  const double a = std::min(std::fabs(cents) / 10.0, 1.0);
  return a * shifted + (1.0 - a) * sample;
}

ChorusEngine::VoiceRead ChorusEngine::RenderMicroPitch(int ch, const VoiceFrame& frame) const {
  const int v = frame.voice;
  const double fs = sampleRate_;
  const double sp = frame.shared->stereoPhase;
  const double offset = voiceRamp_[v] + voiceRampOffset_[v] + frame.shared->phaseTurn +
                        VoiceParam(v, kVoicePhaseOffset) / 360.0 + sp * ch;
  const double b = Frac(offset);
  const double window = (0.06 + 0.0005 * Param(kParamBaseDelay)) * fs;
  const double h = std::clamp(frame.centerMs * 0.001 * fs, DelayLine::kMinDelaySamples, 0.12 * fs);
  const double w1 = window * b + h;
  const double w2 = window * Frac(b + 0.5) + h;
  const double f = SinSquaredHalfTurn(b);
  const double e = 1.0 - f;
  const double w = interpolationWeight_;
  VoiceRead read;
  read.sample = e * lines_[ch].ReadBlended(w2, w) + f * lines_[ch].ReadBlended(w1, w);
  read.delayMs = (e * w2 + f * w1) * 1000.0 / fs;
  return read;
}

void ChorusEngine::RunVoiceLoop(Stereo& wet, Stereo& taps) {
  const int activeCount = ActiveVoiceCount();
  double activeSum = 0.0;
  for (int v = 0; v < kVoiceCount; ++v) {
    StepToward(voiceActive_[v], VoiceGoalActive(v, activeCount) ? 1.0 : 0.0, coef5ms_);
    activeSum += voiceActive_[v];
  }
  const double normalisation = 1.0 / std::max(activeSum, 1.0);
  // The tilt runs end to end over the sounding voices, weighted by their activity so that a voice
  // fading in or out moves the others' positions smoothly; a single voice gets none.
  const double tilt = Param(kParamVoiceTilt);
  const double tiltSpan = activeSum - 1.0;
  const double tiltAmount = std::clamp(tiltSpan, 0.0, 1.0);
  double activeBefore = 0.0;

  const double spread = Param(kParamSpread);
  const double drift = Param(kParamDrift);
  const double detune = Param(kParamDetune);
  const double rampWindow = PitchRampWindowSeconds();
  SampleFrame shared{Param(kParamStereoPhase) / 360.0, Param(kParamPhase) / 360.0, 0.0};
  if (structureWeight_[static_cast<int>(Structure::kVintageEnsemble)] > kSilentWeight) {
    shared.driftSine = std::sin(kTwoPi * driftPhase_);
  }
  double gainSum = 0.0;
  for (int v = 0; v < kVoiceCount; ++v) {
    const double pan = spread * VoiceParam(v, kVoicePan) * 0.0001;
    voicePan_[v] = pan;
    double tiltDb = 0.0;
    if (tiltAmount > 0.0 && tilt != 0.0) {
      const double position = std::clamp(activeBefore / tiltSpan, 0.0, 1.0);
      tiltDb = (position - 0.5) * tilt * tiltAmount;
    }
    activeBefore += voiceActive_[v];
    voiceLevelDb_[v] = tiltDb + VoiceParam(v, kVoiceLevel);
    voiceGain_[v] = VoiceGainFor(v, voiceLevelDb_[v], normalisation);

    const double phase = AdvanceVoiceModulation(v, rampWindow, shared.phaseTurn);
    const double depthMs = effectiveDepthMs_ * VoiceParam(v, kVoiceDepthScale) * 0.01;
    const double centerMs = static_cast<double>(Param(kParamBaseDelay)) + VoiceParam(v, kVoiceDelayOffset);

    double left = 0.0, right = 0.0, delayLeft = 0.0, delayRight = 0.0;
    const bool sounding = voiceActive_[v] > kSilentWeight;
    if (sounding) {
      VoiceFrame frame{v, centerMs, depthMs, phase, detune + VoiceParam(v, kVoiceDetuneOffset), &shared};
      if (drift != 0.0) {
        for (int ch = 0; ch < 2; ++ch) {
          frame.driftTerm[ch] = drift * 0.002 * std::sin(kTwoPi * (0.21 * ch + 0.171 * v + driftPhase_));
        }
      }
      for (int i = 0; i < activeStructureCount_; ++i) {
        const int s = activeStructures_[i];
        const double weight = structureWeight_[s];
        const VoiceRead l = RenderVoice(static_cast<Structure>(s), 0, frame);
        const VoiceRead r = RenderVoice(static_cast<Structure>(s), 1, frame);
        left += weight * l.sample;
        right += weight * r.sample;
        delayLeft += weight * l.delayMs;
        delayRight += weight * r.delayMs;
      }
    }
    const double gainLeft = 1.0 - std::max(pan, 0.0);
    const double gainRight = 1.0 + std::min(pan, 0.0);
    voiceDelayMs_[v] = (delayRight * gainRight + delayLeft * gainLeft) / (gainRight + gainLeft);
    voicePosition_[v] = sounding && depthMs > kSilentWeight ? (voiceDelayMs_[v] - centerMs) / depthMs : 0.0;
    wet.l += left * voiceGain_[v] * gainLeft;
    wet.r += right * voiceGain_[v] * gainRight;
    gainSum += std::fabs(voiceGain_[v]);
    // The feedback reads the plain main lines at the voice's mean delay, whatever the structure.
    if (voiceGain_[v] != 0.0) {
      const double d = ClampedDelaySamples(voiceDelayMs_[v], sampleRate_);
      taps.l += gainLeft * voiceGain_[v] * lines_[0].ReadBlended(d, interpolationWeight_);
      taps.r += gainRight * voiceGain_[v] * lines_[1].ReadBlended(d, interpolationWeight_);
    }
  }
  voiceGainSum_ = gainSum;
}

void ChorusEngine::FilterFeedback(const Stereo& taps) {
  feedbackNorm_ = (1.0 + 0.25 * interpolationWeight_) * 2.0 * std::max(voiceGainSum_, 1.0);
  const double polarity = SteppedParam(kParamFeedbackPolarity) != 0 ? -1.0 : 1.0;
  const double gain = polarity * Param(kParamFeedback) * 0.01 / feedbackNorm_;
  const double xf = Param(kParamCrossFeed) * 0.01;
  const double source[2] = {taps.r * xf + taps.l * (1.0 - xf), taps.l * xf + taps.r * (1.0 - xf)};
  for (int ch = 0; ch < 2; ++ch) {
    OnePole& highPass = filters_[kFeedbackHighPassFilter][ch];
    OnePole& lowPass = filters_[kFeedbackLowPassFilter][ch];
    highPass.state += (source[ch] - highPass.state) * highPass.coefficient;
    FlushTiny(highPass.state);
    const double hp = source[ch] - highPass.state;
    lowPass.state += (hp - lowPass.state) * lowPass.coefficient;
    FlushTiny(lowPass.state);
    // A bad product must not latch the loop.
    const double fed = lowPass.state * gain;
    feedbackState_[ch] = std::isfinite(fed) ? SanitizeSample(fed) : 0.0;
  }
}

void ChorusEngine::StepStageWeights() {
  const int stages = SteppedParam(kParamStages);
  for (int j = 0; j < kDiffusionStageCount; ++j)
    StepToward(stageActive_[j], stages > j ? 1.0 : 0.0, coef5ms_);
}

namespace {
double RunOnePole(OnePole& filter, double x) {
  filter.state += (x - filter.state) * filter.coefficient;
  FlushTiny(filter.state);
  return filter.state;
}

double RunBiquad(Biquad& b, double x) {
  const double y = b.b0 * x + b.z1;
  b.z1 = b.b1 * x - b.a1 * y + b.z2;
  b.z2 = b.b2 * x - b.a2 * y;
  FlushTiny(b.z1);
  FlushTiny(b.z2);
  return SanitizeSample(y);
}
}  // namespace

// Saturation of the analog structures, drive, wet filters, tone, diffusion, ducking and polarity.
double ChorusEngine::RunWetChain(int ch, double w) {
  double x = w;
  const double bbd = structureWeight_[static_cast<int>(Structure::kAnalogBbd)];
  if (bbd > 0.0) {
    const double saturated = std::tanh(kBbdSaturation * x) / kBbdSaturation;
    x = bbd * RunOnePole(filters_[kBbdLowPassFilter][ch], saturated) + (1.0 - bbd) * x;
  }
  const double ensemble = structureWeight_[static_cast<int>(Structure::kVintageEnsemble)];
  if (ensemble > 0.0) {
    const double saturated = std::tanh(kEnsembleSaturation * w) / kEnsembleSaturation;
    x = ensemble * RunOnePole(filters_[kEnsembleLowPassFilter][ch], saturated) + (1.0 - ensemble) * x;
  }
  if (driveGain_ > kDriveThreshold) x = std::tanh(x * driveGain_) * driveNorm_;
  x -= RunOnePole(filters_[kWetHighPassFilter][ch], x);
  x = RunBiquad(wetLowPass_[ch], x);
  x = RunBiquad(toneShelf_[ch], x);

  const double amount =
      std::max(Param(kParamDiffusion) * 0.01,
               kDiffusedChorusAmount * structureWeight_[static_cast<int>(Structure::kDiffusedChorus)]);
  for (int j = 0; j < kDiffusionStageCount; ++j) {
    DiffusionStage& stage = stages_[ch][j];
    const double y = stage.Delayed() - kAllpassGain * x;
    double stored = x + kAllpassGain * y;
    FlushTiny(stored);
    stage.Write(stored);
    x += amount * (y - x) * stageActive_[j];
  }
  return x * duckGain_ * wetPolarity_;
}

uint32_t ChorusEngine::NextNoise() {
  uint32_t s = noiseState_;
  s ^= s << 13;
  s ^= s >> 17;
  s ^= s << 5;
  noiseState_ = s;
  return s;
}

void ChorusEngine::AddNoise(Stereo& wet) {
  if (!(noiseWeight_ > 0.0)) return;
  const double scale = noiseWeight_ * noiseGain_;
  wet.l += scale * (2.0 * NextNoise() / 4294967296.0 - 1.0);
  wet.r += scale * (2.0 * NextNoise() / 4294967296.0 - 1.0);
}

ChorusEngine::Stereo ChorusEngine::ApplyWidthAndMonoBass(const Stereo& wet) {
  const double m = (wet.l + wet.r) / 2.0;
  double s = (wet.l - wet.r) / 2.0;
  const double sideBass = RunOnePole(filters_[kMonoBassFilter][0], s);
  s = (s - Param(kParamMonoBass) * 0.01 * sideBass) * Param(kParamWidth) * 0.01;
  return {m + s, m - s};
}

ChorusEngine::Stereo ChorusEngine::Monitor(const Stereo& out, const Stereo& raw, const Stereo& wetOut,
                                           const Stereo& sc) const {
  const double mono = (out.l + out.r) / 2.0;
  const double side = (out.l - out.r) / 2.0;
  // Output, Raw Dry, Wet, Delta, Mono, Mid, Side, External.
  const double sources[8][2] = {
      {out.l, out.r}, {raw.l, raw.r}, {wetOut.l, wetOut.r}, {wetOut.l - raw.l, wetOut.r - raw.r},
      {mono, mono},   {mono, mono},   {side, side},         {sc.l * scTrim_, sc.r * scTrim_}};
  Stereo m{0.0, 0.0};
  for (int k = 0; k < 8; ++k) {
    const double w = monitorWeight_[k];
    if (w == 0.0) continue;
    m.l += w * sources[k][0];
    m.r += w * sources[k][1];
  }
  return m;
}

void ChorusEngine::Measure(const Stereo& raw, const Stereo& out) {
  const double a = correlationCoef_;
  const double rl = SanitizeSample(raw.l), rr = SanitizeSample(raw.r);
  const double ol = SanitizeSample(out.l), orr = SanitizeSample(out.r);
  const double targets[6] = {rl * rl, rr * rr, rl * rr, ol * ol, orr * orr, ol * orr};
  for (int k = 0; k < 6; ++k) {
    correlationSums_[k] += (targets[k] - correlationSums_[k]) * a;
    FlushTiny(correlationSums_[k]);
  }
  rings_[0][ringIndex_] = ToOutputSample(raw.l);
  rings_[1][ringIndex_] = ToOutputSample(raw.r);
  rings_[2][ringIndex_] = ToOutputSample(out.l);
  rings_[3][ringIndex_] = ToOutputSample(out.r);
  ringIndex_ = (ringIndex_ + 1) % kFftSize;
  if (sampleCounter_ % kScopeDecimation == 0) {
    scopeMid_[scopeIndex_] = ToOutputSample((out.l + out.r) / 2.0);
    scopeSide_[scopeIndex_] = ToOutputSample((out.l - out.r) / 2.0);
    scopeIndex_ = (scopeIndex_ + 1) % kScopeLength;
  }
  if (sampleCounter_ % kAnalysisInterval == 0) {
    if (SteppedParam(kParamAnalyzer) != 0) {
      const int speed = SteppedParam(kParamAnalyzerSpeed);
      analyser_.Analyse(rings_[0], rings_[1], ringIndex_, sampleRate_, speed, display_.inputSpectrumDb);
      analyser_.Analyse(rings_[2], rings_[3], ringIndex_, sampleRate_, speed, display_.outputSpectrumDb);
    } else {
      std::fill(std::begin(display_.inputSpectrumDb), std::end(display_.inputSpectrumDb), kSpectrumFloorDb);
      std::fill(std::begin(display_.outputSpectrumDb), std::end(display_.outputSpectrumDb), kSpectrumFloorDb);
    }
  }
}

// Holds a block peak for the hold time unless a larger one comes; after it the meter follows the
// blocks again, so every peak is on show for at least the hold time or hidden behind a larger one.
void ChorusEngine::HoldPeak(HeldPeak& held, double blockPeak, int frames) const {
  if (blockPeak >= held.value || held.samplesLeft <= 0) {
    held.value = blockPeak;
    held.samplesLeft = static_cast<long>(std::ceil(kPeakHoldSeconds * sampleRate_));
  } else {
    held.samplesLeft -= frames;
  }
}

void ChorusEngine::Process(const float* const* inputs, float* const* outputs, int frames, bool bypassRequest,
                           const float* const* sidechain, bool sidechainPresent) {
  if (frames < 1 || outputs == nullptr) return;
  if (!prepared_) {
    PassThrough(inputs, outputs, frames);
    return;
  }
  if (!primed_) {
    Prime(bypassRequest);
    primed_ = true;
  }
  if (transport_.resyncPending) ResyncVoicesToTransport();

  const bool hasSidechain = sidechainPresent && sidechain != nullptr;
  meters_ = MeterSnapshot();
  meters_.sidechainPresent = sidechainPresent ? 1 : 0;
  meters_.externalDetector =
      sidechainPresent && SteppedParam(kParamEnvelopeDetector) == kDetectorExternal ? 1 : 0;

  const float* inL = inputs != nullptr ? inputs[0] : nullptr;
  const float* inR = inputs != nullptr ? (inputs[1] != nullptr ? inputs[1] : inputs[0]) : nullptr;
  float* outL = outputs[0];
  float* outR = outputs[1];
  const double fs = sampleRate_;
  double inPeak = 0.0, wetPeak = 0.0, outLeftPeak = 0.0, outRightPeak = 0.0;

  for (int n = 0; n < frames; ++n) {
    SmoothParameters();
    if ((sampleCounter_ & (kCoefficientInterval - 1)) == 0) UpdateCoefficients();
    ++sampleCounter_;
    StepModeWeights(bypassRequest);

    const Stereo raw{ReadInput(inL, n), ReadInput(inR, n)};
    const Stereo sc = ReadSidechain(sidechain, hasSidechain, n);
    const Stereo x = RouteInput(raw.l, raw.r);
    RunDetector(x, sc, hasSidechain);
    const Stereo rem = WriteDelayLines(x);

    Stereo wet{0.0, 0.0}, taps{0.0, 0.0};
    RunVoiceLoop(wet, taps);
    const double blend = kDimensionBlend * structureWeight_[static_cast<int>(Structure::kDimension)];
    const Stereo blended{(1.0 - blend) * wet.l + blend * wet.r, (1.0 - blend) * wet.r + blend * wet.l};
    FilterFeedback(taps);

    StepStageWeights();
    Stereo chain{RunWetChain(0, blended.l), RunWetChain(1, blended.r)};
    AddNoise(chain);

    const Stereo widened = ApplyWidthAndMonoBass(chain);
    const double wSide = bandWeight_[kBandSideOnly];
    const double wMidOnly = bandWeight_[kBandMidOnly];
    const double rest = 1.0 - wSide - wMidOnly;
    const double sum = (widened.l + widened.r) / 2.0, difference = (widened.l - widened.r) / 2.0;
    const Stereo wetOut{wMidOnly * sum + wSide * difference + rest * widened.l + rem.l,
                        wMidOnly * sum - wSide * difference + rest * widened.r + rem.r};

    const double mix = Param(kParamMix) / 100.0;
    const double y[2] = {(1.0 - mix) * dryPolarity_ * raw.l + mix * wetOut.l,
                         (1.0 - mix) * dryPolarity_ * raw.r + mix * wetOut.r};
    // Stereo, Mono Sum, Mid, Side, Encode MS.
    const double routes[5][2] = {{y[0], y[1]},
                                 {(y[0] + y[1]) / 2.0, (y[0] + y[1]) / 2.0},
                                 {(y[0] + y[1]) / 2.0, (y[0] + y[1]) / 2.0},
                                 {(y[0] - y[1]) / 2.0, (y[0] - y[1]) / 2.0},
                                 {(y[0] + y[1]) / 2.0, (y[0] - y[1]) / 2.0}};
    Stereo routed{0.0, 0.0};
    for (int k = 0; k < 5; ++k) {
      const double w = outputRouteWeight_[k];
      if (w == 0.0) continue;
      routed.l += w * routes[k][0];
      routed.r += w * routes[k][1];
    }
    const double balance = Param(kParamBalance);
    const Stereo out{routed.l * (1.0 - std::max(balance, 0.0) / 100.0),
                     routed.r * (1.0 + std::min(balance, 0.0) / 100.0)};

    Stereo m = Monitor(out, raw, wetOut, sc);
    if (dcWeight_ != 0.0) {
      m.l -= dcWeight_ * RunOnePole(filters_[kDcFilter][0], m.l);
      m.r -= dcWeight_ * RunOnePole(filters_[kDcFilter][1], m.r);
    }
    m.l *= outputGain_;
    m.r *= outputGain_;
    const Stereo o{bypassWeight_ * raw.l + (1.0 - bypassWeight_) * m.l,
                   bypassWeight_ * raw.r + (1.0 - bypassWeight_) * m.r};
    const float sampleL = ToOutputSample(o.l);
    const float sampleR = ToOutputSample(o.r);
    if (outL != nullptr) outL[n] = sampleL;
    if (outR != nullptr) outR[n] = sampleR;

    inPeak = std::max(inPeak, std::max(std::fabs(raw.l), std::fabs(raw.r)));
    wetPeak = std::max(wetPeak, std::max(std::fabs(wetOut.l), std::fabs(wetOut.r)));
    outLeftPeak = std::max(outLeftPeak, static_cast<double>(std::fabs(sampleL)));
    outRightPeak = std::max(outRightPeak, static_cast<double>(std::fabs(sampleR)));
    Measure(raw, {std::isfinite(o.l) ? o.l : 0.0, std::isfinite(o.r) ? o.r : 0.0});

    driftPhase_ += Param(kParamDriftRate) / fs;
    if (transport_.playing && transport_.positionValid) {
      transport_.expectedPosition += TempoInUse(transport_, Param(kParamTempoFallback)) / (fs * 60.0);
    }
  }

  const double blockPeaks[5] = {inPeak, std::min(wetPeak, kOutputLimit), std::max(outLeftPeak, outRightPeak),
                                outLeftPeak, outRightPeak};
  for (int k = 0; k < 5; ++k) HoldPeak(heldPeaks_[k], blockPeaks[k], frames);
  meters_.inPeak = static_cast<float>(std::min(heldPeaks_[0].value, kOutputLimit));
  meters_.wetPeak = static_cast<float>(heldPeaks_[1].value);
  meters_.outPeak = static_cast<float>(heldPeaks_[2].value);
  meters_.outLeftPeak = static_cast<float>(heldPeaks_[3].value);
  meters_.outRightPeak = static_cast<float>(heldPeaks_[4].value);
  FillBlockDisplay();
  Publish();
}

void ChorusEngine::FillBlockDisplay() {
  const bool microPitch = SteppedParam(kParamModel) == kModelMicroPitch;
  const double window = 0.06 + 0.0005 * Param(kParamBaseDelay);
  for (int v = 0; v < kVoiceCount; ++v) {
    const bool active = voiceActive_[v] > 1e-6;
    display_.voiceActive[v] = active ? 1 : 0;
    const double cents = static_cast<double>(Param(kParamDetune)) + VoiceParam(v, kVoiceDetuneOffset);
    if (microPitch) {
      display_.voiceMotion[v] = static_cast<float>(
          std::sin(kTwoPi * (voiceRamp_[v] + voiceRampOffset_[v] + Param(kParamPhase) / 360.0 +
                             VoiceParam(v, kVoicePhaseOffset) / 360.0)));
      display_.voiceRateHz[v] = static_cast<float>(std::fabs(1.0 - std::exp2(cents / 1200.0)) / window);
    } else {
      display_.voiceMotion[v] = static_cast<float>(voicePosition_[v]);
      display_.voiceRateHz[v] = static_cast<float>(voiceRate_[v]);
    }
    display_.voiceDelayMs[v] = static_cast<float>(voiceDelayMs_[v]);
    display_.voicePanPercent[v] = static_cast<float>(100.0 * voicePan_[v]);
    display_.voiceLevelDb[v] =
        active ? static_cast<float>(20.0 * std::log10(std::max(std::fabs(voiceGain_[v]), 1e-6))) : -120.0f;
  }
  const double* sums = correlationSums_;
  display_.inputCorrelation = static_cast<float>(Correlation(sums[0], sums[1], sums[2]));
  display_.outputCorrelation = static_cast<float>(Correlation(sums[3], sums[4], sums[5]));
  display_.signalPresent = sums[0] + sums[1] + sums[3] + sums[4] > kSignalPresentLevel ? 1 : 0;
  for (int i = 0; i < kScopeLength; ++i) {
    const int from = (scopeIndex_ + i) % kScopeLength;
    display_.scopeMid[i] = scopeMid_[from];
    display_.scopeSide[i] = scopeSide_[from];
  }
  display_.duckDb = static_cast<float>(duckDb_);
  display_.envelopeDb = static_cast<float>(20.0 * std::log10(std::max(envelopeLevel_, 1e-6)));
  if (microPitch) {
    display_.depthMs = static_cast<float>(window * 500.0);
    display_.rateHz = static_cast<float>(std::fabs(1.0 - std::exp2(Param(kParamDetune) / 1200.0)) / window);
  } else {
    display_.depthMs = static_cast<float>(effectiveDepthMs_);
    display_.rateHz = static_cast<float>(effectiveRateHz_);
  }
  display_.splitLowHz = static_cast<float>(splitLowHz_);
  display_.splitHighHz = static_cast<float>(splitHighHz_);
  display_.tempoBpm = static_cast<float>(TempoInUse(transport_, Param(kParamTempoFallback)));
  display_.sampleRate = sampleRate_;
  display_.hostTempo = transport_.tempoValid ? 1 : 0;
  display_.playing = transport_.playing ? 1 : 0;
  display_.sidechainPresent = meters_.sidechainPresent;
  display_.externalDetector = meters_.externalDetector;
}

void ChorusEngine::Publish() { PublishSnapshots(published_, display_, meters_); }

bool ChorusEngine::TryReadSnapshots(DisplaySnapshot& display, MeterSnapshot& meters) const {
  return halcyra::TryReadSnapshots(published_, display, meters);
}

DisplaySnapshot ChorusEngine::ReadDisplay() const {
  DisplaySnapshot display;
  MeterSnapshot meters;
  TryReadSnapshots(display, meters);
  return display;
}

MeterSnapshot ChorusEngine::ReadMeters() const {
  DisplaySnapshot display;
  MeterSnapshot meters;
  TryReadSnapshots(display, meters);
  return meters;
}

}  // namespace halcyra
