#pragma once
// UTF-8 and UTF-16 both ways: the one conversion that the VST3 texts, resource names and paths,
// the settings file, the Win32 shims and the editor window all use. One rule for bad input:
// each maximal ill-formed part of UTF-8 (the longest start of a sequence that could still have
// been well-formed by RFC 3629, else one byte) and each unpaired surrogate of UTF-16 becomes
// U+FFFD, and the result says that happened, so that callers for which a changed character would
// name something else (paths, addresses) can refuse the text. Nothing past the given length or
// the terminator is read. Any thread: pure functions.

#include <cstddef>
#include <cstdint>
#include <string>

namespace plugfw {

constexpr uint32_t kReplacementCharacter = 0xFFFD;
// As a length: the text ends at its terminator.
constexpr size_t kToTerminator = static_cast<size_t>(-1);

constexpr bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// One character of UTF-8: a well-formed sequence (ASCII and NUL included), or the maximal
// ill-formed part at that place, which stands for U+FFFD.
struct Utf8Character {
  uint32_t codePoint = kReplacementCharacter;
  int32_t length = 1;  // bytes
  bool wellFormed = false;
};
// The character at text; available (at least 1) is how many bytes may be read from there.
Utf8Character DecodeUtf8Character(const char* text, size_t available);

struct TextConversion {
  size_t written = 0;  // units or bytes put into the output, its terminator not counted
  size_t needed = 0;   // units or bytes the whole text takes, its terminator not counted
  bool replaced = false;
};

// length bytes of text (or up to its terminator; null text is empty) into out: at most
// capacity - 1 units and a terminator, nothing with capacity 0 (which measures). A character is
// never split: a surrogate pair that does not fit is left out whole. Unit is char16_t, or wchar_t
// where it is two bytes (Windows).
template <typename Unit>
TextConversion ConvertUtf8ToUtf16(const char* text, size_t length, Unit* out, size_t capacity);
// The same the other way: at most capacity - 1 bytes and a terminator, whole characters only.
template <typename Unit>
TextConversion ConvertUtf16ToUtf8(const Unit* text, size_t length, char* out, size_t capacity);

// For fixed fields: NUL-terminated text into out of capacity units or bytes, cut on a whole
// character and always terminated (when capacity > 0); answers the units or bytes written.
template <typename Unit>
int32_t Utf8ToUtf16(const char* text, Unit* out, int32_t capacity);
template <typename Unit>
int32_t Utf16ToUtf8(const Unit* text, char* out, int32_t capacity);

// Whole strings; replaced (when given) tells whether anything became U+FFFD. They allocate, so
// they may throw std::bad_alloc like any string.
template <typename Unit>
std::basic_string<Unit> Utf16String(const char* text, size_t length = kToTerminator,
                                    bool* replaced = nullptr);
template <typename Unit>
std::string Utf8String(const Unit* text, size_t length = kToTerminator, bool* replaced = nullptr);

}  // namespace plugfw
