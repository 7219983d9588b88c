// Value prompts, popup menus and text-entry answers on the recording graphics context:
// what each parameter kind is prompted with, how answers come back, and menus whose modal
// loop removes the control or closes the editor.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "graphics/gfx.h"
#include "graphics/popup_menu.h"
#include "graphics/text_entry_control.h"
#include "tests/graphics/support/gfx_test_support.h"

namespace plugfw::gfx {
namespace {

using test::GfxTestDelegate;
using test::LoggingControl;
using test::RecordingGfx;
using Texts = std::vector<std::string>;

enum : int32_t { kDepth = 0, kWave, kPhaseInvert, kBypass, kVoices, kNumParams };

// Depth 0..100 % (a double), Wave four values of which three are named, a switch with
// display texts and one without, Voices 1..8.
class PromptsTest : public ::testing::Test {
 protected:
  PromptsTest() {
    delegate.GetParam(kDepth)->InitDoubleParam("Depth", 50, 0, 100, 0.1, "%");
    IParam* wave = delegate.GetParam(kWave);
    wave->InitEnumParam("Wave", 0, 4);
    wave->AddDisplayText(0, "Sine");
    wave->AddDisplayText(1, "Triangle");
    wave->AddDisplayText(2, "Square");
    IParam* invert = delegate.GetParam(kPhaseInvert);
    invert->InitBoolParam("Invert", false);
    invert->AddDisplayText(0, "Normal");
    invert->AddDisplayText(1, "Inverted");
    delegate.GetParam(kBypass)->InitBoolParam("Bypass", false);
    delegate.GetParam(kVoices)->InitIntParam("Voices", 4, 1, 8);
  }

  LoggingControl* Attach(const char* name, int32_t paramIdx, const Rect& bounds = Rect(0, 0, 40, 20)) {
    auto* control = new LoggingControl(name, log, bounds, paramIdx);
    control->SetPromptDisabled(false);
    gfx.AttachControl(control);
    return control;
  }

  Texts MenuTexts() const {
    Texts texts;
    const IPopupMenu& menu = const_cast<RecordingGfx&>(gfx).GetPromptMenu();
    for (int32_t i = 0; i < menu.NItems(); ++i) {
      texts.push_back(std::string(menu.GetItemText(i)) + (menu.GetItem(i)->GetChecked() ? " (checked)" : ""));
    }
    return texts;
  }

  Texts log;
  GfxTestDelegate delegate{kNumParams, &log};
  RecordingGfx gfx{delegate};
};

TEST_F(PromptsTest, ListedParametersArePromptedWithAMenuOfTheirTexts) {
  LoggingControl* wave = Attach("wave", kWave);
  delegate.GetParam(kWave)->Set(1);
  gfx.PromptValueEntry(wave, Rect(0, 0, 40, 20), 0);
  EXPECT_EQ(MenuTexts(), (Texts{"Sine", "Triangle (checked)", "Square"}));
  EXPECT_STREQ(gfx.GetPromptMenu().GetTitle(), "Wave");
  ASSERT_EQ(gfx.log.Count("ShowNativePopupMenu"), 1);
  EXPECT_EQ(gfx.GetPromptMenu().GetItem(0)->GetTag(), -1);

  // The fourth value has no text: nothing is checked.
  delegate.GetParam(kWave)->Set(3);
  gfx.PromptValueEntry(wave, Rect(0, 0, 40, 20), 0);
  EXPECT_EQ(MenuTexts(), (Texts{"Sine", "Triangle", "Square"}));

  LoggingControl* invert = Attach("invert", kPhaseInvert);
  gfx.PromptValueEntry(invert, Rect(0, 0, 40, 20), 0);
  EXPECT_EQ(MenuTexts(), (Texts{"Normal (checked)", "Inverted"}));
  EXPECT_EQ(gfx.log.Count("ShowNativeTextEntry"), 0);
}

TEST_F(PromptsTest, OtherParametersArePromptedWithTheirDisplayedValue) {
  struct Case {
    const char* what;
    int32_t paramIdx;
    bool showLabel;
    const char* expected;
  };
  const Case cases[] = {
      {"a double", kDepth, false, "ShowNativeTextEntry 0 '50.0' 5 6 35 14 7"},
      {"a double with its unit", kDepth, true, "ShowNativeTextEntry 0 '50.0 %' 5 6 35 14 7"},
      {"an integer", kVoices, false, "ShowNativeTextEntry 4 '4' 5 6 35 14 7"},
      {"a switch without texts", kBypass, false, "ShowNativeTextEntry 3 '0' 5 6 35 14 7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LoggingControl* control = Attach("c", c.paramIdx);
    control->SetPromptShowsParamLabel(c.showLabel);
    gfx.PromptValueEntry(control, Rect(5, 6, 35, 14), 0);
    EXPECT_EQ(gfx.log.Texts().back(), c.expected);
    EXPECT_EQ(gfx.GetControlInTextEntry(), control);
  }
}

TEST_F(PromptsTest, APromptForAnUnboundSlotDoesNothing) {
  LoggingControl* unbound = Attach("unbound", kNoParameter);
  gfx.PromptValueEntry(unbound, Rect(0, 0, 40, 20), 0);
  gfx.PromptValueEntry(nullptr, Rect(0, 0, 40, 20), 0);
  EXPECT_EQ(gfx.log.Size(), 0u);
  EXPECT_EQ(gfx.GetControlInTextEntry(), nullptr);
}

TEST_F(PromptsTest, MenuAnswersReachTheControlThatAsked) {
  LoggingControl* wave = Attach("wave", kWave);
  IPopupMenu menu("", {"Sine", "Triangle", "Square"});
  struct Case {
    const char* what;
    int32_t answer;
    bool async;
    bool context;
    Texts expected;
    bool returned;
  };
  const Case cases[] = {
      {"a value menu's choice", 2, false, false, {"OnPopupMenuSelection 2 0 wave"}, true},
      {"a dismissed value menu", -1, false, false, {"OnPopupMenuSelection -1 0 wave"}, false},
      {"a context menu's choice", 1, false, true, {"OnContextSelection 1 wave"}, true},
      {"a dismissed context menu", -1, false, true, {"OnContextSelection -1 wave"}, false},
      {"an answer that comes later", 1, true, false, {}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    log.clear();
    menu.SetChosenItemIdx(-1);
    gfx.menuAnswer = c.answer;
    gfx.menuIsAsync = c.async;
    IPopupMenu* returned = gfx.ShowPopupMenuFor(wave, menu, Rect(0, 0, 40, 20), 0, c.context);
    Texts seen;
    for (const std::string& entry : log) {
      if (entry.find("Selection") != std::string::npos) seen.push_back(entry);
    }
    EXPECT_EQ(seen, c.expected);
    EXPECT_EQ(returned != nullptr, c.returned);
  }
}

TEST_F(PromptsTest, AControlRemovedDuringTheMenuHearsNoAnswer) {
  LoggingControl* wave = Attach("wave", kWave);
  gfx.menuAnswer = 1;
  gfx.duringMenu = [&] { gfx.RemoveControl(wave); };
  gfx.PromptValueEntry(wave, Rect(0, 0, 40, 20), 0);
  // Deleted once the menu had returned, and never told of the choice.
  EXPECT_EQ(log.back(), "~ wave");
  for (const std::string& entry : log) EXPECT_EQ(entry.find("Selection"), std::string::npos) << entry;
  EXPECT_EQ(gfx.NControls(), 0);
}

TEST_F(PromptsTest, AnEditorClosedDuringTheMenuIsDeletedAfterIt) {
  auto* doomed = new RecordingGfx(delegate);
  auto* wave = new LoggingControl("wave", log, Rect(0, 0, 40, 20), kWave);
  wave->SetPromptDisabled(false);
  doomed->AttachControl(wave);
  doomed->menuAnswer = 2;
  doomed->duringMenu = [doomed] { IGfx::DeleteSafely(doomed); };
  EXPECT_EQ(doomed->ShowPopupMenuFor(wave, doomed->GetPromptMenu(), Rect(0, 0, 40, 20), 0, false), nullptr);
  EXPECT_EQ(log.back(), "~ wave");
  for (const std::string& entry : log) EXPECT_EQ(entry.find("Selection"), std::string::npos) << entry;
}

TEST_F(PromptsTest, AContextMenuShowsOnlyWhenTheControlFillsIt) {
  LoggingControl* wave = Attach("wave", kWave);
  gfx.ShowControlContextMenuLocal(wave, kWave, 12, 7);
  EXPECT_EQ(gfx.log.Count("ShowNativePopupMenu"), 0);
  wave->contextItems = {"Reset"};
  gfx.menuAnswer = 0;
  gfx.ShowControlContextMenuLocal(wave, kWave, 12, 7);
  const auto shown = gfx.log.Named("ShowNativePopupMenu");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].rect, Rect(12, 7, 12, 7));
  EXPECT_EQ(log.back(), "OnContextSelection 0 wave");
  gfx.ShowControlContextMenuLocal(nullptr, kWave, 12, 7);
  EXPECT_EQ(gfx.GetPromptMenu().NItems(), 0);
}

// A control that fills the shared menu with a completion of its own, as a learn item might.
class CompletingControl : public LoggingControl {
 public:
  CompletingControl(const char* name, Texts& log) : LoggingControl(name, log, Rect(0, 0, 40, 20)), log_(log) {
    contextItems = {"Learn"};
  }
  void CreateContextMenu(IPopupMenu& menu) override {
    LoggingControl::CreateContextMenu(menu);
    menu.SetFunction([this](IPopupMenu& answered) {
      log_.push_back("completion " + std::to_string(answered.GetChosenItemIdx()) + " " + Name());
    });
  }

 private:
  Texts& log_;
};

TEST_F(PromptsTest, WhatOneControlSetOnTheSharedMenuNeverAnswersTheNext) {
  auto* learner = new CompletingControl("learner", log);
  gfx.AttachControl(learner);
  LoggingControl* wave = Attach("wave", kWave);
  gfx.menuAnswer = 0;
  gfx.ShowControlContextMenuLocal(learner, kNoParameter, 5, 5);
  gfx.PromptValueEntry(wave, Rect(0, 0, 40, 20), 0);
  wave->contextItems = {"Reset"};
  gfx.ShowControlContextMenuLocal(wave, kWave, 5, 5);
  Texts completions;
  for (const std::string& entry : log) {
    if (entry.rfind("completion", 0) == 0) completions.push_back(entry);
  }
  EXPECT_EQ(completions, Texts{"completion 0 learner"});
  EXPECT_EQ(log.back(), "OnContextSelection 0 wave");
  // Nor its title: the wave's context menu carries none, not the prompt's "Wave".
  EXPECT_EQ(gfx.log.Named("ShowNativePopupMenu").back().text, "ShowNativePopupMenu '' 1 items 5 5 5 5");
}

TEST_F(PromptsTest, EnteredTextBecomesTheParameterOrIsRefused) {
  struct Case {
    const char* what;
    const char* text;
    double plain;  // Depth afterwards; it starts at 50
  };
  const Case cases[] = {
      {"a number", "25", 25},
      {"a number with its unit", "30 %", 30},
      {"beyond the range: clamped", "250", 100},
      {"not a number: refused", "abc", 50},
      {"infinite: refused", "inf", 50},
      {"not finite: refused", "nan", 50},
      {"empty: refused", "", 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    delegate.GetParam(kDepth)->Set(50);
    LoggingControl* depth = Attach("depth", kDepth);
    depth->SetValue(0.5);
    gfx.PromptValueEntry(depth, Rect(0, 0, 40, 20), 0);
    gfx.ApplyTextEntry(c.text);
    EXPECT_DOUBLE_EQ(delegate.GetParam(kDepth)->Value(), c.plain);
    EXPECT_EQ(gfx.GetControlInTextEntry(), nullptr);
  }
  EXPECT_EQ(delegate.GestureFaults(), Texts{});
}

TEST_F(PromptsTest, EnteredTextForAnUnboundSlotGoesToTheControl) {
  LoggingControl* free = Attach("free", kNoParameter);
  gfx.CreateTextEntry(free, DefaultTextStyle, Rect(0, 0, 40, 20), "x", 3);
  EXPECT_EQ(gfx.log.Texts().back(), "ShowNativeTextEntry -1 'x' 0 0 40 20 7");
  gfx.ApplyTextEntry("hello");
  EXPECT_EQ(log.back(), "OnTextEntryCompletion 'hello' 3 free");
  log.clear();
  gfx.ApplyTextEntry("again");  // nothing is in edit any more
  EXPECT_EQ(log, Texts{});
}

TEST_F(PromptsTest, AnAnswerThatAsksAgainKeepsItsNewEntry) {
  struct Asking : LoggingControl {
    using LoggingControl::LoggingControl;
    void OnTextEntryCompletion(const char* text, int32_t valIdx) override {
      LoggingControl::OnTextEntryCompletion(text, valIdx);
      GetUI()->CreateTextEntry(this, DefaultTextStyle, Rect(0, 0, 40, 20), "try again", -1);
    }
  };
  auto* asking = new Asking("asking", log, Rect(0, 0, 40, 20));
  gfx.AttachControl(asking);
  gfx.AttachTextEntry();
  gfx.CreateTextEntry(asking, DefaultTextStyle, Rect(0, 0, 40, 20), "first", -1);
  gfx.GetTextEntryControl()->CommitEntry();
  EXPECT_EQ(gfx.GetControlInTextEntry(), asking);
  EXPECT_TRUE(gfx.GetTextEntryControl()->IsEditing());
  EXPECT_STREQ(gfx.GetTextEntryControl()->GetText(), "try again");
}

}  // namespace
}  // namespace plugfw::gfx
