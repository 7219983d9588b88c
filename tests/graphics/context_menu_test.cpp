// A right click's context menu goes to the build's delegate first: the VST3 module's shows it
// through the host and takes it whole; only a delegate that declines leaves it to the
// framework's own popup (covered with the prompts).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/popup_menu.h"
#include "tests/graphics/support/gfx_test_support.h"

namespace plugfw::gfx {
namespace {

using test::GfxTestDelegate;
using test::LoggingControl;
using test::RecordingGfx;
using Texts = std::vector<std::string>;

class HostMenuDelegate : public GfxTestDelegate {
 public:
  using GfxTestDelegate::GfxTestDelegate;
  bool ShowControlContextMenu(IGfx&, IControl* control, int32_t paramIdx, float x, float y) override {
    shown.push_back({control, paramIdx, x, y});
    return true;
  }
  struct Shown {
    IControl* control;
    int32_t paramIdx;
    float x, y;
  };
  std::vector<Shown> shown;
};

class ItemsControl : public LoggingControl {
 public:
  using LoggingControl::LoggingControl;
  void CreateContextMenu(IPopupMenu& menu) override { menu.AddItem("Copy"); }
};

TEST(ContextMenu, ARightClickOnABoundControlGoesToTheHostWhenTheDelegateShowsItThere) {
  Texts log;
  HostMenuDelegate delegate(4, &log);
  RecordingGfx gfx(delegate);
  auto* control = new ItemsControl("c", log, Rect(0, 0, 50, 50), 1);
  ASSERT_NE(gfx.AttachControl(control), nullptr);
  log.clear();
  MouseState right;
  right.x = 12;
  right.y = 14;
  right.mod.rightButton = true;
  gfx.MouseDownAll({right});
  ASSERT_EQ(delegate.shown.size(), 1u);
  EXPECT_EQ(delegate.shown[0].control, control);
  EXPECT_EQ(delegate.shown[0].paramIdx, 1);
  EXPECT_EQ(delegate.shown[0].x, 12.f);
  EXPECT_EQ(delegate.shown[0].y, 14.f);
  // The framework shows nothing of its own, and the press reaches no control.
  EXPECT_EQ(gfx.log.Count("ShowNativePopupMenu"), 0);
  EXPECT_EQ(log, Texts{});
  EXPECT_FALSE(gfx.ControlIsCaptured(control));
}

}  // namespace
}  // namespace plugfw::gfx
