#pragma once
// The renderer's fonts: the process-wide cache of FontData that keeps every glyph cache's
// font bytes alive, and the load that hands a platform font to a glyph cache through it.
// IGfxCanvas::LoadFontIntoRenderer is a call onto LoadFontIntoGlyphCache.

#include "graphics/platform/font_cache.h"
#include "graphics/platform/font_data.h"
#include "graphics/platform/platform_font.h"
#include "graphics/renderer/glyph_cache.h"

namespace plugfw::gfx {

using RendererFontCache = FontResourceCache<FontData>;

// Any thread, under its lock. The one RendererFontCache of the process; each editor window
// adds itself as a user while it lives.
RendererFontCache& SharedRendererFontCache();

// UI thread; takes the RendererFontCache lock. Adds the font known as fontId to cache:
// from the bytes cached under fontId when there are any, else from font's FontData, which
// is then cached. A font the glyph cache already holds under fontId counts as added. False,
// caching nothing, when the font gives no usable face or the glyph cache refuses it.
bool LoadFontIntoGlyphCache(GlyphCache* cache, const char* fontId, const PlatformFont* font,
                            RendererFontCache& fonts = SharedRendererFontCache());

}  // namespace plugfw::gfx
