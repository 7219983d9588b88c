#pragma once
// ChorusEngine: the effect's whole signal processor — parameter smoothing, mode crossfades, the voice
// modulation, the ten delay lines and the twelve chorus structures, and the snapshots for the editor.
// SetParameters, SetTransport and Process run on the audio thread and never allocate or lock; Reset
// (which allocates) runs on activation while the host does not process; the snapshot readers are the
// only calls meant for the UI thread.

#include <cstdint>

#include "effect/analyser.h"
#include "effect/delay_line.h"
#include "effect/diffusion_stage.h"
#include "effect/modulation.h"
#include "effect/param_table.h"
#include "effect/snapshots.h"

namespace halcyra {

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

// One-pole filter: state += (x - state) × coefficient.
struct OnePole {
  double state = 0.0;
  double coefficient = 0.0;
};

// Transposed direct form II; identity until the coefficient update sets it.
struct Biquad {
  double b0 = 1.0;
  double b1 = 0.0;
  double b2 = 0.0;
  double a1 = 0.0;
  double a2 = 0.0;
  double z1 = 0.0;
  double z2 = 0.0;
};

class ChorusEngine {
 public:
  static constexpr double kDefaultSampleRate = 48000.0;
  static constexpr double kMinSampleRate = 8000.0;
  static constexpr double kMaxSampleRate = 384000.0;
  static constexpr int kDelayLineCount = 10;
  static constexpr int kDiffusionStageCount = 6;
  static constexpr int kScopeLength = 256;
  // A published peak stands at least this long so the editor, reading ~30 times a second, sees it.
  static constexpr double kPeakHoldSeconds = 0.05;

  // The one-pole pairs, in the engine's fixed order.
  enum FilterPair : int {
    kLowSplitFilter = 0,
    kHighSplitFilter,
    kFeedbackHighPassFilter,
    kFeedbackLowPassFilter,
    kWetHighPassFilter,
    kMonoBassFilter,
    kDcFilter,
    kBbdLowPassFilter,
    kEnsembleLowPassFilter,
    kFilterPairCount
  };

  // Defaults, 48000 Hz, no buffers: Process passes its input through until the first Reset.
  ChorusEngine();
  ChorusEngine(const ChorusEngine&) = delete;
  ChorusEngine& operator=(const ChorusEngine&) = delete;

  // The rate the engine runs at for a host rate: 0, negative and non-finite rates give 48000 Hz, the
  // rest is clamped to 8000..384000 Hz.
  static double ClampSampleRate(double requestedRate);

  // A structure's read delay for a delay in ms: in samples, never below 2 nor above 0.235 fs.
  static double ClampedDelaySamples(double delayMs, double sampleRate);

  // Activation: sizes the buffers for the rate (an unchanged rate re-zeroes them in place), then
  // Clear. Not real-time safe. If memory cannot be had the engine stays in pass-through.
  void Reset(double sampleRate);

  // Forgets all signal state and re-primes; parameters, transport and the rate stay.
  void Clear();

  // Snaps every smoothed value and weight to its target.
  void Prime(bool bypassRequest);

  // Sanitises and stores the 128 values the next samples glide toward (null: defaults).
  void SetParameters(const float values[kParamCount]);

  // Once per host block before Process.
  void SetTransport(double tempo, double positionQuarterNotes, bool playing, bool tempoValid,
                    bool positionValid);

  // inputs: null (silence) or two channels, a null right channel meaning mono; a null output channel
  // is computed but not written; the sidechain and its channels may be null. In-place is allowed.
  void Process(const float* const* inputs, float* const* outputs, int frames, bool bypassRequest,
               const float* const* sidechain, bool sidechainPresent);

  // UI thread: the last published records; idle ones when no read attempt succeeds.
  bool TryReadSnapshots(DisplaySnapshot& display, MeterSnapshot& meters) const;
  DisplaySnapshot ReadDisplay() const;
  MeterSnapshot ReadMeters() const;

  double SampleRate() const { return sampleRate_; }
  bool IsPrepared() const { return prepared_; }

 private:
  struct VoiceRead {
    double sample;
    double delayMs;
  };

  // What every voice's renders share within a sample.
  struct SampleFrame {
    double stereoPhase;  // cycles
    double phaseTurn;    // the global phase, cycles
    double driftSine;    // sin 2π·drift phase, only while Vintage Ensemble sounds
  };

  // What one voice's renders share within a sample; the terms both channels or several
  // structures use are computed on first use.
  struct VoiceFrame {
    int voice;
    double centerMs;
    double depthMs;
    double phase;
    double detuneCents;
    const SampleFrame* shared;
    double driftTerm[2] = {0.0, 0.0};
    double waveMix[2] = {0.0, 0.0};  // M0
    bool waveMixReady[2] = {false, false};
    double phaseSine = 0.0;  // sin 2π·phase (Dimension)
    bool phaseSineReady = false;
    double vintageSine = 0.0;  // sin 2π·4.73·phase (Vintage Ensemble)
    bool vintageSineReady = false;
    double rampCrossfade = 0.0;  // sin² π·ramp and the heads' window offsets (detune)
    double rampHead1 = 0.0;
    double rampHead2 = 0.0;
    bool rampReady = false;
  };

  float Param(int index) const { return smoothed_[index]; }
  int SteppedParam(int index) const { return static_cast<int>(smoothed_[index]); }
  float VoiceParam(int voice, int field) const { return smoothed_[VoiceParamIndex(voice, field)]; }

  void PassThrough(const float* const* inputs, float* const* outputs, int frames) const;
  void RebuildMovingParams();
  void SmoothParameters();
  void UpdateCoefficients();
  void StepModeWeights(bool bypassRequest);
  void ResyncVoicesToTransport();
  int ActiveVoiceCount() const;
  bool VoiceGoalActive(int voice, int activeCount) const;
  struct Stereo {
    double l;
    double r;
  };
  // One meter's published value: the largest block peak of the last hold time, then the signal's.
  struct HeldPeak {
    double value = 0.0;
    long samplesLeft = 0;
  };

  Stereo ReadSidechain(const float* const* sidechain, bool sidechainPresent, int n) const;
  Stereo RouteInput(double rawL, double rawR) const;
  void RunDetector(const Stereo& x, const Stereo& sc, bool sidechainPresent);
  void UpdateDuckGain();
  Stereo WriteDelayLines(const Stereo& x);
  void RunVoiceLoop(Stereo& wet, Stereo& taps);
  void FilterFeedback(const Stereo& taps);
  double RunWetChain(int ch, double w);
  void StepStageWeights();
  void AddNoise(Stereo& wet);
  uint32_t NextNoise();
  Stereo ApplyWidthAndMonoBass(const Stereo& wet);
  Stereo Monitor(const Stereo& out, const Stereo& raw, const Stereo& wetOut, const Stereo& sc) const;
  void Measure(const Stereo& raw, const Stereo& out);
  void ClearMeasurement();
  void HoldPeak(HeldPeak& held, double blockPeak, int frames) const;
  double AdvanceVoiceModulation(int voice, double window, double phaseTurn);
  double VoiceGainFor(int voice, double levelDb, double normalisation);
  double EvaluateWaveMix(double phase, int seed) const;
  double WaveMix(VoiceFrame& frame, int channel) const;
  VoiceRead RenderVoice(Structure structure, int channel, VoiceFrame& frame) const;
  VoiceRead RenderMicroPitch(int channel, const VoiceFrame& frame) const;
  double ApplyDetuneHeads(double sample, double delaySamples, int channel, VoiceFrame& frame) const;
  double PitchRampWindowSeconds() const;
  void FillBlockDisplay();
  void Publish();

  // Parameters.
  float target_[kParamCount];
  float smoothed_[kParamCount];
  double smoothState_[kParamCount];
  bool stepped_[kParamCount];
  int movingParams_[kParamCount];  // continuous parameters still gliding
  int movingCount_ = 0;
  bool steppedPending_ = false;
  bool coefficientsDirty_ = true;

  // Timing.
  double sampleRate_ = kDefaultSampleRate;
  double coef20ms_ = 0.0;
  double coef5ms_ = 0.0;
  double coef3ms_ = 0.0;
  bool prepared_ = false;
  bool primed_ = false;

  DelayLine lines_[kDelayLineCount];
  DiffusionStage stages_[2][kDiffusionStageCount];
  OnePole filters_[kFilterPairCount][2];
  Biquad wetLowPass_[2];
  Biquad toneShelf_[2];

  // Voices.
  double voiceCycles_[kVoiceCount] = {};
  double voiceRamp_[kVoiceCount] = {};
  double voiceCycleOffset_[kVoiceCount] = {};
  double voiceRampOffset_[kVoiceCount] = {};
  double voiceActive_[kVoiceCount] = {};
  double voiceGain_[kVoiceCount] = {};
  double voicePosition_[kVoiceCount] = {};
  double voiceRate_[kVoiceCount] = {};
  double voiceDelayMs_[kVoiceCount] = {};
  double voicePan_[kVoiceCount] = {};
  double voiceLevelDb_[kVoiceCount] = {};
  double voiceHumanize_[kVoiceCount] = {};  // HashUnit(v, 81): fixed per voice
  // Caches of per-voice transcendental results, keyed by their inputs.
  double cachedLevelDb_[kVoiceCount];
  double cachedLevelGain_[kVoiceCount];
  double cachedRampCents_[kVoiceCount];
  double cachedRampWindow_[kVoiceCount];
  double cachedRampStep_[kVoiceCount];

  // Smoothed mode weights; settledOn_ marks a vector already sitting on that value.
  double stageActive_[kDiffusionStageCount] = {};
  double waveWeight_[kWaveShapeCount] = {};
  double structureWeight_[kStructureCount] = {};
  double bandWeight_[6] = {};
  double inputRouteWeight_[5] = {};
  double outputRouteWeight_[5] = {};
  double monitorWeight_[8] = {};
  int waveSettledOn_ = -1;
  int structureSettledOn_ = -1;
  int bandSettledOn_ = -1;
  int inputRouteSettledOn_ = -1;
  int outputRouteSettledOn_ = -1;
  int monitorSettledOn_ = -1;
  int activeStructures_[kStructureCount] = {};
  int activeStructureCount_ = 0;
  double interpolationWeight_ = 1.0;
  double bypassWeight_ = 0.0;
  double noiseWeight_ = 0.0;
  double wetPolarity_ = 1.0;
  double dryPolarity_ = 1.0;
  double dcWeight_ = 0.0;

  // Detector and modulation results.
  double envelopeLevel_ = 0.0;
  double rmsState_ = 0.0;
  double peakState_ = 0.0;
  double duckGain_ = 1.0;
  double duckDb_ = 0.0;
  double effectiveDepthMs_ = 3.0;
  double effectiveRateHz_ = 0.35;
  double splitLowHz_ = 180.0;
  double splitHighHz_ = 3500.0;

  TransportState transport_;
  uint64_t sampleCounter_ = 0;

  // Gains and coefficients.
  double inputGain_ = 1.0;
  double outputGain_ = 1.0;
  double driveGain_ = 1.0;
  double driveNorm_ = 1.0;     // 1 / tanh(driveGain)
  double voiceGainSum_ = 0.0;  // Σ |voiceGain| of the current sample
  double envelopeAttackCoef_ = 0.001;
  double envelopeReleaseCoef_ = 0.001;
  double duckAttackCoef_ = 0.001;
  double duckReleaseCoef_ = 0.001;
  double feedbackNorm_ = 1.0;
  double feedbackState_[2] = {};
  uint32_t noiseState_ = 0x1234567u;
  double driftPhase_ = 0.0;

  // Measurement: audio rings for the analyser, the scope, correlation sums, held meter peaks.
  float rings_[4][kFftSize] = {};  // raw left, raw right, output left, output right
  int ringIndex_ = 0;
  float scopeMid_[kScopeLength] = {};
  float scopeSide_[kScopeLength] = {};
  int scopeIndex_ = 0;
  double correlationSums_[6] = {};  // raw LL, RR, LR; output LL, RR, LR
  double correlationCoef_ = 0.0;
  SpectrumAnalyser analyser_;
  HeldPeak heldPeaks_[5];
  double cachedEnvelopeLevel_ = -1.0;
  double cachedEnvelopeDb_ = -120.0;
  double cachedDuckDb_ = 0.0;
  double scTrim_ = 1.0;
  double noiseGain_ = 0.0;

  // Publication.
  DisplaySnapshot display_;
  MeterSnapshot meters_;
  SnapshotBlock published_;
};

}  // namespace halcyra
