#pragma once
// GlyphCache: the fonts the editor draws with, their glyphs rasterised on first use (per
// font, code point, size and blur) into one single-channel atlas, and the layout of UTF-8
// runs as textured quads. The vector canvas owns one, uploads the atlas's dirty region to
// its font texture and grows that texture when the atlas is full. Font bytes are normally
// kept alive by the renderer's font cache, not by this one.
// UI thread only; no locks. Every function takes null or an unknown font quietly.

#include <cstddef>
#include <cstdint>

#include "graphics/renderer/glyph_atlas.h"

namespace plugfw::gfx {

enum GlyphCacheFlags : int32_t { kGlyphCacheOriginTopLeft = 1 };  // y grows down

// Text alignment bits, shared with the canvas.
enum GlyphAlign : int32_t {
  kGlyphAlignLeft = 1,
  kGlyphAlignCentre = 2,
  kGlyphAlignRight = 4,
  kGlyphAlignTop = 8,
  kGlyphAlignMiddle = 16,
  kGlyphAlignBottom = 32,
  kGlyphAlignBaseline = 64,
};

enum GlyphBitmapOption : int32_t {
  kGlyphBitmapOptional = 1,  // metrics only
  kGlyphBitmapRequired = 2,  // rasterised into the atlas
};

// The canvas's atlas starts at this size and never grows past the largest.
constexpr int32_t kGlyphAtlasFirstSize = 512;
constexpr int32_t kGlyphAtlasLargestSize = 2048;
constexpr int32_t kGlyphScratchBytes = 96000;
constexpr int32_t kGlyphMaxBlur = 20;

struct GlyphCacheParams {
  int32_t width;
  int32_t height;
  int32_t flags;  // GlyphCacheFlags; only the top-left origin is laid out
};

struct GlyphCacheState {
  int32_t font;
  int32_t align;
  float size;  // pixels
  float blur;
  float spacing;
};

struct Glyph {
  uint32_t codePoint;
  int32_t index;  // in the font; 0 is the font's missing-glyph outline
  int32_t next;   // the next glyph of the same hash chain, -1 at the end
  int16_t size;   // tenths of a pixel
  int16_t blur;
  int16_t x0, y0, x1, y1;  // atlas rectangle with padding; x0, y0 = -1 without a bitmap
  int16_t advance;         // tenths of a pixel
  int16_t xOffset, yOffset;
};

struct GlyphQuad {
  float x0, y0, s0, t0;
  float x1, y1, s1, t1;
};

struct GlyphTextIter {
  float x, y, nextX, nextY;
  float scale, spacing;
  uint32_t codePoint;
  int16_t size;
  int16_t blur;
  int32_t font;
  int32_t prevGlyphIndex;  // -1 after a step that made no glyph
  const char* str;         // start of the current character
  const char* next;
  const char* end;
  uint32_t utf8State;
  int32_t bitmapOption;
  // Set by a step that made no glyph because the atlas had no place left for it: only
  // then does growing the atlas help. A size too small, say, leaves it false.
  bool atlasFull;
};

struct GlyphFont;  // one loaded font; private to the cache

struct GlyphCache {
  GlyphCacheParams params;
  float inverseWidth;
  float inverseHeight;
  uint8_t* textureData;  // width x height bytes, rows top-down
  int32_t dirty[4];      // min x, min y, max x, max y; empty when min is not below max
  GlyphFont** fonts;
  int32_t fontCapacity;
  int32_t fontCount;
  GlyphAtlas* atlas;
  uint8_t* scratch;  // kGlyphScratchBytes, for stb_truetype's working memory
  int32_t scratchFill;
  // Blocks stb_truetype asked for once the scratch area was full: it does not check every
  // allocation, so a glyph too complex for the area is still made. Freed with the fill.
  void* overflowBlocks;
  GlyphCacheState state;
};

// UI thread. Null when the params are unusable (sizes 2..32767, top-left origin) or memory
// cannot be had. The atlas starts with a white 2 x 2 block at its top-left.
GlyphCache* GlyphCacheCreate(const GlyphCacheParams& params);
// UI thread. Null is allowed.
void GlyphCacheDelete(GlyphCache* cache);

// UI thread. Adds face faceIndex of the font file bytes under name (63 bytes kept); the
// bytes must outlive the cache unless ownsData, in which case they come from std::malloc
// and the cache frees them (also on failure). Returns the font index, or -1 when the bytes
// are no usable font, the face is not in them, or memory cannot be had.
int32_t GlyphCacheAddFont(GlyphCache* cache, const char* name, const uint8_t* bytes, int32_t size,
                          int32_t faceIndex, bool ownsData);
// UI thread. The index of the font named exactly name, -1 when absent.
int32_t GlyphCacheFindFont(const GlyphCache* cache, const char* name);

// UI thread. The state that text layout uses. Non-finite or negative sizes, blurs and
// spacings count as 0, so they draw and measure nothing rather than garbage.
void GlyphCacheSetFont(GlyphCache* cache, int32_t font);
void GlyphCacheSetSize(GlyphCache* cache, float size);
void GlyphCacheSetBlur(GlyphCache* cache, float blur);
void GlyphCacheSetSpacing(GlyphCache* cache, float spacing);
void GlyphCacheSetAlign(GlyphCache* cache, int32_t align);

// Any thread: pure. Whether glyphs are made at a size of this many pixels: a finite size of
// two tenths of a pixel or more. Text at a smaller size is no text at all.
bool GlyphCacheMakesGlyphsAt(float pixels);

// UI thread. The glyph for the code point at size tenths of a pixel and blur (capped at
// 20); with kGlyphBitmapRequired it is rasterised into the atlas. Null for sizes below 2
// tenths, a font the cache does not hold, or no place left in the atlas, which alone sets
// *atlasFull (when given).
Glyph* GlyphCacheGetGlyph(GlyphCache* cache, int32_t font, uint32_t codePoint, int16_t size, int16_t blur,
                          int32_t bitmapOption, bool* atlasFull = nullptr);
// UI thread. The quad of glyph at the pen (*x, *y), kerned against prevGlyphIndex (-1
// none); moves the pen by the glyph's advance.
void GlyphCacheGlyphQuad(const GlyphCache* cache, int32_t font, int32_t prevGlyphIndex, const Glyph* glyph,
                         float scale, float spacing, float* x, float* y, GlyphQuad* quad);
// UI thread. How far the alignment's vertical anchor lies below the baseline.
float GlyphCacheVertAlign(const GlyphCache* cache, int32_t font, int32_t align, int16_t size);

// UI thread. Starts a walk over [start, end) (end null: up to the NUL) at (x, y) with the
// current state; 0 without a usable font.
int32_t GlyphCacheTextIterInit(GlyphCache* cache, GlyphTextIter* iter, float x, float y, const char* start,
                               const char* end, int32_t bitmapOption);
// UI thread. 1 with the next code point's quad (check iter->prevGlyphIndex: -1 means no
// glyph was made and the quad is empty); 0 at the end of the run, including a tail that
// does not complete a code point. From an invalid byte on the run yields nothing more.
int32_t GlyphCacheTextIterNext(GlyphCache* cache, GlyphTextIter* iter, GlyphQuad* quad);

// UI thread. The ink box of [start, end) at (x, y) in bounds (min x, min y, max x, max y;
// may be null) and the returned advance; 0 and bounds untouched without a usable font.
float GlyphCacheTextBounds(GlyphCache* cache, float x, float y, const char* start, const char* end,
                           float* bounds);
// UI thread. The vertical extent of a line at y; outputs untouched without a usable font.
void GlyphCacheLineBounds(GlyphCache* cache, float y, float* minY, float* maxY);
// UI thread. The current font's ascender, descender and line height at the current size
// (sizes kept in tenths, as layout keeps them); false, outputs untouched, without a usable
// font. Any output may be null.
bool GlyphCacheVertMetrics(const GlyphCache* cache, float* ascender, float* descender, float* lineHeight);

// UI thread. Empties the atlas at a new size (the canvas's larger font texture): every
// glyph is made again on demand. 0, changing nothing, for an unusable size or when memory
// cannot be had; 1 on success.
int32_t GlyphCacheResetAtlas(GlyphCache* cache, int32_t width, int32_t height);
// UI thread. The dirty rectangle into out (min x, min y, max x, max y); true when it is not
// empty.
bool GlyphCacheDirtyRect(const GlyphCache* cache, int32_t out[4]);
// UI thread. Clears the dirty rectangle, once its region has been uploaded.
void GlyphCacheFlushDirty(GlyphCache* cache);

// UI thread (stb_truetype's allocator). size bytes, rounded up to 16, from the scratch area;
// null when the area cannot hold them. Nothing is freed until the fill is reset, before each
// font load and each glyph.
void* GlyphCacheScratchAlloc(size_t size, GlyphCache* cache);

}  // namespace plugfw::gfx
