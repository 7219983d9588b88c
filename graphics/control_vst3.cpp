// The control's face as a VST3 object, in the VST3 build only: a context-menu target whose
// choices reach OnContextSelection, and the small target the host's menus actually name, whose
// link to the control is cut when the control dies - a host may still call it afterwards.

#include "graphics/control.h"

#include <new>

namespace plugfw::gfx {

using Steinberg::kResultOk;

class ControlMenuTarget : public Steinberg::Vst::IContextMenuTarget, public Steinberg::FObject {
 public:
  explicit ControlMenuTarget(IControl& control) : control_(&control) {}

  // UI thread, from the host's menu: nothing once the control has gone.
  Steinberg::tresult PLUGIN_API executeMenuItem(Steinberg::int32 tag) override {
    if (control_ != nullptr) control_->OnContextSelection(tag);
    return kResultOk;
  }
  // UI thread, from the control's destructor.
  void Detach() { control_ = nullptr; }

  OBJ_METHODS(ControlMenuTarget, FObject)
  DEFINE_INTERFACES
  DEF_INTERFACE(IContextMenuTarget)
  END_DEFINE_INTERFACES(FObject)
  REFCOUNT_METHODS(FObject)

 private:
  IControl* control_;
};

Steinberg::tresult PLUGIN_API IControl::queryInterface(const Steinberg::TUID iid, void** obj) {
  QUERY_INTERFACE(iid, obj, Steinberg::Vst::IContextMenuTarget::iid, Steinberg::Vst::IContextMenuTarget)
  return FObject::queryInterface(iid, obj);
}

Steinberg::uint32 PLUGIN_API IControl::addRef() { return FObject::addRef(); }

Steinberg::uint32 PLUGIN_API IControl::release() {
  // The creation reference stays: freeing is the graphics context's, never the count's.
  if (refCount > 1) --refCount;
  return static_cast<Steinberg::uint32>(refCount);
}

Steinberg::tresult PLUGIN_API IControl::executeMenuItem(Steinberg::int32 tag) {
  OnContextSelection(tag);
  return kResultOk;
}

Steinberg::Vst::IContextMenuTarget* IControl::HostMenuTarget() {
  if (hostMenuTarget_ == nullptr) hostMenuTarget_ = new (std::nothrow) ControlMenuTarget(*this);
  return hostMenuTarget_;
}

void IControl::ReleaseHostMenuTarget() {
  if (hostMenuTarget_ == nullptr) return;
  hostMenuTarget_->Detach();
  hostMenuTarget_->release();
  hostMenuTarget_ = nullptr;
}

}  // namespace plugfw::gfx
