// Text on the canvas: the style's font and alignment, measuring with the glyph cache,
// single-line and rotated text, rows broken to a width, and the fonts loaded into the glyph
// cache through the process-wide renderer font cache.
#include <cstring>

#include "graphics/renderer/gfx_canvas.h"
#include "graphics/renderer/glyph_cache.h"
#include "graphics/renderer/renderer_fonts.h"

namespace plugfw::gfx {
namespace {

// The editor's layout names the embedded font one way, the framework's default styles the
// other; either name must find it, or text in a default style would be silently blank.
constexpr const char* kEmbeddedFontIds[] = {"KESTRALYN", kDefaultFontId};
constexpr double kFontScale = 1.0;
constexpr int kRowsPerBreak = 3;
constexpr int32_t kHorizontalAlignBits = kGlyphAlignLeft | kGlyphAlignCentre | kGlyphAlignRight;

bool IsEmbeddedFontId(const char* fontId) {
  for (const char* id : kEmbeddedFontIds) {
    if (std::strcmp(id, fontId) == 0) return true;
  }
  return false;
}

// Gives every name of the embedded font to the glyph cache, over the bytes cached under any.
void AddEmbeddedFontNames(GlyphCache* glyphs, const char* fontId) {
  if (!IsEmbeddedFontId(fontId)) return;
  RendererFontCache& fonts = SharedRendererFontCache();
  ScopedLock lock(fonts.Lock());
  const FontData* data = fonts.Find(fontId, kFontScale);
  for (const char* id : kEmbeddedFontIds) {
    if (data == nullptr) data = fonts.Find(id, kFontScale);
  }
  if (data == nullptr) return;
  for (const char* id : kEmbeddedFontIds) {
    if (GlyphCacheFindFont(glyphs, id) < 0) {
      GlyphCacheAddFont(glyphs, id, data->Bytes(), data->Size(), data->FaceIndex(), false);
    }
  }
}

float VerticalFraction(TextVAlign align) {
  switch (align) {
    case TextVAlign::kMiddle:
      return 0.5f;
    case TextVAlign::kBottom:
      return 1.f;
    case TextVAlign::kTop:
    default:
      return 0.f;
  }
}

// Visits the rows of text broken to rowWidth, a few rows per call to the canvas; returns
// how many there were.
template <typename Visit>
int32_t ForEachTextRow(CanvasContext* canvas, const char* text, float rowWidth, Visit visit) {
  const char* start = text;
  const char* end = text + std::strlen(text);
  CanvasTextRow rows[kRowsPerBreak];
  int32_t count = 0;
  while (start < end) {
    const int n = CanvasTextBreakLines(canvas, start, end, rowWidth, rows, kRowsPerBreak);
    if (n <= 0) break;
    for (int i = 0; i < n; ++i) visit(rows[i], count++);
    // A break that does not move on would never end.
    if (rows[n - 1].next <= start) break;
    start = rows[n - 1].next;
  }
  return count;
}

}  // namespace

int32_t IGfxCanvas::TextAlignment(const TextStyle& style, const Rect& bounds,
                                  TextPlacement& placement) const {
  int32_t align = 0;
  switch (style.align) {
    case TextAlign::kNear:
      placement.x = bounds.left;
      align = kGlyphAlignLeft;
      break;
    case TextAlign::kFar:
      placement.x = bounds.right;
      align = kGlyphAlignRight;
      break;
    case TextAlign::kCentre:
    default:
      placement.x = bounds.CentreX();
      align = kGlyphAlignCentre;
      break;
  }
  switch (style.valign) {
    case TextVAlign::kTop:
      placement.y = bounds.top;
      return align | kGlyphAlignTop;
    case TextVAlign::kBottom:
      placement.y = bounds.bottom;
      return align | kGlyphAlignBottom;
    case TextVAlign::kMiddle:
    default:
      placement.y = bounds.CentreY();
      return align | kGlyphAlignMiddle;
  }
}

bool IGfxCanvas::UseStyleFont(const TextStyle& style, float& scale) {
  CanvasFontBlur(canvas_, 0.f);
  CanvasFontSize(canvas_, style.size);
  const int32_t font = CanvasFindFont(canvas_, style.fontId);
  CanvasFontFaceId(canvas_, font);
  scale = CanvasFontScale(canvas_) * canvas_->devicePixelRatio;
  const float pixels = style.size * scale;
  if (font < 0 || !(scale > 0.f) || !GlyphCacheMakesGlyphsAt(pixels)) return false;
  const CanvasState* state = CanvasCurrentState(canvas_);
  GlyphCache* glyphs = canvas_->glyphs;
  GlyphCacheSetSize(glyphs, pixels);
  GlyphCacheSetSpacing(glyphs, state->letterSpacing * scale);
  GlyphCacheSetBlur(glyphs, state->fontBlur * scale);
  GlyphCacheSetAlign(glyphs, state->textAlign);
  GlyphCacheSetFont(glyphs, font);
  return true;
}

bool IGfxCanvas::PrepareCanvasText(const TextStyle& style, const char* text, Rect& bounds,
                                   TextPlacement& placement) {
  CanvasTextAlign(canvas_, TextAlignment(style, bounds, placement));
  if (!UseStyleFont(style, placement.scale)) {
    bounds = Rect();
    return false;
  }
  const float s = placement.scale;
  float box[4] = {placement.x * s, placement.y * s, placement.x * s, placement.y * s};
  GlyphCacheTextBounds(canvas_->glyphs, placement.x * s, placement.y * s, text, nullptr, box);
  GlyphCacheLineBounds(canvas_->glyphs, placement.y * s, &box[1], &box[3]);
  bounds = Rect(box[0] / s, box[1] / s, box[2] / s, box[3] / s);
  return true;
}

float IGfxCanvas::DoMeasureText(const TextStyle& style, const char* text, Rect& bounds) {
  const Rect given = bounds;
  TextPlacement placement;
  if (canvas_ == nullptr || text == nullptr || !PrepareCanvasText(style, text, bounds, placement)) {
    bounds = Rect();
    return 0.f;
  }
  const float width = bounds.Width();
  ApplyTextRotationToBounds(style, given, bounds);
  return width;
}

void IGfxCanvas::DoDrawText(const TextStyle& style, const char* text, const Rect& bounds,
                            const Blend* blend) {
  if (canvas_ == nullptr || text == nullptr) return;
  Rect measured = bounds;
  TextPlacement placement;
  if (!PrepareCanvasText(style, text, measured, placement)) return;
  PathTransformSave();
  if (style.angle != 0.f) {
    float dx = 0.f, dy = 0.f;
    TextRotationOffset(style, bounds, measured, dx, dy);
    PathTransformTranslate(dx, dy);
    PathTransformRotate(style.angle);
  }
  FillWithColour(style.textColour, blend);
  SetCanvasBlendMode(blend);
  CanvasText(canvas_, placement.x, placement.y, text, nullptr);
  CanvasCompositeFactors(canvas_, kBlendOne, kBlendOneMinusSrcAlpha);
  PathTransformRestore();
}

void IGfxCanvas::DrawMultiLineText(const TextStyle& style, const char* text, const Rect& bounds,
                                   const Blend* blend) {
  if (canvas_ == nullptr || text == nullptr || text[0] == '\0') return;
  CanvasSave(canvas_);
  TextPlacement placement;
  const int32_t align = TextAlignment(style, bounds, placement);
  float lineHeight = 0.f;
  if (UseStyleFont(style, placement.scale) &&
      GlyphCacheVertMetrics(canvas_->glyphs, nullptr, nullptr, &lineHeight)) {
    lineHeight /= placement.scale;
    // Rows are placed by their tops, so that the block of them sits in the bounds as the
    // vertical alignment says: its top at the top, its middle in the middle, its bottom at
    // the bottom.
    CanvasTextAlign(canvas_, (align & kHorizontalAlignBits) | kGlyphAlignTop);
    FillWithColour(style.textColour, blend);
    const float rowWidth = bounds.Width();
    const int32_t rows = ForEachTextRow(canvas_, text, rowWidth, [](const CanvasTextRow&, int32_t) {});
    const float top = placement.y - static_cast<float>(rows) * lineHeight * VerticalFraction(style.valign);
    ForEachTextRow(canvas_, text, rowWidth, [&](const CanvasTextRow& row, int32_t k) {
      CanvasText(canvas_, placement.x, top + static_cast<float>(k) * lineHeight, row.start, row.end);
    });
  }
  CanvasRestore(canvas_);
}

bool IGfxCanvas::LoadFontIntoRenderer(const char* fontId, PlatformFont& font) {
  if (canvas_ == nullptr || fontId == nullptr) return false;
  if (!LoadFontIntoGlyphCache(canvas_->glyphs, fontId, &font)) return false;
  AddEmbeddedFontNames(canvas_->glyphs, fontId);
  return true;
}

}  // namespace plugfw::gfx
