// The back end's life: the program, the vertex buffer and the dummy texture at creation,
// everything it owns at deletion, and the canvas made over it.
#include "graphics/renderer/gl_backend.h"

#include <cstdio>
#include <cstdlib>

#include "graphics/renderer/gl_shader.h"

namespace plugfw::gfx {
namespace {

constexpr const char* kShaderHeader = "#define CANVAS_GL2 1\n#define UNIFORMARRAY_SIZE 11\n\n";
constexpr const char* kEdgeAntiAliasOption = "#define EDGE_AA 1\n";

GLBackendState* AsState(void* state) { return static_cast<GLBackendState*>(state); }

void CheckError(const GLBackendState* state, const char* step) {
  if (!(state->flags & kGLBackendCheckErrors)) return;
  const GLenum error = state->gl->GetError();
  if (error != GL_NO_ERROR) std::printf("Error %08x after %s\n", error, step);
}

// The uniform block's size rounded up to the next multiple of 4 bytes past it.
int32_t FragStride() {
  const int32_t size = static_cast<int32_t>(sizeof(GLFragUniforms));
  return size + 4 - size % 4;
}

}  // namespace

int GLBackendCreate(void* opaque) {
  GLBackendState* state = AsState(opaque);
  // A driver without every entry point (framebuffer objects above all) gets no renderer.
  if (state->gl == nullptr || !state->gl->complete) return 0;
  const GLFunctions& gl = *state->gl;
  CheckError(state, "init");
  const char* options = (state->flags & kGLBackendAntiAlias) ? kEdgeAntiAliasOption : nullptr;
  if (!GLBackendBuildShader(state, "shader", kShaderHeader, options)) return 0;
  CheckError(state, "uniform locations");
  state->viewSizeLocation = gl.GetUniformLocation(state->program, "viewSize");
  state->texLocation = gl.GetUniformLocation(state->program, "tex");
  state->fragLocation = gl.GetUniformLocation(state->program, "frag");
  gl.GenBuffers(1, &state->vertexBuffer);
  gl.GenBuffers(1, &state->indexBuffer);
  state->fragStride = FragStride();
  state->dummyTexture = GLBackendCreateTexture(state, kTextureAlpha, 1, 1, 0, nullptr);
  if (state->dummyTexture == 0) return 0;
  CheckError(state, "create done");
  gl.Finish();
  return 1;
}

void GLBackendViewport(void* opaque, float width, float height, float /*devicePixelRatio*/) {
  GLBackendState* state = AsState(opaque);
  // The calls already queued keep the view they were made for.
  float* view = state->view;
  if (state->callCount > 0) {
    GLTarget* target = GLBackendQueueTarget(state);
    if (target == nullptr) return;
    view = target->view;
  }
  view[0] = width;
  view[1] = height;
}

void GLBackendDelete(void* opaque) {
  GLBackendState* state = AsState(opaque);
  if (state == nullptr) return;
  // Without the table (the driver lacked an entry point) nothing was made in GL.
  if (state->gl != nullptr && state->gl->complete) {
    const GLFunctions& gl = *state->gl;
    if (state->program != 0) gl.DeleteProgram(state->program);
    if (state->vertexShader != 0) gl.DeleteShader(state->vertexShader);
    if (state->fragmentShader != 0) gl.DeleteShader(state->fragmentShader);
    if (state->vertexBuffer != 0) gl.DeleteBuffers(1, &state->vertexBuffer);
    if (state->indexBuffer != 0) gl.DeleteBuffers(1, &state->indexBuffer);
    for (int32_t i = 0; i < state->textureCount; ++i) {
      const GLTextureRecord& record = state->textures[i];
      if (record.texture != 0 && !(record.flags & kImageNoDelete)) gl.DeleteTextures(1, &record.texture);
    }
  }
  std::free(state->textures);
  std::free(state->calls);
  std::free(state->paths);
  std::free(state->vertices);
  std::free(state->indices);
  std::free(state->uniforms);
  std::free(state->targets);
  std::free(state);
}

void GLCanvasForgetContext(CanvasContext* canvas) {
  if (canvas != nullptr) AsState(canvas->callbacks.state)->gl = nullptr;
}

CanvasContext* GLCanvasCreate(int32_t flags, const GLFunctions& gl) {
  auto* state = static_cast<GLBackendState*>(std::calloc(1, sizeof(GLBackendState)));
  if (state == nullptr) return nullptr;
  state->gl = &gl;
  state->flags = flags;
  CanvasBackendCallbacks callbacks{};
  callbacks.state = state;
  callbacks.edgeAntiAlias = (flags & kGLBackendAntiAlias) ? 1 : 0;
  callbacks.create = GLBackendCreate;
  callbacks.createTexture = GLBackendCreateTexture;
  callbacks.deleteTexture = GLBackendDeleteTexture;
  callbacks.updateTexture = GLBackendUpdateTexture;
  callbacks.textureSize = GLBackendTextureSize;
  callbacks.viewport = GLBackendViewport;
  callbacks.cancel = GLBackendCancel;
  callbacks.flush = GLBackendFlush;
  callbacks.fill = GLBackendFill;
  callbacks.stroke = GLBackendStroke;
  callbacks.triangles = GLBackendTriangles;
  callbacks.destroy = GLBackendDelete;
  return CanvasCreate(&callbacks);
}

}  // namespace plugfw::gfx
