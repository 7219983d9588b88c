// Input dispatch on the recording graphics context: which control each event reaches, who
// holds a pointer, multi-touch, right clicks, hover, keys and drops.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "graphics/gfx.h"
#include "graphics/text_entry_control.h"
#include "tests/graphics/case_names.h"
#include "tests/graphics/support/gfx_test_support.h"
#include "tests/graphics/support/mouse_states.h"

namespace plugfw::gfx {
namespace {

using test::GfxTestDelegate;
using test::LoggingControl;
using test::RecordingGfx;
using Texts = std::vector<std::string>;

MouseState At(float x, float y, int64_t touchId = 0) { return test::LeftButtonAt(x, y, 0.f, 0.f, touchId); }

MouseState RightAt(float x, float y) {
  MouseState state = At(x, y);
  state.mod.leftButton = false;
  state.mod.rightButton = true;
  return state;
}

// A scene of overlapping controls over a background, with every special control:
//   background (0, 0, 100, 100); lower (10, 10, 50, 50); upper (30, 30, 70, 70), bound to
//   parameter 1; the corner resizer (90, 90, 100, 100) and the performance display
//   (0, 90, 10, 100) as special controls; the text entry attached.
struct Scene {
  Scene() {
    background = Attach("background", Rect(0, 0, 100, 100));
    lower = Attach("lower", Rect(10, 10, 50, 50));
    upper = Attach("upper", Rect(30, 30, 70, 70), 1);
    resizer = new LoggingControl("resizer", log, Rect(90, 90, 100, 100));
    gfx.SetCornerResizer(std::unique_ptr<IControl>(resizer));
    display = new LoggingControl("display", log, Rect(0, 90, 10, 100));
    gfx.SetPerformanceDisplay(std::unique_ptr<IControl>(display));
    gfx.AttachTextEntry();
    log.clear();
  }

  LoggingControl* Attach(const char* name, const Rect& bounds, int32_t paramIdx = kNoParameter) {
    auto* control = new LoggingControl(name, log, bounds, paramIdx);
    gfx.AttachControl(control);
    return control;
  }

  static std::string NameOf(const IControl* control) {
    if (!control) return "none";
    if (const auto* logging = dynamic_cast<const LoggingControl*>(control)) return logging->Name();
    return dynamic_cast<const ITextEntryControl*>(control) ? "text entry" : "other";
  }

  Texts log;
  GfxTestDelegate delegate{4, &log};
  RecordingGfx gfx{delegate};
  LoggingControl* background;
  LoggingControl* lower;
  LoggingControl* upper;
  LoggingControl* resizer;
  LoggingControl* display;
};

class InputDispatchTest : public ::testing::Test, public Scene {};

struct HitCase {
  const char* what;
  std::function<void(Scene&)> arrange;
  float x, y;
  bool mouseOver;
  const char* expected;
};

void PrintTo(const HitCase& c, std::ostream* os) { *os << c.what; }

class HitTestPriorityTest : public ::testing::TestWithParam<HitCase> {};

TEST_P(HitTestPriorityTest, FindsTheControlByItsFixedOrder) {
  Scene scene;
  const HitCase& c = GetParam();
  if (c.arrange) c.arrange(scene);
  IControl* found = scene.gfx.HitTestControl(c.x, c.y, false, c.mouseOver, 0);
  EXPECT_EQ(Scene::NameOf(found), c.expected);
  if (c.mouseOver) {
    // The list index of what was found among the listed controls, -1 for any other.
    EXPECT_EQ(scene.gfx.GetMouseOverIdx(), found ? scene.gfx.GetControlIdx(found) : -1);
  }
}

void HoverOn(Scene& s) { s.gfx.SetHoverTracking(true); }

INSTANTIATE_TEST_SUITE_P(
    Cases, HitTestPriorityTest,
    ::testing::Values(
        HitCase{"the later attached wins where they overlap", nullptr, 40, 40, false, "upper"},
        HitCase{"the earlier one outside the overlap", nullptr, 20, 20, false, "lower"},
        HitCase{"the background where nothing else is", nullptr, 80, 20, false, "background"},
        HitCase{"right and bottom edges are outside", nullptr, 70, 60, false, "background"},
        HitCase{"outside everything", nullptr, 150, 20, false, "none"},
        HitCase{"hidden is passed over", [](Scene& s) { s.upper->Hide(true); }, 40, 40, false, "lower"},
        HitCase{"ignoring the mouse is passed over", [](Scene& s) { s.upper->SetIgnoreMouse(true); }, 40, 40,
                false, "lower"},
        HitCase{"disabled is passed over", [](Scene& s) { s.upper->SetDisabled(true); }, 40, 40, false,
                "lower"},
        HitCase{"disabled with mouse events takes clicks",
                [](Scene& s) {
                  s.upper->SetDisabled(true);
                  s.upper->SetMouseEventsWhenDisabled(true);
                },
                40, 40, false, "upper"},
        HitCase{"disabled with mouse-over only takes no clicks",
                [](Scene& s) {
                  s.upper->SetDisabled(true);
                  s.upper->SetMouseOverWhenDisabled(true);
                },
                40, 40, false, "lower"},
        HitCase{"disabled with mouse-over only takes hover",
                [](Scene& s) {
                  HoverOn(s);
                  s.upper->SetDisabled(true);
                  s.upper->SetMouseOverWhenDisabled(true);
                },
                40, 40, true, "upper"},
        HitCase{"disabled with mouse events only takes no hover",
                [](Scene& s) {
                  HoverOn(s);
                  s.upper->SetDisabled(true);
                  s.upper->SetMouseEventsWhenDisabled(true);
                },
                40, 40, true, "lower"},
        HitCase{"hover finds listed controls only with hover tracking", nullptr, 40, 40, true, "none"},
        HitCase{"hover with tracking on", HoverOn, 40, 40, true, "upper"},
        HitCase{"the background is never the mouse-over control", HoverOn, 80, 20, true, "none"},
        HitCase{"the corner resizer comes before the listed controls", nullptr, 95, 95, false, "resizer"},
        HitCase{"the performance display too", nullptr, 5, 95, false, "display"},
        HitCase{"special controls take hover without tracking", nullptr, 95, 95, true, "resizer"},
        HitCase{
            "an editing text entry takes every point",
            [](Scene& s) { s.gfx.CreateTextEntry(s.lower, DefaultTextStyle, Rect(60, 60, 80, 80), "1", 0); },
            95, 95, false, "text entry"},
        HitCase{"an expanded popup menu control before the text entry",
                [](Scene& s) {
                  s.gfx.CreateTextEntry(s.lower, DefaultTextStyle, Rect(60, 60, 80, 80), "1", 0);
                  s.gfx.SetPopupMenuControl(std::make_unique<LoggingControl>("popup", s.log));
                },
                40, 40, false, "popup"},
        HitCase{"a pointer's capture before everything",
                [](Scene& s) {
                  s.gfx.CreateTextEntry(s.lower, DefaultTextStyle, Rect(60, 60, 80, 80), "1", 0);
                  s.gfx.CapturePointer(0, s.lower);
                },
                95, 95, false, "lower"}),
    test::CaseName{});

TEST_F(InputDispatchTest, APressHoldsItsPointerUntilTheRelease) {
  gfx.MouseDownAll({At(20, 20)});
  gfx.MouseDragAll({test::LeftButtonAt(200, 200, 5, 5)});  // far outside: still the lower control's
  gfx.MouseUpAll({At(200, 200)});
  gfx.MouseDragAll({test::LeftButtonAt(20, 20, 5, 5)});  // released: no one holds the pointer
  EXPECT_EQ(log, (Texts{"OnMouseDown lower", "OnMouseDrag lower", "OnMouseUp lower"}));
  EXPECT_FALSE(gfx.ControlIsCaptured(lower));
  EXPECT_FLOAT_EQ(gfx.GetMouseDownX(), 20.f);
  EXPECT_FLOAT_EQ(gfx.GetMouseDownY(), 20.f);
}

TEST_F(InputDispatchTest, DragsWithoutMovementAreNotDelivered) {
  gfx.MouseDownAll({At(20, 20)});
  gfx.MouseDragAll({test::LeftButtonAt(21, 20, 0, 0)});
  gfx.MouseDragAll({test::LeftButtonAt(21, 21, 0, 1)});
  EXPECT_EQ(log, (Texts{"OnMouseDown lower", "OnMouseDrag lower"}));
}

TEST_F(InputDispatchTest, TwoTouchesOnOneControlFollowTheMultiTouchRules) {
  struct Case {
    const char* what;
    bool multiTouch;
    bool wantsMultiTouch;
    Texts expected;
  };
  const Case cases[] = {
      {"multi-touch off: both reach it", false, false, {"OnMouseDown lower", "OnMouseDown lower"}},
      {"on, not wanted: the second finds nothing", true, false, {"OnMouseDown lower"}},
      {"on and wanted: both reach it", true, true, {"OnMouseDown lower", "OnMouseDown lower"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    gfx.SetMultiTouch(c.multiTouch);
    lower->SetWantsMultiTouch(c.wantsMultiTouch);
    log.clear();
    gfx.MouseDownAll({At(20, 20, 1), At(25, 25, 2)});
    EXPECT_EQ(log, c.expected);
    gfx.MouseUpAll({At(20, 20, 1), At(25, 25, 2)});
  }
}

TEST_F(InputDispatchTest, EachTouchDragsAndReleasesTheControlItHolds) {
  gfx.SetMultiTouch(true);
  gfx.MouseDownAll({At(20, 20, 1), At(60, 60, 2)});
  gfx.MouseDragAll({test::LeftButtonAt(21, 21, 1, 1, 1), test::LeftButtonAt(61, 61, 1, 1, 2)});
  gfx.MouseUpAll({At(61, 61, 2)});
  EXPECT_TRUE(gfx.ControlIsCaptured(lower));
  EXPECT_FALSE(gfx.ControlIsCaptured(upper));
  gfx.MouseDragAll({test::LeftButtonAt(22, 22, 1, 1, 1), test::LeftButtonAt(62, 62, 1, 1, 2)});
  EXPECT_EQ(log,
            (Texts{"OnMouseDown lower", "BeginParamEditFromUI 1", "OnMouseDown upper", "OnMouseDrag lower",
                   "OnMouseDrag upper", "OnMouseUp upper", "EndParamEditFromUI 1", "OnMouseDrag lower"}));
}

TEST_F(InputDispatchTest, RightClickOnABoundControlOpensItsContextMenuInstead) {
  gfx.MouseDownAll({RightAt(40, 40), At(20, 20)});
  // No press of its own, no edit, and the pointers after it are not dispatched. The
  // control adds nothing to its menu, so no menu shows.
  EXPECT_EQ(log, Texts{});
  EXPECT_EQ(gfx.log.Count("ShowNativePopupMenu"), 0);
  EXPECT_FALSE(gfx.ControlIsCaptured(upper));

  upper->contextItems = {"Learn", "Forget"};
  gfx.menuAnswer = 1;
  gfx.MouseDownAll({RightAt(40, 40)});
  EXPECT_EQ(log, Texts{"OnContextSelection 1 upper"});
  const auto menus = gfx.log.Named("ShowNativePopupMenu");
  ASSERT_EQ(menus.size(), 1u);
  EXPECT_EQ(menus[0].rect, Rect(40, 40, 40, 40));
  EXPECT_EQ(delegate.GestureFaults(), Texts{});
}

TEST_F(InputDispatchTest, RightClickOnAnUnboundControlIsAPress) {
  gfx.MouseDownAll({RightAt(20, 20)});
  EXPECT_EQ(log, Texts{"OnMouseDown lower"});
}

TEST_F(InputDispatchTest, DoubleClickGoesToTheControlAndReleasesThePointer) {
  EXPECT_TRUE(gfx.MouseDoubleClick(20, 20, {}));
  EXPECT_EQ(log, Texts{"OnMouseDoubleClick lower"});
  EXPECT_FALSE(gfx.ControlIsCaptured(lower));
  EXPECT_FALSE(gfx.MouseDoubleClick(150, 150, {}));

  // A control that takes a double click as a click is pressed and held instead.
  log.clear();
  upper->SetDoubleClickActsAsClick(true);
  EXPECT_TRUE(gfx.MouseDoubleClick(40, 40, {}));
  EXPECT_EQ(log, (Texts{"BeginParamEditFromUI 1", "OnMouseDown upper"}));
  EXPECT_TRUE(gfx.ControlIsCaptured(upper));
  gfx.MouseUpAll({At(40, 40)});
  EXPECT_EQ(log.back(), "EndParamEditFromUI 1");
}

TEST_F(InputDispatchTest, TheWheelGoesToTheControlUnderThePoint) {
  EXPECT_TRUE(gfx.MouseWheel(20, 20, {}, 1.f));
  EXPECT_FALSE(gfx.MouseWheel(150, 20, {}, 1.f));
  EXPECT_EQ(log, Texts{"OnMouseWheel lower"});
}

TEST_F(InputDispatchTest, HoverMovesBetweenControlsOnlyWithTracking) {
  EXPECT_FALSE(gfx.MouseOverAt(20, 20, {}));  // tracking off: no listed control
  EXPECT_EQ(log, Texts{});

  gfx.SetHoverTracking(true);
  EXPECT_TRUE(gfx.MouseOverAt(20, 20, {}));
  EXPECT_TRUE(gfx.MouseOverAt(21, 21, {}));  // the same control hears every move
  EXPECT_TRUE(gfx.MouseOverAt(40, 40, {}));
  EXPECT_FALSE(gfx.MouseOverAt(80, 20, {}));  // the background: no one
  EXPECT_EQ(log, (Texts{"OnMouseOver lower", "OnMouseOver lower", "OnMouseOut lower", "OnMouseOver upper",
                        "OnMouseOut upper"}));
  EXPECT_EQ(gfx.GetMouseOverControl(), nullptr);

  gfx.MouseOverAt(40, 40, {});
  EXPECT_EQ(gfx.GetMouseOverIdx(), 2);
  EXPECT_TRUE(upper->GetMouseIsOver());
  gfx.SetMouseCursor(5);
  log.clear();
  gfx.MouseOutAll();
  EXPECT_EQ(gfx.GetMouseOverControl(), nullptr);
  EXPECT_EQ(gfx.GetMouseOverIdx(), -1);
  EXPECT_FALSE(upper->GetMouseIsOver());
  // The arrow shows while the pointer is away; the kind in force comes back with it.
  EXPECT_EQ(gfx.log.Texts().back(), "SetMouseCursor 0");
  EXPECT_EQ(gfx.GetCursorKind(), 5);
  EXPECT_EQ(log.size(), 5u);  // every control hears it, the special ones too
}

TEST_F(InputDispatchTest, AMouseReleaseUpdatesTheHover) {
  gfx.SetHoverTracking(true);
  gfx.MouseDownAll({At(20, 20)});
  gfx.MouseUpAll({At(40, 40)});
  EXPECT_EQ(log, (Texts{"OnMouseDown lower", "OnMouseUp lower", "OnMouseOver upper"}));
  // A touch release moves no hover.
  log.clear();
  gfx.MouseUpAll({At(20, 20, 3)});
  EXPECT_EQ(log, Texts{});
}

TEST_F(InputDispatchTest, KeysGoToTheControlUnderThePointThenToTheKeyHandler) {
  Texts handled;
  gfx.SetKeyHandler([&handled](const KeyEvent& key, bool isKeyUp) {
    handled.push_back(std::to_string(key.keyCode) + (isKeyUp ? " up" : " down"));
    return key.keyCode == 'K';
  });
  KeyEvent k;
  k.keyCode = 'K';
  KeyEvent j;
  j.keyCode = 'J';
  EXPECT_TRUE(gfx.OnKeyDown(20, 20, k));  // the control declines, the handler takes it
  EXPECT_FALSE(gfx.OnKeyDown(20, 20, j));
  lower->keyAnswer = true;
  EXPECT_TRUE(gfx.OnKeyDown(20, 20, j));  // taken: the handler never hears it
  EXPECT_TRUE(gfx.OnKeyUp(80, 20, k));    // the background gets no keys
  EXPECT_EQ(log, (Texts{"OnKeyDown 75 lower", "OnKeyDown 74 lower", "OnKeyDown 74 lower"}));
  EXPECT_EQ(handled, (Texts{"75 down", "74 down", "75 up"}));

  gfx.SetKeyHandler(nullptr);
  EXPECT_FALSE(gfx.OnKeyDown(150, 150, j));
}

TEST_F(InputDispatchTest, DropsReachTheControlUnderThePoint) {
  gfx.DropOnControl("a.wav", 20, 20);
  gfx.DropMultipleOnControl({"b.wav", "c.wav"}, 40, 40);
  gfx.DropOnControl("lost.wav", 150, 150);
  EXPECT_EQ(log, (Texts{"OnDrop 'a.wav' lower", "OnDrop 'b.wav' upper"}));
}

TEST_F(InputDispatchTest, ReleasingTheCaptureBringsAHiddenCursorBack) {
  gfx.MouseDownAll({At(20, 20)});
  gfx.HideMouseCursor(true, true);
  gfx.ReleaseMouseCapture();
  EXPECT_FALSE(gfx.ControlIsCaptured(lower));
  EXPECT_FALSE(gfx.CursorHidden());
  EXPECT_EQ(gfx.log.Texts().back(), "HideMouseCursor no lock yes");
  gfx.MouseUpAll({At(20, 20)});
  EXPECT_EQ(log, Texts{"OnMouseDown lower"});  // the release finds nothing held
}

TEST_F(InputDispatchTest, DragsGoOnlyToTheTextEntryWhileOneEdits) {
  gfx.MouseDownAll({At(20, 20)});
  gfx.CreateTextEntry(lower, DefaultTextStyle, Rect(60, 60, 80, 80), "12", 0);
  gfx.MouseDragAll({test::LeftButtonAt(20, 20, 1, 1)});  // the lower control holds the pointer, not the entry
  EXPECT_EQ(log, Texts{"OnMouseDown lower"});
  gfx.MouseUpAll({At(20, 20)});
  gfx.MouseDownAll({At(65, 70)});
  EXPECT_TRUE(gfx.ControlIsCaptured(gfx.GetTextEntryControl()));
}

TEST_F(InputDispatchTest, EndingAResizeRescalesAndRedrawsEveryControl) {
  gfx.MouseDownAll({At(95, 95)});
  gfx.SetResizing(true);
  gfx.SetAllControlsClean();
  log.clear();
  gfx.MouseUpAll({At(95, 95)});
  EXPECT_FALSE(gfx.IsResizing());
  const Texts rescaled(log.begin(), log.begin() + 6);
  EXPECT_EQ(rescaled, (Texts{"OnMouseUp resizer", "OnRescale background", "OnRescale lower",
                             "OnRescale upper", "OnRescale display", "OnRescale resizer"}));
  EXPECT_TRUE(lower->IsDirty());
  EXPECT_TRUE(background->IsDirty());
}

TEST_F(InputDispatchTest, DraggingTheCornerResizerZoomsTheEditorUntilTheRelease) {
  RecordingGfx editor(delegate, 300, 200);
  editor.AttachCornerResizer(IGfx::kScaleResizeMode, false, ColourGray, ColourWhite, ColourRed, 20.f);
  editor.MouseDownAll({At(290, 190)});
  EXPECT_TRUE(editor.IsResizing());
  // 10 % further from the corner on both axes: 10 % larger.
  editor.MouseDragAll({test::LeftButtonAt(319, 209, 29, 19)});
  EXPECT_FLOAT_EQ(editor.GetDrawScale(), 1.1f);
  EXPECT_EQ(editor.Width(), 300);
  editor.MouseUpAll({At(319, 209)});
  EXPECT_FALSE(editor.IsResizing());
  // The handle follows the zoom: 20 pixels are 20 / 1.1 units.
  EXPECT_FLOAT_EQ(editor.GetCornerResizer()->GetRect().left, 300.f - 20.f / 1.1f);
}

TEST_F(InputDispatchTest, AHandlerThatClosesTheEditorEndsTheDispatch) {
  auto* doomed = new RecordingGfx(delegate);
  auto* closing = new LoggingControl("closing", log, Rect(0, 0, 10, 10), 2);
  closing->onMouseDown = [doomed](float, float, const ModifierKeys&) { IGfx::DeleteSafely(doomed); };
  doomed->AttachControl(closing);
  auto* next = new LoggingControl("next", log, Rect(20, 0, 30, 10));
  doomed->AttachControl(next);
  log.clear();
  doomed->MouseDownAll({At(5, 5, 1), At(25, 5, 2)});
  // The second pointer is not dispatched into a closing editor, and its edit is ended.
  EXPECT_EQ(log, (Texts{"BeginParamEditFromUI 2", "OnMouseDown closing", "EndParamEditFromUI 2", "~ next",
                        "~ closing"}));
  EXPECT_EQ(delegate.GestureFaults(), Texts{});
}

}  // namespace
}  // namespace plugfw::gfx
