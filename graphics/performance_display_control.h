#pragma once
// IPerformanceDisplayControl: the frame-time display the graphics context can hold as a
// special control. Each frame start records the time since the previous one into its ring;
// it draws the last hundred frame times as a trace and their mean rate as text. Nothing in
// this program attaches one; it is there for measuring an editor. UI thread.

#include <array>
#include <cstdint>

#include "graphics/control.h"

namespace plugfw::gfx {

// The last hundred frame times in seconds, written round from a moving index.
class FrameTimeRing {
 public:
  static constexpr int32_t kSize = 100;

  // UI thread: the index moves on first, then the entry there takes the time.
  void Record(float seconds) {
    writeIndex_ = (writeIndex_ + 1) % kSize;
    times_[static_cast<size_t>(writeIndex_)] = seconds;
  }
  int32_t WriteIndex() const { return writeIndex_; }
  // UI thread. An index outside the ring reads as 0.
  float At(int32_t index) const {
    return index >= 0 && index < kSize ? times_[static_cast<size_t>(index)] : 0.f;
  }
  // UI thread. The mean of the entries above 0; 0 when there are none.
  float MeanTime() const;

 private:
  std::array<float, kSize> times_{};
  int32_t writeIndex_ = 0;
};

class IPerformanceDisplayControl : public IControl {
 public:
  // Frame times up to this many seconds fill the trace's height.
  static constexpr float kTraceFullScale = 0.05f;

  // UI thread.
  explicit IPerformanceDisplayControl(const Rect& bounds) : IControl(bounds) {}

  // UI thread, from the graphics context's frame start.
  void RecordFrameTime(float seconds) { ring_.Record(seconds); }
  const FrameTimeRing& Ring() const { return ring_; }

  // UI thread.
  void Draw(IGfx& gfx) override;

 private:
  FrameTimeRing ring_;
};

}  // namespace plugfw::gfx
