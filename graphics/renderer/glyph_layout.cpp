// Text layout on the glyph cache: quads with kerning, vertical alignment, the walk over a
// UTF-8 run, and text and line bounds. Layout is y-down (origin at the top-left).
#include <cmath>
#include <cstring>

#include "graphics/renderer/glyph_cache.h"
#include "graphics/renderer/glyph_font.h"
#include "graphics/renderer/utf8_decoder.h"

namespace plugfw::gfx {
namespace {

// Pen steps are whole pixels, rounded half up. Kerning is mostly negative, where a cast
// to int after adding 0.5 would round towards zero and lose up to a pixel of every pair.
float WholePixels(float value) { return std::floor(value + 0.5f); }

struct RunState {
  const GlyphFontMetrics* metrics;
  int16_t size;
  int16_t blur;
  float scale;
};

bool PrepareRun(const GlyphCache* cache, RunState* run) {
  run->metrics = cache ? GlyphFontMetricsOf(cache, cache->state.font) : nullptr;
  if (!run->metrics) return false;
  run->size = GlyphSizeInTenths(cache->state.size);
  run->blur = GlyphBlurSteps(cache->state.blur);
  run->scale = static_cast<float>(run->size) / 10.0f * run->metrics->unitScale;
  return true;
}

const char* EndOf(const char* start, const char* end) { return end ? end : start + std::strlen(start); }

}  // namespace

void GlyphCacheGlyphQuad(const GlyphCache* cache, int32_t font, int32_t prevGlyphIndex, const Glyph* glyph,
                         float scale, float spacing, float* x, float* y, GlyphQuad* quad) {
  if (prevGlyphIndex != -1) {
    float kerning = static_cast<float>(GlyphFontKerning(cache, font, prevGlyphIndex, glyph->index)) * scale;
    *x += WholePixels(kerning + spacing);
  }
  // One texel of padding is trimmed on each side; floor, not truncation, so that a pen
  // left of the origin places the glyph one pixel further left, like any other position.
  float x0 = std::floor(*x + static_cast<float>(glyph->xOffset + 1));
  float y0 = std::floor(*y + static_cast<float>(glyph->yOffset + 1));
  quad->x0 = x0;
  quad->y0 = y0;
  quad->x1 = x0 + static_cast<float>((glyph->x1 - 1) - (glyph->x0 + 1));
  quad->y1 = y0 + static_cast<float>((glyph->y1 - 1) - (glyph->y0 + 1));
  quad->s0 = static_cast<float>(glyph->x0 + 1) * cache->inverseWidth;
  quad->t0 = static_cast<float>(glyph->y0 + 1) * cache->inverseHeight;
  quad->s1 = static_cast<float>(glyph->x1 - 1) * cache->inverseWidth;
  quad->t1 = static_cast<float>(glyph->y1 - 1) * cache->inverseHeight;
  *x += WholePixels(static_cast<float>(glyph->advance) / 10.0f);
}

float GlyphCacheVertAlign(const GlyphCache* cache, int32_t font, int32_t align, int16_t size) {
  const GlyphFontMetrics* metrics = GlyphFontMetricsOf(cache, font);
  if (!metrics) return 0.0f;
  float pixels = static_cast<float>(size) / 10.0f;
  if (align & kGlyphAlignTop) return metrics->ascender * pixels;
  if (align & kGlyphAlignMiddle) return (metrics->ascender + metrics->descender) / 2.0f * pixels;
  if (align & kGlyphAlignBottom) return metrics->descender * pixels;
  return 0.0f;
}

int32_t GlyphCacheTextIterInit(GlyphCache* cache, GlyphTextIter* iter, float x, float y, const char* start,
                               const char* end, int32_t bitmapOption) {
  std::memset(iter, 0, sizeof(GlyphTextIter));
  iter->prevGlyphIndex = -1;
  RunState run{};
  if (!start || !PrepareRun(cache, &run)) return 0;
  end = EndOf(start, end);
  int32_t align = cache->state.align;
  if (align & (kGlyphAlignRight | kGlyphAlignCentre)) {
    float width = GlyphCacheTextBounds(cache, x, y, start, end, nullptr);
    x -= (align & kGlyphAlignRight) ? width : width * 0.5f;
  }
  y += GlyphCacheVertAlign(cache, cache->state.font, align, run.size);
  iter->x = iter->nextX = x;
  iter->y = iter->nextY = y;
  iter->scale = run.scale;
  iter->spacing = cache->state.spacing;
  iter->size = run.size;
  iter->blur = run.blur;
  iter->font = cache->state.font;
  iter->str = iter->next = start;
  iter->end = end;
  iter->bitmapOption = bitmapOption;
  return 1;
}

int32_t GlyphCacheTextIterNext(GlyphCache* cache, GlyphTextIter* iter, GlyphQuad* quad) {
  const char* p = iter->next;
  iter->str = p;
  iter->atlasFull = false;
  while (p != iter->end) {
    uint32_t state = Utf8Decode(&iter->utf8State, &iter->codePoint, static_cast<uint8_t>(*p++));
    if (state != kUtf8Accept) continue;
    iter->x = iter->nextX;
    iter->y = iter->nextY;
    Glyph* glyph = GlyphCacheGetGlyph(cache, iter->font, iter->codePoint, iter->size, iter->blur,
                                      iter->bitmapOption, &iter->atlasFull);
    std::memset(quad, 0, sizeof(GlyphQuad));
    if (glyph) {
      GlyphCacheGlyphQuad(cache, iter->font, iter->prevGlyphIndex, glyph, iter->scale, iter->spacing,
                          &iter->nextX, &iter->nextY, quad);
    }
    iter->prevGlyphIndex = glyph ? glyph->index : -1;
    iter->next = p;
    return 1;
  }
  // The end of the run, or a tail that never completes a code point: no quad to draw.
  iter->next = p;
  return 0;
}

float GlyphCacheTextBounds(GlyphCache* cache, float x, float y, const char* start, const char* end,
                           float* bounds) {
  RunState run{};
  if (!start || !PrepareRun(cache, &run)) return 0.0f;
  end = EndOf(start, end);
  int32_t font = cache->state.font;
  int32_t align = cache->state.align;
  y += GlyphCacheVertAlign(cache, font, align, run.size);
  float minX = x, maxX = x, minY = y, maxY = y;
  float startX = x;
  uint32_t state = kUtf8Accept, codePoint = 0;
  int32_t prevGlyphIndex = -1;
  for (const char* p = start; p != end; ++p) {
    if (Utf8Decode(&state, &codePoint, static_cast<uint8_t>(*p)) != kUtf8Accept) continue;
    Glyph* glyph = GlyphCacheGetGlyph(cache, font, codePoint, run.size, run.blur, kGlyphBitmapOptional);
    if (glyph) {
      GlyphQuad q;
      GlyphCacheGlyphQuad(cache, font, prevGlyphIndex, glyph, run.scale, cache->state.spacing, &x, &y, &q);
      minX = std::fmin(minX, q.x0);
      maxX = std::fmax(maxX, q.x1);
      minY = std::fmin(minY, q.y0);
      maxY = std::fmax(maxY, q.y1);
    }
    prevGlyphIndex = glyph ? glyph->index : -1;
  }
  float advance = x - startX;
  if (align & kGlyphAlignRight) {
    minX -= advance;
    maxX -= advance;
  } else if (align & kGlyphAlignCentre) {
    minX -= advance * 0.5f;
    maxX -= advance * 0.5f;
  }
  if (bounds) {
    bounds[0] = minX;
    bounds[1] = minY;
    bounds[2] = maxX;
    bounds[3] = maxY;
  }
  return advance;
}

void GlyphCacheLineBounds(GlyphCache* cache, float y, float* minY, float* maxY) {
  RunState run{};
  if (!PrepareRun(cache, &run)) return;
  float pixels = static_cast<float>(run.size) / 10.0f;
  y += GlyphCacheVertAlign(cache, cache->state.font, cache->state.align, run.size);
  float top = y - run.metrics->ascender * pixels;
  if (minY) *minY = top;
  if (maxY) *maxY = top + run.metrics->lineHeight * pixels;
}

bool GlyphCacheVertMetrics(const GlyphCache* cache, float* ascender, float* descender, float* lineHeight) {
  RunState run{};
  if (!PrepareRun(cache, &run)) return false;
  float pixels = static_cast<float>(run.size) / 10.0f;
  if (ascender) *ascender = run.metrics->ascender * pixels;
  if (descender) *descender = run.metrics->descender * pixels;
  if (lineHeight) *lineHeight = run.metrics->lineHeight * pixels;
  return true;
}

}  // namespace plugfw::gfx
