#include "graphics/platform/font_info_reader.h"

#include <cstring>

namespace plugfw::gfx {
namespace {

constexpr uint32_t kOffsetTableSize = 12;  // sfnt version, table count, search fields
constexpr uint32_t kTableRecordSize = 16;  // tag, checksum, offset, length
constexpr uint32_t kCollectionHeaderSize = 12;
constexpr uint32_t kNameRecordSize = 12;
constexpr uint32_t kNameHeaderSize = 6;
// Bytes of head and hhea that the reader uses: up to macStyle, and up to the line gap.
constexpr uint32_t kHeadBytesRead = 46;
constexpr uint32_t kHheaBytesRead = 10;

constexpr uint16_t kPlatformMacintosh = 1;
constexpr uint16_t kPlatformWindows = 3;
constexpr uint16_t kEncodingWindowsUnicodeBmp = 1;
constexpr uint16_t kLanguageUsEnglish = 1033;
constexpr uint16_t kNameFamily = 1;
constexpr uint16_t kNameStyle = 2;

uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
uint32_t ReadU32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}
bool HasTag(const uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

// True when [offset, offset + length) lies inside size bytes, without overflow.
bool Inside(uint64_t offset, uint64_t length, uint64_t size) {
  return offset <= size && length <= size - offset;
}

void AppendCodePoint(uint32_t c, char* out, int32_t* n) {
  if (c < 0x80) {
    out[(*n)++] = static_cast<char>(c);
  } else if (c < 0x800) {
    out[(*n)++] = static_cast<char>(0xC0 | (c >> 6));
    out[(*n)++] = static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out[(*n)++] = static_cast<char>(0xE0 | (c >> 12));
    out[(*n)++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[(*n)++] = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out[(*n)++] = static_cast<char>(0xF0 | (c >> 18));
    out[(*n)++] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out[(*n)++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[(*n)++] = static_cast<char>(0x80 | (c & 0x3F));
  }
}

// UTF-16BE to UTF-8; a lone surrogate becomes U+FFFD, so the result is always
// well-formed, and a NUL unit ends the text (the string could not hold it anyway).
HeapString Utf16BeToUtf8(const uint8_t* text, uint32_t bytes) {
  constexpr uint32_t kReplacement = 0xFFFD;
  constexpr int32_t kChunk = 64;
  HeapString result;
  char chunk[kChunk + 4];
  int32_t n = 0;
  uint32_t units = bytes / 2;
  for (uint32_t i = 0; i < units; ++i) {
    uint32_t c = ReadU16(text + 2 * i);
    if (c == 0) break;
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units) {
      uint32_t low = ReadU16(text + 2 * (i + 1));
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (c >= 0xD800 && c < 0xE000) c = kReplacement;
    AppendCodePoint(c, chunk, &n);
    if (n >= kChunk) {
      chunk[n] = 0;
      result.Append(chunk);
      n = 0;
    }
  }
  chunk[n] = 0;
  result.Append(chunk);
  return result;
}

}  // namespace

FontInfoReader::FontInfoReader(const uint8_t* bytes, int32_t size, int32_t faceIndex) {
  Read(bytes, size, faceIndex);
}

void FontInfoReader::Read(const uint8_t* bytes, int32_t size, int32_t faceIndex) {
  *this = FontInfoReader();
  if (!bytes || size <= 0) return;
  bytes_ = bytes;
  size_ = static_cast<uint32_t>(size);
  if (!LocateFace(faceIndex)) {
    *this = FontInfoReader();
    return;
  }
  head_ = FindTable("head");
  name_ = FindTable("name");
  hhea_ = FindTable("hhea");
  fdsc_ = FindTable("fdsc");
  if (HasNamesAndMetrics()) ReadHeadAndMetrics();
}

// Single fonts hold face 0 only; a collection holds as many faces as it says, each
// directory inside the bytes.
bool FontInfoReader::LocateFace(int32_t faceIndex) {
  if (faceIndex < 0 || size_ < kOffsetTableSize) return false;
  const uint8_t* p = bytes_;
  static const uint8_t kTrueType[4] = {0, 1, 0, 0};
  static const uint8_t kTrueTypeOne[4] = {'1', 0, 0, 0};
  bool single = std::memcmp(p, kTrueType, 4) == 0 || std::memcmp(p, kTrueTypeOne, 4) == 0 ||
                HasTag(p, "OTTO") || HasTag(p, "typ1");
  uint32_t offset = 0;
  if (single) {
    if (faceIndex != 0) return false;
  } else if (HasTag(p, "ttcf")) {
    uint32_t version = ReadU32(p + 4);
    if (version != 0x00010000 && version != 0x00020000) return false;
    uint32_t count = ReadU32(p + 8);
    if (static_cast<uint32_t>(faceIndex) >= count) return false;
    uint64_t entry = kCollectionHeaderSize + 4ull * static_cast<uint32_t>(faceIndex);
    if (!Inside(entry, 4, size_)) return false;
    offset = ReadU32(p + entry);
  } else {
    return false;
  }
  if (!Inside(offset, kOffsetTableSize, size_)) return false;
  faceOffset_ = offset;
  directory_ = bytes_ + offset;
  return true;
}

uint32_t FontInfoReader::FindTable(const char* tag, uint32_t* length) const {
  if (length) *length = 0;
  if (!directory_ || !tag || std::strlen(tag) != 4) return 0;
  uint32_t count = ReadU16(directory_ + 4);
  for (uint32_t i = 0; i < count; ++i) {
    uint64_t record = faceOffset_ + kOffsetTableSize + static_cast<uint64_t>(kTableRecordSize) * i;
    if (!Inside(record, kTableRecordSize, size_)) return 0;
    const uint8_t* r = bytes_ + record;
    if (!HasTag(r, tag)) continue;
    uint32_t offset = ReadU32(r + 8);
    uint32_t tableLength = ReadU32(r + 12);
    // An offset of 0 would overlap the header and could not be told from "absent".
    if (offset == 0 || !Inside(offset, tableLength, size_)) return 0;
    if (length) *length = tableLength;
    return offset;
  }
  return 0;
}

void FontInfoReader::ReadHeadAndMetrics() {
  uint32_t headLength = 0, hheaLength = 0;
  FindTable("head", &headLength);
  FindTable("hhea", &hheaLength);
  if (headLength >= kHeadBytesRead) {
    unitsPerEm_ = ReadU16(bytes_ + head_ + 18);
    styleBits_ = ReadU16(bytes_ + head_ + 44);
  }
  if (hheaLength >= kHheaBytesRead) {
    ascender_ = static_cast<int16_t>(ReadU16(bytes_ + hhea_ + 4));
    descender_ = static_cast<int16_t>(ReadU16(bytes_ + hhea_ + 6));
    lineGap_ = static_cast<int16_t>(ReadU16(bytes_ + hhea_ + 8));
  }
  familyName_ = ReadNames(kNameFamily, true);
  if (familyName_.Empty()) familyName_ = ReadNames(kNameFamily, false);
  styleName_ = ReadNames(kNameStyle, true);
  if (styleName_.Empty()) styleName_ = ReadNames(kNameStyle, false);
}

HeapString FontInfoReader::ReadNames(uint16_t nameId, bool unicode) const {
  uint32_t tableLength = 0;
  uint32_t table = FindTable("name", &tableLength);
  if (table == 0 || tableLength < kNameHeaderSize) return HeapString();
  const uint8_t* t = bytes_ + table;
  uint32_t count = ReadU16(t + 2);
  uint32_t storage = ReadU16(t + 4);
  for (uint32_t i = 0; i < count; ++i) {
    uint64_t at = kNameHeaderSize + static_cast<uint64_t>(kNameRecordSize) * i;
    if (!Inside(at, kNameRecordSize, tableLength)) break;
    const uint8_t* r = t + at;
    uint16_t platform = ReadU16(r), encoding = ReadU16(r + 2), language = ReadU16(r + 4);
    if (ReadU16(r + 6) != nameId) continue;
    bool wanted = unicode ? platform == kPlatformWindows && encoding == kEncodingWindowsUnicodeBmp &&
                                language == kLanguageUsEnglish
                          : platform == kPlatformMacintosh && encoding == 0 && language == 0;
    if (!wanted) continue;
    uint32_t textLength = ReadU16(r + 8);
    uint64_t text = static_cast<uint64_t>(storage) + ReadU16(r + 10);
    if (!Inside(text, textLength, tableLength)) continue;
    const uint8_t* bytes = t + text;
    if (unicode) return Utf16BeToUtf8(bytes, textLength);
    HeapString result;
    // Set's length 0 means "up to the NUL", which an empty record must not reach for.
    if (textLength > 0) result.Set(reinterpret_cast<const char*>(bytes), static_cast<int32_t>(textLength));
    return result;
  }
  return HeapString();
}

}  // namespace plugfw::gfx
