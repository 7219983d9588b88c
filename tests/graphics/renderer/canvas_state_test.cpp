#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/math_constants.h"
#include "graphics/renderer/canvas.h"
#include "graphics/renderer/canvas_tessellation.h"
#include "tests/graphics/renderer/recording_backend.h"

namespace plugfw::gfx::test {
namespace {

constexpr float kPiF = static_cast<float>(kPi);

TEST_F(RecordingCanvasTest, StateStackHoldsThirtyTwoStatesAndNeverPopsTheLast) {
  CanvasStrokeWidth(canvas_, 1.0f);
  for (int level = 2; level <= kCanvasMaxStates; ++level) {
    CanvasSave(canvas_);
    CanvasStrokeWidth(canvas_, static_cast<float>(level));
  }
  CanvasSave(canvas_);  // a 33rd: ignored, so this changes the 32nd
  CanvasStrokeWidth(canvas_, 99.0f);
  EXPECT_EQ(canvas_->stateCount, kCanvasMaxStates);
  CanvasRestore(canvas_);
  EXPECT_EQ(CanvasCurrentState(canvas_)->strokeWidth, 31.0f);
  for (int i = 0; i < 40; ++i) CanvasRestore(canvas_);
  EXPECT_EQ(canvas_->stateCount, 1);
  EXPECT_EQ(CanvasCurrentState(canvas_)->strokeWidth, 1.0f);
}

TEST_F(RecordingCanvasTest, SaveCopiesTheStateAndRestoreBringsItBack) {
  CanvasFillColour(canvas_, CanvasColour{1, 0, 0, 1});
  CanvasSave(canvas_);
  EXPECT_EQ(CanvasCurrentState(canvas_)->fill.innerColour.r, 1.0f);
  CanvasFillColour(canvas_, CanvasColour{0, 0, 1, 1});
  CanvasTranslate(canvas_, 5, 5);
  CanvasRestore(canvas_);
  EXPECT_EQ(CanvasCurrentState(canvas_)->fill.innerColour.b, 0.0f);
  EXPECT_EQ(CanvasCurrentState(canvas_)->xform[4], 0.0f);
}

// The point the first command of the current path landed at, after the transform.
void ExpectFirstCommandPoint(const CanvasContext* canvas, float x, float y) {
  ASSERT_GE(canvas->commandCount, 3);
  EXPECT_NEAR(canvas->commands[1], x, 1e-4f);
  EXPECT_NEAR(canvas->commands[2], y, 1e-4f);
}

TEST_F(RecordingCanvasTest, EachNewTransformStepAppliesToPointsFirst) {
  CanvasTranslate(canvas_, 10.0f, 0.0f);
  CanvasScale(canvas_, 2.0f, 3.0f);
  CanvasMoveTo(canvas_, 1.0f, 1.0f);
  ExpectFirstCommandPoint(canvas_, 12.0f, 3.0f);

  CanvasBeginPath(canvas_);
  CanvasResetTransform(canvas_);
  CanvasTranslate(canvas_, 50.0f, 50.0f);
  CanvasRotate(canvas_, kPiF / 2.0f);  // a quarter turn, clockwise on screen
  CanvasMoveTo(canvas_, 10.0f, 0.0f);
  ExpectFirstCommandPoint(canvas_, 50.0f, 60.0f);
  // The last command point is kept before the transform.
  EXPECT_EQ(canvas_->commandX, 10.0f);
  EXPECT_EQ(canvas_->commandY, 0.0f);
}

TEST(Transform, InverseUndoesTheTransformAndASingularOneGivesTheIdentity) {
  float t[6];
  TransformRotate(t, 0.7f);
  const float move[6] = {2.0f, 0.0f, 0.0f, 0.5f, 30.0f, -4.0f};
  TransformMultiply(t, move);
  float inverse[6];
  ASSERT_EQ(TransformInverse(inverse, t), 1);
  float x, y, back_x, back_y;
  TransformPoint(&x, &y, t, 3.0f, 7.0f);
  TransformPoint(&back_x, &back_y, inverse, x, y);
  EXPECT_NEAR(back_x, 3.0f, 1e-4f);
  EXPECT_NEAR(back_y, 7.0f, 1e-4f);

  const float flat[6] = {1.0f, 2.0f, 2.0f, 4.0f, 5.0f, 5.0f};  // both axes on one line
  EXPECT_EQ(TransformInverse(inverse, flat), 0);
  const float identity[6] = {1, 0, 0, 1, 0, 0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(inverse[i], identity[i]);
  const float broken[6] = {NAN, 0, 0, 1, 0, 0};
  EXPECT_EQ(TransformInverse(inverse, broken), 0);
}

int CountCommands(const CanvasContext* canvas, int wanted) {
  int count = 0;
  for (int i = 0; i < canvas->commandCount;) {
    const int command = static_cast<int>(canvas->commands[i]);
    if (command == wanted) count++;
    i += 1 + CanvasCommandValueCount(command);
  }
  return count;
}

struct ArcCase {
  float a0, a1;
  int32_t direction;
  int segments;
};

class CanvasArcSegments : public RecordingCanvasTest, public ::testing::WithParamInterface<ArcCase> {};

TEST_P(CanvasArcSegments, SweepDecidesTheNumberOfBezierSegments) {
  const ArcCase& c = GetParam();
  CanvasArc(canvas_, 50.0f, 50.0f, 10.0f, c.a0, c.a1, c.direction);
  EXPECT_EQ(CountCommands(canvas_, kCommandMoveTo), 1);
  EXPECT_EQ(CountCommands(canvas_, kCommandBezierTo), c.segments);
}

INSTANTIATE_TEST_SUITE_P(Sweeps, CanvasArcSegments,
                         ::testing::Values(ArcCase{0.0f, 2.0f * kPiF, 2, 4},   // a full circle
                                           ArcCase{0.0f, kPiF / 4.0f, 2, 1},   // an eighth
                                           ArcCase{0.0f, 3.0f * kPiF, 2, 4},   // more than a turn: one turn
                                           ArcCase{0.0f, -kPiF / 2.0f, 2, 3},  // clockwise the long way
                                           ArcCase{0.0f, kPiF / 2.0f, 1,
                                                   3},  // counter-clockwise the long way
                                           ArcCase{0.0f, -2.0f * kPiF, 1, 4}));

TEST_F(RecordingCanvasTest, ArcRunsClockwiseOnScreenAndContinuesAnOpenPath) {
  CanvasMoveTo(canvas_, 0.0f, 0.0f);
  CanvasArc(canvas_, 50.0f, 50.0f, 10.0f, 0.0f, kPiF / 2.0f, 2);
  // After the move, the arc starts with a line to its first point, at angle 0.
  ASSERT_EQ(static_cast<int>(canvas_->commands[3]), kCommandLineTo);
  EXPECT_NEAR(canvas_->commands[4], 60.0f, 1e-4f);
  EXPECT_NEAR(canvas_->commands[5], 50.0f, 1e-4f);
  // A quarter turn clockwise with y down ends straight below the centre.
  EXPECT_NEAR(canvas_->commandX, 50.0f, 1e-4f);
  EXPECT_NEAR(canvas_->commandY, 60.0f, 1e-4f);
  // The control points lie on the tangents: the first straight below the start.
  ASSERT_EQ(static_cast<int>(canvas_->commands[6]), kCommandBezierTo);
  EXPECT_NEAR(canvas_->commands[7], 60.0f, 1e-4f);
  EXPECT_GT(canvas_->commands[8], 50.0f);
}

TEST_F(RecordingCanvasTest, DegenerateArcsAddNothingThatIsNotANumber) {
  CanvasArc(canvas_, 50.0f, 50.0f, 10.0f, 1.0f, 1.0f, 2);  // no sweep
  for (int i = 0; i < canvas_->commandCount; ++i) EXPECT_TRUE(std::isfinite(canvas_->commands[i])) << i;
  const int before = canvas_->commandCount;
  CanvasArc(canvas_, 50.0f, 50.0f, NAN, 0.0f, 1.0f, 2);
  CanvasArc(canvas_, 50.0f, 50.0f, 10.0f, 0.0f, INFINITY, 1);
  EXPECT_EQ(canvas_->commandCount, before);
}

TEST_F(RecordingCanvasTest, AppendKeepsWholeCommandsOnly) {
  const float values[] = {kCommandMoveTo, 1, 2, kCommandLineTo, 3, 4, kCommandBezierTo, 5, 6, 7};
  CanvasAppendCommands(canvas_, values, 10);  // the bezier lacks three values
  EXPECT_EQ(canvas_->commandCount, 6);
  const float unknown[] = {kCommandLineTo, 5, 6, 17, kCommandLineTo, 7, 8};
  CanvasAppendCommands(canvas_, unknown, 7);  // stops at the code it does not know
  EXPECT_EQ(canvas_->commandCount, 9);
  const float broken[] = {kCommandLineTo, NAN, 6, kCommandLineTo, 7, INFINITY, kCommandClose};
  CanvasAppendCommands(canvas_, broken, 7);  // points that are no numbers are left out
  EXPECT_EQ(canvas_->commandCount, 10);
  EXPECT_EQ(static_cast<int>(canvas_->commands[9]), kCommandClose);
}

TEST_F(RecordingCanvasTest, CommandBufferGrowsAndKeepsEveryCommand) {
  for (int i = 0; i < 500; ++i) CanvasLineTo(canvas_, static_cast<float>(i), 0.0f);
  ASSERT_EQ(canvas_->commandCount, 1500);
  EXPECT_EQ(canvas_->commands[1497], static_cast<float>(kCommandLineTo));
  EXPECT_EQ(canvas_->commands[1498], 499.0f);
}

struct StrokeWidthCase {
  float width;
  float scale;
  float expectedWidth;
  float expectedAlpha;
};

class CanvasStrokeWidths : public RecordingCanvasTest,
                           public ::testing::WithParamInterface<StrokeWidthCase> {};

TEST_P(CanvasStrokeWidths, WidthFollowsTheTransformWithinItsLimits) {
  const StrokeWidthCase& c = GetParam();
  CanvasScale(canvas_, c.scale, c.scale);
  CanvasStrokeWidth(canvas_, c.width);
  CanvasMoveTo(canvas_, 1.0f, 1.0f);
  CanvasLineTo(canvas_, 5.0f, 1.0f);
  CanvasStroke(canvas_);
  ASSERT_EQ(backend_.calls.size(), 1u);
  EXPECT_FLOAT_EQ(LastCall().strokeWidth, c.expectedWidth);
  EXPECT_FLOAT_EQ(LastCall().paint.innerColour.a, c.expectedAlpha);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, CanvasStrokeWidths,
    ::testing::Values(StrokeWidthCase{3.0f, 1.0f, 3.0f, 1.0f}, StrokeWidthCase{3.0f, 2.0f, 6.0f, 1.0f},
                      // thinner than the one-pixel fringe: drawn at one pixel, fainter by the lost area
                      StrokeWidthCase{0.5f, 1.0f, 1.0f, 0.25f}, StrokeWidthCase{0.25f, 2.0f, 1.0f, 0.25f},
                      StrokeWidthCase{1000.0f, 1.0f, 200.0f, 1.0f},  // capped
                      StrokeWidthCase{NAN, 1.0f, 1.0f, 0.0f}, StrokeWidthCase{-2.0f, 1.0f, 1.0f, 0.0f}));

TEST_F(RecordingCanvasTest, GlobalAlphaFadesFillsAndStrokes) {
  CanvasGlobalAlpha(canvas_, 0.25f);
  CanvasFillColour(canvas_, CanvasColour{1, 1, 1, 0.5f});
  CanvasRect(canvas_, 10, 10, 20, 20);
  CanvasFill(canvas_);
  CanvasStroke(canvas_);
  ASSERT_EQ(backend_.calls.size(), 2u);
  EXPECT_FLOAT_EQ(backend_.calls[0].paint.innerColour.a, 0.125f);
  EXPECT_FLOAT_EQ(backend_.calls[1].paint.innerColour.a, 0.25f);
}

TEST_F(RecordingCanvasTest, ScissorIsTheRectangleInTheCurrentTransform) {
  CanvasTranslate(canvas_, 100.0f, 0.0f);
  CanvasScissor(canvas_, 10.0f, 20.0f, 30.0f, -5.0f);  // a negative height clips everything
  const CanvasScissorState& scissor = CanvasCurrentState(canvas_)->scissor;
  EXPECT_FLOAT_EQ(scissor.xform[4], 125.0f);
  EXPECT_FLOAT_EQ(scissor.xform[5], 20.0f);
  EXPECT_FLOAT_EQ(scissor.extent[0], 15.0f);
  EXPECT_FLOAT_EQ(scissor.extent[1], 0.0f);
  CanvasResetScissor(canvas_);
  EXPECT_LT(CanvasCurrentState(canvas_)->scissor.extent[0], 0.0f);
}

TEST_F(RecordingCanvasTest, PaintsTakeTheTransformCurrentWhenTheyAreSet) {
  CanvasTranslate(canvas_, 7.0f, 9.0f);
  CanvasFillPaint(canvas_, CanvasRadialGradient(1.0f, 2.0f, 0.0f, 10.0f, CanvasColour{1, 1, 1, 1},
                                                CanvasColour{0, 0, 0, 1}));
  CanvasTranslate(canvas_, 100.0f, 100.0f);  // later steps do not move the paint
  const CanvasPaint& paint = CanvasCurrentState(canvas_)->fill;
  EXPECT_FLOAT_EQ(paint.xform[4], 8.0f);
  EXPECT_FLOAT_EQ(paint.xform[5], 11.0f);
}

TEST(CanvasCreation, FailingBackEndLeavesNoCanvasAndIsReleased) {
  RecordingBackend backend;
  CanvasBackendCallbacks callbacks = backend.Callbacks();
  callbacks.create = [](void*) { return 0; };
  EXPECT_EQ(CanvasCreate(&callbacks), nullptr);
  EXPECT_TRUE(backend.destroyed);
}

TEST(CanvasCreation, DeleteReleasesTheFontTextureAndTheBackEnd) {
  RecordingBackend backend;
  CanvasContext* canvas = CanvasCreate(&backend.Callbacks());
  ASSERT_NE(canvas, nullptr);
  ASSERT_EQ(backend.textures.size(), 1u);
  EXPECT_EQ(backend.textures.begin()->second.type, kTextureAlpha);
  EXPECT_EQ(backend.textures.begin()->second.width, 512);
  CanvasDelete(canvas);
  EXPECT_TRUE(backend.textures.empty());
  EXPECT_TRUE(backend.destroyed);
}

}  // namespace
}  // namespace plugfw::gfx::test
