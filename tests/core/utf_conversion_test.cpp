// The one UTF-8/UTF-16 conversion: well-formed text both ways, the replacement of each maximal
// ill-formed part by U+FFFD as the Unicode Standard counts them, texts that end without a
// terminator (read no further than their length, which AddressSanitizer watches), fixed fields
// cut on whole characters, and the cutting of UTF-8 to a prefix.

#include "core/utf_conversion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/utf8_prefix.h"

namespace plugfw {
namespace {

struct ToUtf16Case {
  const char* label;
  std::string utf8;
  std::u16string utf16;
  bool replaced;
};

TEST(ConvertUtf8ToUtf16, ReplacesEachMaximalIllFormedPartOnce) {
  const ToUtf16Case cases[] = {
      {"empty", "", u"", false},
      {"one to four bytes", "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5", u"A\u00E9\u20AC\U0001F3B5", false},
      {"the last code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF", false},
      {"either side of the surrogates", "\xED\x9F\xBF\xEE\x80\x80", u"\uD7FF\uE000", false},
      {"a Latin-1 byte", "caf\xE9", u"caf\uFFFD", true},
      {"over-long slash", "\xC0\xAF", u"\uFFFD\uFFFD", true},
      {"over-long three bytes", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD", true},
      {"an encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", true},
      {"past U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", true},
      {"a lead that never leads", "\xF5\x80", u"\uFFFD\uFFFD", true},
      {"three bytes of four, then ASCII",
       "\xF0\x9F\x8E"
       "A",
       u"\uFFFDA", true},
      {"two bytes of three at the end", "ab\xE2\x82", u"ab\uFFFD", true},
      {"a stray continuation", "a\x80z", u"a\uFFFDz", true},
  };
  for (const ToUtf16Case& c : cases) {
    bool replaced = !c.replaced;
    EXPECT_EQ(Utf16String<char16_t>(c.utf8.c_str(), kToTerminator, &replaced), c.utf16) << c.label;
    EXPECT_EQ(replaced, c.replaced) << c.label;
    EXPECT_EQ(Utf16String<char16_t>(c.utf8.data(), c.utf8.size()), c.utf16) << c.label << ", by length";
  }
  EXPECT_EQ(Utf16String<char16_t>(nullptr), u"");
}

struct ToUtf8Case {
  const char* label;
  std::u16string utf16;
  std::string utf8;
  bool replaced;
};

TEST(ConvertUtf16ToUtf8, ReplacesEachUnpairedSurrogate) {
  const ToUtf8Case cases[] = {
      {"empty", u"", "", false},
      {"one to four bytes", u"A\u00E9\u20AC\U0001F3B5", "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5", false},
      {"the last pair", u"\U0010FFFF", "\xF4\x8F\xBF\xBF", false},
      {"a high surrogate at the end", u"a\xD800", "a\xEF\xBF\xBD", true},
      {"a low surrogate first",
       u"\xDC00"
       u"b",
       "\xEF\xBF\xBD"
       "b",
       true},
      {"a pair the wrong way round", u"\xDC00\xD800", "\xEF\xBF\xBD\xEF\xBF\xBD", true},
      {"a high surrogate before ASCII",
       u"\xDBFF"
       u"z",
       "\xEF\xBF\xBD"
       "z",
       true},
  };
  for (const ToUtf8Case& c : cases) {
    bool replaced = !c.replaced;
    EXPECT_EQ(Utf8String<char16_t>(c.utf16.c_str(), kToTerminator, &replaced), c.utf8) << c.label;
    EXPECT_EQ(replaced, c.replaced) << c.label;
    EXPECT_EQ(Utf8String<char16_t>(c.utf16.data(), c.utf16.size()), c.utf8) << c.label << ", by length";
  }
}

// Blocks of exactly the text's size, without a terminator: a read past the length is reported.
TEST(TextConversion, ReadsNoFurtherThanTheLengthGiven) {
  const std::vector<char> cutSequence = {'a', '\xE2', '\x82'};
  EXPECT_EQ(Utf16String<char16_t>(cutSequence.data(), cutSequence.size()), u"a\uFFFD");
  const std::vector<char> wholeText = {'o', 'k'};
  EXPECT_EQ(Utf16String<char16_t>(wholeText.data(), wholeText.size()), u"ok");

  const std::vector<char16_t> halfPair = {u'x', 0xD83C};
  EXPECT_EQ(Utf8String<char16_t>(halfPair.data(), halfPair.size()), "x\xEF\xBF\xBD");
  // A length that ends inside a pair leaves its second half unread.
  const std::u16string note = u"\U0001F3B5";
  EXPECT_EQ(Utf8String<char16_t>(note.data(), 1), "\xEF\xBF\xBD");
}

TEST(TextConversion, FixedFieldsTakeWholeCharactersAndAreAlwaysTerminated) {
  char16_t units[3] = {u'#', u'#', u'#'};
  EXPECT_EQ(Utf8ToUtf16("a\xF0\x9F\x8E\xB5", units, 3), 1) << "the pair does not fit whole";
  EXPECT_EQ(std::u16string(units), u"a");
  EXPECT_EQ(Utf8ToUtf16("abc", units, 3), 2);
  EXPECT_EQ(std::u16string(units), u"ab");
  EXPECT_EQ(Utf8ToUtf16("abc", units, 0), 0);
  EXPECT_EQ(units[0], u'a') << "a field of no room is left alone";

  char bytes[5] = {'#', '#', '#', '#', '#'};
  EXPECT_EQ(Utf16ToUtf8(u"\u00E9\u20AC", bytes, 5), 2) << "the euro sign takes three bytes";
  EXPECT_STREQ(bytes, "\xC3\xA9");
  EXPECT_EQ(Utf16ToUtf8<char16_t>(nullptr, bytes, 5), 0);
  EXPECT_STREQ(bytes, "");

  // Measuring: nothing written, the whole length told.
  const TextConversion measured =
      ConvertUtf8ToUtf16<char16_t>("a\xF0\x9F\x8E\xB5", kToTerminator, nullptr, 0);
  EXPECT_EQ(measured.needed, 3u);
  EXPECT_EQ(measured.written, 0u);
}

// Every scalar value of the BMP and a spread of the others there and back again.
TEST(TextConversion, EveryScalarValueGoesThereAndBackUnchanged) {
  for (uint32_t codePoint = 1; codePoint <= 0x10FFFF; codePoint += codePoint < 0x10000 ? 1 : 97) {
    if (IsHighSurrogate(codePoint) || IsLowSurrogate(codePoint)) continue;
    std::u16string utf16;
    if (codePoint < 0x10000) {
      utf16 = std::u16string(1, static_cast<char16_t>(codePoint));
    } else {
      utf16 = {static_cast<char16_t>(0xD800 + ((codePoint - 0x10000) >> 10)),
               static_cast<char16_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF))};
    }
    bool replaced = true;
    const std::string utf8 = Utf8String<char16_t>(utf16.c_str(), kToTerminator, &replaced);
    ASSERT_FALSE(replaced) << codePoint;
    ASSERT_EQ(Utf16String<char16_t>(utf8.c_str()), utf16) << codePoint;
  }
}

#if WCHAR_MAX <= 0xFFFF
TEST(TextConversion, TheWindowsWideCharacterConvertsAlike) {
  EXPECT_EQ(Utf16String<wchar_t>("caf\xC3\xA9 \xE9"), L"caf\u00E9 \uFFFD");
  EXPECT_EQ(Utf8String<wchar_t>(L"\U0001F3B5\xD800"), "\xF0\x9F\x8E\xB5\xEF\xBF\xBD");
}
#endif

TEST(Utf8PrefixLength, NeverSplitsASequence) {
  const std::string text =
      "ab\xC3\xA9"
      "c\xE2\x82\xAC"
      "d\xF0\x9F\x8E\xB5";  // a b é c € d 🎵
  const int32_t length = static_cast<int32_t>(text.size());
  struct Case {
    int32_t room;
    int32_t kept;
  };
  const Case cases[] = {{100, length}, {2, 2}, {3, 2},  {4, 4},  {5, 5}, {6, 5},
                        {7, 5},        {8, 8}, {10, 9}, {12, 9}, {0, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8PrefixLength(text.c_str(), length, c.room), c.kept) << c.room;
    EXPECT_EQ(Utf8PrefixLength(text.c_str(), c.room), c.kept) << c.room << ", terminated";
  }
}

}  // namespace
}  // namespace plugfw
