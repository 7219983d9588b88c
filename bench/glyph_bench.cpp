// Times the glyph cache on the embedded font and prints one line per case:
//   case=cold_ascii_each_size_10_36 ms=<x> ...
//     the printable ASCII glyphs (32..126) at each size from 10 to 36 px, each size into a
//     fresh 512 x 512 cache; the total time for all sizes (median of several runs).
//   case=cold_ascii_all_sizes_10_36 ms=<x> ...
//     all of them into one cache, which needs 1024 x 1024.
//   case=warm_text_1000 us_cpu=<x>
//     laying out 1,000 characters whose glyphs are already in the atlas, as the canvas
//     does each frame (quads with bitmaps required); CPU time per run.
//   case=warm_bounds_1000 us_cpu=<x>
//     measuring the same text (metrics only).
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "bench/bench_font.h"
#include "bench/bench_timing.h"
#include "graphics/renderer/glyph_cache.h"

namespace plugfw::gfx {
namespace {

constexpr int kColdRuns = 15;
constexpr int kWarmRuns = 2000;

GlyphCache* FreshCache(const std::vector<uint8_t>& font) {
  GlyphCache* cache =
      GlyphCacheCreate({kGlyphAtlasFirstSize, kGlyphAtlasFirstSize, kGlyphCacheOriginTopLeft});
  GlyphCacheAddFont(cache, "Roboto-Regular", font.data(), static_cast<int32_t>(font.size()), 0, false);
  return cache;
}

// Rasterises glyphs 32..126 at sizes first..last into cache; returns how many were made.
int RasteriseAscii(GlyphCache* cache, int first, int last) {
  int made = 0;
  for (int size = first; size <= last; ++size) {
    for (uint32_t c = 32; c <= 126; ++c) {
      if (GlyphCacheGetGlyph(cache, 0, c, static_cast<int16_t>(size * 10), 0, kGlyphBitmapRequired)) ++made;
    }
  }
  return made;
}

int SkylineTop(const GlyphCache* cache) {
  int top = 0;
  for (int i = 0; i < cache->atlas->nodeCount; ++i) top = std::max<int>(top, cache->atlas->nodes[i].y);
  return top;
}

// Each size in a fresh 512 x 512 cache (as when the editor opens at one text size): the
// time for all 27 sizes, and whether every size's 95 glyphs fitted.
void ColdAsciiEachSize(const std::vector<uint8_t>& font) {
  std::vector<double> times;
  bool allFit = true;
  int tallest = 0;
  for (int run = 0; run < kColdRuns; ++run) {
    double total = 0;
    for (int size = 10; size <= 36; ++size) {
      GlyphCache* cache = FreshCache(font);
      double start = plugfw::bench::ProcessCpuSeconds();
      int made = RasteriseAscii(cache, size, size);
      total += plugfw::bench::ProcessCpuSeconds() - start;
      allFit = allFit && made == 95;
      tallest = std::max(tallest, SkylineTop(cache));
      GlyphCacheDelete(cache);
    }
    times.push_back(total);
  }
  std::printf(
      "case=cold_ascii_each_size_10_36 ms=%.2f glyphs=2565 every_size_fits_512=%s most_rows_used=%d\n",
      plugfw::bench::Median(times) * 1e3, allFit ? "yes" : "no", tallest);
}

// All 27 sizes at once: 2,565 glyphs, more than 512 x 512 holds, so into 1024 x 1024 (the
// canvas's first growth) and, to show it, how many the 512 x 512 atlas takes.
void ColdAsciiAllSizes(const std::vector<uint8_t>& font) {
  std::vector<double> times;
  int made = 0, madeIn512 = 0, rows = 0;
  for (int run = 0; run < kColdRuns; ++run) {
    GlyphCache* cache = FreshCache(font);
    madeIn512 = RasteriseAscii(cache, 10, 36);
    GlyphCacheResetAtlas(cache, 1024, 1024);
    double start = plugfw::bench::ProcessCpuSeconds();
    made = RasteriseAscii(cache, 10, 36);
    times.push_back(plugfw::bench::ProcessCpuSeconds() - start);
    rows = SkylineTop(cache);
    GlyphCacheDelete(cache);
  }
  std::printf("case=cold_ascii_all_sizes_10_36 ms=%.2f glyphs=%d/2565 in_1024_rows_used=%d fit_in_512=%d\n",
              plugfw::bench::Median(times) * 1e3, made, rows, madeIn512);
}

std::string Text1000() {
  const std::string words =
      "Stereo chorus with twelve structures, eight voices, depth 42.5 % and rate 0.8 Hz. ";
  std::string text;
  while (text.size() < 1000) text += words;
  text.resize(1000);
  return text;
}

void WarmText(const std::vector<uint8_t>& font) {
  GlyphCache* cache = FreshCache(font);
  GlyphCacheSetSize(cache, 14.0f);
  const std::string text = Text1000();
  float sink = 0;
  auto layOut = [&] {
    GlyphTextIter iter;
    GlyphQuad q;
    GlyphCacheTextIterInit(cache, &iter, 0, 20.0f, text.c_str(), nullptr, kGlyphBitmapRequired);
    while (GlyphCacheTextIterNext(cache, &iter, &q)) sink += q.x1;
  };
  layOut();  // makes the glyphs
  double start = plugfw::bench::ProcessCpuSeconds();
  for (int run = 0; run < kWarmRuns; ++run) layOut();
  std::printf("case=warm_text_1000 us_cpu=%.1f\n",
              (plugfw::bench::ProcessCpuSeconds() - start) / kWarmRuns * 1e6);
  start = plugfw::bench::ProcessCpuSeconds();
  for (int run = 0; run < kWarmRuns; ++run)
    sink += GlyphCacheTextBounds(cache, 0, 0, text.c_str(), nullptr, nullptr);
  std::printf("case=warm_bounds_1000 us_cpu=%.1f\n",
              (plugfw::bench::ProcessCpuSeconds() - start) / kWarmRuns * 1e6);
  if (sink == 1.2345f) std::printf("\n");  // keeps the work from being optimised away
  GlyphCacheDelete(cache);
}

}  // namespace
}  // namespace plugfw::gfx

int main(int argc, char** argv) {
  const std::string only = argc > 1 ? argv[1] : "";
  std::vector<uint8_t> font = plugfw::gfx::ReadBenchFont();
  if (font.empty()) {
    std::fprintf(stderr, "glyph_bench: cannot read %s\n", plugfw::gfx::kBenchFontFile);
    return 1;
  }
  if (only.empty() || std::string("cold_ascii_each_size_10_36").find(only) != std::string::npos)
    plugfw::gfx::ColdAsciiEachSize(font);
  if (only.empty() || std::string("cold_ascii_all_sizes_10_36").find(only) != std::string::npos)
    plugfw::gfx::ColdAsciiAllSizes(font);
  if (only.empty() || std::string("warm_text_1000 warm_bounds_1000").find(only) != std::string::npos)
    plugfw::gfx::WarmText(font);
  return 0;
}
