#pragma once
// EnumMenu: a stepped parameter's value label in a box with a chevron; a press, Enter or Space
// opens a menu of all its labels with the current one checked. UI thread.

#include <cstdint>
#include <memory>

#include "editor/view_state.h"
#include "graphics/control.h"
#include "graphics/popup_menu.h"

namespace plugfw::gfx {
class IGfxEditorDelegate;
}

namespace halcyra {

class EnumMenu : public plugfw::gfx::IControl {
 public:
  // A caption (may be null) is drawn above a smaller box.
  EnumMenu(const plugfw::gfx::Rect& bounds, int32_t paramIdx, const char* caption,
           plugfw::gfx::IGfxEditorDelegate* plugin, ViewStatePtr view);
  ~EnumMenu() override;

  void OnMouseDown(float x, float y, const plugfw::gfx::ModifierKeys& mod) override;
  void OnMouseDoubleClick(float x, float y, const plugfw::gfx::ModifierKeys& mod) override;
  bool OnKeyDown(float x, float y, const plugfw::gfx::KeyEvent& key) override;
  void OnMouseOver(float x, float y, const plugfw::gfx::ModifierKeys& mod) override;
  void OnPopupMenuSelection(plugfw::gfx::IPopupMenu* menu, int32_t valueIndex) override;
  void Draw(plugfw::gfx::IGfx& g) override;
  // The frame asks once per frame before drawing; the control follows the settings there.
  bool IsDirty() override;

  // Where the value and chevron are drawn and the menu opens.
  plugfw::gfx::Rect BoxRect() const;
  // The room of the value's text, left of the chevron.
  plugfw::gfx::Rect ValueRect() const;
  const plugfw::gfx::IPopupMenu& Menu() const { return *menu_; }

 private:
  void OpenMenu();

  plugfw::gfx::IGfxEditorDelegate* plugin_;
  ViewStatePtr view_;
  const char* caption_;
  std::unique_ptr<plugfw::gfx::IPopupMenu> menu_;
};

}  // namespace halcyra
