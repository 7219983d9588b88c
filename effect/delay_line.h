#pragma once
// DelayLine: one circular line of doubles, written a sample at a time and read at fractional delays
// by the voices (ReadLines, voice_lanes.inl), which take the four neighbours of a read point from it.
// Resize allocates (the engine's reset only); Clear, Write and the neighbour fetches are
// audio-thread operations: constant time, no allocation, no locks.

#include <cstddef>
#include <memory>

#include "effect/sample_sanitize.h"

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

  // Where the sample written `writesAgo` writes ago (1 to size) lies in a line of `size` samples whose
  // next write goes to `writeIndex`.
  static std::size_t PositionWritesAgo(std::size_t writeIndex, std::size_t size, std::size_t writesAgo) {
    return writeIndex >= writesAgo ? writeIndex - writesAgo : writeIndex + size - writesAgo;
  }

  // The longest delay a read may ask for: size - 4, and never below the 2-sample minimum.
  double MaxDelaySamples() const { return maxDelaySamples_; }

  std::size_t Size() const { return size_; }
  std::size_t WriteIndex() const { return writeIndex_; }
  std::size_t Filled() const { return filled_; }
  const double* Data() const { return samples_.get(); }

 private:
  // Steady state: where the four neighbours of a whole delay lie, oldest first, in one unbroken
  // run of the buffer; null while some of them have not been written since the last clear.
  const double* RunAt(std::size_t wholeDelay) const {
    const std::size_t oldestWritesAgo = wholeDelay + 3;
    if (oldestWritesAgo > filled_) return nullptr;
    return samples_.get() + PositionWritesAgo(writeIndex_, size_, oldestWritesAgo);
  }

  // Only samples written since the last clear exist; filled <= size, so a single
  // wrap keeps every index that passes the check inside the buffer.
  double Tap(std::size_t writesAgo) const {
    if (writesAgo == 0 || writesAgo > filled_) return 0.0;
    return samples_[PositionWritesAgo(writeIndex_, size_, writesAgo)];
  }

  std::unique_ptr<double[]> samples_;
  std::size_t size_ = 0;
  std::size_t writeIndex_ = 0;
  std::size_t filled_ = 0;
  double maxDelaySamples_ = kMinDelaySamples;
};

}  // namespace halcyra
