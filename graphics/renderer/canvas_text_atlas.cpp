#include "graphics/renderer/canvas_text_atlas.h"

namespace plugfw::gfx {
namespace {

bool FontTextureSize(CanvasContext* ctx, int32_t image, int* width, int* height) {
  *width = *height = 0;
  return image != 0 && ctx->callbacks.textureSize(ctx->callbacks.state, image, width, height) != 0;
}

}  // namespace

bool CanvasCreateFontAtlas(CanvasContext* ctx) {
  ctx->fontImages[0] = ctx->callbacks.createTexture(ctx->callbacks.state, kTextureAlpha, kFontAtlasStartSize,
                                                    kFontAtlasStartSize, 0, nullptr);
  return ctx->fontImages[0] != 0;
}

void CanvasDeleteFontAtlas(CanvasContext* ctx) {
  for (int32_t& image : ctx->fontImages) {
    if (image != 0) ctx->callbacks.deleteTexture(ctx->callbacks.state, image);
    image = 0;
  }
}

void CanvasKeepLargestFontTexture(CanvasContext* ctx) {
  if (ctx->fontImageIndex == 0) return;
  const int32_t current = ctx->fontImages[ctx->fontImageIndex];
  int currentWidth, currentHeight;
  FontTextureSize(ctx, current, &currentWidth, &currentHeight);
  int32_t kept[kCanvasMaxFontTextures] = {current, 0, 0, 0};
  int keptCount = 1;
  for (int i = 0; i < kCanvasMaxFontTextures; ++i) {
    const int32_t image = ctx->fontImages[i];
    if (i == ctx->fontImageIndex || image == 0) continue;
    int width, height;
    FontTextureSize(ctx, image, &width, &height);
    if (width < currentWidth || height < currentHeight) {
      ctx->callbacks.deleteTexture(ctx->callbacks.state, image);
    } else {
      kept[keptCount++] = image;
    }
  }
  for (int i = 0; i < kCanvasMaxFontTextures; ++i) ctx->fontImages[i] = kept[i];
  ctx->fontImageIndex = 0;
}

}  // namespace plugfw::gfx
