// The drop-shadow blur: its kernel, the edge rule on a byte buffer, pixels staying in place,
// and the shadow road through a layer of the recording back end.

#include "graphics/layer_blur.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "graphics/gfx.h"
#include "tests/graphics/support/gfx_test_support.h"

namespace plugfw::gfx {
namespace {

constexpr int32_t kAlpha = 3;

struct Image {
  Image(int32_t w, int32_t h, uint8_t alpha = 0)
      : width(w), height(h), bytes(static_cast<size_t>(w * h * 4), 0) {
    for (int32_t i = 0; i < w * h; ++i) bytes[i * 4 + kAlpha] = alpha;
  }
  uint8_t& Alpha(int32_t x, int32_t y) { return bytes[(y * width + x) * 4 + kAlpha]; }
  int32_t width, height;
  std::vector<uint8_t> bytes;
};

TEST(LayerBlurTest, TheKernelIsAGaussianInWholeNumbers) {
  // A blur of 2 pixels: d = 3, weights 255·exp(-i²/2) for i = 0, 1, 2.
  const BlurKernel kernel = MakeBlurKernel(2.f);
  EXPECT_EQ(kernel.weights, (std::vector<int32_t>{255, 155, 35}));
  EXPECT_EQ(kernel.norm, 635);

  const BlurKernel none = MakeBlurKernel(0.f);
  EXPECT_EQ(none.weights, std::vector<int32_t>{255});
  EXPECT_EQ(MakeBlurKernel(-10.f).weights.size(), 1u);
  EXPECT_EQ(MakeBlurKernel(std::nanf("")).weights.size(), 1u);
  EXPECT_EQ(MakeBlurKernel(1e9f).weights.size(), static_cast<size_t>(kMaxBlurPixels));  // capped
}

TEST(LayerBlurTest, EdgesFadeBecauseSamplesOutsideTheRowCountAsNothing) {
  Image image(10, 10, 255);
  BlurAlphaChannel(image.bytes.data(), image.width, image.height, kAlpha, 2.f);
  // Inside, the window sees only opaque samples: the value stays exactly 255.
  EXPECT_EQ(image.Alpha(5, 5), 255);
  // At an edge two of the five weights fall outside: 255 · 445 / 635.
  EXPECT_EQ(image.Alpha(0, 5), 178);
  EXPECT_EQ(image.Alpha(1, 5), 240);  // 255 · 600 / 635
  EXPECT_EQ(image.Alpha(9, 5), 178);
  // A corner fades both ways: 178 · 445 / 635.
  EXPECT_EQ(image.Alpha(0, 0), 124);
  EXPECT_EQ(image.Alpha(9, 9), 124);
}

TEST(LayerBlurTest, AOnePixelSpotStaysWhereItWasAndSpreadsEvenly) {
  Image image(12, 12);
  image.Alpha(2, 7) = 255;
  BlurAlphaChannel(image.bytes.data(), image.width, image.height, kAlpha, 2.f);
  EXPECT_EQ(image.Alpha(2, 7), 40);  // 255 · 255 / 635 across, then again down
  EXPECT_EQ(image.Alpha(1, 7), image.Alpha(3, 7));
  EXPECT_EQ(image.Alpha(2, 6), image.Alpha(2, 8));
  EXPECT_EQ(image.Alpha(3, 7), 24);
  EXPECT_EQ(image.Alpha(2, 10), 0);  // beyond the kernel's reach
  // Nothing appears mirrored or transposed.
  EXPECT_EQ(image.Alpha(7, 2), 0);
  EXPECT_EQ(image.Alpha(9, 4), 0);
  int32_t brightest = 0;
  for (int32_t y = 0; y < 12; ++y) {
    for (int32_t x = 0; x < 12; ++x) brightest = std::max<int32_t>(brightest, image.Alpha(x, y));
  }
  EXPECT_EQ(brightest, image.Alpha(2, 7));
}

TEST(LayerBlurTest, OnlyTheAlphaByteChanges) {
  Image image(4, 4);
  for (size_t i = 0; i < image.bytes.size(); ++i) {
    if (i % 4 != kAlpha) image.bytes[i] = static_cast<uint8_t>(i);
  }
  image.Alpha(1, 1) = 200;
  BlurAlphaChannel(image.bytes.data(), 4, 4, kAlpha, 3.f);
  for (size_t i = 0; i < image.bytes.size(); ++i) {
    if (i % 4 != kAlpha) {
      EXPECT_EQ(image.bytes[i], static_cast<uint8_t>(i)) << i;
    }
  }
  BlurAlphaChannel(nullptr, 4, 4, kAlpha, 3.f);  // refused quietly
  BlurAlphaChannel(image.bytes.data(), 4, 4, 4, 3.f);
}

TEST(LayerBlurTest, AShadowReadsTheLayerBlursItsAlphaAndHandsTheMaskOn) {
  test::GfxTestDelegate delegate(1);
  test::RecordingGfx gfx(delegate);
  ASSERT_TRUE(gfx.StartLayer(nullptr, Rect(0, 0, 12, 12)));
  LayerPtr layer = gfx.EndLayer();
  ASSERT_NE(layer, nullptr);
  auto& bitmap = static_cast<test::RecordingBitmap&>(*layer->bitmap);
  bitmap.pixels[(7 * 12 + 2) * 4 + kAlpha] = 255;
  LayerShadow shadow;
  shadow.blurSize = 2.f;
  gfx.log.Clear();
  gfx.ApplyLayerDropShadow(*layer, shadow);
  EXPECT_EQ(gfx.log.Texts(),
            (std::vector<std::string>{"GetLayerBitmapData", "ApplyShadowMask 576 bytes blur 2"}));
  ASSERT_EQ(gfx.lastShadowMask.size(), 576u);
  EXPECT_EQ(gfx.lastShadowMask[(7 * 12 + 2) * 4 + kAlpha], 40);
  EXPECT_EQ(gfx.lastShadowMask[(7 * 12 + 3) * 4 + kAlpha], 24);
}

}  // namespace
}  // namespace plugfw::gfx
