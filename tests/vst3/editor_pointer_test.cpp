// The pointer on a knob of the editor opened through the module. A right click gives the host's
// own context menu for the knob's parameter, asked through the component handler's
// IComponentHandler3 and popped up where the click was, in the host window's pixels at the
// content scale; a resting pointer shows the parameter's help as the tooltip.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "effect/param_table.h"
#include "tests/core/message_pump.h"
#include "tests/graphics/platform/editor_tooltip_win32.h"
#include "tests/vst3/editor_host.h"
#include "tests/vst3/host_menu_fakes.h"

namespace halcyra_test {
namespace {

using plugfw::test::FakeHandler;

// The middle of the RATE knob, the first of the row that every page shows, in editor units.
constexpr int kRateKnobX = 130;
constexpr int kRateKnobY = 450;
constexpr float kContentScale = 1.5f;
constexpr DWORD kMenuWaitMs = 3000;

void PostRightClick(HWND window, int x, int y) {
  PostMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
  PostMessageW(window, WM_RBUTTONUP, 0, MAKELPARAM(x, y));
}

int Scaled(int units) { return static_cast<int>(units * kContentScale); }

// Top-level windows of this thread that show: a menu or box of the plug-in's own would be one.
int ShownThreadWindows() {
  int shown = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM count) {
        if (IsWindowVisible(window)) ++*reinterpret_cast<int*>(count);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&shown));
  return shown;
}

std::string Utf8(const std::wstring& text) {
  char utf8[4096] = {};
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
  return utf8;
}

class EditorPointer : public ModuleEditorTest {
 protected:
  // The plug-in's controller answers to this handler from here on.
  void UseHandler(Steinberg::Vst::IComponentHandler* handler) {
    ASSERT_EQ(plugin_->controller->setComponentHandler(handler), Steinberg::kResultOk);
  }

  FakeHandler menuHandler_{true};
  FakeHandler handlerWithoutMenus_{false};
};

TEST_F(EditorPointer, ARightClickOnAKnobAsksTheHostForItsParametersMenuAtThePointer) {
  ASSERT_NE(OpenEditor(kContentScale), nullptr);
  UseHandler(&menuHandler_);
  PostRightClick(editor_, Scaled(kRateKnobX), Scaled(kRateKnobY));
  ASSERT_TRUE(
      plugfw::test::PumpMessagesUntil([&] { return !menuHandler_.menu.popups.empty(); }, kMenuWaitMs));

  ASSERT_EQ(menuHandler_.requests.size(), 1u);
  EXPECT_EQ(menuHandler_.requests[0].view, view_);
  ASSERT_TRUE(menuHandler_.requests[0].hasParam);
  EXPECT_EQ(menuHandler_.requests[0].param, static_cast<Steinberg::Vst::ParamID>(halcyra::kParamRate));
  // Back where the click was, give or take the rounding of editor units.
  ASSERT_EQ(menuHandler_.menu.popups.size(), 1u);
  EXPECT_NEAR(menuHandler_.menu.popups[0].first, Scaled(kRateKnobX), 1);
  EXPECT_NEAR(menuHandler_.menu.popups[0].second, Scaled(kRateKnobY), 1);
}

TEST_F(EditorPointer, AHandlerWithoutMenusShowsNothing) {
  ASSERT_NE(OpenEditor(kContentScale), nullptr);
  UseHandler(&handlerWithoutMenus_);
  const int shownBefore = ShownThreadWindows();
  PostRightClick(editor_, Scaled(kRateKnobX), Scaled(kRateKnobY));
  plugfw::test::PumpMessagesFor(500);

  EXPECT_TRUE(handlerWithoutMenus_.requests.empty());
  EXPECT_EQ(ShownThreadWindows(), shownBefore);
  // The editor lives on: with a host that makes menus, the same click gets one.
  UseHandler(&menuHandler_);
  PostRightClick(editor_, Scaled(kRateKnobX), Scaled(kRateKnobY));
  EXPECT_TRUE(
      plugfw::test::PumpMessagesUntil([&] { return !menuHandler_.menu.popups.empty(); }, kMenuWaitMs));
}

// The window reads the hovered control's tooltip: in the module its controls are the host menu's
// targets as well, and the window must read them as such.
TEST_F(EditorPointer, APointerRestingOnAKnobShowsItsParametersHelp) {
  ASSERT_NE(OpenEditor(kContentScale), nullptr);
  const LPARAM knob = MAKELPARAM(Scaled(kRateKnobX), Scaled(kRateKnobY));
  SendMessageW(editor_, WM_MOUSEMOVE, 0, knob);
  SendMessageW(editor_, WM_MOUSEHOVER, 0, knob);  // as Windows reports a pointer at rest
  HWND tooltip = plugfw::gfx::test::FindEditorTooltip(editor_);
  ASSERT_NE(tooltip, nullptr);
  const halcyra::ParamDefinition* rate = halcyra::GetParamDefinition(halcyra::kParamRate);
  ASSERT_NE(rate, nullptr);
  ASSERT_NE(std::string(rate->help), "");
  EXPECT_EQ(Utf8(plugfw::gfx::test::EditorTooltipText(tooltip, editor_)), rate->help);
}

}  // namespace
}  // namespace halcyra_test
