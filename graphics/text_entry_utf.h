#pragma once
// The text entry's own conversions between the UTF-8 of the framework and the UTF-16 its
// editing engine works in. They never read past the text they are given, and every byte
// sequence converts to something: what is not well-formed UTF-8 is taken byte by byte.
// Pure functions; any thread.

#include <cstddef>
#include <cstdint>
#include <string>

namespace plugfw::gfx {

// What stands for a sequence that names no character.
inline constexpr char16_t kUtf8Replacement = u'_';

// A high surrogate followed by a low one is one code point; any other unit, an unpaired
// surrogate included, is encoded by itself.
std::string Utf16ToUtf8String(const std::u16string& text);

// Decodes length bytes. A lead byte stands for itself (as the code point of its value,
// one byte consumed) unless all its continuation bytes follow within the text and the
// form is not over-long. Stray continuation bytes, 0xFE, 0xFF, values above U+10FFFF and
// well-formed five- and six-byte forms become kUtf8Replacement. Code points from U+10000
// become surrogate pairs.
std::u16string Utf8ToUtf16String(const char* text, size_t length);
// A NUL-terminated text; null is empty.
std::u16string Utf8ToUtf16String(const char* text);

// Writes the UTF-8 form of codePoint and a NUL into buffer and returns the bytes before
// the NUL. A negative code point counts as 0. When the form and the NUL do not fit, or the
// code point is 0x200000 or more, writes "_" and a NUL (1); a buffer of one byte gets only
// the NUL (0), and a buffer of none nothing (0).
int32_t EncodeUtf8(char* buffer, int32_t codePoint, int32_t bufferSize);

// The first code point of a key's UTF-8 text of at most length bytes, 0 when it has none.
uint32_t FirstCodePoint(const char* text, size_t length);

}  // namespace plugfw::gfx
