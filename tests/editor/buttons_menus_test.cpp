// Buttons and menus on the laid-out editor, reaching the plug-in's banks and recipes.

#include "editor/help_texts.h"
#include "editor/preset_menu.h"
#include "effect/factory_recipes.h"
#include "tests/editor/editor_fixture.h"

namespace halcyra::test {
namespace {

using plugfw::gfx::KeyEvent;

class ButtonsAndMenus : public EditorFixture {
 protected:
  double Plain(int32_t param) const { return plugin_->GetParam(param)->Value(); }
  void SetPlain(int32_t param, double value) { plugin_->GetParam(param)->Set(value); }

  PresetMenu& Recipes() { return *ControlsOf<PresetMenu>().at(0); }

  static KeyEvent Key(int32_t code) {
    KeyEvent key;
    key.keyCode = code;
    return key;
  }
};

TEST_F(ButtonsAndMenus, BankButtonSwapsAllValuesThroughThePlugin) {
  Button& bank = *ButtonCaptioned("A");
  SetPlain(kParamMix, 80);
  EXPECT_EQ(DrawnTexts(bank), std::vector<std::string>{"A"});
  Press(bank);
  EXPECT_TRUE(plugin_->ActiveBank());
  EXPECT_TRUE(bank.IsOn());
  EXPECT_EQ(DrawnTexts(bank), std::vector<std::string>{"B"});
  EXPECT_DOUBLE_EQ(Plain(kParamMix), 35.0);  // bank B starts at the defaults
  Press(bank);
  EXPECT_FALSE(plugin_->ActiveBank());
  EXPECT_DOUBLE_EQ(Plain(kParamMix), 80.0);
}

TEST_F(ButtonsAndMenus, CopyStoresTheCurrentFieldInTheOtherBankAndNeverLights) {
  Button& copy = *ButtonCaptioned("COPY");
  SetPlain(kParamMix, 64);
  SetPlain(kParamVoices, 5);
  Press(copy);
  EXPECT_FLOAT_EQ(plugin_->InactiveBankValue(kParamMix), 64.f);
  EXPECT_FLOAT_EQ(plugin_->InactiveBankValue(kParamVoices), 5.f);
  EXPECT_FALSE(plugin_->ActiveBank());
  EXPECT_FALSE(copy.IsOn());
  copy.OnMouseOver(1100, 50, ModifierKeys{});
  EXPECT_EQ(layout_.view->HelpTitle(), "TWO COMPLETE SETTINGS BANKS");
  // Then swapping changes no value.
  Press(*ButtonCaptioned("A"));
  EXPECT_DOUBLE_EQ(Plain(kParamMix), 64.0);
}

TEST_F(ButtonsAndMenus, TabsAndSectionsOpenTheirPages) {
  Press(*ButtonCaptioned("TONE"));
  EXPECT_EQ(layout_.view->CurrentPage(), 12);
  EXPECT_TRUE(ButtonCaptioned("TONE")->IsOn());
  EXPECT_EQ(layout_.view->HelpTitle(), "128 STABLE CONTROLS / DISCOVERABLE VIEWS");
  Button& colour = *ButtonCaptioned("COLOUR / DIFFUSION");
  ASSERT_FALSE(colour.IsHidden());
  Press(colour);
  EXPECT_EQ(layout_.view->CurrentPage(), 13);
  EXPECT_TRUE(ButtonCaptioned("TONE")->IsOn());
  EXPECT_TRUE(colour.IsOn());
  EXPECT_FALSE(ButtonCaptioned("FILTER / FEEDBACK")->IsOn());

  Press(*ButtonCaptioned("VOICES"));
  EXPECT_EQ(layout_.view->CurrentPage(), 4);
  EXPECT_EQ(layout_.view->SelectedVoice(), 0);
  EXPECT_TRUE(ButtonCaptioned("VOICE 1")->IsOn());
  Press(*ButtonCaptioned("VOICE 6"));
  EXPECT_EQ(layout_.view->CurrentPage(), 9);
  EXPECT_EQ(layout_.view->SelectedVoice(), 5);
  EXPECT_TRUE(ButtonCaptioned("VOICE 6")->IsOn());

  Press(*ButtonCaptioned("UTILITY"));
  EXPECT_EQ(layout_.view->CurrentPage(), 16);
  EXPECT_TRUE(ButtonCaptioned("STRUCTURE / IMAGE")->IsHidden());
}

TEST_F(ButtonsAndMenus, BankPageAndTabButtonsRedrawOnlyWhenTheyLightOrGoDark) {
  // A frame draws what is shown and cleans everything.
  auto drawAndClean = [&] {
    for (IControl* control : Controls()) {
      if (!control->IsHidden()) control->Draw(*gfx_);
      control->SetClean();
    }
  };
  auto dirtyButtons = [&] {
    std::vector<std::string> dirty;
    for (Button* button : ControlsOf<Button>()) {
      if (button->IsDirty()) dirty.push_back(button->Caption());
    }
    return dirty;
  };
  Press(*ButtonCaptioned("TONE"));
  drawAndClean();
  EXPECT_TRUE(dirtyButtons().empty()) << "an idle frame redraws no button";
  // The bank changes outside the editor: only the bank button shows it.
  plugin_->SwapBanks();
  EXPECT_EQ(dirtyButtons(), std::vector<std::string>{"A"});
  EXPECT_EQ(DrawnTexts(*ButtonCaptioned("A")), std::vector<std::string>{"B"});
  drawAndClean();
  EXPECT_TRUE(dirtyButtons().empty());
}

TEST_F(ButtonsAndMenus, ToggleFlipsItsParameterAndADisabledOneSwallowsKeys) {
  Button& sync = *ButtonCaptioned("SYNC");
  EXPECT_EQ(sync.GetParamIdx(0), kParamSync);
  Press(sync);
  EXPECT_DOUBLE_EQ(Plain(kParamSync), 1.0);
  EXPECT_TRUE(sync.IsOn());
  EXPECT_TRUE(sync.OnKeyDown(0, 0, Key(32)));
  EXPECT_DOUBLE_EQ(Plain(kParamSync), 0.0);
  Press(sync);
  sync.OnMouseDoubleClick(400, 120, ModifierKeys{});
  EXPECT_DOUBLE_EQ(Plain(kParamSync), 0.0);
  sync.OnMouseOver(400, 120, ModifierKeys{});
  EXPECT_EQ(layout_.view->HelpTitle(), "Sync");

  SetPlain(kParamModel, 7);  // Micro Pitch leaves Sync without effect
  Frame();
  ASSERT_TRUE(sync.IsDisabled());
  Press(sync);
  EXPECT_TRUE(sync.OnKeyDown(0, 0, Key(13)));
  EXPECT_TRUE(sync.OnKeyDown(0, 0, Key(32)));
  EXPECT_FALSE(sync.OnKeyDown(0, 0, Key(0x41)));
  EXPECT_DOUBLE_EQ(Plain(kParamSync), 0.0);
}

TEST_F(ButtonsAndMenus, MailLinkOpensTheSupportAddress) {
  gfx_->log.Clear();
  Press(*ButtonCaptioned(kSupportMailAddress));
  ASSERT_EQ(gfx_->log.Count("OpenWebAddress"), 1);
  EXPECT_EQ(gfx_->log.Named("OpenWebAddress")[0].text,
            std::string("OpenWebAddress mailto:") + kSupportMailAddress);
}

TEST_F(ButtonsAndMenus, StructureMenuListsTwelveWithTheCurrentCheckedAndTakesAChoice) {
  EnumMenu& structure = *ControlsOf<EnumMenu>().at(0);
  ASSERT_EQ(structure.GetParamIdx(0), kParamModel);
  SetPlain(kParamModel, 3);
  gfx_->log.Clear();
  gfx_->menuAnswer = 7;
  Press(structure);
  ASSERT_EQ(gfx_->log.Count("ShowNativePopupMenu"), 1);
  EXPECT_EQ(gfx_->log.Named("ShowNativePopupMenu")[0].rect, Rect(36, 106, 361, 142));
  const plugfw::gfx::IPopupMenu& menu = structure.Menu();
  ASSERT_EQ(menu.NItems(), 12);
  EXPECT_STREQ(menu.GetTitle(), "Model");
  for (int32_t i = 0; i < 12; ++i) EXPECT_EQ(menu.GetItem(i)->GetChecked(), i == 3) << i;
  EXPECT_STREQ(menu.GetItemText(7), "Micro Pitch");
  EXPECT_DOUBLE_EQ(Plain(kParamModel), 7.0);
  EXPECT_EQ(DrawnTexts(structure), std::vector<std::string>{"Micro Pitch"});
}

TEST_F(ButtonsAndMenus, MenuClosedWithoutAChoiceChangesNothing) {
  layout_.view->SelectPage(1, *gfx_);
  EnumMenu& band = *VisibleFor<EnumMenu>(kParamProcessBand);
  gfx_->menuAnswer = -1;
  Press(band);
  EXPECT_DOUBLE_EQ(Plain(kParamProcessBand), 0.0);
  EXPECT_EQ(layout_.view->HelpTitle(), "Process Band");
  // A captioned menu's items count from its minimum: Voices runs 1..8.
  layout_.view->SelectPage(0, *gfx_);
  gfx_->menuAnswer = 4;
  Press(*VisibleFor<EnumMenu>(kParamVoices));
  EXPECT_DOUBLE_EQ(Plain(kParamVoices), 5.0);
}

TEST_F(ButtonsAndMenus, DisabledMenuIgnoresKeysAndPresses) {
  EnumMenu& division = *ControlsOf<EnumMenu>().at(1);
  ASSERT_EQ(division.GetParamIdx(0), kParamDivision);
  Frame();  // Sync off: Division has no effect
  ASSERT_TRUE(division.IsDisabled());
  gfx_->log.Clear();
  EXPECT_FALSE(division.OnKeyDown(0, 0, Key(13)));
  Press(division);
  EXPECT_EQ(gfx_->log.Count("ShowNativePopupMenu"), 0);
  SetPlain(kParamSync, 1);
  Frame();
  EXPECT_FALSE(division.IsDisabled());
  EXPECT_TRUE(division.OnKeyDown(0, 0, Key(32)));
  EXPECT_EQ(gfx_->log.Count("ShowNativePopupMenu"), 1);
}

TEST_F(ButtonsAndMenus, RecipeMenuShowsTheMatchOrCustom) {
  PresetMenu& recipes = Recipes();
  ASSERT_EQ(recipes.Menu().NItems(), kFactoryRecipeCount);
  EXPECT_STREQ(recipes.Menu().GetItemText(39), FactoryRecipes()[39].name);
  EXPECT_EQ(DrawnTexts(recipes), std::vector<std::string>{FactoryRecipes()[0].name});  // the defaults
  SetPlain(kParamMix, 51);
  EXPECT_EQ(DrawnTexts(recipes), std::vector<std::string>{"Custom"});

  gfx_->menuAnswer = 12;
  Press(recipes);
  EXPECT_EQ(plugin_->RecipeIndex(), 12);
  EXPECT_EQ(DrawnTexts(recipes), std::vector<std::string>{FactoryRecipes()[12].name});
  SetPlain(kParamDepth, Plain(kParamDepth) + 1.0);
  EXPECT_EQ(DrawnTexts(recipes), std::vector<std::string>{"Custom"});
  Press(recipes);  // recalling the same recipe again brings its name back
  EXPECT_EQ(DrawnTexts(recipes), std::vector<std::string>{FactoryRecipes()[12].name});
  recipes.OnMouseOver(800, 60, ModifierKeys{});
  EXPECT_EQ(layout_.view->HelpTitle(), "40 FACTORY RECIPES");
}

TEST_F(ButtonsAndMenus, RecipeMenuRedrawsOnlyWhenTheMatchChanges) {
  PresetMenu& recipes = Recipes();
  recipes.IsDirty();
  recipes.SetClean();
  EXPECT_FALSE(recipes.IsDirty());
  SetPlain(kParamMix, 51);
  EXPECT_TRUE(recipes.IsDirty());
  recipes.SetClean();
  SetPlain(kParamMix, 52);  // still Custom
  EXPECT_FALSE(recipes.IsDirty());
  EXPECT_STREQ(RecipeMenuLabel(-1), "Custom");
  EXPECT_STREQ(RecipeMenuLabel(kFactoryRecipeCount), "Custom");
}

}  // namespace
}  // namespace halcyra::test
