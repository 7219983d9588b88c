#include "graphics/renderer/dash_steps.h"

#include <gtest/gtest.h>

#include <limits>

namespace plugfw::gfx {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

TEST(DashStepsTest, ALineIsCutIntoItsLengthOverTheDashRounded) {
  struct Case {
    float length, dash;
    int32_t steps;
  };
  const Case cases[] = {
      {64.f, 4.f, 16}, {10.f, 4.f, 3},  // 2.5 rounds away from zero
      {1.9f, 4.f, 0},                   // shorter than half a dash: only the first move
      {0.f, 4.f, 0},   {64.f, 0.f, 0}, {64.f, -2.f, 0}, {64.f, kNaN, 0}, {kNaN, 4.f, 0}, {kInfinity, 4.f, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LineDashSteps(c.length, c.dash), c.steps) << c.length << " / " << c.dash;
}

TEST(DashStepsTest, TinyDashesAreCapped) {
  EXPECT_EQ(LineDashSteps(1000.f, 1e-6f), kMaxDashSteps);
  EXPECT_EQ(RectSideDashes(1000.f, 1e-6f), kMaxDashSteps);
}

TEST(DashStepsTest, ARectanglesDashGrowsOnlyWhereItsSidesWouldNeedTooMany) {
  EXPECT_EQ(RectDashLength(100.f, 50.f, 2.f), 2.f);
  const float grown = RectDashLength(10000.f, 50.f, 1e-3f);
  EXPECT_GT(grown, 1e-3f);
  // The grown dashes still reach round the longest side.
  EXPECT_LE(RectSideDashes(10000.f, grown), kMaxDashSteps);
  EXPECT_GE(RectSideDashes(10000.f, grown) * 2.f * grown, 10000.f);
}

TEST(DashStepsTest, ARectangleSideHasItsExtentOverTwoDashesRoundedUp) {
  EXPECT_EQ(RectSideDashes(10.f, 3.f), 2);
  EXPECT_EQ(RectSideDashes(12.f, 3.f), 2);
  EXPECT_EQ(RectSideDashes(0.f, 3.f), 0);
  EXPECT_EQ(RectSideDashes(-5.f, 3.f), 0);
  EXPECT_EQ(RectSideDashes(kNaN, 3.f), 0);
  EXPECT_FALSE(DashLengthUsable(kInfinity));
  EXPECT_TRUE(DashLengthUsable(0.5f));
}

}  // namespace
}  // namespace plugfw::gfx
