#pragma once
// Status: the footer's two lines - the tempo source, and what the detector, monitor and band
// splits really use - from the engine's record, read every frame, redrawn when they change. A
// frame whose read fails keeps the previous record, as the other measurement panels do.
// Ignores the mouse. UI thread.

#include <string>

#include "editor/snapshot_reader.h"
#include "effect/snapshots.h"
#include "graphics/control.h"

namespace plugfw::gfx {
class IGfxEditorDelegate;
}

namespace halcyra {

class Status : public plugfw::gfx::IControl {
 public:
  // An empty reader reads the plug-in's engine.
  explicit Status(plugfw::gfx::IGfxEditorDelegate* plugin, SnapshotReader reader = nullptr);
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
  SnapshotReader reader_;
  DisplaySnapshot display_;
  MeterSnapshot meters_;  // read along with the display record, not shown
  Lines shown_;           // what the last Draw showed
};

}  // namespace halcyra
