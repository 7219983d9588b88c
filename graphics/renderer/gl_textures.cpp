// The GL textures behind canvas image ids. Ids count up from 1 and are never reused, so a
// stale id finds nothing instead of someone else's texture.
#include <algorithm>
#include <cstring>

#include "graphics/renderer/gl_backend.h"
#include "graphics/renderer/renderer_arrays.h"

namespace plugfw::gfx {
namespace {

constexpr int32_t kFirstTextureCapacity = 4;

GLBackendState* AsState(void* state) { return static_cast<GLBackendState*>(state); }

GLTextureRecord* AllocTexture(GLBackendState* state) {
  GLTextureRecord* record = nullptr;
  for (int32_t i = 0; i < state->textureCount; ++i) {
    if (state->textures[i].id == 0) {
      record = &state->textures[i];
      break;
    }
  }
  if (record == nullptr) {
    if (state->textureCount + 1 > state->textureCapacity) {
      const int64_t capacity =
          std::max<int64_t>(state->textureCount + 1, kFirstTextureCapacity) + state->textureCapacity / 2;
      if (!ResizeRecords(state->textures, state->textureCapacity, capacity)) return nullptr;
    }
    record = &state->textures[state->textureCount++];
  }
  std::memset(record, 0, sizeof(*record));
  record->id = ++state->lastTextureId;
  return record;
}

GLenum PixelFormat(int32_t type) { return type == kTextureRgba ? GL_RGBA : GL_LUMINANCE; }

// Rows of `rowLength` pixels, starting `skipPixels` in and `skipRows` down.
void SetUnpack(const GLFunctions& gl, GLint alignment, GLint rowLength, GLint skipPixels, GLint skipRows) {
  gl.PixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  gl.PixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);
  gl.PixelStorei(GL_UNPACK_SKIP_PIXELS, skipPixels);
  gl.PixelStorei(GL_UNPACK_SKIP_ROWS, skipRows);
}

void RestoreUnpack(const GLFunctions& gl) { SetUnpack(gl, 4, 0, 0, 0); }

GLint MinFilter(int32_t flags) {
  const bool mipmaps = (flags & kImageGenerateMipmaps) != 0;
  if (flags & kImageNearest) return mipmaps ? GL_NEAREST_MIPMAP_NEAREST : GL_NEAREST;
  return mipmaps ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR;
}

}  // namespace

GLTextureRecord* GLBackendFindTexture(GLBackendState* state, int image) {
  if (image <= 0) return nullptr;  // 0 also marks free records
  for (int32_t i = 0; i < state->textureCount; ++i) {
    if (state->textures[i].id == image) return &state->textures[i];
  }
  return nullptr;
}

int GLBackendCreateTexture(void* opaque, int type, int width, int height, int imageFlags,
                           const uint8_t* data) {
  GLBackendState* state = AsState(opaque);
  if (state->gl == nullptr || width <= 0 || height <= 0) return 0;
  const GLFunctions& gl = *state->gl;
  GLTextureRecord* record = AllocTexture(state);
  if (record == nullptr) return 0;
  gl.GenTextures(1, &record->texture);
  record->width = width;
  record->height = height;
  record->type = type;
  record->flags = imageFlags;
  gl.BindTexture(GL_TEXTURE_2D, record->texture);
  SetUnpack(gl, 1, width, 0, 0);
  if (imageFlags & kImageGenerateMipmaps) gl.TexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, 1);
  const GLenum format = PixelFormat(type);
  gl.TexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), width, height, 0, format, GL_UNSIGNED_BYTE,
                data);
  gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, MinFilter(imageFlags));
  gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER,
                   (imageFlags & kImageNearest) ? GL_NEAREST : GL_LINEAR);
  gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S,
                   (imageFlags & kImageRepeatX) ? GL_REPEAT : GL_CLAMP_TO_EDGE);
  gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T,
                   (imageFlags & kImageRepeatY) ? GL_REPEAT : GL_CLAMP_TO_EDGE);
  RestoreUnpack(gl);
  gl.BindTexture(GL_TEXTURE_2D, 0);
  return record->id;
}

int GLBackendDeleteTexture(void* opaque, int image) {
  GLBackendState* state = AsState(opaque);
  GLTextureRecord* record = GLBackendFindTexture(state, image);
  if (record == nullptr) return 0;
  if (record->texture != 0 && !(record->flags & kImageNoDelete) && state->gl != nullptr) {
    state->gl->DeleteTextures(1, &record->texture);
  }
  std::memset(record, 0, sizeof(*record));
  return 1;
}

int GLBackendUpdateTexture(void* opaque, int image, int x, int y, int width, int height,
                           const uint8_t* data) {
  GLBackendState* state = AsState(opaque);
  GLTextureRecord* record = GLBackendFindTexture(state, image);
  if (record == nullptr || state->gl == nullptr) return 0;
  const GLFunctions& gl = *state->gl;
  // GL would read the rectangle out of `data` by the texture's row length: it must lie inside.
  if (data == nullptr || x < 0 || y < 0 || width <= 0 || height <= 0 || x > record->width - width ||
      y > record->height - height) {
    return 0;
  }
  gl.BindTexture(GL_TEXTURE_2D, record->texture);
  SetUnpack(gl, 1, record->width, x, y);
  const GLenum format = PixelFormat(record->type);
  gl.TexSubImage2D(GL_TEXTURE_2D, 0, x, y, width, height, format, GL_UNSIGNED_BYTE, data);
  RestoreUnpack(gl);
  gl.BindTexture(GL_TEXTURE_2D, 0);
  return 1;
}

int GLBackendTextureSize(void* opaque, int image, int* width, int* height) {
  const GLTextureRecord* record = GLBackendFindTexture(AsState(opaque), image);
  if (record == nullptr) return 0;
  *width = record->width;
  *height = record->height;
  return 1;
}

}  // namespace plugfw::gfx
