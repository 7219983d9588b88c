#include "graphics/platform/vblank_loop.h"

namespace plugfw::gfx {
namespace {

// Posts the next tick unless one still waits; a tick that could not be posted frees the
// mailbox again, or no tick would ever follow it.
void PostTick(TickMailbox& mailbox, const TickPost& post) {
  uint32_t number = 0;
  if (mailbox.PublishTick(&number) && !post(number)) mailbox.TakeTick();
}

void RunSleepingLoop(PacingClock& clock, TickMailbox& mailbox, const TickPost& post) {
  while (!mailbox.StopRequested()) {
    clock.SleepMs(kFallbackFrameMs);
    if (mailbox.StopRequested()) break;
    PostTick(mailbox, post);
  }
}

// The adapter and when it last failed; a failed one is tried again only after a pause.
class Adapter {
 public:
  explicit Adapter(VerticalBlankWaiter& waiter) : waiter_(waiter) {}
  ~Adapter() {
    if (open_) waiter_.Close();
  }
  Adapter(const Adapter&) = delete;
  Adapter& operator=(const Adapter&) = delete;

  // True when the adapter is open (opening it now if it is time to try).
  bool Ready(uint64_t now) {
    if (open_) return true;
    if (failed_ && now - lastFailure_ < kAdapterRetryUs) return false;
    open_ = waiter_.Open();
    if (!open_) Failed(now);
    return open_;
  }
  bool Wait(uint64_t now) {
    if (waiter_.Wait()) return true;
    waiter_.Close();
    open_ = false;
    Failed(now);
    return false;
  }

 private:
  void Failed(uint64_t now) {
    failed_ = true;
    lastFailure_ = now;
  }

  VerticalBlankWaiter& waiter_;
  bool open_ = false;
  bool failed_ = false;
  uint64_t lastFailure_ = 0;
};

}  // namespace

void RunVerticalBlankLoop(VerticalBlankWaiter& waiter, PacingClock& clock, TickMailbox& mailbox,
                          const TickPost& post) {
  if (!waiter.Available()) {
    RunSleepingLoop(clock, mailbox, post);
    return;
  }
  Adapter adapter(waiter);
  uint64_t lastTick = clock.NowUs();
  while (!mailbox.StopRequested()) {
    const bool waited = adapter.Ready(clock.NowUs()) && adapter.Wait(clock.NowUs());
    if (!waited || clock.NowUs() - lastTick < kShortestBlankUs) clock.SleepMs(kFallbackFrameMs);
    if (mailbox.StopRequested()) break;
    PostTick(mailbox, post);
    lastTick = clock.NowUs();
  }
}

}  // namespace plugfw::gfx
