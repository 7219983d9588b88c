#pragma once
// The OpenGL entry points, types and constants the renderer uses, declared here so that no
// portable file includes a system GL header. Every GL call goes through the table of the
// context it is made in: each editor window loads its own from its context (two windows may
// run on two drivers), so one window's load never changes what another calls. LoadGLFunctions
// fills a table from a resolver (name -> address): the window's loader on Windows, a headless
// Mesa context in the native tests. A table that lacks any entry point is left empty, and the
// GL back end then refuses to start.
// UI thread, with the table's context current, like every GL call.

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define HALCYRA_GLAPI __stdcall
#else
#define HALCYRA_GLAPI
#endif

namespace plugfw::gfx {

using GLenum = unsigned int;
using GLboolean = unsigned char;
using GLbitfield = unsigned int;
using GLint = int;
using GLuint = unsigned int;
using GLsizei = int;
using GLfloat = float;
using GLchar = char;
using GLubyte = unsigned char;
using GLsizeiptr = std::ptrdiff_t;

inline constexpr GLenum GL_NO_ERROR = 0;
inline constexpr GLenum GL_INVALID_ENUM = 0x0500;
inline constexpr GLboolean GL_FALSE = 0;
inline constexpr GLboolean GL_TRUE = 1;

// Blend factors.
inline constexpr GLenum GL_ZERO = 0;
inline constexpr GLenum GL_ONE = 1;
inline constexpr GLenum GL_SRC_COLOR = 0x0300;
inline constexpr GLenum GL_ONE_MINUS_SRC_COLOR = 0x0301;
inline constexpr GLenum GL_SRC_ALPHA = 0x0302;
inline constexpr GLenum GL_ONE_MINUS_SRC_ALPHA = 0x0303;
inline constexpr GLenum GL_DST_ALPHA = 0x0304;
inline constexpr GLenum GL_ONE_MINUS_DST_ALPHA = 0x0305;
inline constexpr GLenum GL_DST_COLOR = 0x0306;
inline constexpr GLenum GL_ONE_MINUS_DST_COLOR = 0x0307;
inline constexpr GLenum GL_SRC_ALPHA_SATURATE = 0x0308;

// Primitives, faces and capabilities.
inline constexpr GLenum GL_TRIANGLES = 0x0004;
inline constexpr GLenum GL_TRIANGLE_STRIP = 0x0005;
inline constexpr GLenum GL_TRIANGLE_FAN = 0x0006;
inline constexpr GLenum GL_FRONT = 0x0404;
inline constexpr GLenum GL_BACK = 0x0405;
inline constexpr GLenum GL_CCW = 0x0901;
inline constexpr GLenum GL_CULL_FACE = 0x0B44;
inline constexpr GLenum GL_DEPTH_TEST = 0x0B71;
inline constexpr GLenum GL_STENCIL_TEST = 0x0B90;
inline constexpr GLenum GL_BLEND = 0x0BE2;
inline constexpr GLenum GL_SCISSOR_TEST = 0x0C11;

// Stencil.
inline constexpr GLenum GL_NOTEQUAL = 0x0205;
inline constexpr GLenum GL_EQUAL = 0x0202;
inline constexpr GLenum GL_ALWAYS = 0x0207;
inline constexpr GLenum GL_KEEP = 0x1E00;
inline constexpr GLenum GL_INCR_WRAP = 0x8507;
inline constexpr GLenum GL_DECR_WRAP = 0x8508;

// Clearing and queries.
inline constexpr GLbitfield GL_DEPTH_BUFFER_BIT = 0x0100;
inline constexpr GLbitfield GL_STENCIL_BUFFER_BIT = 0x0400;
inline constexpr GLbitfield GL_COLOR_BUFFER_BIT = 0x4000;
inline constexpr GLenum GL_VIEWPORT = 0x0BA2;
inline constexpr GLenum GL_TEXTURE_BINDING_2D = 0x8069;
inline constexpr GLenum GL_RENDERER = 0x1F01;
inline constexpr GLenum GL_VERSION = 0x1F02;

// Textures and pixel transfer.
inline constexpr GLenum GL_TEXTURE_2D = 0x0DE1;
inline constexpr GLenum GL_TEXTURE0 = 0x84C0;
inline constexpr GLenum GL_UNSIGNED_BYTE = 0x1401;
inline constexpr GLenum GL_UNSIGNED_INT = 0x1405;
inline constexpr GLenum GL_FLOAT = 0x1406;
inline constexpr GLenum GL_RGBA = 0x1908;
inline constexpr GLenum GL_LUMINANCE = 0x1909;
inline constexpr GLenum GL_NEAREST = 0x2600;
inline constexpr GLenum GL_LINEAR = 0x2601;
inline constexpr GLenum GL_NEAREST_MIPMAP_NEAREST = 0x2700;
inline constexpr GLenum GL_LINEAR_MIPMAP_LINEAR = 0x2703;
inline constexpr GLenum GL_TEXTURE_MAG_FILTER = 0x2800;
inline constexpr GLenum GL_TEXTURE_MIN_FILTER = 0x2801;
inline constexpr GLenum GL_TEXTURE_WRAP_S = 0x2802;
inline constexpr GLenum GL_TEXTURE_WRAP_T = 0x2803;
inline constexpr GLenum GL_REPEAT = 0x2901;
inline constexpr GLenum GL_CLAMP_TO_EDGE = 0x812F;
inline constexpr GLenum GL_GENERATE_MIPMAP = 0x8191;
inline constexpr GLenum GL_UNPACK_ROW_LENGTH = 0x0CF2;
inline constexpr GLenum GL_UNPACK_SKIP_ROWS = 0x0CF3;
inline constexpr GLenum GL_UNPACK_SKIP_PIXELS = 0x0CF4;
inline constexpr GLenum GL_UNPACK_ALIGNMENT = 0x0CF5;
inline constexpr GLenum GL_PACK_ALIGNMENT = 0x0D05;

// Buffers and shaders.
inline constexpr GLenum GL_ARRAY_BUFFER = 0x8892;
inline constexpr GLenum GL_ELEMENT_ARRAY_BUFFER = 0x8893;
inline constexpr GLenum GL_STREAM_DRAW = 0x88E0;
inline constexpr GLenum GL_FRAGMENT_SHADER = 0x8B30;
inline constexpr GLenum GL_VERTEX_SHADER = 0x8B31;
inline constexpr GLenum GL_COMPILE_STATUS = 0x8B81;
inline constexpr GLenum GL_LINK_STATUS = 0x8B82;

// Framebuffer objects.
inline constexpr GLenum GL_DEPTH24_STENCIL8 = 0x88F0;
inline constexpr GLenum GL_FRAMEBUFFER_BINDING = 0x8CA6;
inline constexpr GLenum GL_RENDERBUFFER_BINDING = 0x8CA7;
inline constexpr GLenum GL_FRAMEBUFFER_COMPLETE = 0x8CD5;
inline constexpr GLenum GL_COLOR_ATTACHMENT0 = 0x8CE0;
inline constexpr GLenum GL_DEPTH_ATTACHMENT = 0x8D00;
inline constexpr GLenum GL_STENCIL_ATTACHMENT = 0x8D20;
inline constexpr GLenum GL_FRAMEBUFFER = 0x8D40;
inline constexpr GLenum GL_RENDERBUFFER = 0x8D41;
inline constexpr GLenum GL_STENCIL_INDEX8 = 0x8D48;

// Every entry point: return type, name without the "gl" prefix, parameters. The GL 1.1
// ones come from opengl32's exports on Windows, the rest from the driver.
#define HALCYRA_GL_FUNCTIONS(X)                                                                              \
  X(void, ActiveTexture, (GLenum texture))                                                                   \
  X(void, AttachShader, (GLuint program, GLuint shader))                                                     \
  X(void, BindAttribLocation, (GLuint program, GLuint index, const GLchar* name))                            \
  X(void, BindBuffer, (GLenum target, GLuint buffer))                                                        \
  X(void, BindFramebuffer, (GLenum target, GLuint framebuffer))                                              \
  X(void, BindRenderbuffer, (GLenum target, GLuint renderbuffer))                                            \
  X(void, BindTexture, (GLenum target, GLuint texture))                                                      \
  X(void, BlendFuncSeparate, (GLenum srcRGB, GLenum dstRGB, GLenum srcAlpha, GLenum dstAlpha))               \
  X(void, BufferData, (GLenum target, GLsizeiptr size, const void* data, GLenum usage))                      \
  X(GLenum, CheckFramebufferStatus, (GLenum target))                                                         \
  X(void, Clear, (GLbitfield mask))                                                                          \
  X(void, ClearColor, (GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha))                             \
  X(void, ColorMask, (GLboolean red, GLboolean green, GLboolean blue, GLboolean alpha))                      \
  X(void, CompileShader, (GLuint shader))                                                                    \
  X(GLuint, CreateProgram, (void))                                                                           \
  X(GLuint, CreateShader, (GLenum type))                                                                     \
  X(void, CullFace, (GLenum mode))                                                                           \
  X(void, DeleteBuffers, (GLsizei n, const GLuint* buffers))                                                 \
  X(void, DeleteFramebuffers, (GLsizei n, const GLuint* framebuffers))                                       \
  X(void, DeleteProgram, (GLuint program))                                                                   \
  X(void, DeleteRenderbuffers, (GLsizei n, const GLuint* renderbuffers))                                     \
  X(void, DeleteShader, (GLuint shader))                                                                     \
  X(void, DeleteTextures, (GLsizei n, const GLuint* textures))                                               \
  X(void, Disable, (GLenum cap))                                                                             \
  X(void, DisableVertexAttribArray, (GLuint index))                                                          \
  X(void, DrawArrays, (GLenum mode, GLint first, GLsizei count))                                             \
  X(void, DrawElements, (GLenum mode, GLsizei count, GLenum type, const void* indices))                      \
  X(void, Enable, (GLenum cap))                                                                              \
  X(void, EnableVertexAttribArray, (GLuint index))                                                           \
  X(void, Finish, (void))                                                                                    \
  X(void, FramebufferRenderbuffer,                                                                           \
    (GLenum target, GLenum attachment, GLenum renderbuffertarget, GLuint renderbuffer))                      \
  X(void, FramebufferTexture2D,                                                                              \
    (GLenum target, GLenum attachment, GLenum textarget, GLuint texture, GLint level))                       \
  X(void, FrontFace, (GLenum mode))                                                                          \
  X(void, GenBuffers, (GLsizei n, GLuint * buffers))                                                         \
  X(void, GenFramebuffers, (GLsizei n, GLuint * framebuffers))                                               \
  X(void, GenRenderbuffers, (GLsizei n, GLuint * renderbuffers))                                             \
  X(void, GenTextures, (GLsizei n, GLuint * textures))                                                       \
  X(GLenum, GetError, (void))                                                                                \
  X(void, GetIntegerv, (GLenum pname, GLint * data))                                                         \
  X(void, GetProgramInfoLog, (GLuint program, GLsizei bufSize, GLsizei * length, GLchar * infoLog))          \
  X(void, GetProgramiv, (GLuint program, GLenum pname, GLint * params))                                      \
  X(void, GetShaderInfoLog, (GLuint shader, GLsizei bufSize, GLsizei * length, GLchar * infoLog))            \
  X(void, GetShaderiv, (GLuint shader, GLenum pname, GLint * params))                                        \
  X(const GLubyte*, GetString, (GLenum name))                                                                \
  X(GLint, GetUniformLocation, (GLuint program, const GLchar* name))                                         \
  X(void, LinkProgram, (GLuint program))                                                                     \
  X(void, PixelStorei, (GLenum pname, GLint param))                                                          \
  X(void, ReadPixels,                                                                                        \
    (GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* pixels))             \
  X(void, RenderbufferStorage, (GLenum target, GLenum internalformat, GLsizei width, GLsizei height))        \
  X(void, ShaderSource, (GLuint shader, GLsizei count, const GLchar* const* string, const GLint* length))    \
  X(void, StencilFunc, (GLenum func, GLint ref, GLuint mask))                                                \
  X(void, StencilMask, (GLuint mask))                                                                        \
  X(void, StencilOp, (GLenum fail, GLenum zfail, GLenum zpass))                                              \
  X(void, StencilOpSeparate, (GLenum face, GLenum sfail, GLenum dpfail, GLenum dppass))                      \
  X(void, TexImage2D,                                                                                        \
    (GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height, GLint border,          \
     GLenum format, GLenum type, const void* pixels))                                                        \
  X(void, TexParameteri, (GLenum target, GLenum pname, GLint param))                                         \
  X(void, TexSubImage2D,                                                                                     \
    (GLenum target, GLint level, GLint xoffset, GLint yoffset, GLsizei width, GLsizei height, GLenum format, \
     GLenum type, const void* pixels))                                                                       \
  X(void, Uniform1i, (GLint location, GLint v0))                                                             \
  X(void, Uniform2fv, (GLint location, GLsizei count, const GLfloat* value))                                 \
  X(void, Uniform4fv, (GLint location, GLsizei count, const GLfloat* value))                                 \
  X(void, UseProgram, (GLuint program))                                                                      \
  X(void, VertexAttribPointer,                                                                               \
    (GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride, const void* pointer))      \
  X(void, Viewport, (GLint x, GLint y, GLsizei width, GLsizei height))

struct GLFunctions {
#define HALCYRA_GL_MEMBER(ret, name, params) ret(HALCYRA_GLAPI* name) params = nullptr;
  HALCYRA_GL_FUNCTIONS(HALCYRA_GL_MEMBER)
#undef HALCYRA_GL_MEMBER
  // True once every entry point above was found.
  bool complete = false;
};

// Asks for the address of a GL entry point by its full name ("glBindTexture"); null when the
// context has none. `user` is passed through.
using GLProcResolver = void* (*)(const char* name, void* user);

// UI thread, with the table's context current. Fills table from the resolver. Returns null when
// every entry point was found; otherwise the name of the first missing one, and table is left
// empty (complete false).
const char* LoadGLFunctions(GLFunctions& table, GLProcResolver resolve, void* user);

// Windows only (gl_functions_win32.cpp). UI thread: the window's loader over the current WGL
// context, asking wglGetProcAddress first and opengl32's exports second. Returns what
// LoadGLFunctions returns, or "opengl32.dll" / "wglGetProcAddress" when those cannot be had
// (table then empty).
const char* LoadGLFunctionsFromWGL(GLFunctions& table);

}  // namespace plugfw::gfx
