// The GL back end's own contracts: refusing to start without every entry point, shader
// failures, texture records, framebuffers with the stencil retry, and the state cache.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "graphics/renderer/canvas.h"
#include "graphics/renderer/gl_backend.h"
#include "tests/graphics/renderer/gl_canvas_fixture.h"
#include "tests/graphics/renderer/gl_table_doubles.h"

namespace plugfw::gfx::test {
namespace {

class GLBackendStart : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    const char* reason = nullptr;
    ASSERT_TRUE(EnsureGLTestContext(&reason)) << reason;
  }
};

TEST_P(GLBackendStart, MissingEntryPointLeavesNoCanvas) {
  GLFunctions table;
  const char* missing = LoadGLFunctionsFrom(table, TestGL(), GetParam());
  ASSERT_NE(missing, nullptr);
  EXPECT_STREQ(missing, GetParam());
  EXPECT_FALSE(table.complete);
  EXPECT_EQ(table.BindTexture, nullptr);  // nothing half-loaded to call through
  EXPECT_EQ(GLCanvasCreate(kGLBackendAntiAlias, table), nullptr);

  // The same context with every entry point starts.
  ASSERT_EQ(LoadGLFunctionsFrom(table, TestGL()), nullptr);
  CanvasContext* canvas = GLCanvasCreate(kGLBackendAntiAlias, table);
  EXPECT_NE(canvas, nullptr);
  CanvasDelete(canvas);
}

INSTANTIATE_TEST_SUITE_P(Withheld, GLBackendStart,
                         ::testing::Values("glGenFramebuffers",  // a context without framebuffer objects
                                           "glStencilOpSeparate", "glBlendFuncSeparate", "glViewport"));

TEST(GLFunctionLoading, NoResolverLoadsNothing) {
  GLFunctions table = TestGL();
  EXPECT_NE(LoadGLFunctions(table, nullptr, nullptr), nullptr);
  EXPECT_FALSE(table.complete);
  EXPECT_EQ(table.Viewport, nullptr);
}

// Shims that stand in for single GL entry points. They forward to the table the scope saved.
const GLFunctions* gReal = nullptr;
enum ShimCounter {
  kBlendCalls,
  kBindTextureCalls,
  kStencilFuncCalls,
  kDeleteTexturesCalls,
  kDeleteShaderCalls,
  kStorageCalls,
  kStencilTestCalls,
  kShimCounters
};
int gCalls[kShimCounters];

void HALCYRA_GLAPI FailFragmentCompile(GLuint shader, GLenum pname, GLint* params) {
  gReal->GetShaderiv(shader, pname, params);
  GLint type = 0;
  gReal->GetShaderiv(shader, 0x8B4F /* GL_SHADER_TYPE */, &type);
  if (pname == GL_COMPILE_STATUS && static_cast<GLenum>(type) == GL_FRAGMENT_SHADER) *params = 0;
}
void HALCYRA_GLAPI CountDeleteShader(GLuint shader) {
  gCalls[kDeleteShaderCalls]++;
  gReal->DeleteShader(shader);
}

TEST(GLBackendShader, CompileFailureIsReportedAndReleased) {
  const char* reason = nullptr;
  ASSERT_TRUE(EnsureGLTestContext(&reason)) << reason;
  GLTableScope scope;
  gReal = &scope.Saved();
  std::memset(gCalls, 0, sizeof(gCalls));
  TestGL().GetShaderiv = FailFragmentCompile;
  TestGL().DeleteShader = CountDeleteShader;
  ::testing::internal::CaptureStdout();
  CanvasContext* canvas = GLCanvasCreate(kGLBackendAntiAlias, TestGL());
  const std::string printed = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(canvas, nullptr);
  EXPECT_EQ(printed.rfind("Shader shader/frag error:\n", 0), 0u) << printed;
  EXPECT_EQ(gCalls[kDeleteShaderCalls], 2);  // both shader objects, none left behind
}

class GLBackendTest : public GLCanvasTest {
 protected:
  GLBackendState* State() { return static_cast<GLBackendState*>(canvas_->callbacks.state); }
};

void HALCYRA_GLAPI CountDeleteTextures(GLsizei n, const GLuint* textures) {
  gCalls[kDeleteTexturesCalls]++;
  gReal->DeleteTextures(n, textures);
}

TEST_F(GLBackendTest, ImageIdsAreNeverReusedAndStaleIdsFindNothing) {
  const uint8_t texel[] = {1, 2, 3, 4};
  const int32_t first = CanvasCreateImageRgba(canvas_, 1, 1, 0, texel);
  CanvasDeleteImage(canvas_, first);
  const int32_t second = CanvasCreateImageRgba(canvas_, 1, 1, 0, texel);
  EXPECT_GT(second, first);
  int width = -1, height = -1;
  EXPECT_EQ(CanvasImageSize(canvas_, first, &width, &height), 0);
  EXPECT_EQ(GLBackendDeleteTexture(State(), first), 0);
  // The freed record has id 0; asking for image 0 must not find it.
  EXPECT_EQ(CanvasImageSize(canvas_, 0, &width, &height), 0);
  EXPECT_EQ(GLBackendUpdateTexture(State(), 0, 0, 0, 1, 1, texel), 0);
  EXPECT_EQ(GLBackendDeleteTexture(State(), 0), 0);
  EXPECT_EQ(CanvasImageSize(canvas_, second, &width, &height), 1);
  EXPECT_EQ(width, 1);
  EXPECT_EQ(CanvasCreateImageRgba(canvas_, 0, 4, 0, nullptr), 0);
}

TEST_F(GLBackendTest, ImageMarkedNotOwnedKeepsItsGLTexture) {
  GLTableScope scope;
  gReal = &scope.Saved();
  std::memset(gCalls, 0, sizeof(gCalls));
  TestGL().DeleteTextures = CountDeleteTextures;
  const int32_t borrowed = CanvasCreateImageRgba(canvas_, 2, 2, kImageNoDelete, nullptr);
  const GLuint texture = GLBackendFindTexture(State(), borrowed)->texture;
  CanvasDeleteImage(canvas_, borrowed);
  EXPECT_EQ(gCalls[kDeleteTexturesCalls], 0);
  EXPECT_EQ(GLBackendFindTexture(State(), borrowed), nullptr);
  const int32_t owned = CanvasCreateImageRgba(canvas_, 2, 2, 0, nullptr);
  CanvasDeleteImage(canvas_, owned);
  EXPECT_EQ(gCalls[kDeleteTexturesCalls], 1);
  gReal->DeleteTextures(1, &texture);
}

TEST_F(GLBackendTest, UpdateUploadsOnlyItsRectangleOutOfTheWholeImage) {
  // A 4 x 4 alpha image of zeros; then the 2 x 2 block at (1, 2) changed in the caller's copy.
  uint8_t alpha[16] = {};
  const int32_t image = GLBackendCreateTexture(State(), kTextureAlpha, 4, 4, kImageNearest, alpha);
  for (uint8_t& a : alpha) a = 60;  // outside the rectangle: must not reach the texture
  alpha[2 * 4 + 1] = alpha[2 * 4 + 2] = alpha[3 * 4 + 1] = alpha[3 * 4 + 2] = 200;
  ASSERT_EQ(GLBackendUpdateTexture(State(), image, 1, 2, 2, 2, alpha), 1);
  EXPECT_EQ(GLBackendUpdateTexture(State(), image, 3, 3, 2, 2, alpha), 0);  // runs past the edge
  EXPECT_EQ(GLBackendUpdateTexture(State(), image, 0, 0, 1, 1, nullptr), 0);
  // Drawn 16 pixels per texel, texel row 0 at the top; alpha images read as (a, a, a, a).
  FillWithImage(image, 0, 0, 64, 64);
  const Pixels pixels = Finish();
  for (int ty = 0; ty < 4; ++ty) {
    for (int tx = 0; tx < 4; ++tx) {
      const int a = (tx == 1 || tx == 2) && ty >= 2 ? 200 : 0;
      EXPECT_TRUE(PixelNear(pixels, tx * 16 + 8, ty * 16 + 8, Rgba{a, a, a, a})) << tx << ", " << ty;
    }
  }
}

TEST_F(GLBackendTest, TrianglesWithAnAlphaImageAreTintedByThePaint) {
  // The road text takes: an alpha image on textured triangles, coloured by the paint.
  const uint8_t alpha[] = {255};
  const int32_t image = GLBackendCreateTexture(State(), kTextureAlpha, 1, 1, 0, alpha);
  CanvasPaint paint = CanvasImagePattern(0, 0, 1, 1, 0.0f, image, 1.0f);
  paint.innerColour = CanvasColour{1.0f, 0.5f, 0.0f, 0.5f};
  const CanvasVertex quad[] = {{8, 8, 0.5f, 0.5f}, {24, 24, 0.5f, 0.5f}, {24, 8, 0.5f, 0.5f},
                               {8, 8, 0.5f, 0.5f}, {8, 24, 0.5f, 0.5f},  {24, 24, 0.5f, 0.5f}};
  CanvasScissorState noScissor{};
  noScissor.extent[0] = noScissor.extent[1] = -1.0f;
  GLBackendTriangles(
      State(), &paint,
      CanvasCompositeOperation{kBlendOne, kBlendOneMinusSrcAlpha, kBlendOne, kBlendOneMinusSrcAlpha},
      &noScissor, quad, 6, 1.0f);
  const Pixels pixels = Finish();
  EXPECT_TRUE(PixelNear(pixels, 16, 16, Rgba{128, 64, 0, 128}));
  EXPECT_TRUE(PixelNear(pixels, 30, 16, kClear));
}

void HALCYRA_GLAPI RefuseStencilIndex8(GLenum target, GLenum format, GLsizei width, GLsizei height) {
  gCalls[kStorageCalls]++;
  if (format == GL_STENCIL_INDEX8) return;  // as a driver without 8-bit stencil buffers: no storage
  gReal->RenderbufferStorage(target, format, width, height);
}

void HALCYRA_GLAPI RefuseAllStorage(GLenum, GLenum, GLsizei, GLsizei) { gCalls[kStorageCalls]++; }

TEST_F(GLBackendTest, FramebufferWithoutEightBitStencilRetriesWithDepthStencil) {
  GLTableScope scope;
  gReal = &scope.Saved();
  std::memset(gCalls, 0, sizeof(gCalls));
  TestGL().RenderbufferStorage = RefuseStencilIndex8;
  LayerFramebuffer* layer = CreateLayerFramebuffer(canvas_, 40, 24, 0);
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(gCalls[kStorageCalls], 2);
  int width = 0, height = 0;
  ASSERT_TRUE(LayerFramebufferSize(layer, &width, &height));
  EXPECT_EQ(width, 40);
  EXPECT_EQ(height, 24);
  // The retried stencil works: a hole stays empty.
  BindAndClear(layer);
  CanvasBeginFrame(canvas_, 40, 24, 1.0f);
  CanvasRect(canvas_, 0, 0, 40, 24);
  CanvasRect(canvas_, 10, 6, 20, 12);
  CanvasPathWinding(canvas_, kWindingHole);
  CanvasFill(canvas_);
  const Pixels pixels = Finish(40, 24);
  EXPECT_TRUE(PixelNear(pixels, 2, 2, kOpaqueWhite));
  EXPECT_TRUE(PixelNear(pixels, 20, 12, kClear));
  DeleteLayerFramebuffer(layer);
}

TEST_F(GLBackendTest, FramebufferThatCannotBeCompletedLeavesBindingsAndNoImage) {
  GLTableScope scope;
  gReal = &scope.Saved();
  std::memset(gCalls, 0, sizeof(gCalls));
  TestGL().RenderbufferStorage = RefuseAllStorage;
  const int32_t textureRecords = State()->lastTextureId;
  EXPECT_EQ(CreateLayerFramebuffer(canvas_, 16, 16, 0), nullptr);
  GLint bound = 0;
  TestGL().GetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), target_->framebuffer);
  // Its image was made and deleted again.
  EXPECT_EQ(State()->lastTextureId, textureRecords + 1);
  EXPECT_EQ(GLBackendFindTexture(State(), textureRecords + 1), nullptr);
  EXPECT_EQ(CreateLayerFramebuffer(canvas_, 0, 16, 0), nullptr);
}

TEST_F(GLBackendTest, WithoutEdgeAntiAliasingStencilFillsFollowEachOther) {
  // Without the fringe pass a fill ends on a different stencil function than it starts
  // with; the next fill must still find the stencil pass as it expects.
  CanvasContext* hard = GLCanvasCreate(0, TestGL());
  ASSERT_NE(hard, nullptr);
  LayerFramebuffer* layer = CreateLayerFramebuffer(hard, kSize, kSize, 0);
  ASSERT_NE(layer, nullptr);
  BindAndClear(layer);
  CanvasBeginFrame(hard, kSize, kSize, 1.0f);
  for (float x : {0.0f, 32.0f}) {
    CanvasBeginPath(hard);
    CanvasRect(hard, x, 0, 8, 8);
    CanvasRect(hard, x + 16, 0, 8, 8);
    CanvasFill(hard);
  }
  CanvasEndFrame(hard);
  Pixels pixels(kSize, kSize);
  TestGL().PixelStorei(GL_PACK_ALIGNMENT, 1);
  TestGL().ReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, pixels.Data());
  for (int x : {4, 20, 36, 52}) EXPECT_TRUE(PixelNear(pixels, x, 4, kOpaqueWhite)) << x;
  EXPECT_TRUE(PixelNear(pixels, 12, 4, kClear));
  DeleteLayerFramebuffer(layer);
  CanvasDelete(hard);
  BindAndClear(target_);
}

void HALCYRA_GLAPI CountBlend(GLenum a, GLenum b, GLenum c, GLenum d) {
  gCalls[kBlendCalls]++;
  gReal->BlendFuncSeparate(a, b, c, d);
}
void HALCYRA_GLAPI CountBindTexture(GLenum target, GLuint texture) {
  gCalls[kBindTextureCalls]++;
  gReal->BindTexture(target, texture);
}
void HALCYRA_GLAPI CountStencilFunc(GLenum func, GLint ref, GLuint mask) {
  gCalls[kStencilFuncCalls]++;
  gReal->StencilFunc(func, ref, mask);
}

void HALCYRA_GLAPI CountStencilTest(GLenum cap) {
  if (cap == GL_STENCIL_TEST) gCalls[kStencilTestCalls]++;
  gReal->Enable(cap);
}

TEST_F(GLBackendTest, OneConvexPathNeedsNoStencilAndTwoDo) {
  GLTableScope scope;
  gReal = &scope.Saved();
  std::memset(gCalls, 0, sizeof(gCalls));
  TestGL().Enable = CountStencilTest;
  FillRect(4, 4, 8, 8, CanvasColour{1, 1, 1, 1});
  CanvasEndFrame(canvas_);
  EXPECT_EQ(gCalls[kStencilTestCalls], 0);
  CanvasBeginFrame(canvas_, kSize, kSize, 1.0f);
  CanvasBeginPath(canvas_);
  CanvasRect(canvas_, 4, 4, 8, 8);
  CanvasRect(canvas_, 20, 4, 8, 8);
  CanvasFill(canvas_);
  CanvasEndFrame(canvas_);
  EXPECT_EQ(gCalls[kStencilTestCalls], 1);
}

// Each call draws into the target and at the view it was queued for, whatever comes after it
// in the same flush.
TEST_F(GLBackendTest, OneFlushDrawsIntoSeveralTargetsEachAtItsOwnSize) {
  LayerFramebuffer* small = CreateLayerFramebuffer(canvas_, 16, 8, 0);
  ASSERT_NE(small, nullptr);
  BindAndClear(small);
  BindAndClear(target_);
  GLUploadCounts counts(TestGL());
  const CanvasColour white{1, 1, 1, 1};
  CanvasBeginFrame(canvas_, kSize, kSize, 1.0f);
  FillRect(0, 0, 32, 32, white);
  GLCanvasDrawInto(canvas_, small->framebuffer, 16, 8);
  CanvasBeginFrame(canvas_, 16, 8, 1.0f);
  FillRect(8, 0, 8, 8, white);
  GLCanvasDrawInto(canvas_, target_->framebuffer, kSize, kSize);
  CanvasBeginFrame(canvas_, kSize, kSize, 1.0f);
  FillRect(48, 48, 16, 16, white);
  CanvasBeginFrame(canvas_, kSize / 2, kSize / 2, 1.0f);  // the same target at half the view
  FillRect(28, 0, 4, 4, white);
  const Pixels pixels = Finish();
  EXPECT_EQ(counts.programBinds, 1);
  EXPECT_EQ(counts.vertexUploads, 1);
  EXPECT_TRUE(PixelNear(pixels, 16, 16, kOpaqueWhite));
  EXPECT_TRUE(PixelNear(pixels, 40, 40, kClear));
  EXPECT_TRUE(PixelNear(pixels, 56, 56, kOpaqueWhite));
  EXPECT_TRUE(PixelNear(pixels, 60, 4, kOpaqueWhite)) << "4 units at half the view are 8 pixels";
  EXPECT_TRUE(PixelNear(pixels, 52, 4, kClear));

  Pixels inSmall(16, 8);
  TestGL().BindFramebuffer(GL_FRAMEBUFFER, small->framebuffer);
  TestGL().PixelStorei(GL_PACK_ALIGNMENT, 1);
  TestGL().ReadPixels(0, 0, 16, 8, GL_RGBA, GL_UNSIGNED_BYTE, inSmall.Data());
  EXPECT_TRUE(PixelNear(inSmall, 12, 4, kOpaqueWhite));
  EXPECT_TRUE(PixelNear(inSmall, 4, 4, kClear));
  DeleteLayerFramebuffer(small);
  BindAndClear(target_);
}

TEST_F(GLBackendTest, RepeatedStateCostsNoGLCalls) {
  GLTableScope scope;
  gReal = &scope.Saved();
  std::memset(gCalls, 0, sizeof(gCalls));
  TestGL().BlendFuncSeparate = CountBlend;
  TestGL().BindTexture = CountBindTexture;
  TestGL().StencilFunc = CountStencilFunc;
  GLUploadCounts counts(TestGL());
  for (int i = 0; i < 10; ++i) FillRect(static_cast<float>(i * 6), 0, 4, 4, CanvasColour{1, 1, 1, 1});
  CanvasEndFrame(canvas_);
  EXPECT_EQ(counts.programBinds, 1);
  EXPECT_EQ(counts.vertexUploads, 1);
  EXPECT_EQ(gCalls[kBlendCalls], 1);
  // One bind to clear the unit at the start, one of the dummy texture, one to unbind at the end.
  EXPECT_EQ(gCalls[kBindTextureCalls], 3);

  // Stencil fills set their functions through the cache too: two of them in a row need the
  // three functions of the first, then only the changes back and forth.
  std::memset(gCalls, 0, sizeof(gCalls));
  CanvasBeginFrame(canvas_, kSize, kSize, 1.0f);
  for (int i = 0; i < 2; ++i) {
    CanvasBeginPath(canvas_);
    CanvasRect(canvas_, 0, 0, 8, 8);
    CanvasRect(canvas_, 20, 0, 8, 8);
    CanvasFill(canvas_);
  }
  const Pixels pixels = Finish();
  // Reset, then ALWAYS, EQUAL, NOTEQUAL for each fill; the second fill's ALWAYS is a change.
  EXPECT_EQ(gCalls[kStencilFuncCalls], 1 + 3 + 3);
  EXPECT_TRUE(PixelNear(pixels, 4, 4, kOpaqueWhite));
  EXPECT_TRUE(PixelNear(pixels, 24, 4, kOpaqueWhite));
  EXPECT_TRUE(PixelNear(pixels, 14, 4, kClear));
}

}  // namespace
}  // namespace plugfw::gfx::test
