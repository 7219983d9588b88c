#pragma once
// DelayLine: one circular line of doubles read at fractional delays, linearly,
// with four-point Catmull-Rom cubic interpolation, or with a blend of the two.
// Resize allocates (the engine's reset only); Clear, Write and the reads are
// audio-thread operations: constant time, no allocation, no locks.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "effect/sample_sanitize.h"
#include "effect/stereo_vector.h"

namespace halcyra {

class DelayLine {
 public:
  // Reads never come closer than 2 samples nor further than size - 4, so the
  // cubic read's four neighbours always lie inside the line.
  static constexpr double kMinDelaySamples = 2.0;
  static constexpr std::size_t kReadGuardSamples = 4;
  // Samples kept twice, at the start and past the end of the buffer.
  static constexpr std::size_t kMirrorSamples = 3;

  DelayLine() = default;
  DelayLine(const DelayLine&) = delete;
  DelayLine& operator=(const DelayLine&) = delete;
  DelayLine(DelayLine&&) noexcept = default;
  DelayLine& operator=(DelayLine&&) noexcept = default;

  // The engine's line length for its (already clamped) sample rate: 0.24 s
  // rounded up, plus 8 samples of headroom for the interpolator.
  static std::size_t SizeForSampleRate(double sampleRate);

  // Sets the length and zeroes every sample; indices restart. An unchanged
  // length keeps the buffer and only re-zeroes it. Returns false when memory
  // cannot be had: the line is then empty, and reads give 0 and writes do nothing.
  bool Resize(std::size_t size);

  // Forgets what was written: the samples stay in memory but read as 0.
  void Clear();

  // Stores the sanitised sample as the newest one.
  void Write(double x) { WriteSanitized(SanitizeSample(x)); }
  // Stores a sample the caller has already passed through SanitizeSample.
  void WriteSanitized(double x) {
    if (size_ == 0) return;
    samples_[writeIndex_] = x;
    // The first samples are mirrored past the end, so four neighbours never wrap.
    if (writeIndex_ < kMirrorSamples) samples_[size_ + writeIndex_] = x;
    if (++writeIndex_ == size_) writeIndex_ = 0;
    if (filled_ < size_) ++filled_;
  }

  // The sample `delaySamples` writes before the newest (0 = the newest), clamped
  // to [2, size - 4]; NaN reads at 2. Unwritten samples since the last clear read as 0.
  double Read(double delaySamples, bool cubic) const {
    const double delay = ClampDelay(delaySamples);
    // The delay is positive and far below 2^63: the signed conversions, cheaper than the unsigned
    // ones on x86-64, give the same whole part.
    const int64_t wholeSigned = static_cast<int64_t>(delay);
    const double t = delay - static_cast<double>(wholeSigned);
    const Neighbours n = NeighboursAt(static_cast<std::size_t>(wholeSigned));
    return cubic ? Cubic(n, t) : Linear(n, t);
  }

  // (1 - cubicWeight) × linear + cubicWeight × cubic, sharing one fetch of the neighbours.
  double ReadBlended(double delaySamples, double cubicWeight) const {
    const double delay = ClampDelay(delaySamples);
    const int64_t wholeSigned = static_cast<int64_t>(delay);
    const double t = delay - static_cast<double>(wholeSigned);
    const Neighbours n = NeighboursAt(static_cast<std::size_t>(wholeSigned));
    // The settled weights give the same sum with one interpolation skipped.
    if (cubicWeight == 1.0) return Cubic(n, t);
    if (cubicWeight == 0.0) return Linear(n, t);
    return (1.0 - cubicWeight) * Linear(n, t) + cubicWeight * Cubic(n, t);
  }

  // tap(i), tap(i + 1), tap(i + 2), tap(i + 3): one newer than the read point,
  // the two it lies between, and one older.
  struct Neighbours {
    double newer;
    double x0;
    double x1;
    double older;
  };

  // The four samples around a whole delay i (at most size - 4).
  Neighbours NeighboursAt(std::size_t wholeDelay) const {
    const double* run = RunAt(wholeDelay);
    if (run != nullptr) return {run[3], run[2], run[1], run[0]};
    return {Tap(wholeDelay), Tap(wholeDelay + 1), Tap(wholeDelay + 2), Tap(wholeDelay + 3)};
  }

  // Steady state: where the four neighbours of a whole delay lie, oldest first, in one unbroken
  // run of the buffer; null while some of them have not been written since the last clear.
  const double* RunAt(std::size_t wholeDelay) const {
    const std::size_t oldestWritesAgo = wholeDelay + 3;
    if (oldestWritesAgo > filled_) return nullptr;
    const std::size_t oldest = writeIndex_ >= oldestWritesAgo ? writeIndex_ - oldestWritesAgo
                                                              : writeIndex_ + size_ - oldestWritesAgo;
    return samples_.get() + oldest;
  }

  double MaxDelaySamples() const { return maxDelaySamples_; }

  std::size_t Size() const { return size_; }
  std::size_t WriteIndex() const { return writeIndex_; }
  std::size_t Filled() const { return filled_; }
  const double* Data() const { return samples_.get(); }

 private:
  // Inline with the reads: the engine makes dozens of them per sample.
  double ClampDelay(double delaySamples) const {
    if (!(delaySamples >= kMinDelaySamples)) return kMinDelaySamples;  // NaN lands here too
    return std::min(delaySamples, maxDelaySamples_);
  }

  // Only samples written since the last clear exist; filled <= size, so a single
  // wrap keeps every index that passes the check inside the buffer.
  double Tap(std::size_t writesAgo) const {
    if (writesAgo == 0 || writesAgo > filled_) return 0.0;
    const std::size_t index =
        writeIndex_ >= writesAgo ? writeIndex_ - writesAgo : writeIndex_ + size_ - writesAgo;
    return samples_[index];
  }

  friend StereoVector ReadBlendedStereo(const DelayLine& left, const DelayLine& right, StereoVector delay,
                                        double cubicWeight);

  static double Linear(const Neighbours& n, double t) { return n.x0 + (n.x1 - n.x0) * t; }

  static double Cubic(const Neighbours& n, double t) {
    const double xm = n.newer;
    const double x0 = n.x0;
    const double x1 = n.x1;
    const double x2 = n.older;
    return x0 +
           0.5 * t *
               ((x1 - xm) + t * ((2.0 * xm - 5.0 * x0 + 4.0 * x1 - x2) + t * (3.0 * (x0 - x1) + x2 - xm)));
  }

  std::unique_ptr<double[]> samples_;
  std::size_t size_ = 0;
  std::size_t writeIndex_ = 0;
  std::size_t filled_ = 0;
  double maxDelaySamples_ = kMinDelaySamples;
};

// ReadBlended on two lines at once: the left line at delay.Left(), the right at delay.Right(), with
// every step on both lanes the same operation as the single read.
HALCYRA_INLINE StereoVector ReadBlendedStereo(const DelayLine& left, const DelayLine& right,
                                              StereoVector delay, double cubicWeight) {
  const StereoVector minimum = StereoVector::Both(DelayLine::kMinDelaySamples);
  const StereoVector maximum(left.maxDelaySamples_, right.maxDelaySamples_);
  const StereoVector clamped = Min(Select(delay >= minimum, delay, minimum), maximum);
  int32_t wholeLeft, wholeRight;
  TruncateToInts(clamped, wholeLeft, wholeRight);
  const StereoVector t = clamped - TruncateSmall(clamped);
  StereoVector xm, x0, x1, x2;
  const double* runLeft = left.RunAt(static_cast<std::size_t>(wholeLeft));
  const double* runRight = right.RunAt(static_cast<std::size_t>(wholeRight));
  if (runLeft != nullptr && runRight != nullptr) {
    // Two loads of two neighbours per line, then regrouped by age.
    const __m128d leftOld = _mm_loadu_pd(runLeft), leftNew = _mm_loadu_pd(runLeft + 2);
    const __m128d rightOld = _mm_loadu_pd(runRight), rightNew = _mm_loadu_pd(runRight + 2);
    x2 = StereoVector(_mm_unpacklo_pd(leftOld, rightOld));
    x1 = StereoVector(_mm_unpackhi_pd(leftOld, rightOld));
    x0 = StereoVector(_mm_unpacklo_pd(leftNew, rightNew));
    xm = StereoVector(_mm_unpackhi_pd(leftNew, rightNew));
  } else {
    const DelayLine::Neighbours l = left.NeighboursAt(static_cast<std::size_t>(wholeLeft));
    const DelayLine::Neighbours r = right.NeighboursAt(static_cast<std::size_t>(wholeRight));
    xm = StereoVector(l.newer, r.newer);
    x0 = StereoVector(l.x0, r.x0);
    x1 = StereoVector(l.x1, r.x1);
    x2 = StereoVector(l.older, r.older);
  }
  if (cubicWeight == 0.0) return x0 + (x1 - x0) * t;
  const StereoVector cubic =
      x0 +
      0.5 * t * ((x1 - xm) + t * ((2.0 * xm - 5.0 * x0 + 4.0 * x1 - x2) + t * (3.0 * (x0 - x1) + x2 - xm)));
  if (cubicWeight == 1.0) return cubic;
  return (1.0 - cubicWeight) * (x0 + (x1 - x0) * t) + cubicWeight * cubic;
}

}  // namespace halcyra
