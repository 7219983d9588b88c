#pragma once
// Cutting text to a fixed capacity without splitting a UTF-8 character: the rule every fixed-size
// name and label field of the framework, the settings file and the Win32 shims follow. Any
// thread: pure functions.

#include <cstdint>
#include <cstring>

namespace plugfw {

// The longest prefix, of the length bytes of text, within maxBytes that does not split a UTF-8
// sequence.
inline int32_t Utf8PrefixLength(const char* text, int32_t length, int32_t maxBytes) {
  if (length <= maxBytes) return length;
  int32_t cut = maxBytes > 0 ? maxBytes : 0;
  // Back over at most three continuation bytes: the longest sequence is four bytes.
  const auto isContinuation = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
  for (int32_t backed = 0; backed < 3 && cut > 0 && isContinuation(text[cut]); ++backed) --cut;
  return cut;
}

// The same for NUL-terminated text, read no further than it needs.
inline int32_t Utf8PrefixLength(const char* text, int32_t maxBytes) {
  int32_t length = 0;
  while (length < maxBytes && text[length] != 0) ++length;
  if (text[length] == 0) return length;
  return Utf8PrefixLength(text, length + 1, maxBytes);
}

// Copies as much of text (null: "") as fits with its terminator, cut at a character boundary.
template <int32_t N>
void CopyUtf8Prefix(char (&target)[N], const char* text) {
  if (!text) text = "";
  const int32_t length = Utf8PrefixLength(text, N - 1);
  std::memcpy(target, text, static_cast<size_t>(length));
  target[length] = 0;
}

}  // namespace plugfw
