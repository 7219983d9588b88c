// Bitmaps and layers through IGfxCanvas: decoding from memory, files and module resources,
// the instance cache, bitmaps drawn pixel for pixel at their scale, layer read-back and the
// layer shadow upright.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/graphics/renderer/gfx_canvas_fixture.h"

namespace plugfw::gfx::test {
namespace {

constexpr Rgba kRed{255, 0, 0, 255};

using GfxCanvasImageTest = GfxCanvasTest;

// A size x size image whose every pixel is its own colour; the last one half transparent.
std::vector<uint8_t> TilePixels(int size) {
  std::vector<uint8_t> rgba;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const bool last = x == size - 1 && y == size - 1;
      rgba.insert(rgba.end(),
                  {static_cast<uint8_t>(40 + 50 * x), static_cast<uint8_t>(30 + 60 * y),
                   static_cast<uint8_t>(200 - 20 * x - 10 * y), static_cast<uint8_t>(last ? 128 : 255)});
    }
  }
  return rgba;
}

// The pixel (x, y) of TilePixels as it stands in a premultiplied framebuffer.
Rgba TileAt(const std::vector<uint8_t>& rgba, int size, int x, int y) {
  const uint8_t* p = &rgba[static_cast<size_t>((y * size + x) * 4)];
  const auto premultiplied = [&](int c) { return static_cast<int>(std::lround(c * p[3] / 255.0)); };
  return Rgba{premultiplied(p[0]), premultiplied(p[1]), premultiplied(p[2]), p[3]};
}

TEST_F(GfxCanvasImageTest, ABitmapDrawsPixelForPixelAtItsPlace) {
  const std::vector<uint8_t> tile = TilePixels(4);
  const Bytes png = EncodePng(4, 4, tile);
  APIBitmap* bitmap =
      gfx_->LoadBitmapDataFromMemory("tile.png", png.data(), static_cast<int32_t>(png.size()), 1.f);
  ASSERT_NE(bitmap, nullptr);
  ASSERT_EQ(bitmap->Width(), 4);
  const BitmapRef ref(bitmap, 1, false, "tile.png");
  Frame([&](TestCanvasGfx& g) {
    g.DrawBitmap(ref, Rect(10, 10, 14, 14), 0, 0);
    // From the source offset on: the lower right quarter.
    g.DrawBitmap(ref, Rect(30, 10, 32, 12), 2, 2);
  });
  const Pixels window = ReadWindow();
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) ASSERT_TRUE(PixelNear(window, 10 + x, 10 + y, TileAt(tile, 4, x, y)));
  }
  EXPECT_TRUE(PixelNear(window, 30, 10, TileAt(tile, 4, 2, 2)));
  EXPECT_TRUE(PixelNear(window, 31, 11, TileAt(tile, 4, 3, 3)));
  EXPECT_TRUE(PixelNear(window, 32, 10, kClear));
}

TEST_F(GfxCanvasImageTest, ABitmapMadeForScaleTwoFillsItsUnitsOnADoubleScaleScreen) {
  Remake(1.f, 2.f);
  const std::vector<uint8_t> tile = TilePixels(8);
  const Bytes png = EncodePng(8, 8, tile);
  APIBitmap* bitmap =
      gfx_->LoadBitmapDataFromMemory("tile@2x.png", png.data(), static_cast<int32_t>(png.size()), 2.f);
  ASSERT_NE(bitmap, nullptr);
  const BitmapRef ref(bitmap, 1, false, "tile@2x.png");
  EXPECT_EQ(ref.width, 4);
  Frame([&](TestCanvasGfx& g) { g.DrawBitmap(ref, Rect(5, 5, 9, 9), 0, 0); });
  const Pixels window = ReadWindow();
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) ASSERT_TRUE(PixelNear(window, 10 + x, 10 + y, TileAt(tile, 8, x, y)));
  }
}

TEST_F(GfxCanvasImageTest, ABlendWeightFadesABitmap) {
  const std::vector<uint8_t> white(4 * 4 * 4, 255);
  const Bytes png = EncodePng(4, 4, white);
  APIBitmap* bitmap =
      gfx_->LoadBitmapDataFromMemory("white.png", png.data(), static_cast<int32_t>(png.size()), 1.f);
  const Blend half{kBlendDefault, 0.5f};
  Frame([&](TestCanvasGfx& g) {
    g.DrawBitmap(BitmapRef(bitmap, 1, false, ""), Rect(4, 4, 8, 8), 0, 0, &half);
  });
  EXPECT_TRUE(PixelNear(ReadWindow(), 5, 5, Rgba{128, 128, 128, 128}));
}

TEST_F(GfxCanvasImageTest, BitmapsFromMemoryAreCachedByNameAndScale) {
  const Bytes png = EncodePng(4, 4, TilePixels(4));
  const auto size = static_cast<int32_t>(png.size());
  APIBitmap* first = gfx_->LoadBitmapDataFromMemory("tile.png", png.data(), size, 1.f);
  EXPECT_EQ(gfx_->LoadBitmapDataFromMemory("tile.png", png.data(), size, 1.f), first);
  EXPECT_NE(gfx_->LoadBitmapDataFromMemory("tile.png", png.data(), size, 2.f), first);
  // Bytes that do not decode still make a bitmap, of no size, and it is not decoded again.
  const uint8_t garbage[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  APIBitmap* broken = gfx_->LoadBitmapDataFromMemory("broken.png", garbage, sizeof garbage, 1.f);
  ASSERT_NE(broken, nullptr);
  EXPECT_EQ(broken->Handle(), 0);
  EXPECT_EQ(broken->Width(), 0);
  EXPECT_EQ(gfx_->LoadBitmapDataFromMemory("broken.png", garbage, sizeof garbage, 1.f), broken);
}

TEST_F(GfxCanvasImageTest, BitmapsLoadFromFilesAndModuleResources) {
  const Bytes png = EncodePng(4, 2, TilePixels(4));
  const std::string path = ::testing::TempDir() + "gfx_canvas_tile.png";
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(png.data(), 1, png.size(), file);
  std::fclose(file);
  gfx_->resources["TILE_PNG"] = png;

  struct Source {
    const char* name;
    ResourceLocation location;
    int32_t width;
  };
  const Source sources[] = {
      {path.c_str(), ResourceLocation::kFile, 4},
      {"TILE_PNG", ResourceLocation::kModuleResource, 4},
      {"no-such-file.png", ResourceLocation::kFile, 0},
      {"NO_SUCH_RESOURCE", ResourceLocation::kModuleResource, 0},
      {"TILE_PNG", ResourceLocation::kNotFound, 0},
  };
  for (const Source& source : sources) {
    // The caller owns what LoadBitmapData returns.
    std::unique_ptr<APIBitmap> bitmap(gfx_->LoadBitmapData(source.name, 2.f, source.location, "png"));
    ASSERT_NE(bitmap, nullptr) << source.name;
    EXPECT_EQ(bitmap->Width(), source.width) << source.name;
    EXPECT_EQ(bitmap->Height(), source.width / 2) << source.name;
    EXPECT_EQ(bitmap->Scale(), 2.f);
  }
  std::remove(path.c_str());
}

// Writes the bytes to a file of the tests' temporary folder and removes it again.
class TempFile {
 public:
  TempFile(const std::string& name, const Bytes& bytes) : path_(::testing::TempDir() + name) {
    FILE* file = std::fopen(path_.c_str(), "wb");
    if (file != nullptr) {
      std::fwrite(bytes.data(), 1, bytes.size(), file);
      std::fclose(file);
    }
  }
  ~TempFile() { std::remove(path_.c_str()); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

TEST_F(GfxCanvasImageTest, ABitmapByNameIsTheBestScaleFoundDecodedOnce) {
  const TempFile one("knob_scaled.png", EncodePng(4, 4, TilePixels(4)));
  const TempFile two(std::string("knob_scaled@2x.png"), EncodePng(8, 8, TilePixels(8)));
  const std::string name = one.Path();
  // At scale 1 the plain file; at 2 its @2x variant, both 4 units wide.
  const BitmapRef atOne = gfx_->LoadBitmapScaled(name.c_str(), 1, false, 1);
  ASSERT_FALSE(atOne.Empty());
  EXPECT_EQ(atOne.bitmap->Width(), 4);
  EXPECT_EQ(atOne.width, 4);
  const BitmapRef atTwo = gfx_->LoadBitmapScaled(name.c_str(), 1, false, 2);
  ASSERT_FALSE(atTwo.Empty());
  EXPECT_EQ(atTwo.bitmap->Width(), 8);
  EXPECT_EQ(atTwo.width, 4);
  EXPECT_EQ(gfx_->LoadBitmapScaled(name.c_str(), 1, false, 2).bitmap, atTwo.bitmap);
  // Nothing for scale 3: the search falls to 2, and the bitmap found there is the one cached.
  EXPECT_EQ(gfx_->LoadBitmapScaled(name.c_str(), 1, false, 3).bitmap, atTwo.bitmap);
  EXPECT_EQ(gfx_->LoadBitmapScaled(name.c_str(), 1, false, 3).bitmap, atTwo.bitmap);
}

TEST_F(GfxCanvasImageTest, ABitmapByNameThatIsMissingOrOfAnotherTypeIsEmpty) {
  const TempFile gif("picture.gif", EncodePng(4, 4, TilePixels(4)));
  EXPECT_TRUE(gfx_->LoadBitmapScaled(gif.Path().c_str()).Empty());
  EXPECT_EQ(gfx_->LoadBitmapScaled(gif.Path().c_str()).bitmap, nullptr);
  EXPECT_EQ(gfx_->LoadBitmapScaled("nowhere.png").bitmap, nullptr);
}

TEST_F(GfxCanvasImageTest, ABitmapFromMemoryRedrawnForTheScreenIsMadeOnceAndOwned) {
  Remake(1.f, 2.f);
  const Bytes png = EncodePng(4, 4, TilePixels(4));
  const auto size = static_cast<int32_t>(png.size());
  const BitmapRef first = gfx_->LoadBitmapFromMemory("tile.png", png.data(), size);
  ASSERT_FALSE(first.Empty());
  // Redrawn for the display's scale 2: twice the pixels over the same units.
  EXPECT_EQ(first.bitmap->Scale(), 2.f);
  EXPECT_EQ(first.bitmap->Width(), 8);
  EXPECT_EQ(first.width, 4);
  EXPECT_EQ(gfx_->LoadBitmapFromMemory("tile.png", png.data(), size).bitmap, first.bitmap);
  // The renderer's teardown frees it (the sanitizer's leak check would see it otherwise).
}

TEST(GfxCanvasExtensionTest, PngAndJpegAreSupportedInAnyCaseWithinTheFirst31Characters) {
  GfxTestDelegate delegate(0);
  TestCanvasGfx g(delegate, 10, 10);
  struct Case {
    const char* extension;
    bool supported;
  };
  const Case cases[] = {{"png", true},
                        {"PNG", true},
                        {"Jpeg", true},
                        {"jpg", true},
                        {"jpg.bak", true},
                        {"gif", false},
                        {"", false},
                        {nullptr, false},
                        {"abcdefghijklmnopqrstuvwxyz01234png", false},
                        {"abcdefghijklmnopqrstuvwxyz0png", true}};
  for (const Case& c : cases) {
    EXPECT_EQ(g.BitmapExtSupported(c.extension), c.supported) << (c.extension ? c.extension : "null");
  }
}

TEST_F(GfxCanvasImageTest, ALayerReadsBackBottomRowFirst) {
  Frame([](TestCanvasGfx& g) {
    ASSERT_TRUE(g.StartLayer(nullptr, Rect(0, 0, kWidth, kHeight)));
    g.FillRect(ColourWhite, Rect(0, 0, kWidth, 8));
    LayerPtr layer = g.EndLayer();
    HeapBuffer pixels;
    g.GetLayerBitmapData(*layer, pixels);
    ASSERT_EQ(pixels.Size(), kWidth * kHeight * 4);
    const auto alphaAt = [&](int row) { return pixels.Data()[(row * kWidth + 5) * 4 + g.AlphaByteIndex()]; };
    EXPECT_TRUE(g.LayerPixelsFlipped());
    EXPECT_EQ(alphaAt(kHeight - 1), 255);  // the top row
    EXPECT_EQ(alphaAt(0), 0);
  });
}

TEST_F(GfxCanvasImageTest, ALayerWithoutABitmapReadsBackNothing) {
  Frame([](TestCanvasGfx& g) {
    EXPECT_FALSE(g.StartLayer(nullptr, Rect()));
    LayerPtr layer = g.EndLayer();
    ASSERT_NE(layer, nullptr);
    HeapBuffer pixels;
    pixels.Resize(16);
    g.GetLayerBitmapData(*layer, pixels);
    EXPECT_EQ(pixels.Size(), 0);
  });
}

struct ShadowCase {
  bool drawForeground;
};

class GfxCanvasShadowTest : public GfxCanvasTest, public ::testing::WithParamInterface<ShadowCase> {};

// A shape at the top of its layer casts its shadow below it, not at the mirrored place near
// the layer's bottom: the read-back mask is uploaded flipped.
TEST_P(GfxCanvasShadowTest, ALayersShadowFallsByItsOffsetUpright) {
  LayerShadow shadow;
  shadow.pattern = FillPattern(ColourRed);
  shadow.blurSize = 0.f;
  shadow.yOffset = 16.f;
  shadow.opacity = 1.f;
  shadow.drawForeground = GetParam().drawForeground;
  Frame([&](TestCanvasGfx& g) {
    ASSERT_TRUE(g.StartLayer(nullptr, Rect(0, 0, kWidth, kHeight)));
    g.FillRect(ColourWhite, Rect(8, 4, 24, 12));
    LayerPtr layer = g.EndLayer();
    g.ApplyLayerDropShadow(*layer, shadow);
    g.DrawBitmap(BitmapRef(layer->bitmap.get(), 1, false, ""), layer->bounds, 0, 0);
  });
  const Pixels window = ReadWindow();
  EXPECT_TRUE(PixelNear(window, 16, 24, kRed));
  EXPECT_TRUE(PixelNear(window, 16, 8, GetParam().drawForeground ? kOpaqueWhite : kClear));
  EXPECT_TRUE(PixelNear(window, 30, 24, kClear));
  EXPECT_TRUE(PixelNear(window, 16, 40, kClear));
}

INSTANTIATE_TEST_SUITE_P(Foreground, GfxCanvasShadowTest,
                         ::testing::Values(ShadowCase{true}, ShadowCase{false}));

}  // namespace
}  // namespace plugfw::gfx::test
