#pragma once
// DiffusionStage: one allpass stage's fixed delay of the wet chain's diffusion. Resize allocates
// (activation only); Delayed, Write and Clear run on the audio thread without allocating.

#include <cstddef>
#include <memory>

#include "effect/sample_sanitize.h"

namespace halcyra {

class DiffusionStage {
 public:
  // The stage delay in samples for stage `stage` (0..5) of a channel at a rate; the right channel
  // is stretched slightly so the two sides decorrelate.
  static int DelayFor(int stage, bool rightChannel, double sampleRate);

  // A buffer for `delay` samples (at least 1) plus headroom, zeroed; an unchanged delay re-zeroes in
  // place. False when memory could not be had (the stage then reads 0 and ignores writes).
  bool Resize(int delay);
  void Clear();

  // The sample written `delay` writes ago; 0 until that many samples exist.
  double Delayed() const {
    const std::size_t ago = static_cast<std::size_t>(delay_);
    if (ago == 0 || filled_ < ago) return 0.0;
    const std::size_t index = writeIndex_ >= ago ? writeIndex_ - ago : writeIndex_ + size_ - ago;
    return samples_[index];
  }
  // Stores a sanitised sample.
  void Write(double x) {
    if (size_ == 0) return;
    samples_[writeIndex_] = SanitizeSample(x);
    if (++writeIndex_ == size_) writeIndex_ = 0;
    if (filled_ < size_) ++filled_;
  }

  int Delay() const { return delay_; }

 private:
  std::unique_ptr<double[]> samples_;
  std::size_t size_ = 0;
  std::size_t writeIndex_ = 0;
  std::size_t filled_ = 0;
  int delay_ = 0;
};

}  // namespace halcyra
