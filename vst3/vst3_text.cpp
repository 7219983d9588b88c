#include "vst3/vst3_text.h"

#include "core/utf8_encode.h"

namespace plugfw {
namespace {

constexpr uint32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 character (RFC 3629); answers the bytes used, at least 1.
int32_t DecodeUtf8(const unsigned char* s, uint32_t& codePoint) {
  const unsigned char lead = s[0];
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  }
  int32_t length = 0;
  uint32_t value = 0;
  uint32_t minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, value = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, value = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, value = lead & 0x07, minimum = 0x10000;
  } else {
    codePoint = kReplacement;
    return 1;
  }
  for (int32_t i = 1; i < length; ++i) {
    if ((s[i] & 0xC0) != 0x80) {
      codePoint = kReplacement;
      return i;
    }
    value = (value << 6) | (s[i] & 0x3F);
  }
  const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
  codePoint = (value < minimum || value > 0x10FFFF || surrogate) ? kReplacement : value;
  return length;
}

}  // namespace

int32_t Utf8ToUtf16(const char* text, Steinberg::char16* out, int32_t capacity) {
  if (!out || capacity < 1) return 0;
  int32_t written = 0;
  const auto* s = reinterpret_cast<const unsigned char*>(text ? text : "");
  while (*s) {
    uint32_t codePoint = 0;
    const int32_t used = DecodeUtf8(s, codePoint);
    const int32_t units = codePoint >= 0x10000 ? 2 : 1;
    if (written + units > capacity - 1) break;
    if (units == 2) {
      codePoint -= 0x10000;
      out[written++] = static_cast<Steinberg::char16>(0xD800 + (codePoint >> 10));
      out[written++] = static_cast<Steinberg::char16>(0xDC00 + (codePoint & 0x3FF));
    } else {
      out[written++] = static_cast<Steinberg::char16>(codePoint);
    }
    s += used;
  }
  out[written] = 0;
  return written;
}

int32_t Utf16ToUtf8(const Steinberg::char16* text, char* out, int32_t capacity) {
  if (!out || capacity < 1) return 0;
  int32_t written = 0;
  for (const Steinberg::char16* p = text; p && *p; ++p) {
    uint32_t codePoint = static_cast<uint16_t>(*p);
    if (codePoint >= 0xD800 && codePoint <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
      codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (static_cast<uint16_t>(p[1]) - 0xDC00);
      ++p;
    } else if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
      codePoint = kReplacement;
    }
    char bytes[4];
    const int32_t length = EncodeUtf8CodePoint(codePoint, bytes);
    if (written + length > capacity - 1) break;
    for (int32_t i = 0; i < length; ++i) out[written++] = bytes[i];
  }
  out[written] = 0;
  return written;
}

}  // namespace plugfw
