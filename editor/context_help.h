#pragma once
// ContextHelp: the help strip above the footer - the title and wrapped text that the control
// under the mouse last wrote into the view state. Redraws only when the text changes. Ignores
// the mouse. UI thread.

#include <string>

#include "editor/view_state.h"
#include "graphics/control.h"

namespace halcyra {

class ContextHelp : public plugfw::gfx::IControl {
 public:
  explicit ContextHelp(ViewStatePtr view);
  ~ContextHelp() override;

  void Draw(plugfw::gfx::IGfx& g) override;
  // The frame asks once per frame before drawing; the control follows the settings there.
  bool IsDirty() override;

 private:
  ViewStatePtr view_;
  std::string shownText_;
};

}  // namespace halcyra
