// The graphics context's control list: attach order and hooks, tags, special controls, the
// visiting order, deletion order, removal while the list is walked, and the process-wide
// cache user counts.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/control.h"
#include "graphics/gfx.h"
#include "graphics/resource_cache.h"
#include "graphics/string_hash.h"
#include "graphics/svg_image.h"
#include "graphics/text_entry_control.h"
#include "tests/core/failing_allocator.h"
#include "tests/graphics/support/gfx_test_support.h"
#include "tests/graphics/support/mouse_states.h"

namespace plugfw::gfx {
namespace {

using test::GfxTestDelegate;
using test::LoggingControl;
using test::RecordingGfx;
using Texts = std::vector<std::string>;

class ControlListTest : public ::testing::Test {
 protected:
  LoggingControl* Make(const char* name) { return new LoggingControl(name, log, Rect(0, 0, 10, 10)); }
  LoggingControl* Attach(const char* name, int32_t tag = IGfx::kNoTag) {
    return static_cast<LoggingControl*>(gfx->AttachControl(Make(name), tag));
  }
  // The names of the controls a walk visits; the text entry is not a LoggingControl.
  Texts Walk() {
    Texts names;
    gfx->ForAllControls([&](IControl& control) {
      if (&control == gfx->GetTextEntryControl()) {
        names.push_back("text entry");
      } else {
        names.push_back(static_cast<LoggingControl&>(control).Name());
      }
    });
    return names;
  }

  Texts log;
  GfxTestDelegate delegate{2};
  std::unique_ptr<RecordingGfx> gfx = std::make_unique<RecordingGfx>(delegate);
};

TEST_F(ControlListTest, AttachingRunsTheHooksInOrderAndKeepsTheAttachOrder) {
  LoggingControl* a = Attach("a");
  gfx->AttachControl(Make("b"), IGfx::kNoTag, "voices");
  EXPECT_EQ(log, (Texts{"OnInit a", "OnResize a", "OnRescale a", "OnAttached a", "OnInit b", "OnResize b",
                        "OnRescale b", "OnAttached b"}));
  ASSERT_EQ(gfx->NControls(), 2);
  EXPECT_EQ(gfx->GetControl(0), a);
  EXPECT_STREQ(gfx->GetControl(1)->GetGroup(), "voices");
  EXPECT_EQ(a->GetUI(), gfx.get());
  EXPECT_EQ(a->GetDelegate(), &delegate);
  EXPECT_EQ(gfx->GetControlIdx(a), 0);
}

TEST_F(ControlListTest, ATagInUseIsRefusedAndTheControlStaysTheCallers) {
  LoggingControl* first = Attach("first", 5);
  ASSERT_NE(first, nullptr);
  std::unique_ptr<LoggingControl> second(Make("second"));
  log.clear();
  EXPECT_EQ(gfx->AttachControl(second.get(), 5), nullptr);
  EXPECT_TRUE(log.empty());  // not one hook ran
  EXPECT_EQ(gfx->NControls(), 1);
  EXPECT_EQ(gfx->GetControlWithTag(5), first);
  EXPECT_EQ(second->GetUI(), nullptr);

  for (int32_t i = 0; i < 20; ++i) ASSERT_NE(Attach("untagged"), nullptr);
  EXPECT_EQ(gfx->NControls(), 21);
  EXPECT_EQ(gfx->GetControlWithTag(6), nullptr);
  EXPECT_EQ(gfx->AttachControl(nullptr), nullptr);
}

// Refused for a tag in use or for want of memory alike, the control stays the caller's.
TEST_F(ControlListTest, AListThatCannotGrowLeavesTheControlWithTheCallerBeforeAnyHookRuns) {
  std::unique_ptr<LoggingControl> control(Make("starved"));
  {
    plugfw::test::FailingAllocatorScope noMemory;
    EXPECT_EQ(gfx->AttachControl(control.get(), 3), nullptr);
  }
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(control->GetUI(), nullptr);
  EXPECT_EQ(gfx->NControls(), 0);
  EXPECT_EQ(gfx->GetControlWithTag(3), nullptr);
  EXPECT_EQ(gfx->AttachControl(control.release(), 3)->GetUI(), gfx.get());  // the tag is free again
}

TEST_F(ControlListTest, WalksVisitListedThenSpecialThenExtraControls) {
  Attach("a");
  Attach("b");
  gfx->AttachExtraControl(Make("extra1"));
  gfx->SetPopupMenuControl(std::unique_ptr<IControl>(Make("popup")));
  gfx->AttachTextEntry();
  gfx->SetCornerResizer(std::unique_ptr<IControl>(Make("resizer")));
  gfx->SetPerformanceDisplay(std::unique_ptr<IControl>(Make("perf")));
  gfx->AttachExtraControl(Make("extra2"));
  EXPECT_EQ(Walk(), (Texts{"a", "b", "perf", "resizer", "text entry", "popup", "extra1", "extra2"}));

  gfx->SetAllControlsClean();
  int dirty = 0;
  gfx->ForAllControls([&dirty](IControl& c) { dirty += c.IsDirty() ? 1 : 0; });
  EXPECT_EQ(dirty, 0);
  gfx->SetAllControlsDirty();
  gfx->ForAllControls([&dirty](IControl& c) { dirty += c.IsDirty() ? 1 : 0; });
  EXPECT_EQ(dirty, 8);
}

TEST_F(ControlListTest, RemoveAllControlsDeletesSpecialsThenExtrasThenTheListLastFirst) {
  Attach("a", 1);
  Attach("b", 2);
  gfx->AttachExtraControl(Make("extra1"));
  gfx->AttachExtraControl(Make("extra2"));
  gfx->SetPopupMenuControl(std::unique_ptr<IControl>(Make("popup")));
  gfx->SetCornerResizer(std::unique_ptr<IControl>(Make("resizer")));
  gfx->SetPerformanceDisplay(std::unique_ptr<IControl>(Make("perf")));
  gfx->AttachTextEntry();
  log.clear();
  gfx->RemoveAllControls();
  EXPECT_EQ(log, (Texts{"~ popup", "~ resizer", "~ perf", "~ extra2", "~ extra1", "~ b", "~ a"}));
  EXPECT_EQ(gfx->NControls(), 0);
  EXPECT_EQ(gfx->NExtraControls(), 0);
  EXPECT_EQ(gfx->GetControlWithTag(1), nullptr);
  EXPECT_EQ(gfx->GetTextEntryControl(), nullptr);
  EXPECT_EQ(gfx->GetMouseOverIdx(), -1);

  gfx->RemoveAllControls();  // on an empty context: nothing happens
  EXPECT_EQ(gfx->GetMouseOverIdx(), -1);
  EXPECT_NE(Attach("again", 1), nullptr);
}

TEST_F(ControlListTest, ASpecialControlHandedOverGetsTheDelegateAndTheOneItReplacesIsForgotten) {
  LoggingControl* first = Make("perf");
  gfx->SetPerformanceDisplay(std::unique_ptr<IControl>(first));
  EXPECT_EQ(first->GetUI(), gfx.get());
  EXPECT_EQ(first->GetDelegate(), &delegate);
  // A pointer holds it when it is replaced: the release that follows goes to nobody.
  gfx->CapturePointer(0, first);
  gfx->SetPerformanceDisplay(std::unique_ptr<IControl>(Make("perf 2")));
  EXPECT_EQ(log.back(), "~ perf");
  log.clear();
  gfx->MouseUpAll({test::LeftButtonAt(5, 5)});
  for (const std::string& entry : log) EXPECT_EQ(entry.find("OnMouseUp"), std::string::npos) << entry;
  EXPECT_EQ(gfx->GetPerformanceDisplay()->GetUI(), gfx.get());
}

TEST_F(ControlListTest, ASpecialControlReplacedWhileTheWalkVisitsItGoesWhenTheWalkEnds) {
  struct Slot {
    const char* name;
    void (IGfx::*set)(std::unique_ptr<IControl>);
  };
  const Slot slots[] = {{"resizer", &IGfx::SetCornerResizer},
                        {"popup", &IGfx::SetPopupMenuControl},
                        {"perf", &IGfx::SetPerformanceDisplay}};
  for (const Slot& slot : slots) {
    SCOPED_TRACE(slot.name);
    ((*gfx).*slot.set)(std::unique_ptr<IControl>(Make(slot.name)));
    log.clear();
    gfx->ForAllControls([&](IControl& control) {
      auto& visited = static_cast<LoggingControl&>(control);
      if (visited.Name() != slot.name) return;
      ((*gfx).*slot.set)(std::unique_ptr<IControl>(Make("successor")));
      log.push_back("visit ends with " + visited.Name());
    });
    EXPECT_EQ(log, (Texts{"visit ends with " + std::string(slot.name), "~ " + std::string(slot.name)}));
    ((*gfx).*slot.set)(nullptr);
  }
}

TEST_F(ControlListTest, ARemovedControlIsNoOnesParentAnyMore) {
  LoggingControl* parent = Attach("parent");
  LoggingControl* listed = Attach("listed");
  LoggingControl* extra = Make("extra");
  gfx->AttachExtraControl(extra);
  LoggingControl* resizer = Make("resizer");
  gfx->SetCornerResizer(std::unique_ptr<IControl>(resizer));
  for (LoggingControl* child : {listed, extra, resizer}) child->SetParent(parent);
  EXPECT_TRUE(gfx->RemoveControl(parent));
  for (LoggingControl* child : {listed, extra, resizer})
    EXPECT_EQ(child->GetParent(), nullptr) << child->Name();
}

TEST_F(ControlListTest, TheTextEntryIsMadeOnceAndStaysOutOfTheList) {
  gfx->AttachTextEntry();
  ITextEntryControl* entry = gfx->GetTextEntryControl();
  ASSERT_NE(entry, nullptr);
  gfx->AttachTextEntry();
  EXPECT_EQ(gfx->GetTextEntryControl(), entry);
  EXPECT_EQ(gfx->NControls(), 0);
  EXPECT_TRUE(entry->GetRect().Unset());  // invisible and hit by nothing until it edits
  EXPECT_FALSE(entry->IsHit(0, 0));
  EXPECT_EQ(entry->GetUI(), gfx.get());
}

TEST_F(ControlListTest, RemovingEverythingFromInsideAWalkDefersTheDeletion) {
  Attach("a");
  Attach("b");
  Attach("c");
  Texts visited;
  gfx->ForAllControls([&](IControl& control) {
    const std::string name = static_cast<LoggingControl&>(control).Name();
    visited.push_back(name);
    if (name == "a") {
      gfx->RemoveAllControls();
      log.push_back("removed");
      Attach("fresh");  // attached after the removal: it stays
    }
  });
  EXPECT_EQ(visited, Texts{"a"});
  // Nothing was deleted until the walk was over; then the last attached went first.
  const Texts tail(log.end() - 4, log.end());
  EXPECT_EQ(tail, (Texts{"OnAttached fresh", "~ c", "~ b", "~ a"}));
  ASSERT_EQ(gfx->NControls(), 1);
  EXPECT_EQ(static_cast<LoggingControl*>(gfx->GetControl(0))->Name(), "fresh");
}

TEST_F(ControlListTest, RemovingOneControlInsideAWalkSkipsItAndDeletesItAtTheEnd) {
  Attach("a");
  LoggingControl* b = Attach("b", 7);
  Attach("c");
  Texts visited;
  gfx->ForAllControls([&](IControl& control) {
    visited.push_back(static_cast<LoggingControl&>(control).Name());
    if (&control == gfx->GetControl(0)) {
      EXPECT_TRUE(gfx->RemoveControl(b));
      EXPECT_FALSE(gfx->RemoveControl(b));  // once only
      log.push_back("walk goes on");
    }
  });
  EXPECT_EQ(visited, (Texts{"a", "c"}));
  EXPECT_EQ(log.back(), "~ b");
  EXPECT_EQ(gfx->NControls(), 2);
  EXPECT_EQ(gfx->GetControlWithTag(7), nullptr);

  // Outside a walk it goes at once.
  EXPECT_TRUE(gfx->RemoveControl(gfx->GetControl(1)));
  EXPECT_EQ(log.back(), "~ c");
  EXPECT_FALSE(gfx->RemoveControl(nullptr));
}

TEST_F(ControlListTest, ClosingTheEditorFromInsideAWalkDeletesItWhenTheWalkEnds) {
  RecordingGfx* doomed = gfx.release();
  doomed->AttachControl(Make("a"));
  doomed->AttachControl(Make("b"));
  Texts visited;
  doomed->ForAllControls([&](IControl& control) {
    visited.push_back(static_cast<LoggingControl&>(control).Name());
    IGfx::DeleteSafely(doomed);  // as a control's action closing the editor would
    log.push_back("still alive");
  });
  EXPECT_EQ(visited, Texts{"a"});
  EXPECT_EQ(log.back(), "~ a");
  EXPECT_EQ(log[log.size() - 3], "still alive");
}

TEST_F(ControlListTest, RemovingTheControlsForgetsTheOneInTextEntry) {
  LoggingControl* edited = Attach("edited");
  gfx->CreateTextEntry(edited, DefaultTextStyle, Rect(0, 0, 40, 16), "12.5", 0);
  EXPECT_EQ(gfx->GetControlInTextEntry(), edited);
  EXPECT_EQ(gfx->log.Texts().back(), "ShowNativeTextEntry -1 '12.5' 0 0 40 16 7");
  gfx->RemoveAllControls();
  EXPECT_EQ(gfx->GetControlInTextEntry(), nullptr);  // it points at no deleted control
}

TEST_F(ControlListTest, TheAttachedTextEntryShowsOverTheControlAndCancelsWithoutApplying) {
  gfx->AttachTextEntry();
  LoggingControl* edited = Attach("edited");
  gfx->CreateTextEntry(edited, DefaultTextStyle, Rect(5, 5, 45, 21), "0.50", 0);
  ITextEntryControl* entry = gfx->GetTextEntryControl();
  EXPECT_TRUE(entry->IsEditing());
  EXPECT_EQ(entry->GetRect(), Rect(5, 5, 45, 21));
  EXPECT_STREQ(entry->GetText(), "0.50");
  EXPECT_EQ(entry->GetTextStyle().textColour, DefaultTextStyle.entryTextColour);
  EXPECT_EQ(gfx->log.Count("ShowNativeTextEntry"), 0);
  entry->CancelEntry();
  EXPECT_FALSE(entry->IsEditing());
  EXPECT_TRUE(entry->GetRect().Unset());
  EXPECT_EQ(gfx->GetControlInTextEntry(), nullptr);
}

TEST_F(ControlListTest, TheBaseDestructorNeverCallsIntoThePlatformItOutlives) {
  gfx->AttachControl(Make("a"));
  gfx->HideMouseCursor(true, true);  // as a knob drag leaves it
  gfx->removeControlsOnDestruction = false;
  gfx.reset();  // a pure virtual call from the base destructor would abort here
  EXPECT_EQ(log.back(), "~ a");
}

TEST_F(ControlListTest, AMenuAnswerThatClosesTheEditorIsDeliveredFirst) {
  struct Closing : LoggingControl {
    using LoggingControl::LoggingControl;
    void OnPopupMenuSelection(IPopupMenu* menu, int32_t valIdx) override {
      LoggingControl::OnPopupMenuSelection(menu, valIdx);
      IGfx::DeleteSafely(GetUI());
    }
  };
  RecordingGfx* doomed = gfx.release();
  auto* control = new Closing("closing", log, Rect(0, 0, 10, 10), 0);
  doomed->AttachControl(control);
  doomed->menuAnswer = 1;
  IPopupMenu menu("", {"a", "b"});
  doomed->ShowPopupMenuFor(control, menu, Rect(0, 0, 10, 10), 0, false);
  EXPECT_EQ(log.back(), "~ closing");
  EXPECT_EQ(log[log.size() - 2], "OnPopupMenuSelection 1 0 closing");
  // No press began an edit, so none is ended.
  EXPECT_EQ(delegate.calls, Texts{});
}

TEST_F(ControlListTest, TooltipsTurnHoverTrackingOnButNotOff) {
  EXPECT_FALSE(gfx->HoverTracking());
  gfx->EnableTooltips(true);
  EXPECT_TRUE(gfx->TooltipsEnabled());
  EXPECT_TRUE(gfx->HoverTracking());
  gfx->EnableTooltips(false);
  EXPECT_FALSE(gfx->TooltipsEnabled());
  EXPECT_TRUE(gfx->HoverTracking());
}

TEST_F(ControlListTest, ConstructionDefaults) {
  const RecordingGfx fresh(delegate, 1180, 800, 1.25f);
  EXPECT_EQ(fresh.Width(), 1180);
  EXPECT_EQ(fresh.Height(), 800);
  EXPECT_EQ(fresh.FPS(), 30);
  EXPECT_FLOAT_EQ(fresh.GetScreenScale(), 1.f);
  EXPECT_FLOAT_EQ(fresh.GetBackingScale(), 1.25f);
  EXPECT_FLOAT_EQ(fresh.GetMinScale(), 0.5f);
  EXPECT_FLOAT_EQ(fresh.GetMaxScale(), 4.f);
  EXPECT_EQ(fresh.GetMouseOverIdx(), -1);
  EXPECT_EQ(fresh.GetDelegate(), &delegate);
  EXPECT_EQ(fresh.GetTransform(), kIdentityTransform);
  EXPECT_TRUE(fresh.GetCurrentClip().Unset());
}

constexpr char kTinySvg[] = R"(<svg width="4" height="4"><rect width="4" height="4" fill="#000"/></svg>)";

TEST(GraphicsCacheUsers, TheLastOfSeveralContextsEmptiesBothCaches) {
  BitmapCache& bitmaps = StaticBitmapCache();
  SvgCache& svgs = StaticSvgCache();
  ASSERT_EQ(bitmaps.Users(), 0);
  ASSERT_EQ(svgs.Users(), 0);
  GfxTestDelegate delegate(1);
  auto first = std::make_unique<RecordingGfx>(delegate);
  auto second = std::make_unique<RecordingGfx>(delegate);
  auto third = std::make_unique<RecordingGfx>(delegate);
  EXPECT_EQ(bitmaps.Users(), 3);
  EXPECT_EQ(svgs.Users(), 3);

  std::unique_ptr<APIBitmap> bitmap = std::make_unique<test::RecordingBitmap>(1, 8, 8, 1.f, 1.f);
  ASSERT_NE(bitmaps.Add(bitmap, "knob.png", 1.0), nullptr);
  EXPECT_FALSE(second->LoadSvgFromMemory("logo.svg", kTinySvg, sizeof kTinySvg - 1).Empty());
  ASSERT_EQ(bitmaps.Count(), 1);
  ASSERT_EQ(svgs.Count(), 1);

  first.reset();
  EXPECT_EQ(bitmaps.Count(), 1);
  EXPECT_EQ(svgs.Count(), 1);
  second.reset();
  EXPECT_EQ(bitmaps.Count(), 1);
  EXPECT_EQ(svgs.Count(), 1);
  EXPECT_EQ(bitmaps.Users(), 1);
  third.reset();
  EXPECT_EQ(bitmaps.Count(), 0);
  EXPECT_EQ(svgs.Count(), 0);
  EXPECT_EQ(bitmaps.Users(), 0);
  EXPECT_EQ(svgs.Users(), 0);
}

TEST(GraphicsCacheUsers, EntriesAreFoundByNameAndScale) {
  BitmapCache cache;
  std::unique_ptr<APIBitmap> one = std::make_unique<test::RecordingBitmap>(1, 8, 8, 1.f, 1.f);
  std::unique_ptr<APIBitmap> two = std::make_unique<test::RecordingBitmap>(2, 16, 16, 2.f, 1.f);
  APIBitmap* atOne = cache.Add(one, "knob.png", 1.0);
  APIBitmap* atTwo = cache.Add(two, "knob.png", 2.0);
  EXPECT_EQ(one, nullptr);  // taken over
  EXPECT_EQ(cache.Find("knob.png", 1.0), atOne);
  EXPECT_EQ(cache.Find("knob.png", 2.0), atTwo);
  EXPECT_EQ(cache.Find("knob.png", 3.0), nullptr);
  EXPECT_EQ(cache.Find("knob", 1.0), nullptr);
  EXPECT_TRUE(cache.Remove(atOne));
  EXPECT_FALSE(cache.Remove(atOne));
  EXPECT_EQ(cache.Find("knob.png", 1.0), nullptr);
  // The key text of a name at scale 2 is the name and "-2.0x", hashed with 64-bit FNV-1a.
  EXPECT_EQ(ResourceKeyHash("knob.png", 2.0), StringHash("knob.png-2.0x"));
  EXPECT_EQ(StringHash(""), 0xcbf29ce484222325ull);
  EXPECT_EQ(StringHash("a"), 0xaf63dc4c8601ec8cull);
}

}  // namespace
}  // namespace plugfw::gfx
