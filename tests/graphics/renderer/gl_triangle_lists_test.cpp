// Fans and strips as indexed triangle lists: the convex cut must tile the polygon exactly
// (every outline edge once, every diagonal once each way, all wound like the outline), and a
// strip's list must be the very triangles GL draws for the strip, wound as GL winds them.
#include "graphics/renderer/gl_triangle_lists.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>
#include <vector>

namespace plugfw::gfx {
namespace {

constexpr uint32_t kFirst = 100;  // lists index into a queue that holds other calls first

struct Point {
  double x, y;
};

std::vector<Point> RegularPolygon(int count) {
  std::vector<Point> polygon;
  for (int i = 0; i < count; ++i) {
    const double angle = 2.0 * 3.141592653589793 * i / count;
    polygon.push_back(Point{20.0 * std::cos(angle), 20.0 * std::sin(angle)});
  }
  return polygon;
}

double SignedArea(const Point& a, const Point& b, const Point& c) {
  return 0.5 * ((b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y));
}

class ConvexPolygonIndices : public ::testing::TestWithParam<int> {};

TEST_P(ConvexPolygonIndices, TileThePolygonWoundLikeItsOutline) {
  const int count = GetParam();
  const std::vector<Point> polygon = RegularPolygon(count);
  std::vector<uint32_t> list(static_cast<size_t>(TriangleListLength(count)) + 3);
  const uint32_t* end = AppendConvexPolygonIndices(list.data(), kFirst, count);
  ASSERT_EQ(end - list.data(), 3 * (count - 2));

  std::map<std::pair<int, int>, int> directedEdges;
  for (const uint32_t* t = list.data(); t < end; t += 3) {
    int v[3];
    for (int k = 0; k < 3; ++k) {
      ASSERT_GE(t[k], kFirst);
      ASSERT_LT(t[k], kFirst + static_cast<uint32_t>(count));
      v[k] = static_cast<int>(t[k] - kFirst);
    }
    EXPECT_GT(SignedArea(polygon[v[0]], polygon[v[1]], polygon[v[2]]), 0.0)
        << v[0] << " " << v[1] << " " << v[2];
    for (int k = 0; k < 3; ++k) directedEdges[{v[k], v[(k + 1) % 3]}]++;
  }
  for (const auto& [edge, uses] : directedEdges) {
    EXPECT_EQ(uses, 1) << edge.first << "->" << edge.second;
    const bool outline = edge.second == (edge.first + 1) % count;
    if (!outline) {
      const auto reverse = directedEdges.find({edge.second, edge.first});
      EXPECT_TRUE(reverse != directedEdges.end() && reverse->second == 1)
          << "diagonal " << edge.first << "-" << edge.second << " has one side only";
    }
  }
  for (int i = 0; i < count; ++i)
    EXPECT_EQ(directedEdges.count({i, (i + 1) % count}), 1u) << "outline edge " << i;
}

INSTANTIATE_TEST_SUITE_P(Sizes, ConvexPolygonIndices,
                         ::testing::Values(3, 4, 5, 6, 7, 8, 9, 17, 33, 64, 100));

TEST(TriangleListIndices, FewerThanThreeVerticesMakeNoTriangles) {
  uint32_t list[3] = {};
  EXPECT_EQ(TriangleListLength(2), 0);
  EXPECT_EQ(AppendConvexPolygonIndices(list, kFirst, 2), list);
  EXPECT_EQ(AppendConvexPolygonIndices(list, kFirst, 0), list);
  EXPECT_EQ(AppendStripIndices(list, kFirst, 2), list);
}

TEST(TriangleListIndices, StripGivesGLsTrianglesWithEverySecondReversed) {
  // A zigzag strip as the canvas makes for strokes: GL draws (0 1 2), (2 1 3), (2 3 4), (4 3 5),
  // all wound alike.
  std::vector<Point> strip;
  for (int i = 0; i < 6; ++i) strip.push_back(Point{i / 2 * 10.0, i % 2 ? 5.0 : 0.0});
  std::vector<uint32_t> list(static_cast<size_t>(TriangleListLength(6)));
  ASSERT_EQ(AppendStripIndices(list.data(), kFirst, 6), list.data() + 12);
  const uint32_t expected[12] = {0, 1, 2, 2, 1, 3, 2, 3, 4, 4, 3, 5};
  for (int k = 0; k < 12; ++k) EXPECT_EQ(list[k], kFirst + expected[k]) << k;
  auto area = [&](int t) {
    return SignedArea(strip[list[3 * t] - kFirst], strip[list[3 * t + 1] - kFirst],
                      strip[list[3 * t + 2] - kFirst]);
  };
  for (int t = 1; t < 4; ++t) EXPECT_GT(area(t) * area(0), 0.0) << t;
}

}  // namespace
}  // namespace plugfw::gfx
