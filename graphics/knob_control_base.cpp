#include "graphics/knob_control_base.h"

#include <algorithm>
#include <cmath>

#include "core/param.h"
#include "graphics/gfx.h"

namespace plugfw::gfx {

IKnobControlBase::IKnobControlBase(const Rect& bounds, int32_t paramIdx, int32_t direction, double gearing)
    : IControl(bounds, paramIdx), direction_(direction), gearing_(gearing) {}

const IParam* IKnobControlBase::SteppedParam() const {
  const IParam* param = GetParam(0);
  return param && param->HasFlag(kParamFlagStepped) && param->Step() > 0 ? param : nullptr;
}

void IKnobControlBase::OnMouseDown(float x, float y, const ModifierKeys& mod) {
  if (hideCursor_ && GetUI()) GetUI()->HideMouseCursor(true, true);
  dragging_ = true;
  runningValue_ = GetValue(0);
  IControl::OnMouseDown(x, y, mod);
}

void IKnobControlBase::OnMouseUp(float /*x*/, float /*y*/, const ModifierKeys& /*mod*/) {
  if (hideCursor_ && GetUI()) GetUI()->HideMouseCursor(false, true);
  dragging_ = false;
  SetDirty(false);
}

void IKnobControlBase::OnMouseDrag(float /*x*/, float /*y*/, float dX, float dY, const ModifierKeys& mod) {
  const double gearing = mod.Fine() ? gearing_ * kFineGearingFactor : gearing_;
  const Rect travel = GetKnobDragBounds();
  const double change = direction_ == kVertical
                            ? dY / static_cast<double>(travel.top - travel.bottom) / gearing
                            : dX / static_cast<double>(travel.right - travel.left) / gearing;
  // An empty travel, a gearing of 0 or a non-finite movement is no change.
  if (!std::isfinite(change)) return;
  runningValue_ = std::clamp(runningValue_ + change, 0.0, 1.0);
  // Only the shown value snaps, so slow drags still cross steps.
  const IParam* stepped = SteppedParam();
  SetValue(stepped ? stepped->NormalizedStep(runningValue_) : runningValue_, 0);
  SetDirty(true);
}

void IKnobControlBase::OnMouseWheel(float /*x*/, float /*y*/, const ModifierKeys& mod, float delta) {
  if (!std::isfinite(delta)) return;
  double value = GetValue(0);
  if (const IParam* stepped = SteppedParam()) {
    if (delta == 0.f) return;
    const double plain = stepped->ClampValue(stepped->GetShape().NormalizedToValue(value, *stepped));
    value = stepped->ToNormalized(delta > 0.f ? plain + stepped->Step() : plain - stepped->Step());
  } else {
    value += delta * (mod.Fine() ? kFineWheelIncrement : kWheelIncrement);
  }
  SetValue(value, 0);
  SetDirty(true);
}

}  // namespace plugfw::gfx
