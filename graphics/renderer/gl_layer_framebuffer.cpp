// Offscreen targets. The colour is a canvas image flagged flip-y and premultiplied, so that
// drawing it back through an image paint shows it upright and unchanged.
#include <new>

#include "graphics/renderer/gl_backend.h"

namespace plugfw::gfx {
namespace {

struct FramebufferBindings {
  GLint framebuffer = 0;
  GLint renderbuffer = 0;
};

FramebufferBindings CurrentBindings(const GLFunctions& gl) {
  FramebufferBindings bindings;
  gl.GetIntegerv(GL_FRAMEBUFFER_BINDING, &bindings.framebuffer);
  gl.GetIntegerv(GL_RENDERBUFFER_BINDING, &bindings.renderbuffer);
  return bindings;
}

void RestoreBindings(const GLFunctions& gl, const FramebufferBindings& bindings) {
  gl.BindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(bindings.framebuffer));
  gl.BindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(bindings.renderbuffer));
}

bool IsComplete(const GLFunctions& gl) {
  return gl.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

// GL errors the refused first attempt left behind; they belong to no later call.
void ClearErrors(const GLFunctions& gl) {
  for (int i = 0; i < 8 && gl.GetError() != GL_NO_ERROR; ++i) {
  }
}

// An 8-bit stencil buffer where the driver has one; else a packed depth and stencil buffer,
// which some drivers only accept on both attachment points.
bool AttachStencil(const GLFunctions& gl, GLuint renderbuffer, int width, int height) {
  gl.RenderbufferStorage(GL_RENDERBUFFER, GL_STENCIL_INDEX8, width, height);
  gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, renderbuffer);
  if (IsComplete(gl)) return true;
  ClearErrors(gl);
  gl.RenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
  gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, renderbuffer);
  gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, renderbuffer);
  return IsComplete(gl);
}

}  // namespace

LayerFramebuffer* CreateLayerFramebuffer(CanvasContext* canvas, int width, int height, int imageFlags) {
  if (canvas == nullptr || width <= 0 || height <= 0) return nullptr;
  auto* state = static_cast<GLBackendState*>(canvas->callbacks.state);
  if (state->gl == nullptr) return nullptr;
  const GLFunctions& gl = *state->gl;
  auto* framebuffer = new (std::nothrow) LayerFramebuffer{canvas, 0, 0, 0, -1};
  if (framebuffer == nullptr) return nullptr;
  const FramebufferBindings previous = CurrentBindings(gl);
  framebuffer->image =
      CanvasCreateImageRgba(canvas, width, height, imageFlags | kImageFlipY | kImagePremultiplied, nullptr);
  const GLTextureRecord* record = GLBackendFindTexture(state, framebuffer->image);
  if (record == nullptr) {
    DeleteLayerFramebuffer(framebuffer);
    return nullptr;
  }
  framebuffer->texture = record->texture;
  gl.GenFramebuffers(1, &framebuffer->framebuffer);
  gl.BindFramebuffer(GL_FRAMEBUFFER, framebuffer->framebuffer);
  gl.GenRenderbuffers(1, &framebuffer->renderbuffer);
  gl.BindRenderbuffer(GL_RENDERBUFFER, framebuffer->renderbuffer);
  gl.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, framebuffer->texture, 0);
  const bool complete = AttachStencil(gl, framebuffer->renderbuffer, width, height);
  RestoreBindings(gl, previous);
  if (!complete) {
    DeleteLayerFramebuffer(framebuffer);
    return nullptr;
  }
  return framebuffer;
}

void DeleteLayerFramebuffer(LayerFramebuffer* framebuffer) {
  if (framebuffer == nullptr) return;
  // Its names belong to its canvas's context; without one, or once that is forgotten, they are
  // not deleted here.
  if (framebuffer->canvas != nullptr) {
    const GLFunctions* gl = static_cast<GLBackendState*>(framebuffer->canvas->callbacks.state)->gl;
    if (gl != nullptr && framebuffer->framebuffer != 0) gl->DeleteFramebuffers(1, &framebuffer->framebuffer);
    if (gl != nullptr && framebuffer->renderbuffer != 0)
      gl->DeleteRenderbuffers(1, &framebuffer->renderbuffer);
    if (framebuffer->image > 0) CanvasDeleteImage(framebuffer->canvas, framebuffer->image);
  }
  *framebuffer = LayerFramebuffer{nullptr, 0, 0, 0, -1};
  delete framebuffer;
}

bool LayerFramebufferSize(const LayerFramebuffer* framebuffer, int* width, int* height) {
  *width = *height = 0;
  if (framebuffer == nullptr || framebuffer->canvas == nullptr || framebuffer->image <= 0) return false;
  return CanvasImageSize(framebuffer->canvas, framebuffer->image, width, height) != 0;
}

}  // namespace plugfw::gfx
