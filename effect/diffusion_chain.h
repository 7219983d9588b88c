#pragma once
// DiffusionChain: the wet chain's six allpass stages for both channels. Every stage runs and is
// written on every sample, also while it is not mixed in, so a stage switched in continues from
// what it has been hearing. All twelve delays share one write position in rings of a power-of-two
// length, each ring holding a stage's left and right samples side by side. Resize and Clear are
// Set-up; Run is for the audio thread: constant time, no allocation.

#include <cstddef>
#include <memory>

#include "effect/engine_filters.h"
#include "effect/stereo_vector.h"

namespace halcyra {

constexpr int kDiffusionStageCount = 6;  // the most the `stages` control sets

class DiffusionChain {
 public:
  static constexpr double kAllpassGain = 0.55;

  // The stage delay in samples for stage `stage` (0..5) of a channel at a rate; the right channel
  // is stretched slightly so the two sides decorrelate.
  static int DelayFor(int stage, bool rightChannel, double sampleRate);

  // Rings for the rate's delays, zeroed; an unchanged length re-zeroes in place. False when memory
  // could not be had: the chain then passes its input unchanged.
  bool Resize(double sampleRate);
  // Every stage empty: what it gives back is 0 until it has been written its delay's worth.
  void Clear();

  // One sample through the six stages in turn: stage j mixes in amount × stageActive[j] of its
  // allpass output.
  StereoVector Run(StereoVector x, double amount, const double stageActive[kDiffusionStageCount]) {
    if (!rings_) return x;
    const std::size_t position = position_, mask = mask_, stride = 2 * ringLength_;
    const StereoVector gain = StereoVector::Both(kAllpassGain);
    const StereoVector amountBoth = StereoVector::Both(amount);
    double* ring = rings_.get();
    for (int j = 0; j < kDiffusionStageCount; ++j, ring += stride) {
      const std::size_t left = (position - delays_[j][0]) & mask;
      const std::size_t right = (position - delays_[j][1]) & mask;
      const StereoVector y = StereoVector(ring[2 * left], ring[2 * right + 1]) - gain * x;
      SanitizeSample(FlushTiny(x + gain * y)).Store(ring + 2 * position);
      x += amountBoth * (y - x) * stageActive[j];
    }
    position_ = (position + 1) & mask;
    return x;
  }

 private:
  std::unique_ptr<double[]> rings_;
  std::size_t ringLength_ = 0;  // samples per channel and stage, a power of two
  std::size_t mask_ = 0;
  std::size_t position_ = 0;
  std::size_t delays_[kDiffusionStageCount][2] = {};
};

}  // namespace halcyra
