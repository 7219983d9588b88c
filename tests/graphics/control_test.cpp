// The control base and the knob base: value slots and SetDirty as the road to parameters,
// values from the delegate, the knob's drag and wheel rules, prompts, menus, animation and
// geometry - against the recording graphics context and real parameter records.

#include "graphics/control.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/param.h"
#include "graphics/knob_control_base.h"
#include "graphics/popup_menu.h"
#include "tests/graphics/support/gfx_test_support.h"

namespace plugfw::gfx {
namespace {

using test::GfxTestDelegate;
using test::LoggingControl;
using test::RecordingGfx;
using Texts = std::vector<std::string>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

enum TestParam : int32_t { kMix = 0, kVoices, kOctave, kFrequency, kShape, kNumTestParams };

class TestKnob : public IKnobControlBase {
 public:
  using IKnobControlBase::IKnobControlBase;
  void Draw(IGfx&) override {}
};

// Parameters: Mix 0..1 (default 0.5), Voices 0..10 stepped by 1 (default 2), Octave -2..2
// with a display text for each value, Frequency 20..20000 exponential, Shape an enumeration
// of three.
class ControlTest : public ::testing::Test {
 protected:
  ControlTest() {
    delegate.GetParam(kMix)->InitDoubleParam("Mix", 0.5, 0, 1, 0.01, "%");
    delegate.GetParam(kVoices)->InitIntParam("Voices", 2, 0, 10);
    IParam* octave = delegate.GetParam(kOctave);
    octave->InitIntParam("Octave", 0, -2, 2);
    const char* texts[] = {"-2 oct", "-1 oct", "unison", "+1 oct", "+2 oct"};
    for (int32_t v = -2; v <= 2; ++v) octave->AddDisplayText(v, texts[v + 2]);
    delegate.GetParam(kFrequency)
        ->InitDoubleParam("Frequency", 1000, 20, 20000, 1, "Hz", 0, "", IParam::ShapeExp());
    IParam* shape = delegate.GetParam(kShape);
    shape->InitEnumParam("Shape", 0, 3);
    shape->AddDisplayText(0, "Sine");
    shape->AddDisplayText(1, "Triangle");
    shape->AddDisplayText(2, "Square");
  }

  template <typename Control>
  Control& Attach(Control* control) {
    gfx.AttachControl(control);
    return *control;
  }
  LoggingControl& AttachLogging(const char* name, int32_t paramIdx, const Rect& bounds = Rect(0, 0, 10, 10)) {
    return Attach(new LoggingControl(name, log, bounds, paramIdx));
  }
  // The values that reached the delegate, without the gestures around them.
  Texts Sent() const {
    Texts sent;
    for (const std::string& call : delegate.calls) {
      if (call.rfind("SetParamFromUI", 0) == 0) sent.push_back(call);
    }
    return sent;
  }
  void ClearLogs() {
    log.clear();
    delegate.calls.clear();
    gfx.log.Clear();
  }

  std::vector<std::string> log;
  GfxTestDelegate delegate{kNumTestParams};
  RecordingGfx gfx{delegate};
};

TEST_F(ControlTest, SetDirtyClampsTheSlotsAndSendsBoundOnesOnlyWhenAsked) {
  struct Case {
    const char* what;
    int32_t paramIdx;
    double written;
    bool trigger;
    int32_t valIdx;
    double stored;
    Texts sent;
  };
  const Case cases[] = {
      {"too high, shown only", kMix, 1.7, false, -1, 1.0, {}},
      {"too low, sent", kMix, -0.2, true, -1, 0.0, {"SetParamFromUI 0 0"}},
      {"any index means the one slot", kMix, 0.25, true, 5, 0.25, {"SetParamFromUI 0 0.25"}},
      {"unbound: nothing to send", kNoParameter, 0.5, true, -1, 0.5, {}},
      {"NaN keeps the value before", kMix, kNaN, true, -1, 0.0, {"SetParamFromUI 0 0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int actions = 0;
    LoggingControl& control = AttachLogging("c", c.paramIdx);
    control.SetActionFunction([&actions](IControl&) { ++actions; });
    control.SetClean();
    delegate.calls.clear();
    control.SetValue(c.written);
    if (std::isfinite(c.written)) {
      EXPECT_EQ(control.GetValue(), c.written);  // stored as it is
    }
    control.SetDirty(c.trigger, c.valIdx);
    EXPECT_DOUBLE_EQ(control.GetValue(), c.stored);
    EXPECT_TRUE(control.IsDirty());
    EXPECT_EQ(Sent(), c.sent);
    EXPECT_EQ(delegate.GestureFaults(), Texts{});
    EXPECT_EQ(actions, c.trigger ? 1 : 0);
    EXPECT_FALSE(std::isnan(delegate.GetParam(kMix)->Value()));
  }
}

TEST_F(ControlTest, ATriggeredChangeMovesThePeersOfTheSameParameterButNotTheControlItself) {
  LoggingControl& source = AttachLogging("source", kMix);
  LoggingControl& peer = AttachLogging("peer", kMix);
  LoggingControl& other = AttachLogging("other", kVoices);
  source.SetValue(0.8);
  source.SetDirty(true);
  EXPECT_DOUBLE_EQ(peer.GetValue(), 0.8);
  EXPECT_DOUBLE_EQ(other.GetValue(), 0.0);
  EXPECT_DOUBLE_EQ(delegate.GetParam(kMix)->Value(), 0.8);
  // Without the action flag nothing travels.
  source.SetValue(0.1);
  source.SetDirty(false);
  EXPECT_DOUBLE_EQ(peer.GetValue(), 0.8);
}

TEST_F(ControlTest, SetValueFromDelegateIgnoresHeldControlsAndNonFiniteValues) {
  struct Case {
    const char* what;
    bool captured;
    double value;
    double shown;
    bool dirtied;
  };
  const Case cases[] = {
      {"a new value shows", false, 0.6, 0.6, true},
      {"the same value changes nothing", false, 0.3, 0.3, false},
      {"held by a drag", true, 0.9, 0.3, false},
      {"NaN", false, kNaN, 0.3, false},
      {"infinity", false, std::numeric_limits<double>::infinity(), 0.3, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LoggingControl& control = AttachLogging("c", kMix);
    control.SetValue(0.3);
    control.SetClean();
    if (c.captured) gfx.CapturePointer(0, &control);
    control.SetValueFromDelegate(c.value);
    EXPECT_DOUBLE_EQ(control.GetValue(), c.shown);
    EXPECT_EQ(control.IsDirty(), c.dirtied);
    gfx.ReleaseMouseCapture();
  }
  EXPECT_TRUE(delegate.calls.empty());  // shown, never echoed back
}

TEST_F(ControlTest, UserInputIsSentOnceWhenItDiffers) {
  LoggingControl& control = AttachLogging("c", kMix);
  control.SetValueFromUserInput(0.4);
  control.SetValueFromUserInput(0.4);
  control.SetValueFromUserInput(kNaN);
  EXPECT_EQ(Sent(), Texts{"SetParamFromUI 0 0.4"});
}

TEST_F(ControlTest, DoubleClickRestoresTheDefaultAndSendsIt) {
  LoggingControl& control = AttachLogging("c", kFrequency);
  control.SetValue(0.9);
  control.OnMouseDoubleClick(1, 1, ModifierKeys());
  const double expected = delegate.GetParam(kFrequency)->ToNormalized(1000);
  EXPECT_DOUBLE_EQ(control.GetValue(), expected);
  EXPECT_NEAR(delegate.GetParam(kFrequency)->Value(), 1000, 1e-6);
}

TEST_F(ControlTest, ControlsWithSeveralSlotsAddressThemByIndex) {
  auto* pair = new LoggingControl("pair", log);
  gfx.AttachControl(pair);
  EXPECT_EQ(pair->NVals(), 1);
  struct TwoSlots : IControl {
    TwoSlots() : IControl(Rect(0, 0, 10, 10), {kMix, kVoices}) {}
    void Draw(IGfx&) override {}
  };
  TwoSlots& two = Attach(new TwoSlots());
  EXPECT_EQ(two.GetValueIndexForPosition(5, 5), -1);
  EXPECT_EQ(two.ValueIndexOfParam(kVoices), 1);
  EXPECT_EQ(two.ValueIndexOfParam(kOctave), -1);
  two.SetValue(0.3, 0);
  two.SetValue(0.7, 1);
  two.SetDirty(true, 1);
  EXPECT_EQ(Sent(), Texts{"SetParamFromUI 1 0.7"});
  delegate.calls.clear();
  two.SetDirty(true);
  EXPECT_EQ(Sent(), (Texts{"SetParamFromUI 0 0.3", "SetParamFromUI 1 0.7"}));
  EXPECT_EQ(two.GetParamIdx(7), kNoParameter);
  EXPECT_DOUBLE_EQ(two.GetValue(-3), 0.0);
}

TEST_F(ControlTest, SetParamIdxRefusesASlotOutsideTheListWithAResult) {
  LoggingControl& control = AttachLogging("c", kMix);
  EXPECT_TRUE(control.SetParamIdx(kVoices, 0));
  EXPECT_EQ(control.GetParamIdx(0), kVoices);
  bool refused = true;
  EXPECT_DEBUG_DEATH(refused = !control.SetParamIdx(kOctave, 3), "SetParamIdx");
  EXPECT_TRUE(refused);
  EXPECT_EQ(control.GetParamIdx(0), kVoices);
  EXPECT_EQ(control.NVals(), 1);
}

TEST_F(ControlTest, KnobDragFollowsGearingFineModeAndTravel) {
  struct Case {
    const char* what;
    int32_t direction;
    ModifierKeys mod;
    float dX, dY;
    double start, expected;
  };
  ModifierKeys shift;
  shift.shift = true;
  ModifierKeys control;
  control.control = true;
  const Case cases[] = {
      {"one travel height up", IKnobControlBase::kVertical, {}, 0, -100, 0.5, 0.75},
      {"one travel height down", IKnobControlBase::kVertical, {}, 0, 100, 0.5, 0.25},
      {"fine with shift", IKnobControlBase::kVertical, shift, 0, -100, 0.5, 0.525},
      {"fine with control", IKnobControlBase::kVertical, control, 0, -100, 0.5, 0.525},
      {"horizontal, one travel width", IKnobControlBase::kHorizontal, {}, 50, 0, 0.5, 0.75},
      {"clamped at the top", IKnobControlBase::kVertical, {}, 0, -300, 0.5, 1.0},
      {"NaN movement", IKnobControlBase::kVertical, {}, 0, std::nanf(""), 0.5, 0.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestKnob& knob = Attach(new TestKnob(Rect(0, 0, 50, 100), kMix, c.direction));
    knob.SetValue(c.start);
    knob.OnMouseDown(10, 10, ModifierKeys());
    knob.OnMouseDrag(10, 10, c.dX, c.dY, c.mod);
    EXPECT_NEAR(knob.GetValue(), c.expected, 1e-12);
    EXPECT_FALSE(std::isnan(delegate.GetParam(kMix)->Value()));
  }
}

TEST_F(ControlTest, KnobRunningValueCarriesOverClampedAndZeroTravelIsNoChange) {
  TestKnob& knob = Attach(new TestKnob(Rect(0, 0, 50, 100), kMix));
  knob.SetValue(0.9);
  knob.OnMouseDown(10, 10, ModifierKeys());
  knob.OnMouseDrag(10, 10, 0, -100, ModifierKeys());  // would be 1.15: held at 1
  knob.OnMouseDrag(10, 10, 0, 40, ModifierKeys());    // back by 0.1 from 1, not from 1.15
  EXPECT_NEAR(knob.GetValue(), 0.9, 1e-12);

  TestKnob& flat = Attach(new TestKnob(Rect(10, 10, 60, 10), kMix));
  flat.SetValue(0.4);
  delegate.calls.clear();
  flat.OnMouseDown(10, 10, ModifierKeys());
  flat.OnMouseDrag(10, 10, 0, -20, ModifierKeys());
  EXPECT_DOUBLE_EQ(flat.GetValue(), 0.4);
  EXPECT_TRUE(delegate.calls.empty());
}

TEST_F(ControlTest, KnobOnASteppedParameterShowsStepsWhileTheRunningValueStaysSmooth) {
  TestKnob& knob = Attach(new TestKnob(Rect(0, 0, 50, 100), kVoices));
  knob.SetValue(0.2);  // 2 voices
  knob.OnMouseDown(10, 10, ModifierKeys());
  knob.OnMouseDrag(10, 10, 0, -12, ModifierKeys());  // running 0.23: still 2
  EXPECT_DOUBLE_EQ(knob.GetValue(), 0.2);
  knob.OnMouseDrag(10, 10, 0, -12, ModifierKeys());  // running 0.26: 3
  EXPECT_DOUBLE_EQ(knob.GetValue(), 0.3);
  EXPECT_DOUBLE_EQ(delegate.GetParam(kVoices)->Value(), 3.0);
}

TEST_F(ControlTest, KnobWheelStepsPlainAndSteppedParameters) {
  ModifierKeys shift;
  shift.shift = true;
  struct Case {
    const char* what;
    int32_t paramIdx;
    double start;
    ModifierKeys mod;
    float delta;
    double expected;
  };
  const Case cases[] = {
      {"plain notch", kMix, 0.5, {}, 1.f, 0.51},
      {"plain fine", kMix, 0.5, shift, 1.f, 0.501},
      {"plain three back", kMix, 0.5, {}, -3.f, 0.47},
      {"clamped", kMix, 0.995, {}, 1.f, 1.0},
      {"NaN delta", kMix, 0.5, {}, std::nanf(""), 0.5},
      {"stepped up", kVoices, 0.2, {}, 1.f, 0.3},
      {"stepped: one step whatever the size", kVoices, 0.2, {}, 5.f, 0.3},
      {"stepped down by a small delta", kVoices, 0.2, {}, -0.1f, 0.1},
      {"stepped, no delta", kVoices, 0.2, {}, 0.f, 0.2},
      {"stepped at the top", kVoices, 1.0, {}, 1.f, 1.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestKnob& knob = Attach(new TestKnob(Rect(0, 0, 50, 100), c.paramIdx));
    knob.SetValue(c.start);
    knob.OnMouseWheel(5, 5, c.mod, c.delta);
    EXPECT_NEAR(knob.GetValue(), c.expected, 1e-12);
  }
}

TEST_F(ControlTest, KnobHidesAndLocksTheCursorForTheDrag) {
  TestKnob& knob = Attach(new TestKnob(Rect(0, 0, 50, 100), kMix));
  knob.OnMouseDown(10, 10, ModifierKeys());
  EXPECT_TRUE(knob.IsDragging());
  knob.OnMouseUp(10, 10, ModifierKeys());
  EXPECT_FALSE(knob.IsDragging());
  EXPECT_EQ(gfx.log.Texts(), (Texts{"HideMouseCursor yes lock yes", "HideMouseCursor no lock yes"}));

  gfx.log.Clear();
  TestKnob& visible = Attach(new TestKnob(Rect(0, 0, 50, 100), kMix));
  visible.SetHideCursorOnDrag(false);
  visible.OnMouseDown(10, 10, ModifierKeys());
  visible.OnMouseUp(10, 10, ModifierKeys());
  EXPECT_EQ(gfx.log.Count("HideMouseCursor"), 0);
}

TEST_F(ControlTest, RightClickPromptsOnlyWhenAllowedAndBound) {
  ModifierKeys right;
  right.rightButton = true;
  TestKnob& knob = Attach(new TestKnob(Rect(100, 100, 160, 140), kMix));
  knob.OnMouseDown(120, 120, right);
  EXPECT_EQ(gfx.log.Count("ShowNativeTextEntry"), 0);  // the prompt is off by default

  knob.SetPromptDisabled(false);
  knob.OnMouseDown(120, 120, ModifierKeys());  // left button: no prompt
  knob.OnMouseDown(120, 120, right);
  const auto entries = gfx.log.Named("ShowNativeTextEntry");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].rect, Rect(110, 112, 150, 128));  // 40 × 16 about the centre
  EXPECT_NE(entries[0].text.find("'0.50'"), std::string::npos) << entries[0].text;

  // With display texts the prompt covers the control.
  gfx.log.Clear();
  TestKnob& octave = Attach(new TestKnob(Rect(0, 0, 30, 30), kOctave));
  octave.SetPromptDisabled(false);
  octave.OnMouseDown(5, 5, right);
  const auto covering = gfx.log.Named("ShowNativeTextEntry");
  ASSERT_EQ(covering.size(), 1u);
  EXPECT_EQ(covering[0].rect, Rect(0, 0, 30, 30));
}

TEST_F(ControlTest, APromptMenuOfAnIntegerParameterWithTextsTypesTheItemsValue) {
  // Octave's display texts have the values -2 .. 2: item 0 is -2, not 0.
  TestKnob& octave = Attach(new TestKnob(Rect(0, 0, 30, 30), kOctave));
  octave.SetPromptDisabled(false);
  octave.SetValue(0.5);  // unison, as the parameter stands
  IPopupMenu menu("", {"-2 oct", "-1 oct", "unison", "+1 oct", "+2 oct"});
  struct Case {
    int32_t chosen;
    double octaves;
  };
  for (const Case& c : {Case{0, -2}, Case{4, 2}, Case{2, 0}}) {
    menu.SetChosenItemIdx(c.chosen);
    octave.OnPopupMenuSelection(&menu, 0);
    EXPECT_DOUBLE_EQ(delegate.GetParam(kOctave)->Value(), c.octaves) << c.chosen;
  }
  delegate.calls.clear();
  octave.OnPopupMenuSelection(nullptr, 0);
  menu.SetChosenItemIdx(-1);
  octave.OnPopupMenuSelection(&menu, 0);
  octave.SetPromptDisabled(true);
  menu.SetChosenItemIdx(0);
  octave.OnPopupMenuSelection(&menu, 0);
  EXPECT_TRUE(delegate.calls.empty());
}

TEST_F(ControlTest, AMenuAnswerForASecondSlotTakesThatSlotsParameter) {
  struct TwoSlots : IControl {
    TwoSlots() : IControl(Rect(0, 0, 10, 10), {kMix, kOctave}) { SetPromptDisabled(false); }
    void Draw(IGfx&) override {}
  };
  TwoSlots& two = Attach(new TwoSlots());
  two.SetValue(0.5, 1);
  IPopupMenu menu("", {"-2 oct", "-1 oct", "unison", "+1 oct", "+2 oct"});
  menu.SetChosenItemIdx(3);
  two.OnPopupMenuSelection(&menu, 1);
  EXPECT_DOUBLE_EQ(delegate.GetParam(kOctave)->Value(), 1.0);  // +1 octave, on Octave's range
  EXPECT_DOUBLE_EQ(two.GetValue(1), 0.75);
  EXPECT_DOUBLE_EQ(two.GetValue(0), 0.0);
}

TEST_F(ControlTest, APromptMenuAnswerReachesTheControlAndEndsTheEdit) {
  TestKnob& shape = Attach(new TestKnob(Rect(0, 0, 30, 30), kShape));
  shape.SetPromptDisabled(false);
  delegate.GetParam(kShape)->Set(1);
  shape.SetValue(0.5);
  gfx.menuAnswer = 2;
  ModifierKeys right;
  right.rightButton = true;
  shape.OnMouseDown(5, 5, right);
  const auto menus = gfx.log.Named("ShowNativePopupMenu");
  ASSERT_EQ(menus.size(), 1u);
  EXPECT_EQ(menus[0].rect, Rect(0, 0, 30, 30));
  EXPECT_DOUBLE_EQ(delegate.GetParam(kShape)->Value(), 2.0);
  ASSERT_FALSE(delegate.calls.empty());
  EXPECT_EQ(delegate.calls.back(), "EndParamEditFromUI 4");
  const IPopupMenu& prompt = gfx.GetPromptMenu();
  EXPECT_STREQ(prompt.GetTitle(), "Shape");
  ASSERT_EQ(prompt.NItems(), 3);
  EXPECT_TRUE(prompt.GetItem(1)->GetChecked());  // Triangle was the value shown
  EXPECT_FALSE(prompt.GetItem(2)->GetChecked());
}

TEST_F(ControlTest, AnimationProgressRunsOnTheReplaceableClock) {
  test::ScopedTestClock clock;
  LoggingControl& control = AttachLogging("c", kMix);
  EXPECT_DOUBLE_EQ(control.AnimationProgress(), 0.0);
  int ended = 0;
  control.SetAnimationEndActionFunction([&ended](IControl&) { ++ended; });
  size_t frames = 0;
  // The animation ends itself and still reads what it captured: that must outlive the end.
  control.SetAnimation([&frames, label = std::string(64, 'x')](IControl& c) {
    if (c.AnimationProgress() >= 1.0) c.OnEndAnimation();
    frames += label.size() / 64;
  });
  control.StartAnimation(1000);
  clock.AdvanceMs(250);
  EXPECT_DOUBLE_EQ(control.AnimationProgress(), 0.25);
  control.SetClean();
  EXPECT_TRUE(control.IsDirty());  // animating counts as dirty
  control.Animate();
  EXPECT_EQ(ended, 0);
  clock.AdvanceMs(1250);
  EXPECT_DOUBLE_EQ(control.AnimationProgress(), 1.5);  // not clamped
  control.Animate();
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(frames, 2u);
  EXPECT_FALSE(control.GetAnimationFunction());

  control.SetAnimation([](IControl&) {});
  control.StartAnimation(0);
  EXPECT_DOUBLE_EQ(control.AnimationProgress(), 1.0);  // no duration: over, no division
}

TEST_F(ControlTest, PositionAndSizeMoveBothRectsAndTellTheControl) {
  struct Watching : IControl {
    Watching() : IControl(Rect(10, 10, 30, 20)) { SetTargetRect(Rect(5, 5, 35, 25)); }
    void Draw(IGfx&) override {}
    void OnResize() override { targetSeen = GetTargetRect(); }
    Rect targetSeen;
  };
  Watching& control = Attach(new Watching());
  control.OnMouseOver(12, 12, ModifierKeys());
  control.SetPosition(-5, 40);
  EXPECT_EQ(control.GetRect(), Rect(0, 40, 20, 50));
  EXPECT_EQ(control.GetTargetRect(), Rect(-5, 35, 25, 55));
  EXPECT_EQ(control.targetSeen, Rect(5, 5, 35, 25));  // OnResize ran before the target moved
  EXPECT_FALSE(control.GetMouseIsOver());

  control.SetSize(-5, 8);
  EXPECT_EQ(control.GetRect(), Rect(0, 40, 0, 48));
  EXPECT_EQ(control.GetTargetRect(), control.GetRect());
  EXPECT_FALSE(control.IsHit(0, 41));  // zero width: hit by nothing
}

TEST_F(ControlTest, FlagsHitTestsAndTheHighlight) {
  LoggingControl& control = AttachLogging("c", kMix, Rect(10, 10, 20, 20));
  control.SetDisabled(true);
  EXPECT_FLOAT_EQ(control.GetBlend().weight, 0.25f);
  control.SetDisabled(false);
  EXPECT_FLOAT_EQ(control.GetBlend().weight, 1.f);

  EXPECT_TRUE(control.IsHit(10, 10));
  EXPECT_FALSE(control.IsHit(20, 15));
  control.SetTargetRect(Rect());
  EXPECT_FALSE(control.IsHit(0, 0));

  control.SetClean();
  control.OnMouseOver(15, 15, ModifierKeys());
  EXPECT_TRUE(control.IsDirty());
  control.SetClean();
  control.OnMouseOver(16, 16, ModifierKeys());
  EXPECT_FALSE(control.IsDirty());  // already over
  control.OnMouseOut();
  EXPECT_TRUE(control.IsDirty());

  gfx.log.Clear();
  control.DrawHighlight(gfx);
  EXPECT_EQ(gfx.log.Size(), 0u);
  control.SetTargetRect(Rect(10, 10, 20, 20));
  control.SetHighlightShown(true);
  control.DrawHighlight(gfx);
  EXPECT_EQ(gfx.log.Texts({"PathSetTransform"}),
            (Texts{"PathClear", "PathMoveTo 15 13", "PathArc 15 15 2 0 360 w0", "PathClose",
                   "PathFill solid(255,255,0,0) rule0"}));
}

TEST_F(ControlTest, ValueFromPositionRoundsAndLimits) {
  LoggingControl& control = AttachLogging("c", kMix);
  const Rect bounds(0, 0, 100, 200);
  control.SetValueFromPosition(0, 50, 0, bounds, 0, 0, 1);
  EXPECT_DOUBLE_EQ(control.GetValue(), 0.75);
  control.SetValueFromPosition(100.f / 3.f, 0, 1, bounds, 0, 0, 1);
  EXPECT_NEAR(control.GetValue(), 0.333, 1e-12);
  control.SetValueFromPosition(500, 0, 1, bounds, 0, 0.2, 0.6);
  EXPECT_DOUBLE_EQ(control.GetValue(), 0.6);
  control.SetValueFromPosition(5, 5, 0, Rect(10, 10, 10, 50), 0, 0, 1);
  EXPECT_DOUBLE_EQ(control.GetValue(), 0.6);
}

TEST_F(ControlTest, EventHandlersAreFoundByType) {
  LoggingControl& control = AttachLogging("c", kMix);
  EXPECT_FALSE(control.HasEventHandlers());
  int seen = 0;
  control.AddEventHandler(42, [&seen](IControl&, const ControlEvent& event) { seen += event.type; });
  EXPECT_TRUE(control.HasEventHandlers());
  EXPECT_FALSE(control.DispatchEventHandler(ControlEvent{7, nullptr}));
  EXPECT_EQ(control.GetLastEventType(), 0);
  EXPECT_TRUE(control.DispatchEventHandler(ControlEvent{42, nullptr}));
  EXPECT_EQ(seen, 42);
  EXPECT_EQ(control.GetLastEventType(), 42);
  control.SetAnimation([](IControl&) {});
  EXPECT_FALSE(control.HasEventHandlers());
}

TEST_F(ControlTest, DropsAndDefaults) {
  struct Dropping : IControl {
    Dropping() : IControl(Rect(0, 0, 5, 5)) {}
    void Draw(IGfx&) override {}
    void OnDrop(const char* text, float, float) override { dropped.push_back(text); }
    std::vector<std::string> dropped;
  };
  Dropping& control = Attach(new Dropping());
  control.OnDropMultiple({"a.wav", "b.wav"}, 1, 1);
  control.OnDropMultiple({}, 1, 1);
  EXPECT_EQ(control.dropped, Texts{"a.wav"});
  EXPECT_TRUE(control.GetPromptDisabled());
  EXPECT_EQ(control.GetTextEntryLength(), 7);
  EXPECT_EQ(control.GetTextStyle(), DefaultTextStyle);
  EXPECT_EQ(control.GetHighlightColour(), ColourRed);
}

}  // namespace
}  // namespace plugfw::gfx
