#pragma once
// One code point as UTF-8: the encoder behind every UTF-16 to UTF-8 conversion the
// framework does by hand. Any thread: a pure function.

#include <cstdint>

namespace plugfw {

// Writes codePoint (at most U+10FFFF, not a surrogate) as 1 to 4 bytes into bytes
// and returns how many; nothing is terminated.
inline int32_t EncodeUtf8CodePoint(uint32_t codePoint, char* bytes) {
  int32_t length = 0;
  if (codePoint < 0x80) {
    bytes[length++] = static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    bytes[length++] = static_cast<char>(0xC0 | (codePoint >> 6));
    bytes[length++] = static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    bytes[length++] = static_cast<char>(0xE0 | (codePoint >> 12));
    bytes[length++] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    bytes[length++] = static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    bytes[length++] = static_cast<char>(0xF0 | (codePoint >> 18));
    bytes[length++] = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    bytes[length++] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    bytes[length++] = static_cast<char>(0x80 | (codePoint & 0x3F));
  }
  return length;
}

}  // namespace plugfw
