#include "tests/graphics/renderer/stb_reference.h"

#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>

namespace plugfw::gfx::test {

ReferenceGlyph ReferenceGlyphOf(const std::vector<uint8_t>& font, uint32_t codePoint, float pixelHeight) {
  stbtt_fontinfo info;
  ReferenceGlyph glyph{};
  if (!stbtt_InitFont(&info, font.data(), 0)) return glyph;
  float scale = stbtt_ScaleForPixelHeight(&info, pixelHeight);
  glyph.index = stbtt_FindGlyphIndex(&info, static_cast<int>(codePoint));
  int advance = 0, bearing = 0;
  stbtt_GetGlyphHMetrics(&info, glyph.index, &advance, &bearing);
  glyph.advance = static_cast<float>(advance) * scale;
  stbtt_GetGlyphBitmapBox(&info, glyph.index, scale, scale, &glyph.x0, &glyph.y0, &glyph.x1, &glyph.y1);
  int w = glyph.x1 - glyph.x0, h = glyph.y1 - glyph.y0;
  glyph.bitmap.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
  if (w > 0 && h > 0) stbtt_MakeGlyphBitmap(&info, glyph.bitmap.data(), w, h, w, scale, scale, glyph.index);
  return glyph;
}

float ReferenceKerning(const std::vector<uint8_t>& font, uint32_t first, uint32_t second, float pixelHeight) {
  stbtt_fontinfo info;
  if (!stbtt_InitFont(&info, font.data(), 0)) return 0.0f;
  float scale = stbtt_ScaleForPixelHeight(&info, pixelHeight);
  return static_cast<float>(
             stbtt_GetCodepointKernAdvance(&info, static_cast<int>(first), static_cast<int>(second))) *
         scale;
}

}  // namespace plugfw::gfx::test
