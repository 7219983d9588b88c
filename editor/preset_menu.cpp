#include "editor/preset_menu.h"

#include "editor/activation_keys.h"
#include "editor/editor_drawing.h"
#include "editor/help_texts.h"
#include "editor/plugin_access.h"
#include "effect/factory_recipes.h"
#include "graphics/gfx.h"

namespace halcyra {
namespace {

using plugfw::gfx::Rect;

constexpr Rect kPresetMenuRect = {747.f, 40.f, 1015.f, 82.f};
constexpr Rect kLabelRect = {761.f, 40.f, 988.f, 82.f};
constexpr float kLabelSize = 15.f;

}  // namespace

const char* RecipeMenuLabel(int32_t matchedRecipe) {
  if (matchedRecipe < 0 || matchedRecipe >= kFactoryRecipeCount) return kCustomRecipeLabel;
  return FactoryRecipes()[matchedRecipe].name;
}

PresetMenu::PresetMenu(plugfw::gfx::IGfxEditorDelegate* plugin, ViewStatePtr view)
    : IControl(kPresetMenuRect),
      plugin_(plugin),
      view_(std::move(view)),
      menu_(std::make_unique<plugfw::gfx::IPopupMenu>()) {
  const FactoryRecipe* recipes = FactoryRecipes();
  for (int32_t i = 0; i < kFactoryRecipeCount; ++i) menu_->AddItem(recipes[i].name);
  SetTooltip(kRecipeMenuTooltip);
}

PresetMenu::~PresetMenu() = default;

void PresetMenu::OpenMenu() {
  if (plugfw::gfx::IGfx* gfx = GetUI()) gfx->ShowControlPopupMenu(this, *menu_, GetRect(), -1);
}

void PresetMenu::OnMouseDown(float /*x*/, float /*y*/, const plugfw::gfx::ModifierKeys& /*mod*/) {
  OpenMenu();
}

bool PresetMenu::OnKeyDown(float /*x*/, float /*y*/, const plugfw::gfx::KeyEvent& key) {
  if (!IsActivationKey(key)) return false;
  OpenMenu();
  return true;
}

void PresetMenu::OnMouseOver(float x, float y, const plugfw::gfx::ModifierKeys& mod) {
  if (view_ != nullptr) view_->SetHelp(kRecipeMenuHelp);
  IControl::OnMouseOver(x, y, mod);
}

void PresetMenu::OnPopupMenuSelection(plugfw::gfx::IPopupMenu* menu, int32_t /*valueIndex*/) {
  if (menu == nullptr || menu->GetChosenItemIdx() < 0 || plugin_ == nullptr) return;
  PluginOf(*plugin_).RecallRecipe(menu->GetChosenItemIdx());
  if (plugfw::gfx::IGfx* gfx = GetUI()) gfx->SetAllControlsDirty();
}

void PresetMenu::Draw(plugfw::gfx::IGfx& g) {
  DrawBox(g, GetRect(), PanelColour, GetMouseIsOver() ? AmberColour : RuleColour, &GetBlend());
  const int32_t matched = plugin_ != nullptr ? PluginOf(*plugin_).MatchRecipe() : -1;
  DrawFittedText(g, RecipeMenuLabel(matched), kLabelRect, kLabelSize, PaperColour,
                 plugfw::gfx::TextAlign::kNear, &GetBlend());
  DrawChevron(g, 993.f, 999.f, 1005.f, 57.f, 63.f, AmberColour, &GetBlend());
}

bool PresetMenu::IsDirty() {
  const int32_t matched = plugin_ != nullptr ? PluginOf(*plugin_).MatchRecipe() : -1;
  if (matched != lastShownRecipe_) {
    lastShownRecipe_ = matched;
    SetDirty(false);
  }
  return IControl::IsDirty();
}

}  // namespace halcyra
