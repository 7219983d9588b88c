#pragma once
// StringHash: 64-bit FNV-1a over a text's bytes, the key of the resource and font caches.
// Any thread.

#include <cstdint>

namespace plugfw::gfx {

constexpr uint64_t kFnvOffsetBasis = 0xcbf29ce484222325ull;
constexpr uint64_t kFnvPrime = 0x100000001b3ull;

constexpr uint64_t StringHash(const char* text) {
  uint64_t hash = kFnvOffsetBasis;
  for (; text && *text; ++text) {
    hash ^= static_cast<uint8_t>(*text);
    hash *= kFnvPrime;
  }
  return hash;
}

}  // namespace plugfw::gfx
