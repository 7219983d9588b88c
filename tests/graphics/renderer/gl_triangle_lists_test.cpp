// Fans and strips as triangle lists: the convex cut must tile the polygon exactly (every
// outline edge once, every diagonal once each way, all wound like the outline), and a strip's
// list must be the very triangles GL draws for the strip, wound as GL winds them.
#include "graphics/renderer/gl_triangle_lists.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>
#include <vector>

namespace plugfw::gfx {
namespace {

// Vertices carry their index in u, so the list can be read back as indices.
std::vector<CanvasVertex> RegularPolygon(int count) {
  std::vector<CanvasVertex> polygon;
  for (int i = 0; i < count; ++i) {
    const double angle = 2.0 * 3.141592653589793 * i / count;
    polygon.push_back(CanvasVertex{static_cast<float>(20.0 * std::cos(angle)),
                                   static_cast<float>(20.0 * std::sin(angle)), static_cast<float>(i), 0.f});
  }
  return polygon;
}

double SignedArea(const CanvasVertex& a, const CanvasVertex& b, const CanvasVertex& c) {
  return 0.5 * ((b.x - a.x) * static_cast<double>(c.y - a.y) - (c.x - a.x) * static_cast<double>(b.y - a.y));
}

int IndexOf(const CanvasVertex& v) { return static_cast<int>(v.u); }

class ConvexPolygonTriangles : public ::testing::TestWithParam<int> {};

TEST_P(ConvexPolygonTriangles, TileThePolygonWoundLikeItsOutline) {
  const int count = GetParam();
  const std::vector<CanvasVertex> polygon = RegularPolygon(count);
  std::vector<CanvasVertex> list(static_cast<size_t>(TriangleListLength(count)) + 3);
  const CanvasVertex* end = AppendConvexPolygonTriangles(list.data(), polygon.data(), count);
  ASSERT_EQ(end - list.data(), 3 * (count - 2));

  std::map<std::pair<int, int>, int> directedEdges;
  for (const CanvasVertex* t = list.data(); t < end; t += 3) {
    EXPECT_GT(SignedArea(t[0], t[1], t[2]), 0.0)
        << IndexOf(t[0]) << " " << IndexOf(t[1]) << " " << IndexOf(t[2]);
    for (int k = 0; k < 3; ++k) directedEdges[{IndexOf(t[k]), IndexOf(t[(k + 1) % 3])}]++;
  }
  for (const auto& [edge, uses] : directedEdges) {
    const bool outline = edge.second == (edge.first + 1) % count;
    EXPECT_EQ(uses, 1) << edge.first << "->" << edge.second;
    if (!outline) {
      const auto reverse = directedEdges.find({edge.second, edge.first});
      EXPECT_TRUE(reverse != directedEdges.end() && reverse->second == 1)
          << "diagonal " << edge.first << "-" << edge.second << " has one side only";
    }
  }
  for (int i = 0; i < count; ++i)
    EXPECT_EQ(directedEdges.count({i, (i + 1) % count}), 1u) << "outline edge " << i;
}

INSTANTIATE_TEST_SUITE_P(Sizes, ConvexPolygonTriangles,
                         ::testing::Values(3, 4, 5, 6, 7, 8, 9, 17, 33, 64, 100));

TEST(ConvexPolygonTrianglesEdges, FewerThanThreeVerticesWriteNothing) {
  const std::vector<CanvasVertex> polygon = RegularPolygon(2);
  CanvasVertex list[3] = {};
  EXPECT_EQ(TriangleListLength(2), 0);
  EXPECT_EQ(AppendConvexPolygonTriangles(list, polygon.data(), 2), list);
  EXPECT_EQ(AppendConvexPolygonTriangles(list, polygon.data(), 0), list);
}

TEST(StripTriangles, AreGLsTrianglesOfTheStripWithEverySecondReversed) {
  // A zigzag strip as the canvas makes for strokes: GL draws (0 1 2), (2 1 3), (2 3 4), (4 3 5).
  std::vector<CanvasVertex> strip;
  for (int i = 0; i < 6; ++i)
    strip.push_back(
        CanvasVertex{static_cast<float>(i / 2 * 10), i % 2 ? 5.f : 0.f, static_cast<float>(i), 0.f});
  std::vector<CanvasVertex> list(static_cast<size_t>(TriangleListLength(6)));
  ASSERT_EQ(AppendStripTriangles(list.data(), strip.data(), 6), list.data() + 12);
  const int expected[12] = {0, 1, 2, 2, 1, 3, 2, 3, 4, 4, 3, 5};
  for (int k = 0; k < 12; ++k) EXPECT_EQ(IndexOf(list[k]), expected[k]) << k;
  const double first = SignedArea(list[0], list[1], list[2]);
  for (int t = 1; t < 4; ++t)
    EXPECT_GT(SignedArea(list[3 * t], list[3 * t + 1], list[3 * t + 2]) * first, 0.0) << t;

  CanvasVertex untouched[3] = {};
  EXPECT_EQ(AppendStripTriangles(untouched, strip.data(), 2), untouched);
}

}  // namespace
}  // namespace plugfw::gfx
