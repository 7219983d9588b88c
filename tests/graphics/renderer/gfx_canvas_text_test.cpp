// Text through IGfxCanvas on the embedded Roboto font: ink where measuring says it is, fonts
// that are missing, refused or too small, both names of the embedded font, rows of
// multi-line text placed as a block, and rotation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "tests/graphics/renderer/gfx_canvas_fixture.h"

namespace plugfw::gfx::test {
namespace {

struct InkBox {
  int minX = 1 << 20, minY = 1 << 20, maxX = -1, maxY = -1;  // inclusive
  bool Empty() const { return maxX < 0; }
  float CentreX() const { return (minX + maxX + 1) / 2.f; }
  float CentreY() const { return (minY + maxY + 1) / 2.f; }
};

InkBox InkOf(const Pixels& pixels) {
  InkBox box;
  for (int y = 0; y < pixels.Height(); ++y) {
    for (int x = 0; x < pixels.Width(); ++x) {
      if (pixels.At(x, y).a == 0) continue;
      box.minX = std::min(box.minX, x);
      box.maxX = std::max(box.maxX, x);
      box.minY = std::min(box.minY, y);
      box.maxY = std::max(box.maxY, y);
    }
  }
  return box;
}

// Runs of pixel rows holding ink, as [first, last] row pairs.
std::vector<std::pair<int, int>> InkBands(const Pixels& pixels) {
  std::vector<std::pair<int, int>> bands;
  for (int y = 0; y < pixels.Height(); ++y) {
    bool ink = false;
    for (int x = 0; x < pixels.Width() && !ink; ++x) ink = pixels.At(x, y).a > 0;
    if (!ink) continue;
    if (!bands.empty() && bands.back().second == y - 1) {
      bands.back().second = y;
    } else {
      bands.emplace_back(y, y);
    }
  }
  return bands;
}

TextStyle Style(float size, TextAlign align, TextVAlign valign) {
  TextStyle style;
  style.size = size;
  style.align = align;
  style.valign = valign;
  style.textColour = ColourWhite;
  return style;
}

class GfxCanvasTextTest : public GfxCanvasTest {
 protected:
  void SetUp() override {
    GfxCanvasTest::SetUp();
    ASSERT_TRUE(LoadRoboto(kDefaultFontId)) << "the Roboto font package is missing";
  }
};

TEST_F(GfxCanvasTextTest, InkLiesWithinAPixelOfTheMeasuredBounds) {
  const TextStyle style = Style(20.f, TextAlign::kNear, TextVAlign::kTop);
  const Rect box(4, 4, 60, 40);
  Rect measured = box;
  const float width = gfx_->DoMeasureText(style, "Halcy", measured);
  EXPECT_NEAR(width, measured.Width(), 1e-4f);
  Frame([&](TestCanvasGfx& g) { g.DoDrawText(style, "Halcy", box); });
  const InkBox ink = InkOf(ReadWindow());
  ASSERT_FALSE(ink.Empty());
  // The measured box keeps the glyph cache's pixel of padding on each side.
  EXPECT_NEAR(ink.minX, measured.left + 1.f, 1.f);
  EXPECT_NEAR(ink.maxX + 1, measured.right - 1.f, 1.f);
  EXPECT_NEAR(measured.top, box.top, 1e-4f);
  EXPECT_GE(ink.minY, measured.top - 1.f);
  EXPECT_LE(ink.maxY + 1, measured.bottom + 1.f);
}

TEST_F(GfxCanvasTextTest, CentredTextSitsInTheMiddleOfItsBounds) {
  const Rect box(4, 4, 60, 44);
  Frame([&](TestCanvasGfx& g) {
    g.DoDrawText(Style(16.f, TextAlign::kCentre, TextVAlign::kMiddle), "mum", box);
  });
  const InkBox ink = InkOf(ReadWindow());
  ASSERT_FALSE(ink.Empty());
  EXPECT_NEAR(ink.CentreX(), box.CentreX(), 1.5f);
  // x-height letters sit a little below the line's middle.
  EXPECT_NEAR(ink.CentreY(), box.CentreY(), 3.f);
}

TEST_F(GfxCanvasTextTest, AFontTheRendererDoesNotHoldMeasuresNothingAndDrawsNothing) {
  TextStyle style = Style(16.f, TextAlign::kNear, TextVAlign::kTop);
  style.SetFontId("NoSuchFont");
  Rect bounds(4, 4, 60, 40);
  EXPECT_EQ(gfx_->DoMeasureText(style, "text", bounds), 0.f);
  EXPECT_TRUE(bounds.Unset());
  Frame([&](TestCanvasGfx& g) {
    g.DoDrawText(style, "text", Rect(4, 4, 60, 40));
    g.DrawMultiLineText(style, "two\nrows", Rect(4, 4, 60, 40));
  });
  EXPECT_EQ(ReadWindow().CoveredArea(), 0.0);
}

struct NoGlyphCase {
  float size;
  float scale;  // of the transform the text is drawn with
};

class GfxCanvasNoGlyphTest : public GfxCanvasTextTest, public ::testing::WithParamInterface<NoGlyphCase> {};

TEST_P(GfxCanvasNoGlyphTest, ASizeOrScaleThatMakesNoGlyphsMeasuresZeroAndDrawsNothing) {
  const TextStyle style = Style(GetParam().size, TextAlign::kNear, TextVAlign::kTop);
  const float scale = GetParam().scale;
  Frame([&](TestCanvasGfx& g) {
    g.PathTransformScale(scale, scale);
    Rect bounds(4, 4, 60, 40);
    EXPECT_EQ(g.DoMeasureText(style, "text", bounds), 0.f);
    EXPECT_TRUE(bounds.Unset());
    g.DoDrawText(style, "text", Rect(4, 4, 60, 40));
    g.DrawMultiLineText(style, "two\nrows", Rect(4, 4, 60, 40));
  });
  EXPECT_EQ(ReadWindow().CoveredArea(), 0.0);
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(Sizes, GfxCanvasNoGlyphTest,
                         ::testing::Values(NoGlyphCase{0.f, 1.f}, NoGlyphCase{-5.f, 1.f},
                                           NoGlyphCase{0.1f, 1.f}, NoGlyphCase{kNaN, 1.f},
                                           NoGlyphCase{kInfinity, 1.f}, NoGlyphCase{14.f, 1e-4f},
                                           NoGlyphCase{14.f, 0.f}, NoGlyphCase{14.f, kNaN}));

TEST(GfxCanvasFontTest, TheEmbeddedFontAnswersToBothItsNames) {
  for (const char* loadedAs : {"KESTRALYN", kDefaultFontId}) {
    GfxTestDelegate delegate(0);
    const char* reason = nullptr;
    ASSERT_TRUE(EnsureGLTestContext(&reason)) << reason;
    TestCanvasGfx g(delegate, 64, 48);
    ASSERT_NE(g.CreateRendererContext(), nullptr);
    BytesFont font(ReadRobotoFile("Roboto-Regular.ttf"));
    ASSERT_TRUE(g.LoadFontIntoRenderer(loadedAs, font));
    for (const char* drawnAs : {"KESTRALYN", kDefaultFontId}) {
      TextStyle style;
      style.SetFontId(drawnAs);
      Rect bounds(0, 0, 60, 40);
      EXPECT_GT(g.DoMeasureText(style, "text", bounds), 10.f) << loadedAs << " drawn as " << drawnAs;
    }
    g.DestroyRendererContext();
  }
}

TEST_F(GfxCanvasTextTest, AFontTheGlyphCacheRefusesIsNotLoaded) {
  BytesFont garbage(Bytes(512, 7));
  EXPECT_FALSE(gfx_->LoadFontIntoRenderer("Garbage", garbage));
  TextStyle style;
  style.SetFontId("Garbage");
  Rect bounds(0, 0, 60, 40);
  EXPECT_EQ(gfx_->DoMeasureText(style, "text", bounds), 0.f);
}

class GfxCanvasMultiLineTest : public GfxCanvasTextTest, public ::testing::WithParamInterface<TextVAlign> {};

// The rows form one block placed by the vertical alignment: at the top, centred, or with
// its last row resting on the bottom.
TEST_P(GfxCanvasMultiLineTest, RowsArePlacedAsOneBlockByTheVerticalAlignment) {
  const Rect box(4, 2, 60, 46);
  const TextStyle style = Style(12.f, TextAlign::kNear, GetParam());
  Frame([&](TestCanvasGfx& g) { g.DrawMultiLineText(style, "HIH\nHIH", box); });
  const Pixels window = ReadWindow();
  const auto bands = InkBands(window);
  ASSERT_EQ(bands.size(), 2u);
  const int capHeight = bands[0].second - bands[0].first + 1;
  const int lineHeight = bands[1].first - bands[0].first;
  EXPECT_GT(lineHeight, capHeight);
  EXPECT_LT(lineHeight, 2 * capHeight);
  const float blockTop = static_cast<float>(bands[0].first);
  const float blockBottom = static_cast<float>(bands[1].second + 1);
  switch (GetParam()) {
    case TextVAlign::kTop:
      // Capitals reach up to a little below the top of their line.
      EXPECT_GE(blockTop, box.top);
      EXPECT_LT(blockTop, box.top + 0.5f * lineHeight);
      break;
    case TextVAlign::kMiddle:
      EXPECT_NEAR((blockTop + blockBottom) / 2.f, box.CentreY(), 0.25f * lineHeight);
      break;
    case TextVAlign::kBottom:
      // Capitals stand on the baseline, a descender's depth above the bottom.
      EXPECT_LE(blockBottom, box.bottom);
      EXPECT_GT(blockBottom, box.bottom - 0.5f * lineHeight);
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(Alignments, GfxCanvasMultiLineTest,
                         ::testing::Values(TextVAlign::kTop, TextVAlign::kMiddle, TextVAlign::kBottom));

TEST_F(GfxCanvasTextTest, LongTextWrapsToTheWidthOfItsBounds) {
  Frame([](TestCanvasGfx& g) {
    g.DrawMultiLineText(Style(10.f, TextAlign::kNear, TextVAlign::kTop), "one two three four",
                        Rect(2, 2, 30, 46));
  });
  const Pixels window = ReadWindow();
  EXPECT_GE(InkBands(window).size(), 3u);
  EXPECT_LT(InkOf(window).maxX, 32);
}

TEST_F(GfxCanvasTextTest, RotatedTextStandsUpright) {
  TextStyle style = Style(14.f, TextAlign::kCentre, TextVAlign::kMiddle);
  style.angle = 90.f;
  const Rect box(12, 2, 52, 46);
  Frame([&](TestCanvasGfx& g) { g.DoDrawText(style, "HALCYRA", box); });
  const InkBox ink = InkOf(ReadWindow());
  ASSERT_FALSE(ink.Empty());
  EXPECT_GT(ink.maxY - ink.minY, 2 * (ink.maxX - ink.minX));
  EXPECT_NEAR(ink.CentreX(), box.CentreX(), 2.f);
  EXPECT_NEAR(ink.CentreY(), box.CentreY(), 2.f);
}

}  // namespace
}  // namespace plugfw::gfx::test
