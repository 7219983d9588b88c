// Canvas drawing through the real GL back end, read back from the framebuffer. Aligned
// geometry must come out exact (within 1 per channel); edges, gradients and curves within
// the tolerances a viewer cannot tell apart.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "graphics/renderer/canvas.h"
#include "tests/graphics/renderer/gl_canvas_fixture.h"

namespace plugfw::gfx::test {
namespace {

constexpr CanvasColour kWhite{1, 1, 1, 1};
constexpr CanvasColour kRed{1, 0, 0, 1};
constexpr CanvasColour kBlue{0, 0, 1, 1};
constexpr float kEdgeTolerance = 0.06f;

// Pixels inside [x0, x1) x [y0, y1) are `inside`, all others clear; the first mismatch fails.
::testing::AssertionResult OnlyRectIs(const Pixels& pixels, int x0, int y0, int x1, int y1, Rgba inside) {
  for (int y = 0; y < pixels.Height(); ++y) {
    for (int x = 0; x < pixels.Width(); ++x) {
      const bool in = x >= x0 && x < x1 && y >= y0 && y < y1;
      ::testing::AssertionResult near = PixelNear(pixels, x, y, in ? inside : kClear);
      if (!near) return near;
    }
  }
  return ::testing::AssertionSuccess();
}

void AddPolygon(CanvasContext* canvas, const std::vector<std::pair<float, float>>& points) {
  CanvasMoveTo(canvas, points[0].first, points[0].second);
  for (size_t i = 1; i < points.size(); ++i) CanvasLineTo(canvas, points[i].first, points[i].second);
  CanvasClosePath(canvas);
}

struct ShapeCase {
  const char* name;
  std::vector<std::pair<float, float>> points;
};

class FilledRectangle : public GLCanvasTest, public ::testing::WithParamInterface<ShapeCase> {};

// The rectangle 8..40 x 16..48 drawn three ways: as CanvasRect appends it, along the top
// first (reversed before filling), and with a point halfway along a side, which makes it
// take the stencil road. All three give the same exact pixels.
TEST_P(FilledRectangle, CoversExactlyItsPixelsWhicheverWayItIsDrawn) {
  CanvasFillColour(canvas_, kWhite);
  AddPolygon(canvas_, GetParam().points);
  CanvasFill(canvas_);
  EXPECT_TRUE(OnlyRectIs(Finish(), 8, 16, 40, 48, kOpaqueWhite));
}

INSTANTIATE_TEST_SUITE_P(
    Orders, FilledRectangle,
    ::testing::Values(ShapeCase{"RectOrder", {{8, 16}, {8, 48}, {40, 48}, {40, 16}}},
                      ShapeCase{"TopFirst", {{8, 16}, {40, 16}, {40, 48}, {8, 48}}},
                      ShapeCase{"StencilRoad", {{8, 16}, {8, 48}, {24, 48}, {40, 48}, {40, 16}}}),
    [](const ::testing::TestParamInfo<ShapeCase>& info) { return std::string(info.param.name); });

TEST_F(GLCanvasTest, CanvasRectFillIsDrawnAndNotCulled) {
  FillRect(8, 8, 16, 24, kWhite);
  EXPECT_TRUE(OnlyRectIs(Finish(), 8, 8, 24, 32, kOpaqueWhite));
}

TEST_F(GLCanvasTest, EdgeOnAHalfPixelCoversHalfThatPixel) {
  FillRect(10.5f, 8.0f, 20.0f, 40.0f, kWhite);
  const Pixels pixels = Finish();
  EXPECT_NEAR(pixels.Coverage(10, 20), 0.5f, kEdgeTolerance);
  EXPECT_NEAR(pixels.Coverage(30, 20), 0.5f, kEdgeTolerance);
  EXPECT_TRUE(PixelNear(pixels, 11, 20, kOpaqueWhite));
  EXPECT_TRUE(PixelNear(pixels, 29, 20, kOpaqueWhite));
  EXPECT_TRUE(PixelNear(pixels, 9, 20, kClear));
  EXPECT_TRUE(PixelNear(pixels, 31, 20, kClear));
}

TEST_F(GLCanvasTest, ConvexAndStencilFillsOfOneShapeGiveTheSamePixels) {
  // Unaligned, so the anti-aliased edges take part.
  const std::vector<std::pair<float, float>> convex = {{5.3f, 7.7f}, {12.1f, 40.2f}, {30.6f, 28.4f}};
  const std::vector<std::pair<float, float>> stencil = {
      {5.3f, 7.7f}, {12.1f, 40.2f}, {30.6f, 28.4f}, {17.95f, 18.05f}};  // a point on the third side
  AddPolygon(canvas_, convex);
  CanvasFill(canvas_);
  const Pixels fast = Finish();
  RestartFrame();
  CanvasBeginPath(canvas_);
  AddPolygon(canvas_, stencil);
  CanvasFill(canvas_);
  const Pixels stenciled = Finish();
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) ASSERT_TRUE(PixelNear(stenciled, x, y, fast.At(x, y), 2));
  }
  EXPECT_GT(fast.CoveredArea(), 200.0);
}

TEST_F(GLCanvasTest, HoleWindingStaysEmptyInsideASolidPath) {
  CanvasRect(canvas_, 8, 8, 48, 48);
  CanvasRect(canvas_, 24, 24, 16, 16);
  CanvasPathWinding(canvas_, kWindingHole);
  CanvasFill(canvas_);
  const Pixels pixels = Finish();
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const bool ring = x >= 8 && x < 56 && y >= 8 && y < 56 && !(x >= 24 && x < 40 && y >= 24 && y < 40);
      ASSERT_TRUE(PixelNear(pixels, x, y, ring ? kOpaqueWhite : kClear));
    }
  }
}

TEST_F(GLCanvasTest, TwoStencilFillsInOneFrameBothDraw) {
  // Concave L shapes: each fill leaves the stencil clean for the next.
  const std::vector<std::pair<float, float>> l = {{0, 0}, {0, 20}, {20, 20}, {20, 12}, {8, 12}, {8, 0}};
  for (float dx : {4.0f, 36.0f}) {
    std::vector<std::pair<float, float>> moved;
    for (auto p : l) moved.push_back({p.first + dx, p.second + 8});
    CanvasBeginPath(canvas_);
    AddPolygon(canvas_, moved);
    CanvasFill(canvas_);
  }
  const Pixels pixels = Finish();
  for (int dx : {4, 36}) {
    EXPECT_TRUE(PixelNear(pixels, dx + 2, 10, kOpaqueWhite));   // the upright
    EXPECT_TRUE(PixelNear(pixels, dx + 18, 24, kOpaqueWhite));  // the foot
    EXPECT_TRUE(PixelNear(pixels, dx + 14, 12, kClear));        // the notch
  }
  EXPECT_NEAR(pixels.CoveredArea(), 2.0 * (8 * 12 + 20 * 8), 0.5);
}

TEST_F(GLCanvasTest, ScissorOnPixelEdgesClipsExactly) {
  CanvasScissor(canvas_, 16, 20, 24, 12);
  FillRect(0, 0, 64, 64, kWhite);
  EXPECT_TRUE(OnlyRectIs(Finish(), 16, 20, 40, 32, kOpaqueWhite));
}

TEST_F(GLCanvasTest, QuarterAlphaGivesAlpha64) {
  FillRect(0, 0, 64, 64, CanvasColour{1, 1, 1, 0.25f});
  EXPECT_TRUE(PixelNear(Finish(), 32, 32, Rgba{64, 64, 64, 64}));
}

struct CompositeCase {
  const char* name;
  int32_t src, dst;
  Rgba expected;  // blue drawn over opaque red
};

class CompositeFactors : public GLCanvasTest, public ::testing::WithParamInterface<CompositeCase> {};

TEST_P(CompositeFactors, OpaqueBlueOverOpaqueRed) {
  FillRect(0, 0, 64, 64, kRed);
  CanvasCompositeFactors(canvas_, GetParam().src, GetParam().dst);
  FillRect(16, 16, 32, 32, kBlue);
  const Pixels pixels = Finish();
  EXPECT_TRUE(PixelNear(pixels, 32, 32, GetParam().expected));
  EXPECT_TRUE(PixelNear(pixels, 4, 4, Rgba{255, 0, 0, 255}));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, CompositeFactors,
    ::testing::Values(CompositeCase{"SourceOver", kBlendOne, kBlendOneMinusSrcAlpha, {0, 0, 255, 255}},
                      CompositeCase{"SourceIn", kBlendDstAlpha, kBlendZero, {0, 0, 255, 255}},
                      CompositeCase{"DestinationOver", kBlendOneMinusDstAlpha, kBlendOne, {255, 0, 0, 255}},
                      CompositeCase{"DestinationOut", kBlendZero, kBlendOneMinusSrcAlpha, {0, 0, 0, 0}},
                      CompositeCase{"Lighter", kBlendOne, kBlendOne, {255, 0, 255, 255}},
                      // not one factor of the table: drawn as source-over
                      CompositeCase{"Invalid", kBlendZero | kBlendOne, kBlendOne, {0, 0, 255, 255}}),
    [](const ::testing::TestParamInfo<CompositeCase>& info) { return std::string(info.param.name); });

TEST_F(GLCanvasTest, StrokesOnPixelRowsCoverWholeRows) {
  CanvasStrokeColour(canvas_, kWhite);
  CanvasStrokeWidth(canvas_, 2.0f);
  CanvasMoveTo(canvas_, 8, 20);  // two pixels wide, centred on a pixel edge
  CanvasLineTo(canvas_, 56, 20);
  CanvasStroke(canvas_);
  CanvasBeginPath(canvas_);
  CanvasStrokeWidth(canvas_, 1.0f);
  CanvasMoveTo(canvas_, 8, 40.5f);  // one pixel wide, centred on a pixel centre
  CanvasLineTo(canvas_, 56, 40.5f);
  CanvasStroke(canvas_);
  const Pixels pixels = Finish();
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const bool on = x >= 8 && x < 56 && (y == 19 || y == 20 || y == 40);
      ASSERT_TRUE(PixelNear(pixels, x, y, on ? kOpaqueWhite : kClear));
    }
  }
}

TEST_F(GLCanvasTest, SquareCapsReachHalfTheWidthPastTheEnds) {
  CanvasStrokeColour(canvas_, kWhite);
  CanvasStrokeWidth(canvas_, 4.0f);
  CanvasLineCap(canvas_, kLineSquare);
  CanvasMoveTo(canvas_, 10, 32);
  CanvasLineTo(canvas_, 50, 32);
  CanvasStroke(canvas_);
  EXPECT_TRUE(OnlyRectIs(Finish(), 8, 30, 52, 34, kOpaqueWhite));
}

TEST_F(GLCanvasTest, MiterJoinsFillTheOuterCornerAndBevelJoinsCutIt) {
  auto corner = [&](int32_t join) {
    RestartFrame();
    CanvasBeginPath(canvas_);
    CanvasRect(canvas_, 16, 16, 32, 32);
    CanvasStrokeColour(canvas_, kWhite);
    CanvasStrokeWidth(canvas_, 4.0f);
    CanvasLineJoin(canvas_, join);
    CanvasStroke(canvas_);
    const Pixels pixels = Finish();
    // The stroke's middle is always covered; only the outer corner pixel differs.
    EXPECT_TRUE(PixelNear(pixels, 30, 15, kOpaqueWhite));
    return pixels.Coverage(14, 14);
  };
  EXPECT_NEAR(corner(kLineMiter), 1.0f, 1.0f / 255.0f);
  EXPECT_LT(corner(kLineBevel), 0.1f);
}

TEST_F(GLCanvasTest, CircleFromArcsHasTheAreaOfACircle) {
  const float r = 19.5f;
  CanvasArc(canvas_, 32, 32, r, 0.0f, 6.2831855f, 2);
  CanvasClosePath(canvas_);
  CanvasFill(canvas_);
  const Pixels pixels = Finish();
  EXPECT_NEAR(pixels.CoveredArea(), 3.14159265 * r * r, 0.01 * 3.14159265 * r * r);
  EXPECT_TRUE(PixelNear(pixels, 32, 32, kOpaqueWhite));
  // Pixel centres straight above the centre lie 18.5, 19.5 and 21.5 from it.
  EXPECT_TRUE(PixelNear(pixels, 31, 13, kOpaqueWhite));
  EXPECT_NEAR(pixels.Coverage(31, 12), 0.5f, kEdgeTolerance);
  EXPECT_TRUE(PixelNear(pixels, 31, 10, kClear));
}

TEST_F(GLCanvasTest, LinearGradientFollowsTheRampBetweenItsEnds) {
  CanvasFillPaint(canvas_, CanvasLinearGradient(8, 0, 56, 0, CanvasColour{0, 0, 0, 1}, kWhite));
  CanvasRect(canvas_, 0, 0, 64, 64);
  CanvasFill(canvas_);
  const Pixels pixels = Finish();
  for (int x = 0; x < kSize; ++x) {
    const float t = std::fmin(std::fmax((x + 0.5f - 8.0f) / 48.0f, 0.0f), 1.0f);
    const int expected = static_cast<int>(std::lround(t * 255.0f));
    ASSERT_TRUE(PixelNear(pixels, x, 30, Rgba{expected, expected, expected, 255}, 2)) << "column " << x;
  }
}

TEST_F(GLCanvasTest, RadialGradientRunsFromInnerToOuterRadius) {
  // Inner colour up to radius 8, outer from radius 24, a linear ramp between.
  CanvasFillPaint(canvas_, CanvasRadialGradient(32, 32, 8, 24, kWhite, CanvasColour{0, 0, 0, 1}));
  CanvasRect(canvas_, 0, 0, 64, 64);
  CanvasFill(canvas_);
  const Pixels pixels = Finish();
  for (int x = 32; x < kSize; ++x) {
    const float radius = x + 0.5f - 32.0f;
    const float t = std::fmin(std::fmax((radius - 8.0f) / 16.0f, 0.0f), 1.0f);
    const int expected = static_cast<int>(std::lround((1.0f - t) * 255.0f));
    // Pixel centres are half a pixel off the horizontal through the centre.
    const float offAxis = std::hypot(radius, 0.5f) - radius;
    ASSERT_TRUE(PixelNear(pixels, x, 32, Rgba{expected, expected, expected, 255},
                          2 + static_cast<int>(std::ceil(offAxis / 16.0f * 255.0f))))
        << "column " << x;
  }
}

// A 2 x 2 image drawn nearest over 32 x 32 pixels: each texel a quadrant.
TEST_F(GLCanvasTest, ImagePatternMapsTheImageOntoItsRectangle) {
  const uint8_t texels[] = {255, 0, 0,   255, 0,   255, 0,   255,   // red, green
                            0,   0, 255, 255, 255, 255, 255, 255};  // blue, white
  const int32_t image = CanvasCreateImageRgba(canvas_, 2, 2, kImageNearest, texels);
  ASSERT_NE(image, 0);
  FillWithImage(image, 16, 16, 32, 32);
  const Pixels pixels = Finish();
  EXPECT_TRUE(PixelNear(pixels, 20, 20, Rgba{255, 0, 0, 255}));
  EXPECT_TRUE(PixelNear(pixels, 40, 20, Rgba{0, 255, 0, 255}));
  EXPECT_TRUE(PixelNear(pixels, 20, 40, Rgba{0, 0, 255, 255}));
  EXPECT_TRUE(PixelNear(pixels, 40, 40, kOpaqueWhite));
  EXPECT_TRUE(PixelNear(pixels, 10, 10, kClear));
  CanvasDeleteImage(canvas_, image);
}

struct ImageAlphaCase {
  const char* name;
  int32_t flags;
  uint8_t texel[4];
};

class ImageAlpha : public GLCanvasTest, public ::testing::WithParamInterface<ImageAlphaCase> {};

// Half-transparent red, stored straight or premultiplied, lands as premultiplied red.
TEST_P(ImageAlpha, ImagesComeOutPremultiplied) {
  const int32_t image = CanvasCreateImageRgba(canvas_, 1, 1, GetParam().flags, GetParam().texel);
  FillWithImage(image, 0, 0, 64, 64);
  EXPECT_TRUE(PixelNear(Finish(), 32, 32, Rgba{128, 0, 0, 128}));
}

INSTANTIATE_TEST_SUITE_P(
    Storage, ImageAlpha,
    ::testing::Values(ImageAlphaCase{"Straight", 0, {255, 0, 0, 128}},
                      ImageAlphaCase{"Premultiplied", kImagePremultiplied, {128, 0, 0, 128}}),
    [](const ::testing::TestParamInfo<ImageAlphaCase>& info) { return std::string(info.param.name); });

TEST_F(GLCanvasTest, LayerDrawnBackShowsUpright) {
  // Red in the top half of a layer; the layer's image drawn over the whole target.
  LayerFramebuffer* layer = CreateLayerFramebuffer(canvas_, 32, 32, 0);
  ASSERT_NE(layer, nullptr);
  BindAndClear(layer);
  CanvasBeginFrame(canvas_, 32, 32, 1.0f);
  FillRect(0, 0, 32, 16, kRed);
  CanvasEndFrame(canvas_);

  RestartFrame();
  FillWithImage(layer->image, 0, 0, 64, 64);
  const Pixels pixels = Finish();
  EXPECT_TRUE(PixelNear(pixels, 32, 8, Rgba{255, 0, 0, 255}));
  EXPECT_TRUE(PixelNear(pixels, 32, 56, kClear));
  DeleteLayerFramebuffer(layer);
}

// A 2 x 1 image as a binary PPM: red, then blue.
std::vector<uint8_t> TwoPixelPpm() {
  const std::string header = "P6\n2 1\n255\n";
  std::vector<uint8_t> bytes(header.begin(), header.end());
  for (uint8_t b : {255, 0, 0, 0, 0, 255}) bytes.push_back(b);
  return bytes;
}

TEST_F(GLCanvasTest, ImagesDecodeFromMemoryAndFilesToOpaqueRgba) {
  const std::vector<uint8_t> ppm = TwoPixelPpm();
  const int32_t fromMemory =
      CanvasCreateImageMem(canvas_, kImageNearest, ppm.data(), static_cast<int32_t>(ppm.size()));
  ASSERT_NE(fromMemory, 0);
  int width = 0, height = 0;
  ASSERT_EQ(CanvasImageSize(canvas_, fromMemory, &width, &height), 1);
  EXPECT_EQ(width, 2);
  EXPECT_EQ(height, 1);
  const std::string path = ::testing::TempDir() + "canvas_image_test.ppm";
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(ppm.data(), 1, ppm.size(), file);
  std::fclose(file);
  const int32_t fromFile = CanvasCreateImage(canvas_, path.c_str(), kImageNearest);
  std::remove(path.c_str());
  ASSERT_NE(fromFile, 0);

  for (int32_t image : {fromMemory, fromFile}) {
    RestartFrame();
    FillWithImage(image, 0, 0, 64, 64);
    const Pixels pixels = Finish();
    EXPECT_TRUE(PixelNear(pixels, 16, 32, Rgba{255, 0, 0, 255}));
    EXPECT_TRUE(PixelNear(pixels, 48, 32, Rgba{0, 0, 255, 255}));
  }
  const uint8_t notAnImage[] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(CanvasCreateImageMem(canvas_, 0, notAnImage, 8), 0);
  EXPECT_EQ(CanvasCreateImage(canvas_, "no such file.png", 0), 0);
}

TEST_F(GLCanvasTest, ImageWithoutTextureDrawsNothing) {
  const uint8_t texel[] = {255, 255, 255, 255};
  const int32_t image = CanvasCreateImageRgba(canvas_, 1, 1, 0, texel);
  CanvasDeleteImage(canvas_, image);
  FillWithImage(image, 0, 0, 64, 64);
  FillRect(0, 0, 8, 8, kWhite);  // later calls still draw
  EXPECT_TRUE(OnlyRectIs(Finish(), 0, 0, 8, 8, kOpaqueWhite));
}

TEST_F(GLCanvasTest, FillsWithoutAntiAliasingHaveHardEdges) {
  CanvasShapeAntiAlias(canvas_, 0);
  FillRect(10.25f, 8.0f, 20.0f, 40.0f, kWhite);  // left edge a quarter into column 10
  const Pixels pixels = Finish();
  EXPECT_TRUE(PixelNear(pixels, 10, 20, kOpaqueWhite));
  EXPECT_TRUE(PixelNear(pixels, 30, 20, kClear));
}

}  // namespace
}  // namespace plugfw::gfx::test
