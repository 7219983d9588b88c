// Queueing: the canvas's fills, strokes and triangle lists become calls with their paths,
// vertices and fragment uniforms, and changes of target calls of their own, all in arrays
// reused from frame to frame. No GL call here.
// Everything but a stencil fill is queued as its vertices and one indexed triangle list over
// them, so that it is one draw and the flush can join it to the next call when that one is
// painted the same way.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/renderer/gl_backend.h"
#include "graphics/renderer/gl_triangle_lists.h"
#include "graphics/renderer/renderer_arrays.h"

namespace plugfw::gfx {
namespace {

constexpr int32_t kMinCalls = 128;
constexpr int32_t kMinPaths = 128;
constexpr int32_t kMinUniformBlocks = 128;
constexpr int32_t kMinVertices = 4096;
constexpr int32_t kMinIndices = 8192;
constexpr int32_t kMinTargets = 4;
constexpr int32_t kBoundsQuadVertices = 4;
constexpr float kNoStrokeThreshold = -1.0f;
// Far beyond any frame; keeps index counts and byte sizes clear of overflow.
constexpr int64_t kMaxCallIndices = INT32_MAX / 8;

// How the shader reads an image: premultiplied RGBA as it is, other RGBA premultiplied on
// the way, alpha replicated into every channel.
enum TextureRead : int32_t {
  kReadPremultiplied = 0,
  kReadStraightAlpha = 1,
  kReadAlphaOnly = 2,
};

GLBackendState* AsState(void* state) { return static_cast<GLBackendState*>(state); }

struct BlendFactorRow {
  int32_t canvasFactor;
  GLenum glFactor;
};

constexpr BlendFactorRow kBlendFactors[] = {
    {kBlendZero, GL_ZERO},
    {kBlendOne, GL_ONE},
    {kBlendSrcColour, GL_SRC_COLOR},
    {kBlendOneMinusSrcColour, GL_ONE_MINUS_SRC_COLOR},
    {kBlendDstColour, GL_DST_COLOR},
    {kBlendOneMinusDstColour, GL_ONE_MINUS_DST_COLOR},
    {kBlendSrcAlpha, GL_SRC_ALPHA},
    {kBlendOneMinusSrcAlpha, GL_ONE_MINUS_SRC_ALPHA},
    {kBlendDstAlpha, GL_DST_ALPHA},
    {kBlendOneMinusDstAlpha, GL_ONE_MINUS_DST_ALPHA},
    {kBlendSrcAlphaSaturate, GL_SRC_ALPHA_SATURATE},
};

GLenum GLBlendFactor(int32_t factor) {
  for (const BlendFactorRow& row : kBlendFactors) {
    if (row.canvasFactor == factor) return row.glFactor;
  }
  return GL_INVALID_ENUM;
}

// A set with any factor outside the table draws as premultiplied source-over.
GLBlendFactors BlendOf(CanvasCompositeOperation composite) {
  const GLBlendFactors blend{GLBlendFactor(composite.srcColour), GLBlendFactor(composite.dstColour),
                             GLBlendFactor(composite.srcAlpha), GLBlendFactor(composite.dstAlpha)};
  if (blend.srcColour == GL_INVALID_ENUM || blend.dstColour == GL_INVALID_ENUM ||
      blend.srcAlpha == GL_INVALID_ENUM || blend.dstAlpha == GL_INVALID_ENUM) {
    return GLBlendFactors{GL_ONE, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA};
  }
  return blend;
}

CanvasColour Premultiplied(CanvasColour c) { return CanvasColour{c.r * c.a, c.g * c.a, c.b * c.a, c.a}; }

void TransformToMatrix3x4(float* m, const float* t) {
  const float columns[12] = {t[0], t[1], 0.0f, 0.0f, t[2], t[3], 0.0f, 0.0f, t[4], t[5], 1.0f, 0.0f};
  std::memcpy(m, columns, sizeof(columns));
}

// The paint transform mirrored about the image's vertical centre: an image whose rows run
// bottom-up (a framebuffer's) then shows upright.
void FlippedPaintTransform(float* m, const float* paintTransform, float height) {
  float step[6];
  TransformTranslate(m, 0.0f, -height * 0.5f);
  TransformScale(step, 1.0f, -1.0f);
  TransformMultiply(m, step);
  TransformTranslate(step, 0.0f, height * 0.5f);
  TransformMultiply(m, step);
  TransformMultiply(m, paintTransform);
}

// False when the paint names an image without a texture record: the call is then dropped.
bool GLBackendPaintToUniforms(GLBackendState* state, GLFragUniforms* frag, const CanvasPaint* paint,
                              const CanvasScissorState* scissor, float width, float fringe,
                              float strokeThreshold) {
  std::memset(frag, 0, sizeof(*frag));
  frag->innerColour = Premultiplied(paint->innerColour);
  frag->outerColour = Premultiplied(paint->outerColour);
  if (scissor->extent[0] < -0.5f || scissor->extent[1] < -0.5f) {
    frag->scissorExtent[0] = frag->scissorExtent[1] = 1.0f;
    frag->scissorScale[0] = frag->scissorScale[1] = 1.0f;
  } else {
    float inverse[6];
    TransformInverse(inverse, scissor->xform);
    TransformToMatrix3x4(frag->scissorMatrix, inverse);
    const float* xf = scissor->xform;
    frag->scissorExtent[0] = scissor->extent[0];
    frag->scissorExtent[1] = scissor->extent[1];
    frag->scissorScale[0] = std::sqrt(xf[0] * xf[0] + xf[2] * xf[2]) / fringe;
    frag->scissorScale[1] = std::sqrt(xf[1] * xf[1] + xf[3] * xf[3]) / fringe;
  }
  frag->extent[0] = paint->extent[0];
  frag->extent[1] = paint->extent[1];
  frag->strokeMultiplier = (width * 0.5f + fringe * 0.5f) / fringe;
  frag->strokeThreshold = strokeThreshold;

  float inverse[6];
  if (paint->image != 0) {
    const GLTextureRecord* record = GLBackendFindTexture(state, paint->image);
    if (record == nullptr) return false;
    if (record->flags & kImageFlipY) {
      float flipped[6];
      FlippedPaintTransform(flipped, paint->xform, frag->extent[1]);
      TransformInverse(inverse, flipped);
    } else {
      TransformInverse(inverse, paint->xform);
    }
    frag->shaderType = kShaderImage;
    if (record->type == kTextureRgba) {
      frag->textureType = (record->flags & kImagePremultiplied) ? kReadPremultiplied : kReadStraightAlpha;
    } else {
      frag->textureType = kReadAlphaOnly;
    }
  } else {
    frag->shaderType = kShaderGradient;
    frag->radius = paint->radius;
    frag->feather = paint->feather;
    TransformInverse(inverse, paint->xform);
  }
  TransformToMatrix3x4(frag->paintMatrix, inverse);
  return true;
}

// Room for n more of a record array; the index of the first, or -1.
template <typename T>
int32_t Reserve(T*& records, int32_t& capacity, int32_t& count, int32_t n, int32_t minimum) {
  const int64_t needed = static_cast<int64_t>(count) + n;
  if (needed > capacity &&
      !ResizeRecords(records, capacity, std::max<int64_t>(needed, minimum) + capacity / 2)) {
    return -1;
  }
  const int32_t first = count;
  count = static_cast<int32_t>(needed);
  return first;
}

// Uniform blocks are fragStride bytes apart; the result is a byte offset, or -1.
int32_t ReserveUniforms(GLBackendState* state, int32_t n) {
  const int64_t needed = static_cast<int64_t>(state->uniformCount) + n;
  if (needed > state->uniformCapacity) {
    const int64_t capacity = std::max<int64_t>(needed, kMinUniformBlocks) + state->uniformCapacity / 2;
    if (capacity > INT32_MAX / state->fragStride) return -1;
    int32_t bytes = state->uniformCapacity * state->fragStride;
    if (!ResizeRecords(state->uniforms, bytes, capacity * state->fragStride)) return -1;
    state->uniformCapacity = static_cast<int32_t>(capacity);
  }
  const int32_t offset = state->uniformCount * state->fragStride;
  state->uniformCount = static_cast<int32_t>(needed);
  return offset;
}

int32_t MaxVertexCount(const CanvasPath* paths, int pathCount) {
  int64_t count = 0;
  for (int i = 0; i < pathCount; ++i)
    count += static_cast<int64_t>(paths[i].fillCount) + paths[i].strokeCount;
  return count > INT32_MAX / 2 ? INT32_MAX / 2 : static_cast<int32_t>(count);
}

// The vertices and indices of the paths' strokes as one triangle list.
struct ListSize {
  int64_t vertices = 0;
  int64_t indices = 0;
};

ListSize StrokeListSize(const CanvasPath* paths, int pathCount) {
  ListSize size;
  for (int i = 0; i < pathCount; ++i) {
    size.vertices += paths[i].strokeCount;
    size.indices += TriangleListLength(paths[i].strokeCount);
  }
  return size;
}

// The queue lengths before a call, so that a call that cannot be queued whole leaves no trace.
struct QueueMark {
  int32_t calls, paths, vertices, indices, uniforms, targets;
};

QueueMark MarkQueue(const GLBackendState* state) {
  return QueueMark{state->callCount,  state->pathCount,    state->vertexCount,
                   state->indexCount, state->uniformCount, state->targetCount};
}

void DropCall(GLBackendState* state, const QueueMark& mark) {
  state->callCount = mark.calls;
  state->pathCount = mark.paths;
  state->vertexCount = mark.vertices;
  state->indexCount = mark.indices;
  state->uniformCount = mark.uniforms;
  state->targetCount = mark.targets;
}

// The view the calls queued last were made for.
const float* ViewInEffect(const GLBackendState* state) {
  return state->targetCount > 0 ? state->targets[state->targetCount - 1].view : state->view;
}

GLCall* NewCall(GLBackendState* state, int32_t type, const CanvasPaint* paint,
                CanvasCompositeOperation composite) {
  const int32_t index = Reserve(state->calls, state->callCapacity, state->callCount, 1, kMinCalls);
  if (index < 0) return nullptr;
  GLCall* call = &state->calls[index];
  std::memset(call, 0, sizeof(*call));
  call->type = type;
  call->image = paint->image;
  call->blend = BlendOf(composite);
  return call;
}

void CopyVertices(GLBackendState* state, int32_t offset, const CanvasVertex* vertices, int32_t count) {
  if (count > 0)
    std::memcpy(&state->vertices[offset], vertices, sizeof(CanvasVertex) * static_cast<size_t>(count));
}

// Copies each path's fill and fringe vertices; returns the first vertex after them.
int32_t CopyPaths(GLBackendState* state, const GLCall* call, const CanvasPath* paths, int pathCount,
                  int32_t offset) {
  for (int i = 0; i < pathCount; ++i) {
    GLPath* copy = &state->paths[call->pathOffset + i];
    std::memset(copy, 0, sizeof(*copy));
    const CanvasPath& path = paths[i];
    if (path.fillCount > 0) {
      copy->fillOffset = offset;
      copy->fillCount = path.fillCount;
      CopyVertices(state, offset, path.fill, path.fillCount);
      offset += path.fillCount;
    }
    if (path.strokeCount > 0) {
      copy->strokeOffset = offset;
      copy->strokeCount = path.strokeCount;
      CopyVertices(state, offset, path.stroke, path.strokeCount);
      offset += path.strokeCount;
    }
  }
  return offset;
}

int32_t ReservePaths(GLBackendState* state, int pathCount) {
  return Reserve(state->paths, state->pathCapacity, state->pathCount, pathCount, kMinPaths);
}

int32_t ReserveVertices(GLBackendState* state, int32_t count) {
  return Reserve(state->vertices, state->vertexCapacity, state->vertexCount, count, kMinVertices);
}

// Room for a triangle-list call: its vertices, its indices and one uniform block, with the
// call (which growing the queue may have moved) given its index range. Null when the call
// cannot be queued; it is then dropped.
GLCall* ReserveList(GLBackendState* state, const QueueMark& mark, ListSize size, int32_t* firstVertex) {
  if (size.vertices > kMaxCallIndices || size.indices > kMaxCallIndices) return nullptr;
  *firstVertex = ReserveVertices(state, static_cast<int32_t>(size.vertices));
  const int32_t firstIndex = Reserve(state->indices, state->indexCapacity, state->indexCount,
                                     static_cast<int32_t>(size.indices), kMinIndices);
  const int32_t uniforms = ReserveUniforms(state, 1);
  if (*firstVertex < 0 || firstIndex < 0 || uniforms < 0) return nullptr;
  GLCall* call = &state->calls[mark.calls];
  call->uniformOffset = uniforms;
  call->indexOffset = firstIndex;
  call->indexCount = static_cast<int32_t>(size.indices);
  return call;
}

uint32_t* IndicesOf(GLBackendState* state, const GLCall* call) { return &state->indices[call->indexOffset]; }

// Whether the paint could be put into the call's uniform block; the call is dropped if not.
bool SetListPaint(GLBackendState* state, const QueueMark& mark, const GLCall* call, const CanvasPaint* paint,
                  const CanvasScissorState* scissor, float width, float fringe) {
  if (GLBackendPaintToUniforms(state, GLBackendFragUniforms(state, call->uniformOffset), paint, scissor,
                               width, fringe, kNoStrokeThreshold)) {
    return true;
  }
  DropCall(state, mark);
  return false;
}

// A lone convex path needs no stencil: its interior and its fringe are one triangle list.
void QueueConvexFill(GLBackendState* state, const CanvasPaint* paint, CanvasCompositeOperation composite,
                     const CanvasScissorState* scissor, float fringe, const CanvasPath& path) {
  const QueueMark mark = MarkQueue(state);
  if (NewCall(state, kCallConvexFill, paint, composite) == nullptr) return;
  ListSize size;
  size.vertices = static_cast<int64_t>(path.fillCount) + path.strokeCount;
  size.indices =
      static_cast<int64_t>(TriangleListLength(path.fillCount)) + TriangleListLength(path.strokeCount);
  int32_t first = 0;
  GLCall* call = ReserveList(state, mark, size, &first);
  if (call == nullptr) return DropCall(state, mark);
  CopyVertices(state, first, path.fill, path.fillCount);
  CopyVertices(state, first + path.fillCount, path.stroke, path.strokeCount);
  uint32_t* end =
      AppendConvexPolygonIndices(IndicesOf(state, call), static_cast<uint32_t>(first), path.fillCount);
  AppendStripIndices(end, static_cast<uint32_t>(first + path.fillCount), path.strokeCount);
  SetListPaint(state, mark, call, paint, scissor, fringe, fringe);
}

}  // namespace

GLFragUniforms* GLBackendFragUniforms(GLBackendState* state, int32_t offset) {
  return reinterpret_cast<GLFragUniforms*>(&state->uniforms[offset]);
}

GLTarget* GLBackendQueueTarget(GLBackendState* state) {
  if (state->callCount > 0 && state->calls[state->callCount - 1].type == kCallTarget) {
    return &state->targets[state->calls[state->callCount - 1].target];
  }
  const float* inEffect = ViewInEffect(state);
  const float view[2] = {inEffect[0], inEffect[1]};
  const QueueMark mark = MarkQueue(state);
  const int32_t call = Reserve(state->calls, state->callCapacity, state->callCount, 1, kMinCalls);
  const int32_t target = Reserve(state->targets, state->targetCapacity, state->targetCount, 1, kMinTargets);
  if (call < 0 || target < 0) {
    DropCall(state, mark);
    return nullptr;
  }
  std::memset(&state->calls[call], 0, sizeof(GLCall));
  state->calls[call].type = kCallTarget;
  state->calls[call].target = target;
  state->targets[target] = GLTarget{0, 0, 0, 0, {view[0], view[1]}};
  return &state->targets[target];
}

void GLBackendFill(void* opaque, const CanvasPaint* paint, CanvasCompositeOperation composite,
                   const CanvasScissorState* scissor, float fringe, const float* bounds,
                   const CanvasPath* paths, int pathCount) {
  GLBackendState* state = AsState(opaque);
  if (pathCount <= 0) return;
  if (pathCount == 1 && paths[0].convex)
    return QueueConvexFill(state, paint, composite, scissor, fringe, paths[0]);
  const QueueMark mark = MarkQueue(state);
  GLCall* call = NewCall(state, kCallFill, paint, composite);
  if (call == nullptr) return;
  call->pathCount = pathCount;
  call->pathOffset = ReservePaths(state, pathCount);
  const int32_t first = ReserveVertices(state, MaxVertexCount(paths, pathCount) + kBoundsQuadVertices);
  const int32_t uniforms = ReserveUniforms(state, 2);
  if (call->pathOffset < 0 || first < 0 || uniforms < 0) return DropCall(state, mark);
  call = &state->calls[mark.calls];
  call->uniformOffset = uniforms;
  const int32_t next = CopyPaths(state, call, paths, pathCount, first);

  // The cover quad over the bounds, drawn where the stencil pass left a mark.
  call->triangleOffset = next;
  call->triangleCount = kBoundsQuadVertices;
  CanvasVertex* quad = &state->vertices[next];
  quad[0] = CanvasVertex{bounds[2], bounds[3], 0.5f, 1.0f};
  quad[1] = CanvasVertex{bounds[2], bounds[1], 0.5f, 1.0f};
  quad[2] = CanvasVertex{bounds[0], bounds[3], 0.5f, 1.0f};
  quad[3] = CanvasVertex{bounds[0], bounds[1], 0.5f, 1.0f};
  GLFragUniforms* stencil = GLBackendFragUniforms(state, uniforms);
  std::memset(stencil, 0, sizeof(*stencil));
  stencil->strokeThreshold = kNoStrokeThreshold;
  stencil->shaderType = kShaderStencilFill;
  if (!GLBackendPaintToUniforms(state, GLBackendFragUniforms(state, uniforms + state->fragStride), paint,
                                scissor, fringe, fringe, kNoStrokeThreshold)) {
    DropCall(state, mark);
  }
}

void GLBackendStroke(void* opaque, const CanvasPaint* paint, CanvasCompositeOperation composite,
                     const CanvasScissorState* scissor, float fringe, float strokeWidth,
                     const CanvasPath* paths, int pathCount) {
  GLBackendState* state = AsState(opaque);
  if (pathCount <= 0) return;
  const QueueMark mark = MarkQueue(state);
  if (NewCall(state, kCallStroke, paint, composite) == nullptr) return;
  int32_t first = 0;
  GLCall* call = ReserveList(state, mark, StrokeListSize(paths, pathCount), &first);
  if (call == nullptr) return DropCall(state, mark);
  uint32_t* end = IndicesOf(state, call);
  for (int i = 0; i < pathCount; ++i) {
    CopyVertices(state, first, paths[i].stroke, paths[i].strokeCount);
    end = AppendStripIndices(end, static_cast<uint32_t>(first), paths[i].strokeCount);
    first += paths[i].strokeCount;
  }
  SetListPaint(state, mark, call, paint, scissor, strokeWidth, fringe);
}

void GLBackendTriangles(void* opaque, const CanvasPaint* paint, CanvasCompositeOperation composite,
                        const CanvasScissorState* scissor, const CanvasVertex* vertices, int vertexCount,
                        float fringe) {
  GLBackendState* state = AsState(opaque);
  if (vertexCount <= 0) return;
  const QueueMark mark = MarkQueue(state);
  if (NewCall(state, kCallTriangles, paint, composite) == nullptr) return;
  // A stray vertex past the last whole triangle draws nothing alone, but joined to the next
  // call it would start a triangle of that call's vertices.
  const int32_t indexCount = vertexCount - vertexCount % 3;
  int32_t first = 0;
  GLCall* call = ReserveList(state, mark, ListSize{vertexCount, indexCount}, &first);
  if (call == nullptr) return DropCall(state, mark);
  CopyVertices(state, first, vertices, vertexCount);
  AppendListIndices(IndicesOf(state, call), static_cast<uint32_t>(first), indexCount);
  if (!SetListPaint(state, mark, call, paint, scissor, 1.0f, fringe)) return;
  GLBackendFragUniforms(state, call->uniformOffset)->shaderType = kShaderTexturedTriangles;
}

}  // namespace plugfw::gfx
