// Clipboard text and file paths under Wine, with a test window as the owner.

#include "graphics/platform/clipboard_win32.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <string>

#include "tests/graphics/platform/test_window_win32.h"

namespace plugfw::gfx {
namespace {

class Clipboard : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(window_.Handle(), nullptr); }

  // The clipboard's Unicode text exactly as stored: every unit of the block.
  std::wstring StoredUnits() {
    std::wstring units;
    if (!OpenClipboard(window_.Handle())) return units;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      const auto* text = static_cast<const wchar_t*>(GlobalLock(data));
      if (text != nullptr) units.assign(text, GlobalSize(data) / sizeof(wchar_t));
      GlobalUnlock(data);
    }
    CloseClipboard();
    return units;
  }

  test::TestWindow window_{DefWindowProcW, L"ClipboardOwner"};
};

TEST_F(Clipboard, TextRoundTripsWithTheWindowAsOwner) {
  ASSERT_TRUE(SetClipboardText(window_.Handle(), "abc"));
  EXPECT_EQ(GetClipboardOwner(), window_.Handle());
  const std::wstring stored = StoredUnits();
  ASSERT_GE(stored.size(), 4u);
  EXPECT_EQ(stored.substr(0, 4), std::wstring(L"abc\0", 4)) << "three letters and a terminator";
  std::string text;
  ASSERT_TRUE(GetClipboardText(window_.Handle(), &text));
  EXPECT_EQ(text, "abc");

  const std::string chorus = "Ch\xC5\x93ur \xE2\x99\xAA \xF0\x9F\x8E\xB6";  // oe ligature, a note, notes
  ASSERT_TRUE(SetClipboardText(window_.Handle(), chorus.c_str()));
  ASSERT_TRUE(GetClipboardText(window_.Handle(), &text));
  EXPECT_EQ(text, chorus);
}

TEST_F(Clipboard, AnEmptyTextEmptiesTheClipboard) {
  ASSERT_TRUE(SetClipboardText(window_.Handle(), "abc"));
  EXPECT_TRUE(SetClipboardText(window_.Handle(), ""));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  std::string text = "left over";
  EXPECT_FALSE(GetClipboardText(window_.Handle(), &text));
  EXPECT_EQ(text, "");
}

TEST_F(Clipboard, TextThatIsNotUtf8LeavesTheClipboardAsItWas) {
  ASSERT_TRUE(SetClipboardText(window_.Handle(), "kept"));
  EXPECT_FALSE(SetClipboardText(window_.Handle(), "caf\xE9"));
  EXPECT_FALSE(SetClipboardText(window_.Handle(), nullptr));
  std::string text;
  ASSERT_TRUE(GetClipboardText(window_.Handle(), &text));
  EXPECT_EQ(text, "kept");
}

TEST_F(Clipboard, AFilePathArrivesAsAFileList) {
  const std::string path = "C:\\Audio\\Caf\xC3\xA9 take.wav";
  ASSERT_TRUE(SetClipboardFilePath(window_.Handle(), path.c_str()));
  EXPECT_EQ(GetClipboardOwner(), window_.Handle());
  ASSERT_TRUE(OpenClipboard(window_.Handle()));
  auto drop = static_cast<HDROP>(GetClipboardData(CF_HDROP));
  ASSERT_NE(drop, nullptr);
  EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 1u);
  wchar_t read[MAX_PATH] = {};
  DragQueryFileW(drop, 0, read, MAX_PATH);
  CloseClipboard();
  EXPECT_STREQ(read, L"C:\\Audio\\Caf\u00E9 take.wav");

  EXPECT_FALSE(SetClipboardFilePath(window_.Handle(), ""));
}

}  // namespace
}  // namespace plugfw::gfx
