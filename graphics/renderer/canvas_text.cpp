// Text on the canvas: glyph quads from the glyph cache laid out at the glyphs' own pixel
// scale, drawn as textured triangles from the current font texture, and rows broken for
// multi-line text. The atlas grows only when it has no place left for a glyph.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/renderer/canvas.h"
#include "graphics/renderer/canvas_tessellation.h"
#include "graphics/renderer/canvas_text_atlas.h"
#include "graphics/renderer/glyph_cache.h"

namespace plugfw::gfx {
namespace {

constexpr float kFontScaleStep = 0.01f;
constexpr float kMaxFontScale = 4.0f;
constexpr int kVerticesPerGlyph = 6;

const char* EndOf(const char* start, const char* end) {
  return end != nullptr ? end : start + std::strlen(start);
}

// The glyphs' pixels per canvas unit; 0 when the transform or the ratio leaves none.
float TextScale(CanvasContext* ctx) {
  const float scale = CanvasFontScale(ctx) * ctx->devicePixelRatio;
  return std::isfinite(scale) && scale > 0.0f ? scale : 0.0f;
}

// The glyph cache's state from the canvas's, at the glyphs' scale.
bool PrepareGlyphState(CanvasContext* ctx, float scale) {
  const CanvasState* state = CanvasCurrentState(ctx);
  if (ctx->glyphs == nullptr || state->fontId < 0 || scale <= 0.0f) return false;
  if (!GlyphCacheMakesGlyphsAt(state->fontSize * scale)) return false;
  GlyphCacheSetSize(ctx->glyphs, state->fontSize * scale);
  GlyphCacheSetSpacing(ctx->glyphs, state->letterSpacing * scale);
  GlyphCacheSetBlur(ctx->glyphs, state->fontBlur * scale);
  GlyphCacheSetAlign(ctx->glyphs, state->textAlign);
  GlyphCacheSetFont(ctx->glyphs, state->fontId);
  return true;
}

void CanvasRenderTextQuads(CanvasContext* ctx, const CanvasVertex* vertices, int count) {
  if (count <= 0) return;
  CanvasState* state = CanvasCurrentState(ctx);
  CanvasPaint paint = state->fill;
  paint.image = ctx->fontImages[ctx->fontImageIndex];
  paint.innerColour.a *= state->alpha;
  paint.outerColour.a *= state->alpha;
  ctx->callbacks.triangles(ctx->callbacks.state, &paint, state->composite, &state->scissor, vertices, count,
                           ctx->fringeWidth);
}

// Two triangles over the quad in the current transform, both counter-clockwise on screen.
CanvasVertex* AddGlyphTriangles(CanvasVertex* dst, const float* xform, const GlyphQuad& q,
                                float inverseScale) {
  float c[8];
  TransformPoint(&c[0], &c[1], xform, q.x0 * inverseScale, q.y0 * inverseScale);
  TransformPoint(&c[2], &c[3], xform, q.x1 * inverseScale, q.y0 * inverseScale);
  TransformPoint(&c[4], &c[5], xform, q.x1 * inverseScale, q.y1 * inverseScale);
  TransformPoint(&c[6], &c[7], xform, q.x0 * inverseScale, q.y1 * inverseScale);
  dst = SetVertex(dst, c[0], c[1], q.s0, q.t0);
  dst = SetVertex(dst, c[4], c[5], q.s1, q.t1);
  dst = SetVertex(dst, c[2], c[3], q.s1, q.t0);
  dst = SetVertex(dst, c[0], c[1], q.s0, q.t0);
  dst = SetVertex(dst, c[6], c[7], q.s0, q.t1);
  dst = SetVertex(dst, c[4], c[5], q.s1, q.t1);
  return dst;
}

enum CharacterKind { kSpace, kNewline, kCharacter, kCjk };

bool InRange(uint32_t c, uint32_t first, uint32_t last) { return c >= first && c <= last; }

// A line feed after a carriage return (or the other way round) ends no second row.
CharacterKind Classify(uint32_t codePoint, uint32_t previous) {
  switch (codePoint) {
    case 9:
    case 11:
    case 12:
    case 32:
    case 0x00a0:
      return kSpace;
    case 10:
      return previous == 13 ? kSpace : kNewline;
    case 13:
      return previous == 10 ? kSpace : kNewline;
    case 0x0085:
      return kNewline;
    default:
      break;
  }
  if (InRange(codePoint, 0x4E00, 0x9FFF) || InRange(codePoint, 0x3000, 0x30FF) ||
      InRange(codePoint, 0xFF00, 0xFFEF) || InRange(codePoint, 0x1100, 0x11FF) ||
      InRange(codePoint, 0x3130, 0x318F) || InRange(codePoint, 0xAC00, 0xD7AF)) {
    return kCjk;
  }
  return kCharacter;
}

bool IsInk(CharacterKind kind) { return kind == kCharacter || kind == kCjk; }

// The greedy row breaker's state; positions are in glyph pixels.
class RowBreaker {
 public:
  RowBreaker(CanvasTextRow* rows, int maxRows, float rowWidth, float inverseScale)
      : rows_(rows), maxRows_(maxRows), rowWidth_(rowWidth), inverseScale_(inverseScale) {}

  // False once the rows are full.
  bool Add(const GlyphTextIter& iter, const GlyphQuad& q, CharacterKind kind) {
    bool more = true;
    if (kind == kNewline) {
      more = Emit(rowStart_ != nullptr ? rowStart_ : iter.str, rowEnd_ != nullptr ? rowEnd_ : iter.str,
                  iter.next, rowWidthSoFar_, rowMinX_, rowMaxX_);
      rowStart_ = rowEnd_ = nullptr;
      rowWidthSoFar_ = rowMinX_ = rowMaxX_ = 0.0f;
      ResetBreak();
    } else if (rowStart_ == nullptr) {
      // Spaces at the start of a row are skipped.
      if (IsInk(kind)) StartRowAt(iter, q);
    } else {
      more = Continue(iter, q, kind);
    }
    previousKind_ = kind;
    return more;
  }

  // The last row, up to the end of the text.
  void Finish(const char* end) {
    if (rowStart_ != nullptr) Emit(rowStart_, rowEnd_, end, rowWidthSoFar_, rowMinX_, rowMaxX_);
  }

  int Count() const { return count_; }

 private:
  bool Continue(const GlyphTextIter& iter, const GlyphQuad& q, CharacterKind kind) {
    // The last place the row may end, with its extent so far: after a word (its trailing
    // spaces do not count), or before any CJK character.
    if ((IsInk(previousKind_) && kind == kSpace) || kind == kCjk) {
      breakEnd_ = iter.str;
      breakWidth_ = rowWidthSoFar_;
      breakMaxX_ = rowMaxX_;
    }
    if ((previousKind_ == kSpace && IsInk(kind)) || kind == kCjk) {
      wordStart_ = iter.str;
      wordStartX_ = iter.x;
      wordMinX_ = q.x0;
    }
    if (!IsInk(kind)) return true;
    const float nextWidth = iter.nextX - rowStartX_;
    if (nextWidth <= rowWidth_) {
      rowEnd_ = iter.next;
      rowWidthSoFar_ = nextWidth;
      rowMaxX_ = q.x1 - rowStartX_;
      return true;
    }
    if (breakEnd_ == rowStart_) {
      // A word wider than the row is broken before the character that does not fit.
      const bool more = Emit(rowStart_, iter.str, iter.str, rowWidthSoFar_, rowMinX_, rowMaxX_);
      StartRowAt(iter, q);
      return more;
    }
    const bool more = Emit(rowStart_, breakEnd_, wordStart_, breakWidth_, rowMinX_, breakMaxX_);
    rowStartX_ = wordStartX_;
    rowStart_ = wordStart_;
    rowEnd_ = iter.next;
    rowWidthSoFar_ = iter.nextX - rowStartX_;
    rowMinX_ = wordMinX_ - rowStartX_;
    rowMaxX_ = q.x1 - rowStartX_;
    ResetBreak();
    return more;
  }

  void StartRowAt(const GlyphTextIter& iter, const GlyphQuad& q) {
    rowStartX_ = iter.x;
    rowStart_ = iter.str;
    rowEnd_ = iter.next;
    rowWidthSoFar_ = iter.nextX - rowStartX_;
    rowMinX_ = q.x0 - rowStartX_;
    rowMaxX_ = q.x1 - rowStartX_;
    wordStart_ = iter.str;
    wordStartX_ = iter.x;
    wordMinX_ = q.x0;
    ResetBreak();
  }

  void ResetBreak() {
    breakEnd_ = rowStart_;
    breakWidth_ = 0.0f;
    breakMaxX_ = 0.0f;
  }

  bool Emit(const char* start, const char* end, const char* next, float width, float minX, float maxX) {
    if (count_ >= maxRows_) return false;
    rows_[count_++] =
        CanvasTextRow{start, end, next, width * inverseScale_, minX * inverseScale_, maxX * inverseScale_};
    return count_ < maxRows_;
  }

  CanvasTextRow* rows_;
  int maxRows_;
  float rowWidth_;
  float inverseScale_;
  int count_ = 0;
  const char* rowStart_ = nullptr;
  const char* rowEnd_ = nullptr;
  const char* wordStart_ = nullptr;
  const char* breakEnd_ = nullptr;
  float rowStartX_ = 0.0f, rowWidthSoFar_ = 0.0f, rowMinX_ = 0.0f, rowMaxX_ = 0.0f;
  float wordStartX_ = 0.0f, wordMinX_ = 0.0f;
  float breakWidth_ = 0.0f, breakMaxX_ = 0.0f;
  CharacterKind previousKind_ = kSpace;
};

}  // namespace

void CanvasFontSize(CanvasContext* ctx, float size) { CanvasCurrentState(ctx)->fontSize = size; }
void CanvasFontBlur(CanvasContext* ctx, float blur) { CanvasCurrentState(ctx)->fontBlur = blur; }
void CanvasTextLetterSpacing(CanvasContext* ctx, float spacing) {
  CanvasCurrentState(ctx)->letterSpacing = spacing;
}
void CanvasTextLineHeight(CanvasContext* ctx, float lineHeight) {
  CanvasCurrentState(ctx)->lineHeight = lineHeight;
}
void CanvasTextAlign(CanvasContext* ctx, int32_t align) { CanvasCurrentState(ctx)->textAlign = align; }
void CanvasFontFaceId(CanvasContext* ctx, int32_t font) { CanvasCurrentState(ctx)->fontId = font; }

int32_t CanvasFindFont(CanvasContext* ctx, const char* name) {
  return name != nullptr ? GlyphCacheFindFont(ctx->glyphs, name) : -1;
}

float CanvasFontScale(CanvasContext* ctx) {
  const float scale = TransformAverageScale(CanvasCurrentState(ctx)->xform);
  if (!std::isfinite(scale)) return 0.0f;
  if (scale >= kMaxFontScale) return kMaxFontScale;
  return static_cast<float>(static_cast<int>(scale / kFontScaleStep + 0.5f)) * kFontScaleStep;
}

float CanvasText(CanvasContext* ctx, float x, float y, const char* start, const char* end) {
  if (start == nullptr) return x;
  end = EndOf(start, end);
  const float scale = TextScale(ctx);
  if (start == end || !PrepareGlyphState(ctx, scale)) return x;
  const float inverseScale = 1.0f / scale;
  const int64_t capacity = std::max<int64_t>(2, end - start) * kVerticesPerGlyph;
  if (capacity > INT32_MAX) return x;
  CanvasVertex* vertices = CanvasAllocTempVerts(ctx, static_cast<int32_t>(capacity));
  if (vertices == nullptr) return x;
  const float* xform = CanvasCurrentState(ctx)->xform;

  GlyphTextIter iter;
  if (!GlyphCacheTextIterInit(ctx->glyphs, &iter, x * scale, y * scale, start, end, kGlyphBitmapRequired)) {
    return x;
  }
  GlyphQuad q;
  CanvasVertex* dst = vertices;
  for (;;) {
    const GlyphTextIter before = iter;
    if (GlyphCacheTextIterNext(ctx->glyphs, &iter, &q) == 0) break;
    if (iter.prevGlyphIndex == -1) {
      // No glyph for a size too small (say) is nothing to draw; only a full atlas grows.
      if (!iter.atlasFull) continue;
      // What was laid out so far is drawn from the texture it was laid out for.
      CanvasFlushTextTexture(ctx);
      CanvasRenderTextQuads(ctx, vertices, static_cast<int>(dst - vertices));
      dst = vertices;
      if (!CanvasGrowFontAtlas(ctx)) break;
      iter = before;
      if (GlyphCacheTextIterNext(ctx->glyphs, &iter, &q) == 0 || iter.atlasFull) break;
      if (iter.prevGlyphIndex == -1) continue;
    }
    if (dst - vertices + kVerticesPerGlyph <= capacity) dst = AddGlyphTriangles(dst, xform, q, inverseScale);
  }
  CanvasFlushTextTexture(ctx);
  CanvasRenderTextQuads(ctx, vertices, static_cast<int>(dst - vertices));
  return iter.nextX * inverseScale;
}

int CanvasTextBreakLines(CanvasContext* ctx, const char* start, const char* end, float rowWidth,
                         CanvasTextRow* rows, int maxRows) {
  if (start == nullptr || rows == nullptr || maxRows <= 0) return 0;
  end = EndOf(start, end);
  const float scale = TextScale(ctx);
  if (start == end || !PrepareGlyphState(ctx, scale)) return 0;
  RowBreaker breaker(rows, maxRows, rowWidth * scale, 1.0f / scale);
  GlyphTextIter iter;
  if (!GlyphCacheTextIterInit(ctx->glyphs, &iter, 0.0f, 0.0f, start, end, kGlyphBitmapOptional)) return 0;
  // Metrics only: breaking needs no bitmaps, so the atlas never fills here.
  GlyphQuad q;
  uint32_t previous = 0;
  while (GlyphCacheTextIterNext(ctx->glyphs, &iter, &q) != 0) {
    if (!breaker.Add(iter, q, Classify(iter.codePoint, previous))) return breaker.Count();
    previous = iter.codePoint;
  }
  breaker.Finish(end);
  return breaker.Count();
}

}  // namespace plugfw::gfx
