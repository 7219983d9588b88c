#pragma once
// The canvas's font textures: up to four alpha textures behind the glyph atlas, the current
// one growing when the atlas fills, and only the largest kept between frames. Internal to
// the canvas. UI thread.

#include "graphics/renderer/canvas.h"

namespace plugfw::gfx {

inline constexpr int kFontAtlasStartSize = 512;
inline constexpr int kFontAtlasMaxSize = 2048;

// The glyph cache and font texture 0; false when either cannot be made.
bool CanvasCreateFontAtlas(CanvasContext* ctx);
void CanvasDeleteFontAtlas(CanvasContext* ctx);
// End of frame: the current font texture moves to slot 0 and smaller ones are deleted.
void CanvasKeepLargestFontTexture(CanvasContext* ctx);

}  // namespace plugfw::gfx
