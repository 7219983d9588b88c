#include "graphics/resource_cache.h"

#include <cstdio>

#include "graphics/string_hash.h"

namespace plugfw::gfx {

uint64_t ResourceKeyHash(const char* name, double scale) {
  HeapString key(name);
  key.AppendFormatted(64, "-%.1fx", scale);
  return StringHash(key.Get());
}

BitmapCache& StaticBitmapCache() {
  static BitmapCache cache;
  return cache;
}

SvgCache& StaticSvgCache() {
  static SvgCache cache;
  return cache;
}

}  // namespace plugfw::gfx
