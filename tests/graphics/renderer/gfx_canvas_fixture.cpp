#include "tests/graphics/renderer/gfx_canvas_fixture.h"

#include <cmath>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace plugfw::gfx::test {

Bytes EncodePng(int width, int height, const std::vector<uint8_t>& rgba) {
  Bytes png;
  stbi_write_png_to_func(
      [](void* context, void* data, int size) {
        auto* out = static_cast<Bytes*>(context);
        out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
      },
      &png, width, height, 4, rgba.data(), width * 4);
  return png;
}

Pixels ReadFramebuffer(GLuint name, int width, int height) {
  Pixels pixels(width, height);
  GLint previous = 0;
  TestGL().GetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
  TestGL().BindFramebuffer(GL_FRAMEBUFFER, name);
  TestGL().PixelStorei(GL_PACK_ALIGNMENT, 1);
  TestGL().ReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.Data());
  TestGL().BindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
  return pixels;
}

WithheldGLFunction::WithheldGLFunction(GLFunctions& table, const char* name) : table_(table), saved_(table) {
  missing = LoadGLFunctionsFrom(table_, saved_, name);
}

WithheldGLFunction::~WithheldGLFunction() { table_ = saved_; }

void GfxCanvasTest::SetUp() {
  const char* reason = nullptr;
  ASSERT_TRUE(EnsureGLTestContext(&reason)) << reason;
  Remake(1.f, 1.f);
}

void GfxCanvasTest::TearDown() {
  if (gfx_) gfx_->DestroyRendererContext();
  gfx_.reset();
  window_.reset();
  TestGL().BindFramebuffer(GL_FRAMEBUFFER, 0);
}

void GfxCanvasTest::Remake(float drawScale, float screenScale) {
  if (gfx_) gfx_->DestroyRendererContext();
  gfx_.reset();
  drawScale_ = drawScale;
  screenScale_ = screenScale;
  window_ = std::make_unique<WindowTarget>(PixelWidth(), PixelHeight());
  ASSERT_TRUE(window_->Complete());
  // The window's framebuffer is bound when the window makes the renderer context.
  TestGL().BindFramebuffer(GL_FRAMEBUFFER, window_->Name());
  gfx_ = std::make_unique<TestCanvasGfx>(delegate_, kWidth, kHeight, drawScale);
  ASSERT_NE(gfx_->CreateRendererContext(), nullptr);
  gfx_->Resize(kWidth, kHeight, drawScale, screenScale);
  ASSERT_NE(gfx_->MainFramebuffer(), nullptr);
}

void GfxCanvasTest::Frame(const std::function<void(TestCanvasGfx&)>& draw) {
  const Rect editor(0.f, 0.f, static_cast<float>(kWidth), static_cast<float>(kHeight));
  gfx_->BeginFrame();
  gfx_->PathTransformReset(true);
  gfx_->PathClear();
  gfx_->SetClipRegion(editor);
  gfx_->SetCurrentClip(editor);
  draw(*gfx_);
  gfx_->EndFrame();
}

int GfxCanvasTest::PixelWidth() const {
  return static_cast<int>(static_cast<float>(static_cast<int>(kWidth * drawScale_)) * screenScale_);
}

int GfxCanvasTest::PixelHeight() const {
  return static_cast<int>(static_cast<float>(static_cast<int>(kHeight * drawScale_)) * screenScale_);
}

Pixels GfxCanvasTest::ReadWindow() const {
  return ReadFramebuffer(window_->Name(), PixelWidth(), PixelHeight());
}

Pixels GfxCanvasTest::ReadMain() const {
  return ReadFramebuffer(gfx_->MainFramebuffer()->framebuffer, PixelWidth(), PixelHeight());
}

bool GfxCanvasTest::LoadRoboto(const char* fontId) {
  Bytes roboto = ReadRobotoFile("Roboto-Regular.ttf");
  if (roboto.empty()) return false;
  BytesFont font(std::move(roboto));
  return gfx_->LoadFontIntoRenderer(fontId, font);
}

}  // namespace plugfw::gfx::test
