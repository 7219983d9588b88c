#pragma once
// The editor window's frame pacing rules: the window-timer interval, and the
// bookkeeping that keeps ticks from queueing up behind a slow paint. The ticks of
// the vertical-blank road are numbered by its thread; the window draws only the
// newest one and, after a paint that outlasted several ticks, skips all of those.

#include <atomic>
#include <cstdint>

namespace plugfw::gfx {

// Milliseconds between frame-timer ticks: one frame at framesPerSecond, rounded
// down, but 15 ms whenever that is below 20 (so 60 fps and more run at 15 ms, which
// the window timer's granularity can hold). A rate of 0 or less, which has no
// interval, runs at the editor's default 30 frames per second.
int32_t FrameTimerIntervalMs(int32_t framesPerSecond);

// What the vertical-blank thread and the UI thread share. The thread numbers each
// tick and posts it only when the previous one has been taken, so the window's
// queue never holds more than one; the UI thread takes it when the message arrives.
class TickMailbox {
 public:
  // Vertical-blank thread. True, with the new tick's number, when a tick should be
  // posted; false while an earlier one still waits in the window's queue (no
  // number is used up then, so the waiting tick stays the newest).
  bool PublishTick(uint32_t* number);
  // UI thread, on receiving a tick message: lets the next tick be posted.
  void TakeTick() { pending_.store(false, std::memory_order_release); }
  // Any thread: the number of the newest tick.
  uint32_t Counter() const { return counter_.load(std::memory_order_acquire); }

  // UI thread asks the thread to end, for good; the thread polls it between waits.
  void RequestStop() { stop_.store(true, std::memory_order_release); }
  bool StopRequested() const { return stop_.load(std::memory_order_acquire); }

 private:
  std::atomic<uint32_t> counter_{0};
  std::atomic<bool> pending_{false};
  std::atomic<bool> stop_{false};
};

// The UI thread's side of the stale-tick rule. Tick numbers may wrap: they are
// compared by their difference.
class StaleTickFilter {
 public:
  // UI thread. True when the tick numbered tick should draw: it is the newest one
  // (counter, read on entry) and not among those skipped after a slow paint.
  // A timer tick (number 0, no vertical-blank thread) always draws.
  bool Admit(uint32_t tick, uint32_t counter, bool vsync);
  // UI thread, after painting for tick: when newer ticks arrived meanwhile, every
  // tick up to and including the current one is skipped.
  void AfterPaint(uint32_t tick, uint32_t counter, bool vsync);

 private:
  uint32_t threshold_ = 0;  // 0: nothing skipped
};

}  // namespace plugfw::gfx
