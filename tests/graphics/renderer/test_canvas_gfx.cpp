#include "tests/graphics/renderer/test_canvas_gfx.h"

namespace plugfw::gfx::test {

std::unique_ptr<FontData> BytesFont::GetFontData() const {
  auto data = std::make_unique<FontData>();
  data->Assign(bytes_.data(), static_cast<int32_t>(bytes_.size()), 0);
  return data;
}

void TestCanvasGfx::Resize(int32_t width, int32_t height, float drawScale, float screenScale) {
  width_ = width;
  height_ = height;
  drawScale_ = drawScale;
  SetScreenScaleValue(screenScale);
  ResizeDrawSurface();
}

const uint8_t* TestCanvasGfx::FindModuleResource(const char* name, const char* /*type*/, int32_t* size) {
  const auto found = resources.find(name ? name : "");
  if (found == resources.end()) return IGfxCanvas::FindModuleResource(name, nullptr, size);
  *size = static_cast<int32_t>(found->second.size());
  return found->second.data();
}

WindowTarget::WindowTarget(int width, int height) {
  GLint previous = 0;
  TestGL().GetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
  TestGL().GenTextures(1, &texture_);
  TestGL().BindTexture(GL_TEXTURE_2D, texture_);
  TestGL().TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  TestGL().TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  TestGL().TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  TestGL().BindTexture(GL_TEXTURE_2D, 0);
  TestGL().GenFramebuffers(1, &framebuffer_);
  TestGL().BindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  TestGL().FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_, 0);
  complete_ = TestGL().CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  // Not the window's content from an earlier test: whatever the driver left in the texture.
  TestGL().Viewport(0, 0, width, height);
  TestGL().ClearColor(0.2f, 0.4f, 0.6f, 1.f);
  TestGL().Clear(GL_COLOR_BUFFER_BIT);
  TestGL().BindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
}

WindowTarget::~WindowTarget() {
  TestGL().DeleteFramebuffers(1, &framebuffer_);
  TestGL().DeleteTextures(1, &texture_);
}

}  // namespace plugfw::gfx::test
