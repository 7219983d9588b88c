#pragma once
// Status: the footer's two lines - the tempo source, and what the detector, monitor and band
// splits really use - from a fresh engine snapshot every frame, redrawn when they change.
// Ignores the mouse. UI thread.

#include <string>

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
  struct Lines {
    std::string tempo;
    std::string signal;
    bool warning = false;
    bool operator==(const Lines& other) const {
      return tempo == other.tempo && signal == other.signal && warning == other.warning;
    }
  };
  Lines CurrentLines() const;

  plugfw::gfx::IGfxEditorDelegate* plugin_;
  Lines shown_;  // what the last Draw showed
};

}  // namespace halcyra
