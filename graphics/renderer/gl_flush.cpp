// The flush: every queued call drawn with one program bind and one upload each of the vertices
// and the indices, the changes of target among them included. Texture, stencil, blend and
// uniform state go through the cache in the state, so repeated values make no GL call; every
// change of them inside the flush goes through it too, or the cache would lie. Consecutive
// triangle lists painted alike are one draw; a software rasteriser pays most for each change of
// paint, and a little for each draw.
#include <cstdint>
#include <cstring>

#include "graphics/renderer/gl_backend.h"

namespace plugfw::gfx {
namespace {

constexpr GLuint kAllStencilBits = 0xffffffffu;
constexpr GLuint kFillStencilBits = 0xffu;

GLBackendState* AsState(void* state) { return static_cast<GLBackendState*>(state); }

void BindTexture(GLBackendState* state, GLuint texture) {
  if (state->boundTexture == texture) return;
  state->boundTexture = texture;
  state->gl->BindTexture(GL_TEXTURE_2D, texture);
}

void StencilMask(GLBackendState* state, GLuint mask) {
  if (state->stencilMask == mask) return;
  state->stencilMask = mask;
  state->gl->StencilMask(mask);
}

void StencilFunc(GLBackendState* state, GLenum func, GLint ref, GLuint mask) {
  if (state->stencilFunc == func && state->stencilFuncRef == ref && state->stencilFuncMask == mask) return;
  state->stencilFunc = func;
  state->stencilFuncRef = ref;
  state->stencilFuncMask = mask;
  state->gl->StencilFunc(func, ref, mask);
}

void BlendFuncSeparate(GLBackendState* state, const GLBlendFactors& blend) {
  const GLBlendFactors& cached = state->blend;
  if (cached.srcColour == blend.srcColour && cached.dstColour == blend.dstColour &&
      cached.srcAlpha == blend.srcAlpha && cached.dstAlpha == blend.dstAlpha) {
    return;
  }
  state->blend = blend;
  state->gl->BlendFuncSeparate(blend.srcColour, blend.dstColour, blend.srcAlpha, blend.dstAlpha);
}

GLuint TextureOf(GLBackendState* state, int32_t image) {
  const GLTextureRecord* record = image != 0 ? GLBackendFindTexture(state, image) : nullptr;
  if (record == nullptr) record = GLBackendFindTexture(state, state->dummyTexture);
  return record != nullptr ? record->texture : 0;
}

bool SameUniforms(GLBackendState* state, int32_t offset, int32_t otherOffset) {
  return offset == otherOffset ||
         std::memcmp(GLBackendFragUniforms(state, offset), GLBackendFragUniforms(state, otherOffset),
                     sizeof(GLFragUniforms)) == 0;
}

bool SamplesTexture(const GLFragUniforms& frag) {
  return frag.shaderType == kShaderImage || frag.shaderType == kShaderTexturedTriangles;
}

void SetUniforms(GLBackendState* state, int32_t uniformOffset, int32_t image) {
  const GLFragUniforms* frag = GLBackendFragUniforms(state, uniformOffset);
  if (state->uploadedUniforms < 0 || !SameUniforms(state, state->uploadedUniforms, uniformOffset)) {
    state->gl->Uniform4fv(state->fragLocation, kGLFragVectors, reinterpret_cast<const GLfloat*>(frag));
  }
  state->uploadedUniforms = uniformOffset;
  // A paint that samples nothing draws the same over any texture, so it keeps the one bound.
  if (SamplesTexture(*frag) || state->boundTexture == 0) BindTexture(state, TextureOf(state, image));
}

void DrawArrays(const GLFunctions& gl, GLenum mode, int32_t first, int32_t count) {
  if (count > 0) gl.DrawArrays(mode, first, count);
}

// The GL state every flush starts from, with the cache made to match it.
void ResetDrawingState(GLBackendState* state) {
  const GLFunctions& gl = *state->gl;
  gl.UseProgram(state->program);
  gl.Enable(GL_CULL_FACE);
  gl.CullFace(GL_BACK);
  gl.FrontFace(GL_CCW);
  gl.Enable(GL_BLEND);
  gl.Disable(GL_DEPTH_TEST);
  gl.Disable(GL_SCISSOR_TEST);
  gl.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  gl.StencilMask(kAllStencilBits);
  gl.StencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  gl.StencilFunc(GL_ALWAYS, 0, kAllStencilBits);
  gl.ActiveTexture(GL_TEXTURE0);
  gl.BindTexture(GL_TEXTURE_2D, 0);
  state->boundTexture = 0;
  state->stencilMask = kAllStencilBits;
  state->stencilFunc = GL_ALWAYS;
  state->stencilFuncRef = 0;
  state->stencilFuncMask = kAllStencilBits;
  state->blend = GLBlendFactors{GL_INVALID_ENUM, GL_INVALID_ENUM, GL_INVALID_ENUM, GL_INVALID_ENUM};
  state->uploadedUniforms = -1;
}

void UploadVertices(GLBackendState* state) {
  const GLFunctions& gl = *state->gl;
  gl.BindBuffer(GL_ARRAY_BUFFER, state->vertexBuffer);
  gl.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(state->vertexCount) * sizeof(CanvasVertex),
                state->vertices, GL_STREAM_DRAW);
  gl.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, state->indexBuffer);
  if (state->indexCount > 0) {
    gl.BufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(state->indexCount) * sizeof(uint32_t),
                  state->indices, GL_STREAM_DRAW);
  }
  gl.EnableVertexAttribArray(0);
  gl.EnableVertexAttribArray(1);
  gl.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(CanvasVertex), reinterpret_cast<const void*>(0));
  gl.VertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(CanvasVertex),
                         reinterpret_cast<const void*>(2 * sizeof(float)));
}

// Stencil then cover: the fans count windings into the stencil (front faces up, back faces
// down, so holes cancel), the fringe goes where the count is 0, and the bounds quad covers
// the rest while zeroing the stencil for the next fill.
void DrawFill(GLBackendState* state, const GLCall& call) {
  const GLFunctions& gl = *state->gl;
  const GLPath* paths = &state->paths[call.pathOffset];
  gl.Enable(GL_STENCIL_TEST);
  StencilMask(state, kFillStencilBits);
  StencilFunc(state, GL_ALWAYS, 0, kFillStencilBits);
  gl.ColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  SetUniforms(state, call.uniformOffset, 0);
  gl.StencilOpSeparate(GL_FRONT, GL_KEEP, GL_KEEP, GL_INCR_WRAP);
  gl.StencilOpSeparate(GL_BACK, GL_KEEP, GL_KEEP, GL_DECR_WRAP);
  gl.Disable(GL_CULL_FACE);
  for (int32_t i = 0; i < call.pathCount; ++i)
    DrawArrays(gl, GL_TRIANGLE_FAN, paths[i].fillOffset, paths[i].fillCount);
  gl.Enable(GL_CULL_FACE);
  gl.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  SetUniforms(state, call.uniformOffset + state->fragStride, call.image);
  if (state->flags & kGLBackendAntiAlias) {
    StencilFunc(state, GL_EQUAL, 0, kFillStencilBits);
    gl.StencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    for (int32_t i = 0; i < call.pathCount; ++i) {
      DrawArrays(gl, GL_TRIANGLE_STRIP, paths[i].strokeOffset, paths[i].strokeCount);
    }
  }
  StencilFunc(state, GL_NOTEQUAL, 0, kFillStencilBits);
  gl.StencilOp(GL_ZERO, GL_ZERO, GL_ZERO);
  DrawArrays(gl, GL_TRIANGLE_STRIP, call.triangleOffset, call.triangleCount);
  gl.Disable(GL_STENCIL_TEST);
}

bool SameBlend(const GLBlendFactors& a, const GLBlendFactors& b) {
  return a.srcColour == b.srcColour && a.dstColour == b.dstColour && a.srcAlpha == b.srcAlpha &&
         a.dstAlpha == b.dstAlpha;
}

bool IsTriangleList(const GLCall& call) {
  return call.type == kCallConvexFill || call.type == kCallStroke || call.type == kCallTriangles;
}

// Whether `next` draws exactly as if it were more triangles of `call`, whose list (with any
// calls already joined to it) ends at index `end`.
bool JoinsDraw(GLBackendState* state, const GLCall& call, int32_t end, const GLCall& next) {
  return IsTriangleList(next) && next.indexOffset == end && SameBlend(call.blend, next.blend) &&
         (call.image == next.image || TextureOf(state, call.image) == TextureOf(state, next.image)) &&
         SameUniforms(state, call.uniformOffset, next.uniformOffset);
}

// Draws the triangle list of calls[first] with those after it that join it; returns the
// index of the first call not drawn.
int32_t DrawTriangleLists(GLBackendState* state, int32_t first) {
  const GLCall& call = state->calls[first];
  int32_t end = call.indexOffset + call.indexCount;
  int32_t next = first + 1;
  for (; next < state->callCount && JoinsDraw(state, call, end, state->calls[next]); ++next) {
    end += state->calls[next].indexCount;
  }
  SetUniforms(state, call.uniformOffset, call.image);
  const int32_t count = end - call.indexOffset;
  if (count > 0) {
    const auto offset = static_cast<uintptr_t>(call.indexOffset) * sizeof(uint32_t);
    state->gl->DrawElements(GL_TRIANGLES, count, GL_UNSIGNED_INT, reinterpret_cast<const void*>(offset));
  }
  return next;
}

// Inside a flush the program is in use, and the view size it draws at changes with the target.
void DrawInto(GLBackendState* state, const GLTarget& target, bool inFlush) {
  const GLFunctions& gl = *state->gl;
  if (target.bindsFramebuffer) {
    gl.BindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    gl.Viewport(0, 0, target.viewportWidth, target.viewportHeight);
  }
  if (inFlush) gl.Uniform2fv(state->viewSizeLocation, 1, target.view);
}

// What the flush uploaded is not needed once drawn. Its storage goes now, so that the next
// flush's upload takes storage afresh instead of beside it: llvmpipe otherwise grows and trims
// its heap around the two, thousands of page faults a frame.
void ReleaseUploads(const GLFunctions& gl) {
  gl.BufferData(GL_ARRAY_BUFFER, 0, nullptr, GL_STREAM_DRAW);
  gl.BufferData(GL_ELEMENT_ARRAY_BUFFER, 0, nullptr, GL_STREAM_DRAW);
}

void FinishDrawing(const GLFunctions& gl) {
  ReleaseUploads(gl);
  gl.DisableVertexAttribArray(0);
  gl.DisableVertexAttribArray(1);
  gl.Disable(GL_CULL_FACE);
  gl.BindBuffer(GL_ARRAY_BUFFER, 0);
  gl.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  gl.UseProgram(0);
  gl.BindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace

void GLBackendCancel(void* opaque) {
  GLBackendState* state = AsState(opaque);
  state->vertexCount = 0;
  state->indexCount = 0;
  state->pathCount = 0;
  state->callCount = 0;
  state->uniformCount = 0;
  state->targetCount = 0;
}

void GLBackendFlush(void* opaque) {
  GLBackendState* state = AsState(opaque);
  if (state->callCount > 0 && state->gl != nullptr) {
    ResetDrawingState(state);
    UploadVertices(state);
    state->gl->Uniform1i(state->texLocation, 0);
    state->gl->Uniform2fv(state->viewSizeLocation, 1, state->view);
    for (int32_t i = 0; i < state->callCount;) {
      const GLCall& call = state->calls[i];
      if (call.type == kCallTarget) {
        DrawInto(state, state->targets[call.target], true);
        ++i;
        continue;
      }
      BlendFuncSeparate(state, call.blend);
      if (IsTriangleList(call)) {
        i = DrawTriangleLists(state, i);
      } else {
        DrawFill(state, call);
        ++i;
      }
    }
    FinishDrawing(*state->gl);
  }
  // The next queue starts where this one ended.
  if (state->targetCount > 0) {
    state->view[0] = state->targets[state->targetCount - 1].view[0];
    state->view[1] = state->targets[state->targetCount - 1].view[1];
  }
  GLBackendCancel(state);
}

void GLCanvasDrawInto(CanvasContext* canvas, GLuint framebuffer, int width, int height) {
  GLBackendState* state = AsState(canvas->callbacks.state);
  GLTarget* target = state->callCount > 0 ? GLBackendQueueTarget(state) : nullptr;
  if (target == nullptr) {
    // Nothing queued, or no memory to queue the change: made now, after what was queued.
    GLBackendFlush(state);
    if (state->gl != nullptr) DrawInto(state, GLTarget{1, framebuffer, width, height, {0.f, 0.f}}, false);
    return;
  }
  target->bindsFramebuffer = 1;
  target->framebuffer = framebuffer;
  target->viewportWidth = width;
  target->viewportHeight = height;
}

}  // namespace plugfw::gfx
