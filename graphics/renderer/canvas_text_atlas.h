#pragma once
// The canvas's font textures: up to four alpha textures behind the glyph atlas, the current
// one growing when the atlas fills, and only the largest kept between frames. Internal to
// the canvas. UI thread.

#include "graphics/renderer/canvas.h"

namespace plugfw::gfx {

// The glyph cache and font texture 0; false when either cannot be made.
bool CanvasCreateFontAtlas(CanvasContext* ctx);
void CanvasDeleteFontAtlas(CanvasContext* ctx);
// End of frame: the current font texture moves to slot 0 and smaller ones are deleted.
void CanvasKeepLargestFontTexture(CanvasContext* ctx);
// Uploads the atlas's changed region to the current font texture.
void CanvasFlushTextTexture(CanvasContext* ctx);
// Moves to a larger font texture and empties the atlas at its size; false when the largest
// (2048 x 2048) or the fourth texture is reached, or it cannot be made.
bool CanvasGrowFontAtlas(CanvasContext* ctx);

}  // namespace plugfw::gfx
