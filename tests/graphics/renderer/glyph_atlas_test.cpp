#include "graphics/renderer/glyph_atlas.h"

#include <gtest/gtest.h>

#include <vector>

#include "graphics/renderer/glyph_blur.h"
#include "tests/graphics/case_names.h"

namespace plugfw::gfx {
namespace {

struct Placement {
  int32_t w, h;
  bool placed;
  int32_t x, y;
};

struct PackingCase {
  const char* what;
  int32_t width, height;
  std::vector<Placement> steps;
  int32_t nodesAfter;
};

class AtlasPacking : public ::testing::TestWithParam<PackingCase> {};

TEST_P(AtlasPacking, PlacesEachRectangleWhereItsBottomIsHighest) {
  const PackingCase& c = GetParam();
  GlyphAtlas* atlas = GlyphAtlasCreate(c.width, c.height, 1);
  ASSERT_NE(atlas, nullptr);
  for (const Placement& step : c.steps) {
    int32_t x = -7, y = -7;
    ASSERT_EQ(GlyphAtlasAddRect(atlas, step.w, step.h, &x, &y), step.placed) << step.w << "x" << step.h;
    if (step.placed) {
      EXPECT_EQ(x, step.x);
      EXPECT_EQ(y, step.y);
    } else {
      EXPECT_EQ(x, -7);  // nothing reported, nothing changed
    }
  }
  EXPECT_EQ(atlas->nodeCount, c.nodesAfter);
  GlyphAtlasDelete(atlas);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AtlasPacking,
    ::testing::Values(
        // Along the top, then onto the lowest shelf: the 10x5 shelf beats the 10x10 one.
        PackingCase{"shelves",
                    32,
                    32,
                    {{10, 10, true, 0, 0}, {10, 5, true, 10, 0}, {12, 8, true, 20, 0}, {10, 10, true, 10, 5}},
                    3},
        // Equal bottoms go to the narrower node.
        PackingCase{"ties", 32, 32, {{20, 4, true, 0, 0}, {12, 4, true, 20, 0}, {6, 6, true, 0, 4}}, 2},
        // A rectangle the size of the whole atlas fits; then nothing does.
        PackingCase{"exact", 16, 16, {{16, 16, true, 0, 0}, {1, 1, false, 0, 0}}, 1},
        PackingCase{
            "too wide or tall", 16, 16, {{17, 1, false, 0, 0}, {1, 17, false, 0, 0}, {0, 3, false, 0, 0}}, 1},
        // Shelves of equal height merge into one node.
        PackingCase{"merge", 16, 16, {{8, 4, true, 0, 0}, {8, 4, true, 8, 0}}, 1},
        // A wide rectangle straddles several nodes, which it cuts back or removes.
        PackingCase{"straddle",
                    32,
                    32,
                    {{4, 2, true, 0, 0},
                     {4, 6, true, 4, 0},
                     {4, 3, true, 8, 0},
                     {10, 2, true, 12, 0},
                     {14, 4, true, 12, 2}},
                    5}),
    test::CaseName{});

TEST(GlyphAtlas, ResetForgetsEveryPlacement) {
  GlyphAtlas* atlas = GlyphAtlasCreate(8, 8, 4);
  int32_t x = 0, y = 0;
  ASSERT_TRUE(GlyphAtlasAddRect(atlas, 8, 8, &x, &y));
  GlyphAtlasReset(atlas, 16, 8);
  ASSERT_TRUE(GlyphAtlasAddRect(atlas, 16, 8, &x, &y));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  GlyphAtlasDelete(atlas);
}

TEST(GlyphBlur, SpreadsInkAndClearsTheEdgesOfEveryLine) {
  constexpr int32_t kSize = 11, kStride = 16;
  std::vector<uint8_t> block(kStride * kSize, 0);
  block[5 + 5 * kStride] = 255;
  block[kStride - 1] = 99;  // outside the block's width: untouched
  GlyphBlur(block.data(), kSize, kSize, kStride, 3);
  auto at = [&](int32_t x, int32_t y) { return block[x + y * kStride]; };
  EXPECT_LT(at(5, 5), 255);
  EXPECT_GT(at(5, 5), at(4, 5));
  EXPECT_GT(at(4, 5), 0);
  EXPECT_GT(at(5, 3), 0);
  for (int32_t i = 0; i < kSize; ++i) {
    EXPECT_EQ(at(0, i), 0);
    EXPECT_EQ(at(kSize - 1, i), 0);
    EXPECT_EQ(at(i, 0), 0);
    EXPECT_EQ(at(i, kSize - 1), 0);
  }
  EXPECT_EQ(block[kStride - 1], 99);
}

}  // namespace
}  // namespace plugfw::gfx
