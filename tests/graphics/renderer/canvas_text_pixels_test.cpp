// Canvas text through the GL back end on the embedded Roboto font, read back from the
// framebuffer: ink where the glyph cache says it is, in the fill colour, before and after
// the font atlas grows.
#include <gtest/gtest.h>

#include <string>

#include "graphics/renderer/canvas.h"
#include "graphics/renderer/glyph_cache.h"
#include "tests/graphics/platform/font_fixtures.h"
#include "tests/graphics/renderer/gl_canvas_fixture.h"

namespace plugfw::gfx::test {
namespace {

struct InkBox {
  int minX = 1 << 20, minY = 1 << 20, maxX = -1, maxY = -1;  // inclusive pixel columns and rows
  bool Empty() const { return maxX < 0; }
};

InkBox InkOf(const Pixels& pixels, int x0, int x1) {
  InkBox box;
  for (int y = 0; y < pixels.Height(); ++y) {
    for (int x = x0; x < x1; ++x) {
      if (pixels.At(x, y).a == 0) continue;
      box.minX = std::min(box.minX, x);
      box.maxX = std::max(box.maxX, x);
      box.minY = std::min(box.minY, y);
      box.maxY = std::max(box.maxY, y);
    }
  }
  return box;
}

class GLTextTest : public GLCanvasTest {
 protected:
  void SetUp() override {
    GLCanvasTest::SetUp();
    roboto_ = ReadRobotoFile("Roboto-Regular.ttf");
    ASSERT_FALSE(roboto_.empty()) << "the Roboto font package is missing";
    ASSERT_EQ(GlyphCacheAddFont(canvas_->glyphs, "Roboto-Regular", roboto_.data(),
                                static_cast<int32_t>(roboto_.size()), 0, false),
              0);
    CanvasFontFaceId(canvas_, 0);
  }

  Bytes roboto_;
};

TEST_F(GLTextTest, InkLiesWithinAPixelOfTheGlyphCacheBounds) {
  CanvasFontSize(canvas_, 24.0f);
  CanvasFillColour(canvas_, CanvasColour{1, 1, 1, 1});
  CanvasText(canvas_, 4.0f, 40.0f, "Halcy", nullptr);
  const Pixels pixels = Finish();
  float bounds[4];
  GlyphCacheTextBounds(canvas_->glyphs, 4.0f, 40.0f, "Halcy", nullptr, bounds);
  const InkBox ink = InkOf(pixels, 0, kSize);
  ASSERT_FALSE(ink.Empty());
  // The cache's box keeps one pixel of padding around the glyphs' own bitmap boxes.
  EXPECT_NEAR(ink.minX, bounds[0] + 1.0f, 1.0f);
  EXPECT_NEAR(ink.maxX + 1, bounds[2] - 1.0f, 1.0f);
  EXPECT_NEAR(ink.minY, bounds[1] + 1.0f, 1.0f);
  EXPECT_NEAR(ink.maxY + 1, bounds[3] - 1.0f, 1.0f);
  // The stem of the H is solid.
  int solid = 0;
  for (int y = ink.minY; y <= ink.maxY; ++y) solid += pixels.At(ink.minX + 1, y).a == 255 ? 1 : 0;
  EXPECT_GE(solid, 12);
}

TEST_F(GLTextTest, TextTakesTheFillColourPremultiplied) {
  CanvasFontSize(canvas_, 30.0f);
  CanvasFillColour(canvas_, CanvasColour{1, 0.5f, 0, 1});
  CanvasGlobalAlpha(canvas_, 0.5f);
  CanvasText(canvas_, 4.0f, 40.0f, "I", nullptr);
  const Pixels pixels = Finish();
  int checked = 0;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const Rgba p = pixels.At(x, y);
      if (p.a == 0) continue;
      ASSERT_LE(p.a, 128 + 1);
      ASSERT_NEAR(p.r, p.a, 1);
      ASSERT_NEAR(p.g, p.a / 2, 1);
      ASSERT_EQ(p.b, 0);
      checked++;
    }
  }
  EXPECT_GT(checked, 20);
}

TEST_F(GLTextTest, TextBeforeAndAfterTheAtlasGrowsBothShow) {
  CanvasFontSize(canvas_, 20.0f);
  CanvasText(canvas_, 2.0f, 30.0f, "A", nullptr);
  // Fill the atlas with large glyphs drawn off the target.
  std::string ascii;
  for (char c = 33; c < 127; ++c) ascii += c;
  CanvasFontSize(canvas_, 100.0f);
  CanvasText(canvas_, 0.0f, 500.0f, ascii.c_str(), nullptr);
  ASSERT_GE(canvas_->fontImageIndex, 1);
  CanvasFontSize(canvas_, 20.0f);
  CanvasText(canvas_, 40.0f, 30.0f, "B", nullptr);
  const Pixels pixels = Finish();
  EXPECT_FALSE(InkOf(pixels, 0, 32).Empty());
  EXPECT_FALSE(InkOf(pixels, 32, kSize).Empty());
  EXPECT_EQ(canvas_->fontImageIndex, 0);  // the frame's end kept the largest texture only
}

}  // namespace
}  // namespace plugfw::gfx::test
