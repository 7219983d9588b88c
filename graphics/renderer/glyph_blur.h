#pragma once
// The glyph cache's blur: an approximately Gaussian blur of a padded glyph block made of
// four one-pole passes (down the columns, along the rows, twice) in 7-bit fixed point.
// Any thread (works on the block it is given).

#include <cstdint>

namespace plugfw::gfx {

// Blurs the w x h block at block (rows stride bytes apart) by blur (1..20, the padding
// the block has around its ink). The first and last pixel of every line end up 0.
void GlyphBlur(uint8_t* block, int32_t w, int32_t h, int32_t stride, int32_t blur);

}  // namespace plugfw::gfx
