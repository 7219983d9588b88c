// Timers under Wine: real Win32 thread timers driven by this thread's message loop.

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "core/timer.h"
#include "tests/core/message_pump.h"

namespace plugfw {
namespace {

using test::PumpMessagesFor;
using test::PumpMessagesUntil;

TEST(Timer, CallsItsFunctionPeriodicallyOnTheCreatingThread) {
  int calls = 0;
  bool onOtherThread = false;
  const DWORD thread = GetCurrentThreadId();
  Timer* seen = nullptr;
  const ULONGLONG start = GetTickCount64();
  auto timer = TimerCreate(
      [&](Timer& fired) {
        ++calls;
        seen = &fired;
        onOtherThread |= GetCurrentThreadId() != thread;
      },
      20);
  ASSERT_TRUE(timer->Running());
  ASSERT_TRUE(PumpMessagesUntil([&] { return calls >= 10; }));
  // Ten calls at 20 ms cannot come sooner than about 200 ms (tick granularity aside).
  EXPECT_GE(GetTickCount64() - start, 150u);
  EXPECT_FALSE(onOtherThread);
  EXPECT_EQ(seen, timer.get());
}

TEST(Timer, NoCallsAfterStopEvenForAnAlreadyQueuedTick) {
  int calls = 0;
  auto timer = TimerCreate([&](Timer&) { ++calls; }, 10);
  ASSERT_TRUE(PumpMessagesUntil([&] { return calls > 0; }));
  // Let ticks pile up unprocessed, then stop before they are dispatched.
  Sleep(50);
  timer->Stop();
  const int callsAtStop = calls;
  PumpMessagesFor(100);
  EXPECT_EQ(calls, callsAtStop);
  EXPECT_FALSE(timer->Running());
  timer->Stop();  // stopping a stopped timer does nothing
  EXPECT_FALSE(timer->Running());
}

TEST(Timer, TwoTimersRunIndependentlyAndStopSeparately) {
  int fast = 0;
  int slow = 0;
  auto fastTimer = TimerCreate([&](Timer&) { ++fast; }, 10);
  auto slowTimer = TimerCreate([&](Timer&) { ++slow; }, 100);
  ASSERT_TRUE(PumpMessagesUntil([&] { return slow >= 3; }));
  EXPECT_GT(fast, slow);

  fastTimer->Stop();
  const int fastAtStop = fast;
  const int slowAtStop = slow;
  ASSERT_TRUE(PumpMessagesUntil([&] { return slow >= slowAtStop + 2; }));
  EXPECT_EQ(fast, fastAtStop);
}

TEST(Timer, FunctionMayStopDestroyOrCreateTimers) {
  int selfStopping = 0;
  auto stopsItself = TimerCreate(
      [&](Timer& timer) {
        ++selfStopping;
        timer.Stop();
      },
      10);

  std::unique_ptr<Timer> destroysItself;
  int selfDestroying = 0;
  destroysItself = TimerCreate(
      [&](Timer&) {
        ++selfDestroying;
        destroysItself.reset();
      },
      10);

  std::unique_ptr<Timer> child;
  int childCalls = 0;
  auto parent = TimerCreate(
      [&](Timer& timer) {
        if (!child) child = TimerCreate([&](Timer&) { ++childCalls; }, 10);
        timer.Stop();
      },
      10);

  ASSERT_TRUE(PumpMessagesUntil([&] { return selfStopping && selfDestroying && childCalls; }));
  PumpMessagesFor(50);  // time for any wrong second call
  EXPECT_EQ(selfStopping, 1);
  EXPECT_EQ(selfDestroying, 1);
  EXPECT_EQ(destroysItself, nullptr);
  ASSERT_NE(child, nullptr);
  EXPECT_GT(childCalls, 0);
}

}  // namespace
}  // namespace plugfw
