// The editor window's services under Wine: a real popup menu driven by keys, the native edit
// box finished by the frame tick, the clipboard with the editor as owner, and tooltips.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/heap_string.h"
#include "graphics/popup_menu.h"
#include "tests/graphics/platform/editor_tooltip_win32.h"
#include "tests/graphics/platform/editor_window_fixture_win32.h"

namespace plugfw::gfx {
namespace {

using test::EditorHost;

class EditorServices : public testing::Test {
 protected:
  void SetUp() override {
    window_ = host_.Open();
    ASSERT_NE(window_, nullptr);
  }

  IPopupMenu* ShowMenuWithKeys(IPopupMenu& menu, std::vector<WPARAM> keys) {
    plugfw::test::PostKeysInsideNextModalLoop(window_, std::move(keys));
    bool isAsync = true;
    IPopupMenu* chosen = host_.Gfx()->ShowNativePopupMenu(menu, test::kBlueBounds, isAsync);
    EXPECT_FALSE(isAsync);
    return chosen;
  }

  // Opens the native edit box for the blue control, as a value prompt with no drawn text
  // entry attached does.
  HWND OpenEditBox(const char* text) {
    host_.Gfx()->CreateTextEntry(host_.Blue(), TextStyle(), test::kBlueBounds, text, -1);
    return host_.Gfx()->EditBox().Window();
  }
  void Key(HWND target, WPARAM key) {
    SendMessageW(target, WM_KEYDOWN, key, 1);
    SendMessageW(target, WM_KEYUP, key, 0xC0000001);
  }
  bool EditBoxGone() {
    return test::PumpMessagesUntil([&] { return !host_.Gfx()->EditBox().IsOpen(); });
  }

  EditorHost host_;
  HWND window_ = nullptr;
};

TEST_F(EditorServices, AKeyDrivenMenuChoosesInASubmenuAndRunsItsCompletion) {
  int completions = 0;
  IPopupMenu* completed = nullptr;
  auto structures = std::make_unique<IPopupMenu>(
      nullptr, std::initializer_list<const char*>{"Digital Classic", "Dual Stereo", "Dimension"},
      [&](IPopupMenu& menu) {
        ++completions;
        completed = &menu;
      });
  IPopupMenu* submenu = structures.get();
  IPopupMenu root;
  root.AddItem("Bypass");
  root.AddItem("Structure", std::move(structures));
  // Down to "Structure", into it, down to "Dual Stereo", Enter.
  IPopupMenu* chosen = ShowMenuWithKeys(root, {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN});
  EXPECT_EQ(chosen, submenu);
  EXPECT_EQ(submenu->GetChosenItemIdx(), 1);
  EXPECT_EQ(completions, 1);
  EXPECT_EQ(completed, submenu);
  RECT update;
  EXPECT_TRUE(GetUpdateRect(window_, &update, FALSE)) << "the editor redraws where the menu was";
}

TEST_F(EditorServices, ADismissedMenuAnswersNull) {
  int completions = 0;
  IPopupMenu root(nullptr, {"One", "Two"}, [&](IPopupMenu&) { ++completions; });
  EXPECT_EQ(ShowMenuWithKeys(root, {VK_DOWN, VK_ESCAPE}), nullptr);
  EXPECT_EQ(completions, 0);
  EXPECT_EQ(root.GetChosenItemIdx(), IPopupMenu::kNothingChosen);
}

TEST_F(EditorServices, TheEditBoxCommitsOnEnterAtTheNextTick) {
  HWND edit = OpenEditBox("0.5");
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(GetParent(edit), window_);
  EXPECT_EQ(GetFocus(), edit);
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"-12.5"));
  Key(edit, VK_RETURN);
  EXPECT_TRUE(host_.Gfx()->EditBox().IsOpen()) << "the tick finishes it, not the key";
  ASSERT_TRUE(EditBoxGone());
  EXPECT_EQ(host_.Blue()->textEntries, std::vector<std::string>{"-12.5"});
  EXPECT_EQ(host_.Gfx()->GetControlInTextEntry(), nullptr);
  EXPECT_EQ(GetFocus(), window_) << "the editor has the keyboard again";
}

TEST_F(EditorServices, FramesGoOnAfterAnEditBoxThatHadTheFocusWhileTicksCame) {
  ASSERT_TRUE(host_.Gfx()->FramesPacedByVerticalBlank());
  for (const WPARAM ending : {WPARAM{VK_RETURN}, WPARAM{VK_ESCAPE}}) {
    SCOPED_TRACE(ending == VK_RETURN ? "Enter" : "Escape");
    HWND edit = OpenEditBox("0.5");
    ASSERT_NE(edit, nullptr);
    // Ticks arrive while the box has the focus; the editor draws nothing meanwhile.
    test::PumpMessagesFor(150);
    for (const wchar_t typed : {L'4', L'2'}) PostMessageW(edit, WM_CHAR, typed, 1);
    test::PumpMessagesFor(50);
    Key(edit, ending);
    ASSERT_TRUE(EditBoxGone()) << "a tick came to finish the entry";
    const int ticks = host_.Ticks();
    host_.Red()->SetColour(test::kBlue);
    ASSERT_TRUE(host_.WaitForTicks(3)) << "and the editor draws again";
    EXPECT_GT(host_.Ticks(), ticks);
  }
  EXPECT_EQ(host_.Blue()->textEntries, std::vector<std::string>{"42"});
}

TEST_F(EditorServices, TheEditBoxDiscardsOnEscape) {
  HWND edit = OpenEditBox("7");
  ASSERT_NE(edit, nullptr);
  Key(edit, VK_ESCAPE);
  ASSERT_TRUE(EditBoxGone());
  EXPECT_TRUE(host_.Blue()->textEntries.empty());
  EXPECT_EQ(host_.Gfx()->GetControlInTextEntry(), nullptr);
}

TEST_F(EditorServices, TheEditBoxCommitsWhenItLosesTheFocus) {
  HWND edit = OpenEditBox("3");
  ASSERT_NE(edit, nullptr);
  SetFocus(window_);
  ASSERT_TRUE(EditBoxGone());
  EXPECT_EQ(host_.Blue()->textEntries, std::vector<std::string>{"3"});
}

TEST_F(EditorServices, AClickOnTheEditorWhileTheBoxHasTheFocusCancelsWithoutReachingAControl) {
  HWND edit = OpenEditBox("9");
  ASSERT_NE(edit, nullptr);
  SendMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(70, 50));
  SendMessageW(window_, WM_LBUTTONUP, 0, MAKELPARAM(70, 50));
  ASSERT_TRUE(EditBoxGone());
  EXPECT_TRUE(host_.Blue()->textEntries.empty());
  EXPECT_TRUE(host_.Red()->events.empty()) << "the click was not dispatched";
}

TEST_F(EditorServices, TheClipboardRoundTripsTextWithTheEditorAsOwner) {
  IGfxWin& gfx = *host_.Gfx();
  ASSERT_TRUE(gfx.SetTextInClipboard("Vintage Ensemble \xE2\x80\x93 d\xC3\xA9tune"));
  EXPECT_EQ(GetClipboardOwner(), window_);
  HeapString text;
  ASSERT_TRUE(gfx.GetTextFromClipboard(text));
  EXPECT_STREQ(text.Get(), "Vintage Ensemble \xE2\x80\x93 d\xC3\xA9tune");
  ASSERT_TRUE(gfx.SetTextInClipboard(""));
  EXPECT_FALSE(gfx.GetTextFromClipboard(text)) << "an empty text leaves the clipboard empty";
  EXPECT_STREQ(text.Get(), "");
}

TEST(EditorTooltips, HoveringAControlShowsItsTooltipAndLeavingHidesIt) {
  EditorHost host;
  host.EnableTooltipsAtLayout();
  HWND window = host.Open();
  ASSERT_NE(window, nullptr);
  host.Blue()->SetTooltip("Depth of the modulation");
  HWND tooltip = test::FindEditorTooltip(window);
  ASSERT_NE(tooltip, nullptr);

  SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(210, 140));
  SendMessageW(window, WM_MOUSEHOVER, 0, MAKELPARAM(210, 140));
  EXPECT_EQ(test::EditorTooltipText(tooltip, window), L"Depth of the modulation");
  SendMessageW(window, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(test::EditorTooltipText(tooltip, window), L"");
  EXPECT_EQ(host.Blue()->Kinds().back(), "out");
}

}  // namespace
}  // namespace plugfw::gfx
