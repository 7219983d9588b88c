// Images: files and memory decoded by stb_image to four-channel RGBA, then handed to the
// back end as textures.
#include "graphics/renderer/canvas.h"

#if defined(_WIN32)
// Paths inside the program are UTF-8; stb_image then opens them through the wide calls.
#define STBI_WINDOWS_UTF8
#endif
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace plugfw::gfx {
namespace {

constexpr int kRgbaChannels = 4;

int32_t CreateDecodedImage(CanvasContext* ctx, int32_t imageFlags, unsigned char* pixels, int width,
                           int height) {
  if (pixels == nullptr) return 0;
  const int32_t image = CanvasCreateImageRgba(ctx, width, height, imageFlags, pixels);
  stbi_image_free(pixels);
  return image;
}

}  // namespace

int32_t CanvasCreateImage(CanvasContext* ctx, const char* path, int32_t imageFlags) {
  if (path == nullptr) return 0;
  int width = 0, height = 0, channels = 0;
  unsigned char* pixels = stbi_load(path, &width, &height, &channels, kRgbaChannels);
  return CreateDecodedImage(ctx, imageFlags, pixels, width, height);
}

int32_t CanvasCreateImageMem(CanvasContext* ctx, int32_t imageFlags, const uint8_t* bytes, int32_t size) {
  if (bytes == nullptr || size <= 0) return 0;
  int width = 0, height = 0, channels = 0;
  unsigned char* pixels = stbi_load_from_memory(bytes, size, &width, &height, &channels, kRgbaChannels);
  return CreateDecodedImage(ctx, imageFlags, pixels, width, height);
}

int32_t CanvasCreateImageRgba(CanvasContext* ctx, int32_t width, int32_t height, int32_t imageFlags,
                              const uint8_t* pixels) {
  if (width <= 0 || height <= 0) return 0;
  return ctx->callbacks.createTexture(ctx->callbacks.state, kTextureRgba, width, height, imageFlags, pixels);
}

int CanvasImageSize(CanvasContext* ctx, int32_t image, int* width, int* height) {
  return ctx->callbacks.textureSize(ctx->callbacks.state, image, width, height);
}

void CanvasDeleteImage(CanvasContext* ctx, int32_t image) {
  ctx->callbacks.deleteTexture(ctx->callbacks.state, image);
}

}  // namespace plugfw::gfx
