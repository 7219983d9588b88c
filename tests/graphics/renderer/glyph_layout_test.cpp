#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "graphics/renderer/glyph_cache.h"
#include "tests/graphics/renderer/glyph_cache_fixture.h"
#include "tests/graphics/renderer/stb_reference.h"

namespace plugfw::gfx {
namespace {

using test::GlyphCacheTest;
using test::kAscenderShare;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

std::vector<GlyphQuad> Quads(GlyphCache* cache, const char* text, float x, float y, int32_t option,
                             std::vector<int32_t>* prevIndexes = nullptr) {
  std::vector<GlyphQuad> quads;
  GlyphTextIter iter;
  if (!GlyphCacheTextIterInit(cache, &iter, x, y, text, nullptr, option)) return quads;
  GlyphQuad q;
  while (GlyphCacheTextIterNext(cache, &iter, &q)) {
    quads.push_back(q);
    if (prevIndexes) prevIndexes->push_back(iter.prevGlyphIndex);
  }
  return quads;
}

// The ink of a run from stb_truetype alone: each glyph's bitmap box at a pen that moves by
// whole-pixel advances and kerning; the cache's quads keep one pixel of padding around it.
TEST_F(GlyphCacheTest, TextBoundsAgreeWithStbMetricsAt14Pixels) {
  const std::string text = "Halcyra, 14 px";
  float bounds[4];
  float advance = GlyphCacheTextBounds(cache, 10.0f, 50.0f, text.c_str(), nullptr, bounds);
  float pen = 10.0f, minX = 1e9f, minY = 1e9f, maxX = -1e9f, maxY = -1e9f, exactPen = 10.0f;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i > 0) {
      float kerning = test::ReferenceKerning(roboto, static_cast<uint8_t>(text[i - 1]),
                                             static_cast<uint8_t>(text[i]), 14.0f);
      pen += std::round(kerning);
      exactPen += kerning;
    }
    test::ReferenceGlyph g = test::ReferenceGlyphOf(roboto, static_cast<uint8_t>(text[i]), 14.0f);
    if (g.x1 > g.x0) {
      minX = std::min(minX, pen + static_cast<float>(g.x0));
      maxX = std::max(maxX, pen + static_cast<float>(g.x1));
      minY = std::min(minY, 50.0f + static_cast<float>(g.y0));
      maxY = std::max(maxY, 50.0f + static_cast<float>(g.y1));
    }
    pen += std::round(g.advance);
    exactPen += g.advance;
  }
  EXPECT_NEAR(bounds[0], minX - 1.0f, 1.0f);
  EXPECT_NEAR(bounds[1], minY - 1.0f, 1.0f);
  EXPECT_NEAR(bounds[2], maxX + 1.0f, 1.0f);
  EXPECT_NEAR(bounds[3], maxY + 1.0f, 1.0f);
  EXPECT_NEAR(advance, pen - 10.0f, 1.0f);
  // Whole-pixel steps stay within half a pixel per glyph of stb's exact advances.
  EXPECT_NEAR(advance, exactPen - 10.0f, 0.5f * static_cast<float>(text.size()));
}

TEST_F(GlyphCacheTest, KerningMovesThePen) {
  GlyphCacheSetSize(cache, 48.0f);
  float kerning = test::ReferenceKerning(roboto, 'A', 'V', 48.0f);
  ASSERT_LT(kerning, -1.5f) << "Roboto kerns A and V";
  float pair = Advance("AV"), apart = Advance("A") + Advance("V");
  EXPECT_LT(pair, apart);
  EXPECT_NEAR(pair - apart, kerning, 1.0f);
  std::vector<GlyphQuad> kerned = Quads(cache, "AV", 0, 0, kGlyphBitmapRequired);
  std::vector<GlyphQuad> alone = Quads(cache, "V", Advance("A"), 0, kGlyphBitmapRequired);
  ASSERT_EQ(kerned.size(), 2u);
  ASSERT_EQ(alone.size(), 1u);
  EXPECT_NEAR(kerned[1].x0 - alone[0].x0, kerning, 1.0f);
  // Letter spacing adds to every pair.
  float plain = Advance("HH");
  GlyphCacheSetSpacing(cache, 3.0f);
  EXPECT_FLOAT_EQ(Advance("HH"), plain + 3.0f);
}

// At 14 px the pair kerns by less than a pixel (about -0.8): rounded, that is still a
// whole pixel closer, not nothing.
TEST_F(GlyphCacheTest, SubPixelKerningStillRoundsToAWholePixel) {
  float kerning = test::ReferenceKerning(roboto, 'A', 'V', 14.0f);
  ASSERT_LT(kerning, -0.5f);
  ASSERT_GT(kerning, -1.0f);
  EXPECT_FLOAT_EQ(Advance("AV") - (Advance("A") + Advance("V")), -1.0f);
}

TEST_F(GlyphCacheTest, QuadsTrimOneTexelAndUseFloorForPensLeftOfTheOrigin) {
  Glyph* glyph = GlyphCacheGetGlyph(cache, font, 'l', 140, 0, kGlyphBitmapRequired);
  ASSERT_NE(glyph, nullptr);
  auto quadAt = [&](float penX) {
    GlyphQuad q;
    float x = penX, y = 0;
    GlyphCacheGlyphQuad(cache, font, -1, glyph, 0, 0, &x, &y, &q);
    return q;
  };
  GlyphQuad right = quadAt(0.5f), left = quadAt(-0.5f);
  EXPECT_FLOAT_EQ(right.x0 - left.x0, 1.0f);
  EXPECT_FLOAT_EQ(right.x1 - right.x0, static_cast<float>(glyph->x1 - glyph->x0 - 2));
  EXPECT_FLOAT_EQ(right.s0, static_cast<float>(glyph->x0 + 1) / 512.0f);
  EXPECT_FLOAT_EQ(right.t1, static_cast<float>(glyph->y1 - 1) / 512.0f);
}

struct AlignCase {
  int32_t align;
  float lineTop;  // where the line box starts for y = 100 at 14 px
};

class VerticalAlignment : public GlyphCacheTest, public ::testing::WithParamInterface<AlignCase> {};

// At 14 px Roboto's ascent is 14 x 1900 / 2400 px: top puts the line at y, bottom ends the
// descent at y, middle centres the ascent-descent box on y.
TEST_P(VerticalAlignment, PlacesTheLineBox) {
  GlyphCacheSetAlign(cache, kGlyphAlignLeft | GetParam().align);
  float minY = 0, maxY = 0;
  GlyphCacheLineBounds(cache, 100.0f, &minY, &maxY);
  EXPECT_NEAR(minY, GetParam().lineTop, 1e-4);
  EXPECT_NEAR(maxY - minY, 14.0f, 1e-4);  // no line gap
  float ascender = 0, descender = 0, lineHeight = 0;
  ASSERT_TRUE(GlyphCacheVertMetrics(cache, &ascender, &descender, &lineHeight));
  EXPECT_NEAR(ascender, 14.0f * kAscenderShare, 1e-4);
  EXPECT_NEAR(ascender - descender, 14.0f, 1e-4);
}

INSTANTIATE_TEST_SUITE_P(Kinds, VerticalAlignment,
                         ::testing::Values(AlignCase{kGlyphAlignTop, 100.0f},
                                           AlignCase{kGlyphAlignMiddle, 93.0f},
                                           AlignCase{kGlyphAlignBottom, 86.0f},
                                           AlignCase{kGlyphAlignBaseline, 100.0f - 14.0f * kAscenderShare}));

TEST_F(GlyphCacheTest, HorizontalAlignmentMovesTheRunByItsAdvance) {
  float advance = Advance("Mix");
  float bounds[4];
  GlyphCacheSetAlign(cache, kGlyphAlignRight | kGlyphAlignBaseline);
  std::vector<GlyphQuad> right = Quads(cache, "Mix", 200.0f, 0, kGlyphBitmapRequired);
  GlyphCacheTextBounds(cache, 200.0f, 0, "Mix", nullptr, bounds);
  GlyphCacheSetAlign(cache, kGlyphAlignLeft | kGlyphAlignBaseline);
  std::vector<GlyphQuad> left = Quads(cache, "Mix", 200.0f - advance, 0, kGlyphBitmapRequired);
  ASSERT_EQ(right.size(), 3u);
  ASSERT_EQ(left.size(), 3u);
  EXPECT_FLOAT_EQ(right[0].x0, left[0].x0);
  EXPECT_NEAR(bounds[2], 200.0f, 2.0f);  // the ink ends at the anchor, padding aside
  GlyphCacheSetAlign(cache, kGlyphAlignCentre | kGlyphAlignBaseline);
  std::vector<GlyphQuad> centre = Quads(cache, "Mix", 200.0f, 0, kGlyphBitmapRequired);
  EXPECT_FLOAT_EQ(centre[0].x0, std::floor(left[0].x0 + advance * 0.5f));
}

// "No glyph" is not "atlas full": sizes that cannot draw measure zero and never ask the
// canvas to grow its atlas.
struct UnusableSizeCase {
  const char* what;
  float size;
};

class UnusableSizes : public GlyphCacheTest, public ::testing::WithParamInterface<UnusableSizeCase> {};

TEST_P(UnusableSizes, DrawNothingAndMeasureZero) {
  GlyphCacheSetSize(cache, GetParam().size);
  float bounds[4] = {1, 1, 1, 1};
  EXPECT_EQ(GlyphCacheTextBounds(cache, 5.0f, 6.0f, "Chorus", nullptr, bounds), 0.0f);
  EXPECT_EQ(bounds[0], bounds[2]);
  EXPECT_EQ(bounds[1], bounds[3]);
  GlyphTextIter iter;
  ASSERT_EQ(GlyphCacheTextIterInit(cache, &iter, 5.0f, 6.0f, "Chorus", nullptr, kGlyphBitmapRequired), 1);
  GlyphQuad q;
  int32_t steps = 0;
  while (GlyphCacheTextIterNext(cache, &iter, &q)) {
    ++steps;
    EXPECT_EQ(iter.prevGlyphIndex, -1);
    EXPECT_FALSE(iter.atlasFull);
  }
  EXPECT_EQ(steps, 6);
}

INSTANTIATE_TEST_SUITE_P(Sizes, UnusableSizes,
                         ::testing::Values(UnusableSizeCase{"tiny", 0.15f}, UnusableSizeCase{"zero", 0.0f},
                                           UnusableSizeCase{"negative", -12.0f},
                                           UnusableSizeCase{"nan", kNaN},
                                           UnusableSizeCase{"infinite", kInfinity}),
                         [](const ::testing::TestParamInfo<UnusableSizeCase>& info) {
                           return info.param.what;
                         });

TEST_F(GlyphCacheTest, NonFiniteSpacingAndBlurCountAsZero) {
  float plain = Advance("Depth");
  GlyphCacheSetSpacing(cache, kNaN);
  GlyphCacheSetBlur(cache, kInfinity);
  EXPECT_FLOAT_EQ(Advance("Depth"), plain);
  GlyphCacheSetBlur(cache, -4.0f);
  EXPECT_EQ(cache->state.blur, 0.0f);
}

TEST_F(GlyphCacheTest, TheIteratorReportsAFullAtlasSoTheCallerCanGrowAndRetry) {
  GlyphCache* small = GlyphCacheCreate({64, 64, kGlyphCacheOriginTopLeft});
  ASSERT_NE(small, nullptr);
  GlyphCacheSetFont(small, GlyphCacheAddFont(small, "Roboto", roboto.data(), Size(roboto), 0, false));
  GlyphCacheSetSize(small, 30.0f);
  const char* text = "WAVEFORM";
  GlyphTextIter iter, saved;
  ASSERT_EQ(GlyphCacheTextIterInit(small, &iter, 0, 40.0f, text, nullptr, kGlyphBitmapRequired), 1);
  GlyphQuad q;
  int32_t drawn = 0, grown = 0;
  saved = iter;
  while (GlyphCacheTextIterNext(small, &iter, &q)) {
    if (iter.prevGlyphIndex == -1) {
      ASSERT_TRUE(iter.atlasFull);
      ASSERT_EQ(GlyphCacheResetAtlas(small, small->params.width * 2, small->params.height * 2), 1);
      ++grown;
      iter = saved;
      ASSERT_EQ(GlyphCacheTextIterNext(small, &iter, &q), 1);
      ASSERT_NE(iter.prevGlyphIndex, -1);
    }
    ++drawn;
    saved = iter;
  }
  EXPECT_EQ(drawn, 8);
  EXPECT_GE(grown, 1);
  GlyphCacheDelete(small);
}

TEST_F(GlyphCacheTest, InvalidUtf8SilencesTheRestOfTheRun) {
  float ab = Advance("AB");
  EXPECT_FLOAT_EQ(Advance("AB\xFF"
                          "CD"),
                  ab);
  EXPECT_FLOAT_EQ(Advance("AB\xC0\xAF"
                          "CD"),
                  ab);  // over-long "/"
  EXPECT_EQ(Quads(cache,
                  "AB\xED\xA0\x80"
                  "CD",
                  0, 0, kGlyphBitmapRequired)
                .size(),
            2u);  // a surrogate
  // An unfinished tail is no step at all: the caller draws no stale quad for it.
  EXPECT_EQ(Quads(cache, "A\xE2\x82", 0, 0, kGlyphBitmapRequired).size(), 1u);
  std::vector<int32_t> indexes;
  EXPECT_EQ(Quads(cache,
                  "\xE2\x82\xAC"
                  "5",
                  0, 0, kGlyphBitmapRequired, &indexes)
                .size(),
            2u);             // "€5"
  EXPECT_NE(indexes[0], 0);  // Roboto has the euro sign
}

TEST_F(GlyphCacheTest, ExplicitEndStopsTheRun) {
  const char* text = "Rate Depth";
  EXPECT_FLOAT_EQ(GlyphCacheTextBounds(cache, 0, 0, text, text + 4, nullptr), Advance("Rate"));
  EXPECT_EQ(Quads(cache, "", 0, 0, kGlyphBitmapRequired).size(), 0u);
}

TEST_F(GlyphCacheTest, WithoutAUsableFontLayoutDoesNothing) {
  GlyphCacheSetFont(cache, 3);
  float bounds[4] = {7, 7, 7, 7}, minY = 7, maxY = 7, ascender = 7;
  EXPECT_EQ(GlyphCacheTextBounds(cache, 0, 0, "x", nullptr, bounds), 0.0f);
  EXPECT_EQ(bounds[0], 7.0f);
  GlyphCacheLineBounds(cache, 0, &minY, &maxY);
  EXPECT_EQ(minY, 7.0f);
  EXPECT_FALSE(GlyphCacheVertMetrics(cache, &ascender, nullptr, nullptr));
  GlyphTextIter iter;
  EXPECT_EQ(GlyphCacheTextIterInit(cache, &iter, 0, 0, "x", nullptr, kGlyphBitmapRequired), 0);
  GlyphQuad q;
  EXPECT_EQ(GlyphCacheTextIterNext(cache, &iter, &q), 0);
}

}  // namespace
}  // namespace plugfw::gfx
