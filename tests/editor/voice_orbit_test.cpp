// The voice field on the recording graphics context: what it draws from the parameters and a
// crafted engine record, the presses, drags and double clicks with the host calls they make in
// order (the headless wrapper is the host), and the axis under a clock the test moves.

#include "editor/voice_orbit_control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "editor/help_texts.h"
#include "editor/palette.h"
#include "effect/engine_smoothing.h"
#include "effect/halcyra.h"
#include "tests/editor/drawn_shapes.h"
#include "tests/editor/snapshot_feed.h"
#include "tests/graphics/support/recording_gfx.h"
#include "tests/graphics/support/test_clock.h"

namespace halcyra::test {
namespace {

using plugfw::gfx::Colour;
using plugfw::gfx::ModifierKeys;
using plugfw::gfx::test::RecordingGfx;
using plugfw::gfx::test::ScopedTestClock;
using Call = plugfw::test::HeadlessWrapper::Call;

constexpr int32_t kPan0 = 70;          // voice 1's Pan
constexpr int32_t kDelayOffset0 = 65;  // voice 1's Delay Offset

ModifierKeys Left(bool shift = false) {
  ModifierKeys mod;
  mod.leftButton = true;
  mod.shift = shift;
  return mod;
}

class VoiceOrbitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin_ = CreatePluginInstance({});
    ASSERT_NE(plugin_, nullptr);
    plugin_->logUiSends = false;
    gfx_ = std::make_unique<RecordingGfx>(*plugin_, Halcyra::kEditorWidth, Halcyra::kEditorHeight);
    view_ = std::make_shared<ViewState>();
    field_ = new VoiceOrbitControl(plugin_.get(), view_, feed_.Reader());
    ASSERT_NE(gfx_->AttachControl(field_), nullptr);
    // The plug-in opens on its first recipe; the tests start from a plain field instead: two
    // voices in use, every handle at the centre. Base Delay 40 ms puts a voice without an offset
    // halfway up the 80 ms axis, at y 253.
    Set(kParamModel, static_cast<double>(Structure::kDigitalClassic));
    Set(kParamVoices, 2);
    Set(kParamBaseDelay, 40);
    for (int32_t voice = 0; voice < kVoiceCount; ++voice) {
      Set(VoiceParamIndex(voice, kVoiceEnabled), 1);
      SetVoice(voice, 0, 0);
    }
    plugin_->log.clear();
  }
  void TearDown() override {
    gfx_.reset();
    plugin_.reset();
  }

  void Set(int32_t paramIdx, double plain) { plugin_->GetParam(paramIdx)->Set(plain); }
  double Value(int32_t paramIdx) const { return plugin_->GetParam(paramIdx)->Value(); }
  void SetVoice(int32_t voice, double pan, double delayOffset) {
    Set(VoiceParamIndex(voice, kVoicePan), pan);
    Set(VoiceParamIndex(voice, kVoiceDelayOffset), delayOffset);
  }

  // The pointer as the input dispatch hands it on: captured from the press to the release.
  void Press(float x, float y, const ModifierKeys& mod = Left()) {
    gfx_->CapturePointer(0, field_);
    field_->OnMouseDown(x, y, mod);
  }
  void Drag(float x, float y, const ModifierKeys& mod = Left()) { field_->OnMouseDrag(x, y, 1, 1, mod); }
  void Release(float x, float y) {
    field_->OnMouseUp(x, y, Left());
    gfx_->ReleaseMouseCapture();
  }
  void Frame() { field_->IsDirty(); }
  void Draw() {
    gfx_->log.Clear();
    field_->Draw(*gfx_);
    shapes_ = DrawnShapes(gfx_->log);
    texts_ = DrawnTexts(gfx_->log);
  }

  // What the host heard, in order: "begin 70", "set 70 0.5", "end 70".
  std::vector<std::string> HostCalls() const {
    std::vector<std::string> calls;
    for (const auto& entry : plugin_->log) {
      char text[64];
      if (entry.call == Call::kBeginEdit) std::snprintf(text, sizeof text, "begin %d", entry.paramIdx);
      if (entry.call == Call::kEndEdit) std::snprintf(text, sizeof text, "end %d", entry.paramIdx);
      if (entry.call == Call::kSendToHost)
        std::snprintf(text, sizeof text, "set %d %g", entry.paramIdx, entry.value);
      if (entry.call != Call::kSendToUI) calls.push_back(text);
    }
    return calls;
  }

  ScopedTestClock clock_;  // made before the control, which reads it
  std::unique_ptr<Halcyra> plugin_;
  std::unique_ptr<RecordingGfx> gfx_;
  ViewStatePtr view_;
  SnapshotFeed feed_;
  VoiceOrbitControl* field_ = nullptr;
  std::vector<DrawnShape> shapes_;
  std::vector<DrawnText> texts_;
};

using Calls = std::vector<std::string>;

TEST_F(VoiceOrbitTest, HandlesStandWhereTheParametersAskAndDotsWhereTheEngineMeasures) {
  SetVoice(0, -50, 0);  // selected, in use
  SetVoice(1, 50, 20);  // in use
  SetVoice(2, 0, -20);  // not in use: Voices is 2
  DisplaySnapshot display;
  display.signalPresent = 1;
  display.voiceActive[1] = 1;
  display.voiceDelayMs[1] = 40.f;
  display.voicePanPercent[1] = 0.f;
  display.voiceMotion[1] = -0.5f;
  feed_.Publish(display);
  Frame();
  Draw();

  const auto violet = Circles(shapes_, VioletColour, false);
  ASSERT_EQ(violet.size(), 1u);
  EXPECT_FLOAT_EQ(violet[0].cx, 230.25f);  // a quarter across
  EXPECT_FLOAT_EQ(violet[0].cy, 253.f);    // 40 ms of 80
  EXPECT_FLOAT_EQ(violet[0].r, 9.f);       // the selected voice
  const auto teal = Circles(shapes_, TealColour, false);
  ASSERT_EQ(teal.size(), 1u);
  EXPECT_FLOAT_EQ(teal[0].cx, 524.75f);
  EXPECT_FLOAT_EQ(teal[0].cy, 218.f);  // 60 ms of 80
  EXPECT_FLOAT_EQ(teal[0].r, 6.f);
  // Voice 3 and the rest are guides only, in the rule colour.
  EXPECT_EQ(Circles(shapes_, RuleColour, false).size(), 6u);

  // The measured voice: a line from its handle to the dot, the dot, and its motion ring.
  const auto dots = Circles(shapes_, TealColour, true);
  ASSERT_EQ(dots.size(), 1u);
  EXPECT_FLOAT_EQ(dots[0].cx, 377.5f);
  EXPECT_FLOAT_EQ(dots[0].cy, 253.f);
  const auto rings = Circles(shapes_, Colour(70, 105, 204, 194), false);
  ASSERT_EQ(rings.size(), 1u);
  EXPECT_FLOAT_EQ(rings[0].r, 7.5f);
  const auto pull = StrokedLines(shapes_, TealColour, 1.f);
  ASSERT_EQ(pull.size(), 1u);
  EXPECT_FLOAT_EQ(pull[0].x1, 524.75f);
  EXPECT_FLOAT_EQ(pull[0].x2, 377.5f);
  // Stems rise from the centre at the base delay's height.
  const auto stems = StrokedLines(shapes_, Colour(45, 105, 204, 194), 1.f);
  ASSERT_EQ(stems.size(), 1u);
  EXPECT_FLOAT_EQ(stems[0].x1, 377.5f);
  EXPECT_FLOAT_EQ(stems[0].y1, 253.f);
  // Voices 3 and 7 share amber; both are out of use, so their stems are faint.
  EXPECT_EQ(StrokedLines(shapes_, Colour(15, 215, 165, 109), 1.f).size(), 2u);

  ASSERT_NE(FindText(texts_, "1 ACTUAL / 2 REQUESTED"), nullptr);
  EXPECT_EQ(FindText(texts_, "1")->style.textColour, PaperColour);
  EXPECT_EQ(FindText(texts_, "3")->style.textColour, MutedColour);
  for (const char* label : {"0ms", "20ms", "40ms", "60ms", "80ms", "LEFT", "CENTRE", "RIGHT"})
    EXPECT_NE(FindText(texts_, label), nullptr) << label;
  const DrawnText* readout =
      FindText(texts_, "V1 / INACTIVE / PRIMARY 0.00ms / CLOCK 0.00Hz / PAN +0 / -120.0dB");
  ASSERT_NE(readout, nullptr);
  EXPECT_EQ(readout->style.textColour, MutedColour);
}

struct DragCase {
  float right;
  float up;
  bool shift;
  double pan;
  double delayOffset;
};

class VoiceDrag : public VoiceOrbitTest, public ::testing::WithParamInterface<DragCase> {};

TEST_P(VoiceDrag, MovesPanAcrossAndDelayOffsetUpInsideOneGesturePair) {
  const DragCase& c = GetParam();
  SetVoice(0, -50, 0);
  Press(230.25f, 253.f);
  EXPECT_EQ(HostCalls(), (Calls{"begin 70", "begin 65"}));
  Drag(230.25f + c.right, 253.f - c.up, Left(c.shift));
  EXPECT_NEAR(Value(kPan0), c.pan, 1e-4);
  EXPECT_NEAR(Value(kDelayOffset0), c.delayOffset, 1e-9);
  Release(230.25f + c.right, 253.f - c.up);
  char pan[32], delay[32];
  std::snprintf(pan, sizeof pan, "set 70 %g", (c.pan + 100) / 200);
  std::snprintf(delay, sizeof delay, "set 65 %g", (c.delayOffset + 20) / 40);
  EXPECT_EQ(HostCalls(), (Calls{"begin 70", "begin 65", pan, delay, "end 70", "end 65"}));
}

INSTANTIATE_TEST_SUITE_P(
    Movements, VoiceDrag,
    ::testing::Values(DragCase{147.25f, 17.5f, false, 0, 10},  // a quarter across: 50 %; 17.5 up: 10 ms
                      DragCase{147.25f, 17.5f, true, -45, 1},  // Shift: a tenth of both
                      DragCase{589.f, 140.f, false, 100, 20},  // the whole plane: clamped to the ranges
                      DragCase{589.f, 0.f, true, -30, 0},      // Shift: 20 % for the whole width
                      DragCase{-58.9f, -35.f, false, -70, -20}));

TEST_F(VoiceOrbitTest, RedrawsWhenTheVoicesOrTheirSettingsChange) {
  const auto dirtyAfterCleaning = [this] {
    field_->SetClean();
    return field_->IsDirty();
  };
  EXPECT_TRUE(dirtyAfterCleaning()) << "the first frame";
  EXPECT_FALSE(dirtyAfterCleaning()) << "nothing moved";
  clock_.AdvanceMs(5000);
  EXPECT_FALSE(dirtyAfterCleaning()) << "time alone, with the axis where it belongs";
  DisplaySnapshot display;
  display.voiceActive[0] = 1;
  display.voiceDelayMs[0] = 30.f;
  feed_.Publish(display);
  EXPECT_TRUE(dirtyAfterCleaning()) << "a dot moved";
  EXPECT_FALSE(dirtyAfterCleaning());
  Set(VoiceParamIndex(1, kVoicePan), 40);
  EXPECT_TRUE(dirtyAfterCleaning()) << "a handle moved";
  EXPECT_FALSE(dirtyAfterCleaning());
}

TEST_F(VoiceOrbitTest, ShiftMidDragRescalesTheWholeMovement) {
  SetVoice(0, -50, 0);
  Press(230.25f, 253.f);
  Drag(377.5f, 253.f);
  EXPECT_DOUBLE_EQ(Value(kPan0), 0);
  Drag(377.5f, 253.f, Left(true));
  EXPECT_DOUBLE_EQ(Value(kPan0), -45);
}

TEST_F(VoiceOrbitTest, TheAxisGrowsAtOnceAndShrinksOneStepPerHold) {
  Set(kParamBaseDelay, 60);
  SetVoice(0, 0, 20);  // requested 80 ms: no growth
  Frame();
  EXPECT_DOUBLE_EQ(field_->AxisMaximum(), 80);
  DisplaySnapshot display;
  display.voiceActive[0] = 1;
  display.voiceDelayMs[0] = 130.f;
  feed_.Publish(display);
  Frame();
  EXPECT_DOUBLE_EQ(field_->AxisMaximum(), 160);
  display.voiceDelayMs[0] = 10.f;
  feed_.Publish(display);
  const struct {
    double advanceMs;
    double axis;
  } steps[] = {{1000, 160}, {500, 160}, {1, 120}, {1000, 120}, {500, 120}, {1, 80}, {5000, 80}};
  for (const auto& step : steps) {
    clock_.AdvanceMs(step.advanceMs);
    Frame();
    EXPECT_DOUBLE_EQ(field_->AxisMaximum(), step.axis) << step.advanceMs;
  }
}

TEST_F(VoiceOrbitTest, TheAxisHoldsStillWhileADragRuns) {
  Press(377.5f, 253.f);
  ASSERT_TRUE(field_->IsDragging());
  DisplaySnapshot display;
  display.voiceActive[1] = 1;
  display.voiceDelayMs[1] = 200.f;
  feed_.Publish(display);
  Frame();
  EXPECT_DOUBLE_EQ(field_->AxisMaximum(), 80);
  Release(377.5f, 253.f);
  Frame();
  EXPECT_DOUBLE_EQ(field_->AxisMaximum(), 200);
}

TEST_F(VoiceOrbitTest, APressPicksTheNearestHandleTheFirstOnATie) {
  Set(kParamVoices, 8);
  SetVoice(5, 50, 0);  // the others share one point at the centre
  struct {
    float x, y;
    int32_t voice;  // -1: nothing chosen
  } presses[] = {
      {500.f, 253.f, 5},    {377.5f, 253.f, 0},  // a tie goes to the lowest voice
      {407.5f, 253.f, 0},                        // 30 units: still a hit
      {377.5f, 283.5f, -1},                      // 30.5 units: nothing
      {67.f, 253.f, -1},                         // outside the field's press area
  };
  for (const auto& press : presses) {
    SCOPED_TRACE(press.x);
    view_->SelectPage(16, *gfx_);
    Press(press.x, press.y);
    if (press.voice < 0) {
      EXPECT_EQ(view_->CurrentPage(), 16);
      EXPECT_FALSE(field_->IsDragging());
    } else {
      EXPECT_EQ(view_->CurrentPage(), 4 + press.voice);
      EXPECT_EQ(view_->SelectedVoice(), press.voice);
      EXPECT_EQ(field_->DragVoice(), press.voice);
      EXPECT_EQ(view_->HelpTitle(), kVoicePressHelp.title);
    }
    Release(press.x, press.y);
  }
  ModifierKeys right;
  right.rightButton = true;
  view_->SelectPage(16, *gfx_);
  Press(500.f, 253.f, right);
  EXPECT_EQ(view_->CurrentPage(), 16);
}

TEST_F(VoiceOrbitTest, UnderVibratoOnlyTheFirstVoiceDrags) {
  Set(kParamModel, static_cast<double>(Structure::kVibrato));
  Set(kParamVoices, 8);
  SetVoice(3, 50, 0);
  Frame();
  Draw();
  EXPECT_EQ(Circles(shapes_, VioletColour, false).size(), 1u);
  EXPECT_EQ(Circles(shapes_, RuleColour, false).size(), 7u);
  Press(524.75f, 253.f);
  EXPECT_EQ(view_->SelectedVoice(), 3);
  EXPECT_FALSE(field_->IsDragging());
  Drag(600.f, 200.f);
  Release(600.f, 200.f);
  EXPECT_TRUE(HostCalls().empty());
  EXPECT_DOUBLE_EQ(Value(VoiceParamIndex(3, kVoicePan)), 50);
}

TEST_F(VoiceOrbitTest, DoubleClickResetsTheSelectedVoiceOnlyWhenItIsInUse) {
  SetVoice(0, 40, 5);
  field_->OnMouseDoubleClick(0, 0, Left());
  // Voice 1 sits hard left by default, with no offset.
  EXPECT_EQ(HostCalls(), (Calls{"begin 70", "set 70 0", "end 70", "begin 65", "set 65 0.5", "end 65"}));
  EXPECT_DOUBLE_EQ(Value(kPan0), -100);
  EXPECT_DOUBLE_EQ(Value(kDelayOffset0), 0);

  plugin_->log.clear();
  SetVoice(4, 40, 5);  // not in use: Voices is 2
  Press(PanToX(40), DelayToY(45, 80));
  Release(PanToX(40), DelayToY(45, 80));
  ASSERT_EQ(view_->SelectedVoice(), 4);
  field_->OnMouseDoubleClick(0, 0, Left());
  EXPECT_TRUE(HostCalls().empty());
  EXPECT_DOUBLE_EQ(Value(VoiceParamIndex(4, kVoicePan)), 40);
}

TEST_F(VoiceOrbitTest, ADoubleClickDuringADragClosesItFirst) {
  SetVoice(0, 40, 5);
  Press(PanToX(40), DelayToY(45, 80));
  field_->OnMouseDoubleClick(0, 0, Left());
  EXPECT_EQ(HostCalls(), (Calls{"begin 70", "begin 65", "end 70", "end 65", "begin 70", "set 70 0", "end 70",
                                "begin 65", "set 65 0.5", "end 65"}));
}

// Every way a drag can end without its release closes its two gestures, once.
enum class DragEnd { kCaptureLost, kControlDeleted, kPressElsewhere, kPointerCancel };

class DragWithoutRelease : public VoiceOrbitTest, public ::testing::WithParamInterface<DragEnd> {};

TEST_P(DragWithoutRelease, StillClosesItsGesturesOnce) {
  Press(377.5f, 253.f);
  Drag(400.f, 240.f);
  switch (GetParam()) {
    case DragEnd::kCaptureLost:  // a popup, a resize
      gfx_->ReleaseMouseCapture();
      Frame();
      Frame();
      break;
    case DragEnd::kControlDeleted:  // the editor closes
      gfx_->RemoveControl(field_);
      field_ = nullptr;
      break;
    case DragEnd::kPressElsewhere:  // the release went missing; the pointer is still held
      Press(700.f, 360.f);
      Release(700.f, 360.f);
      break;
    case DragEnd::kPointerCancel:
      field_->OnPointerCancel(400.f, 240.f, Left());
      Release(400.f, 240.f);
      break;
  }
  // The graphics context closes what it lets go of last begun first; the field closes its own
  // in the order it began them.
  const Calls calls = HostCalls();
  ASSERT_EQ(calls.size(), 6u);
  Calls ends(calls.begin() + 4, calls.end());
  std::sort(ends.begin(), ends.end());
  EXPECT_EQ(ends, (Calls{"end 65", "end 70"}));
  if (field_ != nullptr) {
    EXPECT_FALSE(field_->IsDragging());
  }
}

INSTANTIATE_TEST_SUITE_P(Ends, DragWithoutRelease,
                         ::testing::Values(DragEnd::kCaptureLost, DragEnd::kControlDeleted,
                                           DragEnd::kPressElsewhere, DragEnd::kPointerCancel));

TEST_F(VoiceOrbitTest, HoverWritesTheFieldsHelp) {
  field_->OnMouseOver(300, 250, ModifierKeys());
  EXPECT_EQ(view_->HelpTitle(), kVoiceFieldHelp.title);
  EXPECT_EQ(view_->HelpText(), kVoiceFieldHelp.text);
  EXPECT_STREQ(field_->GetTooltip(), kVoiceFieldTooltip);
}

TEST_F(VoiceOrbitTest, TheFieldRedrawsOnlyWhenWhatItShowsChanges) {
  Frame();
  field_->SetClean();
  EXPECT_FALSE(field_->IsDirty()) << "a stopped host's field draws nothing";
  DisplaySnapshot display;
  display.voiceActive[0] = 1;
  display.voiceDelayMs[0] = 30.f;
  feed_.Publish(display);
  EXPECT_TRUE(field_->IsDirty()) << "a new measurement";
  field_->SetClean();
  EXPECT_FALSE(field_->IsDirty());
  SetVoice(1, 50, 0);
  EXPECT_TRUE(field_->IsDirty()) << "a handle moved";
}

TEST_F(VoiceOrbitTest, KeepsTheLastRecordWhenEveryReadAttemptFails) {
  DisplaySnapshot display;
  display.voiceActive[1] = 1;
  display.voiceDelayMs[1] = 30.f;
  feed_.Publish(display);
  Frame();
  feed_.HoldWriting();
  Frame();
  EXPECT_EQ(field_->Display().voiceActive[1], 1);
  EXPECT_FLOAT_EQ(field_->Display().voiceDelayMs[1], 30.f);
  feed_.ReleaseWriting();
}

}  // namespace
}  // namespace halcyra::test
