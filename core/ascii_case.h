#pragma once
// ASCII case folding, for texts that people type and names that hosts report. Any thread: pure.

namespace plugfw {

constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// True when the texts differ at most in the case of ASCII letters.
inline bool EqualsIgnoringAsciiCase(const char* a, const char* b) {
  for (; *a != 0 && AsciiLower(*a) == AsciiLower(*b); ++a, ++b) {
  }
  return AsciiLower(*a) == AsciiLower(*b);
}

}  // namespace plugfw
