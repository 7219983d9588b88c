// A right click's context menu: the build's delegate takes it to the host where it can (the
// VST3 module); otherwise the control's own items show as the framework's popup and the answer
// comes back to the control.

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
  void CreateContextMenu(IPopupMenu& menu) override {
    for (const std::string& item : items) menu.AddItem(item.c_str());
  }
  std::vector<std::string> items;
};

TEST(ContextMenu, TheControlsOwnItemsShowAsAPopupAndTheAnswerComesBack) {
  Texts log;
  GfxTestDelegate delegate(4, &log);
  RecordingGfx gfx(delegate);
  auto* control = new ItemsControl("c", log, Rect(0, 0, 50, 50), 1);
  ASSERT_NE(gfx.AttachControl(control), nullptr);
  control->items = {"Copy", "Paste"};
  gfx.menuAnswer = 1;
  log.clear();
  gfx.ShowControlContextMenu(control, 1, 12, 14);
  ASSERT_EQ(gfx.log.Count("ShowNativePopupMenu"), 1);
  EXPECT_EQ(gfx.log.Named("ShowNativePopupMenu")[0].rect, Rect(12, 14, 12, 14));
  // The press that led here began an edit of the control's parameter; the answer ends it.
  EXPECT_EQ(log, (Texts{"OnContextSelection 1 c", "EndParamEditFromUI 1"}));
}

TEST(ContextMenu, AMenuTheControlLeavesEmptyIsNotShown) {
  Texts log;
  GfxTestDelegate delegate(4, &log);
  RecordingGfx gfx(delegate);
  auto* control = new ItemsControl("c", log, Rect(0, 0, 50, 50), 1);
  ASSERT_NE(gfx.AttachControl(control), nullptr);
  gfx.GetPromptMenu().AddItem("left over");
  gfx.ShowControlContextMenu(control, 1, 12, 14);
  EXPECT_EQ(gfx.log.Count("ShowNativePopupMenu"), 0);
  EXPECT_EQ(gfx.GetPromptMenu().NItems(), 0);
}

TEST(ContextMenu, ADelegateThatShowsItThroughTheHostTakesItWhole) {
  Texts log;
  HostMenuDelegate delegate(4, &log);
  RecordingGfx gfx(delegate);
  auto* control = new ItemsControl("c", log, Rect(0, 0, 50, 50), 1);
  ASSERT_NE(gfx.AttachControl(control), nullptr);
  control->items = {"Copy"};
  gfx.ShowControlContextMenu(control, 1, 12, 14);
  EXPECT_EQ(gfx.log.Count("ShowNativePopupMenu"), 0);
  ASSERT_EQ(delegate.shown.size(), 1u);
  EXPECT_EQ(delegate.shown[0].control, control);
  EXPECT_EQ(delegate.shown[0].paramIdx, 1);
  EXPECT_EQ(delegate.shown[0].x, 12.f);
}

}  // namespace
}  // namespace plugfw::gfx
