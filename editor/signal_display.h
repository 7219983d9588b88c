#pragma once
// SignalDisplay: the measurement panel - input and output spectra on a dB and log-frequency
// grid, the output's mid/side scope, input and output correlation, the envelope and duck line,
// the modulation line and the input, wet and output meters. Each frame it copies the engine's
// display and meter records and redraws from those copies alone; it ignores the mouse. While it
// is attached the engine measures its spectra for it. UI thread.

#include "editor/palette.h"
#include "editor/redraw_key.h"
#include "editor/snapshot_reader.h"
#include "effect/snapshots.h"
#include "graphics/control.h"

namespace plugfw::gfx {
class IGfxEditorDelegate;
}

namespace halcyra {

class SignalDisplay : public plugfw::gfx::IControl {
 public:
  // An empty reader reads the plug-in's engine.
  explicit SignalDisplay(plugfw::gfx::IGfxEditorDelegate* plugin, SnapshotReader reader = nullptr);
  // Tells the engine that its reader has gone.
  ~SignalDisplay() override;

  void OnAttached() override;
  void Draw(plugfw::gfx::IGfx& g) override;
  // The frame asks once per frame before drawing: the copies are taken there, and the panel
  // redraws every frame.
  bool IsDirty() override;

  const DisplaySnapshot& Display() const { return display_; }
  const MeterSnapshot& Meters() const { return meters_; }

 private:
  void RefreshForFrame();
  void SetReaderPresent(bool present);
  void DrawTitleAndLegend(plugfw::gfx::IGfx& g) const;
  void DrawLevelGrid(plugfw::gfx::IGfx& g) const;
  void DrawFrequencyGrid(plugfw::gfx::IGfx& g) const;
  void DrawSpectra(plugfw::gfx::IGfx& g, bool analyzerOn) const;
  void DrawSpectrumCurve(plugfw::gfx::IGfx& g, const float* db, Colour colour) const;
  void DrawScope(plugfw::gfx::IGfx& g, bool analyzerOn) const;
  void DrawCorrelationBar(plugfw::gfx::IGfx& g, float correlation, float rowY, const char* label) const;
  void DrawTextLines(plugfw::gfx::IGfx& g, bool microPitch) const;
  void DrawMeters(plugfw::gfx::IGfx& g) const;

  plugfw::gfx::IGfxEditorDelegate* plugin_;
  SnapshotReader reader_;
  DisplaySnapshot display_;
  MeterSnapshot meters_;
  RedrawKey redrawKey_;
};

}  // namespace halcyra
