// Native popup menus under Wine: a real TrackPopupMenu driven by key messages
// posted once the menu waits for input.

#include "graphics/platform/native_menu_win32.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/graphics/platform/test_window_win32.h"

namespace plugfw::gfx {
namespace {

// The keys the menu gets once it first waits for input.
std::vector<WPARAM> gScript;
bool gScriptSent = false;

void SendScript(HWND window) {
  if (gScriptSent) return;
  gScriptSent = true;
  for (WPARAM key : gScript) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, 0xC0000001);
  }
}

LRESULT CALLBACK OwnerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ENTERIDLE && wParam == MSGF_MENU) SendScript(window);
  return DefWindowProcW(window, message, wParam, lParam);
}

// In case the menu loop never reports that it waits.
void CALLBACK ScriptTimer(HWND window, UINT, UINT_PTR, DWORD) { SendScript(window); }

class NativeMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(window_.Handle(), nullptr);
    auto submenu = std::make_unique<IPopupMenu>(
        nullptr, std::initializer_list<const char*>{"BBD", "Tape & Echo", "Vintage"},
        [this](IPopupMenu& menu) {
          ++submenuCompletions_;
          completedWith_ = &menu;
        });
    submenu_ = submenu.get();
    root_.AddItem("Digital");
    root_.AddItem("Analog", std::move(submenu));
    root_.AddItem("Off");
    root_.SetFunction([this](IPopupMenu&) { ++rootCompletions_; });
  }

  IPopupMenu* ShowWithKeys(std::vector<WPARAM> keys) {
    gScript = std::move(keys);
    gScriptSent = false;
    const UINT_PTR timer = SetTimer(window_.Handle(), 1, 500, ScriptTimer);
    IPopupMenu* chosen = ShowNativePopupMenu(window_.Handle(), root_, POINT{20, 20});
    KillTimer(window_.Handle(), timer);
    return chosen;
  }

  test::TestWindow window_{OwnerProcedure, L"NativeMenuOwner"};
  IPopupMenu root_;
  IPopupMenu* submenu_ = nullptr;
  int rootCompletions_ = 0;
  int submenuCompletions_ = 0;
  IPopupMenu* completedWith_ = nullptr;
};

TEST_F(NativeMenu, AKeyPickInASubmenuAnswersTheSubmenuAndRunsItsCompletion) {
  // Down to "Analog", into its submenu at "BBD", down to "Tape & Echo", Enter.
  IPopupMenu* chosen = ShowWithKeys({VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN});
  EXPECT_EQ(chosen, submenu_);
  EXPECT_EQ(submenu_->GetChosenItemIdx(), 1);
  EXPECT_EQ(submenuCompletions_, 1);
  EXPECT_EQ(completedWith_, submenu_);
  EXPECT_EQ(root_.GetChosenItemIdx(), IPopupMenu::kNothingChosen);
  EXPECT_EQ(rootCompletions_, 0);
  MSG left;
  EXPECT_FALSE(PeekMessageW(&left, window_.Handle(), WM_COMMAND, WM_COMMAND, PM_NOREMOVE))
      << "the pick was taken from the queue";
}

TEST_F(NativeMenu, APickInTheRootAnswersTheRoot) {
  IPopupMenu* chosen = ShowWithKeys({VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  EXPECT_EQ(chosen, &root_);
  EXPECT_EQ(root_.GetChosenItemIdx(), 2);
  EXPECT_EQ(rootCompletions_, 1);
  EXPECT_EQ(submenuCompletions_, 0);
}

TEST_F(NativeMenu, DismissalAnswersNullAndRunsNothing) {
  EXPECT_EQ(ShowWithKeys({VK_DOWN, VK_ESCAPE}), nullptr);
  EXPECT_EQ(root_.GetChosenItemIdx(), IPopupMenu::kNothingChosen);
  EXPECT_EQ(rootCompletions_ + submenuCompletions_, 0);
}

TEST(BuildNativeMenu, NumbersOwnItemsBeforeSubmenusAndShowsLabelsAsTheyAre) {
  IPopupMenu root;
  auto inner = std::make_unique<IPopupMenu>(nullptr, std::initializer_list<const char*>{"x", "y"});
  root.AddItem("a");
  root.AddItem("Tape & Echo", std::move(inner));
  root.AddSeparator();
  root.AddItem("greyed", PopupMenuItem::kDisabled);
  root.SetPrefix(IPopupMenu::kPrefixTwoDigits);
  int32_t next = 0;
  HMENU menu = BuildNativeMenu(root, &next);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(next, 6);
  EXPECT_EQ(GetMenuItemCount(menu), 4);
  EXPECT_EQ(GetMenuItemID(menu, 0), 0u);
  EXPECT_EQ(GetMenuItemID(menu, 3), 3u) << "a separator takes a number too";
  HMENU sub = GetSubMenu(menu, 1);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(GetMenuItemID(sub, 0), 4u);
  EXPECT_EQ(GetMenuItemID(sub, 1), 5u);

  wchar_t label[64] = {};
  GetMenuStringW(menu, 1, label, 64, MF_BYPOSITION);
  EXPECT_STREQ(label, L"02: Tape && Echo");
  EXPECT_NE(GetMenuState(menu, 2, MF_BYPOSITION) & MF_SEPARATOR, 0u);
  EXPECT_NE(GetMenuState(menu, 3, MF_BYPOSITION) & MF_GRAYED, 0u);
  DestroyMenu(menu);
}

}  // namespace
}  // namespace plugfw::gfx
