#include "graphics/steady_clock.h"

#include <atomic>
#include <chrono>

namespace plugfw::gfx {
namespace {

int64_t RealSteadyNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::atomic<ClockSource> clockSource{&RealSteadyNanoseconds};

}  // namespace

int64_t SteadyClockNanoseconds() { return clockSource.load(std::memory_order_acquire)(); }

ClockSource SetClockSource(ClockSource source) {
  return clockSource.exchange(source ? source : &RealSteadyNanoseconds, std::memory_order_acq_rel);
}

}  // namespace plugfw::gfx
