#pragma once
// What the glyph cache's layout code needs from a loaded font, without stb_truetype's
// types: vertical metrics and pair kerning. Private to graphics/renderer. UI thread only.

#include <cstdint>

#include "graphics/renderer/glyph_cache.h"

namespace plugfw::gfx {

struct GlyphFontMetrics {
  float ascender;    // in units of the font's ascent - descent
  float descender;   // negative below the baseline
  float lineHeight;  // (ascent - descent + line gap) / (ascent - descent)
  float unitScale;   // 1 / (ascent - descent): font units per pixel of size, inverted
};

// UI thread. The metrics of font, null when the cache holds no such font.
const GlyphFontMetrics* GlyphFontMetricsOf(const GlyphCache* cache, int32_t font);
// UI thread. The kerning of the glyph pair in font units (0 without kerning data).
int32_t GlyphFontKerning(const GlyphCache* cache, int32_t font, int32_t firstIndex, int32_t secondIndex);

// Sizes in tenths of a pixel as layout keeps them; anything not a finite size of at
// least 0 becomes 0, and sizes past the 16-bit range saturate.
int16_t GlyphSizeInTenths(float pixels);
int16_t GlyphBlurSteps(float blur);

}  // namespace plugfw::gfx
