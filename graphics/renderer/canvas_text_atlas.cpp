#include "graphics/renderer/canvas_text_atlas.h"

#include <algorithm>

#include "graphics/renderer/glyph_cache.h"

namespace plugfw::gfx {
namespace {

bool FontTextureSize(CanvasContext* ctx, int32_t image, int* width, int* height) {
  *width = *height = 0;
  return image != 0 && ctx->callbacks.textureSize(ctx->callbacks.state, image, width, height) != 0;
}

int32_t CreateFontTexture(CanvasContext* ctx, int width, int height) {
  return ctx->callbacks.createTexture(ctx->callbacks.state, kTextureAlpha, width, height, 0, nullptr);
}

}  // namespace

bool CanvasCreateFontAtlas(CanvasContext* ctx) {
  ctx->glyphs = GlyphCacheCreate({kGlyphAtlasFirstSize, kGlyphAtlasFirstSize, kGlyphCacheOriginTopLeft});
  if (ctx->glyphs == nullptr) return false;
  ctx->fontImages[0] = CreateFontTexture(ctx, kGlyphAtlasFirstSize, kGlyphAtlasFirstSize);
  return ctx->fontImages[0] != 0;
}

void CanvasDeleteFontAtlas(CanvasContext* ctx) {
  GlyphCacheDelete(ctx->glyphs);
  ctx->glyphs = nullptr;
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

void CanvasFlushTextTexture(CanvasContext* ctx) {
  int32_t dirty[4];
  if (!GlyphCacheDirtyRect(ctx->glyphs, dirty)) return;
  const int32_t image = ctx->fontImages[ctx->fontImageIndex];
  if (image != 0) {
    ctx->callbacks.updateTexture(ctx->callbacks.state, image, dirty[0], dirty[1], dirty[2] - dirty[0],
                                 dirty[3] - dirty[1], ctx->glyphs->textureData);
  }
  GlyphCacheFlushDirty(ctx->glyphs);
}

bool CanvasGrowFontAtlas(CanvasContext* ctx) {
  if (ctx->fontImages[ctx->fontImageIndex] != 0) CanvasFlushTextTexture(ctx);
  if (ctx->fontImageIndex >= kCanvasMaxFontTextures - 1) return false;
  const int next = ctx->fontImageIndex + 1;
  int width, height;
  bool created = false;
  if (ctx->fontImages[next] != 0) {
    // A texture kept from an earlier frame: the atlas takes its size, whatever it is.
    FontTextureSize(ctx, ctx->fontImages[next], &width, &height);
  } else {
    FontTextureSize(ctx, ctx->fontImages[ctx->fontImageIndex], &width, &height);
    // At the largest size a new texture would only empty the atlas again, frame after frame.
    if (width >= kGlyphAtlasLargestSize && height >= kGlyphAtlasLargestSize) return false;
    if (width > height) {
      height *= 2;
    } else {
      width *= 2;
    }
    width = std::clamp(width, 1, kGlyphAtlasLargestSize);
    height = std::clamp(height, 1, kGlyphAtlasLargestSize);
    ctx->fontImages[next] = CreateFontTexture(ctx, width, height);
    if (ctx->fontImages[next] == 0) return false;
    created = true;
  }
  if (GlyphCacheResetAtlas(ctx->glyphs, width, height) == 0) {
    // The atlas keeps its size, so it must keep its texture too.
    if (created) {
      ctx->callbacks.deleteTexture(ctx->callbacks.state, ctx->fontImages[next]);
      ctx->fontImages[next] = 0;
    }
    return false;
  }
  ctx->fontImageIndex = next;
  return true;
}

}  // namespace plugfw::gfx
