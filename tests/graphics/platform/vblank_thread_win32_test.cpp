// The vertical-blank thread under Wine, which has no vertical-blank wait: its fallback paces
// the ticks, one at a time, and stopping it is quick and final; and the thread's clock is fine
// enough for displays faster than 60 Hz.

#include "graphics/platform/vblank_thread_win32.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "tests/graphics/platform/test_window_win32.h"

namespace plugfw::gfx {
namespace {

constexpr UINT kTickMessage = WM_USER + 1;

struct TickLog {
  VerticalBlankThread* thread = nullptr;
  std::vector<uint32_t> ticks;
  std::vector<ULONGLONG> times;
  int queuedMost = 0;
};
TickLog* tickLog = nullptr;

LRESULT CALLBACK CountTicks(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kTickMessage || tickLog == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  MSG waiting;
  if (PeekMessageW(&waiting, window, kTickMessage, kTickMessage, PM_NOREMOVE)) tickLog->queuedMost = 2;
  tickLog->ticks.push_back(static_cast<uint32_t>(wParam));
  tickLog->times.push_back(GetTickCount64());
  tickLog->thread->TakeTick();
  return 0;
}

class VerticalBlankThreadTest : public testing::Test {
 protected:
  VerticalBlankThreadTest() : window_(&CountTicks, L"VerticalBlankTicks") {
    tickLog_.thread = &thread_;
    tickLog = &tickLog_;
  }
  ~VerticalBlankThreadTest() override {
    thread_.Stop();
    tickLog = nullptr;
  }

  test::TestWindow window_;
  VerticalBlankThread thread_;
  TickLog tickLog_;
};

TEST_F(VerticalBlankThreadTest, PostsAboutSixtyNumberedTicksASecond) {
  ASSERT_TRUE(thread_.Start(window_.Handle(), kTickMessage));
  EXPECT_FALSE(thread_.Start(window_.Handle(), kTickMessage)) << "one thread at a time";
  ASSERT_TRUE(test::PumpMessagesUntil([&] { return tickLog_.ticks.size() >= 10; }));
  const size_t first = tickLog_.ticks.size();
  const ULONGLONG start = tickLog_.times.back();
  test::PumpMessagesFor(2000);
  const double seconds = static_cast<double>(tickLog_.times.back() - start) / 1000.0;
  const double perSecond = static_cast<double>(tickLog_.ticks.size() - first) / seconds;
  EXPECT_GE(perSecond, 40.0)
      << "paced by the display, well above the 30 fps timer (a loaded machine misses some)";
  EXPECT_LE(perSecond, 65.0);
  for (size_t i = 1; i < tickLog_.ticks.size(); ++i) ASSERT_EQ(tickLog_.ticks[i], tickLog_.ticks[i - 1] + 1);
  EXPECT_EQ(tickLog_.queuedMost, 0) << "never a second tick behind an untaken one";
  EXPECT_LE(thread_.Counter() - tickLog_.ticks.back(), 1u) << "at most the one tick not yet dispatched";
}

TEST_F(VerticalBlankThreadTest, StopsQuicklyAndPostsNothingAfterwards) {
  ASSERT_TRUE(thread_.Start(window_.Handle(), kTickMessage));
  ASSERT_TRUE(test::PumpMessagesUntil([&] { return !tickLog_.ticks.empty(); }));
  const ULONGLONG before = GetTickCount64();
  thread_.Stop();
  EXPECT_LT(GetTickCount64() - before, 1000u) << "the thread ends within a frame or so";
  EXPECT_FALSE(thread_.Running());
  test::DispatchPending();
  const size_t stopped = tickLog_.ticks.size();
  test::PumpMessagesFor(200);
  EXPECT_EQ(tickLog_.ticks.size(), stopped);
  EXPECT_EQ(thread_.Counter(), 0u);
}

TEST_F(VerticalBlankThreadTest, AnUntakenTickHoldsBackTheNext) {
  tickLog = nullptr;  // the window answers but never takes a tick
  ASSERT_TRUE(thread_.Start(window_.Handle(), kTickMessage));
  Sleep(300);
  EXPECT_EQ(thread_.Counter(), 1u);
  thread_.TakeTick();
  Sleep(100);
  EXPECT_EQ(thread_.Counter(), 2u);
}

TEST(PerformanceCounterClock, StepsInWellUnderAMillisecond) {
  // A 144 Hz display's blank comes every 6.9 ms: a clock that moves in 10 to 16 ms steps reads
  // most of those waits as no wait at all.
  PerformanceCounterClock clock;
  uint64_t smallestStep = UINT64_MAX;
  uint64_t previous = clock.NowUs();
  for (int steps = 0; steps < 20;) {
    const uint64_t now = clock.NowUs();
    ASSERT_GE(now, previous);
    if (now == previous) continue;
    smallestStep = std::min(smallestStep, now - previous);
    previous = now;
    ++steps;
  }
  EXPECT_LT(smallestStep, 100u) << "microseconds";
  const uint64_t before = clock.NowUs();
  clock.SleepMs(20);
  EXPECT_GE(clock.NowUs() - before, 15'000u) << "in microseconds";
}

TEST(VerticalBlankThread, NeedsAWindow) {
  VerticalBlankThread thread;
  EXPECT_FALSE(thread.Start(nullptr, kTickMessage));
  thread.Stop();  // harmless without a thread
  EXPECT_FALSE(thread.Running());
}

}  // namespace
}  // namespace plugfw::gfx
