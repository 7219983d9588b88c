#pragma once
// Button: the editor's one button class in six kinds - a parameter toggle, the A/B bank switch,
// COPY into the other bank, a page button (section or voice), a tab, and the support mail link.
// Presses, Enter and Space run the kind's action. UI thread.

#include <cstdint>

#include "editor/view_state.h"
#include "graphics/control.h"

namespace plugfw::gfx {
class IGfxEditorDelegate;
}

namespace halcyra {

enum class ButtonKind : int32_t { kToggle = 0, kBank = 1, kCopy = 2, kPage = 3, kTab = 4, kMailLink = 5 };

class Button : public plugfw::gfx::IControl {
 public:
  // target: the page of a page button, the tab (0..5) of a tab, else 0. A toggle is bound to
  // its parameter and takes the parameter's help as tooltip.
  Button(const plugfw::gfx::Rect& bounds, const char* caption, plugfw::gfx::IGfxEditorDelegate* plugin,
         ViewStatePtr view, ButtonKind kind, int32_t paramIdx = -1, int32_t target = 0);
  ~Button() override;

  void OnMouseDown(float x, float y, const plugfw::gfx::ModifierKeys& mod) override;
  void OnMouseDoubleClick(float x, float y, const plugfw::gfx::ModifierKeys& mod) override;
  bool OnKeyDown(float x, float y, const plugfw::gfx::KeyEvent& key) override;
  void OnMouseOver(float x, float y, const plugfw::gfx::ModifierKeys& mod) override;
  void Draw(plugfw::gfx::IGfx& g) override;
  // The frame asks once per frame before drawing; the control follows the settings there, and
  // a bank, page or tab button turns dirty only when it lights or goes dark.
  bool IsDirty() override;

  // Toggle: on above 0.5; Bank: bank B shown; Page: its page is current; Tab: the current page
  // is one of its tab's; Copy and MailLink: never.
  bool IsOn() const;
  ButtonKind Kind() const { return kind_; }
  int32_t Target() const { return target_; }
  const char* Caption() const { return caption_; }

 private:
  void Act();

  const char* caption_;
  plugfw::gfx::IGfxEditorDelegate* plugin_;
  ViewStatePtr view_;
  ButtonKind kind_;
  int32_t target_;
  bool shownOn_ = false;  // what the last Draw showed
};

}  // namespace halcyra
