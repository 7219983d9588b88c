#include "effect/delay_line.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "effect/sample_sanitize.h"

namespace halcyra {

std::size_t DelayLine::SizeForSampleRate(double sampleRate) {
  constexpr double kLineSeconds = 0.24;
  constexpr std::size_t kHeadroomSamples = 8;
  // The engine never runs above this; the cap keeps the conversion defined for any input.
  constexpr double kMaxSampleRate = 384000.0;
  const double rate = sampleRate > 0.0 ? std::min(sampleRate, kMaxSampleRate) : 0.0;
  return static_cast<std::size_t>(std::ceil(rate * kLineSeconds)) + kHeadroomSamples;
}

bool DelayLine::Resize(std::size_t size) {
  const bool sameBuffer = size == size_ && (samples_ || size == 0);
  if (sameBuffer) {
    if (samples_) std::fill(samples_.get(), samples_.get() + size_ + kMirrorSamples, 0.0);
  } else {
    samples_.reset();
    size_ = 0;
    if (size > 0) {
      samples_.reset(new (std::nothrow) double[size + kMirrorSamples]());
      if (samples_) size_ = size;
    }
  }
  maxDelaySamples_ = size_ > kReadGuardSamples ? static_cast<double>(size_ - kReadGuardSamples) : 0.0;
  // A line too short for the guard still reads at the minimum; Tap keeps that in bounds.
  maxDelaySamples_ = std::max(maxDelaySamples_, kMinDelaySamples);
  Clear();
  return size_ == size;
}

void DelayLine::Clear() {
  writeIndex_ = 0;
  filled_ = 0;
}

}  // namespace halcyra
