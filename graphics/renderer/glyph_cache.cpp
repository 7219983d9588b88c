// The glyph cache's fonts, glyphs, atlas and scratch memory. Layout lives in
// glyph_layout.cpp; stb_truetype is compiled here, privately, on the scratch allocator.
#include "graphics/renderer/glyph_cache.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>

#include "graphics/platform/font_info_reader.h"
#include "graphics/renderer/glyph_blur.h"
#include "graphics/renderer/glyph_font.h"

namespace plugfw::gfx {
void* GlyphCacheStbAlloc(size_t size, void* cache);
}

#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_malloc(size, user) plugfw::gfx::GlyphCacheStbAlloc(size, user)
#define STBTT_free(block, user) ((void)(block), (void)(user))
// A malformed font must not abort the host; stb_truetype copes after each of these.
#define STBTT_assert(condition) ((void)0)
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
#include <stb_truetype.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace plugfw::gfx {

struct GlyphFont {
  stbtt_fontinfo info;
  char name[64];
  const uint8_t* data;
  int32_t dataSize;
  bool ownsData;
  GlyphFontMetrics metrics;
  Glyph* glyphs;
  int32_t glyphCapacity;
  int32_t glyphCount;
  int32_t chains[256];  // hash bucket -> first glyph, -1 when empty
};

namespace {

constexpr int32_t kFirstFontCapacity = 4;
constexpr int32_t kFirstGlyphCapacity = 256;
constexpr int32_t kFirstAtlasNodes = 256;
constexpr int32_t kNameCapacity = 64;
constexpr int32_t kScratchAlignment = 16;
constexpr int32_t kGlyphPadding = 2;  // around the ink, beyond the blur
constexpr int32_t kWhiteBlockSize = 2;
constexpr int16_t kSmallestGlyphTenths = 2;
constexpr int32_t kMaxDimension = std::numeric_limits<int16_t>::max();

struct OverflowBlock {
  OverflowBlock* next;
};

GlyphFont* FontAt(const GlyphCache* cache, int32_t font) {
  if (!cache || font < 0 || font >= cache->fontCount) return nullptr;
  GlyphFont* record = cache->fonts[font];
  return record && record->data ? record : nullptr;
}

void ResetScratch(GlyphCache* cache) {
  cache->scratchFill = 0;
  auto* block = static_cast<OverflowBlock*>(cache->overflowBlocks);
  while (block) {
    OverflowBlock* next = block->next;
    std::free(block);
    block = next;
  }
  cache->overflowBlocks = nullptr;
}

void ResetDirty(GlyphCache* cache) {
  cache->dirty[0] = cache->params.width;
  cache->dirty[1] = cache->params.height;
  cache->dirty[2] = 0;
  cache->dirty[3] = 0;
}

void GrowDirty(GlyphCache* cache, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  cache->dirty[0] = std::min(cache->dirty[0], x0);
  cache->dirty[1] = std::min(cache->dirty[1], y0);
  cache->dirty[2] = std::max(cache->dirty[2], x1);
  cache->dirty[3] = std::max(cache->dirty[3], y1);
}

// The block that text and shapes sample for solid colour.
bool AddWhiteBlock(GlyphCache* cache) {
  int32_t x = 0, y = 0;
  if (!GlyphAtlasAddRect(cache->atlas, kWhiteBlockSize, kWhiteBlockSize, &x, &y)) return false;
  for (int32_t row = 0; row < kWhiteBlockSize; ++row) {
    std::memset(cache->textureData + x + (y + row) * cache->params.width, 255, kWhiteBlockSize);
  }
  GrowDirty(cache, x, y, x + kWhiteBlockSize, y + kWhiteBlockSize);
  return true;
}

bool UsableSize(int32_t width, int32_t height) {
  return width >= kWhiteBlockSize && height >= kWhiteBlockSize && width <= kMaxDimension &&
         height <= kMaxDimension;
}

void DeleteFont(GlyphFont* font) {
  if (!font) return;
  std::free(font->glyphs);
  if (font->ownsData) std::free(const_cast<uint8_t*>(font->data));
  std::free(font);
}

// stb_truetype reads its tables without checking them against the data's size; the
// reader does, so a truncated file or a directory pointing past the end is refused here.
bool FaceTablesInside(const FontInfoReader& reader) {
  constexpr uint32_t kHeadLength = 54, kHheaLength = 36;
  uint32_t length = 0;
  if (!reader.IsFont() || !reader.FindTable("hmtx")) return false;
  if (!reader.FindTable("head", &length) || length < kHeadLength) return false;
  if (!reader.FindTable("hhea", &length) || length < kHheaLength) return false;
  uint32_t cmap = reader.FindTable("cmap", &length);
  if (!cmap || length < 4) return false;
  const uint8_t* c = reader.Directory() - reader.FaceOffset() + cmap;
  uint32_t encodings = static_cast<uint32_t>((c[2] << 8) | c[3]);
  if (length < 4 + 8 * encodings) return false;
  bool outlines = (reader.FindTable("loca") && reader.FindTable("glyf")) || reader.FindTable("CFF ");
  return outlines;
}

uint32_t HashCodePoint(uint32_t h) {
  h += ~(h << 15);
  h ^= (h >> 10);
  h += (h << 3);
  h ^= (h >> 6);
  h += ~(h << 11);
  h ^= (h >> 16);
  return h;
}

Glyph* AppendGlyph(GlyphFont* font) {
  if (font->glyphCount + 1 > font->glyphCapacity) {
    int32_t capacity = font->glyphCapacity == 0 ? 8 : font->glyphCapacity * 2;
    void* grown = std::realloc(font->glyphs, sizeof(Glyph) * static_cast<size_t>(capacity));
    if (!grown) return nullptr;
    font->glyphs = static_cast<Glyph*>(grown);
    font->glyphCapacity = capacity;
  }
  Glyph* glyph = &font->glyphs[font->glyphCount++];
  std::memset(glyph, 0, sizeof(Glyph));
  return glyph;
}

Glyph* FindGlyph(GlyphFont* font, uint32_t bucket, uint32_t codePoint, int16_t size, int16_t blur) {
  for (int32_t i = font->chains[bucket]; i != -1; i = font->glyphs[i].next) {
    Glyph* glyph = &font->glyphs[i];
    if (glyph->codePoint == codePoint && glyph->size == size && glyph->blur == blur) return glyph;
  }
  return nullptr;
}

int16_t Saturate16(float value) {
  if (!(value > -32768.0f)) return std::isnan(value) ? 0 : -32768;
  if (value >= 32767.0f) return 32767;
  return static_cast<int16_t>(value);
}

// Renders the glyph into its atlas place inside the padding, clears the place's border and
// blurs it.
void RasteriseGlyph(GlyphCache* cache, GlyphFont* font, const Glyph& glyph, int32_t padding, float scale) {
  int32_t stride = cache->params.width;
  int32_t w = glyph.x1 - glyph.x0, h = glyph.y1 - glyph.y0;
  uint8_t* block = cache->textureData + glyph.x0 + glyph.y0 * stride;
  stbtt_MakeGlyphBitmap(&font->info, block + padding + padding * stride, w - 2 * padding, h - 2 * padding,
                        stride, scale, scale, glyph.index);
  for (int32_t y = 0; y < h; ++y) {
    block[y * stride] = 0;
    block[w - 1 + y * stride] = 0;
  }
  std::memset(block, 0, static_cast<size_t>(w));
  std::memset(block + (h - 1) * stride, 0, static_cast<size_t>(w));
  if (glyph.blur > 0) {
    ResetScratch(cache);
    GlyphBlur(block, w, h, stride, glyph.blur);
  }
  GrowDirty(cache, glyph.x0, glyph.y0, glyph.x1, glyph.y1);
}

}  // namespace

void* GlyphCacheScratchAlloc(size_t size, GlyphCache* cache) {
  if (!cache || size > static_cast<size_t>(kGlyphScratchBytes)) return nullptr;
  size_t rounded = (size + kScratchAlignment - 1) & ~static_cast<size_t>(kScratchAlignment - 1);
  if (static_cast<size_t>(cache->scratchFill) + rounded > static_cast<size_t>(kGlyphScratchBytes))
    return nullptr;
  uint8_t* block = cache->scratch + cache->scratchFill;
  cache->scratchFill += static_cast<int32_t>(rounded);
  return block;
}

// stb_truetype's allocator: the scratch area first. Its rasteriser does not check every
// allocation (a wide glyph's scanline), so a glyph too complex for the area gets heap
// blocks instead of a crash; they are freed with the next reset of the fill.
void* GlyphCacheStbAlloc(size_t size, void* user) {
  auto* cache = static_cast<GlyphCache*>(user);
  if (void* block = GlyphCacheScratchAlloc(size, cache)) return block;
  if (!cache) return nullptr;
  auto* block = static_cast<OverflowBlock*>(std::malloc(sizeof(std::max_align_t) + size));
  if (!block) return nullptr;
  block->next = static_cast<OverflowBlock*>(cache->overflowBlocks);
  cache->overflowBlocks = block;
  return reinterpret_cast<uint8_t*>(block) + sizeof(std::max_align_t);
}

GlyphCache* GlyphCacheCreate(const GlyphCacheParams& params) {
  if (!UsableSize(params.width, params.height) || !(params.flags & kGlyphCacheOriginTopLeft)) return nullptr;
  auto* cache = static_cast<GlyphCache*>(std::calloc(1, sizeof(GlyphCache)));
  if (!cache) return nullptr;
  cache->params = params;
  cache->scratch = static_cast<uint8_t*>(std::malloc(kGlyphScratchBytes));
  cache->atlas = GlyphAtlasCreate(params.width, params.height, kFirstAtlasNodes);
  cache->fonts = static_cast<GlyphFont**>(std::calloc(kFirstFontCapacity, sizeof(GlyphFont*)));
  cache->fontCapacity = kFirstFontCapacity;
  cache->textureData = static_cast<uint8_t*>(
      std::calloc(static_cast<size_t>(params.width) * static_cast<size_t>(params.height), 1));
  cache->inverseWidth = 1.0f / static_cast<float>(params.width);
  cache->inverseHeight = 1.0f / static_cast<float>(params.height);
  if (!cache->scratch || !cache->atlas || !cache->fonts || !cache->textureData) {
    GlyphCacheDelete(cache);
    return nullptr;
  }
  ResetDirty(cache);
  if (!AddWhiteBlock(cache)) {
    GlyphCacheDelete(cache);
    return nullptr;
  }
  cache->state = {0, kGlyphAlignLeft | kGlyphAlignBaseline, 12.0f, 0.0f, 0.0f};
  return cache;
}

void GlyphCacheDelete(GlyphCache* cache) {
  if (!cache) return;
  for (int32_t i = 0; i < cache->fontCount; ++i) DeleteFont(cache->fonts[i]);
  GlyphAtlasDelete(cache->atlas);
  std::free(cache->fonts);
  std::free(cache->textureData);
  ResetScratch(cache);
  std::free(cache->scratch);
  std::free(cache);
}

int32_t GlyphCacheAddFont(GlyphCache* cache, const char* name, const uint8_t* bytes, int32_t size,
                          int32_t faceIndex, bool ownsData) {
  auto refuse = [&]() {
    if (ownsData) std::free(const_cast<uint8_t*>(bytes));
    return -1;
  };
  if (!cache || !bytes || size <= 0) return refuse();
  FontInfoReader reader(bytes, size, faceIndex);
  if (!FaceTablesInside(reader)) return refuse();
  if (cache->fontCount + 1 > cache->fontCapacity) {
    int32_t capacity = cache->fontCapacity == 0 ? 8 : cache->fontCapacity * 2;
    void* grown = std::realloc(cache->fonts, sizeof(GlyphFont*) * static_cast<size_t>(capacity));
    if (!grown) return refuse();
    cache->fonts = static_cast<GlyphFont**>(grown);
    cache->fontCapacity = capacity;
  }
  auto* font = static_cast<GlyphFont*>(std::calloc(1, sizeof(GlyphFont)));
  if (!font) return refuse();
  font->glyphs = static_cast<Glyph*>(std::malloc(sizeof(Glyph) * kFirstGlyphCapacity));
  font->glyphCapacity = font->glyphs ? kFirstGlyphCapacity : 0;
  std::snprintf(font->name, kNameCapacity, "%s", name ? name : "");
  std::fill(std::begin(font->chains), std::end(font->chains), -1);
  font->data = bytes;
  font->dataSize = size;
  font->ownsData = ownsData;

  ResetScratch(cache);
  font->info.userdata = cache;
  int ascent = 0, descent = 0, lineGap = 0;
  bool loaded = font->glyphs && stbtt_InitFont(&font->info, bytes, static_cast<int>(reader.FaceOffset()));
  if (loaded) stbtt_GetFontVMetrics(&font->info, &ascent, &descent, &lineGap);
  // The font's height scales every size: a font without one cannot be laid out.
  float height = static_cast<float>(ascent - descent);
  if (!loaded || !(height > 0.0f)) {
    DeleteFont(font);
    return -1;
  }
  font->metrics = {static_cast<float>(ascent) / height, static_cast<float>(descent) / height,
                   (height + static_cast<float>(lineGap)) / height, 1.0f / height};
  cache->fonts[cache->fontCount] = font;
  return cache->fontCount++;
}

int32_t GlyphCacheFindFont(const GlyphCache* cache, const char* name) {
  if (!cache || !name) return -1;
  for (int32_t i = 0; i < cache->fontCount; ++i) {
    if (std::strcmp(cache->fonts[i]->name, name) == 0) return i;
  }
  return -1;
}

void GlyphCacheSetFont(GlyphCache* cache, int32_t font) {
  if (cache) cache->state.font = font;
}
void GlyphCacheSetSize(GlyphCache* cache, float size) {
  if (cache) cache->state.size = std::isfinite(size) && size > 0.0f ? size : 0.0f;
}
void GlyphCacheSetBlur(GlyphCache* cache, float blur) {
  if (cache) cache->state.blur = std::isfinite(blur) && blur > 0.0f ? blur : 0.0f;
}
void GlyphCacheSetSpacing(GlyphCache* cache, float spacing) {
  if (cache) cache->state.spacing = std::isfinite(spacing) ? spacing : 0.0f;
}
void GlyphCacheSetAlign(GlyphCache* cache, int32_t align) {
  if (cache) cache->state.align = align;
}

int16_t GlyphSizeInTenths(float pixels) {
  float tenths = pixels * 10.0f;
  return tenths >= 0.0f ? Saturate16(tenths) : 0;
}

int16_t GlyphBlurSteps(float blur) {
  return blur >= 0.0f ? static_cast<int16_t>(std::min<float>(blur, kGlyphMaxBlur)) : 0;
}

bool GlyphCacheMakesGlyphsAt(float pixels) {
  return std::isfinite(pixels) && GlyphSizeInTenths(pixels) >= kSmallestGlyphTenths;
}

Glyph* GlyphCacheGetGlyph(GlyphCache* cache, int32_t fontIndex, uint32_t codePoint, int16_t size,
                          int16_t blur, int32_t bitmapOption, bool* atlasFull) {
  if (atlasFull) *atlasFull = false;
  GlyphFont* font = FontAt(cache, fontIndex);
  if (!font || size < kSmallestGlyphTenths) return nullptr;
  blur = static_cast<int16_t>(std::clamp<int32_t>(blur, 0, kGlyphMaxBlur));
  ResetScratch(cache);
  uint32_t bucket = HashCodePoint(codePoint) & 255;
  Glyph* glyph = FindGlyph(font, bucket, codePoint, size, blur);
  bool wantBitmap = bitmapOption == kGlyphBitmapRequired;
  if (glyph && (!wantBitmap || (glyph->x0 >= 0 && glyph->y0 >= 0))) return glyph;

  int32_t index = glyph ? glyph->index : stbtt_FindGlyphIndex(&font->info, static_cast<int>(codePoint));
  float scale = static_cast<float>(size) / 10.0f * font->metrics.unitScale;
  int advance = 0, leftBearing = 0, x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  stbtt_GetGlyphHMetrics(&font->info, index, &advance, &leftBearing);
  stbtt_GetGlyphBitmapBox(&font->info, index, scale, scale, &x0, &y0, &x1, &y1);
  int32_t padding = blur + kGlyphPadding;
  int32_t w = x1 - x0 + 2 * padding, h = y1 - y0 + 2 * padding;
  if (w > kMaxDimension || h > kMaxDimension) return nullptr;

  int32_t atlasX = -1, atlasY = -1;
  if (wantBitmap) {
    // A glyph that no atlas the canvas can grow to would hold is no glyph, not a full atlas.
    int32_t largest = std::max(kGlyphAtlasLargestSize, std::max(cache->params.width, cache->params.height));
    if (w > largest - kWhiteBlockSize || h > largest - kWhiteBlockSize) return nullptr;
    if (!GlyphAtlasAddRect(cache->atlas, w, h, &atlasX, &atlasY)) {
      if (atlasFull) *atlasFull = true;
      return nullptr;
    }
  }
  if (!glyph) {
    glyph = AppendGlyph(font);
    if (!glyph) return nullptr;
    glyph->codePoint = codePoint;
    glyph->size = size;
    glyph->blur = blur;
    glyph->index = index;
    glyph->advance = Saturate16(scale * static_cast<float>(advance) * 10.0f);
    glyph->xOffset = Saturate16(static_cast<float>(x0 - padding));
    glyph->yOffset = Saturate16(static_cast<float>(y0 - padding));
    glyph->next = font->chains[bucket];
    font->chains[bucket] = static_cast<int32_t>(glyph - font->glyphs);
  }
  glyph->x0 = static_cast<int16_t>(atlasX);
  glyph->y0 = static_cast<int16_t>(atlasY);
  glyph->x1 = static_cast<int16_t>(atlasX + w);
  glyph->y1 = static_cast<int16_t>(atlasY + h);
  if (wantBitmap) RasteriseGlyph(cache, font, *glyph, padding, scale);
  return glyph;
}

int32_t GlyphCacheResetAtlas(GlyphCache* cache, int32_t width, int32_t height) {
  if (!cache || !UsableSize(width, height)) return 0;
  // The new texture first: when it cannot be had, the old atlas and its glyphs stay valid.
  auto* texture =
      static_cast<uint8_t*>(std::calloc(static_cast<size_t>(width) * static_cast<size_t>(height), 1));
  if (!texture) return 0;
  GlyphCacheFlushDirty(cache);
  GlyphAtlasReset(cache->atlas, width, height);
  std::free(cache->textureData);
  cache->textureData = texture;
  cache->params.width = width;
  cache->params.height = height;
  cache->inverseWidth = 1.0f / static_cast<float>(width);
  cache->inverseHeight = 1.0f / static_cast<float>(height);
  ResetDirty(cache);
  for (int32_t i = 0; i < cache->fontCount; ++i) {
    GlyphFont* font = cache->fonts[i];
    font->glyphCount = 0;
    std::fill(std::begin(font->chains), std::end(font->chains), -1);
  }
  return AddWhiteBlock(cache) ? 1 : 0;
}

bool GlyphCacheDirtyRect(const GlyphCache* cache, int32_t out[4]) {
  if (!cache) return false;
  std::copy(cache->dirty, cache->dirty + 4, out);
  return cache->dirty[0] < cache->dirty[2] && cache->dirty[1] < cache->dirty[3];
}

void GlyphCacheFlushDirty(GlyphCache* cache) {
  if (cache) ResetDirty(cache);
}

const GlyphFontMetrics* GlyphFontMetricsOf(const GlyphCache* cache, int32_t font) {
  GlyphFont* record = FontAt(cache, font);
  return record ? &record->metrics : nullptr;
}

int32_t GlyphFontKerning(const GlyphCache* cache, int32_t font, int32_t firstIndex, int32_t secondIndex) {
  GlyphFont* record = FontAt(cache, font);
  return record ? stbtt_GetGlyphKernAdvance(&record->info, firstIndex, secondIndex) : 0;
}

}  // namespace plugfw::gfx
