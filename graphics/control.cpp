#include "graphics/control.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

#include "core/param.h"
#include "graphics/editor_delegate.h"
#include "graphics/gfx.h"
#include "graphics/popup_menu.h"
#include "graphics/steady_clock.h"

namespace plugfw::gfx {
namespace {

constexpr size_t kEventHandlerBuckets = 8;
constexpr float kHighlightRadius = 2.f;
constexpr float kHighlightInset = 5.f;
constexpr double kPositionResolution = 0.001;

bool SameValue(double a, double b) { return a == b; }  // a NaN on either side differs

}  // namespace

size_t IControl::EventTypeHash::operator()(int32_t type) const {
  uint8_t bytes[sizeof type];
  std::memcpy(bytes, &type, sizeof type);
  uint64_t hash = 0xcbf29ce484222325ull;
  for (uint8_t byte : bytes) {
    hash ^= byte;
    hash *= 0x100000001b3ull;
  }
  return static_cast<size_t>(hash);
}

IControl::IControl(const Rect& bounds, int32_t paramIdx, ActionFunction action)
    : IControl(bounds, {paramIdx}, std::move(action)) {}

IControl::IControl(const Rect& bounds, std::initializer_list<int32_t> paramIndices, ActionFunction action)
    : rect_(bounds),
      targetRect_(bounds),
      actionFunction_(std::move(action)),
      eventHandlers_(kEventHandlerBuckets) {
  eventHandlers_.max_load_factor(1.f);
  for (int32_t paramIdx : paramIndices) values_.push_back({paramIdx, 0.0});
  if (values_.empty()) values_.push_back({kNoParameter, 0.0});
}

IControl::~IControl() {
#if defined(PLUGFW_VST3_CONTROLS)
  ReleaseHostMenuTarget();
#endif
}

int32_t IControl::SlotForIndex(int32_t valIdx) const {
  if (NVals() == 1) return 0;
  return valIdx >= 0 && valIdx < NVals() ? valIdx : -1;
}

int32_t IControl::GetParamIdx(int32_t valIdx) const {
  return valIdx >= 0 && valIdx < NVals() ? values_[valIdx].paramIdx : kNoParameter;
}

double IControl::GetValue(int32_t valIdx) const {
  return valIdx >= 0 && valIdx < NVals() ? values_[valIdx].value : 0.0;
}

const IParam* IControl::ParamAt(int32_t paramIdx) const {
  return delegate_ && paramIdx >= 0 ? delegate_->GetParam(paramIdx) : nullptr;
}

const IParam* IControl::GetParam(int32_t valIdx) const { return ParamAt(GetParamIdx(valIdx)); }

int32_t IControl::ValueIndexOfParam(int32_t paramIdx) const {
  for (int32_t i = 0; i < NVals(); ++i) {
    if (values_[i].paramIdx == paramIdx) return i;
  }
  return -1;
}

void IControl::OnMouseDown(float x, float y, const ModifierKeys& mod) {
  if (!mod.rightButton) return;
  const int32_t valIdx = GetValueIndexForPosition(x, y);
  if (valIdx < 0 || GetParamIdx(valIdx) < 0 || promptDisabled_) return;
  const IParam* param = GetParam(valIdx);
  Rect area = rect_;
  if (!param || param->DisplayTextCount() == 0) {
    const float cx = rect_.CentreX();
    const float cy = rect_.CentreY();
    area = {cx - kPromptBoxWidth / 2, cy - kPromptBoxHeight / 2, cx + kPromptBoxWidth / 2,
            cy + kPromptBoxHeight / 2};
  }
  if (gfx_) gfx_->PromptValueEntry(this, area, valIdx);
  SetDirty(false);
}

void IControl::OnMouseDoubleClick(float x, float y, const ModifierKeys& /*mod*/) {
  SetValueToDefault(GetValueIndexForPosition(x, y));
}

void IControl::OnMouseOver(float /*x*/, float /*y*/, const ModifierKeys& /*mod*/) {
  const bool wasOver = mouseIsOver_;
  mouseIsOver_ = true;
  if (!wasOver) SetDirty(false);
}

void IControl::OnMouseOut() {
  const bool wasOver = mouseIsOver_;
  mouseIsOver_ = false;
  if (wasOver) SetDirty(false);
}

void IControl::OnDropMultiple(const std::vector<const char*>& texts, float x, float y) {
  if (!texts.empty()) OnDrop(texts.front(), x, y);
}

bool IControl::DispatchEventHandler(const ControlEvent& event) {
  const auto found = eventHandlers_.find(event.type);
  if (found == eventHandlers_.end()) return false;
  lastEventType_ = event.type;
  // A copy: the handler may replace its own entry.
  const EventHandler handler = found->second;
  handler(*this, event);
  return true;
}

void IControl::AddEventHandler(int32_t eventType, EventHandler handler) {
  eventHandlers_[eventType] = std::move(handler);
}

void IControl::OnPopupMenuSelection(IPopupMenu* menu, int32_t valIdx) {
  if (!menu || valIdx < 0 || GetParamIdx(valIdx) < 0 || promptDisabled_) return;
  const int32_t chosen = menu->GetChosenItemIdx();
  const IParam* param = GetParam(valIdx);
  if (chosen < 0 || !param) return;
  // The item stands for its display text's value; the index equals that value only for a
  // parameter whose values run 0, 1, 2, ...
  double value = chosen;
  const PopupMenuItem* item = menu->GetItem(chosen);
  const DisplayText* byIndex = param->DisplayTextAt(chosen);
  bool matched = false;
  for (int32_t i = 0; item && i < param->DisplayTextCount() && !matched; ++i) {
    const DisplayText* entry = param->DisplayTextAt(i);
    if (std::strcmp(entry->text, item->GetText()) == 0) {
      value = entry->value;
      matched = true;
    }
  }
  if (!matched && byIndex) value = byIndex->value;
  SetValueFromUserInput(param->ToNormalized(value), valIdx);
}

void IControl::DrawHighlight(IGfx& gfx) {
  if (!highlightShown_) return;
  gfx.FillCircle(highlightColour_, targetRect_.right - kHighlightInset, targetRect_.top + kHighlightInset,
                 kHighlightRadius);
}

bool IControl::SetParamIdx(int32_t paramIdx, int32_t valIdx) {
  if (valIdx < 0 || valIdx >= NVals()) {
    // Thrown, this would end inside a host's view call with nothing to catch it.
    assert(!"SetParamIdx: value index outside the control's slots");
    return false;
  }
  values_[valIdx].paramIdx = paramIdx;
  SetDirty(false);
  return true;
}

void IControl::SetValueFromDelegate(double value, int32_t valIdx) {
  if (!std::isfinite(value)) return;
  if (gfx_ && gfx_->ControlIsCaptured(this)) return;
  const int32_t slot = SlotForIndex(valIdx);
  if (slot < 0 || SameValue(values_[slot].value, value)) return;
  SetValue(value, slot);
  SetDirty(false);
}

void IControl::SetValueFromUserInput(double value, int32_t valIdx) {
  if (!std::isfinite(value)) return;
  const int32_t slot = SlotForIndex(valIdx);
  if (slot < 0 || SameValue(values_[slot].value, value)) return;
  SetValue(value, slot);
  SetDirty(true, slot);
}

void IControl::SetValueToDefault(int32_t valIdx) {
  const int32_t index = NVals() == 1 ? 0 : valIdx;
  for (int32_t i = 0; i < NVals(); ++i) {
    if (index >= 0 && i != index) continue;
    if (const IParam* param = GetParam(i)) SetValue(param->GetDefault(true), i);
  }
  SetDirty(true, index);
}

void IControl::SetValue(double value, int32_t valIdx) {
  if (!std::isfinite(value) || valIdx < 0 || valIdx >= NVals()) return;
  values_[valIdx].value = value;
}

void IControl::SetPosition(float x, float y) {
  x = std::max(0.f, x);
  y = std::max(0.f, y);
  const float dx = x - rect_.left;
  const float dy = y - rect_.top;
  rect_ = rect_.Offset(dx, dy);
  mouseIsOver_ = false;
  OnResize();
  // After OnResize, which still sees the old target rect.
  targetRect_ = targetRect_.Offset(dx, dy);
}

void IControl::SetSize(float width, float height) {
  width = std::max(0.f, width);
  height = std::max(0.f, height);
  rect_ = targetRect_ = {rect_.left, rect_.top, rect_.left + width, rect_.top + height};
  mouseIsOver_ = false;
  OnResize();
}

void IControl::Hide(bool hide) {
  hidden_ = hide;
  SetDirty(false);
}

void IControl::SetDisabled(bool disable) {
  disabled_ = disable;
  blend_.weight = disable ? kDisabledBlendWeight : 1.f;
  SetDirty(false);
}

void IControl::SetDirty(bool triggerAction, int32_t valIdx) {
  const int32_t index = NVals() == 1 ? 0 : valIdx;
  const bool everySlot = index < 0;
  const bool validSlot = everySlot || index < NVals();
  for (int32_t i = 0; validSlot && i < NVals(); ++i) {
    if (!everySlot && i != index) continue;
    // Only an overriding SetValue could have left a NaN; it is not sent anywhere.
    if (std::isfinite(values_[i].value)) SetValue(std::clamp(values_[i].value, 0.0, 1.0), i);
  }
  dirty_ = true;
  if (!triggerAction) return;
  for (int32_t i = 0; validSlot && i < NVals(); ++i) {
    if (everySlot || i == index) SendSlotToDelegate(i);
  }
  if (actionFunction_) actionFunction_(*this);
}

void IControl::SendSlotToDelegate(int32_t slot) {
  const ControlValue& slotValue = values_[slot];
  if (slotValue.paramIdx < 0 || !std::isfinite(slotValue.value)) return;
  // Attached, the edit goes through the graphics context's gestures so the host always hears
  // it inside one.
  if (gfx_) {
    gfx_->GetEditGestures().SetValue(slotValue.paramIdx, slotValue.value);
  } else if (delegate_) {
    delegate_->SetParamFromUI(slotValue.paramIdx, slotValue.value);
  }
  if (gfx_) gfx_->UpdatePeerControls(this, slot);
}

void IControl::SetValueFromPosition(float x, float y, int32_t direction, const Rect& bounds, int32_t valIdx,
                                    double low, double high) {
  if (bounds.Empty() || !std::isfinite(x) || !std::isfinite(y)) return;
  x = std::clamp(x, bounds.left, bounds.right);
  y = std::clamp(y, bounds.top, bounds.bottom);
  double v = direction != 0 ? (x - bounds.left) / bounds.Width() : 1.0 - (y - bounds.top) / bounds.Height();
  v = std::round(v / kPositionResolution) * kPositionResolution;
  v = std::min(high, std::max(low, v));
  for (int32_t i = 0; i < NVals(); ++i) {
    if (valIdx < 0 || i == valIdx) SetValue(v, i);
  }
  SetDirty(true, valIdx);
}

void IControl::OnEndAnimation() {
  animationFunction_ = nullptr;
  SetDirty(false);
  if (animationEndFunction_) animationEndFunction_(*this);
}

void IControl::StartAnimation(int32_t durationMs) {
  animationStartMs_ = SteadyClockMilliseconds();
  animationDurationMs_ = durationMs;
}

double IControl::AnimationProgress() const {
  if (!animationFunction_) return 0.0;
  const double elapsedMs =
      static_cast<double>(SteadyClockNanoseconds() - static_cast<int64_t>(animationStartMs_ * 1e6)) / 1e6;
  // An animation of no duration is over as soon as it is asked.
  if (!(animationDurationMs_ > 0.0)) return 1.0;
  return elapsedMs / animationDurationMs_;
}

void IControl::Animate() {
  if (!animationFunction_) return;
  // A copy: the animation may end itself (OnEndAnimation clears the stored function).
  const ActionFunction animation = animationFunction_;
  animation(*this);
}

}  // namespace plugfw::gfx
