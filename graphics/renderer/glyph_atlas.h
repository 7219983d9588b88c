#pragma once
// GlyphAtlas: the skyline packer that places glyph bitmaps in the glyph cache's texture.
// The skyline is a list of nodes {x, y, width}, left to right, each the top of the space
// already used over its span. UI thread only, like the glyph cache that owns it.

#include <cstdint>

namespace plugfw::gfx {

struct GlyphAtlasNode {
  int16_t x;
  int16_t y;
  int16_t width;
};

struct GlyphAtlas {
  int32_t width;
  int32_t height;
  GlyphAtlasNode* nodes;
  int32_t nodeCount;
  int32_t nodeCapacity;
};

// UI thread. An atlas of width x height (each 1..32767) with room for nodeCapacity nodes,
// starting as one node {0, 0, width}; null when that cannot be had.
GlyphAtlas* GlyphAtlasCreate(int32_t width, int32_t height, int32_t nodeCapacity);
// UI thread. Null is allowed.
void GlyphAtlasDelete(GlyphAtlas* atlas);
// UI thread. Forgets every placement: one node {0, 0, width} again.
void GlyphAtlasReset(GlyphAtlas* atlas, int32_t width, int32_t height);

// UI thread. Places a w x h rectangle where its bottom ends highest (ties go to the
// narrower node) and stores its top-left corner; false, changing nothing, when no place
// is left for it or the skyline cannot grow.
bool GlyphAtlasAddRect(GlyphAtlas* atlas, int32_t w, int32_t h, int32_t* outX, int32_t* outY);

}  // namespace plugfw::gfx
