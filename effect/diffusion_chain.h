#pragma once
// DiffusionChain: the wet chain's six allpass stages for both channels. Every stage runs and is
// written on every sample, also while it is not mixed in, so a stage switched in continues from
// what it has been hearing. All twelve delays share one write position in rings of a power-of-two
// length, one per stage and channel. Resize and Clear are Set-up; Run, Hold and CatchUp are for
// the audio thread: no allocation.

#include <cstddef>
#include <memory>

#include "effect/engine_filters.h"
#include "effect/stereo_vector.h"

namespace halcyra {

constexpr int kDiffusionStageCount = 6;  // the most the `stages` control sets

// One stage and channel's allpass over a stretch of samples: out[k] from x[k] and delayed[k], for
// the first samples of `count` in whole groups of the runner's width; returns how many it did.
using AllpassRunner = int (*)(double* out, const double* delayed, const double* x, double gain, int count);
namespace diffusion_avx2 {
// Null where the compiler cannot target AVX2.
extern const AllpassRunner kAllpassRun;
}  // namespace diffusion_avx2

class DiffusionChain {
 public:
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
    if (heldCount_ > 0) CatchUp();
    if (!rings_) return x;
    const std::size_t position = position_, mask = mask_, length = ringLength_;
    const StereoVector amountBoth = StereoVector::Both(amount);
    double* left = rings_.get();
    for (int j = 0; j < kDiffusionStageCount; ++j, left += 2 * length) {
      double* right = left + length;
      const StereoVector delayed(left[(position - delays_[j][0]) & mask],
                                 right[(position - delays_[j][1]) & mask]);
      StereoVector stored;
      const StereoVector y = Allpass(x, delayed, stored);
      left[position] = stored.Left();
      right[position] = stored.Right();
      x += amountBoth * (y - x) * stageActive[j];
    }
    position_ = (position + 1) & mask;
    return x;
  }

  // For a stretch in which no stage is mixed in (the amount 0 on every sample): the chain's output
  // is its input, and every stage hears that same input. Hold keeps the sample for the stages and
  // returns it; CatchUp runs each stage and channel straight through what was held, two samples at
  // a time, which leaves them exactly as Run would have. Run and a full hold catch up by themselves.
  StereoVector Hold(StereoVector x) {
    heldLeft_[heldCount_] = x.Left();
    heldRight_[heldCount_] = x.Right();
    if (++heldCount_ == kHeldCapacity) CatchUp();
    return x;
  }
  void CatchUp();

 private:
  static constexpr int kHeldCapacity = 512;
  // The catch-up four samples at a time where the processor has AVX2, else nothing (two at a time).
  static AllpassRunner WideRunner();
  static constexpr double kAllpassGain = 0.55;

  // One stage's allpass on two lanes (the two channels, or two samples of one): its output for
  // the input x and the sample written its delay ago, and what it stores in that one's place.
  static HALCYRA_INLINE StereoVector Allpass(StereoVector x, StereoVector delayed, StereoVector& stored) {
    const StereoVector gain = StereoVector::Both(kAllpassGain);
    const StereoVector y = delayed - gain * x;
    stored = SanitizeSample(FlushTiny(x + gain * y));
    return y;
  }
  // One channel of one stage over the held samples, from the ring position `start` on.
  void CatchUpChannel(double* ring, std::size_t start, std::size_t delay, const double* held,
                      int count) const;

  AllpassRunner wide_ = WideRunner();
  std::unique_ptr<double[]> rings_;
  std::size_t ringLength_ = 0;  // samples per channel and stage, a power of two
  std::size_t mask_ = 0;
  std::size_t position_ = 0;
  std::size_t delays_[kDiffusionStageCount][2] = {};
  double heldLeft_[kHeldCapacity] = {};
  double heldRight_[kHeldCapacity] = {};
  int heldCount_ = 0;
};

}  // namespace halcyra
