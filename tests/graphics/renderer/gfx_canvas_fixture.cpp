#include "tests/graphics/renderer/gfx_canvas_fixture.h"

#include <cmath>
#include <cstring>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace plugfw::gfx::test {
namespace {

// ---- The logging table ----

std::vector<std::string>* gCallLog = nullptr;
GLFunctions gPassThrough;

#define HALCYRA_GL_NAME(ret, entry, params) constexpr char kName##entry[] = "gl" #entry;
HALCYRA_GL_FUNCTIONS(HALCYRA_GL_NAME)
#undef HALCYRA_GL_NAME

template <typename F>
struct LoggingEntry;

template <typename R, typename... A>
struct LoggingEntry<R (*)(A...)> {
  template <R (*GLFunctions::*Member)(A...), const char* Name>
  static R Call(A... args) {
    if (gCallLog != nullptr) gCallLog->push_back(Name);
    return (gPassThrough.*Member)(args...);
  }
};

// ---- A table without one entry point ----

struct Withholding {
  const GLFunctions* saved;
  const char* withheld;
};

void* ResolveFromSaved(const char* name, void* user) {
  const auto* withholding = static_cast<const Withholding*>(user);
  if (std::strcmp(name, withholding->withheld) == 0) return nullptr;
#define HALCYRA_GL_FROM_SAVED(ret, entry, params) \
  if (std::strcmp(name, "gl" #entry) == 0) return reinterpret_cast<void*>(withholding->saved->entry);
  HALCYRA_GL_FUNCTIONS(HALCYRA_GL_FROM_SAVED)
#undef HALCYRA_GL_FROM_SAVED
  return nullptr;
}

}  // namespace

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
  gl.GetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
  gl.GenTextures(1, &texture_);
  gl.BindTexture(GL_TEXTURE_2D, texture_);
  gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  gl.BindTexture(GL_TEXTURE_2D, 0);
  gl.GenFramebuffers(1, &framebuffer_);
  gl.BindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  gl.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_, 0);
  complete_ = gl.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  // Not the window's content from an earlier test: whatever the driver left in the texture.
  gl.Viewport(0, 0, width, height);
  gl.ClearColor(0.2f, 0.4f, 0.6f, 1.f);
  gl.Clear(GL_COLOR_BUFFER_BIT);
  gl.BindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
}

WindowTarget::~WindowTarget() {
  gl.DeleteFramebuffers(1, &framebuffer_);
  gl.DeleteTextures(1, &texture_);
}

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
  gl.GetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
  gl.BindFramebuffer(GL_FRAMEBUFFER, name);
  gl.PixelStorei(GL_PACK_ALIGNMENT, 1);
  gl.ReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.Data());
  gl.BindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
  return pixels;
}

GLCallLog::GLCallLog() {
  gPassThrough = gl;
  gCallLog = &calls;
#define HALCYRA_GL_LOGGING(ret, entry, params) \
  gl.entry = &LoggingEntry<decltype(gl.entry)>::template Call<&GLFunctions::entry, kName##entry>;
  HALCYRA_GL_FUNCTIONS(HALCYRA_GL_LOGGING)
#undef HALCYRA_GL_LOGGING
}

GLCallLog::~GLCallLog() {
  gl = gPassThrough;
  gCallLog = nullptr;
}

int GLCallLog::Count(const std::string& name) const {
  int count = 0;
  for (const std::string& call : calls) count += call == name ? 1 : 0;
  return count;
}

WithheldGLFunction::WithheldGLFunction(const char* name) : saved_(gl) {
  Withholding withholding{&saved_, name};
  missing = LoadGLFunctions(&ResolveFromSaved, &withholding);
}

WithheldGLFunction::~WithheldGLFunction() { gl = saved_; }

void GfxCanvasTest::SetUp() {
  const char* reason = nullptr;
  ASSERT_TRUE(EnsureGLTestContext(&reason)) << reason;
  Remake(1.f, 1.f);
}

void GfxCanvasTest::TearDown() {
  if (gfx_) gfx_->DestroyRendererContext();
  gfx_.reset();
  window_.reset();
  gl.BindFramebuffer(GL_FRAMEBUFFER, 0);
}

void GfxCanvasTest::Remake(float drawScale, float screenScale) {
  if (gfx_) gfx_->DestroyRendererContext();
  gfx_.reset();
  drawScale_ = drawScale;
  screenScale_ = screenScale;
  window_ = std::make_unique<WindowTarget>(PixelWidth(), PixelHeight());
  ASSERT_TRUE(window_->Complete());
  // The window's framebuffer is bound when the window makes the renderer context.
  gl.BindFramebuffer(GL_FRAMEBUFFER, window_->Name());
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
