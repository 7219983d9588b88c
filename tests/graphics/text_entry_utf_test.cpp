// The text entry's UTF-8 and UTF-16 conversions and its key codes, as tables.

#include "graphics/text_entry_utf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <optional>
#include <string>

#include "graphics/text_entry_keys.h"

namespace plugfw::gfx {
namespace {

struct DecodeCase {
  const char* what;
  std::string bytes;
  std::u16string units;
};

TEST(TextEntryUtf, Utf8DecodesWellFormedTextAndTakesEverythingElseByteByByte) {
  const DecodeCase cases[] = {
      {"ASCII", "12.5", u"12.5"},
      {"two bytes", "\xC3\xA9", u"\u00E9"},
      {"three bytes", "\xE2\x82\xAC", u"\u20AC"},
      {"four bytes: a surrogate pair", "\xF0\x9F\x8E\xB9", u"\U0001F3B9"},
      {"the last code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
      {"a lead byte at the end stands alone", "a\xC3", u"a\u00C3"},
      {"a three-byte lead cut short by the end", "\xE2\x82", u"\u00E2_"},
      {"a lead byte before a non-continuation",
       "\xC3"
       "A",
       u"\u00C3A"},
      {"a four-byte lead with two of three continuations", "\xF0\x9F\x8E!", u"\u00F0__!"},
      {"a stray continuation byte", "\x80x", u"_x"},
      {"0xFE and 0xFF", "\xFE\xFF", u"__"},
      {"over-long two bytes", "\xC0\xAF", u"\u00C0_"},
      {"over-long three bytes", "\xE0\x80\xAF", u"\u00E0__"},
      {"over-long four bytes", "\xF0\x80\x80\xAF", u"\u00F0___"},
      {"above U+10FFFF", "\xF4\x90\x80\x80", u"_"},
      {"a well-formed five-byte form", "\xF8\x88\x80\x80\x80z", u"_z"},
      {"a well-formed six-byte form", "\xFC\x84\x80\x80\x80\x80z", u"_z"},
      {"an encoded surrogate stays one unit", "\xED\xA0\x80", std::u16string(1, char16_t(0xD800))},
  };
  for (const DecodeCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Utf8ToUtf16String(c.bytes.data(), c.bytes.size()), c.units);
  }
}

TEST(TextEntryUtf, Utf8DecodingReadsOnlyTheBytesItIsGiven) {
  // A lead byte whose continuations lie beyond the given length stands alone, although the
  // buffer goes on: the decoder must not look there.
  const char buffer[] = "\xE2\x82\xAC";
  EXPECT_EQ(Utf8ToUtf16String(buffer, 1), u"\u00E2");
  EXPECT_EQ(Utf8ToUtf16String(buffer, 2), u"\u00E2_");
  EXPECT_EQ(Utf8ToUtf16String(nullptr, 4), u"");
  EXPECT_EQ(Utf8ToUtf16String(nullptr), u"");
  // A key's five bytes with no terminator inside them.
  const char key[5] = {'\xF0', '\x9F', '\x8E', '\xB9', 'x'};
  EXPECT_EQ(FirstCodePoint(key, sizeof key), 0x1F3B9u);
  EXPECT_EQ(FirstCodePoint("", 5), 0u);
}

TEST(TextEntryUtf, Utf16EncodesPairsAsOneCodePointAndLoneSurrogatesByThemselves) {
  struct Case {
    const char* what;
    std::u16string units;
    std::string bytes;
  };
  const Case cases[] = {
      {"ASCII", u"-3.5", "-3.5"},
      {"two bytes", u"\u00E9", "\xC3\xA9"},
      {"three bytes", u"\u20AC", "\xE2\x82\xAC"},
      {"a pair is four bytes", u"\U0001F3B9", "\xF0\x9F\x8E\xB9"},
      {"a lone high surrogate", std::u16string(1, char16_t(0xD83C)), "\xED\xA0\xBC"},
      {"a lone low surrogate", std::u16string(1, char16_t(0xDFB9)), "\xED\xBE\xB9"},
      {"a low before a high is no pair", std::u16string{char16_t(0xDFB9), char16_t(0xD83C)},
       "\xED\xBE\xB9\xED\xA0\xBC"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Utf16ToUtf8String(c.units), c.bytes);
  }
}

TEST(TextEntryUtf, EncodeUtf8WritesOnlyWhatFitsWithItsTerminator) {
  struct Case {
    const char* what;
    int32_t codePoint;
    int32_t bufferSize;
    int32_t written;
    std::string bytes;  // up to and with the terminator
  };
  const Case cases[] = {
      {"ASCII", 'A', 8, 1, std::string("A\0", 2)},
      {"three bytes", 0x20AC, 4, 3, std::string("\xE2\x82\xAC\0", 4)},
      {"four bytes", 0x1F3B9, 5, 4, std::string("\xF0\x9F\x8E\xB9\0", 5)},
      {"no room for the terminator", 0x20AC, 3, 1, std::string("_\0", 2)},
      {"0x200000 and above", 0x200000, 8, 1, std::string("_\0", 2)},
      {"a negative code point counts as 0", -5, 4, 1, std::string("\0\0", 2)},
      {"a buffer of one gets the terminator alone", 'A', 1, 0, std::string("\0", 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    char buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), '#');
    EXPECT_EQ(EncodeUtf8(buffer, c.codePoint, c.bufferSize), c.written);
    EXPECT_EQ(std::string(buffer, c.bytes.size()), c.bytes);
    EXPECT_EQ(buffer[c.bufferSize < 8 ? c.bufferSize : 7], '#');  // nothing past the buffer
  }
  char untouched = '#';
  EXPECT_EQ(EncodeUtf8(&untouched, 'A', 0), 0);
  EXPECT_EQ(untouched, '#');
}

struct KeyCase {
  const char* what;
  int32_t keyCode;
  const char* text;
  bool shift, control, alt;
  std::optional<EntryCharacters> allowed;
  TextEntryKeyAction::Kind kind;
  uint32_t code;
};

KeyEvent MakeKey(const KeyCase& c) {
  KeyEvent key;
  key.keyCode = c.keyCode;
  std::snprintf(key.utf8, sizeof key.utf8, "%s", c.text);
  key.shift = c.shift;
  key.control = c.control;
  key.alt = c.alt;
  return key;
}

TEST(TextEntryKeys, KeysBecomeShortcutsEndsOrEngineCodes) {
  using Kind = TextEntryKeyAction::Kind;
  constexpr EntryCharacters kAny = EntryCharacters::kAny;
  constexpr EntryCharacters kInt = EntryCharacters::kInteger;
  constexpr EntryCharacters kDec = EntryCharacters::kDecimal;
  const KeyCase cases[] = {
      {"left", 0x25, "", false, false, false, kAny, Kind::kEngine, 0x80000025},
      {"right", 0x27, "", false, false, false, kAny, Kind::kEngine, 0x80000027},
      {"up", 0x26, "", false, false, false, kAny, Kind::kEngine, 0x80000026},
      {"down", 0x28, "", false, false, false, kAny, Kind::kEngine, 0x80000028},
      {"home", 0x24, "", false, false, false, kAny, Kind::kEngine, 0x80000024},
      {"end", 0x23, "", false, false, false, kAny, Kind::kEngine, 0x80000023},
      {"page up", 0x21, "", false, false, false, kAny, Kind::kEngine, 0x80000021},
      {"page down", 0x22, "", false, false, false, kAny, Kind::kEngine, 0x80000022},
      {"delete", 0x2E, "", false, false, false, kInt, Kind::kEngine, 0x8000002E},
      {"backspace", 0x08, "\b", false, false, false, kInt, Kind::kEngine, 0x80000008},
      {"insert is never typed", 0x2D, "", false, false, false, kInt, Kind::kEngine, 0x8000002D},
      {"shift extends a movement", 0x25, "", true, false, false, kAny, Kind::kEngine, 0xC0000025},
      {"word left", 0x25, "", false, true, false, kAny, Kind::kEngine, 0xA0000025},
      {"text start", 0x24, "", false, true, false, kAny, Kind::kEngine, 0xA0000024},
      {"undo", 'Z', "\x1A", false, true, false, kAny, Kind::kEngine, 0x2000007A},
      {"redo", 'Z', "\x1A", true, true, false, kAny, Kind::kEngine, 0x6000007A},
      {"select all", 'A', "\x01", false, true, false, kAny, Kind::kSelectAll, 0},
      {"copy", 'C', "\x03", false, true, false, kAny, Kind::kCopy, 0},
      {"paste", 'V', "\x16", false, true, false, kAny, Kind::kPaste, 0},
      {"cut", 'X', "\x18", false, true, false, kAny, Kind::kCut, 0},
      {"AltGr with C types its character", 'C', "\xC4\x87", false, true, true, kAny, Kind::kEngine,
       0x30000107},
      {"enter commits", 0x0D, "\r", false, false, false, kAny, Kind::kCommit, 0},
      {"escape cancels", 0x1B, "\x1B", false, false, false, kAny, Kind::kCancel, 0},
      {"tab is not the entry's", 0x09, "\t", false, false, false, kAny, Kind::kNotHandled, 0},
      {"space types a blank", 0x20, " ", false, false, false, kInt, Kind::kEngine, 0x20},
      {"a letter", 'A', "a", false, false, false, kAny, Kind::kEngine, 'a'},
      {"a capital carries shift", 'A', "A", true, false, false, kAny, Kind::kEngine, 0x40000041},
      {"a letter refused by an integer", 'A', "a", false, false, false, kInt, Kind::kEngine, 0x80000041},
      {"a digit for an integer", '7', "7", false, false, false, kInt, Kind::kEngine, '7'},
      {"a number-pad digit", 0x67, "7", false, false, false, kInt, Kind::kEngine, '7'},
      {"plus on its own key", 0xBB, "+", true, false, false, kInt, Kind::kEngine, 0x4000002B},
      {"minus", 0xBD, "-", false, false, false, kInt, Kind::kEngine, '-'},
      {"a full stop refused by an integer", 0xBE, ".", false, false, false, kInt, Kind::kEngine, 0x800000BE},
      {"a full stop for a double", 0xBE, ".", false, false, false, kDec, Kind::kEngine, '.'},
      {"the number pad's point for a double", 0x6E, ".", false, false, false, kDec, Kind::kEngine, '.'},
      {"a comma refused by a double", 0xBC, ",", false, false, false, kDec, Kind::kEngine, 0x800000BC},
      {"a key without text", 0x70, "", false, false, false, kAny, Kind::kEngine, 0x80000070},
      {"nothing in edit types nothing", '7', "7", false, false, false, std::nullopt, Kind::kNotHandled, 0},
      {"a character beyond one unit", 0, "\xF0\x9F\x8E\xB9", false, false, false, kAny, Kind::kEngine,
       0x1F3B9},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.what);
    const TextEntryKeyAction action = TranslateTextEntryKey(MakeKey(c), c.allowed);
    EXPECT_EQ(action.kind, c.kind);
    if (c.kind == Kind::kEngine) {
      EXPECT_EQ(action.code, c.code) << std::hex << action.code;
    }
  }
}

TEST(TextEntryKeys, OnlyPrintableTypedCharactersAreInserted) {
  EXPECT_EQ(EngineCodeToCharacter('a'), 'a');
  EXPECT_EQ(EngineCodeToCharacter(0x40000041), 'A');
  EXPECT_EQ(EngineCodeToCharacter(0x30000107), 0x107);
  EXPECT_EQ(EngineCodeToCharacter(0x1F3B9), 0x1F3B9);
  EXPECT_EQ(EngineCodeToCharacter(0x80000041), -1);  // a refused key
  EXPECT_EQ(EngineCodeToCharacter(0x20000003), -1);  // a control character
  EXPECT_EQ(EngineCodeToCharacter('\n'), -1);
  EXPECT_EQ(EngineCodeToCharacter(0x7F), -1);
  EXPECT_EQ(EngineCodeToCharacter(0xD800), -1);
}

}  // namespace
}  // namespace plugfw::gfx
