// Timers under Wine: real Win32 thread timers driven by this thread's message loop.

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "core/timer.h"

namespace plugfw {
namespace {

void PumpMessagesFor(DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  MSG message;
  while (GetTickCount64() < end) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

TEST(Timer, CallsItsFunctionPeriodicallyOnTheCreatingThread) {
  int calls = 0;
  bool onOtherThread = false;
  const DWORD thread = GetCurrentThreadId();
  Timer* seen = nullptr;
  auto timer = TimerCreate(
      [&](Timer& fired) {
        ++calls;
        seen = &fired;
        onOtherThread |= GetCurrentThreadId() != thread;
      },
      20);
  ASSERT_TRUE(timer->Running());
  PumpMessagesFor(400);
  // 20 ms for 400 ms: about 20 calls; Wine's timer granularity is loose.
  EXPECT_GE(calls, 8);
  EXPECT_LE(calls, 30);
  EXPECT_FALSE(onOtherThread);
  EXPECT_EQ(seen, timer.get());
}

TEST(Timer, NoCallsAfterStopEvenForAnAlreadyQueuedTick) {
  int calls = 0;
  auto timer = TimerCreate([&](Timer&) { ++calls; }, 10);
  PumpMessagesFor(60);
  ASSERT_GT(calls, 0);
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
  auto slowTimer = TimerCreate([&](Timer&) { ++slow; }, 80);
  PumpMessagesFor(400);
  EXPECT_GT(fast, slow);
  EXPECT_GE(slow, 2);

  fastTimer->Stop();
  const int fastAtStop = fast;
  const int slowAtStop = slow;
  PumpMessagesFor(300);
  EXPECT_EQ(fast, fastAtStop);
  EXPECT_GT(slow, slowAtStop);
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

  PumpMessagesFor(200);
  EXPECT_EQ(selfStopping, 1);
  EXPECT_EQ(selfDestroying, 1);
  EXPECT_EQ(destroysItself, nullptr);
  ASSERT_NE(child, nullptr);
  EXPECT_GT(childCalls, 0);
}

}  // namespace
}  // namespace plugfw
