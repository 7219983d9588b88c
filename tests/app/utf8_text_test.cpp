// The pure UTF-8 helpers: well-formedness by RFC 3629, the lenient conversion (when
// it gives up; what it converts follows the one conversion's rule), the ANSI
// look-alike check and the long-path prefix rules.

#include "app/utf8_text.h"

#include <gtest/gtest.h>

#include <string>

namespace plugfw {
namespace {

#if defined(_WIN32)
#define UTF16(text) L##text
#else
#define UTF16(text) u##text
#endif

using Utf16String = std::basic_string<Utf16Unit>;

struct Utf8Case {
  const char* label;
  const char* text;
  int32_t expected;
};

TEST(HasUtf8, ClassifiesTextByRfc3629) {
  const Utf8Case cases[] = {
      {"empty", "", 0},
      {"ascii", "plain/path.txt", 0},
      {"two-byte", "caf\xC3\xA9", 1},
      {"three-byte", "\xE2\x82\xAC 5", 1},
      {"four-byte", "\xF0\x9F\x8E\xB5", 1},
      {"lowest two-byte lead", "\xC2\x80", 1},
      {"highest code point", "\xF4\x8F\xBF\xBF", 1},
      {"last before surrogates", "\xED\x9F\xBF", 1},
      {"first after surrogates", "\xEE\x80\x80", 1},
      {"lone latin-1 byte", "caf\xE9", -1},
      {"utf-8 then a lone byte", "\xC3\xA9 and \xE9", -1},
      {"over-long C0", "\xC0\xAF", -1},
      {"over-long C1", "\xC1\xBF", -1},
      {"over-long three-byte", "\xE0\x9F\xBF", -1},
      {"over-long four-byte", "\xF0\x8F\xBF\xBF", -1},
      {"high surrogate", "\xED\xA0\x80", -1},
      {"low surrogate", "\xED\xBF\xBF", -1},
      {"above U+10FFFF", "\xF4\x90\x80\x80", -1},
      {"lead F5", "\xF5\x80\x80\x80", -1},
      {"lead F7", "\xF7\xBF\xBF\xBF", -1},
      {"five-byte form", "\xF8\x88\x80\x80\x80", -1},
      {"stray continuation", "a\x80", -1},
      {"cut short by the end", "ab\xE2\x82", -1},
      {"cut short by ascii", "\xE2\x82z", -1},
  };
  for (const Utf8Case& c : cases) EXPECT_EQ(HasUtf8(c.text), c.expected) << c.label;
  EXPECT_EQ(HasUtf8(nullptr), 0);
}

struct LenientCase {
  const char* label;
  const char* text;
  int32_t flags;
  bool converts;
  Utf16String expected;
};

TEST(WideFromUtf8Lenient, ConvertsMostlyUtf8TextAndGivesUpOnAnsi) {
  const LenientCase cases[] = {
      {"ascii", "Halcyra", 0, true, UTF16("Halcyra")},
      {"empty", "", 0, true, UTF16("")},
      {"utf-8", "Caf\xC3\xA9 \xE2\x82\xAC", 0, true, UTF16("Caf\u00E9 \u20AC")},
      {"beyond the BMP", "\xF0\x9F\x8E\xB5!", 0, true, UTF16("\U0001F3B5!")},
      {"one foreign byte among utf-8", "\xC3\xA9\xC3\xA9\xC3\xA9\xE9", 0, true,
       UTF16("\u00E9\u00E9\u00E9\uFFFD")},
      {"lone ansi byte", "caf\xE9", 0, false, UTF16("")},
      {"lone ansi byte, forced", "caf\xE9", kLenientForce, true, UTF16("caf\uFFFD")},
      {"an encoded surrogate, forced", "\xED\xA0\x80", kLenientForce, true, UTF16("\uFFFD\uFFFD\uFFFD")},
  };
  for (const LenientCase& c : cases) {
    Utf16Unit buffer[64];
    Utf16Unit* result = WideFromUtf8Lenient(c.text, buffer, 64, c.flags);
    if (!c.converts) {
      EXPECT_EQ(result, nullptr) << c.label;
      continue;
    }
    ASSERT_EQ(result, buffer) << c.label;
    EXPECT_EQ(Utf16String(result), c.expected) << c.label;
  }
  EXPECT_EQ(WideFromUtf8Lenient(nullptr, nullptr, 0, kLenientForce), nullptr);
}

TEST(WideFromUtf8Lenient, AllocatesOrCutsWhenTheBufferIsShort) {
  Utf16Unit small[4];
  Utf16Unit* grown = WideFromUtf8Lenient("abcdef\xC3\xA9", small, 4, 0);
  ASSERT_NE(grown, nullptr);
  EXPECT_NE(grown, small);
  EXPECT_EQ(Utf16String(grown), UTF16("abcdef\u00E9"));
  ReleaseLenientWide(grown, small);

  EXPECT_EQ(WideFromUtf8Lenient("abcdef", small, 4, kLenientTruncate), small);
  EXPECT_EQ(Utf16String(small), UTF16("abc"));

  // A surrogate pair that does not fit whole is left out, not split.
  Utf16Unit three[3];
  EXPECT_EQ(WideFromUtf8Lenient("a\xF0\x9F\x8E\xB5", three, 3, kLenientTruncate), three);
  EXPECT_EQ(Utf16String(three), UTF16("a"));

  Utf16Unit* withoutBuffer = WideFromUtf8Lenient("abc", nullptr, 0, 0);
  ASSERT_NE(withoutBuffer, nullptr);
  EXPECT_EQ(Utf16String(withoutBuffer), UTF16("abc"));
  ReleaseLenientWide(withoutBuffer, nullptr);
}

struct AnsiCase {
  const char* label;
  const char* utf8;
  const char* ansi;
  int32_t expected;
};

TEST(Utf8MatchesAnsi, ComparesTheCodePageRendering) {
  const AnsiCase cases[] = {
      {"ascii", "Line 1", "Line 1", 0},
      {"latin-1 character", "Caf\xC3\xA9", "Caf\xE9", 0},
      {"unrepresentable shown as ?", "Mic \xE2\x82\xAC", "Mic ?", 0},
      {"ascii never shown as ?", "Mic A", "Mic ?", 1},
      {"different character", "Caf\xC3\xA9", "Cafe", 1},
      {"ansi longer", "Caf", "Cafe", 1},
      {"utf-8 longer", "Cafe", "Caf", 1},
      {"five-byte form reads as _", "a\xF8\x88\x80\x80\x80", "a_", 0},
      {"both empty", "", "", 0},
  };
  for (const AnsiCase& c : cases) EXPECT_EQ(Utf8MatchesAnsi(c.utf8, c.ansi), c.expected) << c.label;
  EXPECT_EQ(Utf8MatchesAnsi(nullptr, ""), 1);
}

struct PrefixCase {
  const char* label;
  Utf16String path;
  int32_t minLength;
  bool prefixed;
  Utf16String expected;
};

Utf16String Repeat(const Utf16String& part, int count) {
  Utf16String result;
  for (int i = 0; i < count; ++i) result += part;
  return result;
}

TEST(LongPathPrefix, PrefixesLongFullyQualifiedPaths) {
  const Utf16String longTail = Repeat(UTF16("segment/"), 36) + UTF16("file.txt");  // 296 units
  const Utf16String longTailBack = Repeat(UTF16("segment\\"), 36) + UTF16("file.txt");
  const Utf16String dirTail = Repeat(UTF16("d"), 245);  // "C:\" + 245 = 248 units
  const PrefixCase cases[] = {
      {"drive path", UTF16("C:/") + longTail, kLongPathLength, true, UTF16("\\\\?\\C:\\") + longTailBack},
      {"unc path", UTF16("\\\\server\\share/") + longTail, kLongPathLength, true,
       UTF16("\\\\?\\UNC\\server\\share\\") + longTailBack},
      {"already verbatim", UTF16("\\\\?\\C:\\") + longTail, kLongPathLength, false,
       UTF16("\\\\?\\C:\\") + longTail},
      {"device namespace", UTF16("\\\\.\\pipe\\") + longTail, kLongPathLength, false,
       UTF16("\\\\.\\pipe\\") + longTail},
      {"relative path", longTail, kLongPathLength, false, longTail},
      {"drive-relative path", UTF16("C:") + longTail, kLongPathLength, false, UTF16("C:") + longTail},
      {"short drive path", UTF16("C:/short/file.txt"), kLongPathLength, false, UTF16("C:/short/file.txt")},
      {"directory at its limit", UTF16("C:\\") + dirTail, kLongDirectoryPathLength, true,
       UTF16("\\\\?\\C:\\") + dirTail},
      {"same path as a file", UTF16("C:\\") + dirTail, kLongPathLength, false, UTF16("C:\\") + dirTail},
  };
  for (const PrefixCase& c : cases) {
    Utf16String storage = c.path;
    storage.resize(c.path.size() + kLongPathPrefixRoom + 1, 0);
    EXPECT_EQ(LongPathPrefix(&storage[0], static_cast<int32_t>(storage.size()), c.minLength), c.prefixed)
        << c.label;
    EXPECT_EQ(Utf16String(storage.c_str()), c.expected) << c.label;
  }
}

TEST(LongPathPrefix, RefusesABufferWithoutRoomAndLeavesItAlone) {
  Utf16String path = UTF16("C:\\") + Repeat(UTF16("x"), 300);
  const Utf16String before = path;
  EXPECT_FALSE(LongPathPrefix(&path[0], static_cast<int32_t>(path.size() + 1)));
  EXPECT_EQ(path, before);
  EXPECT_FALSE(LongPathPrefix(nullptr, 0));
}

TEST(PathForms, RecogniseVerbatimAndFullyQualifiedPaths) {
  EXPECT_TRUE(IsVerbatimPath(UTF16("\\\\?\\C:\\a")));
  EXPECT_TRUE(IsVerbatimPath(UTF16("\\\\.\\COM1")));
  EXPECT_FALSE(IsVerbatimPath(UTF16("\\\\server\\share")));
  EXPECT_TRUE(IsFullyQualifiedPath(UTF16("c:/a")));
  EXPECT_TRUE(IsFullyQualifiedPath(UTF16("//server/share")));
  EXPECT_FALSE(IsFullyQualifiedPath(UTF16("\\rooted")));
  EXPECT_FALSE(IsFullyQualifiedPath(UTF16("C:a")));
  EXPECT_FALSE(IsFullyQualifiedPath(UTF16("")));
}

}  // namespace
}  // namespace plugfw
