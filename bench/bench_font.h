#pragma once
// The embedded font's file as the benchmarks read it (the build passes its folder).

#include <cstdint>
#include <cstdio>
#include <vector>

namespace plugfw::gfx {

inline constexpr const char* kBenchFontFile = HALCYRA_BENCH_FONT_DIR "/Roboto-Regular.ttf";

// The whole file; empty when it cannot be read.
inline std::vector<uint8_t> ReadBenchFont() {
  std::vector<uint8_t> bytes;
  if (FILE* f = std::fopen(kBenchFontFile, "rb")) {
    uint8_t chunk[65536];
    size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
  }
  return bytes;
}

}  // namespace plugfw::gfx
