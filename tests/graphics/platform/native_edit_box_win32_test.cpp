// The native edit box under Wine: typed keys go through its subclass, and the
// frame tick finishes the entry the way Enter, Escape or a focus change decided.

#include "graphics/platform/native_edit_box_win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/platform/clipboard_win32.h"
#include "tests/graphics/platform/test_window_win32.h"

namespace plugfw::gfx {
namespace {

using test::DispatchPending;

class NativeEditBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(window_.Handle(), nullptr);
    level_.InitDoubleParam("Level", 0., -60., 12., 0.1, "dB");
    style_.entryBackgroundColour = Colour(255, 10, 20, 30);
    style_.entryTextColour = Colour(255, 200, 210, 220);
  }

  // The box is tall enough for a second line, so a line break would land if let through.
  void OpenBox(const char* text, const IParam* param, int32_t maxLength = 32) {
    NativeEditRequest request;
    request.param = param;
    request.style = style_;
    request.bounds = Rect(10.f, 10.f, 110.f, 90.f);
    request.backing = 1.5f;
    request.maxLength = maxLength;
    request.text = text;
    ASSERT_TRUE(box_.Open(window_.Handle(), GetModuleHandleW(nullptr), request));
    DispatchPending();
  }

  void PostKey(WPARAM key) {
    PostMessageW(box_.Window(), WM_KEYDOWN, key, 1);
    PostMessageW(box_.Window(), WM_KEYUP, key, 0xC0000001);
    DispatchPending();  // translates the key into its character too
  }

  void Type(const std::vector<wchar_t>& characters) {
    for (wchar_t c : characters) PostMessageW(box_.Window(), WM_CHAR, c, 1);
    DispatchPending();
  }

  // Runs the frame tick; the applied text, or "(none)".
  std::string Tick(NativeEditTickAction expected) {
    std::string applied = "(none)";
    EXPECT_EQ(box_.OnTick([&](const std::string& text) { applied = text; }), expected);
    return applied;
  }

  test::TestWindow window_{DefWindowProcW, L"NativeEditParent"};
  IParam level_;
  TextStyle style_;
  NativeEditBox box_;
};

TEST_F(NativeEditBoxTest, OpensMarkedSubclassedAndFocusedWithTheTextSelected) {
  OpenBox("1.5", &level_);
  HWND edit = box_.Window();
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(box_.State().State(), NativeEditState::kFocused) << "the focus arrived through the subclass";
  EXPECT_EQ(GetWindowLongPtrW(edit, GWLP_USERDATA), NativeEditBox::kMarker);
  EXPECT_EQ(GetDlgCtrlID(edit), NativeEditBox::kControlId);
  DWORD start = 0, end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 3u);
  RECT place;
  GetWindowRect(edit, &place);
  EXPECT_EQ(place.right - place.left, 151) << "150 pixels at scale 1.5 and one more";

  NativeEditRequest second;
  EXPECT_FALSE(box_.Open(window_.Handle(), GetModuleHandleW(nullptr), second));
  EXPECT_EQ(box_.Window(), edit) << "a second request is ignored";
}

TEST_F(NativeEditBoxTest, EnterCommitsAtTheNextTickWithoutALineBreak) {
  OpenBox("1.5", &level_);
  PostKey(VK_RETURN);
  EXPECT_EQ(box_.State().State(), NativeEditState::kCommitAtTick);
  EXPECT_EQ(box_.Text(), "1.5");
  EXPECT_EQ(Tick(NativeEditTickAction::kCommit), "1.5");
  EXPECT_FALSE(box_.IsOpen());
  EXPECT_EQ(GetFocus(), window_.Handle()) << "the editor gets the keyboard back";
}

TEST_F(NativeEditBoxTest, EscapeDiscardsAtTheNextTick) {
  OpenBox("1.5", &level_);
  Type({'7'});
  PostKey(VK_ESCAPE);
  EXPECT_EQ(Tick(NativeEditTickAction::kCancel), "(none)");
  EXPECT_FALSE(box_.IsOpen());
}

TEST_F(NativeEditBoxTest, LosingTheFocusCommitsButNotAfterEscape) {
  OpenBox("-3", &level_);
  SetFocus(window_.Handle());
  EXPECT_EQ(Tick(NativeEditTickAction::kCommit), "-3");

  OpenBox("-3", &level_);
  PostKey(VK_ESCAPE);
  SetFocus(window_.Handle());
  EXPECT_EQ(Tick(NativeEditTickAction::kCancel), "(none)");
}

TEST_F(NativeEditBoxTest, ADecimalEntryKeepsOnlyNumberCharactersAndNoLineBreaks) {
  OpenBox("1.5", &level_);
  Type({'1', 'e', '3', '\n', '\r', 0x1B});  // replaces the selection
  EXPECT_EQ(box_.Text(), "13");
  Type({'-', '0', '.', '5'});
  EXPECT_EQ(box_.Text(), "13-0.5");
}

TEST_F(NativeEditBoxTest, PastingIntoANumericEntryWorks) {
  OpenBox("1.5", &level_);
  ASSERT_TRUE(SetClipboardText(window_.Handle(), "-42.5"));
  Type({0x16});  // Ctrl+V, onto the selected text
  EXPECT_EQ(box_.Text(), "-42.5");
}

TEST_F(NativeEditBoxTest, AnEntryWithoutParameterTakesAnyText) {
  OpenBox("", nullptr);
  Type({'H', 0x00E9, 'x', ' ', '&'});
  EXPECT_EQ(box_.Text(), "H\xC3\xA9x &");
}

TEST_F(NativeEditBoxTest, ReadsAtMost256UnitsWithoutSplittingACharacter) {
  OpenBox("", nullptr, 400);
  std::wstring text(255, L'a');
  text += L"\U0001F600";  // its second unit is the 257th
  SendMessageW(box_.Window(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  EXPECT_EQ(box_.Text(), std::string(255, 'a'));
  const std::wstring plain(300, L'b');
  SendMessageW(box_.Window(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(plain.c_str()));
  EXPECT_EQ(box_.Text(), std::string(256, 'b'));
}

TEST_F(NativeEditBoxTest, ColoursItselfWithTheStylesEntryColours) {
  OpenBox("1.5", &level_);
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(box_.ColourControl(dc, window_.Handle()), nullptr) << "not the box";
  EXPECT_EQ(box_.ColourControl(dc, box_.Window()), static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  EXPECT_EQ(GetBkColor(dc), RGB(10, 20, 30));
  EXPECT_EQ(GetDCBrushColor(dc), RGB(10, 20, 30));
  EXPECT_EQ(GetTextColor(dc), RGB(200, 210, 220));
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  DeleteDC(dc);
}

TEST_F(NativeEditBoxTest, EveryMessageOfTheBoxHidesTheTooltip) {
  int calls = 0;
  box_.SetOnAnyMessage([&] { ++calls; });
  OpenBox("1.5", &level_);
  const int afterOpen = calls;
  EXPECT_GT(afterOpen, 0);
  Type({'2'});
  EXPECT_GT(calls, afterOpen);
}

}  // namespace
}  // namespace plugfw::gfx
