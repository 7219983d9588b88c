#pragma once
// A glyph cache of the canvas's size with Roboto-Regular loaded as font 0 at 14 px, and
// helpers that read its atlas. For the glyph cache and layout tests.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "graphics/renderer/glyph_cache.h"
#include "tests/graphics/platform/font_fixtures.h"

namespace plugfw::gfx::test {

// Roboto's hhea: ascent 1900, descent -500, no line gap; sizes are in ascent - descent.
constexpr float kAscenderShare = 1900.0f / 2400.0f;

inline int16_t Tenths(float pixels) { return static_cast<int16_t>(pixels * 10.0f); }

class GlyphCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    roboto = test::ReadRobotoFile("Roboto-Regular.ttf");
    ASSERT_FALSE(roboto.empty()) << "the Roboto font package is missing";
    cache = GlyphCacheCreate({kGlyphAtlasFirstSize, kGlyphAtlasFirstSize, kGlyphCacheOriginTopLeft});
    ASSERT_NE(cache, nullptr);
    font = GlyphCacheAddFont(cache, "Roboto-Regular", roboto.data(), Size(roboto), 0, false);
    ASSERT_EQ(font, 0);
    GlyphCacheSetSize(cache, 14.0f);
  }
  void TearDown() override { GlyphCacheDelete(cache); }

  static int32_t Size(const Bytes& bytes) { return static_cast<int32_t>(bytes.size()); }
  uint8_t Texel(int32_t x, int32_t y) const { return cache->textureData[x + y * cache->params.width]; }

  // The w x h bytes of the atlas at (x, y).
  std::vector<uint8_t> AtlasBlock(int32_t x, int32_t y, int32_t w, int32_t h) const {
    std::vector<uint8_t> block;
    for (int32_t row = 0; row < h; ++row)
      for (int32_t col = 0; col < w; ++col) block.push_back(Texel(x + col, y + row));
    return block;
  }

  bool RingIsClear(const Glyph& g) const {
    for (int32_t x = g.x0; x < g.x1; ++x)
      if (Texel(x, g.y0) || Texel(x, g.y1 - 1)) return false;
    for (int32_t y = g.y0; y < g.y1; ++y)
      if (Texel(g.x0, y) || Texel(g.x1 - 1, y)) return false;
    return true;
  }

  float Advance(const char* text) { return GlyphCacheTextBounds(cache, 0, 0, text, nullptr, nullptr); }

  Bytes roboto;
  GlyphCache* cache = nullptr;
  int32_t font = -1;
};

}  // namespace plugfw::gfx::test
