// UTF-8 to UTF-16 at the Win32 calls.

#include "graphics/platform/wide_text_win32.h"

#include <gtest/gtest.h>

#include <string>

namespace plugfw::gfx {
namespace {

TEST(Utf8ToWide, ConvertsWhenItFitsAndLeavesEmptyOtherwise) {
  wchar_t buffer[8];
  EXPECT_EQ(Utf8ToWide(buffer, "Caf\xC3\xA9", 8), 5);
  EXPECT_STREQ(buffer, L"Caf\u00E9");
  EXPECT_EQ(Utf8ToWide(buffer, "Caf\xC3\xA9", 5), 5) << "exactly enough";
  EXPECT_STREQ(buffer, L"Caf\u00E9");
  EXPECT_EQ(Utf8ToWide(buffer, "Caf\xC3\xA9", 4), 5);
  EXPECT_STREQ(buffer, L"") << "too small: nothing, not a cut";
  EXPECT_EQ(Utf8ToWide(nullptr, "\xF0\x9F\x8E\xB6", 0), 3) << "a pair and the terminator";
  EXPECT_EQ(Utf8ToWide(buffer, nullptr, 8), 1);
  EXPECT_STREQ(buffer, L"");
}

TEST(WideFromUtf8, ReplacesWhatIsNotUtf8UnlessStrict) {
  EXPECT_EQ(WideFromUtf8("caf\xE9"), L"caf\uFFFD");
  std::wstring wide = L"old";
  EXPECT_FALSE(WideFromUtf8Strict("caf\xE9", &wide));
  EXPECT_EQ(wide, L"");
  EXPECT_TRUE(WideFromUtf8Strict("caf\xC3\xA9", &wide));
  EXPECT_EQ(wide, L"caf\u00E9");
  EXPECT_TRUE(WideFromUtf8Strict("", &wide));
  EXPECT_EQ(wide, L"");
}

TEST(Utf8FromWide, RefusesUnpairedSurrogates) {
  std::string utf8;
  EXPECT_TRUE(Utf8FromWide(L"\u00E9\U0001F3B6", -1, &utf8));
  EXPECT_EQ(utf8, "\xC3\xA9\xF0\x9F\x8E\xB6");
  EXPECT_TRUE(Utf8FromWide(L"abc", 2, &utf8));
  EXPECT_EQ(utf8, "ab");
  const wchar_t broken[] = {L'a', 0xD800, L'b', 0};
  EXPECT_FALSE(Utf8FromWide(broken, -1, &utf8));
  EXPECT_EQ(utf8, "");
}

}  // namespace
}  // namespace plugfw::gfx
