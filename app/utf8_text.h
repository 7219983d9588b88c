#pragma once
// Pure UTF-8 helpers behind the Win32 UTF-8 shims: well-formedness (RFC 3629),
// the lenient UTF-8 to UTF-16 conversion, the ANSI look-alike check and the
// long-path prefix rules. The conversions themselves are core/utf_conversion.h's.
// No platform calls and no shared state: any thread.

#include <cstddef>
#include <cstdint>

namespace plugfw {

// One UTF-16 code unit: the platform's wide character on Windows.
#if defined(_WIN32)
using Utf16Unit = wchar_t;
#else
using Utf16Unit = char16_t;
#endif
static_assert(sizeof(Utf16Unit) == 2, "UTF-16 units are two bytes");

// 0 for null or 7-bit text; 1 when every byte of 0x80 or more belongs to a
// well-formed multi-byte sequence; -1 when any such byte does not.
int32_t HasUtf8(const char* text);

enum LenientFlags : int32_t {
  kLenientForce = 1,     // convert even text that looks like ANSI code-page text
  kLenientTruncate = 2,  // cut the result to the caller's buffer instead of allocating
};

// UTF-16 from text that is mostly UTF-8, NUL-terminated, by the one conversion's
// rule (what is not well-formed becomes U+FFFD). Returns
// buffer when the result fits (or was cut to it), a new block from std::malloc
// otherwise (release it with ReleaseLenientWide), or null when the text looks like
// ANSI text (without kLenientForce), is null, or nothing could be had.
Utf16Unit* WideFromUtf8Lenient(const char* text, Utf16Unit* buffer, int32_t capacity, int32_t flags);
void ReleaseLenientWide(Utf16Unit* result, const Utf16Unit* buffer);

// 0 when ansi is utf8 as a single-byte code page shows it: each character is its
// own byte value, or "?" where the code page has no 7-bit stand-in; else 1.
int32_t Utf8MatchesAnsi(const char* utf8, const char* ansi);

// Lengths from which a path needs the long-path prefix: MAX_PATH less room for a
// file name in general, and the tighter limit that directory creation enforces.
constexpr int32_t kLongPathLength = 256;
constexpr int32_t kLongDirectoryPathLength = 248;

// Gives a fully qualified wide path of at least minLength units the long-path
// prefix in place ("\\?\" for drive paths, "\\?\UNC\" for UNC paths) and turns
// its slashes into backslashes. Paths already in the "\\?\" or "\\.\" namespaces,
// relative paths and shorter paths are left alone. path must have room for
// kLongPathPrefixRoom more units than its length plus the terminator; capacity
// is its size in units. Returns true when the prefix was added.
constexpr int32_t kLongPathPrefixRoom = 6;
bool LongPathPrefix(Utf16Unit* path, int32_t capacity, int32_t minLength = kLongPathLength);

// True for "\\?\..." and "\\.\..." paths, which the platform takes verbatim.
bool IsVerbatimPath(const Utf16Unit* path);
// True for drive paths ("C:\", "C:/") and UNC paths ("\\server"): paths that do
// not depend on a current directory or drive.
bool IsFullyQualifiedPath(const Utf16Unit* path);

}  // namespace plugfw
