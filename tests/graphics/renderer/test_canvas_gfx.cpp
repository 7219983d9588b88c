#include "tests/graphics/renderer/test_canvas_gfx.h"

namespace plugfw::gfx::test {
namespace {

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

}  // namespace plugfw::gfx::test
