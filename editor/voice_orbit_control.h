#pragma once
// VoiceOrbitControl: the voice field. It plots the eight voices on a plane of pan across and
// delay up: a hollow numbered handle at each voice's requested position (Pan, Base Delay plus
// Delay Offset) and, for the voices the engine reports sounding, a solid dot at the measured
// position. A press selects the nearest voice and opens its page; dragging a voice in use writes
// its Pan and Delay Offset inside host gestures (Shift for a tenth of the movement); a double
// click returns the selected voice's two values to their defaults. The vertical axis follows the
// delays, and stays latched while a drag runs.
//
// Gestures it opens it always closes: at the release, a pointer cancel, the next press or double
// click; and the graphics context's gesture ledger, which holds them, closes them whenever it
// lets go of the pointer (a popup, a resize, the control removed, the editor closing), so that
// nothing is left for its destructor to tell the plug-in. UI thread.

#include <cstdint>

#include "editor/redraw_key.h"
#include "editor/snapshot_reader.h"
#include "editor/view_state.h"
#include "editor/voice_field_plane.h"
#include "graphics/control.h"

namespace plugfw::gfx {
class IGfxEditorDelegate;
}

namespace halcyra {

class VoiceOrbitControl : public plugfw::gfx::IControl {
 public:
  // An empty reader reads the plug-in's engine.
  VoiceOrbitControl(plugfw::gfx::IGfxEditorDelegate* plugin, ViewStatePtr view,
                    SnapshotReader reader = nullptr);
  ~VoiceOrbitControl() override;

  void OnMouseDown(float x, float y, const plugfw::gfx::ModifierKeys& mod) override;
  void OnMouseUp(float x, float y, const plugfw::gfx::ModifierKeys& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const plugfw::gfx::ModifierKeys& mod) override;
  void OnMouseDoubleClick(float x, float y, const plugfw::gfx::ModifierKeys& mod) override;
  void OnMouseOver(float x, float y, const plugfw::gfx::ModifierKeys& mod) override;
  void OnPointerCancel(float x, float y, const plugfw::gfx::ModifierKeys& mod) override;
  void Draw(plugfw::gfx::IGfx& g) override;
  // The frame asks once per frame before drawing: the snapshot is copied and the axis follows it
  // there, and a drag whose pointer the graphics context let go of ends. Redraws every frame.
  bool IsDirty() override;

  // Closes the drag's two gestures (Pan, then Delay Offset); nothing when no drag runs.
  void EndDrag();
  void UpdateAxis();

  bool IsDragging() const { return dragging_; }
  int32_t DragVoice() const { return dragVoice_; }
  double AxisMaximum() const { return axis_.maximum; }
  const DisplaySnapshot& Display() const { return display_; }

 private:
  struct Point {
    float x;
    float y;
  };

  void RefreshForFrame();
  double PlainValue(int32_t paramIdx) const;
  Point RequestedPoint(int32_t voice) const;
  bool VoiceInUse(int32_t voice) const;
  // The voice whose handle is nearest, first on a tie, or -1 when none lies within 30 units.
  int32_t VoiceNearest(float x, float y) const;
  void SelectVoice(int32_t voice);
  // Nothing without a graphics context, whose ledger holds the drag's gestures.
  void StartDrag(int32_t voice, float x, float y, int64_t holder);
  // Clamped to the parameter's range; a value that is not finite writes nothing.
  void WriteParamFromEditor(int32_t paramIdx, double plainValue, bool gesture);
  void DrawGrids(plugfw::gfx::IGfx& g) const;
  void DrawVoice(plugfw::gfx::IGfx& g, int32_t voice) const;

  plugfw::gfx::IGfxEditorDelegate* plugin_;
  ViewStatePtr view_;
  SnapshotReader reader_;
  DisplaySnapshot display_;
  MeterSnapshot meters_;  // read along with the display record, not shown
  bool dragging_ = false;
  int32_t dragVoice_ = 0;
  int64_t dragHolder_ = 0;  // the pressing pointer
  float dragOriginX_ = 0.f;
  float dragOriginY_ = 0.f;
  double panAtDragStart_ = 0.0;
  double delayOffsetAtDragStart_ = 0.0;
  VoiceFieldAxis axis_;
  double latchedAxis_ = kMinAxisMs;
  RedrawKey redrawKey_;
};

}  // namespace halcyra
