#include "graphics/platform/font_cache.h"

#include <cstdio>

namespace plugfw::gfx {

uint64_t FontCacheKeyHash(const char* name, double scale) {
  constexpr uint64_t kOffsetBasis = 0xcbf29ce484222325ull;
  constexpr uint64_t kPrime = 0x100000001b3ull;
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, "-%.1fx", scale);
  uint64_t hash = kOffsetBasis;
  for (const char* text : {name ? name : "", static_cast<const char*>(suffix)}) {
    for (const char* p = text; *p; ++p) {
      hash ^= static_cast<uint8_t>(*p);
      hash *= kPrime;
    }
  }
  return hash;
}

}  // namespace plugfw::gfx
