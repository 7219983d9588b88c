#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "graphics/renderer/canvas.h"
#include "tests/graphics/renderer/recording_backend.h"

namespace plugfw::gfx::test {
namespace {

struct Point {
  float x, y;
};

std::vector<Point> PointsOf(const RecordedPath& path) {
  std::vector<Point> points;
  for (const CanvasPoint& p : path.points) points.push_back(Point{p.x, p.y});
  return points;
}

void ExpectPoints(const RecordedPath& path, const std::vector<Point>& expected) {
  const std::vector<Point> points = PointsOf(path);
  ASSERT_EQ(points.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_FLOAT_EQ(points[i].x, expected[i].x) << "point " << i;
    EXPECT_FLOAT_EQ(points[i].y, expected[i].y) << "point " << i;
  }
}

void AddPolygon(CanvasContext* canvas, const std::vector<Point>& points) {
  CanvasMoveTo(canvas, points[0].x, points[0].y);
  for (size_t i = 1; i < points.size(); ++i) CanvasLineTo(canvas, points[i].x, points[i].y);
  CanvasClosePath(canvas);
}

const std::vector<Point> kDownTheLeftSide = {{10, 10}, {10, 30}, {40, 30}, {40, 10}};  // CanvasRect's order
const std::vector<Point> kAlongTheTop = {{10, 10}, {40, 10}, {40, 30}, {10, 30}};
const std::vector<Point> kAlongTheTopReversed = {{10, 30}, {40, 30}, {40, 10}, {10, 10}};

struct OrientationCase {
  const char* name;
  const std::vector<Point>* drawn;
  int32_t winding;
  const std::vector<Point>* filled;
};

class PathOrientation : public RecordingCanvasTest, public ::testing::WithParamInterface<OrientationCase> {};

// Solid paths are filled in CanvasRect's order, holes the other way round, whichever way
// they were drawn.
TEST_P(PathOrientation, SolidPathsRunLikeCanvasRectAndHolesTheOtherWay) {
  const OrientationCase& c = GetParam();
  AddPolygon(canvas_, *c.drawn);
  CanvasPathWinding(canvas_, c.winding);
  CanvasFill(canvas_);
  ASSERT_EQ(LastCall().paths.size(), 1u);
  ExpectPoints(LastCall().paths[0], *c.filled);
  EXPECT_EQ(LastCall().paths[0].convex, c.winding == kWindingSolid);
}

INSTANTIATE_TEST_SUITE_P(
    Windings, PathOrientation,
    ::testing::Values(OrientationCase{"RectOrderSolid", &kDownTheLeftSide, kWindingSolid, &kDownTheLeftSide},
                      OrientationCase{"TopFirstSolid", &kAlongTheTop, kWindingSolid, &kAlongTheTopReversed},
                      OrientationCase{"TopFirstHole", &kAlongTheTop, kWindingHole, &kAlongTheTop},
                      OrientationCase{"RectOrderHole", &kAlongTheTopReversed, kWindingHole, &kAlongTheTop}),
    [](const ::testing::TestParamInfo<OrientationCase>& info) { return std::string(info.param.name); });

TEST_F(RecordingCanvasTest, CanvasRectIsFilledInTheOrderItAppends) {
  CanvasRect(canvas_, 10, 10, 30, 20);
  CanvasFill(canvas_);
  ExpectPoints(LastCall().paths[0], kDownTheLeftSide);
  EXPECT_TRUE(LastCall().paths[0].closed);
  EXPECT_TRUE(LastCall().paths[0].convex);
}

TEST_F(RecordingCanvasTest, PointsWithinTheDistanceToleranceCollapse) {
  CanvasMoveTo(canvas_, 10.0f, 10.0f);
  CanvasLineTo(canvas_, 10.005f, 10.0f);  // within 0.01: the same point
  CanvasLineTo(canvas_, 20.0f, 10.0f);
  CanvasLineTo(canvas_, 20.02f, 10.0f);  // beyond it: a point of its own
  CanvasStroke(canvas_);
  EXPECT_EQ(LastCall().paths[0].points.size(), 3u);
}

TEST_F(RecordingCanvasTest, PathThatReturnsToItsStartIsClosedWithoutTheRepeatedPoint) {
  AddPolygon(canvas_, {{10, 10}, {10, 30}, {40, 30}, {10, 10}});
  CanvasStroke(canvas_);
  EXPECT_TRUE(LastCall().paths[0].closed);
  EXPECT_EQ(LastCall().paths[0].points.size(), 3u);
}

TEST_F(RecordingCanvasTest, PathsOfOnePointDrawNothingAndDoNotFail) {
  CanvasMoveTo(canvas_, 10.0f, 10.0f);
  CanvasStroke(canvas_);
  CanvasFill(canvas_);
  ASSERT_EQ(backend_.calls.size(), 2u);
  EXPECT_TRUE(backend_.calls[0].paths[0].stroke.empty());
  EXPECT_EQ(backend_.calls[1].paths[0].points.size(), 1u);
}

TEST_F(RecordingCanvasTest, ConvexityNeedsEveryCornerToTurnLeft) {
  // An L shape turns right once; a rectangle with a point halfway along one side does not
  // turn there. Both take the stencil road.
  AddPolygon(canvas_, {{10, 10}, {10, 40}, {40, 40}, {40, 30}, {20, 30}, {20, 10}});
  CanvasFill(canvas_);
  EXPECT_FALSE(LastCall().paths[0].convex);
  CanvasBeginPath(canvas_);
  AddPolygon(canvas_, {{10, 10}, {10, 30}, {25, 30}, {40, 30}, {40, 10}});
  CanvasFill(canvas_);
  EXPECT_FALSE(LastCall().paths[0].convex);
}

TEST_F(RecordingCanvasTest, FlattenedCurvePointsLieOnTheCurveAndChordsStayClose) {
  // A quarter circle of radius 100 as one cubic (the circle's own error is 0.03).
  const float r = 100.0f, k = 0.5522847f * r;
  CanvasMoveTo(canvas_, r, 0.0f);
  CanvasBezierTo(canvas_, r, k, k, r, 0.0f, r);
  CanvasStroke(canvas_);
  const std::vector<Point> points = PointsOf(LastCall().paths[0]);
  ASSERT_GT(points.size(), 8u);
  for (size_t i = 0; i < points.size(); ++i) {
    EXPECT_NEAR(std::hypot(points[i].x, points[i].y), r, 0.05f) << i;
    if (i > 0) {
      const float midX = (points[i].x + points[i - 1].x) / 2, midY = (points[i].y + points[i - 1].y) / 2;
      EXPECT_GT(std::hypot(midX, midY), r - 0.5f) << "chord " << i;
    }
  }
  // Open paths are oriented like closed ones, so either end may come first.
  const Point ends[2] = {points.front(), points.back()};
  const bool reversed = ends[0].x == 0.0f;
  EXPECT_FLOAT_EQ(ends[reversed ? 1 : 0].x, r);
  EXPECT_FLOAT_EQ(ends[reversed ? 0 : 1].y, r);
}

TEST_F(RecordingCanvasTest, FinerPixelsFlattenCurvesIntoMorePoints) {
  auto pointsAtRatio = [&](float ratio) {
    backend_.calls.clear();
    CanvasBeginFrame(canvas_, 100.0f, 100.0f, ratio);
    CanvasBeginPath(canvas_);
    CanvasArc(canvas_, 50.0f, 50.0f, 40.0f, 0.0f, 6.2831855f, 2);
    CanvasFill(canvas_);
    return LastCall().paths[0].points.size();
  };
  const size_t atOne = pointsAtRatio(1.0f);
  EXPECT_GT(pointsAtRatio(4.0f), atOne);
  // A ratio that is no number is taken as 1.
  EXPECT_EQ(pointsAtRatio(NAN), atOne);
}

TEST_F(RecordingCanvasTest, MiterLimitBevelsSharpCornersOnly) {
  // The miter of a corner is 1 / sin(half the angle) stroke widths long: a right angle's is
  // 1.41, a 10-degree spike's 11.5, past the limit of 10.
  auto tipFlags = [&](float spreadDegrees) {
    backend_.calls.clear();
    CanvasBeginPath(canvas_);
    const float half = spreadDegrees / 2.0f * 3.1415927f / 180.0f;
    CanvasMoveTo(canvas_, 50.0f - 40.0f * std::sin(half), 90.0f - 40.0f * std::cos(half));
    CanvasLineTo(canvas_, 50.0f, 90.0f);
    CanvasLineTo(canvas_, 50.0f + 40.0f * std::sin(half), 90.0f - 40.0f * std::cos(half));
    CanvasStrokeWidth(canvas_, 2.0f);
    CanvasMiterLimit(canvas_, 10.0f);
    CanvasStroke(canvas_);
    return LastCall().paths[0].points[1].flags;
  };
  EXPECT_FALSE(tipFlags(90.0f) & kPointBevel);
  EXPECT_TRUE(tipFlags(10.0f) & kPointBevel);
  CanvasLineJoin(canvas_, kLineBevel);
  EXPECT_TRUE(tipFlags(90.0f) & kPointBevel);
}

TEST_F(RecordingCanvasTest, FlattenedPathIsKeptUntilTheNextBeginPath) {
  CanvasRect(canvas_, 10, 10, 30, 20);
  CanvasFill(canvas_);
  CanvasTranslate(canvas_, 50.0f, 0.0f);  // too late for the path already built
  CanvasStroke(canvas_);
  ExpectPoints(backend_.calls[1].paths[0], kDownTheLeftSide);
  EXPECT_FLOAT_EQ(backend_.calls[1].bounds[0], 0.0f);  // strokes carry no bounds
  EXPECT_FLOAT_EQ(backend_.calls[0].bounds[0], 10.0f);
  EXPECT_FLOAT_EQ(backend_.calls[0].bounds[3], 30.0f);
}

}  // namespace
}  // namespace plugfw::gfx::test
