#pragma once
// ICornerResizerControl: the triangular handle in the editor's bottom-right corner. Dragging
// it zooms the editor (scale mode) or resizes it (size mode); a double click returns the
// editor to the size it had when the handle was attached, at scale 1. The graphics context
// owns it as a special control outside the list, drawn and hit-tested after all listed
// controls, and re-anchors it at every resize. UI thread.

#include "graphics/colour.h"
#include "graphics/control.h"

namespace plugfw::gfx {

class ICornerResizerControl : public IControl {
 public:
  // The diagonal resize cursor shown while the pointer is over the handle.
  static constexpr int32_t kResizeCursor = 5;

  // UI thread. size: the handle's side in pixels; editorBounds: (0, 0, width, height) of
  // the editor at the time.
  ICornerResizerControl(const Rect& bounds, float size, const Rect& editorBounds, const Colour& normalColour,
                        const Colour& mouseOverColour, const Colour& dragColour);

  // UI thread: the graphics context's calls.
  void OnMouseDown(float x, float y, const ModifierKeys& mod) override;
  void OnMouseDoubleClick(float x, float y, const ModifierKeys& mod) override;
  void OnMouseOver(float x, float y, const ModifierKeys& mod) override;
  void OnMouseOut() override;
  // UI thread. Anchors the handle in the corner again: size / draw scale units on each side.
  void OnRescale() override;
  void Draw(IGfx& gfx) override;

  // UI thread.
  float Size() const { return size_; }
  const Rect& InitialRect() const { return initialRect_; }

 private:
  float size_;
  bool over_ = false;
  int32_t previousCursor_ = 0;
  Rect initialRect_;
  Colour normalColour_;
  Colour mouseOverColour_;
  Colour dragColour_;
};

}  // namespace plugfw::gfx
