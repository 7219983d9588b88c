#pragma once
// stb_truetype's own answers for a font, computed apart from the glyph cache (its own
// copy of the library, on the heap), as the reference the cache's atlas and metrics
// must match.

#include <cstdint>
#include <vector>

namespace plugfw::gfx::test {

struct ReferenceGlyph {
  int32_t x0, y0, x1, y1;       // bitmap box at the scale, y down
  float advance;                // pixels
  int32_t index;                // glyph index
  std::vector<uint8_t> bitmap;  // (x1 - x0) x (y1 - y0), rows top-down
};

// The glyph for codePoint at pixelHeight (the font's ascent - descent), face 0.
ReferenceGlyph ReferenceGlyphOf(const std::vector<uint8_t>& font, uint32_t codePoint, float pixelHeight);
// The kerning of the pair in pixels at pixelHeight.
float ReferenceKerning(const std::vector<uint8_t>& font, uint32_t first, uint32_t second, float pixelHeight);

}  // namespace plugfw::gfx::test
