#pragma once
// What the engine measures for the editor: the correlation sums, the four audio rings the analyser
// reads, the mid and side scope, the spectra every 512 samples, the held meter peaks, and the
// end-of-block display values, published through the sequence-locked snapshot block. The spectra
// are the one costly measurement and only the editor reads them, so they are worked out only
// while a reader is present; the rings always run, so a reader that arrives sees a spectrum of the
// latest samples at the end of the next block. Audio thread, except where a function says otherwise.

#include "effect/analyser.h"
#include "effect/engine_input.h"
#include "effect/engine_math.h"
#include "effect/engine_smoothing.h"
#include "effect/modulation.h"
#include "effect/snapshots.h"
#include "effect/stereo_vector.h"
#include "effect/voice_state.h"

namespace halcyra {

class Measurement {
 public:
  static constexpr int kScopeLength = kSnapshotScopePoints;
  // A published peak stands at least this long so the editor, reading ~30 times a second, sees it.
  static constexpr double kPeakHoldSeconds = 0.05;

  // Set-up: the analyser's tables; false when memory could not be had.
  bool Prepare(double sampleRate);
  void Clear(double sampleRate);

  // Once per block before the samples. With a reader newly present the spectra are worked out at
  // once from the rings and replace the old ones, so none of what the reader sees is older than
  // one analysis period.
  void BeginBlock(bool readerPresent, const ParamSmoother& params, bool sidechainPresent);
  // Every sample after the output: `raw` the input, `output` the bypass-mixed result (non-finite
  // lanes as 0), `written` the samples as written out; `sampleCounter` counts this sample.
  void Record(StereoVector raw, StereoVector output, StereoVector wetOut, StereoVector written,
              uint64_t sampleCounter, const ParamSmoother& params);
  // After the last sample: the display values, the held meters, then one publication.
  struct BlockState {
    const VoiceState& voices;
    const Detector& detector;
    const TransportState& transport;
    const ParamSmoother& params;
    const EngineMath& math;
    double splitLowHz;
    double splitHighHz;
    int frames;
  };
  void EndBlock(const BlockState& block);
  void Publish();

  // UI thread: the last publication.
  const SnapshotBlock& Published() const { return published_; }
  const DisplaySnapshot& Display() const { return display_; }

 private:
  struct HeldPeak {
    double value = 0.0;
    long samplesLeft = 0;
  };
  void RunAnalysis(const ParamSmoother& params, bool fresh);
  void HoldPeak(HeldPeak& held, double blockPeak, int frames) const;
  void FillVoiceDisplay(const BlockState& block);

  double sampleRate_ = 48000.0;
  double correlationCoef_ = 0.0;
  bool readerPresent_ = false;

  float rings_[4][kFftSize] = {};  // raw left, raw right, output left, output right
  int ringIndex_ = 0;
  float scopeMid_[kScopeLength] = {};
  float scopeSide_[kScopeLength] = {};
  int scopeIndex_ = 0;
  StereoVector squares_[3];  // raw (LL, RR), output (LL, RR) and the two cross products
  SpectrumAnalyser analyser_;

  StereoVector inPeak_, wetPeak_, outPeak_;
  HeldPeak heldPeaks_[5];

  DisplaySnapshot display_;
  MeterSnapshot meters_;
  SnapshotBlock published_;
};

}  // namespace halcyra
