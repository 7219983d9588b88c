#include "graphics/renderer/renderer_fonts.h"

namespace plugfw::gfx {
namespace {

constexpr double kFontScale = 1.0;  // fonts are cached once, whatever the draw scale

bool AddToGlyphCache(GlyphCache* cache, const char* fontId, const FontData& data) {
  return GlyphCacheAddFont(cache, fontId, data.Bytes(), data.Size(), data.FaceIndex(), false) >= 0;
}

}  // namespace

RendererFontCache& SharedRendererFontCache() {
  static RendererFontCache cache;
  return cache;
}

bool LoadFontIntoGlyphCache(GlyphCache* cache, const char* fontId, const PlatformFont* font,
                            RendererFontCache& fonts) {
  if (!cache || !fontId) return false;
  ScopedLock lock(fonts.Lock());
  // Loading a font twice must not fill the glyph cache with copies of it.
  if (GlyphCacheFindFont(cache, fontId) >= 0) return true;
  // The glyph cache can refuse bytes the reader accepted: that is a failure, not a load.
  if (const FontData* cached = fonts.Find(fontId, kFontScale)) return AddToGlyphCache(cache, fontId, *cached);
  if (!font) return false;
  std::unique_ptr<FontData> data = font->GetFontData();
  if (!data || !data->IsUsable()) return false;
  // Cached first: the glyph cache reads the bytes where they are, so they must have their
  // home before it does.
  const FontData* kept = data.get();
  if (!fonts.Add(std::move(data), fontId, kFontScale)) return false;
  if (AddToGlyphCache(cache, fontId, *kept)) return true;
  fonts.Remove(kept);
  return false;
}

}  // namespace plugfw::gfx
