#pragma once
// The plug-in with its whole editor laid out on the recording graphics context: what the
// editor tests press, draw and inspect. UI thread.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "editor/button.h"
#include "editor/editor_layout.h"
#include "editor/enum_menu.h"
#include "editor/knob.h"
#include "effect/halcyra.h"
#include "tests/graphics/support/recording_gfx.h"

namespace halcyra::test {

using plugfw::gfx::IControl;
using plugfw::gfx::ModifierKeys;
using plugfw::gfx::Rect;
using plugfw::gfx::test::RecordingGfx;

class EditorFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin_ = CreatePluginInstance({});
    ASSERT_NE(plugin_, nullptr);
    gfx_ = std::make_unique<RecordingGfx>(*plugin_, Halcyra::kEditorWidth, Halcyra::kEditorHeight);
    layout_ = BuildEditorLayout(plugin_.get(), gfx_.get());
    ASSERT_NE(layout_.view, nullptr);
  }
  void TearDown() override {
    gfx_.reset();  // the controls go before the plug-in they point to
    plugin_.reset();
  }

  std::vector<IControl*> Controls() const {
    std::vector<IControl*> controls;
    for (int32_t i = 0; i < gfx_->NControls(); ++i) controls.push_back(gfx_->GetControl(i));
    return controls;
  }

  template <typename Control>
  std::vector<Control*> ControlsOf() const {
    std::vector<Control*> found;
    for (IControl* control : Controls()) {
      if (auto* typed = dynamic_cast<Control*>(control)) found.push_back(typed);
    }
    return found;
  }

  // The first button with this caption that the current page shows (or any when none shows).
  Button* ButtonCaptioned(const std::string& caption) const {
    Button* hidden = nullptr;
    for (Button* button : ControlsOf<Button>()) {
      if (caption != button->Caption()) continue;
      if (!button->IsHidden()) return button;
      if (hidden == nullptr) hidden = button;
    }
    return hidden;
  }

  // The first visible control of the type bound to the parameter.
  template <typename Control>
  Control* VisibleFor(int32_t paramIdx) const {
    for (Control* control : ControlsOf<Control>()) {
      if (!control->IsHidden() && control->GetParamIdx(0) == paramIdx) return control;
    }
    return nullptr;
  }

  void Press(IControl& control) {
    const Rect& r = control.GetRect();
    control.OnMouseDown(r.CentreX(), r.CentreY(), ModifierKeys{});
  }

  // Every single-line text the control draws, in order.
  std::vector<std::string> DrawnTexts(IControl& control) {
    gfx_->log.Clear();
    control.Draw(*gfx_);
    std::vector<std::string> texts;
    for (const auto& call : gfx_->log.Named("DoDrawText")) {
      const size_t open = call.text.find('\'');
      texts.push_back(call.text.substr(open + 1, call.text.find('\'', open + 1) - open - 1));
    }
    return texts;
  }

  // Every frame asks each control IsDirty before drawing.
  void Frame() {
    for (IControl* control : Controls()) control->IsDirty();
  }

  std::unique_ptr<Halcyra> plugin_;
  std::unique_ptr<RecordingGfx> gfx_;
  EditorLayout layout_;
};

}  // namespace halcyra::test
