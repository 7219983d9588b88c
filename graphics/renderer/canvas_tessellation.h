#pragma once
// The canvas's path pipeline between building and drawing: flattening the commands into
// points, working out joins, and expanding the points into fill and stroke vertices in the
// path cache. Internal to the canvas. UI thread.

#include "graphics/renderer/canvas.h"

namespace plugfw::gfx {

// The values that stand after each command code in the buffer; -1 for a code it does not know.
int CanvasCommandValueCount(int command);

// The path cache with its first sizes; null when memory cannot be had.
CanvasPathCache* CanvasPathCacheCreate();
void CanvasPathCacheDelete(CanvasPathCache* cache);
void CanvasPathCacheClear(CanvasPathCache* cache);

// Turns the command buffer into paths of points; does nothing while the cache holds paths.
void CanvasFlattenPaths(CanvasContext* ctx);
// Miter directions, turn and bevel flags of every point for joins of half width w.
void CanvasCalculateJoins(CanvasContext* ctx, float w, int32_t lineJoin, float miterLimit);
// Fill vertices (and the fringe strip when w > 0) for every path; 0 when out of memory.
int CanvasExpandFill(CanvasContext* ctx, float w, int32_t lineJoin, float miterLimit);
// Stroke strips of half width w; 0 when out of memory.
int CanvasExpandStroke(CanvasContext* ctx, float w, float fringe, int32_t lineCap, int32_t lineJoin,
                       float miterLimit);
// Room for `count` vertices in the cache; null when memory cannot be had.
CanvasVertex* CanvasAllocTempVerts(CanvasContext* ctx, int32_t count);

// Writes one vertex and returns the place of the next.
inline CanvasVertex* SetVertex(CanvasVertex* vertex, float x, float y, float u, float v) {
  *vertex = CanvasVertex{x, y, u, v};
  return vertex + 1;
}

}  // namespace plugfw::gfx
