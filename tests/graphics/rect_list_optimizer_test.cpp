// OptimizeRectList: the merges a frame relies on, the cases that used to lose area or never
// end, and a randomised check that the covered pixels stay exactly the same.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "graphics/rect_list.h"
#include "graphics/rect_list_optimizer.h"

namespace plugfw::gfx {
namespace {

constexpr int32_t kGrid = 48;

RectList ListOf(const std::vector<Rect>& rects) {
  RectList list;
  for (const Rect& r : rects) list.Add(r);
  return list;
}

std::vector<Rect> RectsOf(const RectList& list) {
  std::vector<Rect> rects;
  for (int32_t i = 0; i < list.Count(); ++i) rects.push_back(list.Get(i));
  return rects;
}

// Which cells of the grid the rectangles cover (whole-unit rectangles within the grid).
std::vector<bool> Coverage(const std::vector<Rect>& rects) {
  std::vector<bool> cells(kGrid * kGrid, false);
  for (const Rect& r : rects) {
    if (r.Empty()) continue;
    for (int32_t y = static_cast<int32_t>(r.top); y < static_cast<int32_t>(r.bottom); ++y) {
      for (int32_t x = static_cast<int32_t>(r.left); x < static_cast<int32_t>(r.right); ++x) {
        cells[static_cast<size_t>(y * kGrid + x)] = true;
      }
    }
  }
  return cells;
}

std::vector<Rect> Optimized(const std::vector<Rect>& rects) {
  RectList list = ListOf(rects);
  OptimizeRectList(list);
  return RectsOf(list);
}

TEST(OptimizeRectListTest, MergesWhatTheFrameRoadExpects) {
  struct Case {
    const char* what;
    std::vector<Rect> in;
    std::vector<Rect> out;
  };
  const Case cases[] = {
      {"identical", {Rect(0, 0, 10, 10), Rect(0, 0, 10, 10)}, {Rect(0, 0, 10, 10)}},
      {"side by side", {Rect(0, 0, 10, 10), Rect(10, 0, 25, 10)}, {Rect(0, 0, 25, 10)}},
      {"stacked", {Rect(0, 10, 10, 20), Rect(0, 0, 10, 10)}, {Rect(0, 0, 10, 20)}},
      {"nested", {Rect(2, 2, 4, 4), Rect(0, 0, 10, 10)}, {Rect(0, 0, 10, 10)}},
      {"overlap cut to one piece", {Rect(0, 0, 10, 10), Rect(5, 0, 20, 10)}, {Rect(0, 0, 20, 10)}},
      {"apart", {Rect(0, 0, 10, 10), Rect(20, 20, 30, 30)}, {Rect(0, 0, 10, 10), Rect(20, 20, 30, 30)}},
      // Touching at an edge or a corner is no overlap: nothing to cut, so nothing loops.
      {"touching, offset",
       {Rect(0, 0, 10, 10), Rect(10, 5, 20, 15)},
       {Rect(0, 0, 10, 10), Rect(10, 5, 20, 15)}},
      {"touching corners",
       {Rect(0, 0, 10, 10), Rect(10, 10, 20, 20)},
       {Rect(0, 0, 10, 10), Rect(10, 10, 20, 20)}},
      {"no area", {Rect(5, 5, 5, 20), Rect(), Rect(0, 0, 10, 10), Rect(3, 8, 9, 2)}, {Rect(0, 0, 10, 10)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Optimized(c.in), c.out);
  }
}

TEST(OptimizeRectListTest, RectanglesThatCrossKeepBothOfTheirEnds) {
  // A bar through the middle of another: cutting either leaves two pieces, never one
  // shortened bar.
  const std::vector<Rect> plus = {Rect(10, 0, 20, 40), Rect(0, 15, 40, 25)};
  const std::vector<Rect> out = Optimized(plus);
  EXPECT_EQ(Coverage(out), Coverage(plus));
  EXPECT_LE(out.size(), 3u);
  // An L of two overlapping rectangles, neither reaching across the other.
  const std::vector<Rect> corner = {Rect(0, 0, 20, 20), Rect(10, 10, 30, 30)};
  EXPECT_EQ(Coverage(Optimized(corner)), Coverage(corner));
}

TEST(OptimizeRectListTest, NonFiniteRectanglesAreDropped) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(Optimized({Rect(nan, 0, 10, 10), Rect(0, 0, 10, nan), Rect(1, 1, 2, 2)}),
            (std::vector<Rect>{Rect(1, 1, 2, 2)}));
}

TEST(OptimizeRectListTest, RandomListsKeepTheirCoverageAndStayWithinTheBound) {
  std::mt19937 random(20261210);
  for (int32_t round = 0; round < 400; ++round) {
    std::uniform_int_distribution<int32_t> count(1, 62);
    // Few distinct edges in the first rounds, so duplicates, touching and nested
    // rectangles come up often; the whole grid later.
    std::uniform_int_distribution<int32_t> coordinate(0, round < 200 ? 8 : kGrid);
    std::vector<Rect> in;
    const int32_t n = count(random);
    int32_t withArea = 0;
    for (int32_t i = 0; i < n; ++i) {
      int32_t x0 = coordinate(random), x1 = coordinate(random), y0 = coordinate(random),
              y1 = coordinate(random);
      if (x0 > x1) std::swap(x0, x1);
      if (y0 > y1) std::swap(y0, y1);
      const float scale = round < 200 ? 6.f : 1.f;
      in.push_back(Rect(x0 * scale, y0 * scale, x1 * scale, y1 * scale));
      if (!in.back().Empty()) ++withArea;
    }
    SCOPED_TRACE(round);
    const std::vector<Rect> out = Optimized(in);
    ASSERT_EQ(Coverage(out), Coverage(in));
    EXPECT_LE(out.size(), static_cast<size_t>(withArea * kRectListGrowthLimit));
    for (const Rect& r : out) EXPECT_FALSE(r.Empty());
  }
}

}  // namespace
}  // namespace plugfw::gfx
