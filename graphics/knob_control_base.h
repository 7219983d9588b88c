#pragma once
// IKnobControlBase: the drag and wheel behaviour of a rotary knob on top of IControl -
// gearing, fine adjustment with shift or control, snapping of stepped parameters and the
// hidden, locked cursor while dragging. UI thread only.

#include <cstdint>

#include "graphics/control.h"

namespace plugfw::gfx {

class IKnobControlBase : public IControl {
 public:
  enum Direction : int32_t { kVertical = 0, kHorizontal = 1 };
  static constexpr double kDefaultGearing = 4.0;
  static constexpr double kFineGearingFactor = 10.0;
  static constexpr double kWheelIncrement = 0.01;
  static constexpr double kFineWheelIncrement = 0.001;

  explicit IKnobControlBase(const Rect& bounds, int32_t paramIdx = kNoParameter,
                            int32_t direction = kVertical, double gearing = kDefaultGearing);

  // UI thread, from the graphics context's input dispatch.
  void OnMouseDown(float x, float y, const ModifierKeys& mod) override;
  void OnMouseUp(float x, float y, const ModifierKeys& mod) override;
  // Dragging across the full travel of GetKnobDragBounds moves the value by 1 / gearing
  // (a tenth of that with shift or control).
  void OnMouseDrag(float x, float y, float dX, float dY, const ModifierKeys& mod) override;
  // A stepped parameter moves one whole step per notch, whatever the delta's size.
  void OnMouseWheel(float x, float y, const ModifierKeys& mod, float delta) override;

  // The rect whose height (vertical drag) or width (horizontal) is the travel from 0 to 1.
  virtual Rect GetKnobDragBounds() const { return GetTargetRect(); }

  bool GetHideCursorOnDrag() const { return hideCursor_; }
  void SetHideCursorOnDrag(bool hide) { hideCursor_ = hide; }
  int32_t GetDirection() const { return direction_; }
  double GetGearing() const { return gearing_; }
  void SetGearing(double gearing) { gearing_ = gearing; }
  bool IsDragging() const { return dragging_; }

 private:
  // The stepped parameter bound to slot 0, or null.
  const IParam* SteppedParam() const;

  bool hideCursor_ = true;
  int32_t direction_ = kVertical;
  double gearing_ = kDefaultGearing;
  bool dragging_ = false;
  double runningValue_ = 0.0;
};

}  // namespace plugfw::gfx
