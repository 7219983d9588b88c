// The editor's words inside their controls, with the embedded Roboto and the renderer's own text
// bounds on the tests' GL context: every display text of every menu, every button's caption,
// every recipe name, the knobs' captions and values, and every help text in its strip.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "editor/button.h"
#include "editor/context_help.h"
#include "editor/editor_layout.h"
#include "editor/enum_menu.h"
#include "editor/help_texts.h"
#include "editor/knob.h"
#include "editor/knob_geometry.h"
#include "editor/palette.h"
#include "editor/preset_menu.h"
#include "effect/factory_recipes.h"
#include "effect/halcyra.h"
#include "effect/param_table.h"
#include "tests/editor/editor_on_canvas.h"

namespace halcyra {
namespace {

using plugfw::gfx::Blend;
using plugfw::gfx::IControl;
using plugfw::gfx::Rect;
using plugfw::gfx::TextStyle;
using plugfw::gfx::test::Pixels;
using plugfw::gfx::test::TestCanvasGfx;

// A pixel's worth: the bounds are editor units at scale 1, where units are pixels.
constexpr float kTolerance = 0.5f;

// The renderer as the editor window has it, keeping every line of text it is asked to draw.
class TextKeepingGfx : public TestCanvasGfx {
 public:
  using TestCanvasGfx::TestCanvasGfx;

  struct DrawnText {
    std::string text;
    TextStyle style;
    Rect rect;
  };

  void DoDrawText(const TextStyle& style, const char* text, const Rect& bounds, const Blend* blend) override {
    drawn.push_back({text, style, bounds});
    TestCanvasGfx::DoDrawText(style, text, bounds, blend);
  }

  // Where the renderer puts the text's box when it draws it in its rect.
  Rect Extent(const DrawnText& text) {
    Rect bounds = text.rect;
    MeasureText(text.style, text.text.c_str(), bounds);
    return bounds;
  }

  std::vector<DrawnText> drawn;
};

class TextFitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(editor_.Open(1.f));
    gfx_ = editor_.gfx.get();
    plugin_ = editor_.plugin.get();
  }

  template <typename Control>
  std::vector<Control*> ControlsOf() const {
    std::vector<Control*> found;
    for (int32_t i = 0; i < gfx_->NControls(); ++i) {
      if (auto* typed = dynamic_cast<Control*>(gfx_->GetControl(i))) found.push_back(typed);
    }
    return found;
  }

  // Draws the control inside a frame, unclipped; the lines of text it drew.
  std::vector<TextKeepingGfx::DrawnText> TextsOf(IControl& control, bool fillBlack = false) {
    const Rect editor(0.f, 0.f, Halcyra::kEditorWidth, Halcyra::kEditorHeight);
    gfx_->BeginFrame();
    gfx_->PathTransformReset(true);
    gfx_->PathClear();
    gfx_->SetClipRegion(editor);
    gfx_->SetCurrentClip(editor);
    if (fillBlack) gfx_->FillRect(plugfw::gfx::ColourBlack, editor);
    gfx_->drawn.clear();
    control.Draw(*gfx_);
    gfx_->EndFrame();
    return gfx_->drawn;
  }

  // Names the text and where it stands when its box leaves the room.
  ::testing::AssertionResult Inside(const TextKeepingGfx::DrawnText& text, const Rect& room) {
    const Rect box = gfx_->Extent(text);
    if (box.Width() > 0.f && box.left >= room.left - kTolerance && box.right <= room.right + kTolerance) {
      return ::testing::AssertionSuccess();
    }
    std::ostringstream out;
    out << "\"" << text.text << "\" at size " << text.style.size << " spans " << box.left << " .. "
        << box.right << ", its room " << room.left << " .. " << room.right;
    return ::testing::AssertionFailure() << out.str();
  }

  test::EditorOnCanvas<TextKeepingGfx> editor_;
  TextKeepingGfx* gfx_ = nullptr;
  Halcyra* plugin_ = nullptr;
};

// The chevron's left end, as a musician sees the box: 18 units in from its right.
constexpr float kChevronReach = 18.f;

TEST_F(TextFitTest, EveryMenuValueStaysLeftOfItsChevron) {
  int32_t checked = 0;
  for (EnumMenu* menu : ControlsOf<EnumMenu>()) {
    const int32_t paramIdx = menu->GetParamIdx(0);
    plugfw::IParam* param = plugin_->GetParam(paramIdx);
    const Rect box = menu->BoxRect();
    const Rect room(box.left, box.top, box.right - kChevronReach, box.bottom);
    for (auto value = static_cast<int32_t>(param->Min()); value <= static_cast<int32_t>(param->Max());
         ++value) {
      param->Set(value);
      const auto texts = TextsOf(*menu);
      ASSERT_FALSE(texts.empty());
      // The caption comes first when there is one; the value is the last line drawn.
      EXPECT_TRUE(Inside(texts.back(), room))
          << ParamName(paramIdx) << " = " << ParamValueLabel(paramIdx, value);
      EXPECT_FALSE(texts.back().text.empty());
      ++checked;
    }
    param->Set(param->GetDefault());
  }
  EXPECT_GT(checked, 100);
}

TEST_F(TextFitTest, EveryCaptionStaysInsideItsControl) {
  for (Button* button : ControlsOf<Button>()) {
    Rect room = button->GetRect().Padded(-1.f);  // inside the outline
    // A toggle's text stays clear of its lamp, 12.5 units in from the left.
    if (button->Kind() == ButtonKind::kToggle) room.left = button->GetRect().left + 12.5f;
    for (int flip = 0; flip < (button->Kind() == ButtonKind::kBank ? 2 : 1); ++flip) {
      if (flip == 1) plugin_->SwapBanks();  // "B" as well as "A"
      const auto texts = TextsOf(*button);
      ASSERT_EQ(texts.size(), 1u) << button->Caption();
      EXPECT_TRUE(Inside(texts[0], room));
    }
  }
  for (EnumMenu* menu : ControlsOf<EnumMenu>()) {
    const auto texts = TextsOf(*menu);
    if (texts.size() == 2) {
      EXPECT_TRUE(Inside(texts[0], menu->GetRect()));
    }
  }
}

TEST_F(TextFitTest, EveryRecipeNameStaysLeftOfTheRecipeChevron) {
  PresetMenu* menu = ControlsOf<PresetMenu>().at(0);
  const Rect room(747.f, 40.f, 993.f, 82.f);
  for (int32_t recipe = 0; recipe < kFactoryRecipeCount; ++recipe) {
    plugin_->RecallRecipe(recipe);
    const auto texts = TextsOf(*menu);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(Inside(texts[0], room)) << FactoryRecipes()[recipe].name;
  }
}

TEST_F(TextFitTest, EveryKnobCaptionAndValueStaysInsideItsKnob) {
  for (Knob* knob : ControlsOf<Knob>()) {
    plugfw::IParam* param = plugin_->GetParam(knob->GetParamIdx(0));
    const KnobGeometry geometry = MeasureKnob(knob->GetRect());
    for (const double value : {param->Min(), param->Max(), param->GetDefault()}) {
      param->Set(value);
      const auto texts = TextsOf(*knob);
      ASSERT_EQ(texts.size(), 2u);
      EXPECT_TRUE(Inside(texts[0], knob->GetRect()));
      EXPECT_TRUE(Inside(texts[1], geometry.valueBox.Padded(-1.f))) << param->Name() << " = " << value;
    }
    param->Set(param->GetDefault());
  }
}

// Every help text the editor writes into its strip: the views' own and every parameter's.
std::set<std::string> EveryHelpText() {
  std::set<std::string> texts;
  for (const HelpMessage& message : {kStartHelp, kPageHelp, kBankHelp, kRecipeMenuHelp, kVoiceFieldHelp,
                                     kVoicePressHelp, kBrandHelp, kInvalidValueHelp}) {
    texts.insert(message.text);
  }
  for (int32_t p = 0; p < kParamCount; ++p) texts.insert(ParamHelpText(p));
  texts.erase("");
  return texts;
}

// The pixels of the strip's words, read back unclipped: none may stand where the strip would cut
// them, above it (the knob panel) or below it (the footer's rule), and every word is drawn.
TEST_F(TextFitTest, EveryHelpTextFitsItsStripWhole) {
  ContextHelp* help = ControlsOf<ContextHelp>().at(0);
  const Rect strip = help->GetRect();
  const std::set<std::string> texts = EveryHelpText();
  EXPECT_GT(texts.size(), 50u);
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    editor_.layout.view->SetHelp(kVoicePressHelp.title, text.c_str());
    const auto rows = TextsOf(*help, true);
    const Pixels pixels = plugfw::gfx::test::ReadFramebuffer(gfx_->MainFramebuffer()->framebuffer,
                                                             Halcyra::kEditorWidth, Halcyra::kEditorHeight);
    int top = Halcyra::kEditorHeight, bottom = -1, left = Halcyra::kEditorWidth, right = -1;
    for (int y = 0; y < pixels.Height(); ++y) {
      for (int x = 0; x < pixels.Width(); ++x) {
        if (pixels.At(x, y).r == 0) continue;
        top = std::min(top, y);
        bottom = std::max(bottom, y);
        left = std::min(left, x);
        right = std::max(right, x);
      }
    }
    ASSERT_GE(bottom, 0) << "nothing drawn";
    EXPECT_GE(top, static_cast<int>(strip.top) - 1);
    EXPECT_LT(bottom, static_cast<int>(strip.bottom) + 1);
    EXPECT_GE(left, static_cast<int>(strip.left) - 1);
    EXPECT_LT(right, static_cast<int>(strip.right) + 1);
    // Nothing lost: the rows after the title hold the text's words in order.
    std::string words;
    for (size_t k = 1; k < rows.size(); ++k) words += (k > 1 ? " " : "") + rows[k].text;
    EXPECT_EQ(words, text);
  }
}

}  // namespace
}  // namespace halcyra
