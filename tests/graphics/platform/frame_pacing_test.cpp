// The frame timer's interval and the rule that only the newest tick draws.

#include "graphics/platform/frame_pacing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

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

TEST(StaleTickFilter, AfterAPaintSkipsJustTheTicksThatArrivedDuringIt) {
  constexpr uint32_t kLast = UINT32_MAX;
  struct Later {
    uint32_t tick, counter;
    bool draws;
  };
  struct Case {
    const char* what;
    uint32_t painted, counterAfterPaint;
    std::vector<Later> later;
  };
  const Case cases[] = {
      {"a paint within one tick skips nothing", 5, 5, {{6, 6, true}}},
      {"ticks 6, 7 and 8 came while painting", 5, 8, {{8, 8, false}, {9, 9, true}, {10, 10, true}}},
      {"the skip ends past the wrap, at 0",
       kLast - 2,
       kLast,
       {{kLast, kLast, false}, {1, 1, true}, {2, 2, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StaleTickFilter filter;
    ASSERT_TRUE(filter.Admit(c.painted, c.painted, true));
    filter.AfterPaint(c.painted, c.counterAfterPaint, true);
    for (const Later& later : c.later)
      EXPECT_EQ(filter.Admit(later.tick, later.counter, true), later.draws) << later.tick;
  }
}

TEST(StaleTickFilter, TimerTicksAlwaysDraw) {
  StaleTickFilter filter;
  filter.AfterPaint(0, 9, false);
  EXPECT_TRUE(filter.Admit(0, 9, false));
  EXPECT_TRUE(filter.Admit(0, 0, false));
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

}  // namespace
}  // namespace plugfw::gfx
