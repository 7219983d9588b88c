#pragma once
// The vertical-blank thread's loop, apart from the system: each pass waits for the next
// vertical blank of the editor's display - or, where the system offers no wait, where the
// adapter cannot be opened or where the wait returns at once, sleeps one frame - and then
// posts one tick through the mailbox. The display wait and the clock are interfaces, so tests
// drive the loop through failures without a display.

#include <cstdint>
#include <functional>

#include "graphics/platform/frame_pacing.h"

namespace plugfw::gfx {

// The display driver's vertical-blank wait. Vertical-blank thread.
class VerticalBlankWaiter {
 public:
  virtual ~VerticalBlankWaiter() = default;
  // False when the system has no wait at all; the loop then only sleeps.
  virtual bool Available() const = 0;
  // Opens the adapter of the editor's display; false on failure.
  virtual bool Open() = 0;
  // Blocks until the next vertical blank of the open adapter; false on failure.
  virtual bool Wait() = 0;
  virtual void Close() = 0;
};

// Vertical-blank thread. NowUs reads a steady clock in microseconds, fine enough to tell a wait
// that returned at once from a vertical blank of the fastest display: a clock that moves in the
// 10 to 16 ms steps of the system's tick count would take most waits at 144 Hz for the first.
class PacingClock {
 public:
  virtual ~PacingClock() = default;
  virtual uint64_t NowUs() = 0;
  virtual void SleepMs(uint32_t milliseconds) = 0;
};

// The loop's timings.
inline constexpr uint32_t kFallbackFrameMs = 16;        // the period when there is no wait
inline constexpr uint64_t kAdapterRetryUs = 1'000'000;  // a failed adapter is tried again after this
// A display refreshes at most 500 times a second; a wait that returns sooner than this after
// the previous tick returned at once, and the loop sleeps instead of spinning at its priority.
inline constexpr uint64_t kShortestBlankUs = 2'000;

// Vertical-blank thread: hands tick number to the window; false when it could not be posted.
using TickPost = std::function<bool(uint32_t tick)>;

// Vertical-blank thread. Runs until mailbox.StopRequested(); the adapter is closed on leaving.
void RunVerticalBlankLoop(VerticalBlankWaiter& waiter, PacingClock& clock, TickMailbox& mailbox,
                          const TickPost& post);

}  // namespace plugfw::gfx
