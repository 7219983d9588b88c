#include "graphics/renderer/glyph_atlas.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace plugfw::gfx {
namespace {

constexpr int32_t kFirstNodeCapacity = 8;

bool InsertNode(GlyphAtlas* atlas, int32_t index, int32_t x, int32_t y, int32_t w) {
  if (atlas->nodeCount + 1 > atlas->nodeCapacity) {
    int32_t capacity = atlas->nodeCapacity == 0 ? kFirstNodeCapacity : atlas->nodeCapacity * 2;
    void* grown = std::realloc(atlas->nodes, sizeof(GlyphAtlasNode) * static_cast<size_t>(capacity));
    if (!grown) return false;
    atlas->nodes = static_cast<GlyphAtlasNode*>(grown);
    atlas->nodeCapacity = capacity;
  }
  std::memmove(atlas->nodes + index + 1, atlas->nodes + index,
               sizeof(GlyphAtlasNode) * static_cast<size_t>(atlas->nodeCount - index));
  atlas->nodes[index] = {static_cast<int16_t>(x), static_cast<int16_t>(y), static_cast<int16_t>(w)};
  ++atlas->nodeCount;
  return true;
}

void RemoveNode(GlyphAtlas* atlas, int32_t index) {
  std::memmove(atlas->nodes + index, atlas->nodes + index + 1,
               sizeof(GlyphAtlasNode) * static_cast<size_t>(atlas->nodeCount - index - 1));
  --atlas->nodeCount;
}

// The y at which a w x h rectangle whose left edge is node i's fits on the skyline,
// or -1 when it runs past the right or bottom edge.
int32_t RectFits(const GlyphAtlas* atlas, int32_t i, int32_t w, int32_t h) {
  int32_t x = atlas->nodes[i].x;
  if (x + w > atlas->width) return -1;
  int32_t y = atlas->nodes[i].y;
  int32_t spaceLeft = w;
  while (spaceLeft > 0) {
    if (i == atlas->nodeCount) return -1;
    y = std::max<int32_t>(y, atlas->nodes[i].y);
    if (y + h > atlas->height) return -1;
    spaceLeft -= atlas->nodes[i].width;
    ++i;
  }
  return y;
}

// Raises the skyline over the placed rectangle: a new node, the nodes it covers cut
// back or removed, and neighbours of equal height merged.
bool AddSkylineLevel(GlyphAtlas* atlas, int32_t index, int32_t x, int32_t y, int32_t w, int32_t h) {
  if (!InsertNode(atlas, index, x, y + h, w)) return false;
  GlyphAtlasNode* nodes = atlas->nodes;
  for (int32_t i = index + 1; i < atlas->nodeCount; ++i) {
    int32_t previousEnd = nodes[i - 1].x + nodes[i - 1].width;
    if (nodes[i].x >= previousEnd) break;
    int32_t shrink = previousEnd - nodes[i].x;
    nodes[i].x = static_cast<int16_t>(nodes[i].x + shrink);
    nodes[i].width = static_cast<int16_t>(nodes[i].width - shrink);
    if (nodes[i].width > 0) break;
    RemoveNode(atlas, i);
    --i;
  }
  for (int32_t i = 0; i < atlas->nodeCount - 1; ++i) {
    if (nodes[i].y != nodes[i + 1].y) continue;
    nodes[i].width = static_cast<int16_t>(nodes[i].width + nodes[i + 1].width);
    RemoveNode(atlas, i + 1);
    --i;
  }
  return true;
}

}  // namespace

GlyphAtlas* GlyphAtlasCreate(int32_t width, int32_t height, int32_t nodeCapacity) {
  auto* atlas = static_cast<GlyphAtlas*>(std::calloc(1, sizeof(GlyphAtlas)));
  if (!atlas) return nullptr;
  if (nodeCapacity > 0) {
    atlas->nodes =
        static_cast<GlyphAtlasNode*>(std::calloc(static_cast<size_t>(nodeCapacity), sizeof(GlyphAtlasNode)));
    if (!atlas->nodes) {
      std::free(atlas);
      return nullptr;
    }
    atlas->nodeCapacity = nodeCapacity;
  }
  GlyphAtlasReset(atlas, width, height);
  if (atlas->nodeCount != 1) {
    GlyphAtlasDelete(atlas);
    return nullptr;
  }
  return atlas;
}

void GlyphAtlasDelete(GlyphAtlas* atlas) {
  if (!atlas) return;
  std::free(atlas->nodes);
  std::free(atlas);
}

void GlyphAtlasReset(GlyphAtlas* atlas, int32_t width, int32_t height) {
  atlas->width = width;
  atlas->height = height;
  atlas->nodeCount = 0;
  InsertNode(atlas, 0, 0, 0, width);
}

bool GlyphAtlasAddRect(GlyphAtlas* atlas, int32_t w, int32_t h, int32_t* outX, int32_t* outY) {
  if (w <= 0 || h <= 0) return false;
  int32_t bestIndex = -1, bestBottom = 0, bestWidth = 0, bestX = 0, bestY = 0;
  for (int32_t i = 0; i < atlas->nodeCount; ++i) {
    int32_t y = RectFits(atlas, i, w, h);
    if (y < 0) continue;
    // The first place that fits always counts, so a rectangle that reaches exactly
    // the bottom edge of a one-node skyline is placed too.
    bool better =
        bestIndex < 0 || y + h < bestBottom || (y + h == bestBottom && atlas->nodes[i].width < bestWidth);
    if (!better) continue;
    bestIndex = i;
    bestBottom = y + h;
    bestWidth = atlas->nodes[i].width;
    bestX = atlas->nodes[i].x;
    bestY = y;
  }
  if (bestIndex < 0 || !AddSkylineLevel(atlas, bestIndex, bestX, bestY, w, h)) return false;
  *outX = bestX;
  *outY = bestY;
  return true;
}

}  // namespace plugfw::gfx
