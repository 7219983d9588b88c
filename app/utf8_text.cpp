#include "app/utf8_text.h"

#include <cstdlib>
#include <cstring>

namespace plugfw {
namespace {

bool IsContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

// Per lead byte: the sequence length and the range of its second byte, which is
// where RFC 3629 rules out over-long forms, surrogates and code points past U+10FFFF.
struct LeadRule {
  uint8_t firstLead, lastLead;
  int32_t length;
  uint8_t secondMin, secondMax;
  uint8_t payloadMask;
};

constexpr LeadRule kLeadRules[] = {
    {0xC2, 0xDF, 2, 0x80, 0xBF, 0x1F}, {0xE0, 0xE0, 3, 0xA0, 0xBF, 0x0F}, {0xE1, 0xEC, 3, 0x80, 0xBF, 0x0F},
    {0xED, 0xED, 3, 0x80, 0x9F, 0x0F}, {0xEE, 0xEF, 3, 0x80, 0xBF, 0x0F}, {0xF0, 0xF0, 4, 0x90, 0xBF, 0x07},
    {0xF1, 0xF3, 4, 0x80, 0xBF, 0x07}, {0xF4, 0xF4, 4, 0x80, 0x8F, 0x07},
};

const LeadRule* RuleFor(uint8_t lead) {
  for (const LeadRule& rule : kLeadRules) {
    if (lead >= rule.firstLead && lead <= rule.lastLead) return &rule;
  }
  return nullptr;
}

struct Utf8Census {
  size_t totalBytes = 0;
  size_t utf8Bytes = 0;     // bytes inside well-formed multi-byte sequences
  size_t foreignBytes = 0;  // bytes of 0x80 or more outside them
  size_t units = 0;         // UTF-16 units of the lenient conversion, without terminator
};

Utf8Census CountUtf8(const char* text) {
  Utf8Census census;
  const char* at = text;
  while (*at != '\0') {
    uint32_t codePoint = 0;
    const int32_t length = DecodeUtf8Sequence(at, &codePoint);
    if (length > 0) {
      census.utf8Bytes += length;
      census.units += codePoint > 0xFFFF ? 2 : 1;
      at += length;
      continue;
    }
    if (static_cast<uint8_t>(*at) >= 0x80) ++census.foreignBytes;
    ++census.units;
    ++at;
  }
  census.totalBytes = static_cast<size_t>(at - text);
  return census;
}

// Mostly-foreign text is taken to be in the ANSI code page rather than broken UTF-8.
bool LooksLikeAnsi(const Utf8Census& census) {
  return census.utf8Bytes < 5 * census.foreignBytes && census.utf8Bytes * 4 < census.totalBytes * 3;
}

// Writes the lenient conversion into out, at most capacity - 1 units, never splitting
// a surrogate pair, and terminates it.
void ConvertLenient(const char* text, Utf16Unit* out, size_t capacity) {
  size_t written = 0;
  const char* at = text;
  while (*at != '\0') {
    uint32_t codePoint = 0;
    int32_t length = DecodeUtf8Sequence(at, &codePoint);
    if (length == 0) {
      codePoint = static_cast<uint8_t>(*at);
      length = 1;
    }
    const size_t needed = codePoint > 0xFFFF ? 2 : 1;
    if (written + needed > capacity - 1) break;
    if (needed == 2) {
      const uint32_t offset = codePoint - 0x10000;
      out[written++] = static_cast<Utf16Unit>(0xD800 + (offset >> 10));
      out[written++] = static_cast<Utf16Unit>(0xDC00 + (offset & 0x3FF));
    } else {
      out[written++] = static_cast<Utf16Unit>(codePoint);
    }
    at += length;
  }
  out[written] = 0;
}

size_t WideLength(const Utf16Unit* path) {
  size_t length = 0;
  while (path[length] != 0) ++length;
  return length;
}

bool IsSlash(Utf16Unit unit) { return unit == '\\' || unit == '/'; }

bool IsAsciiLetter(Utf16Unit unit) { return (unit >= 'A' && unit <= 'Z') || (unit >= 'a' && unit <= 'z'); }

}  // namespace

int32_t DecodeUtf8Sequence(const char* bytes, uint32_t* codePoint) {
  const uint8_t lead = static_cast<uint8_t>(bytes[0]);
  const LeadRule* rule = RuleFor(lead);
  if (rule == nullptr) return 0;
  const uint8_t second = static_cast<uint8_t>(bytes[1]);
  if (second < rule->secondMin || second > rule->secondMax) return 0;
  uint32_t value = lead & rule->payloadMask;
  for (int32_t i = 1; i < rule->length; ++i) {
    // A NUL is no continuation byte, so a sequence cut short stops here.
    const uint8_t byte = static_cast<uint8_t>(bytes[i]);
    if (!IsContinuation(byte)) return 0;
    value = (value << 6) | (byte & 0x3F);
  }
  *codePoint = value;
  return rule->length;
}

int32_t HasUtf8(const char* text) {
  if (text == nullptr) return 0;
  int32_t result = 0;
  const char* at = text;
  while (*at != '\0') {
    if (static_cast<uint8_t>(*at) < 0x80) {
      ++at;
      continue;
    }
    uint32_t codePoint = 0;
    const int32_t length = DecodeUtf8Sequence(at, &codePoint);
    if (length == 0) return -1;
    result = 1;
    at += length;
  }
  return result;
}

Utf16Unit* WideFromUtf8Lenient(const char* text, Utf16Unit* buffer, int32_t capacity, int32_t flags) {
  if (text == nullptr) return nullptr;
  const Utf8Census census = CountUtf8(text);
  if ((flags & kLenientForce) == 0 && LooksLikeAnsi(census)) return nullptr;
  const size_t needed = census.units + 1;
  const bool haveBuffer = buffer != nullptr && capacity > 0;
  if (haveBuffer && (needed <= static_cast<size_t>(capacity) || (flags & kLenientTruncate) != 0)) {
    ConvertLenient(text, buffer, static_cast<size_t>(capacity));
    return buffer;
  }
  auto* block = static_cast<Utf16Unit*>(std::malloc(needed * sizeof(Utf16Unit)));
  if (block == nullptr) return nullptr;
  ConvertLenient(text, block, needed);
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
    uint32_t character = lead;
    int32_t length = DecodeUtf8Sequence(at, &character);
    if (length == 0) {
      // The old 5- and 6-byte forms stand for no character a code page can show.
      const int32_t oldFormLength = lead >= 0xFC && lead <= 0xFD ? 6 : (lead >= 0xF8 && lead <= 0xFB ? 5 : 0);
      length = 1;
      character = lead;
      if (oldFormLength > 0) {
        int32_t continued = 1;
        while (continued < oldFormLength && IsContinuation(static_cast<uint8_t>(at[continued]))) ++continued;
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
