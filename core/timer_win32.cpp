// Win32 thread timers without a window: the platform calls one process-wide
// procedure, which finds the timer by its identifier in the running list.

#include <windows.h>

#include "core/pointer_list.h"
#include "core/scoped_lock.h"
#include "core/timer.h"

namespace plugfw {
namespace {

class TimerImpl;

// Both live for the whole process; made on first use, before any timer runs.
CriticalSection& TimerListLock() {
  static CriticalSection lock;
  return lock;
}

PointerList<TimerImpl>& RunningTimers() {
  static PointerList<TimerImpl> timers(ListOwnership::kRefersOnly);
  return timers;
}

void CALLBACK TimerProc(HWND window, UINT message, UINT_PTR identifier, DWORD time);

class TimerImpl final : public Timer {
 public:
  TimerImpl(Function function, int32_t periodMs) : function_(std::move(function)), periodMs_(periodMs) {
    const UINT period = static_cast<UINT>(periodMs_ > 0 ? periodMs_ : USER_TIMER_MINIMUM);
    const UINT_PTR identifier = SetTimer(nullptr, 0, period, TimerProc);
    if (identifier == 0) return;
    ScopedLock lock(&TimerListLock());
    if (RunningTimers().Add(this)) {
      identifier_ = identifier;
    } else {
      KillTimer(nullptr, identifier);
    }
  }

  ~TimerImpl() override { Stop(); }

  void Stop() override {
    if (identifier_ == 0) return;
    KillTimer(nullptr, identifier_);
    ScopedLock lock(&TimerListLock());
    RunningTimers().Remove(RunningTimers().Find(this));
    identifier_ = 0;
  }

  bool Running() const override { return identifier_ != 0; }
  UINT_PTR Identifier() const { return identifier_; }

  void Fire() {
    // A copy, so a function that destroys its own timer does not destroy
    // the callable while it runs.
    Function function = function_;
    function(*this);
  }

 private:
  Function function_;
  int32_t periodMs_;
  UINT_PTR identifier_ = 0;
};

void CALLBACK TimerProc(HWND, UINT, UINT_PTR identifier, DWORD) {
  ScopedLock lock(&TimerListLock());
  PointerList<TimerImpl>& timers = RunningTimers();
  for (int32_t i = 0; i < timers.Count(); ++i) {
    TimerImpl* timer = timers.Get(i);
    if (timer->Identifier() == identifier) {
      timer->Fire();
      return;
    }
  }
}

}  // namespace

std::unique_ptr<Timer> TimerCreate(Timer::Function function, int32_t periodMs) {
  return std::make_unique<TimerImpl>(std::move(function), periodMs);
}

}  // namespace plugfw
