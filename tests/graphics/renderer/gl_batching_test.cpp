// Joined draws: calls painted alike go to GL as one triangle list, and nothing else may
// change. Each scene is drawn once in one flush, where the back end joins what it can, and
// once with a flush after every shape, where nothing can be joined; the pixels must agree
// exactly, while the joined frame makes fewer draws. The convex cut of a fill's interior is
// checked against the stencil road for the same shape.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "graphics/renderer/canvas.h"
#include "graphics/renderer/gl_backend.h"
#include "tests/graphics/renderer/gl_canvas_fixture.h"

namespace plugfw::gfx::test {
namespace {

const GLFunctions* gReal = nullptr;
int gDraws = 0;
int gUniformUploads = 0;
int gTextureBinds = 0;

void HALCYRA_GLAPI CountDraw(GLenum mode, GLint first, GLsizei count) {
  gDraws++;
  gReal->DrawArrays(mode, first, count);
}
void HALCYRA_GLAPI CountIndexedDraw(GLenum mode, GLsizei count, GLenum type, const void* indices) {
  gDraws++;
  gReal->DrawElements(mode, count, type, indices);
}
void HALCYRA_GLAPI CountUniforms(GLint location, GLsizei count, const GLfloat* value) {
  gUniformUploads++;
  gReal->Uniform4fv(location, count, value);
}
void HALCYRA_GLAPI CountBind(GLenum target, GLuint texture) {
  gTextureBinds++;
  gReal->BindTexture(target, texture);
}

constexpr CanvasColour kHalfRed{1.f, 0.f, 0.f, 0.5f};
constexpr CanvasColour kHalfBlue{0.f, 0.f, 1.f, 0.5f};
constexpr CanvasCompositeOperation kAdditive{kBlendOne, kBlendOne, kBlendOne, kBlendOne};

using Shape = std::function<void(CanvasContext*)>;

void Disc(CanvasContext* canvas, float cx, float cy, float r, CanvasColour colour) {
  CanvasBeginPath(canvas);
  CanvasArc(canvas, cx, cy, r, 0.f, 6.2831855f, 2);
  CanvasClosePath(canvas);
  CanvasFillColour(canvas, colour);
  CanvasFill(canvas);
}

void AdditiveDisc(CanvasContext* canvas, float cx, float cy, float r, CanvasColour colour) {
  CanvasSave(canvas);
  CanvasCompositeFactorsSeparate(canvas, kAdditive);
  Disc(canvas, cx, cy, r, colour);
  CanvasRestore(canvas);
}

void Line(CanvasContext* canvas, float x0, float y0, float x1, float y1, CanvasColour colour) {
  CanvasBeginPath(canvas);
  CanvasMoveTo(canvas, x0, y0);
  CanvasLineTo(canvas, x1, y1);
  CanvasStrokeColour(canvas, colour);
  CanvasStrokeWidth(canvas, 3.f);
  CanvasStroke(canvas);
}

// Overlapping, half transparent shapes, so that a shape drawn twice, left out or drawn out of
// order shows. Neighbours share their paint where a join is right and differ in one thing
// where it is not: colour, blend, clip.
std::vector<Shape> Scene() {
  return {
      [](CanvasContext* c) { Disc(c, 20.3f, 20.1f, 11.f, kHalfRed); },
      [](CanvasContext* c) { Disc(c, 28.7f, 22.4f, 11.f, kHalfRed); },
      [](CanvasContext* c) { Disc(c, 24.2f, 30.6f, 11.f, kHalfRed); },
      [](CanvasContext* c) { Line(c, 4.f, 50.f, 60.f, 40.f, kHalfRed); },
      [](CanvasContext* c) { Line(c, 4.f, 40.f, 60.f, 50.f, kHalfRed); },
      [](CanvasContext* c) { Disc(c, 44.5f, 22.5f, 9.f, kHalfBlue); },
      [](CanvasContext* c) { AdditiveDisc(c, 40.5f, 28.5f, 9.f, kHalfBlue); },
      [](CanvasContext* c) { Disc(c, 48.5f, 30.5f, 9.f, kHalfBlue); },
      [](CanvasContext* c) {
        CanvasSave(c);
        CanvasScissor(c, 30.f, 0.f, 34.f, 64.f);
        Disc(c, 36.5f, 44.5f, 12.f, kHalfBlue);
        CanvasRestore(c);
      },
      [](CanvasContext* c) { Disc(c, 40.5f, 48.5f, 12.f, kHalfBlue); },
  };
}

class GLBatchingTest : public GLCanvasTest {
 protected:
  GLBackendState* State() { return static_cast<GLBackendState*>(canvas_->callbacks.state); }

  // The shapes in one frame, or with a flush after each; counts the draws.
  Pixels Draw(const std::vector<Shape>& shapes, bool flushEach) {
    GLTableScope scope;
    gReal = &scope.Saved();
    TestGL().DrawArrays = CountDraw;
    TestGL().DrawElements = CountIndexedDraw;
    TestGL().Uniform4fv = CountUniforms;
    TestGL().BindTexture = CountBind;
    gDraws = gUniformUploads = gTextureBinds = 0;
    RestartFrame();
    for (const Shape& shape : shapes) {
      shape(canvas_);
      if (flushEach) {
        CanvasEndFrame(canvas_);
        CanvasBeginFrame(canvas_, kSize, kSize, 1.f);
      }
    }
    return Finish();
  }

  void ExpectSamePixels(const Pixels& joined, const Pixels& apart) {
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) ASSERT_TRUE(PixelNear(joined, x, y, apart.At(x, y), 0));
    }
  }
};

TEST_F(GLBatchingTest, JoinedCallsDrawWhatSeparateFlushesDraw) {
  const Pixels apart = Draw(Scene(), true);
  const int apartDraws = gDraws;
  const Pixels joined = Draw(Scene(), false);
  ExpectSamePixels(joined, apart);
  // Joined: the three red discs, the two red lines; the blue discs stay apart.
  EXPECT_EQ(apartDraws, 10);
  EXPECT_EQ(gDraws, 7);
  EXPECT_GT(joined.CoveredArea(), 1000.0);
}

TEST_F(GLBatchingTest, SamePaintUnderAnotherBlendIsUploadedOnceAndDrawnApart) {
  const std::vector<Shape> shapes = {
      [](CanvasContext* c) { Disc(c, 30.5f, 30.5f, 12.f, kHalfBlue); },
      [](CanvasContext* c) { AdditiveDisc(c, 34.5f, 34.5f, 12.f, kHalfBlue); },
  };
  const Pixels apart = Draw(shapes, true);
  const Pixels joined = Draw(shapes, false);
  ExpectSamePixels(joined, apart);
  EXPECT_EQ(gDraws, 2);
  EXPECT_EQ(gUniformUploads, 1);
  // Where both discs cover, additive half blue over half blue is full blue.
  EXPECT_TRUE(PixelNear(joined, 32, 32, Rgba{0, 0, 255, 255}, 1));
}

TEST_F(GLBatchingTest, ImagesAreNotJoinedAcrossTextures) {
  const uint8_t red[] = {255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255};
  const uint8_t green[] = {0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255};
  const int32_t redImage = CanvasCreateImageRgba(canvas_, 2, 2, 0, red);
  const int32_t greenImage = CanvasCreateImageRgba(canvas_, 2, 2, 0, green);
  ASSERT_GT(redImage, 0);
  ASSERT_GT(greenImage, 0);
  // The same rectangle and pattern: only the texture tells the two calls apart.
  FillWithImage(redImage, 8, 8, 16, 16);
  FillWithImage(greenImage, 8, 8, 16, 16);
  const Pixels pixels = Finish();
  EXPECT_TRUE(PixelNear(pixels, 16, 16, Rgba{0, 255, 0, 255}));
}

TEST_F(GLBatchingTest, PaintsThatSampleNothingKeepTheBoundTextureAndImagesStillGetTheirs) {
  const uint8_t red[] = {255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255};
  const uint8_t green[] = {0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255};
  const int32_t redImage = CanvasCreateImageRgba(canvas_, 2, 2, 0, red);
  const int32_t greenImage = CanvasCreateImageRgba(canvas_, 2, 2, 0, green);
  const std::vector<Shape> redColourRed = {
      [&](CanvasContext*) { FillWithImage(redImage, 0, 0, 16, 16); },
      [&](CanvasContext*) {
        FillRect(24, 0, 16, 16, CanvasColour{0, 0, 1, 1});
      },
      [&](CanvasContext*) { FillWithImage(redImage, 48, 0, 16, 16); },
  };
  Pixels pixels = Draw(redColourRed, false);
  // The start's unbinding, the red image once, the end's unbinding.
  EXPECT_EQ(gTextureBinds, 3);
  EXPECT_TRUE(PixelNear(pixels, 8, 8, Rgba{255, 0, 0, 255}));
  EXPECT_TRUE(PixelNear(pixels, 32, 8, Rgba{0, 0, 255, 255}));
  EXPECT_TRUE(PixelNear(pixels, 56, 8, Rgba{255, 0, 0, 255}));

  const std::vector<Shape> redColourGreen = {
      [&](CanvasContext*) { FillWithImage(redImage, 0, 0, 16, 16); },
      [&](CanvasContext*) {
        FillRect(24, 0, 16, 16, CanvasColour{0, 0, 1, 1});
      },
      [&](CanvasContext*) { FillWithImage(greenImage, 48, 0, 16, 16); },
  };
  pixels = Draw(redColourGreen, false);
  EXPECT_TRUE(PixelNear(pixels, 56, 8, Rgba{0, 255, 0, 255}));
}

TEST_F(GLBatchingTest, AStrayVertexStartsNoTriangleInTheNextCall) {
  // Two triangle calls painted alike: the first has one vertex past its triangle, which must
  // not pair with the second call's vertices once the two are one draw.
  const uint8_t opaque[] = {255};
  const int32_t image = GLBackendCreateTexture(State(), kTextureAlpha, 1, 1, 0, opaque);
  const CanvasPaint paint = CanvasImagePattern(0, 0, 1, 1, 0.0f, image, 1.0f);
  CanvasScissorState noScissor{};
  noScissor.extent[0] = noScissor.extent[1] = -1.0f;
  const CanvasCompositeOperation sourceOver{kBlendOne, kBlendOneMinusSrcAlpha, kBlendOne,
                                            kBlendOneMinusSrcAlpha};
  const CanvasVertex first[] = {
      {4, 4, 0.5f, 0.5f}, {4, 20, 0.5f, 0.5f}, {20, 4, 0.5f, 0.5f}, {60, 60, 0.5f, 0.5f}};
  const CanvasVertex second[] = {{40, 4, 0.5f, 0.5f}, {40, 20, 0.5f, 0.5f}, {56, 4, 0.5f, 0.5f}};
  auto draw = [&](bool flushBetween) {
    RestartFrame();
    GLBackendTriangles(State(), &paint, sourceOver, &noScissor, first, 4, 1.0f);
    if (flushBetween) GLBackendFlush(State());
    GLBackendTriangles(State(), &paint, sourceOver, &noScissor, second, 3, 1.0f);
    return Finish();
  };
  const Pixels apart = draw(true);
  const Pixels joined = draw(false);
  ExpectSamePixels(joined, apart);
  EXPECT_TRUE(PixelNear(joined, 8, 8, kOpaqueWhite));
  EXPECT_TRUE(PixelNear(joined, 44, 8, kOpaqueWhite));
  EXPECT_TRUE(PixelNear(joined, 40, 40, kClear));  // where a triangle of stray and second would lie
}

// A lone convex path is cut into triangles its own way; with a second path beside it the same
// shape takes the stencil road. Both must cover the same pixels.
struct ConvexShape {
  const char* name;
  std::function<void(CanvasContext*)> add;
};

class ConvexCut : public GLBatchingTest, public ::testing::WithParamInterface<ConvexShape> {};

TEST_P(ConvexCut, CoversWhatTheStencilRoadCovers) {
  CanvasBeginPath(canvas_);
  GetParam().add(canvas_);
  CanvasFillColour(canvas_, CanvasColour{1, 1, 1, 1});
  CanvasFill(canvas_);
  const Pixels convex = Finish();
  RestartFrame();
  CanvasBeginPath(canvas_);
  GetParam().add(canvas_);
  CanvasRect(canvas_, 62, 62, 2, 2);  // out of the way: only makes this two paths
  CanvasFillColour(canvas_, CanvasColour{1, 1, 1, 1});
  CanvasFill(canvas_);
  const Pixels stenciled = Finish();
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 60; ++x) ASSERT_TRUE(PixelNear(stenciled, x, y, convex.At(x, y), 2));
  }
  EXPECT_GT(convex.CoveredArea(), 300.0);
}

INSTANTIATE_TEST_SUITE_P(Shapes, ConvexCut,
                         ::testing::Values(ConvexShape{"Circle",
                                                       [](CanvasContext* c) {
                                                         CanvasArc(c, 29.3f, 30.6f, 24.2f, 0.f, 6.2831855f,
                                                                   2);
                                                         CanvasClosePath(c);
                                                       }},
                                           ConvexShape{
                                               "RoundedPanel",
                                               [](CanvasContext* c) {
                                                 // The knob panel's shape: a long outline with its points
                                                 // gathered in four corners.
                                                 const float x = 3.4f, y = 5.2f, w = 52.f, h = 46.f, r = 6.f;
                                                 CanvasMoveTo(c, x + r, y);
                                                 CanvasArc(c, x + w - r, y + r, r, -1.5707964f, 0.f, 2);
                                                 CanvasArc(c, x + w - r, y + h - r, r, 0.f, 1.5707964f, 2);
                                                 CanvasArc(c, x + r, y + h - r, r, 1.5707964f, 3.1415927f, 2);
                                                 CanvasArc(c, x + r, y + r, r, 3.1415927f, 4.712389f, 2);
                                                 CanvasClosePath(c);
                                               }}),
                         [](const ::testing::TestParamInfo<ConvexShape>& info) { return info.param.name; });

}  // namespace
}  // namespace plugfw::gfx::test
