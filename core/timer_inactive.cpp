// Builds without a UI message loop (the native test build) get timers that never fire:
// Running() answers false, as it does when a platform refuses a timer.

#include "core/timer.h"

namespace plugfw {
namespace {

class InactiveTimer final : public Timer {
 public:
  void Stop() override {}
  bool Running() const override { return false; }
};

}  // namespace

std::unique_ptr<Timer> TimerCreate(Timer::Function /*function*/, int32_t /*periodMs*/) {
  return std::make_unique<InactiveTimer>();
}

}  // namespace plugfw
