#pragma once
// ScopedTestClock: replaces the steady clock of animations and frames with one the test
// moves by hand, for as long as it lives.

#include <atomic>
#include <cstdint>

#include "graphics/steady_clock.h"

namespace plugfw::gfx::test {

class ScopedTestClock {
 public:
  explicit ScopedTestClock(double startMs = 1000.0) : previous_(SetClockSource(&Now)) { SetMs(startMs); }
  ~ScopedTestClock() { SetClockSource(previous_); }
  ScopedTestClock(const ScopedTestClock&) = delete;
  ScopedTestClock& operator=(const ScopedTestClock&) = delete;

  void SetMs(double ms) { nowNs_.store(static_cast<int64_t>(ms * 1e6)); }
  void AdvanceMs(double ms) { nowNs_.fetch_add(static_cast<int64_t>(ms * 1e6)); }

 private:
  static int64_t Now() { return nowNs_.load(); }

  static inline std::atomic<int64_t> nowNs_{0};
  ClockSource previous_;
};

}  // namespace plugfw::gfx::test
