// The frame timer's interval and the rule that only the newest tick draws.

#include "graphics/platform/frame_pacing.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace plugfw::gfx {
namespace {

TEST(FrameTimerIntervalMs, IsOneFrameButNeverBelowTwentyExceptTheFastRate) {
  struct Case {
    int32_t framesPerSecond, intervalMs;
  };
  const Case cases[] = {
      {30, 33},  {60, 15}, {50, 20},  {51, 15},
      {144, 15}, {25, 40}, {1, 1000}, {0, 33},  // no rate: the editor's default 30 fps
      {-4, 33},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FrameTimerIntervalMs(c.framesPerSecond), c.intervalMs) << c.framesPerSecond << " fps";
  }
}

TEST(StaleTickFilter, DrawsOnlyTheNewestTick) {
  StaleTickFilter filter;
  EXPECT_TRUE(filter.Admit(7, 7, true));
  EXPECT_FALSE(filter.Admit(6, 7, true)) << "an older tick is stale";
}

TEST(StaleTickFilter, SkipsEveryTickThatArrivedDuringASlowPaint) {
  StaleTickFilter filter;
  ASSERT_TRUE(filter.Admit(5, 5, true));
  filter.AfterPaint(5, 8, true);  // ticks 6, 7 and 8 came while painting
  EXPECT_FALSE(filter.Admit(8, 8, true));
  EXPECT_TRUE(filter.Admit(9, 9, true));
  EXPECT_TRUE(filter.Admit(10, 10, true)) << "the skip ends with the first tick after it";
}

TEST(StaleTickFilter, APaintWithinOneTickSkipsNothing) {
  StaleTickFilter filter;
  ASSERT_TRUE(filter.Admit(5, 5, true));
  filter.AfterPaint(5, 5, true);
  EXPECT_TRUE(filter.Admit(6, 6, true));
}

TEST(StaleTickFilter, TimerTicksAlwaysDraw) {
  StaleTickFilter filter;
  filter.AfterPaint(0, 9, false);
  EXPECT_TRUE(filter.Admit(0, 9, false));
  EXPECT_TRUE(filter.Admit(0, 0, false));
}

TEST(StaleTickFilter, KeepsWorkingWhereTheTickNumbersWrap) {
  StaleTickFilter filter;
  const uint32_t last = UINT32_MAX;
  ASSERT_TRUE(filter.Admit(last - 2, last - 2, true));
  filter.AfterPaint(last - 2, last, true);  // the skip ends past the wrap, at 0
  EXPECT_FALSE(filter.Admit(last, last, true));
  EXPECT_TRUE(filter.Admit(1, 1, true));
  EXPECT_TRUE(filter.Admit(2, 2, true));
}

TEST(TickMailbox, PostsNoNewTickWhileOneWaits) {
  TickMailbox mailbox;
  uint32_t number = 0;
  ASSERT_TRUE(mailbox.PublishTick(&number));
  EXPECT_EQ(number, 1u);
  EXPECT_FALSE(mailbox.PublishTick(&number));
  EXPECT_FALSE(mailbox.PublishTick(&number));
  EXPECT_EQ(mailbox.Counter(), 1u) << "the waiting tick stays the newest, so it draws";
  mailbox.TakeTick();
  ASSERT_TRUE(mailbox.PublishTick(&number));
  EXPECT_EQ(number, 2u);
}

TEST(TickMailbox, StopsOnRequestAndCanStartAgain) {
  TickMailbox mailbox;
  EXPECT_FALSE(mailbox.StopRequested());
  mailbox.RequestStop();
  EXPECT_TRUE(mailbox.StopRequested());
  mailbox.ClearStop();
  EXPECT_FALSE(mailbox.StopRequested());
}

}  // namespace
}  // namespace plugfw::gfx
