#include "effect/engine_measurement.h"

#include <algorithm>
#include <cmath>

#include "effect/engine_output.h"

namespace halcyra {
namespace {

constexpr double kCorrelationMs = 100.0;
constexpr double kCorrelationEnergyFloor = 1e-24;
constexpr double kSignalPresentLevel = 1e-12;
constexpr double kDisplayActiveWeight = 1e-6;
constexpr uint64_t kScopeDecimation = 8;
constexpr uint64_t kAnalysisInterval = 512;

double Correlation(double xx, double yy, double xy) {
  const double energy = xx * yy;
  if (!(energy > kCorrelationEnergyFloor)) return 0.0;
  return std::clamp(xy / std::sqrt(energy), -1.0, 1.0);
}

double LargerLane(StereoVector v) { return std::max(v.Left(), v.Right()); }

}  // namespace

bool Measurement::Prepare(double sampleRate) {
  sampleRate_ = sampleRate;
  correlationCoef_ = TimeCoefficient(kCorrelationMs, sampleRate);
  return analyser_.Prepare();
}

void Measurement::Clear(double sampleRate) {
  for (auto& ring : rings_) std::fill(std::begin(ring), std::end(ring), 0.0f);
  std::fill(std::begin(scopeMid_), std::end(scopeMid_), 0.0f);
  std::fill(std::begin(scopeSide_), std::end(scopeSide_), 0.0f);
  for (StereoVector& sum : squares_) sum = StereoVector();
  ringIndex_ = 0;
  scopeIndex_ = 0;
  for (HeldPeak& held : heldPeaks_) held = HeldPeak();
  display_ = DisplaySnapshot();
  meters_ = MeterSnapshot();
  display_.sampleRate = sampleRate;
}

void Measurement::BeginBlock(bool readerPresent, const ParamSmoother& params, bool sidechainPresent) {
  const bool arrived = readerPresent && !readerPresent_;
  readerPresent_ = readerPresent;
  if (arrived && params.Stepped(kParamAnalyzer) != 0) RunAnalysis(params, true);
  meters_ = MeterSnapshot();
  meters_.sidechainPresent = sidechainPresent ? 1 : 0;
  meters_.externalDetector =
      FollowsSidechain(params.Stepped(kParamEnvelopeDetector), sidechainPresent) ? 1 : 0;
  inPeak_ = wetPeak_ = outPeak_ = StereoVector();
}

void Measurement::RunAnalysis(const ParamSmoother& params, bool fresh) {
  const int speed = params.Stepped(kParamAnalyzerSpeed);
  analyser_.Analyse(rings_[0], rings_[1], ringIndex_, sampleRate_, speed, display_.inputSpectrumDb, fresh);
  analyser_.Analyse(rings_[2], rings_[3], ringIndex_, sampleRate_, speed, display_.outputSpectrumDb, fresh);
}

void Measurement::Record(StereoVector raw, StereoVector output, StereoVector wetOut, StereoVector written,
                         uint64_t sampleCounter, const ParamSmoother& params) {
  inPeak_ = Max(inPeak_, Abs(raw));
  wetPeak_ = Max(wetPeak_, Abs(wetOut));
  outPeak_ = Max(outPeak_, Abs(written));

  const StereoVector r = SanitizeSample(raw), o = SanitizeSample(output);
  const StereoVector targets[3] = {r * r, o * o, StereoVector(r.Left() * r.Right(), o.Left() * o.Right())};
  for (int k = 0; k < 3; ++k)
    squares_[k] = FlushTiny(squares_[k] + (targets[k] - squares_[k]) * correlationCoef_);

  // The raw input came in as finite floats, so it converts back exactly.
  rings_[0][ringIndex_] = static_cast<float>(raw.Left());
  rings_[1][ringIndex_] = static_cast<float>(raw.Right());
  rings_[2][ringIndex_] = ToOutputSample(output.Left());
  rings_[3][ringIndex_] = ToOutputSample(output.Right());
  ringIndex_ = (ringIndex_ + 1) & (kFftSize - 1);
  if (sampleCounter % kScopeDecimation == 0) {
    scopeMid_[scopeIndex_] = ToOutputSample((output.Left() + output.Right()) / 2.0);
    scopeSide_[scopeIndex_] = ToOutputSample((output.Left() - output.Right()) / 2.0);
    scopeIndex_ = (scopeIndex_ + 1) % kScopeLength;
  }
  if (sampleCounter % kAnalysisInterval == 0) {
    if (params.Stepped(kParamAnalyzer) == 0) {
      std::fill(std::begin(display_.inputSpectrumDb), std::end(display_.inputSpectrumDb),
                DisplaySnapshot::kIdleDb);
      std::fill(std::begin(display_.outputSpectrumDb), std::end(display_.outputSpectrumDb),
                DisplaySnapshot::kIdleDb);
    } else if (readerPresent_) {
      RunAnalysis(params, false);
    }
  }
}

// Holds a block peak for the hold time unless a larger one comes; after it the meter follows the
// blocks again, so every peak is on show for at least the hold time or hidden behind a larger one.
void Measurement::HoldPeak(HeldPeak& held, double blockPeak, int frames) const {
  if (blockPeak >= held.value || held.samplesLeft <= 0) {
    held.value = blockPeak;
    held.samplesLeft = static_cast<long>(std::ceil(kPeakHoldSeconds * sampleRate_));
  } else {
    held.samplesLeft -= frames;
  }
}

void Measurement::FillVoiceDisplay(const BlockState& block) {
  const ParamSmoother& p = block.params;
  const VoiceState& voices = block.voices;
  const bool microPitch = IsStructure(p.Stepped(kParamModel), Structure::kMicroPitch);
  const double window = MicroPitchWindowSeconds(p.Value(kParamBaseDelay));
  for (int v = 0; v < kVoiceCount; ++v) {
    const bool active = voices.active[v] > kDisplayActiveWeight;
    display_.voiceActive[v] = active ? 1 : 0;
    if (microPitch) {
      const double cents =
          static_cast<double>(p.Value(kParamDetune)) + p.Value(VoiceParamIndex(v, kVoiceDetuneOffset));
      display_.voiceMotion[v] = static_cast<float>(
          block.math.SinTurns(voices.ramp[v] + voices.rampOffset[v] + p.Value(kParamPhase) / 360.0 +
                              p.Value(VoiceParamIndex(v, kVoicePhaseOffset)) / 360.0));
      display_.voiceRateHz[v] =
          static_cast<float>(std::fabs(PitchRampRate(block.math.CentsToRatio(cents), window)));
    } else {
      display_.voiceMotion[v] = static_cast<float>(voices.position[v]);
      display_.voiceRateHz[v] = static_cast<float>(voices.rate[v]);
    }
    display_.voiceDelayMs[v] = static_cast<float>(voices.delayMs[v]);
    display_.voicePanPercent[v] = static_cast<float>(100.0 * voices.pan[v]);
    display_.voiceLevelDb[v] =
        active ? static_cast<float>(block.math.GainToDb(std::fabs(voices.gain[v]), kLevelFloor))
               : DisplaySnapshot::kIdleDb;
  }
  if (microPitch) {
    display_.depthMs = static_cast<float>(window * 500.0);
    display_.rateHz =
        static_cast<float>(std::fabs(PitchRampRate(block.math.CentsToRatio(p.Value(kParamDetune)), window)));
  } else {
    display_.depthMs = static_cast<float>(block.detector.effectiveDepthMs);
    display_.rateHz = static_cast<float>(block.detector.effectiveRateHz);
  }
}

void Measurement::EndBlock(const BlockState& block) {
  const double blockPeaks[5] = {LargerLane(inPeak_), std::min(LargerLane(wetPeak_), kOutputLimit),
                                LargerLane(outPeak_), outPeak_.Left(), outPeak_.Right()};
  for (int k = 0; k < 5; ++k) HoldPeak(heldPeaks_[k], blockPeaks[k], block.frames);
  meters_.inPeak = static_cast<float>(std::min(heldPeaks_[0].value, kOutputLimit));
  meters_.wetPeak = static_cast<float>(heldPeaks_[1].value);
  meters_.outPeak = static_cast<float>(heldPeaks_[2].value);
  meters_.outLeftPeak = static_cast<float>(heldPeaks_[3].value);
  meters_.outRightPeak = static_cast<float>(heldPeaks_[4].value);

  FillVoiceDisplay(block);
  const double inLL = squares_[0].Left(), inRR = squares_[0].Right();
  const double outLL = squares_[1].Left(), outRR = squares_[1].Right();
  display_.inputCorrelation = static_cast<float>(Correlation(inLL, inRR, squares_[2].Left()));
  display_.outputCorrelation = static_cast<float>(Correlation(outLL, outRR, squares_[2].Right()));
  display_.signalPresent = inLL + inRR + outLL + outRR > kSignalPresentLevel ? 1 : 0;
  for (int i = 0; i < kScopeLength; ++i) {
    const int from = (scopeIndex_ + i) % kScopeLength;
    display_.scopeMid[i] = scopeMid_[from];
    display_.scopeSide[i] = scopeSide_[from];
  }
  display_.duckDb = static_cast<float>(block.detector.duckDb);
  display_.envelopeDb = static_cast<float>(block.math.GainToDb(block.detector.envelopeLevel, kLevelFloor));
  display_.splitLowHz = static_cast<float>(block.splitLowHz);
  display_.splitHighHz = static_cast<float>(block.splitHighHz);
  display_.tempoBpm =
      static_cast<float>(TempoInUse(block.transport, block.params.Value(kParamTempoFallback)));
  display_.sampleRate = sampleRate_;
  display_.hostTempo = block.transport.tempoValid ? 1 : 0;
  display_.playing = block.transport.playing ? 1 : 0;
  display_.sidechainPresent = meters_.sidechainPresent;
  display_.externalDetector = meters_.externalDetector;
  Publish();
}

void Measurement::Publish() { PublishSnapshots(published_, display_, meters_); }

}  // namespace halcyra
