// Input dispatch: which control each pointer, wheel, hover, key and drop event reaches,
// which control holds a pointer while it is down, and the edits a press opens and its
// release ends. Every dispatch into controls holds a control walk, so a control that
// removes controls or closes the editor from its handler never leaves the dispatch
// touching freed ones; a dispatch stops once the editor is going.

#include <algorithm>

#include "graphics/control.h"
#include "graphics/gfx.h"
#include "graphics/text_entry_control.h"

namespace plugfw::gfx {
namespace {

// The corner resizer and the performance display take a point inside their drawn rect.
bool PointInsideSpecial(const IControl* control, float x, float y) {
  return control && control->GetRect().Contains(x, y);
}

// The background at index 0 is never the mouse-over control.
int32_t LowestListIndex(bool mouseOver) { return mouseOver ? 1 : 0; }

void BeginEditsOfBoundSlots(EditGestureLedger& edits, const IControl& control, int64_t touchId) {
  for (int32_t i = 0; i < control.NVals(); ++i) {
    if (control.GetParamIdx(i) >= 0) edits.BeginEdit(touchId, control.GetParamIdx(i));
  }
}

}  // namespace

bool IGfx::TakesPointer(const IControl& control, bool mouseOver) const {
  if (control.IsHidden() || control.GetIgnoreMouse()) return false;
  if (!control.IsDisabled()) return true;
  return mouseOver ? control.GetMouseOverWhenDisabled() : control.GetMouseEventsWhenDisabled();
}

IControl* IGfx::HitTestControl(float x, float y, bool capture, bool mouseOver, int64_t touchId) {
  IControl* found = nullptr;
  int32_t foundIndex = -1;
  const auto held = captureMap_.find(static_cast<intptr_t>(touchId));
  if (held != captureMap_.end()) {
    found = held->second;
  } else if (popupMenuControl_ && !popupMenuControl_->IsHidden()) {
    // A drawn popup menu shows only while it is expanded, and then takes every event.
    found = popupMenuControl_.get();
  } else if (textEntry_ && textEntry_->IsEditing()) {
    found = textEntry_.get();
  } else if (PointInsideSpecial(cornerResizer_.get(), x, y)) {
    found = cornerResizer_.get();
  } else if (PointInsideSpecial(perfDisplay_.get(), x, y)) {
    found = perfDisplay_.get();
  } else if (!mouseOver || hoverTracking_) {
    for (int32_t i = controls_.Count() - 1; i >= LowestListIndex(mouseOver); --i) {
      IControl* control = controls_.Get(i);
      if (IsPendingRemoval(control) || !TakesPointer(*control, mouseOver) || !control->IsHit(x, y)) continue;
      found = control;
      foundIndex = i;
      break;
    }
  }
  if (capture && found) {
    const bool heldByAnother = std::any_of(captureMap_.begin(), captureMap_.end(), [&](const auto& entry) {
      return entry.second == found && entry.first != static_cast<intptr_t>(touchId);
    });
    if (multiTouch_ && heldByAnother && !found->GetWantsMultiTouch()) return nullptr;
    captureMap_.emplace(static_cast<intptr_t>(touchId), found);
  }
  if (mouseOver) mouseOverIdx_ = foundIndex;
  return found;
}

void IGfx::MouseDownAll(const std::vector<MouseState>& states) {
  ControlWalk walk(*this);
  if (states.size() == 1) {
    mouseDownX_ = states.front().x;
    mouseDownY_ = states.front().y;
  }
  for (const MouseState& state : states) {
    if (deleteWhenWalkEnds_) return;
    IControl* control = HitTestControl(state.x, state.y, true, false, state.mod.touchId);
    if (!control) continue;
    const int32_t valIdx = std::max(0, control->GetValueIndexForPosition(state.x, state.y));
    const int32_t paramIdx = control->GetParamIdx(valIdx);
    if (state.mod.rightButton && paramIdx >= 0) {
      ReleaseMouseCapture();
      ShowControlContextMenu(control, paramIdx, state.x, state.y);
      return;
    }
    BeginEditsOfBoundSlots(editGestures_, *control, state.mod.touchId);
    control->OnMouseDown(state.x, state.y, state.mod);
  }
}

void IGfx::MouseDragAll(const std::vector<MouseState>& states) {
  if (resizing_ && states.size() == 1) {
    DragCornerResizer(states.front().x, states.front().y);
    return;
  }
  if (captureMap_.empty()) return;
  // While a text entry edits, drags belong to it alone; the platform's edit box takes none.
  IControl* onlyReceiver = nullptr;
  if (inTextEntry_) {
    if (!textEntry_) return;
    onlyReceiver = textEntry_.get();
  }
  ControlWalk walk(*this);
  for (const MouseState& state : states) {
    if (deleteWhenWalkEnds_) return;
    const auto held = captureMap_.find(static_cast<intptr_t>(state.mod.touchId));
    if (held == captureMap_.end() || (onlyReceiver && held->second != onlyReceiver)) continue;
    if (state.dX == 0.f && state.dY == 0.f) continue;
    held->second->OnMouseDrag(state.x, state.y, state.dX, state.dY, state.mod);
  }
}

void IGfx::MouseUpAll(const std::vector<MouseState>& states) {
  ControlWalk walk(*this);
  for (const MouseState& state : states) {
    if (deleteWhenWalkEnds_) return;
    const intptr_t touchId = static_cast<intptr_t>(state.mod.touchId);
    const auto held = captureMap_.find(touchId);
    if (held != captureMap_.end()) held->second->OnMouseUp(state.x, state.y, state.mod);
    // Whatever the pointer's press opened, also when its control has gone meanwhile.
    editGestures_.EndEditsHeldBy(state.mod.touchId);
    captureMap_.erase(touchId);
  }
  if (deleteWhenWalkEnds_) return;
  if (resizing_) EndCornerResize();
  if (states.size() == 1 && states.front().mod.touchId == 0 && !deleteWhenWalkEnds_) {
    MouseOverAt(states.front().x, states.front().y, states.front().mod);
  }
}

bool IGfx::MouseDoubleClick(float x, float y, const ModifierKeys& mod) {
  ControlWalk walk(*this);
  IControl* control = HitTestControl(x, y, true, false, 0);
  if (!control) return false;
  if (control->GetDoubleClickActsAsClick()) {
    MouseState state;
    state.x = x;
    state.y = y;
    state.mod = mod;
    MouseDownAll({state});
    return true;
  }
  control->OnMouseDoubleClick(x, y, mod);
  if (!deleteWhenWalkEnds_) ReleaseMouseCapture();
  return true;
}

bool IGfx::MouseWheel(float x, float y, const ModifierKeys& mod, float delta) {
  ControlWalk walk(*this);
  IControl* control = HitTestControl(x, y, false, false, 0);
  if (!control) return false;
  control->OnMouseWheel(x, y, mod, delta);
  return true;
}

bool IGfx::MouseOverAt(float x, float y, const ModifierKeys& mod) {
  ControlWalk walk(*this);
  IControl* control = HitTestControl(x, y, false, true, 0);
  if (control != mouseOver_) {
    IControl* previous = mouseOver_;
    mouseOver_ = control;
    if (previous) previous->OnMouseOut();
    if (deleteWhenWalkEnds_) return control != nullptr;
  }
  // A handler above may have removed it.
  if (control && control == mouseOver_) control->OnMouseOver(x, y, mod);
  return control != nullptr;
}

void IGfx::MouseOutAll() {
  // The kind in force stays remembered, so the cursor comes back with the pointer.
  cursorKind_ = SetMouseCursor(kArrowCursor);
  ForAllControls([](IControl& control) { control.OnMouseOut(); });
  mouseOver_ = nullptr;
  mouseOverIdx_ = -1;
}

bool IGfx::DispatchKey(float x, float y, const KeyEvent& key, bool isKeyUp) {
  ControlWalk walk(*this);
  IControl* control = HitTestControl(x, y, false, false, 0);
  if (control && control != controls_.Get(0) &&
      (isKeyUp ? control->OnKeyUp(x, y, key) : control->OnKeyDown(x, y, key))) {
    return true;
  }
  if (deleteWhenWalkEnds_) return false;
  return keyHandler_ ? keyHandler_(key, isKeyUp) : false;
}

bool IGfx::OnKeyDown(float x, float y, const KeyEvent& key) { return DispatchKey(x, y, key, false); }

bool IGfx::OnKeyUp(float x, float y, const KeyEvent& key) { return DispatchKey(x, y, key, true); }

void IGfx::DropOnControl(const char* path, float x, float y) {
  ControlWalk walk(*this);
  if (IControl* control = HitTestControl(x, y, false, false, 0)) control->OnDrop(path ? path : "", x, y);
}

void IGfx::DropMultipleOnControl(const std::vector<const char*>& paths, float x, float y) {
  ControlWalk walk(*this);
  if (IControl* control = HitTestControl(x, y, false, false, 0)) control->OnDropMultiple(paths, x, y);
}

bool IGfx::ControlIsCaptured(const IControl* control) const {
  return control && std::any_of(captureMap_.begin(), captureMap_.end(),
                                [control](const auto& entry) { return entry.second == control; });
}

void IGfx::ReleaseMouseCapture() {
  captureMap_.clear();
  editGestures_.EndAllEdits();
  if (cursorHidden_) HideMouseCursor(false, true);
}

int32_t IGfx::SetMouseCursor(int32_t kind) {
  const int32_t previous = cursorKind_;
  cursorKind_ = kind;
  return previous;
}

}  // namespace plugfw::gfx
