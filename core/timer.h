#pragma once
// Timer: runs a function periodically on the UI thread (the thread that made it),
// driven by that thread's message loop. Made, stopped and destroyed on the UI
// thread only. A function may create or stop timers, including its own.

#include <cstdint>
#include <functional>
#include <memory>

namespace plugfw {

class Timer {
 public:
  using Function = std::function<void(Timer& timer)>;

  // UI thread, the one that made the timer.
  virtual ~Timer() = default;
  // UI thread. No call arrives after Stop returns, even for a tick the platform already queued.
  virtual void Stop() = 0;
  // UI thread. False when the platform refused the timer, or after Stop.
  virtual bool Running() const = 0;
};

// UI thread. A timer that calls function every periodMs milliseconds until stopped or
// destroyed. When the platform refuses, the timer never fires (Running is false).
std::unique_ptr<Timer> TimerCreate(Timer::Function function, int32_t periodMs);

}  // namespace plugfw
