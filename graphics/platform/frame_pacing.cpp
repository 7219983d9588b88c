#include "graphics/platform/frame_pacing.h"

namespace plugfw::gfx {
namespace {

constexpr int32_t kDefaultFramesPerSecond = 30;
constexpr int32_t kShortestTimerIntervalMs = 20;
constexpr int32_t kFastTimerIntervalMs = 15;

// True when a comes before b on the wrapping tick count.
bool Precedes(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b) < 0; }

}  // namespace

int32_t FrameTimerIntervalMs(int32_t framesPerSecond) {
  if (framesPerSecond <= 0) framesPerSecond = kDefaultFramesPerSecond;
  const int32_t interval = 1000 / framesPerSecond;
  return interval < kShortestTimerIntervalMs ? kFastTimerIntervalMs : interval;
}

bool TickMailbox::PublishTick(uint32_t* number) {
  if (pending_.exchange(true, std::memory_order_acq_rel)) return false;
  *number = counter_.fetch_add(1, std::memory_order_acq_rel) + 1;
  return true;
}

bool StaleTickFilter::Admit(uint32_t tick, uint32_t counter, bool vsync) {
  if (!vsync) return true;
  if (threshold_ != 0 && Precedes(counter, threshold_)) return false;
  threshold_ = 0;
  return tick == counter;
}

void StaleTickFilter::AfterPaint(uint32_t tick, uint32_t counter, bool vsync) {
  if (!vsync || tick == counter) return;
  threshold_ = counter + 1;
  if (threshold_ == 0) threshold_ = 1;  // 0 means "nothing skipped"
}

}  // namespace plugfw::gfx
