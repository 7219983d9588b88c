#pragma once
// The canvas's OpenGL 2 back end. During a frame it only queues the canvas's fills, strokes
// and triangle lists (calls, paths, vertices, triangle indices, fragment uniforms) and the
// changes of the framebuffer they draw into; the flush that ends the frame issues all GL work
// with one program, one upload each of the vertices and the indices, and cached GL state. It
// owns
// the GL textures behind canvas image ids, and makes the framebuffers that layers draw into.
// UI thread, with the GL context current; every GL call goes through that context's table,
// given at creation.

#include <cstdint>

#include "graphics/renderer/canvas.h"
#include "graphics/renderer/gl_functions.h"

namespace plugfw::gfx {

enum GLBackendFlags : int32_t {
  kGLBackendAntiAlias = 1 << 0,
  kGLBackendCheckErrors = 1 << 2,  // prints GL errors after set-up steps; off in the program
};

struct GLTextureRecord {
  int32_t id;  // 0: free slot
  GLuint texture;
  int32_t width;
  int32_t height;
  int32_t type;   // CanvasTextureType
  int32_t flags;  // CanvasImageFlags
};

enum GLCallType : int32_t {
  kCallFill = 1,
  kCallConvexFill = 2,
  kCallStroke = 3,
  kCallTriangles = 4,
  kCallTarget = 5,  // draws nothing: the calls after it draw into its GLTarget
};

// Where the calls after a kCallTarget draw: a framebuffer bound at a viewport of its pixel
// size, or the one bound kept, and the view size in canvas units.
struct GLTarget {
  int32_t bindsFramebuffer;  // 0: framebuffer and viewport stay as they are
  GLuint framebuffer;
  int32_t viewportWidth;
  int32_t viewportHeight;
  float view[2];
};

struct GLBlendFactors {
  GLenum srcColour;
  GLenum dstColour;
  GLenum srcAlpha;
  GLenum dstAlpha;
};

// What the fragment shader draws; only images and textured triangles sample the texture.
enum GLShaderType : int32_t {
  kShaderGradient = 0,
  kShaderImage = 1,
  kShaderStencilFill = 2,
  kShaderTexturedTriangles = 3,
};

// Stencil fills draw their paths' fans and fringes and the bounds quad at triangleOffset;
// every other call is one indexed triangle list at indexOffset, with no paths.
struct GLCall {
  int32_t type;
  int32_t image;
  int32_t pathOffset;
  int32_t pathCount;
  int32_t triangleOffset;
  int32_t triangleCount;
  int32_t uniformOffset;  // bytes
  GLBlendFactors blend;
  int32_t indexOffset;
  int32_t indexCount;
  int32_t target;  // kCallTarget: its entry in the target queue
};

struct GLPath {
  int32_t fillOffset;
  int32_t fillCount;
  int32_t strokeOffset;
  int32_t strokeCount;
};

// The fragment shader's "frag" array: 11 vectors of 4 floats.
struct GLFragUniforms {
  float scissorMatrix[12];  // 3 columns of x, y, w and one unused float
  float paintMatrix[12];
  CanvasColour innerColour;  // premultiplied
  CanvasColour outerColour;
  float scissorExtent[2];
  float scissorScale[2];
  float extent[2];
  float radius;
  float feather;
  float strokeMultiplier;
  float strokeThreshold;
  float textureType;
  float shaderType;
};

inline constexpr int kGLFragVectors = 11;

struct GLBackendState {
  const GLFunctions* gl;  // the table of the context the canvas draws in; null once forgotten
  GLuint program;
  GLuint fragmentShader;
  GLuint vertexShader;
  GLint viewSizeLocation;
  GLint texLocation;
  GLint fragLocation;
  GLTextureRecord* textures;
  float view[2];  // of the queue's first calls; a GLTarget holds the view of those after it
  int32_t textureCount;
  int32_t textureCapacity;
  int32_t lastTextureId;
  GLuint vertexBuffer;
  int32_t fragStride;
  int32_t flags;
  GLCall* calls;
  int32_t callCapacity;
  int32_t callCount;
  GLPath* paths;
  int32_t pathCapacity;
  int32_t pathCount;
  CanvasVertex* vertices;
  int32_t vertexCapacity;
  int32_t vertexCount;
  uint32_t* indices;  // triangle lists over the vertex queue
  int32_t indexCapacity;
  int32_t indexCount;
  GLuint indexBuffer;
  uint8_t* uniforms;
  int32_t uniformCapacity;  // blocks
  int32_t uniformCount;     // blocks
  GLTarget* targets;
  int32_t targetCapacity;
  int32_t targetCount;
  // What GL holds now, so that repeated values make no GL call. Valid during a flush only.
  GLuint boundTexture;
  GLuint stencilMask;
  GLenum stencilFunc;
  GLint stencilFuncRef;
  GLuint stencilFuncMask;
  GLBlendFactors blend;
  int32_t dummyTexture;      // image id bound for calls without an image
  int32_t uploadedUniforms;  // byte offset of the block "frag" holds, -1 none; during a flush
};

// The callbacks, in the order CanvasBackendCallbacks carries them; `state` is a
// GLBackendState. UI thread, GL current.
int GLBackendCreate(void* state);
int GLBackendCreateTexture(void* state, int type, int width, int height, int imageFlags, const uint8_t* data);
int GLBackendDeleteTexture(void* state, int image);
int GLBackendUpdateTexture(void* state, int image, int x, int y, int width, int height, const uint8_t* data);
int GLBackendTextureSize(void* state, int image, int* width, int* height);
void GLBackendViewport(void* state, float width, float height, float devicePixelRatio);
void GLBackendCancel(void* state);
void GLBackendFlush(void* state);
void GLBackendFill(void* state, const CanvasPaint* paint, CanvasCompositeOperation composite,
                   const CanvasScissorState* scissor, float fringe, const float* bounds,
                   const CanvasPath* paths, int pathCount);
void GLBackendStroke(void* state, const CanvasPaint* paint, CanvasCompositeOperation composite,
                     const CanvasScissorState* scissor, float fringe, float strokeWidth,
                     const CanvasPath* paths, int pathCount);
void GLBackendTriangles(void* state, const CanvasPaint* paint, CanvasCompositeOperation composite,
                        const CanvasScissorState* scissor, const CanvasVertex* vertices, int vertexCount,
                        float fringe);
// Frees the state itself too.
void GLBackendDelete(void* state);

// UI thread, GL current. The canvas's calls from now on draw into framebuffer, at a viewport of
// width x height pixels. With calls queued the change takes its place among them and is made
// by the flush, so that a frame drawn into several targets is still one flush; with none it is
// made now. A cancelled queue drops its changes too.
void GLCanvasDrawInto(CanvasContext* canvas, GLuint framebuffer, int width, int height);

// UI thread. For a canvas whose context cannot be made current any more: from now on its back
// end makes no GL call, which would reach whatever context is current. Flushes drop their
// calls, textures and framebuffers are neither made nor updated, and deletions free memory
// only; the GL objects go with the context.
void GLCanvasForgetContext(CanvasContext* canvas);

// UI thread, gl's context current. A canvas over a fresh back end with the given
// GLBackendFlags, calling GL through gl, which must outlive it; null when the table is
// incomplete, the shaders fail or memory runs out.
CanvasContext* GLCanvasCreate(int32_t flags, const GLFunctions& gl);

// Internal to the back end: its texture records, the uniform blocks of the queue, and the
// target the calls queued from now on draw into: the last call's own when it is a target
// change, else a new change that keeps framebuffer and view (null when memory runs out).
// UI thread.
GLTextureRecord* GLBackendFindTexture(GLBackendState* state, int image);
GLFragUniforms* GLBackendFragUniforms(GLBackendState* state, int32_t offset);
GLTarget* GLBackendQueueTarget(GLBackendState* state);

// An offscreen target: a framebuffer with an RGBA canvas image as colour and a stencil buffer.
struct LayerFramebuffer {
  CanvasContext* canvas;
  GLuint framebuffer;
  GLuint renderbuffer;
  GLuint texture;
  int32_t image;  // -1: none
};

// UI thread, GL current. Null when the size is not positive or no complete framebuffer can be
// made; the framebuffer and renderbuffer bindings are as they were either way.
LayerFramebuffer* CreateLayerFramebuffer(CanvasContext* canvas, int width, int height, int imageFlags);
// UI thread, GL current. Deletes the framebuffer, its stencil, its image and the record.
void DeleteLayerFramebuffer(LayerFramebuffer* framebuffer);
// UI thread. The pixel size of the framebuffer's image, for its viewport; false when it has
// none.
bool LayerFramebufferSize(const LayerFramebuffer* framebuffer, int* width, int* height);

}  // namespace plugfw::gfx
