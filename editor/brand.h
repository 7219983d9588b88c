#pragma once
// Brand: the maker's logo (or its name in text when the logo did not load) at the top left;
// a press, Enter or Space opens the maker's web site. UI thread.

#include "editor/view_state.h"
#include "graphics/bitmap_ref.h"
#include "graphics/control.h"

namespace halcyra {

class Brand : public plugfw::gfx::IControl {
 public:
  Brand(const plugfw::gfx::SvgRef& logo, ViewStatePtr view);
  ~Brand() override;

  void OnMouseDown(float x, float y, const plugfw::gfx::ModifierKeys& mod) override;
  bool OnKeyDown(float x, float y, const plugfw::gfx::KeyEvent& key) override;
  void OnMouseOver(float x, float y, const plugfw::gfx::ModifierKeys& mod) override;
  void Draw(plugfw::gfx::IGfx& g) override;

  bool HasLogo() const { return !logo_.Empty(); }

 private:
  void OpenMakerSite();

  plugfw::gfx::SvgRef logo_;
  ViewStatePtr view_;
};

}  // namespace halcyra
