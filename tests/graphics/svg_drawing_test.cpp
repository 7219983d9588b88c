// SVG images drawn shape by shape: sub-path windings from ray crossings, and the fill and
// stroke patterns made from nanosvg's paints, on small SVG texts parsed by nanosvg.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/gfx.h"
#include "graphics/svg_image.h"
#include "nanosvg.h"
#include "tests/graphics/support/gfx_test_support.h"

namespace plugfw::gfx {
namespace {

using test::GfxTestDelegate;
using test::RecordingGfx;
using Texts = std::vector<std::string>;

class SvgDrawingTest : public ::testing::Test {
 protected:
  // Parses the text and draws it at its own size; returns the calls.
  std::vector<test::GfxCall> Draw(const std::string& svg, const Colour* stroke = nullptr,
                                  const Colour* fill = nullptr) {
    image = ParseSvg(svg.data(), static_cast<int32_t>(svg.size()), "px", 96.f);
    EXPECT_NE(image, nullptr);
    gfx.log.Clear();
    if (image) gfx.RenderSvgShapes(image->Ref(), nullptr, stroke, fill);
    return gfx.log.Calls();
  }

  GfxTestDelegate delegate{1};
  RecordingGfx gfx{delegate};
  std::unique_ptr<SvgImage> image;
};

std::string Svg(const std::string& body) { return R"(<svg width="100" height="100">)" + body + "</svg>"; }

TEST_F(SvgDrawingTest, TheInnerRingOfADonutIsAHole) {
  Draw(Svg(R"(<path fill="#ff0000" d="M10,10 L90,10 L90,90 L10,90 Z M30,30 L70,30 L70,70 L30,70 Z"/>)"));
  // The parser lists the sub-paths last first; each one's winding follows it.
  EXPECT_EQ(gfx.log.Texts({"PathClear", "PathCubicBezierTo", "PathClose", "PathFill"}),
            (Texts{"PathMoveTo 30 30", "PathSetWinding hole", "PathMoveTo 10 10", "PathSetWinding solid"}));
  // Straight segments arrive as cubics with their controls at the thirds.
  EXPECT_EQ(gfx.log.Named("PathCubicBezierTo")[0].text, "PathCubicBezierTo 43.3333 30 56.6667 30 70 30");
  EXPECT_EQ(gfx.log.Count("PathClose"), 2);
  const auto fills = gfx.log.Named("PathFill");
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].text, "PathFill solid(255,255,0,0) rule2");  // the windings decide, not a fill rule
  EXPECT_EQ(gfx.log.Count("PathStroke"), 0);
}

TEST_F(SvgDrawingTest, NestedRingsAlternateBetweenSolidAndHole) {
  Draw(Svg(R"(<path fill="#000" d="M0,0 L100,0 L100,100 L0,100 Z M20,20 L80,20 L80,80 L20,80 Z)"
           R"( M40,40 L60,40 L60,60 L40,60 Z"/>)"));
  EXPECT_EQ(gfx.log.Texts({"PathClear", "PathCubicBezierTo", "PathClose", "PathFill"}),
            (Texts{"PathMoveTo 40 40", "PathSetWinding solid", "PathMoveTo 20 20", "PathSetWinding hole",
                   "PathMoveTo 0 0", "PathSetWinding solid"}));
}

TEST_F(SvgDrawingTest, SideBySideShapesAreBothSolid) {
  Draw(Svg(R"(<path fill="#000" d="M10,10 L40,10 L40,40 L10,40 Z M60,60 L90,60 L90,90 L60,90 Z"/>)"));
  EXPECT_EQ(gfx.log.Texts({"PathClear", "PathCubicBezierTo", "PathClose", "PathFill"}),
            (Texts{"PathMoveTo 60 60", "PathSetWinding solid", "PathMoveTo 10 10", "PathSetWinding solid"}));
}

TEST_F(SvgDrawingTest, ColourPaintsTakeTheOpacities) {
  struct Case {
    const char* attributes;
    const char* pattern;
  };
  const Case cases[] = {
      {R"(fill="#336699")", "solid(255,51,102,153)"},
      {R"(fill="#336699" opacity="0.5")", "solid(128,51,102,153)"},
      // The parser keeps fill-opacity in the colour; it is not lost.
      {R"(fill="#336699" fill-opacity="0.5")", "solid(127,51,102,153)"},
      {R"(fill="#336699" opacity="0")", "solid(0,51,102,153)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.attributes);
    Draw(Svg(std::string("<rect width=\"10\" height=\"10\" ") + c.attributes + "/>"));
    const auto fills = gfx.log.Named("PathFill");
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(test::DescribePattern(fills[0].pattern), c.pattern);
  }
}

TEST_F(SvgDrawingTest, AStrokeIsDrawnOverThePreservedFillWithTheShapesLineStyle) {
  Draw(Svg(
      R"(<rect width="10" height="10" fill="#000" stroke="#00ff00" stroke-width="3")"
      R"( stroke-linecap="round" stroke-linejoin="bevel" stroke-dasharray="4 2" stroke-miterlimit="6"/>)"));
  const auto fills = gfx.log.Named("PathFill");
  const auto strokes = gfx.log.Named("PathStroke");
  ASSERT_EQ(fills.size(), 1u);
  ASSERT_EQ(strokes.size(), 1u);
  EXPECT_TRUE(fills[0].fill.preserve);
  const test::GfxCall& stroke = strokes[0];
  EXPECT_EQ(test::DescribePattern(stroke.pattern), "solid(255,0,255,0)");
  EXPECT_FLOAT_EQ(stroke.thickness, 3.f);
  EXPECT_EQ(stroke.stroke.cap, LineCap::kRound);
  EXPECT_EQ(stroke.stroke.join, LineJoin::kBevel);
  EXPECT_FLOAT_EQ(stroke.stroke.miterLimit, 6.f);
  ASSERT_EQ(stroke.stroke.dashCount, 2);
  EXPECT_FLOAT_EQ(stroke.stroke.dashes[0], 4.f);
  EXPECT_FLOAT_EQ(stroke.stroke.dashes[1], 2.f);
}

TEST_F(SvgDrawingTest, OverrideColoursReplaceThePaintsAndHiddenShapesAreSkipped) {
  const Colour stroke = ColourOrange;
  const Colour fill = ColourViolet;
  Draw(Svg(R"(<rect width="10" height="10" fill="#000" stroke="#fff"/>)"
           R"(<rect width="5" height="5" fill="#123456" display="none"/>)"),
       &stroke, &fill);
  const auto fills = gfx.log.Named("PathFill");
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(test::DescribePattern(fills[0].pattern), "solid(255,148,0,211)");
  EXPECT_EQ(test::DescribePattern(gfx.log.Named("PathStroke")[0].pattern), "solid(255,255,127,0)");
}

TEST_F(SvgDrawingTest, ALinearGradientKeepsItsStopsSpreadAndPlacement) {
  Draw(Svg(
      R"(<defs><linearGradient id="g" x1="0" y1="0" x2="10" y2="0" gradientUnits="userSpaceOnUse")"
      R"( spreadMethod="reflect">)"
      R"(<stop offset="0" stop-color="#ff0000"/><stop offset="1" stop-color="#0000ff" stop-opacity="0.5"/>)"
      R"svg(</linearGradient></defs><rect x="0" y="0" width="10" height="10" fill="url(#g)"/>)svg"));
  const auto fills = gfx.log.Named("PathFill");
  ASSERT_EQ(fills.size(), 1u);
  const FillPattern& pattern = fills[0].pattern;
  EXPECT_EQ(pattern.type, PatternType::kLinear);
  EXPECT_EQ(pattern.extend, PatternExtend::kReflect);
  ASSERT_EQ(pattern.stopCount, 2);
  EXPECT_EQ(pattern.stops[0].colour, ColourRed);
  EXPECT_FLOAT_EQ(pattern.stops[0].offset, 0.f);
  EXPECT_EQ(pattern.stops[1].colour, Colour(127, 0, 0, 255));
  EXPECT_FLOAT_EQ(pattern.stops[1].offset, 1.f);
  // Pattern space runs the ramp along y: the left edge is its start, the middle half way,
  // the right edge its end.
  const PathTransform& t = pattern.transform;
  EXPECT_NEAR(t.MapY(0, 5), 0.0, 1e-5);
  EXPECT_NEAR(t.MapY(5, 5), 0.5, 1e-5);
  EXPECT_NEAR(t.MapY(10, 5), 1.0, 1e-5);
}

TEST_F(SvgDrawingTest, ARadialGradientIsCentredOnItsCentre) {
  Draw(
      Svg(R"(<defs><radialGradient id="r" cx="5" cy="5" r="5" gradientUnits="userSpaceOnUse")"
          R"( spreadMethod="repeat"><stop offset="0" stop-color="#fff"/><stop offset="1" stop-color="#000"/>)"
          R"svg(</radialGradient></defs><rect width="10" height="10" fill="url(#r)"/>)svg"));
  const FillPattern pattern = gfx.log.Named("PathFill")[0].pattern;
  EXPECT_EQ(pattern.type, PatternType::kRadial);
  EXPECT_EQ(pattern.extend, PatternExtend::kRepeat);
  const PathTransform& t = pattern.transform;
  EXPECT_NEAR(t.MapX(5, 5), 0.0, 1e-5);  // the centre maps to the origin
  EXPECT_NEAR(t.MapY(5, 5), 0.0, 1e-5);
  EXPECT_NEAR(t.MapX(10, 5), 1.0, 1e-5);  // the radius to the unit circle
}

TEST(SvgPaintTest, MoreThanSixteenStopsAreCutAndOtherPaintsGiveTheAlphaOnly) {
  std::string stops;
  for (int32_t i = 0; i < 20; ++i)
    stops += "<stop offset=\"" + std::to_string(i / 19.0) + "\" stop-color=\"#000\"/>";
  const std::string svg =
      R"(<svg width="10" height="10"><defs><linearGradient id="g">)" + stops +
      R"svg(</linearGradient></defs><rect width="10" height="10" fill="url(#g)"/></svg>)svg";
  const auto image = ParseSvg(svg.data(), static_cast<int32_t>(svg.size()), "px", 96.f);
  ASSERT_NE(image, nullptr);
  const FillPattern pattern = SvgPaintToPattern(image->Get()->shapes->fill, 1.f);
  EXPECT_EQ(pattern.stopCount, kMaxPatternStops);

  NSVGpaint none;
  std::memset(&none, 0, sizeof none);
  none.type = NSVG_PAINT_NONE;
  const FillPattern alphaOnly = SvgPaintToPattern(none, 0.4f);
  EXPECT_EQ(alphaOnly.stops[0].colour, Colour(102, 0, 0, 0));
  EXPECT_EQ(SvgPaintToPattern(none, 7.f).stops[0].colour.alpha, 255);  // clamped
  EXPECT_EQ(SvgPaintToPattern(none, std::nanf("")).stops[0].colour.alpha, 0);
}

}  // namespace
}  // namespace plugfw::gfx
