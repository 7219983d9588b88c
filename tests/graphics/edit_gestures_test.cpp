// Every road by which the editor changes a parameter, checked the way a host checks its
// edits: each change inside a begin and an end, no end without its begin, nothing left open.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "graphics/gfx.h"
#include "graphics/knob_control_base.h"
#include "graphics/text_entry_control.h"
#include "tests/graphics/case_names.h"
#include "tests/graphics/support/gfx_test_support.h"
#include "tests/graphics/support/mouse_states.h"

namespace plugfw::gfx {
namespace {

using test::GfxTestDelegate;
using test::LeftButtonAt;
using test::LoggingControl;
using test::RecordingGfx;
using Texts = std::vector<std::string>;

enum : int32_t { kMix = 0, kShape = 1, kNumParams = 2 };

class TestKnob : public IKnobControlBase {
 public:
  using IKnobControlBase::IKnobControlBase;
  void Draw(IGfx&) override {}
};

KeyEvent Key(int32_t keyCode, const char* text = "") {
  KeyEvent key;
  key.keyCode = keyCode;
  std::snprintf(key.utf8, sizeof key.utf8, "%s", text);
  return key;
}

// Digits and the full stop as the platform sends them: the key's code and its character.
void TypeText(IGfx& gfx, const char* text) {
  constexpr int32_t kFullStopKey = 0xBE;
  for (const char* c = text; *c; ++c) {
    const char typed[] = {*c, '\0'};
    gfx.OnKeyDown(0, 0, Key(*c == '.' ? kFullStopKey : *c, typed));
  }
}

// Mix (0..1, default 0.5) on a knob over (0, 0, 50, 100) and on a second knob beside it;
// Shape (three choices) on a control over (60, 0, 100, 20).
struct Editor {
  Editor() {
    delegate.GetParam(kMix)->InitDoubleParam("Mix", 0.5, 0, 1, 0.0001, "%");
    IParam* shape = delegate.GetParam(kShape);
    shape->InitEnumParam("Shape", 0, 3);
    shape->AddDisplayText(0, "Sine");
    shape->AddDisplayText(1, "Triangle");
    shape->AddDisplayText(2, "Square");
    knob = new TestKnob(Rect(0, 0, 50, 100), kMix);
    gfx.AttachControl(knob);
    twin = new TestKnob(Rect(0, 100, 50, 200), kMix);
    gfx.AttachControl(twin);
    shapeControl = new LoggingControl("shape", log, Rect(60, 0, 100, 20), kShape);
    shapeControl->SetPromptDisabled(false);
    gfx.AttachControl(shapeControl);
    gfx.AttachTextEntry();
    knob->SetValue(0.0);
    twin->SetValue(0.0);
  }

  // What the delegate heard, without the controls' own entries.
  Texts Edits() const {
    Texts edits;
    for (const std::string& entry : log) {
      if (entry.find("FromUI") != std::string::npos) edits.push_back(entry);
    }
    return edits;
  }

  Texts log;
  GfxTestDelegate delegate{kNumParams, &log};
  RecordingGfx gfx{delegate};
  TestKnob* knob;
  TestKnob* twin;
  LoggingControl* shapeControl;
};

struct GestureCase {
  const char* what;
  std::function<void(Editor&)> drive;
  Texts expected;
};

void PrintTo(const GestureCase& c, std::ostream* os) { *os << c.what; }

class EditGesturesTest : public ::testing::TestWithParam<GestureCase> {};

TEST_P(EditGesturesTest, EveryChangeReachesTheHostInsideAGesture) {
  Editor editor;
  GetParam().drive(editor);
  EXPECT_EQ(editor.Edits(), GetParam().expected);
  EXPECT_EQ(editor.delegate.GestureFaults(), Texts{});
  EXPECT_FALSE(editor.gfx.GetEditGestures().AnyEditOpen());
}

const Texts kLoneMixChange(const char* value) {
  return {"BeginParamEditFromUI 0", std::string("SetParamFromUI 0 ") + value, "EndParamEditFromUI 0"};
}

INSTANTIATE_TEST_SUITE_P(
    Roads, EditGesturesTest,
    ::testing::Values(
        GestureCase{"press drag release",
                    [](Editor& e) {
                      e.gfx.MouseDownAll({LeftButtonAt(10, 50)});
                      e.gfx.MouseDragAll({LeftButtonAt(10, 25, 0, -25)});
                      e.gfx.MouseDragAll({LeftButtonAt(10, 0, 0, -25)});
                      e.gfx.MouseUpAll({LeftButtonAt(10, 0)});
                    },
                    {"BeginParamEditFromUI 0", "SetParamFromUI 0 0.0625", "SetParamFromUI 0 0.125",
                     "EndParamEditFromUI 0"}},
        GestureCase{"a press without movement",
                    [](Editor& e) {
                      e.gfx.MouseDownAll({LeftButtonAt(10, 50)});
                      e.gfx.MouseUpAll({LeftButtonAt(10, 50)});
                    },
                    {"BeginParamEditFromUI 0", "EndParamEditFromUI 0"}},
        GestureCase{"wheel", [](Editor& e) { e.gfx.MouseWheel(10, 50, {}, 1.f); }, kLoneMixChange("0.01")},
        GestureCase{"wheel during a drag stays in the drag's gesture",
                    [](Editor& e) {
                      e.gfx.MouseDownAll({LeftButtonAt(10, 50)});
                      e.gfx.MouseWheel(10, 50, {}, 1.f);
                      e.gfx.MouseUpAll({LeftButtonAt(10, 50)});
                    },
                    {"BeginParamEditFromUI 0", "SetParamFromUI 0 0.01", "EndParamEditFromUI 0"}},
        GestureCase{"double click to the default", [](Editor& e) { e.gfx.MouseDoubleClick(10, 50, {}); },
                    kLoneMixChange("0.5")},
        GestureCase{"a key",
                    [](Editor& e) {
                      e.shapeControl->onKey = [&e](const KeyEvent&) {
                        e.shapeControl->SetValueFromUserInput(1.0);
                      };
                      e.gfx.OnKeyDown(70, 10, Key(0x26));
                    },
                    {"BeginParamEditFromUI 1", "SetParamFromUI 1 1", "EndParamEditFromUI 1"}},
        GestureCase{"a text entry committed with Enter",
                    [](Editor& e) {
                      e.gfx.PromptValueEntry(e.knob, Rect(5, 40, 45, 56), 0);
                      TypeText(e.gfx, "0.75");
                      e.gfx.OnKeyDown(0, 0, Key(0x0D));
                    },
                    kLoneMixChange("0.75")},
        GestureCase{"a text entry committed by a press outside",
                    [](Editor& e) {
                      e.gfx.PromptValueEntry(e.knob, Rect(5, 40, 45, 56), 0);
                      TypeText(e.gfx, "0.8");
                      e.gfx.MouseDownAll({LeftButtonAt(80, 150)});
                      e.gfx.MouseUpAll({LeftButtonAt(80, 150)});
                    },
                    kLoneMixChange("0.8")},
        GestureCase{"the platform's edit box",
                    [](Editor& e) {
                      e.gfx.RemoveAllControls();  // no drawn entry: the platform's box
                      auto* knob = new TestKnob(Rect(0, 0, 50, 100), kMix);
                      e.gfx.AttachControl(knob);
                      e.gfx.PromptValueEntry(knob, Rect(5, 40, 45, 56), 0);
                      e.gfx.ApplyTextEntry("0.25");
                    },
                    kLoneMixChange("0.25")},
        GestureCase{"a menu choice",
                    [](Editor& e) {
                      e.gfx.menuAnswer = 2;
                      e.gfx.PromptValueEntry(e.shapeControl, Rect(60, 0, 100, 20), 0);
                    },
                    {"BeginParamEditFromUI 1", "SetParamFromUI 1 1", "EndParamEditFromUI 1"}},
        GestureCase{"a menu opened by a press ends the press's edit before its answer",
                    [](Editor& e) {
                      e.gfx.menuAnswer = 1;
                      e.shapeControl->onMouseDown = [&e](float, float, const ModifierKeys&) {
                        e.gfx.PromptValueEntry(e.shapeControl, Rect(60, 0, 100, 20), 0);
                      };
                      e.gfx.MouseDownAll({LeftButtonAt(70, 10)});
                      e.gfx.MouseUpAll({LeftButtonAt(70, 10)});
                    },
                    {"BeginParamEditFromUI 1", "EndParamEditFromUI 1", "BeginParamEditFromUI 1",
                     "SetParamFromUI 1 0.5", "EndParamEditFromUI 1"}},
        GestureCase{"a dismissed menu",
                    [](Editor& e) {
                      e.gfx.menuAnswer = -1;
                      e.shapeControl->onMouseDown = [&e](float, float, const ModifierKeys&) {
                        e.gfx.PromptValueEntry(e.shapeControl, Rect(60, 0, 100, 20), 0);
                      };
                      e.gfx.MouseDownAll({LeftButtonAt(70, 10)});
                      e.gfx.MouseUpAll({LeftButtonAt(70, 10)});
                    },
                    {"BeginParamEditFromUI 1", "EndParamEditFromUI 1"}},
        GestureCase{"the capture released in mid-drag",
                    [](Editor& e) {
                      e.gfx.MouseDownAll({LeftButtonAt(10, 50)});
                      e.gfx.MouseDragAll({LeftButtonAt(10, 25, 0, -25)});
                      e.gfx.ReleaseMouseCapture();  // a resize or a popup elsewhere
                      e.gfx.MouseDragAll({LeftButtonAt(10, 0, 0, -25)});
                      e.gfx.MouseUpAll({LeftButtonAt(10, 0)});
                    },
                    {"BeginParamEditFromUI 0", "SetParamFromUI 0 0.0625", "EndParamEditFromUI 0"}},
        GestureCase{"the pressed control removed in mid-drag, before any release",
                    [](Editor& e) {
                      e.gfx.MouseDownAll({LeftButtonAt(10, 50)});
                      e.gfx.RemoveControl(e.knob);
                      e.gfx.MouseDragAll({LeftButtonAt(10, 25, 0, -25)});
                    },
                    {"BeginParamEditFromUI 0", "EndParamEditFromUI 0"}},
        GestureCase{"every control removed in mid-drag",
                    [](Editor& e) {
                      e.gfx.MouseDownAll({LeftButtonAt(10, 50)});
                      e.gfx.RemoveAllControls();
                      e.gfx.MouseUpAll({LeftButtonAt(10, 50)});
                    },
                    {"BeginParamEditFromUI 0", "EndParamEditFromUI 0"}},
        GestureCase{"two pointers on one parameter make one gesture",
                    [](Editor& e) {
                      e.gfx.MouseDownAll({LeftButtonAt(10, 50, 0, 0, 1), LeftButtonAt(10, 150, 0, 0, 2)});
                      e.gfx.MouseDragAll({LeftButtonAt(10, 25, 0, -25, 1)});
                      e.gfx.MouseUpAll({LeftButtonAt(10, 25, 0, 0, 1)});
                      e.gfx.MouseDragAll({LeftButtonAt(10, 125, 0, -25, 2)});
                      e.gfx.MouseUpAll({LeftButtonAt(10, 125, 0, 0, 2)});
                    },
                    {"BeginParamEditFromUI 0", "SetParamFromUI 0 0.0625", "SetParamFromUI 0 0.0625",
                     "EndParamEditFromUI 0"}}),
    test::CaseName{});

TEST(EditGestures, ClosingTheEditorInMidDragEndsTheEdit) {
  Editor editor;
  auto gfx = std::make_unique<RecordingGfx>(editor.delegate);
  auto* knob = new TestKnob(Rect(0, 0, 50, 100), kMix);
  gfx->AttachControl(knob);
  gfx->MouseDownAll({LeftButtonAt(10, 50)});
  gfx->MouseDragAll({LeftButtonAt(10, 25, 0, -25)});
  gfx.reset();
  EXPECT_EQ(editor.Edits(),
            (Texts{"BeginParamEditFromUI 0", "SetParamFromUI 0 0.0625", "EndParamEditFromUI 0"}));
  EXPECT_EQ(editor.delegate.GestureFaults(), Texts{});
}

}  // namespace
}  // namespace plugfw::gfx
