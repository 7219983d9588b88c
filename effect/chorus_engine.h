#pragma once
// ChorusEngine: the effect's whole signal processor. Per sample it runs its stages in order:
// parameter smoothing and mode weights, input and detector, band split and line writes, the
// voices, feedback, wet chain and noise, the output stage, measurement; after each call it
// publishes the snapshots for the editor. The stages live in the engine_*.h files named for
// them. SetParameters, SetTransport and Process are for the audio thread and never allocate or
// lock; Reset allocates (Set-up); the snapshot readers and SetDisplayReaderPresent may be called
// from any thread. An engine made with MathPath::kReference computes every transcendental
// function exactly and works every value out on every sample, with nothing cached or passed
// over: the tests hold the fast path to it.

#include <atomic>
#include <cstdint>

#include "effect/analyser.h"
#include "effect/delay_line.h"
#include "effect/engine_input.h"
#include "effect/engine_math.h"
#include "effect/engine_measurement.h"
#include "effect/engine_output.h"
#include "effect/engine_smoothing.h"
#include "effect/engine_voices.h"
#include "effect/engine_wet_chain.h"
#include "effect/modulation.h"
#include "effect/param_table.h"
#include "effect/snapshots.h"

namespace halcyra {

class ChorusEngine {
 public:
  static constexpr double kDefaultSampleRate = 48000.0;
  static constexpr double kMinSampleRate = 8000.0;
  static constexpr double kMaxSampleRate = 384000.0;
  static constexpr int kScopeLength = Measurement::kScopeLength;

  // Set-up. Defaults, 48000 Hz, no buffers: Process passes its input through until the first Reset.
  explicit ChorusEngine(MathPath math = MathPath::kFast);
  ChorusEngine(const ChorusEngine&) = delete;
  ChorusEngine& operator=(const ChorusEngine&) = delete;

  // Any thread. The rate the engine runs at for a host rate: 0, negative and non-finite rates give
  // 48000 Hz, the rest is clamped to 8000..384000 Hz.
  static double ClampSampleRate(double requestedRate);

  // Set-up: sizes the buffers for the rate (an unchanged rate re-zeroes them in place), then
  // Clear. If memory cannot be had the engine stays in pass-through.
  void Reset(double sampleRate);

  // Set-up: forgets all signal state and re-primes; parameters, transport and the rate stay.
  void Clear();

  // Audio thread: sanitises and stores the 128 values the next samples glide toward.
  void SetParameters(const float values[kParamCount]);

  // Audio thread, once per host block before Process.
  void SetTransport(double tempo, double positionQuarterNotes, bool playing, bool tempoValid,
                    bool positionValid);

  // Audio thread. inputs: null (silence) or two channels, a null right channel meaning mono; a
  // null output channel is computed but not written; the sidechain and its channels may be null.
  // In-place is allowed.
  void Process(const float* const* inputs, float* const* outputs, int frames, bool bypassRequest,
               const float* const* sidechain, bool sidechainPresent);

  // Any thread: whether something (the editor) reads the measurement. The spectra are worked out
  // only while it does; everything the output and the host depend on runs regardless. Off until
  // set. The audio thread takes it at the start of each call.
  void SetDisplayReaderPresent(bool present) { readerPresent_.store(present, std::memory_order_relaxed); }
  bool DisplayReaderPresent() const { return readerPresent_.load(std::memory_order_relaxed); }

  // UI thread: the last published records; idle ones when no read attempt succeeds.
  bool TryReadSnapshots(DisplaySnapshot& display, MeterSnapshot& meters) const;
  DisplaySnapshot ReadDisplay() const;
  MeterSnapshot ReadMeters() const;

  // Set-up: the voices in AVX2 where the processor has it (the default) or in the SSE2 baseline;
  // the tests run both. The reference path always runs the baseline.
  void UseWideVoices(bool wide) { voices_.UseWideLanes(wide); }
  bool UsesWideVoices() const { return voices_.UsesWideLanes(); }

  double SampleRate() const { return sampleRate_; }
  bool IsPrepared() const { return prepared_; }

 private:
  void PassThrough(const float* const* inputs, float* const* outputs, int frames) const;
  void Prime(bool bypassRequest);
  void StepParameters(bool bypassRequest);
  void UpdateCoefficients();
  StereoVector ReadSidechain(const float* const* sidechain, bool present, int n) const;
  // The drift and transport clocks' steps per sample, for the current parameters and tempo.
  void UpdateClockSteps();
  void AdvanceClocks();

  EngineMath math_;
  ParamSmoother params_;
  ModeWeights weights_;
  bool coefficientsDirty_ = true;
  bool lastBypassRequest_ = false;

  double sampleRate_ = kDefaultSampleRate;
  double coef20ms_ = 0.0;
  double coef5ms_ = 0.0;
  double coef3ms_ = 0.0;
  bool prepared_ = false;
  bool primed_ = false;

  DelayLines lines_;
  Detector detector_;
  BandSplit bandSplit_;
  VoiceStage voices_;
  FeedbackPath feedback_;
  WetChain wetChain_;
  NoiseSource noise_;
  OutputStage output_;
  Measurement measurement_;

  double inputGain_ = 1.0;
  DbGain sidechainTrim_;
  DbGain noiseGain_;
  double splitLowHz_ = 180.0;
  double splitHighHz_ = 3500.0;
  double driftPhase_ = 0.0;
  double driftStep_ = 0.0;
  double positionStep_ = 0.0;
  TransportState transport_;
  uint64_t sampleCounter_ = 0;

  std::atomic<bool> readerPresent_{false};
};

}  // namespace halcyra
