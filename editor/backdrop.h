#pragma once
// Backdrop: the whole editor's background - a dark vertical gradient with faint scan lines,
// the product title, the rules and the two panels that hold the knob rows. Ignores the mouse.
// UI thread.

#include "graphics/control.h"

namespace halcyra {

class Backdrop : public plugfw::gfx::IControl {
 public:
  Backdrop();
  ~Backdrop() override;

  void Draw(plugfw::gfx::IGfx& g) override;
};

}  // namespace halcyra
