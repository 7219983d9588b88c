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
    std::fill(samples_.get(), samples_.get() + size_, 0.0);
  } else {
    samples_.reset();
    size_ = 0;
    if (size > 0) {
      samples_.reset(new (std::nothrow) double[size]());
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

void DelayLine::Write(double x) {
  if (size_ == 0) return;
  samples_[writeIndex_] = SanitizeSample(x);
  if (++writeIndex_ == size_) writeIndex_ = 0;
  if (filled_ < size_) ++filled_;
}

double DelayLine::ClampDelay(double delaySamples) const {
  if (!(delaySamples >= kMinDelaySamples)) return kMinDelaySamples;  // NaN lands here too
  return std::min(delaySamples, maxDelaySamples_);
}

// Only samples written since the last clear exist; filled <= size, so a single
// wrap keeps every index that passes the check inside the buffer.
double DelayLine::Tap(std::size_t writesAgo) const {
  if (writesAgo == 0 || writesAgo > filled_) return 0.0;
  const std::size_t index =
      writeIndex_ >= writesAgo ? writeIndex_ - writesAgo : writeIndex_ + size_ - writesAgo;
  return samples_[index];
}

DelayLine::Neighbours DelayLine::FetchNeighbours(std::size_t wholeDelay) const {
  const std::size_t oldestWritesAgo = wholeDelay + 3;
  if (oldestWritesAgo <= filled_) {
    const std::size_t oldest = writeIndex_ >= oldestWritesAgo ? writeIndex_ - oldestWritesAgo
                                                              : writeIndex_ + size_ - oldestWritesAgo;
    // Steady state: all four lie in one unbroken run of the buffer.
    if (oldest + 3 < size_) {
      const double* run = samples_.get() + oldest;
      return {run[3], run[2], run[1], run[0]};
    }
  }
  return {Tap(wholeDelay), Tap(wholeDelay + 1), Tap(wholeDelay + 2), Tap(wholeDelay + 3)};
}

double DelayLine::Linear(const Neighbours& n, double t) { return n.x0 + (n.x1 - n.x0) * t; }

double DelayLine::Cubic(const Neighbours& n, double t) {
  const double xm = n.newer;
  const double x0 = n.x0;
  const double x1 = n.x1;
  const double x2 = n.older;
  return x0 + 0.5 * t *
                  ((x1 - xm) + t * ((2.0 * xm - 5.0 * x0 + 4.0 * x1 - x2) + t * (3.0 * (x0 - x1) + x2 - xm)));
}

double DelayLine::Read(double delaySamples, bool cubic) const {
  const double delay = ClampDelay(delaySamples);
  const std::size_t whole = static_cast<std::size_t>(delay);
  const double t = delay - static_cast<double>(whole);
  const Neighbours n = FetchNeighbours(whole);
  return cubic ? Cubic(n, t) : Linear(n, t);
}

double DelayLine::ReadBlended(double delaySamples, double cubicWeight) const {
  const double delay = ClampDelay(delaySamples);
  const std::size_t whole = static_cast<std::size_t>(delay);
  const double t = delay - static_cast<double>(whole);
  const Neighbours n = FetchNeighbours(whole);
  // The settled weights give the same sum with one interpolation skipped.
  if (cubicWeight == 1.0) return Cubic(n, t);
  if (cubicWeight == 0.0) return Linear(n, t);
  return (1.0 - cubicWeight) * Linear(n, t) + cubicWeight * Cubic(n, t);
}

}  // namespace halcyra
