// The canvas's shader. The header defines come first, so the sources are GLSL 1.10 without a
// #version line. The fragment shader reads its paint from the 11 vectors of "frag":
//   0-2 scissor matrix, 3-5 paint matrix, 6 inner colour, 7 outer colour,
//   8 scissor extent and scale, 9 extent, radius and feather,
//   10 stroke multiplier, stroke threshold, texture type, shader type.
#include "graphics/renderer/gl_shader.h"

#include <cstdio>

namespace plugfw::gfx {
namespace {

constexpr int kInfoLogLength = 512;

const char* const kVertexSource = R"(
uniform vec2 viewSize;
attribute vec2 vertex;
attribute vec2 tcoord;
varying vec2 ftcoord;
varying vec2 fpos;
void main(void) {
  ftcoord = tcoord;
  fpos = vertex;
  // Canvas units have the origin top-left and y growing down.
  gl_Position = vec4(2.0 * vertex.x / viewSize.x - 1.0, 1.0 - 2.0 * vertex.y / viewSize.y, 0.0, 1.0);
}
)";

const char* const kFragmentSource = R"(
uniform vec4 frag[UNIFORMARRAY_SIZE];
uniform sampler2D tex;
varying vec2 ftcoord;
varying vec2 fpos;
#define scissorMat mat3(frag[0].xyz, frag[1].xyz, frag[2].xyz)
#define paintMat mat3(frag[3].xyz, frag[4].xyz, frag[5].xyz)
#define innerCol frag[6]
#define outerCol frag[7]
#define scissorExt frag[8].xy
#define scissorScale frag[8].zw
#define extent frag[9].xy
#define radius frag[9].z
#define feather frag[9].w
#define strokeMult frag[10].x
#define strokeThr frag[10].y
#define texType int(frag[10].z)
#define shaderType int(frag[10].w)

// Signed distance from a rectangle of half size ext with corners of radius rad.
float roundedRectDistance(vec2 pt, vec2 ext, float rad) {
  vec2 inner = ext - vec2(rad, rad);
  vec2 d = abs(pt) - inner;
  return min(max(d.x, d.y), 0.0) + length(max(d, 0.0)) - rad;
}

// 1 inside the scissor, 0 outside, with a one-pixel ramp across its edge.
float scissorMask(vec2 p) {
  vec2 sc = abs((scissorMat * vec3(p, 1.0)).xy) - scissorExt;
  sc = vec2(0.5, 0.5) - sc * scissorScale;
  return clamp(sc.x, 0.0, 1.0) * clamp(sc.y, 0.0, 1.0);
}

#ifdef EDGE_AA
// Coverage across a strip (u) and along a cap's fade (v).
float strokeMask() {
  return min(1.0, (1.0 - abs(ftcoord.x * 2.0 - 1.0)) * strokeMult) * min(1.0, ftcoord.y);
}
#endif

vec4 textureColour(vec2 st) {
  vec4 colour = texture2D(tex, st);
  if (texType == 1) colour = vec4(colour.xyz * colour.w, colour.w);
  if (texType == 2) colour = vec4(colour.x);
  return colour;
}

void main(void) {
  vec4 result;
  float scissor = scissorMask(fpos);
#ifdef EDGE_AA
  float strokeAlpha = strokeMask();
  if (strokeAlpha < strokeThr) discard;
#else
  float strokeAlpha = 1.0;
#endif
  if (shaderType == 0) {
    vec2 pt = (paintMat * vec3(fpos, 1.0)).xy;
    float d = clamp((roundedRectDistance(pt, extent, radius) + feather * 0.5) / feather, 0.0, 1.0);
    result = mix(innerCol, outerCol, d) * (strokeAlpha * scissor);
  } else if (shaderType == 1) {
    vec2 pt = (paintMat * vec3(fpos, 1.0)).xy / extent;
    result = textureColour(pt) * innerCol * (strokeAlpha * scissor);
  } else if (shaderType == 2) {
    result = vec4(1.0, 1.0, 1.0, 1.0);
  } else {
    result = textureColour(ftcoord) * scissor * innerCol;
  }
  gl_FragColor = result;
}
)";

using InfoLogReader = void(HALCYRA_GLAPI*)(GLuint object, GLsizei size, GLsizei* length, GLchar* log);

// The object's log, cut at the length the message has room for.
void ReadInfoLog(InfoLogReader read, GLuint object, GLchar (&log)[kInfoLogLength + 1]) {
  GLsizei length = 0;
  read(object, kInfoLogLength, &length, log);
  if (length < 0) length = 0;
  if (length > kInfoLogLength) length = kInfoLogLength;
  log[length] = '\0';
}

void PrintShaderError(const GLFunctions& gl, GLuint shader, const char* name, const char* type) {
  GLchar log[kInfoLogLength + 1];
  ReadInfoLog(gl.GetShaderInfoLog, shader, log);
  std::printf("Shader %s/%s error:\n%s\n", name, type, log);
}

void PrintProgramError(const GLFunctions& gl, GLuint program, const char* name) {
  GLchar log[kInfoLogLength + 1];
  ReadInfoLog(gl.GetProgramInfoLog, program, log);
  std::printf("Program %s error:\n%s\n", name, log);
}

bool CompileShader(const GLFunctions& gl, GLuint shader, const char* header, const char* options,
                   const char* source, const char* name, const char* type) {
  const GLchar* strings[3] = {header, options != nullptr ? options : "", source};
  gl.ShaderSource(shader, 3, strings, nullptr);
  gl.CompileShader(shader);
  GLint status = 0;
  gl.GetShaderiv(shader, GL_COMPILE_STATUS, &status);
  if (status != GL_TRUE) {
    PrintShaderError(gl, shader, name, type);
    return false;
  }
  return true;
}

void DeleteProgramObjects(const GLFunctions& gl, GLuint program, GLuint vertexShader, GLuint fragmentShader) {
  if (program != 0) gl.DeleteProgram(program);
  if (vertexShader != 0) gl.DeleteShader(vertexShader);
  if (fragmentShader != 0) gl.DeleteShader(fragmentShader);
}

}  // namespace

bool GLBackendBuildShader(GLBackendState* state, const char* name, const char* header, const char* options) {
  const GLFunctions& gl = *state->gl;
  const GLuint program = gl.CreateProgram();
  const GLuint vertexShader = gl.CreateShader(GL_VERTEX_SHADER);
  const GLuint fragmentShader = gl.CreateShader(GL_FRAGMENT_SHADER);
  if (program == 0 || vertexShader == 0 || fragmentShader == 0 ||
      !CompileShader(gl, vertexShader, header, options, kVertexSource, name, "vert") ||
      !CompileShader(gl, fragmentShader, header, options, kFragmentSource, name, "frag")) {
    DeleteProgramObjects(gl, program, vertexShader, fragmentShader);
    return false;
  }
  gl.AttachShader(program, vertexShader);
  gl.AttachShader(program, fragmentShader);
  gl.BindAttribLocation(program, 0, "vertex");
  gl.BindAttribLocation(program, 1, "tcoord");
  gl.LinkProgram(program);
  GLint status = 0;
  gl.GetProgramiv(program, GL_LINK_STATUS, &status);
  if (status != GL_TRUE) {
    PrintProgramError(gl, program, name);
    DeleteProgramObjects(gl, program, vertexShader, fragmentShader);
    return false;
  }
  state->program = program;
  state->vertexShader = vertexShader;
  state->fragmentShader = fragmentShader;
  return true;
}

}  // namespace plugfw::gfx
