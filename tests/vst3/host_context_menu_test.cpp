// Controls as VST3 context-menu targets and the right click's menu through a host's
// IComponentHandler3, against a fake host menu that keeps what it was given - as a host with an
// asynchronous popup does - so that late calls can be made after the control has gone.

#include "vst3/host_context_menu.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/popup_menu.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "tests/graphics/support/gfx_test_delegate.h"
#include "tests/graphics/support/logging_control.h"
#include "tests/graphics/support/recording_gfx.h"
#include "tests/vst3/host_menu_fakes.h"

namespace plugfw::test {
namespace {

using namespace Steinberg;
using gfx::IControl;
using gfx::IPopupMenu;
using gfx::PopupMenuItem;
using gfx::test::GfxTestDelegate;
using gfx::test::LoggingControl;
using gfx::test::RecordingGfx;

// Only its identity matters to the host here.
class FakeView : public IPlugView {
 public:
  tresult PLUGIN_API isPlatformTypeSupported(FIDString) override { return kResultFalse; }
  tresult PLUGIN_API attached(void*, FIDString) override { return kResultFalse; }
  tresult PLUGIN_API removed() override { return kResultFalse; }
  tresult PLUGIN_API onWheel(float) override { return kResultFalse; }
  tresult PLUGIN_API onKeyDown(char16, int16, int16) override { return kResultFalse; }
  tresult PLUGIN_API onKeyUp(char16, int16, int16) override { return kResultFalse; }
  tresult PLUGIN_API getSize(ViewRect*) override { return kResultFalse; }
  tresult PLUGIN_API onSize(ViewRect*) override { return kResultFalse; }
  tresult PLUGIN_API onFocus(TBool) override { return kResultFalse; }
  tresult PLUGIN_API setFrame(IPlugFrame*) override { return kResultFalse; }
  tresult PLUGIN_API canResize() override { return kResultFalse; }
  tresult PLUGIN_API checkSizeConstraint(ViewRect*) override { return kResultFalse; }
  tresult PLUGIN_API queryInterface(const TUID, void** obj) override {
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return 1; }
  uint32 PLUGIN_API release() override { return 1; }
};

// A control with a menu of its own: "Copy", a "Curve" submenu of two, a separator, a checked
// and disabled "Locked".
class MenuControl : public LoggingControl {
 public:
  using LoggingControl::LoggingControl;
  void CreateContextMenu(IPopupMenu& menu) override {
    menu.AddItem("Copy");
    auto curve = std::make_unique<IPopupMenu>(nullptr, std::initializer_list<const char*>{"Linear", "Log"});
    menu.AddItem("Curve", std::move(curve));
    menu.AddSeparator();
    menu.AddItem("Locked", PopupMenuItem::kChecked | PopupMenuItem::kDisabled);
  }
};

struct Expected {
  const char* name;
  int32 tag;
  int32 flags;
};

void ExpectEntries(const FakeHostMenu& menu, std::initializer_list<Expected> expected) {
  ASSERT_EQ(menu.entries.size(), expected.size());
  size_t i = 0;
  for (const Expected& entry : expected) {
    SCOPED_TRACE(i);
    EXPECT_EQ(menu.entries[i].name, entry.name);
    EXPECT_EQ(menu.entries[i].tag, entry.tag);
    EXPECT_EQ(menu.entries[i].flags, entry.flags);
    ++i;
  }
}

TEST(FillHostContextMenu, PlainItemsTakeTagsInOrder) {
  IPopupMenu menu(nullptr, {"One", "Two", "Three"});
  FakeHostMenu host;
  FillHostContextMenu(menu, host, nullptr);
  ExpectEntries(host, {{"One", 0, 0}, {"Two", 1, 0}, {"Three", 2, 0}});
}

TEST(FillHostContextMenu, ASubmenuOpensAndClosesAGroupAroundItsItems) {
  IPopupMenu menu;
  menu.AddItem("Ämbient");
  menu.AddItem("Curve",
               std::make_unique<IPopupMenu>(nullptr, std::initializer_list<const char*>{"Linear", "Log"}));
  menu.AddItem("Last");
  FakeHostMenu host;
  FillHostContextMenu(menu, host, nullptr);
  ExpectEntries(host, {{"Ämbient", 0, 0},
                       {"Curve", 1, 10},
                       {"Linear", 2, 0},
                       {"Log", 3, 0},
                       {"Curve", 4, 17},
                       {"Last", 5, 0}});
}

// The host's menu has no inactive entry: an item the user may not pick is shown disabled there,
// or the host would offer it and hand the control a choice it never allows.
TEST(FillHostContextMenu, SeparatorsCheckedAndUnselectableItemsCarryTheirFlags) {
  IPopupMenu menu;
  menu.AddItem("Checked", PopupMenuItem::kChecked);
  menu.AddItem("Disabled", PopupMenuItem::kDisabled);
  menu.AddItem("Both", PopupMenuItem::kChecked | PopupMenuItem::kDisabled);
  menu.AddSeparator();
  menu.AddItem("Inactive", PopupMenuItem::kInactive);
  menu.AddItem("Inactive checked", PopupMenuItem::kInactive | PopupMenuItem::kChecked);
  FakeHostMenu host;
  FillHostContextMenu(menu, host, nullptr);
  ExpectEntries(host, {{"Checked", 0, 4},
                       {"Disabled", 1, 2},
                       {"Both", 2, 6},
                       {"", 3, 1},
                       {"Inactive", 4, 2},
                       {"Inactive checked", 5, 6}});
}

class HostContextMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    gfx_ = std::make_unique<RecordingGfx>(delegate_, 400, 300, 1.5f);
    gfx_->SetScreenScale(2.f);
    control_ = new MenuControl("knob", log_, gfx::Rect(0, 0, 40, 40), 5);
    ASSERT_NE(gfx_->AttachControl(control_), nullptr);
  }

  void RightClick(FakeHandler* handler, IPlugView* view, IControl* control, int32_t paramIdx) {
    ShowHostContextMenu(*gfx_, control, paramIdx, 10.f, 20.f,
                        handler != nullptr ? static_cast<Vst::IComponentHandler*>(handler) : nullptr, view);
  }

  std::vector<std::string> log_;
  GfxTestDelegate delegate_{8};
  std::unique_ptr<RecordingGfx> gfx_;
  MenuControl* control_ = nullptr;
  FakeView view_;
};

TEST_F(HostContextMenu, OpensForTheControlsParameterAtTheScaledPoint) {
  FakeHandler handler(true);
  RightClick(&handler, &view_, control_, 5);
  ASSERT_EQ(handler.requests.size(), 1u);
  EXPECT_EQ(handler.requests[0].view, &view_);
  EXPECT_TRUE(handler.requests[0].hasParam);
  EXPECT_EQ(handler.requests[0].param, 5u);
  // Draw scale 1.5 and screen scale 2: (10, 20) is (30, 60) device pixels.
  ASSERT_EQ(handler.menu.popups.size(), 1u);
  EXPECT_EQ(handler.menu.popups[0], (std::pair<UCoord, UCoord>(30, 60)));
  ExpectEntries(handler.menu, {{"Copy", 0, 0},
                               {"Curve", 1, 10},
                               {"Linear", 2, 0},
                               {"Log", 3, 0},
                               {"Curve", 4, 17},
                               {"", 5, 1},
                               {"Locked", 6, 6}});
  // The host gave its menu back and its handler interface was let go.
  EXPECT_EQ(handler.menu.references, 1);
  EXPECT_EQ(handler.references, 1);
  // The graphics context's menu keeps the control's items until the next right click.
  EXPECT_EQ(gfx_->GetPromptMenu().NItems(), 4);
}

TEST_F(HostContextMenu, TheChosenEntryReachesTheControlByItsTag) {
  FakeHandler handler(true);
  RightClick(&handler, &view_, control_, 5);
  ASSERT_FALSE(handler.menu.entries.empty());
  Vst::IContextMenuTarget* target = handler.menu.entries[3].target;
  ASSERT_NE(target, nullptr);
  log_.clear();
  EXPECT_EQ(target->executeMenuItem(3), kResultOk);
  EXPECT_EQ(log_, (std::vector<std::string>{"OnContextSelection 3 knob"}));
}

TEST_F(HostContextMenu, ALateChoiceAfterTheControlWentReachesNothing) {
  FakeHandler handler(true);
  RightClick(&handler, &view_, control_, 5);
  ASSERT_FALSE(handler.menu.entries.empty());
  gfx_->RemoveControl(control_);
  control_ = nullptr;
  log_.clear();
  // The host still holds the target from its menu and calls it once the popup answers.
  EXPECT_EQ(handler.menu.entries[0].target->executeMenuItem(0), kResultOk);
  EXPECT_TRUE(log_.empty());
}

TEST_F(HostContextMenu, AnUnboundControlAsksForNoParameter) {
  FakeHandler handler(true);
  RightClick(&handler, &view_, control_, -1);
  ASSERT_EQ(handler.requests.size(), 1u);
  EXPECT_FALSE(handler.requests[0].hasParam);
  EXPECT_EQ(handler.menu.popups.size(), 1u);
}

TEST_F(HostContextMenu, NothingIsShownWithoutTheHostsMenuSupport) {
  FakeHandler withoutMenus(false);
  RightClick(&withoutMenus, &view_, control_, 5);
  EXPECT_TRUE(withoutMenus.requests.empty());
  EXPECT_EQ(withoutMenus.references, 1);

  FakeHandler handler(true);
  RightClick(&handler, nullptr, control_, 5);  // no open view
  RightClick(nullptr, &view_, control_, 5);    // no handler
  RightClick(&handler, &view_, nullptr, 5);    // no control
  EXPECT_TRUE(handler.requests.empty());
  EXPECT_EQ(gfx_->GetPromptMenu().NItems(), 0);

  handler.answersWithMenu = false;  // the host declines
  RightClick(&handler, &view_, control_, 5);
  EXPECT_EQ(handler.requests.size(), 1u);
  EXPECT_TRUE(handler.menu.popups.empty());
}

TEST_F(HostContextMenu, AControlIsAContextMenuTargetThatItsCountNeverFrees) {
  void* target = nullptr;
  ASSERT_EQ(control_->queryInterface(Vst::IContextMenuTarget::iid, &target), kResultOk);
  EXPECT_EQ(target, static_cast<Vst::IContextMenuTarget*>(control_));
  EXPECT_EQ(control_->getRefCount(), 2);
  EXPECT_TRUE(control_->isA("IControl"));
  EXPECT_TRUE(control_->isTypeOf("FObject"));
  EXPECT_FALSE(control_->isTypeOf("FObject", false));
  log_.clear();
  EXPECT_EQ(static_cast<Vst::IContextMenuTarget*>(target)->executeMenuItem(2), kResultOk);
  EXPECT_EQ(log_, (std::vector<std::string>{"OnContextSelection 2 knob"}));
  // Releases past the creation reference leave the control to the graphics context.
  for (int i = 0; i < 3; ++i) control_->release();
  EXPECT_EQ(control_->getRefCount(), 1);
  EXPECT_TRUE(gfx_->RemoveControl(control_));
}

}  // namespace
}  // namespace plugfw::test
