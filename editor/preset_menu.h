#pragma once
// PresetMenu: the name of the factory recipe the current values match, or "Custom", and the
// menu of all forty recipes; a choice recalls it through the plug-in. UI thread.

#include <cstdint>
#include <memory>

#include "editor/view_state.h"
#include "graphics/control.h"
#include "graphics/popup_menu.h"

namespace plugfw::gfx {
class IGfxEditorDelegate;
}

namespace halcyra {

inline constexpr char kCustomRecipeLabel[] = "Custom";

// The menu's text for a match: the recipe's name, or "Custom" for -1 and any other index.
const char* RecipeMenuLabel(int32_t matchedRecipe);

class PresetMenu : public plugfw::gfx::IControl {
 public:
  PresetMenu(plugfw::gfx::IGfxEditorDelegate* plugin, ViewStatePtr view);
  ~PresetMenu() override;

  void OnMouseDown(float x, float y, const plugfw::gfx::ModifierKeys& mod) override;
  bool OnKeyDown(float x, float y, const plugfw::gfx::KeyEvent& key) override;
  void OnMouseOver(float x, float y, const plugfw::gfx::ModifierKeys& mod) override;
  void OnPopupMenuSelection(plugfw::gfx::IPopupMenu* menu, int32_t valueIndex) override;
  void Draw(plugfw::gfx::IGfx& g) override;
  // The frame asks once per frame before drawing; the control follows the settings there.
  bool IsDirty() override;

  const plugfw::gfx::IPopupMenu& Menu() const { return *menu_; }

 private:
  void OpenMenu();

  plugfw::gfx::IGfxEditorDelegate* plugin_;
  ViewStatePtr view_;
  std::unique_ptr<plugfw::gfx::IPopupMenu> menu_;
  int32_t lastShownRecipe_ = -2;  // no match yet shown, not even "none"
};

}  // namespace halcyra
