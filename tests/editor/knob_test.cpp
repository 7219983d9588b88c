// Knobs on the laid-out editor: what they draw, how drag, wheel, keys and double-click move
// them, the value entry, and relevance.

#include <cmath>

#include "editor/help_texts.h"
#include "editor/palette.h"
#include "editor/value_units.h"
#include "graphics/text_entry_control.h"
#include "tests/editor/editor_fixture.h"

namespace halcyra::test {
namespace {

using plugfw::gfx::KeyEvent;
using plugfw::gfx::PatternType;

class KnobTest : public EditorFixture {
 protected:
  Knob& RateKnob() { return *VisibleFor<Knob>(kParamRate); }
  double Normalized(int32_t param) const { return plugin_->GetParam(param)->GetNormalized(); }
  double Plain(int32_t param) const { return plugin_->GetParam(param)->Value(); }

  // The start and end angles of every arc the knob draws.
  std::vector<std::pair<float, float>> ArcsOf(Knob& knob) {
    gfx_->log.Clear();
    knob.Draw(*gfx_);
    std::vector<std::pair<float, float>> arcs;
    for (const auto& call : gfx_->log.Named("PathArc")) {
      float cx, cy, r, start, end;
      if (std::sscanf(call.text.c_str(), "PathArc %f %f %f %f %f", &cx, &cy, &r, &start, &end) == 5 &&
          r == knob.GetRect().Height() / 117.f * 32.f) {
        arcs.emplace_back(start, end);
      }
    }
    return arcs;
  }

  static KeyEvent Key(int32_t code, bool shift = false) {
    KeyEvent key;
    key.keyCode = code;
    key.shift = shift;
    return key;
  }
};

TEST_F(KnobTest, ArcEndsWhereTheValueIs) {
  Knob& rate = RateKnob();  // a wide knob: body 27, arc 32
  const std::pair<float, float> track = {-138.f, 138.f};
  rate.SetValue(0.0);
  EXPECT_EQ(ArcsOf(rate), (std::vector<std::pair<float, float>>{track}));  // no value arc at 0
  rate.SetValue(0.25);
  EXPECT_EQ(ArcsOf(rate), (std::vector<std::pair<float, float>>{track, {-138.f, -69.f}}));
  rate.SetValue(1.0);
  EXPECT_EQ(ArcsOf(rate), (std::vector<std::pair<float, float>>{track, {-138.f, 138.f}}));
}

TEST_F(KnobTest, DrawsItsBodyShadedAndItsValueWithTheUnit) {
  Knob& rate = RateKnob();
  gfx_->log.Clear();
  rate.Draw(*gfx_);
  const auto fills = gfx_->log.Named("PathFill");
  const auto body = std::find_if(fills.begin(), fills.end(),
                                 [](const auto& call) { return call.pattern.type == PatternType::kLinear; });
  ASSERT_NE(body, fills.end());
  EXPECT_EQ(body->pattern.stopCount, 2);
  EXPECT_EQ(body->pattern.stops[0].colour, Colour(255, 72, 87, 94));
  // Top of the body at 0, bottom at 1.
  EXPECT_NEAR(body->pattern.transform.MapY(130, 448 - 27), 0.0, 1e-5);
  EXPECT_NEAR(body->pattern.transform.MapY(130, 448 + 27), 1.0, 1e-5);
  std::vector<std::string> texts;
  for (const auto& call : gfx_->log.Named("DoDrawText")) texts.push_back(call.text);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].rfind("DoDrawText 'RATE'", 0), 0u) << texts[0];
  EXPECT_EQ(texts[1].rfind("DoDrawText '0.35 Hz' 70 479 190 505 KESTRALYN 16", 0), 0u) << texts[1];
}

TEST_F(KnobTest, DragAcrossTheCellMovesAQuarterAndShiftATenthOfThat) {
  Knob& rate = RateKnob();
  rate.SetValueFromUserInput(0.5);
  ModifierKeys mod;
  mod.leftButton = true;
  rate.OnMouseDown(130, 440, mod);
  rate.OnMouseDrag(130, 440 - 117, 0, -117, mod);
  rate.OnMouseUp(130, 440 - 117, mod);
  EXPECT_NEAR(Normalized(kParamRate), 0.75, 1e-9);

  mod.shift = true;
  rate.OnMouseDown(130, 440, mod);
  rate.OnMouseDrag(130, 440 + 117, 0, 117, mod);
  rate.OnMouseUp(130, 440 + 117, mod);
  EXPECT_NEAR(Normalized(kParamRate), 0.725, 1e-9);
}

TEST_F(KnobTest, WheelKeysAndDoubleClickMoveTheValue) {
  Knob& rate = RateKnob();
  rate.SetValueFromUserInput(0.5);
  rate.OnMouseWheel(130, 440, ModifierKeys{}, 1.f);
  EXPECT_NEAR(Normalized(kParamRate), 0.51, 1e-9);

  rate.SetValueFromUserInput(0.995);
  EXPECT_TRUE(rate.OnKeyDown(0, 0, Key(38)));  // up
  EXPECT_DOUBLE_EQ(Normalized(kParamRate), 1.0);
  rate.SetValueFromUserInput(0.0);
  EXPECT_TRUE(rate.OnKeyDown(0, 0, Key(40, true)));  // shift + down at the bottom
  EXPECT_DOUBLE_EQ(Normalized(kParamRate), 0.0);
  EXPECT_TRUE(rate.OnKeyDown(0, 0, Key(39, true)));  // shift + right
  EXPECT_NEAR(Normalized(kParamRate), 0.001, 1e-9);
  EXPECT_TRUE(rate.OnKeyDown(0, 0, Key(36)));  // home
  EXPECT_NEAR(Plain(kParamRate), 0.35, 1e-6);
  EXPECT_FALSE(rate.OnKeyDown(0, 0, Key(0x41)));

  rate.SetValueFromUserInput(0.9);
  rate.OnMouseDoubleClick(130, 440, ModifierKeys{});
  EXPECT_NEAR(Plain(kParamRate), 0.35, 1e-6);
}

TEST_F(KnobTest, APressInTheValueBoxOpensTheEntryWithThePlainValue) {
  Knob& rate = RateKnob();
  rate.OnMouseDown(130, 490, ModifierKeys{});  // value box 479..505
  EXPECT_EQ(gfx_->GetControlInTextEntry(), rate.GetValueEntry());
  ASSERT_NE(gfx_->GetTextEntryControl(), nullptr);
  EXPECT_STREQ(gfx_->GetTextEntryControl()->GetText(), "0.35");
  EXPECT_EQ(layout_.view->HelpTitle(), "RATE");
  // While the entry is open the knob leaves its value text to it.
  gfx_->log.Clear();
  rate.Draw(*gfx_);
  EXPECT_EQ(gfx_->log.Count("DoDrawText"), 1);
  EXPECT_EQ(rate.GetValueEntry()->GetTextEntryLength(), kValueEntryMaxLength);
}

TEST_F(KnobTest, EntryInitialTextIsTheValueTheMusicianSet) {
  // Stored values are 32-bit floats: 0.35f is 0.3499999940... as a double.
  EXPECT_EQ(ValueEntryInitialText(0.35f), "0.35");
  EXPECT_EQ(ValueEntryInitialText(-71.42857f), "-71.42857");
  EXPECT_EQ(ValueEntryInitialText(20000.0), "20000");
  EXPECT_EQ(ValueEntryInitialText(0.00001f), "1e-05");
  // A double that is no float keeps eight significant digits.
  EXPECT_EQ(ValueEntryInitialText(1.0 / 3.0), "0.33333333");
}

TEST_F(KnobTest, EnteredTextWithAUnitSetsTheValueAndAnythingElseExplains) {
  layout_.view->SelectPage(12, *gfx_);
  Knob* loopLp = VisibleFor<Knob>(kParamFeedbackLp);
  ASSERT_NE(loopLp, nullptr);
  loopLp->GetValueEntry()->OnTextEntryCompletion("2.5 k", -1);
  EXPECT_NEAR(Plain(kParamFeedbackLp), 2500.0, 1e-6);

  Knob& rate = RateKnob();
  for (const char* refused : {"5 ms", "inf", "", "30 Hz", "-1"}) {
    SCOPED_TRACE(refused);
    layout_.view->SetHelp("", "");
    rate.GetValueEntry()->OnTextEntryCompletion(refused, -1);
    EXPECT_NEAR(Plain(kParamRate), 0.35, 1e-6);
    EXPECT_EQ(layout_.view->HelpTitle(), "VALID PHYSICAL VALUES");
  }
}

TEST_F(KnobTest, AnIrrelevantKnobIsDisabledAndIgnoresInput) {
  Knob& rate = RateKnob();
  plugin_->GetParam(kParamModel)->Set(7);  // Micro Pitch
  Frame();
  ASSERT_TRUE(rate.IsDisabled());
  EXPECT_FLOAT_EQ(rate.GetBlend().weight, 0.25f);
  const double before = Normalized(kParamRate);
  EXPECT_FALSE(rate.OnKeyDown(0, 0, Key(38)));
  rate.OnMouseDoubleClick(130, 440, ModifierKeys{});
  rate.OnMouseDown(130, 490, ModifierKeys{});
  EXPECT_EQ(gfx_->GetControlInTextEntry(), nullptr);
  EXPECT_EQ(Normalized(kParamRate), before);
  // The stored value is kept and the knob comes back with the structure.
  plugin_->GetParam(kParamModel)->Set(0);
  Frame();
  EXPECT_FALSE(rate.IsDisabled());
}

TEST_F(KnobTest, HoverWritesItsCaptionAndHelp) {
  Knob& rate = RateKnob();
  rate.OnMouseOver(130, 440, ModifierKeys{});
  EXPECT_EQ(layout_.view->HelpTitle(), "RATE");
  EXPECT_EQ(layout_.view->HelpText(), GetParamDefinition(kParamRate)->help);
  EXPECT_TRUE(rate.GetMouseIsOver());
}

}  // namespace
}  // namespace halcyra::test
