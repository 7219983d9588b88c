#pragma once
// Status: the footer's two lines - the tempo source, and what the detector, monitor and band
// splits really use - from a fresh engine snapshot every frame. Ignores the mouse. UI thread.

#include "graphics/control.h"

namespace plugfw::gfx {
class IGfxEditorDelegate;
}

namespace halcyra {

class Status : public plugfw::gfx::IControl {
 public:
  explicit Status(plugfw::gfx::IGfxEditorDelegate* plugin);
  ~Status() override;

  void Draw(plugfw::gfx::IGfx& g) override;
  // The frame asks once per frame before drawing; the control follows the settings there.
  bool IsDirty() override;

 private:
  plugfw::gfx::IGfxEditorDelegate* plugin_;
};

}  // namespace halcyra
