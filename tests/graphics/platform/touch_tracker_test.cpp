// Touch batches to mouse-state lists.

#include "graphics/platform/touch_tracker.h"

#include <gtest/gtest.h>

namespace plugfw::gfx {
namespace {

TEST(TouchTracker, SortsABatchIntoDownsUpsAndMovesWithMovementPerTouch) {
  TouchTracker tracker;
  const TouchPoint first[] = {{1, 10.f, 20.f, TouchPoint::kDown, 4.f}, {2, 50.f, 60.f, TouchPoint::kDown}};
  const TouchLists opened = tracker.Take(first, 2);
  ASSERT_EQ(opened.downs.size(), 2u);
  EXPECT_EQ(opened.downs[0].mod.touchId, 1);
  EXPECT_EQ(opened.downs[0].mod.touchRadius, 4.f);
  EXPECT_FALSE(opened.downs[0].mod.leftButton) << "touches carry no buttons";
  EXPECT_EQ(tracker.ActiveTouches(), 2);

  // A new touch, a lifted touch and a moved touch in one batch, listed out of order.
  const TouchPoint second[] = {
      {2, 55.f, 58.f, TouchPoint::kMove}, {3, 5.f, 5.f, TouchPoint::kDown}, {1, 12.f, 21.f, TouchPoint::kUp}};
  const TouchLists mixed = tracker.Take(second, 3);
  ASSERT_EQ(mixed.downs.size(), 1u);
  EXPECT_EQ(mixed.downs[0].mod.touchId, 3);
  ASSERT_EQ(mixed.ups.size(), 1u);
  EXPECT_EQ(mixed.ups[0].mod.touchId, 1);
  ASSERT_EQ(mixed.moves.size(), 1u);
  EXPECT_EQ(mixed.moves[0].dX, 5.f);
  EXPECT_EQ(mixed.moves[0].dY, -2.f);
  EXPECT_EQ(tracker.ActiveTouches(), 2);

  const TouchPoint third[] = {{2, 60.f, 58.f, TouchPoint::kMove}};
  EXPECT_EQ(tracker.Take(third, 1).moves[0].dX, 5.f) << "measured from the last move";
}

TEST(TouchTracker, AMoveOfAnUnknownTouchHasNoMovement) {
  TouchTracker tracker;
  const TouchPoint stray[] = {{9, 30.f, 40.f, TouchPoint::kMove}};
  const TouchLists lists = tracker.Take(stray, 1);
  ASSERT_EQ(lists.moves.size(), 1u);
  EXPECT_EQ(lists.moves[0].dX, 0.f);
  EXPECT_EQ(lists.moves[0].dY, 0.f);
}

}  // namespace
}  // namespace plugfw::gfx
