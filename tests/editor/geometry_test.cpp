#include <gtest/gtest.h>

#include <vector>

#include "editor/knob_geometry.h"
#include "editor/layout_grid.h"
#include "editor/linear_gradient.h"
#include "editor/palette.h"

namespace halcyra {
namespace {

using plugfw::gfx::FillPattern;
using plugfw::gfx::PatternType;
using plugfw::gfx::Rect;

// Where the gradient puts a point along its axis: 0 at the first point, 1 at the second.
double AxisPosition(const FillPattern& pattern, double x, double y) { return pattern.transform.MapY(x, y); }

TEST(LinearGradient, MapsTheFirstPointToZeroAndTheSecondToOne) {
  struct Case {
    float x1, y1, x2, y2;
  };
  const Case cases[] = {
      {590, 0, 590, 800},    // the backdrop
      {612, 634, 612, 678},  // a knob body of radius 22
      {10, 20, 110, 20},     // horizontal
      {0, 0, 30, 40},        // slanted
      {50, 80, 50, 20},      // upwards
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x2 + c.y2);
    const FillPattern pattern =
        MakeLinearGradient(c.x1, c.y1, c.x2, c.y2, {{PaperColour, 0}, {PanelColour, 1}});
    EXPECT_EQ(pattern.type, PatternType::kLinear);
    EXPECT_EQ(pattern.extend, plugfw::gfx::PatternExtend::kPad);
    EXPECT_NEAR(AxisPosition(pattern, c.x1, c.y1), 0.0, 1e-6);
    EXPECT_NEAR(AxisPosition(pattern, c.x2, c.y2), 1.0, 1e-6);
    EXPECT_NEAR(AxisPosition(pattern, (c.x1 + c.x2) / 2, (c.y1 + c.y2) / 2), 0.5, 1e-6);
  }
  // Across a vertical gradient nothing changes.
  const FillPattern vertical = MakeLinearGradient(590, 0, 590, 800, {});
  EXPECT_NEAR(AxisPosition(vertical, 0, 200), AxisPosition(vertical, 1180, 200), 1e-9);
}

TEST(LinearGradient, KeepsSixteenStopsInOrder) {
  std::vector<plugfw::gfx::PatternStop> stops(17, {AmberColour, 0.5f});
  stops[0] = {TealColour, 0.f};
  stops[15] = {BlueColour, 1.f};
  stops[16] = {RuleColour, 1.f};
  const FillPattern pattern =
      MakeLinearGradient(0, 0, 0, 10, stops.data(), static_cast<int32_t>(stops.size()));
  ASSERT_EQ(pattern.stopCount, 16);
  EXPECT_EQ(pattern.stops[0].colour, TealColour);
  EXPECT_EQ(pattern.stops[15].colour, BlueColour);
  EXPECT_EQ(pattern.stops[15].offset, 1.f);
}

TEST(LinearGradient, WithoutDirectionShowsTheFirstStopInsteadOfInfinities) {
  const FillPattern pattern = MakeLinearGradient(40, 40, 40, 40, {{TealColour, 0}, {AmberColour, 1}});
  for (const double x : {0.0, 40.0, 1000.0}) EXPECT_EQ(AxisPosition(pattern, x, x * 0.5), 0.0);
}

TEST(LayoutGrid, CellsTogglesTabsAndPageButtonsSitOnTheirRows) {
  EXPECT_EQ(ParameterCellRect(0, false), Rect(45, 607, 175, 711));
  EXPECT_EQ(ParameterCellRect(7, false), Rect(1007.5f, 607, 1137.5f, 711));
  EXPECT_EQ(ParameterCellRect(5, true), Rect(965, 391, 1135, 508));
  EXPECT_EQ(ToggleRectInCell(ParameterCellRect(1, false), false), Rect(187.5f, 644, 307.5f, 687));
  EXPECT_EQ(ToggleRectInCell(ParameterCellRect(0, true), true), Rect(50, 428, 210, 471));
  EXPECT_EQ(TabButtonRect(5), Rect(971, 522, 1145, 559));
  EXPECT_EQ(SectionButtonRect(1), Rect(258, 567, 455, 596));
  EXPECT_EQ(VoiceButtonRect(7), Rect(1011.5f, 567, 1135.5f, 596));
}

TEST(KnobGeometry, ArcRunsFromSevenToFiveOClock) {
  EXPECT_FLOAT_EQ(KnobAngleDegrees(0.0), -138.f);
  EXPECT_FLOAT_EQ(KnobAngleDegrees(0.25), -69.f);
  EXPECT_FLOAT_EQ(KnobAngleDegrees(0.5), 0.f);
  EXPECT_FLOAT_EQ(KnobAngleDegrees(1.0), 138.f);
}

TEST(KnobGeometry, PointerAndValueBoxSitInTheCell) {
  const KnobGeometry normal = MeasureKnob(ParameterCellRect(0, false));
  EXPECT_FALSE(normal.wide);
  EXPECT_FLOAT_EQ(normal.centreX, 110.f);
  EXPECT_FLOAT_EQ(normal.centreY, 656.f);
  EXPECT_FLOAT_EQ(normal.radius, 22.f);
  EXPECT_EQ(normal.valueBox, Rect(50, 682, 170, 708));

  const KnobGeometry wide = MeasureKnob(ParameterCellRect(0, true));
  EXPECT_TRUE(wide.wide);
  EXPECT_FLOAT_EQ(wide.centreY, 448.f);
  EXPECT_FLOAT_EQ(wide.radius, 27.f);

  // At the centre value the pointer stands straight up; at the end it leans right and down.
  const KnobPointer up = KnobPointerAt(normal, 0.f);
  EXPECT_NEAR(up.x1, 110.f, 1e-4);
  EXPECT_NEAR(up.y1, 656.f - 12.f, 1e-4);
  EXPECT_NEAR(up.y2, 656.f - 26.f, 1e-4);
  const KnobPointer end = KnobPointerAt(normal, 138.f);
  EXPECT_NEAR(end.x2, 110.f + 26.f * 0.66913f, 1e-3);
  EXPECT_NEAR(end.y2, 656.f + 26.f * 0.74314f, 1e-3);
}

}  // namespace
}  // namespace halcyra
