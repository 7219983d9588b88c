#include "graphics/renderer/glyph_cache.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "tests/graphics/case_names.h"
#include "tests/graphics/renderer/glyph_cache_fixture.h"
#include "tests/graphics/renderer/stb_reference.h"

namespace plugfw::gfx {
namespace {

using test::Bytes;
using test::GlyphCacheTest;
using test::Tenths;

TEST_F(GlyphCacheTest, WhiteBlockSitsAtTheTopLeftAfterCreationAndAfterEachReset) {
  auto expectOnlyWhiteBlock = [&](int32_t size) {
    ASSERT_EQ(cache->params.width, size);
    EXPECT_EQ(AtlasBlock(0, 0, 2, 2), std::vector<uint8_t>(4, 255));
    int32_t dirty[4];
    ASSERT_TRUE(GlyphCacheDirtyRect(cache, dirty));
    EXPECT_EQ(std::vector<int32_t>(dirty, dirty + 4), (std::vector<int32_t>{0, 0, 2, 2}));
    int32_t lit = 0;
    for (int32_t i = 0; i < size * size; ++i) lit += cache->textureData[i] != 0;
    EXPECT_EQ(lit, 4);
  };
  expectOnlyWhiteBlock(512);
  ASSERT_NE(GlyphCacheGetGlyph(cache, font, 'A', 200, 0, kGlyphBitmapRequired), nullptr);
  ASSERT_EQ(GlyphCacheResetAtlas(cache, 1024, 1024), 1);
  expectOnlyWhiteBlock(1024);
  EXPECT_FLOAT_EQ(cache->inverseWidth, 1.0f / 1024.0f);

  // Glyphs made before the reset are made again, into the new atlas.
  Glyph* again = GlyphCacheGetGlyph(cache, font, 'A', 200, 0, kGlyphBitmapRequired);
  ASSERT_NE(again, nullptr);
  EXPECT_GE(again->x0, 0);
  test::ReferenceGlyph reference = test::ReferenceGlyphOf(roboto, 'A', 20.0f);
  EXPECT_EQ(
      AtlasBlock(again->x0 + 2, again->y0 + 2, reference.x1 - reference.x0, reference.y1 - reference.y0),
      reference.bitmap);
}

TEST_F(GlyphCacheTest, ResetAtlasRefusesUnusableSizesAndKeepsItsGlyphs) {
  Glyph* glyph = GlyphCacheGetGlyph(cache, font, 'B', 140, 0, kGlyphBitmapRequired);
  ASSERT_NE(glyph, nullptr);
  int16_t x0 = glyph->x0;
  EXPECT_EQ(GlyphCacheResetAtlas(cache, 0, 512), 0);
  EXPECT_EQ(GlyphCacheResetAtlas(cache, 512, 40000), 0);
  EXPECT_EQ(cache->params.width, 512);
  EXPECT_EQ(GlyphCacheGetGlyph(cache, font, 'B', 140, 0, kGlyphBitmapRequired)->x0, x0);
}

struct BitmapCase {
  uint32_t codePoint;
  float pixels;
};

class GlyphBitmaps : public GlyphCacheTest, public ::testing::WithParamInterface<BitmapCase> {};

// The atlas holds stb_truetype's own rendering, byte for byte, inside a cleared padding.
TEST_P(GlyphBitmaps, AtlasBytesEqualStbTruetypesBitmap) {
  const BitmapCase& c = GetParam();
  Glyph* glyph = GlyphCacheGetGlyph(cache, font, c.codePoint, Tenths(c.pixels), 0, kGlyphBitmapRequired);
  ASSERT_NE(glyph, nullptr);
  test::ReferenceGlyph reference = test::ReferenceGlyphOf(roboto, c.codePoint, c.pixels);
  int32_t w = reference.x1 - reference.x0, h = reference.y1 - reference.y0;
  ASSERT_GT(w * h, 0);
  EXPECT_EQ(glyph->x1 - glyph->x0, w + 4);  // padding 2 on each side without blur
  EXPECT_EQ(glyph->y1 - glyph->y0, h + 4);
  EXPECT_EQ(glyph->xOffset, reference.x0 - 2);
  EXPECT_EQ(glyph->yOffset, reference.y0 - 2);
  EXPECT_EQ(glyph->index, reference.index);
  EXPECT_EQ(AtlasBlock(glyph->x0 + 2, glyph->y0 + 2, w, h), reference.bitmap);
  EXPECT_TRUE(RingIsClear(*glyph));
  int32_t dirty[4];
  ASSERT_TRUE(GlyphCacheDirtyRect(cache, dirty));
  EXPECT_LE(dirty[0], glyph->x0);
  EXPECT_GE(dirty[2], glyph->x1);
  EXPECT_GE(dirty[3], glyph->y1);
}

INSTANTIATE_TEST_SUITE_P(Glyphs, GlyphBitmaps,
                         ::testing::Values(BitmapCase{'g', 14.0f}, BitmapCase{'A', 24.0f},
                                           BitmapCase{'@', 36.0f}, BitmapCase{0xE9, 18.5f},
                                           BitmapCase{0x20AC, 10.0f}));

// A glyph whose outline needs more working memory than the scratch area holds (a grid of
// 1,600 squares, wider than 64 pixels) must still come out whole: stb_truetype's rasteriser
// does not check its scanline allocation and would crash on a null one.
TEST_F(GlyphCacheTest, GlyphsBeyondTheScratchAreaAreStillRasterised) {
  Bytes grid = test::BuildGridFont(40);
  int32_t gridFont =
      GlyphCacheAddFont(cache, "grid", grid.data(), static_cast<int32_t>(grid.size()), 0, false);
  ASSERT_GE(gridFont, 0);
  Glyph* glyph = GlyphCacheGetGlyph(cache, gridFont, 'A', Tenths(150.0f), 0, kGlyphBitmapRequired);
  ASSERT_NE(glyph, nullptr);
  EXPECT_NE(cache->overflowBlocks, nullptr) << "the outline no longer exceeds the scratch area";
  test::ReferenceGlyph reference = test::ReferenceGlyphOf(grid, 'A', 150.0f);
  ASSERT_GT(reference.x1 - reference.x0, 64);
  EXPECT_EQ(
      AtlasBlock(glyph->x0 + 2, glyph->y0 + 2, reference.x1 - reference.x0, reference.y1 - reference.y0),
      reference.bitmap);
  // The next glyph starts from an empty scratch area again.
  ASSERT_NE(GlyphCacheGetGlyph(cache, font, 'A', 140, 0, kGlyphBitmapRequired), nullptr);
  EXPECT_EQ(cache->overflowBlocks, nullptr);
}

TEST_F(GlyphCacheTest, BlurIsCappedAtTwentyAndPadsByItsAmount) {
  Glyph* glyph = GlyphCacheGetGlyph(cache, font, 'O', 240, 30, kGlyphBitmapRequired);
  ASSERT_NE(glyph, nullptr);
  EXPECT_EQ(glyph->blur, 20);
  test::ReferenceGlyph reference = test::ReferenceGlyphOf(roboto, 'O', 24.0f);
  EXPECT_EQ(glyph->x1 - glyph->x0, reference.x1 - reference.x0 + 44);  // padding 22
  EXPECT_EQ(glyph->xOffset, reference.x0 - 22);
  EXPECT_TRUE(RingIsClear(*glyph));
  // The blur spreads ink into the padding, and the same request finds the same glyph.
  EXPECT_GT(Texel(glyph->x0 + 21, (glyph->y0 + glyph->y1) / 2), 0);
  EXPECT_EQ(GlyphCacheGetGlyph(cache, font, 'O', 240, 20, kGlyphBitmapRequired), glyph);
  Glyph* sharp = GlyphCacheGetGlyph(cache, font, 'O', 240, 0, kGlyphBitmapRequired);
  EXPECT_NE(sharp, glyph);
  EXPECT_EQ(GlyphCacheGetGlyph(cache, font, 'O', 240, -3, kGlyphBitmapRequired), sharp);
}

TEST_F(GlyphCacheTest, MetricsFirstThenDrawingRasterisesTheSameRecord) {
  Glyph* metrics = GlyphCacheGetGlyph(cache, font, 'k', 160, 0, kGlyphBitmapOptional);
  ASSERT_NE(metrics, nullptr);
  EXPECT_EQ(metrics->x0, -1);
  EXPECT_EQ(metrics->y0, -1);
  int32_t dirty[4];
  GlyphCacheFlushDirty(cache);
  EXPECT_FALSE(GlyphCacheDirtyRect(cache, dirty));
  Glyph* drawn = GlyphCacheGetGlyph(cache, font, 'k', 160, 0, kGlyphBitmapRequired);
  EXPECT_EQ(drawn, metrics);
  EXPECT_GE(drawn->x0, 0);
  EXPECT_TRUE(GlyphCacheDirtyRect(cache, dirty));
  EXPECT_EQ(GlyphCacheGetGlyph(cache, font, 'k', 160, 0, kGlyphBitmapOptional), drawn);
}

TEST_F(GlyphCacheTest, TooSmallSizesMakeNoGlyph) {
  EXPECT_EQ(GlyphCacheGetGlyph(cache, font, 'A', 1, 0, kGlyphBitmapRequired), nullptr);  // 0.1 px
  EXPECT_EQ(GlyphCacheGetGlyph(cache, font, 'A', 0, 0, kGlyphBitmapOptional), nullptr);
  EXPECT_EQ(GlyphCacheGetGlyph(cache, font, 'A', -40, 0, kGlyphBitmapOptional), nullptr);
  EXPECT_NE(GlyphCacheGetGlyph(cache, font, 'A', 2, 0, kGlyphBitmapOptional), nullptr);
  EXPECT_EQ(GlyphCacheGetGlyph(cache, 7, 'A', 140, 0, kGlyphBitmapOptional), nullptr);  // no such font
}

TEST_F(GlyphCacheTest, AFullAtlasIsReportedAndOnlyThen) {
  GlyphCache* small = GlyphCacheCreate({64, 64, kGlyphCacheOriginTopLeft});
  ASSERT_NE(small, nullptr);
  int32_t f = GlyphCacheAddFont(small, "Roboto", roboto.data(), Size(roboto), 0, false);
  bool full = false;
  int32_t made = 0;
  for (uint32_t c = 'A'; c <= 'Z' && !full; ++c) {
    if (GlyphCacheGetGlyph(small, f, c, 300, 0, kGlyphBitmapRequired, &full)) ++made;
  }
  EXPECT_TRUE(full);
  EXPECT_GT(made, 1);
  // Metrics never need the atlas.
  EXPECT_NE(GlyphCacheGetGlyph(small, f, 'Z', 300, 0, kGlyphBitmapOptional, &full), nullptr);
  EXPECT_FALSE(full);
  // A size too small is no glyph, but not a full atlas.
  EXPECT_EQ(GlyphCacheGetGlyph(small, f, 'Z', 1, 0, kGlyphBitmapRequired, &full), nullptr);
  EXPECT_FALSE(full);
  // After growing, the glyph that did not fit is made.
  ASSERT_EQ(GlyphCacheResetAtlas(small, 128, 128), 1);
  EXPECT_NE(GlyphCacheGetGlyph(small, f, 'Z', 300, 0, kGlyphBitmapRequired, &full), nullptr);
  GlyphCacheDelete(small);
}

// Growing could never make room for a glyph larger than the largest atlas, so such a glyph
// must not read as "atlas full" (which would make the canvas grow its texture for nothing).
TEST_F(GlyphCacheTest, AGlyphLargerThanAnyAtlasIsNoGlyphButStillMeasures) {
  bool full = true;
  EXPECT_EQ(GlyphCacheGetGlyph(cache, font, 'W', Tenths(3200.0f), 0, kGlyphBitmapRequired, &full), nullptr);
  EXPECT_FALSE(full);
  // One that fits the largest atlas but not this one does read as full.
  EXPECT_EQ(GlyphCacheGetGlyph(cache, font, 'W', Tenths(1200.0f), 0, kGlyphBitmapRequired, &full), nullptr);
  EXPECT_TRUE(full);
  Glyph* metrics = GlyphCacheGetGlyph(cache, font, 'W', Tenths(3200.0f), 0, kGlyphBitmapOptional, &full);
  ASSERT_NE(metrics, nullptr);
  EXPECT_GT(metrics->advance, 0);
}

TEST_F(GlyphCacheTest, ScratchAreaRoundsToSixteenAndRefusesPastItsEnd) {
  EXPECT_NE(GlyphCacheScratchAlloc(95985, cache), nullptr);  // rounded to 96,000
  EXPECT_EQ(cache->scratchFill, 96000);
  EXPECT_EQ(GlyphCacheScratchAlloc(1, cache), nullptr);
  ASSERT_NE(GlyphCacheGetGlyph(cache, font, 'Q', 200, 0, kGlyphBitmapRequired), nullptr);  // resets the fill
  uint8_t* a = static_cast<uint8_t*>(GlyphCacheScratchAlloc(1, cache));
  uint8_t* b = static_cast<uint8_t*>(GlyphCacheScratchAlloc(1, cache));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(b - a, 16);
  EXPECT_EQ(GlyphCacheScratchAlloc(std::numeric_limits<size_t>::max(), cache), nullptr);
}

TEST_F(GlyphCacheTest, FontNamesKeepSixtyThreeCharactersAndAreFoundExactly) {
  std::string name63(63, 'n'), name64 = std::string(63, 'm') + "X";
  int32_t a = GlyphCacheAddFont(cache, name63.c_str(), roboto.data(), Size(roboto), 0, false);
  int32_t b = GlyphCacheAddFont(cache, name64.c_str(), roboto.data(), Size(roboto), 0, false);
  ASSERT_EQ(a, 1);
  ASSERT_EQ(b, 2);
  EXPECT_EQ(GlyphCacheFindFont(cache, name63.c_str()), a);
  EXPECT_EQ(GlyphCacheFindFont(cache, std::string(63, 'm').c_str()), b);
  EXPECT_EQ(GlyphCacheFindFont(cache, name64.c_str()), -1);
  EXPECT_EQ(GlyphCacheFindFont(cache, "Roboto"), -1);
  EXPECT_EQ(GlyphCacheFindFont(cache, "Roboto-Regular"), 0);
  // The list grows past its first four entries.
  for (int32_t i = 3; i < 9; ++i)
    EXPECT_EQ(GlyphCacheAddFont(cache, "more", roboto.data(), Size(roboto), 0, false), i);
}

struct RefusedFontCase {
  const char* what;
  Bytes (*make)(const Bytes& roboto);
  int32_t face;
};

class RefusedGlyphFonts : public GlyphCacheTest, public ::testing::WithParamInterface<RefusedFontCase> {};

// Owned bytes are freed on refusal too; LeakSanitizer checks that in the native run.
TEST_P(RefusedGlyphFonts, AreNotAddedAndFreeOwnedBytes) {
  Bytes bytes = GetParam().make(roboto);
  auto* owned = static_cast<uint8_t*>(std::malloc(bytes.size() + 1));
  std::memcpy(owned, bytes.data(), bytes.size());
  EXPECT_EQ(GlyphCacheAddFont(cache, "refused", owned, Size(bytes), GetParam().face, true), -1);
  EXPECT_EQ(GlyphCacheFindFont(cache, "refused"), -1);
  EXPECT_EQ(cache->fontCount, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, RefusedGlyphFonts,
    ::testing::Values(
        RefusedFontCase{"garbage", [](const Bytes&) { return Bytes(4096, 0x5A); }, 0},
        RefusedFontCase{"truncated", [](const Bytes& r) { return Bytes(r.begin(), r.begin() + 3000); }, 0},
        RefusedFontCase{"second face of a single font", [](const Bytes& r) { return r; }, 1},
        RefusedFontCase{"names only", [](const Bytes&) { return test::BuildFont(test::NamedFace("A", "B")); },
                        0},
        RefusedFontCase{"face beyond a collection",
                        [](const Bytes& r) { return test::WrapInCollection(r, 2); }, 2}),
    test::CaseName{});

TEST_F(GlyphCacheTest, CollectionFacesAreReadAtTheirOffset) {
  Bytes ttc = test::WrapInCollection(roboto, 2);
  int32_t second = GlyphCacheAddFont(cache, "face 1", ttc.data(), Size(ttc), 1, false);
  ASSERT_EQ(second, 1);
  Glyph* glyph = GlyphCacheGetGlyph(cache, second, 'R', 180, 0, kGlyphBitmapRequired);
  ASSERT_NE(glyph, nullptr);
  test::ReferenceGlyph reference = test::ReferenceGlyphOf(roboto, 'R', 18.0f);
  EXPECT_EQ(
      AtlasBlock(glyph->x0 + 2, glyph->y0 + 2, reference.x1 - reference.x0, reference.y1 - reference.y0),
      reference.bitmap);
}

TEST_F(GlyphCacheTest, CreationRefusesUnusableParams) {
  EXPECT_EQ(GlyphCacheCreate({0, 512, kGlyphCacheOriginTopLeft}), nullptr);
  EXPECT_EQ(GlyphCacheCreate({512, 40000, kGlyphCacheOriginTopLeft}), nullptr);
  EXPECT_EQ(GlyphCacheCreate({512, 512, 0}), nullptr);  // only y-down layout exists
  GlyphCacheDelete(nullptr);
}

}  // namespace
}  // namespace plugfw::gfx
