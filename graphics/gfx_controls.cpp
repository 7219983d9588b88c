// The graphics context's control list: attaching, tags, special controls, the visiting
// order, removal, and the walk guard that defers deletion while controls are visited.

#include <algorithm>
#include <new>
#include <vector>

#include "core/make_or_null.h"
#include "graphics/control.h"
#include "graphics/gfx.h"
#include "graphics/gfx_editor_delegate.h"
#include "graphics/text_entry_control.h"

namespace plugfw::gfx {

IGfx::ControlWalk::ControlWalk(IGfx& gfx) : gfx_(gfx) { ++gfx_.walkDepth_; }

IGfx::ControlWalk::~ControlWalk() { gfx_.EndControlWalk(); }

void IGfx::EndControlWalk() {
  if (--walkDepth_ > 0) return;
  DeleteRemovedControls();
  // Last: nothing of this object may be touched afterwards.
  if (deleteWhenWalkEnds_) delete this;
}

void IGfx::DeleteRemovedControls() {
  // In the order RemoveAllControls deletes: the special controls, then the others, the
  // last removed first. A destructor that removes further controls adds to the lists
  // while they are emptied.
  while (!removedSpecialControls_.empty() || !removedControls_.empty()) {
    if (!removedSpecialControls_.empty()) {
      std::unique_ptr<IControl> special = std::move(removedSpecialControls_.front());
      removedSpecialControls_.erase(removedSpecialControls_.begin());
      continue;
    }
    IControl* control = removedControls_.back();
    removedControls_.pop_back();
    const int32_t index = controls_.Find(control);
    if (index >= 0) controls_.Remove(index);
    delete control;
  }
  if (mouseOver_) mouseOverIdx_ = controls_.Find(mouseOver_);
}

bool IGfx::IsPendingRemoval(const IControl* control) const {
  return std::find(removedControls_.begin(), removedControls_.end(), control) != removedControls_.end();
}

IControl* IGfx::AttachControl(IControl* control, int32_t tag, const char* group) {
  if (!control) return nullptr;
  if (tag >= 0 && tagMap_.count(tag) != 0) return nullptr;
  // Make room first, so a list that cannot grow leaves the control untouched by any hook.
  if (!controls_.Add(control)) return nullptr;
  controls_.Remove(controls_.Count() - 1);
  if (tag >= 0) tagMap_[tag] = control;
  control->SetDelegate(delegate_);
  // This graphics object, whatever the delegate holds at the moment: the layout runs
  // before a delegate may have stored it.
  control->SetUI(this);
  control->OnInit();
  control->OnResize();
  control->OnRescale();
  control->SetGroup(group);
  // Within the storage reserved above, unless a hook attached controls of its own meanwhile.
  if (!controls_.Add(control)) {
    if (tag >= 0) tagMap_.erase(tag);
    return nullptr;
  }
  control->OnAttached();
  return control;
}

void IGfx::AttachTextEntry() {
  if (textEntry_) return;
  std::unique_ptr<ITextEntryControl> entry = MakeOrNull<ITextEntryControl>();
  if (!entry) return;
  textEntry_ = std::move(entry);
  textEntry_->SetDelegate(delegate_);
  textEntry_->SetUI(this);
  textEntry_->OnInit();
  textEntry_->OnResize();
  textEntry_->OnRescale();
}

IControl* IGfx::GetControlWithTag(int32_t tag) const {
  const auto found = tagMap_.find(tag);
  return found == tagMap_.end() ? nullptr : found->second;
}

void IGfx::ReplaceSpecialControl(std::unique_ptr<IControl>& slot, std::unique_ptr<IControl> control) {
  if (slot) {
    // Forgotten like any removed control; a walk that may be visiting it deletes it at its end.
    ForgetControl(slot.get());
    if (InControlWalk()) {
      removedSpecialControls_.push_back(std::move(slot));
    } else {
      slot.reset();
    }
  }
  slot = std::move(control);
  if (!slot) return;
  slot->SetDelegate(delegate_);
  slot->SetUI(this);
}

void IGfx::SetCornerResizer(std::unique_ptr<IControl> resizer) {
  ReplaceSpecialControl(cornerResizer_, std::move(resizer));
}

void IGfx::SetPopupMenuControl(std::unique_ptr<IControl> control) {
  ReplaceSpecialControl(popupMenuControl_, std::move(control));
}

void IGfx::SetPerformanceDisplay(std::unique_ptr<IControl> display) {
  ReplaceSpecialControl(perfDisplay_, std::move(display));
}

bool IGfx::AttachExtraControl(IControl* control) {
  if (!control) return false;
  if (!extraControls_.Add(control)) {
    delete control;
    return false;
  }
  control->SetDelegate(delegate_);
  control->SetUI(this);
  return true;
}

void IGfx::ForgetControl(const IControl* control) {
  for (auto it = tagMap_.begin(); it != tagMap_.end();) {
    it = it->second == control ? tagMap_.erase(it) : std::next(it);
  }
  std::vector<intptr_t> releasedPointers;
  for (auto it = captureMap_.begin(); it != captureMap_.end();) {
    if (it->second != control) {
      ++it;
      continue;
    }
    releasedPointers.push_back(it->first);
    it = captureMap_.erase(it);
  }
  if (mouseOver_ == control) {
    mouseOver_ = nullptr;
    mouseOverIdx_ = -1;
  }
  if (inTextEntry_ == control) inTextEntry_ = nullptr;
  if (popupRequester_ == control) popupRequester_ = nullptr;
  ForgetParent(control);
  // No release will come for a pointer whose control has gone: its edits end now.
  for (intptr_t touchId : releasedPointers) editGestures_.EndEditsHeldBy(touchId);
}

void IGfx::ForgetParent(const IControl* parent) {
  const auto unlink = [parent](IControl* child) {
    if (child && child->GetParent() == parent) child->SetParent(nullptr);
  };
  // Every control this object still owns, those waiting for a walk's end included.
  for (int32_t i = 0; i < controls_.Count(); ++i) unlink(controls_.Get(i));
  for (int32_t i = 0; i < extraControls_.Count(); ++i) unlink(extraControls_.Get(i));
  for (IControl* removed : removedControls_) unlink(removed);
  for (const std::unique_ptr<IControl>& removed : removedSpecialControls_) unlink(removed.get());
  unlink(perfDisplay_.get());
  unlink(cornerResizer_.get());
  unlink(textEntry_.get());
  unlink(popupMenuControl_.get());
}

bool IGfx::RemoveControl(IControl* control) {
  const int32_t index = controls_.Find(control);
  if (index < 0 || IsPendingRemoval(control)) return false;
  ForgetControl(control);
  if (InControlWalk()) {
    removedControls_.push_back(control);
    return true;
  }
  controls_.Remove(index);
  delete control;
  if (mouseOver_) mouseOverIdx_ = controls_.Find(mouseOver_);
  return true;
}

void IGfx::RemoveAllControls() {
  ReleaseMouseCapture();
  mouseOver_ = nullptr;
  mouseOverIdx_ = -1;
  // Nothing may keep pointing at a control that is about to go.
  inTextEntry_ = nullptr;
  popupRequester_ = nullptr;
  if (InControlWalk()) {
    // The controls leave the lists now and are deleted when the walk ends; controls
    // attached after this call stay.
    if (popupMenuControl_) removedSpecialControls_.push_back(std::move(popupMenuControl_));
    if (textEntry_) removedSpecialControls_.emplace_back(textEntry_.release());
    if (cornerResizer_) removedSpecialControls_.push_back(std::move(cornerResizer_));
    if (perfDisplay_) removedSpecialControls_.push_back(std::move(perfDisplay_));
    for (int32_t i = 0; i < controls_.Count(); ++i) {
      if (!IsPendingRemoval(controls_.Get(i))) removedControls_.push_back(controls_.Get(i));
    }
    for (int32_t i = 0; i < extraControls_.Count(); ++i) removedControls_.push_back(extraControls_.Get(i));
    // Emptied without deleting: the walk's end deletes them, last attached first.
    while (extraControls_.Count() > 0) extraControls_.Remove(extraControls_.Count() - 1);
    while (controls_.Count() > 0) controls_.Remove(controls_.Count() - 1);
    tagMap_.clear();
    return;
  }
  popupMenuControl_.reset();
  textEntry_.reset();
  cornerResizer_.reset();
  perfDisplay_.reset();
  extraControls_.DeleteAll();
  tagMap_.clear();
  controls_.DeleteAll();
}

bool IGfx::VisitControl(IControl* control, const ControlFunction& function) {
  if (control && !IsPendingRemoval(control)) function(*control);
  // A deletion of this object waits for the walk's end; the rest of the walk is skipped.
  return !deleteWhenWalkEnds_;
}

void IGfx::ForAllControls(const ControlFunction& function) {
  ControlWalk walk(*this);
  // By index, since a visited control may attach or remove controls.
  for (int32_t i = 0; i < controls_.Count(); ++i) {
    if (!VisitControl(controls_.Get(i), function)) return;
  }
  if (!VisitControl(perfDisplay_.get(), function)) return;
  if (!VisitControl(cornerResizer_.get(), function)) return;
  if (!VisitControl(textEntry_.get(), function)) return;
  if (!VisitControl(popupMenuControl_.get(), function)) return;
  for (int32_t i = 0; i < extraControls_.Count(); ++i) {
    if (!VisitControl(extraControls_.Get(i), function)) return;
  }
}

void IGfx::SetAllControlsDirty() {
  ForAllControls([](IControl& control) { control.SetDirty(false, IControl::kAllValues); });
}

void IGfx::SetAllControlsClean() {
  ForAllControls([](IControl& control) { control.SetClean(); });
}

void IGfx::EnableTooltips(bool enable) {
  tooltips_ = enable;
  if (enable) hoverTracking_ = true;
}

}  // namespace plugfw::gfx
