#include "app/utf8_text.h"

#include <cstdlib>
#include <cstring>

#include "core/utf_conversion.h"

namespace plugfw {
namespace {

// A byte of a multi-byte sequence, well-formed or not.
bool IsHighByte(const char* at) { return static_cast<uint8_t>(*at) >= 0x80; }

struct Utf8Census {
  size_t totalBytes = 0;
  size_t utf8Bytes = 0;     // bytes inside well-formed multi-byte sequences
  size_t foreignBytes = 0;  // bytes of 0x80 or more outside them
};

Utf8Census CountUtf8(const char* text) {
  Utf8Census census;
  const char* at = text;
  while (*at != '\0') {
    const Utf8Character character = DecodeUtf8Character(at, kToTerminator);
    if (character.wellFormed && character.length > 1) {
      census.utf8Bytes += static_cast<size_t>(character.length);
    } else {
      for (int32_t i = 0; i < character.length; ++i) census.foreignBytes += IsHighByte(at + i) ? 1 : 0;
    }
    at += character.length;
  }
  census.totalBytes = static_cast<size_t>(at - text);
  return census;
}

// Mostly-foreign text is taken to be in the ANSI code page rather than broken UTF-8.
bool LooksLikeAnsi(const Utf8Census& census) {
  return census.utf8Bytes < 5 * census.foreignBytes && census.utf8Bytes * 4 < census.totalBytes * 3;
}

size_t WideLength(const Utf16Unit* path) {
  size_t length = 0;
  while (path[length] != 0) ++length;
  return length;
}

bool IsSlash(Utf16Unit unit) { return unit == '\\' || unit == '/'; }

bool IsAsciiLetter(Utf16Unit unit) { return (unit >= 'A' && unit <= 'Z') || (unit >= 'a' && unit <= 'z'); }

}  // namespace

int32_t HasUtf8(const char* text) {
  if (text == nullptr) return 0;
  int32_t result = 0;
  for (const char* at = text; *at != '\0';) {
    const Utf8Character character = DecodeUtf8Character(at, kToTerminator);
    if (!character.wellFormed) return -1;
    if (character.length > 1) result = 1;
    at += character.length;
  }
  return result;
}

Utf16Unit* WideFromUtf8Lenient(const char* text, Utf16Unit* buffer, int32_t capacity, int32_t flags) {
  if (text == nullptr) return nullptr;
  if ((flags & kLenientForce) == 0 && LooksLikeAnsi(CountUtf8(text))) return nullptr;
  const size_t needed = ConvertUtf8ToUtf16<Utf16Unit>(text, kToTerminator, nullptr, 0).needed + 1;
  const bool haveBuffer = buffer != nullptr && capacity > 0;
  if (haveBuffer && (needed <= static_cast<size_t>(capacity) || (flags & kLenientTruncate) != 0)) {
    ConvertUtf8ToUtf16(text, kToTerminator, buffer, static_cast<size_t>(capacity));
    return buffer;
  }
  auto* block = static_cast<Utf16Unit*>(std::malloc(needed * sizeof(Utf16Unit)));
  if (block == nullptr) return nullptr;
  ConvertUtf8ToUtf16(text, kToTerminator, block, needed);
  return block;
}

void ReleaseLenientWide(Utf16Unit* result, const Utf16Unit* buffer) {
  if (result != buffer) std::free(result);
}

int32_t Utf8MatchesAnsi(const char* utf8, const char* ansi) {
  if (utf8 == nullptr || ansi == nullptr) return 1;
  const char* at = utf8;
  const char* shown = ansi;
  while (*at != '\0' && *shown != '\0') {
    const uint8_t lead = static_cast<uint8_t>(*at);
    const Utf8Character decoded = DecodeUtf8Character(at, kToTerminator);
    int32_t length = decoded.wellFormed ? decoded.length : 1;
    uint32_t character = decoded.wellFormed ? decoded.codePoint : lead;
    if (!decoded.wellFormed) {
      // The old 5- and 6-byte forms stand for no character a code page can show.
      const int32_t oldFormLength = lead >= 0xFC && lead <= 0xFD ? 6 : (lead >= 0xF8 && lead <= 0xFB ? 5 : 0);
      if (oldFormLength > 0) {
        int32_t continued = 1;
        while (continued < oldFormLength && (static_cast<uint8_t>(at[continued]) & 0xC0) == 0x80) ++continued;
        if (continued == oldFormLength) {
          length = oldFormLength;
          character = '_';
        }
      }
    }
    const uint8_t byte = static_cast<uint8_t>(*shown);
    const bool same = character == byte || (byte == '?' && character >= 0x80);
    if (!same) return 1;
    at += length;
    ++shown;
  }
  return (*at == '\0' && *shown == '\0') ? 0 : 1;
}

bool IsVerbatimPath(const Utf16Unit* path) {
  return path != nullptr && path[0] == '\\' && path[1] == '\\' && (path[2] == '?' || path[2] == '.') &&
         path[3] == '\\';
}

bool IsFullyQualifiedPath(const Utf16Unit* path) {
  if (path == nullptr) return false;
  if (IsAsciiLetter(path[0]) && path[1] == ':' && IsSlash(path[2])) return true;
  return IsSlash(path[0]) && IsSlash(path[1]);
}

bool LongPathPrefix(Utf16Unit* path, int32_t capacity, int32_t minLength) {
  if (path == nullptr || IsVerbatimPath(path) || !IsFullyQualifiedPath(path)) return false;
  const size_t length = WideLength(path);
  if (length < static_cast<size_t>(minLength)) return false;
  static constexpr Utf16Unit kDrivePrefix[] = {'\\', '\\', '?', '\\'};
  static constexpr Utf16Unit kUncPrefix[] = {'\\', '\\', '?', '\\', 'U', 'N', 'C', '\\'};
  const bool unc = IsSlash(path[0]);
  const Utf16Unit* prefix = unc ? kUncPrefix : kDrivePrefix;
  const size_t prefixLength = unc ? 8 : 4;
  const size_t replaced = unc ? 2 : 0;  // the UNC prefix takes the place of the two leading slashes
  const size_t newLength = length - replaced + prefixLength;
  if (capacity < 0 || newLength + 1 > static_cast<size_t>(capacity)) return false;
  std::memmove(path + prefixLength, path + replaced, (length - replaced + 1) * sizeof(Utf16Unit));
  std::memcpy(path, prefix, prefixLength * sizeof(Utf16Unit));
  for (size_t i = prefixLength; i < newLength; ++i) {
    if (path[i] == '/') path[i] = '\\';
  }
  return true;
}

}  // namespace plugfw
