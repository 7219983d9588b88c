#pragma once
// DelayLine: one circular line of doubles read at fractional delays, linearly,
// with four-point Catmull-Rom cubic interpolation, or with a blend of the two.
// Resize allocates (the engine's reset only); Clear, Write and the reads are
// audio-thread operations: constant time, no allocation, no locks.

#include <cstddef>
#include <memory>

namespace halcyra {

class DelayLine {
 public:
  // Reads never come closer than 2 samples nor further than size - 4, so the
  // cubic read's four neighbours always lie inside the line.
  static constexpr double kMinDelaySamples = 2.0;
  static constexpr std::size_t kReadGuardSamples = 4;

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
  void Write(double x);

  // The sample `delaySamples` writes before the newest (0 = the newest), clamped
  // to [2, size - 4]; NaN reads at 2. Unwritten samples since the last clear read as 0.
  double Read(double delaySamples, bool cubic) const;

  // (1 - cubicWeight) × linear + cubicWeight × cubic, sharing one fetch of the neighbours.
  double ReadBlended(double delaySamples, double cubicWeight) const;

  std::size_t Size() const { return size_; }
  std::size_t WriteIndex() const { return writeIndex_; }
  std::size_t Filled() const { return filled_; }
  const double* Data() const { return samples_.get(); }

 private:
  // tap(i), tap(i + 1), tap(i + 2), tap(i + 3): one newer than the read point,
  // the two it lies between, and one older.
  struct Neighbours {
    double newer;
    double x0;
    double x1;
    double older;
  };

  double ClampDelay(double delaySamples) const;
  double Tap(std::size_t writesAgo) const;
  Neighbours FetchNeighbours(std::size_t wholeDelay) const;
  static double Linear(const Neighbours& n, double t);
  static double Cubic(const Neighbours& n, double t);

  std::unique_ptr<double[]> samples_;
  std::size_t size_ = 0;
  std::size_t writeIndex_ = 0;
  std::size_t filled_ = 0;
  double maxDelaySamples_ = kMinDelaySamples;
};

}  // namespace halcyra
