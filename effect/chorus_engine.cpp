#include "effect/chorus_engine.h"

#include <algorithm>
#include <cmath>

#include "core/math_constants.h"

namespace halcyra {
namespace {

constexpr int kCoefficientInterval = 16;  // samples between coefficient updates (a power of two)
constexpr double kBbdBaseHz = 3500.0;
constexpr double kEnsembleLowPassHz = 7500.0;

}  // namespace

ChorusEngine::ChorusEngine(MathPath math) : math_(math), weights_(math_.TakesShortcuts()), voices_(math) {}

double ChorusEngine::ClampSampleRate(double requestedRate) {
  if (!std::isfinite(requestedRate) || requestedRate <= 0.0) return kDefaultSampleRate;
  return std::clamp(requestedRate, kMinSampleRate, kMaxSampleRate);
}

void ChorusEngine::Reset(double sampleRate) {
  sampleRate_ = ClampSampleRate(sampleRate);
  coef20ms_ = TimeCoefficient(20.0, sampleRate_);
  coef5ms_ = TimeCoefficient(5.0, sampleRate_);
  coef3ms_ = TimeCoefficient(3.0, sampleRate_);
  const std::size_t lineSize = DelayLine::SizeForSampleRate(sampleRate_);
  bool allocated = true;
  for (auto& pair : lines_) {
    for (DelayLine& line : pair) allocated = line.Resize(lineSize) && allocated;
  }
  allocated = wetChain_.Resize(sampleRate_) && allocated;
  allocated = measurement_.Prepare(sampleRate_) && allocated;
  prepared_ = allocated;
  Clear();
}

void ChorusEngine::Clear() {
  for (auto& pair : lines_) {
    for (DelayLine& line : pair) line.Clear();
  }
  bandSplit_.Clear();
  feedback_.Clear();
  wetChain_.Clear();
  output_.Clear();
  detector_.Clear();
  noise_.Clear();
  sampleCounter_ = 0;
  driftPhase_ = 0.0;
  measurement_.Clear(sampleRate_);
  primed_ = false;
  Prime(false);
  measurement_.Publish();
}

void ChorusEngine::Prime(bool bypassRequest) {
  params_.Snap();
  weights_.Snap(params_, bypassRequest);
  voices_.Prime(params_);
  lastBypassRequest_ = bypassRequest;
  coefficientsDirty_ = true;
  UpdateCoefficients();
}

void ChorusEngine::SetParameters(const float values[kParamCount]) { params_.SetTargets(values); }

void ChorusEngine::SetTransport(double tempo, double positionQuarterNotes, bool playing, bool tempoValid,
                                bool positionValid) {
  const TransportInput input{tempo, positionQuarterNotes, playing, tempoValid, positionValid};
  const float* targets = params_.Targets();
  UpdateTransport(transport_, input, targets[kParamTransportReset] != 0.0f, targets[kParamTempoFallback]);
}

void ChorusEngine::PassThrough(const float* const* inputs, float* const* outputs, int frames) const {
  for (int ch = 0; ch < 2; ++ch) {
    float* out = outputs[ch];
    if (out == nullptr) continue;
    const float* in = inputs != nullptr ? inputs[ch] : nullptr;
    for (int n = 0; n < frames; ++n) out[n] = static_cast<float>(ReadInputSample(in, n));
  }
}

void ChorusEngine::StepParameters(bool bypassRequest) {
  const ParamSmoother::Change change = params_.Step(coef20ms_);
  // What the parameters feed is worked out again when they move, and on the reference path, which
  // takes nothing as settled, on every sample.
  const bool shortcuts = math_.TakesShortcuts();
  if (change != ParamSmoother::kNothing || !shortcuts) {
    coefficientsDirty_ = true;
    voices_.ParamsChanged();
    UpdateClockSteps();
    if ((change & ParamSmoother::kSteppedApplied) || !shortcuts) weights_.GoalsChanged();
  }
  if ((sampleCounter_ & (kCoefficientInterval - 1)) == 0) UpdateCoefficients();
  ++sampleCounter_;
  weights_.Step(params_, bypassRequest, coef5ms_, coef3ms_);
}

void ChorusEngine::UpdateCoefficients() {
  if (!coefficientsDirty_) return;
  coefficientsDirty_ = false;
  const double fs = sampleRate_;
  const ParamSmoother& p = params_;
  auto gain = [](double db) { return std::pow(10.0, db / 20.0); };
  inputGain_ = gain(p.Value(kParamInput));
  output_.outputGain = gain(p.Value(kParamOutput));
  wetChain_.driveGain = gain(p.Value(kParamAnalogDrive));
  wetChain_.driveNorm = 1.0 / std::tanh(wetChain_.driveGain);
  detector_.coefficients.envelopeAttack = TimeCoefficient(p.Value(kParamEnvelopeAttack), fs);
  detector_.coefficients.envelopeRelease = TimeCoefficient(p.Value(kParamEnvelopeRelease), fs);
  detector_.coefficients.duckAttack = TimeCoefficient(p.Value(kParamDuckAttack), fs);
  detector_.coefficients.duckRelease = TimeCoefficient(p.Value(kParamDuckRelease), fs);

  const double splitLow = p.Value(kParamSplitLow);
  const double splitHigh = p.Value(kParamSplitHigh);
  splitLowHz_ = std::clamp(std::min(splitLow, splitHigh), 20.0, 0.4 * fs);
  splitHighHz_ = std::clamp(std::max(splitLow, splitHigh), splitLowHz_ + 1.0, kMaxFilterFraction * fs);
  bandSplit_.lowSplit.coefficient = OnePoleCoefficient(splitLowHz_, fs);
  bandSplit_.highSplit.coefficient = OnePoleCoefficient(splitHighHz_, fs);
  feedback_.highPass.coefficient = OnePoleCoefficient(p.Value(kParamFeedbackHp), fs);
  feedback_.lowPass.coefficient = OnePoleCoefficient(p.Value(kParamFeedbackLp), fs);
  wetChain_.highPass.coefficient = OnePoleCoefficient(p.Value(kParamWetHp), fs);
  output_.monoBass.coefficient = OnePoleCoefficient(p.Value(kParamMonoBassFrequency), fs);
  output_.dcFilter.coefficient = OnePoleCoefficient(kMinFilterHz, fs);
  // The bucket brigade's low-pass falls with longer delays, as a real line's clock does.
  const double bbdHz = kBbdBaseHz / (p.Value(kParamBaseDelay) / 20.0 + 1.0) + kBbdBaseHz;
  wetChain_.bbdLowPass.coefficient = OnePoleCoefficient(bbdHz, fs);
  wetChain_.ensembleLowPass.coefficient =
      OnePoleCoefficient(std::min(kEnsembleLowPassHz, kMaxFilterFraction * fs), fs);
  const double q = 0.707 + 0.033 * p.Value(kParamResonance);
  DesignLowPass(wetChain_.lowPass, p.Value(kParamWetLp), q, fs);
  DesignHighShelf(wetChain_.toneShelf, p.Value(kParamTone), fs);
}

StereoVector ChorusEngine::ReadSidechain(const float* const* sidechain, bool present, int n) const {
  if (!present) return StereoVector();
  const float* left = sidechain[0];
  const float* right = sidechain[1] != nullptr ? sidechain[1] : sidechain[0];
  return SanitizeSample(StereoVector(ReadInputSample(left, n), ReadInputSample(right, n)));
}

void ChorusEngine::UpdateClockSteps() {
  driftStep_ = params_.Value(kParamDriftRate) / sampleRate_;
  positionStep_ = TempoInUse(transport_, params_.Value(kParamTempoFallback)) / (sampleRate_ * 60.0);
}

void ChorusEngine::AdvanceClocks() {
  driftPhase_ += driftStep_;
  if (transport_.playing && transport_.positionValid) transport_.expectedPosition += positionStep_;
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
  if (bypassRequest != lastBypassRequest_) {
    lastBypassRequest_ = bypassRequest;
    weights_.GoalsChanged();
  }
  if (transport_.resyncPending) {
    voices_.Resync(params_, transport_.resyncPosition, sampleCounter_ != 0);
    transport_.expectedPosition = transport_.resyncPosition;
    transport_.resyncPending = false;
  }
  UpdateClockSteps();
  wetChain_.BeginBlock(params_, weights_, math_);
  const bool hasSidechain = sidechainPresent && sidechain != nullptr;
  measurement_.BeginBlock(DisplayReaderPresent(), params_, sidechainPresent);

  const float* inL = inputs != nullptr ? inputs[0] : nullptr;
  const float* inR = inputs != nullptr ? (inputs[1] != nullptr ? inputs[1] : inputs[0]) : nullptr;
  float* outL = outputs[0];
  float* outR = outputs[1];
  for (int n = 0; n < frames; ++n) {
    StepParameters(bypassRequest);

    const StereoVector raw(ReadInputSample(inL, n), ReadInputSample(inR, n));
    const StereoVector sc = ReadSidechain(sidechain, hasSidechain, n);
    const StereoVector x = RouteInput(raw, weights_, inputGain_);
    const double trim = sidechainTrim_.For(params_.Value(kParamScTrim), math_);
    detector_.Run(x, sc, hasSidechain, trim, params_, transport_, math_);
    const StereoVector remainder =
        bandSplit_.SplitAndWrite(x, feedback_.State(), weights_.band, weights_.settledBand, lines_);

    const VoiceStage::Sums sums =
        voices_.Render({params_, weights_, lines_, math_, sampleRate_, coef5ms_, detector_.effectiveDepthMs,
                        detector_.effectiveRateHz, driftPhase_});
    const double blend =
        voicing::kDimensionBlend * weights_.structure[static_cast<int>(Structure::kDimension)];
    const StereoVector blended = (1.0 - blend) * sums.wet + blend * sums.wet.Swapped();
    feedback_.Run(sums.taps, sums.gainSum, weights_.interpolation, params_);

    StereoVector wet = wetChain_.Run(blended, weights_, params_, detector_.duckGain, math_);
    wet = noise_.Add(wet, weights_.noise, noiseGain_.For(params_.Value(kParamNoiseLevel), math_));
    const OutputStage::Frame frame = output_.Run(wet, remainder, raw, sc * trim, weights_, params_);

    const float sampleL = ToOutputSample(frame.output.Left());
    const float sampleR = ToOutputSample(frame.output.Right());
    if (outL != nullptr) outL[n] = sampleL;
    if (outR != nullptr) outR[n] = sampleR;
    const StereoVector finite = KeepWhere(frame.output - frame.output == StereoVector(), frame.output);
    measurement_.Record(raw, finite, frame.wetOut, StereoVector(sampleL, sampleR), sampleCounter_, params_);
    AdvanceClocks();
  }
  voices_.FinishBlock();
  measurement_.EndBlock(
      {voices_.State(), detector_, transport_, params_, math_, splitLowHz_, splitHighHz_, frames});
}

bool ChorusEngine::TryReadSnapshots(DisplaySnapshot& display, MeterSnapshot& meters) const {
  return halcyra::TryReadSnapshots(measurement_.Published(), display, meters);
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
