#pragma once
// The editor window's vertical-blank thread: it waits for the display's vertical blank (the
// kernel-display functions of gdi32, looked up by name) or sleeps a frame where they are
// missing, as under Wine, and posts one numbered tick message at a time to the window.
// What the thread touches - the mailbox, the window handle - is owned jointly by the thread
// and its starter, and the thread holds its module until it has left it, so a thread that
// had to be abandoned never touches freed memory or unloaded code. Windows-only header.

#include <windows.h>

#include <cstdint>
#include <memory>

#include "graphics/platform/frame_pacing.h"
#include "graphics/platform/vblank_loop.h"

namespace plugfw::gfx {

// Vertical-blank thread: the thread's clock, the performance counter, which steps in well under a
// microsecond where the system's tick count moves in 10 to 16 ms steps.
class PerformanceCounterClock : public PacingClock {
 public:
  PerformanceCounterClock();
  uint64_t NowUs() override;
  void SleepMs(uint32_t milliseconds) override;

 private:
  static constexpr uint64_t kMicrosecondsPerSecond = 1'000'000;
  uint64_t frequency_;
};

class VerticalBlankThread {
 public:
  // Any thread: how long Stop waits for the thread before abandoning it.
  static constexpr DWORD kStopTimeoutMs = 10000;

  VerticalBlankThread() = default;
  ~VerticalBlankThread() { Stop(); }
  VerticalBlankThread(const VerticalBlankThread&) = delete;
  VerticalBlankThread& operator=(const VerticalBlankThread&) = delete;

  // UI thread. Starts posting message (wParam the tick number) to window. False when a thread
  // runs already or none could be started.
  bool Start(HWND window, UINT message);
  // UI thread. Asks the thread to end and waits for it at most timeoutMs; a thread that does
  // not end by then is abandoned (it ends on its own, touching only what it owns). A thread
  // that ended in time posts nothing more.
  void Stop(DWORD timeoutMs = kStopTimeoutMs);
  bool Running() const { return thread_ != nullptr; }

  // UI thread, on each tick message: lets the next tick be posted.
  void TakeTick();
  // UI thread. The newest tick's number; 0 while no thread runs.
  uint32_t Counter() const;

  struct Shared;

 private:
  std::shared_ptr<Shared> shared_;
  HANDLE thread_ = nullptr;
};

}  // namespace plugfw::gfx
