#include "graphics/text_entry_utf.h"

#include <cstring>

#include "core/utf8_encode.h"
#include "core/utf_conversion.h"

namespace plugfw::gfx {
namespace {

constexpr uint32_t kHighSurrogateFirst = 0xD800;
constexpr uint32_t kLowSurrogateFirst = 0xDC00;
constexpr uint32_t kFirstSupplementary = 0x10000;
constexpr uint32_t kLastCodePoint = 0x10FFFF;
constexpr int32_t kEncodableLimit = 0x200000;

bool IsContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

// How many bytes the form a lead byte opens takes: 1 for ASCII, 0 for a continuation
// byte, 0xFE and 0xFF, which open nothing.
int32_t FormLength(uint8_t lead) {
  if (lead < 0x80) return 1;
  if (lead < 0xC0) return 0;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  if (lead < 0xF8) return 4;
  if (lead < 0xFC) return 5;
  if (lead < 0xFE) return 6;
  return 0;
}

bool OverLong(const uint8_t* bytes, int32_t form) {
  switch (form) {
    case 2:
      return bytes[0] < 0xC2;
    case 3:
      return bytes[0] == 0xE0 && bytes[1] < 0xA0;
    case 4:
      return bytes[0] == 0xF0 && bytes[1] < 0x90;
    default:
      return false;
  }
}

// The code point of a complete multi-byte form of two to four bytes.
uint32_t DecodeForm(const uint8_t* bytes, int32_t form) {
  static constexpr uint8_t kLeadMasks[] = {0, 0, 0x1F, 0x0F, 0x07};
  uint32_t codePoint = bytes[0] & kLeadMasks[form];
  for (int32_t i = 1; i < form; ++i) codePoint = (codePoint << 6) | (bytes[i] & 0x3F);
  return codePoint;
}

void AppendCodePoint(std::u16string& out, uint32_t codePoint) {
  if (codePoint < kFirstSupplementary) {
    out.push_back(static_cast<char16_t>(codePoint));
    return;
  }
  const uint32_t offset = codePoint - kFirstSupplementary;
  out.push_back(static_cast<char16_t>(kHighSurrogateFirst + (offset >> 10)));
  out.push_back(static_cast<char16_t>(kLowSurrogateFirst + (offset & 0x3FF)));
}

// Decodes one sequence at bytes (remaining > 0) into out; returns the bytes it took.
size_t DecodeOne(const uint8_t* bytes, size_t remaining, std::u16string& out) {
  const int32_t form = FormLength(bytes[0]);
  if (form == 1) {
    out.push_back(bytes[0]);
    return 1;
  }
  if (form == 0) {
    out.push_back(kUtf8Replacement);
    return 1;
  }
  bool complete = static_cast<size_t>(form) <= remaining;
  for (int32_t i = 1; complete && i < form; ++i) complete = IsContinuation(bytes[i]);
  if (!complete || OverLong(bytes, form)) {
    out.push_back(bytes[0]);  // the lead byte stands for itself
    return 1;
  }
  if (form > 4) {
    out.push_back(kUtf8Replacement);
    return static_cast<size_t>(form);
  }
  const uint32_t codePoint = DecodeForm(bytes, form);
  if (codePoint > kLastCodePoint) {
    out.push_back(kUtf8Replacement);
  } else {
    AppendCodePoint(out, codePoint);
  }
  return static_cast<size_t>(form);
}

}  // namespace

std::string Utf16ToUtf8String(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  char bytes[4];
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t codePoint = text[i];
    if (IsHighSurrogate(codePoint) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      codePoint = kFirstSupplementary + ((codePoint - kHighSurrogateFirst) << 10) +
                  (text[i + 1] - kLowSurrogateFirst);
      ++i;
    }
    out.append(bytes, static_cast<size_t>(EncodeUtf8CodePoint(codePoint, bytes)));
  }
  return out;
}

std::u16string Utf8ToUtf16String(const char* text, size_t length) {
  std::u16string out;
  if (!text) return out;
  out.reserve(length);
  const auto* bytes = reinterpret_cast<const uint8_t*>(text);
  for (size_t at = 0; at < length;) at += DecodeOne(bytes + at, length - at, out);
  return out;
}

std::u16string Utf8ToUtf16String(const char* text) {
  return Utf8ToUtf16String(text, text ? std::strlen(text) : 0);
}

int32_t EncodeUtf8(char* buffer, int32_t codePoint, int32_t bufferSize) {
  if (!buffer || bufferSize <= 0) return 0;
  if (bufferSize == 1) {
    buffer[0] = '\0';
    return 0;
  }
  if (codePoint < 0) codePoint = 0;
  char bytes[4];
  const int32_t length =
      codePoint < kEncodableLimit ? EncodeUtf8CodePoint(static_cast<uint32_t>(codePoint), bytes) : 0;
  if (length == 0 || length + 1 > bufferSize) {
    buffer[0] = static_cast<char>(kUtf8Replacement);
    buffer[1] = '\0';
    return 1;
  }
  std::memcpy(buffer, bytes, static_cast<size_t>(length));
  buffer[length] = '\0';
  return length;
}

uint32_t FirstCodePoint(const char* text, size_t length) {
  if (!text) return 0;
  const size_t bytes = strnlen(text, length);
  if (bytes == 0) return 0;
  const std::u16string units = Utf8ToUtf16String(text, bytes);
  if (units.size() >= 2 && IsHighSurrogate(units[0]) && IsLowSurrogate(units[1])) {
    return kFirstSupplementary + ((units[0] - kHighSurrogateFirst) << 10) + (units[1] - kLowSurrogateFirst);
  }
  return units[0];
}

}  // namespace plugfw::gfx
