// The framework's primitives through IGfxCanvas onto real GL, read back from the window:
// solid fills and weights, blend kinds, fills with and without the stencil, holes, arcs,
// quadratics, gradients, dashes and the fast drop shadow.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/graphics/renderer/gfx_canvas_fixture.h"

namespace plugfw::gfx::test {
namespace {

constexpr Rgba kRed{255, 0, 0, 255};
constexpr Rgba kBlue{0, 0, 255, 255};
constexpr Rgba kMagenta{255, 0, 255, 255};

using GfxCanvasDrawingTest = GfxCanvasTest;

// Every pixel of both within one step per channel.
::testing::AssertionResult SamePixels(const Pixels& a, const Pixels& b) {
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      ::testing::AssertionResult near = PixelNear(a, x, y, b.At(x, y));
      if (!near) return near;
    }
  }
  return ::testing::AssertionSuccess();
}

TEST_F(GfxCanvasDrawingTest, ADisabledControlsWeightGivesAlpha64) {
  const Blend disabled{kBlendDefault, kDisabledBlendWeight};
  Frame([&](TestCanvasGfx& g) {
    g.FillRect(ColourWhite, Rect(8, 8, 24, 24), &disabled);
    g.FillRect(ColourRed, Rect(30, 8, 40, 24));
  });
  const Pixels window = ReadWindow();
  EXPECT_TRUE(PixelNear(window, 16, 16, Rgba{64, 64, 64, 64}));
  EXPECT_TRUE(PixelNear(window, 35, 16, kRed));
}

struct BlendCase {
  int32_t kind;
  Rgba overRed;    // where the destination is opaque red
  Rgba overClear;  // where it is empty
};

class GfxCanvasBlendTest : public GfxCanvasTest, public ::testing::WithParamInterface<BlendCase> {};

// Opaque blue drawn with each kind over opaque red and over nothing: the compositing
// operators' own answers, exact.
TEST_P(GfxCanvasBlendTest, EachKindCompositesLikeItsOperator) {
  const Blend blend{GetParam().kind, 1.f};
  Frame([&](TestCanvasGfx& g) {
    g.FillRect(ColourRed, Rect(0, 0, 32, kHeight));
    g.FillRect(ColourBlue, Rect(0, 0, kWidth, kHeight), &blend);
  });
  const Pixels window = ReadWindow();
  EXPECT_TRUE(PixelNear(window, 16, 24, GetParam().overRed)) << "kind " << GetParam().kind;
  EXPECT_TRUE(PixelNear(window, 48, 24, GetParam().overClear)) << "kind " << GetParam().kind;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, GfxCanvasBlendTest,
    ::testing::Values(BlendCase{kBlendDefault, kBlue, kBlue}, BlendCase{kBlendSourceIn, kBlue, kClear},
                      BlendCase{kBlendSourceOut, kClear, kBlue}, BlendCase{kBlendSourceAtop, kBlue, kClear},
                      BlendCase{kBlendDestinationOver, kRed, kBlue},
                      BlendCase{kBlendDestinationIn, kRed, kClear},
                      BlendCase{kBlendDestinationOut, kClear, kClear},
                      BlendCase{kBlendDestinationAtop, kRed, kBlue}, BlendCase{kBlendAdd, kMagenta, kBlue},
                      BlendCase{kBlendXor, kClear, kBlue},
                      // Outside the table: the ordinary operator.
                      BlendCase{42, kBlue, kBlue}));

TEST_F(GfxCanvasDrawingTest, AShapeFillsTheSamePixelsWithAndWithoutTheStencil) {
  // One convex path takes the fast road; a second sub-path, off the editor, forces the stencil.
  Frame([](TestCanvasGfx& g) { g.FillCircle(ColourWhite, 32.f, 24.f, 15.3f); });
  const Pixels convex = ReadWindow();
  gfx_->Resize(kWidth, kHeight, 1.f, 1.f);
  Frame([](TestCanvasGfx& g) {
    g.PathClear();
    g.PathCircle(32.f, 24.f, 15.3f);
    g.PathRect(Rect(-20, -20, -10, -10));
    g.PathFill(ColourWhite);
  });
  const Pixels stencilled = ReadWindow();
  EXPECT_GT(convex.CoveredArea(), 700.0);
  EXPECT_TRUE(SamePixels(convex, stencilled));
}

struct HoleCase {
  FillRule rule;
  bool markHole;
  bool centreEmpty;
};

class GfxCanvasHoleTest : public GfxCanvasTest, public ::testing::WithParamInterface<HoleCase> {};

TEST_P(GfxCanvasHoleTest, AnInnerSubPathIsAHoleOnlyWhenTheWindingOrTheRuleSaysSo) {
  Frame([](TestCanvasGfx& g) {
    g.PathClear();
    g.PathRect(Rect(8, 8, 56, 40));
    g.PathCircle(32.f, 24.f, 10.f);
    if (GetParam().markHole) g.PathSetWinding(true);
    g.PathFill(ColourWhite, FillOptions(GetParam().rule, false));
  });
  const Pixels window = ReadWindow();
  EXPECT_TRUE(PixelNear(window, 12, 12, kOpaqueWhite));
  EXPECT_TRUE(PixelNear(window, 32, 24, GetParam().centreEmpty ? kClear : kOpaqueWhite));
}

INSTANTIATE_TEST_SUITE_P(Windings, GfxCanvasHoleTest,
                         ::testing::Values(HoleCase{FillRule::kPreserveWinding, true, true},
                                           HoleCase{FillRule::kEvenOdd, false, true},
                                           HoleCase{FillRule::kNonZero, false, false}));

// Ink near the point of the circle at `degrees` (0 at 12 o'clock, clockwise).
bool InkAtAngle(const Pixels& pixels, float cx, float cy, float r, float degrees) {
  const float a = degrees * 3.1415927f / 180.f;
  const int x = static_cast<int>(cx + r * std::sin(a));
  const int y = static_cast<int>(cy - r * std::cos(a));
  return pixels.At(x, y).a > 128;
}

TEST_F(GfxCanvasDrawingTest, ArcsRunClockwiseFromTwelveOClockUnlessWoundTheOtherWay) {
  Frame([](TestCanvasGfx& g) { g.DrawArc(ColourWhite, 32.f, 24.f, 16.f, 0.f, 90.f, nullptr, 3.f); });
  const Pixels clockwise = ReadWindow();
  EXPECT_TRUE(InkAtAngle(clockwise, 32, 24, 16, 45));
  EXPECT_FALSE(InkAtAngle(clockwise, 32, 24, 16, 135));
  EXPECT_FALSE(InkAtAngle(clockwise, 32, 24, 16, 225));
  EXPECT_FALSE(InkAtAngle(clockwise, 32, 24, 16, 315));
  gfx_->Resize(kWidth, kHeight, 1.f, 1.f);
  Frame([](TestCanvasGfx& g) {
    g.PathClear();
    g.PathArc(32.f, 24.f, 16.f, 0.f, 90.f, 1);
    g.PathStroke(ColourWhite, 3.f);
  });
  const Pixels counter = ReadWindow();
  EXPECT_FALSE(InkAtAngle(counter, 32, 24, 16, 45));
  EXPECT_TRUE(InkAtAngle(counter, 32, 24, 16, 135));
  EXPECT_TRUE(InkAtAngle(counter, 32, 24, 16, 225));
  EXPECT_TRUE(InkAtAngle(counter, 32, 24, 16, 315));
}

TEST_F(GfxCanvasDrawingTest, AQuadraticPassesHalfwayToItsControlPoint) {
  // From (8, 40) over (32, 0) to (56, 40): the curve's middle is at (32, 20).
  Frame([](TestCanvasGfx& g) {
    g.PathClear();
    g.PathMoveTo(8.f, 40.f);
    g.PathQuadraticBezierTo(32.f, 0.f, 56.f, 40.f);
    g.PathStroke(ColourWhite, 2.f);
  });
  const Pixels window = ReadWindow();
  EXPECT_GT(window.At(32, 19).a + window.At(32, 20).a, 400);
  // A cubic with both controls at (32, 0) would peak at y 10.
  EXPECT_EQ(window.At(32, 10).a, 0);
  EXPECT_EQ(window.At(32, 2).a, 0);
}

TEST_F(GfxCanvasDrawingTest, ALinearGradientFollowsTheRampWithinTwoSteps) {
  // Pattern space runs along y; this map sends the editor's x = 0..64 to it.
  FillPattern ramp(PatternType::kLinear);
  ramp.AddStop(ColourBlack, 0.f);
  ramp.AddStop(ColourWhite, 1.f);
  ramp.transform = PathTransform(0.0, 1.0 / kWidth, 1.0, 0.0, 0.0, 0.0);
  Frame([&](TestCanvasGfx& g) {
    g.PathClear();
    g.PathRect(Rect(0, 0, kWidth, kHeight));
    g.PathFill(ramp);
  });
  const Pixels window = ReadWindow();
  for (int x = 0; x < kWidth; ++x) {
    const int level = static_cast<int>(std::lround((x + 0.5) / kWidth * 255.0));
    ASSERT_TRUE(PixelNear(window, x, 24, Rgba{level, level, level, 255}, 2));
  }
}

TEST_F(GfxCanvasDrawingTest, ARadialGradientRunsFromItsCentreToItsRadius) {
  // The unit circle of pattern space becomes a circle of radius 20 about (32, 24); the first
  // stop at offset 0 gives an inner radius of 0.
  FillPattern glow(PatternType::kRadial);
  glow.AddStop(ColourRed, 0.f);
  glow.AddStop(ColourBlue, 1.f);
  glow.transform = PathTransform(1.0 / 20, 0.0, 0.0, 1.0 / 20, -32.0 / 20, -24.0 / 20);
  Frame([&](TestCanvasGfx& g) {
    g.PathClear();
    g.PathRect(Rect(0, 0, kWidth, kHeight));
    g.PathFill(glow);
  });
  const Pixels window = ReadWindow();
  for (const int x : {32, 38, 42, 47, 55, 62}) {
    const double t = std::min(1.0, std::hypot(x + 0.5 - 32.0, 24.5 - 24.0) / 20.0);
    const int blue = static_cast<int>(std::lround(255.0 * t));
    ASSERT_TRUE(PixelNear(window, x, 24, Rgba{255 - blue, 0, blue, 255}, 2)) << "x " << x;
  }
}

TEST(GfxCanvasPatternTest, ASingularPatternTransformGivesAFinitePaint) {
  FillPattern flat(PatternType::kLinear);
  flat.AddStop(ColourRed, 0.f);
  flat.AddStop(ColourBlue, 1.f);
  for (const PathTransform& singular :
       {PathTransform(0, 0, 0, 0, 5, 5), PathTransform(1, 2, 2, 4, 0, 0),
        PathTransform(std::numeric_limits<double>::quiet_NaN(), 0, 0, 1, 0, 0)}) {
    flat.transform = singular;
    for (const PatternType type : {PatternType::kLinear, PatternType::kRadial}) {
      flat.type = type;
      const CanvasPaint paint = IGfxCanvas::PatternToCanvasPaint(flat, nullptr);
      for (const float v : paint.xform) EXPECT_TRUE(std::isfinite(v));
      EXPECT_TRUE(std::isfinite(paint.extent[0]) && std::isfinite(paint.feather));
    }
  }
}

TEST_F(GfxCanvasDrawingTest, ADashedLineAlternatesDashesAndGapsOfTheDashLength) {
  Frame([](TestCanvasGfx& g) { g.DrawDottedLine(ColourWhite, 0.f, 10.f, 64.f, 10.f, nullptr, 2.f, 4.f); });
  const Pixels window = ReadWindow();
  for (int dash = 0; dash < 8; ++dash) {
    ASSERT_EQ(window.At(dash * 8 + 2, 9).a, 255) << "dash " << dash;
    ASSERT_EQ(window.At(dash * 8 + 6, 9).a, 0) << "gap " << dash;
  }
}

class GfxCanvasSolidDashTest : public GfxCanvasTest, public ::testing::WithParamInterface<float> {};

TEST_P(GfxCanvasSolidDashTest, ADashLengthThatIsNoPositiveNumberDrawsTheLineSolid) {
  Frame([](TestCanvasGfx& g) {
    g.DrawDottedLine(ColourWhite, 0.f, 10.f, 64.f, 10.f, nullptr, 2.f, GetParam());
    g.DrawDottedRect(ColourWhite, Rect(8, 20, 56, 40), nullptr, 2.f, GetParam());
  });
  const Pixels window = ReadWindow();
  for (int x = 1; x < 63; ++x) ASSERT_EQ(window.At(x, 9).a, 255) << "x " << x;
  for (int x = 9; x < 55; ++x) ASSERT_EQ(window.At(x, 20).a, 255) << "x " << x;
  for (int y = 21; y < 39; ++y) ASSERT_EQ(window.At(55, y).a, 255) << "y " << y;
}

INSTANTIATE_TEST_SUITE_P(Lengths, GfxCanvasSolidDashTest,
                         ::testing::Values(0.f, -3.f, std::numeric_limits<float>::quiet_NaN(),
                                           std::numeric_limits<float>::infinity()));

TEST_F(GfxCanvasDrawingTest, ATinyDashStillDrawsTheLine) {
  // Millions of dashes are capped: the frame ends, and the line is there.
  Frame([](TestCanvasGfx& g) { g.DrawDottedLine(ColourWhite, 0.f, 10.f, 64.f, 10.f, nullptr, 2.f, 1e-6f); });
  EXPECT_GT(ReadWindow().CoveredArea(), 32.0);
}

TEST_F(GfxCanvasDrawingTest, ADashedRectRunsRightAlongTheTopAndLeftAlongTheBottom) {
  Frame([](TestCanvasGfx& g) { g.DrawDottedRect(ColourWhite, Rect(8, 8, 40, 40), nullptr, 2.f, 4.f); });
  const Pixels window = ReadWindow();
  // The top's dashes start at the left corner, the bottom's at the right one.
  EXPECT_EQ(window.At(10, 8).a, 255);
  EXPECT_EQ(window.At(14, 8).a, 0);
  EXPECT_EQ(window.At(38, 40).a, 255);
  EXPECT_EQ(window.At(34, 40).a, 0);
}

TEST_F(GfxCanvasDrawingTest, ADashedRectOfNoWidthStillDrawsItsSides) {
  Frame([](TestCanvasGfx& g) { g.DrawDottedRect(ColourWhite, Rect(10, 4, 10, 44), nullptr, 2.f, 4.f); });
  const Pixels window = ReadWindow();
  EXPECT_EQ(window.At(9, 6).a, 255);
  EXPECT_EQ(window.At(30, 6).a, 0);
}

TEST_F(GfxCanvasDrawingTest, AFastDropShadowIsDarkestUnderTheMovedInnerRect) {
  Frame([](TestCanvasGfx& g) {
    g.DrawFastDropShadow(Rect(16, 16, 32, 32), Rect(8, 8, 48, 44), 4.f, 0.f, 4.f);
  });
  const Pixels window = ReadWindow();
  EXPECT_TRUE(PixelNear(window, 28, 28, Rgba{0, 0, 0, 128}, 2));
  EXPECT_LT(window.At(9, 9).a, 16);
  EXPECT_EQ(window.At(50, 46).a, 0);
}

}  // namespace
}  // namespace plugfw::gfx::test
