// The vertical-blank thread and the UI thread sharing the tick mailbox: never more
// than one tick waits, and the UI thread sees the ticks in order.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>

#include "graphics/platform/frame_pacing.h"

namespace plugfw::gfx {
namespace {

TEST(TickMailboxThreads, AtMostOneTickWaitsAndNumbersRiseByOne) {
  constexpr uint32_t kTicks = 20000;
  TickMailbox mailbox;
  std::atomic<int32_t> queued{0};  // the window's queue, as far as ticks go
  std::atomic<uint32_t> lastPosted{0};
  std::atomic<int32_t> mostQueued{0};

  std::thread vblank([&] {
    while (!mailbox.StopRequested()) {
      uint32_t number = 0;
      if (!mailbox.PublishTick(&number)) {
        std::this_thread::yield();
        continue;
      }
      lastPosted.store(number, std::memory_order_release);
      const int32_t now = queued.fetch_add(1, std::memory_order_acq_rel) + 1;
      if (now > mostQueued.load()) mostQueued.store(now);
    }
  });

  uint32_t taken = 0;
  bool inOrder = true;
  while (taken < kTicks) {
    if (queued.load(std::memory_order_acquire) == 0) {
      std::this_thread::yield();
      continue;
    }
    const uint32_t number = lastPosted.load(std::memory_order_acquire);
    queued.fetch_sub(1, std::memory_order_acq_rel);
    mailbox.TakeTick();
    if (number != taken + 1) inOrder = false;
    taken = number;
  }
  mailbox.RequestStop();
  vblank.join();

  EXPECT_TRUE(inOrder) << "every posted tick is the next number";
  EXPECT_EQ(mostQueued.load(), 1);
  EXPECT_GE(mailbox.Counter(), kTicks);
}

}  // namespace
}  // namespace plugfw::gfx
