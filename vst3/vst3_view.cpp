#include "vst3/vst3_view.h"

#include <cmath>
#include <cstring>

#include "graphics/input_events.h"
#include "vst3/vst3_keys.h"
#include "vst3/vst3_wrapper.h"

namespace plugfw {
namespace {

using Steinberg::kInvalidArgument;
using Steinberg::kResultFalse;
using Steinberg::kResultOk;

bool IsHwnd(Steinberg::FIDString type) {
  return type != nullptr && std::strcmp(type, Steinberg::kPlatformTypeHWND) == 0;
}

}  // namespace

IVST3View::IVST3View(IVST3Wrapper& plugin) : plugin_(plugin) { plugin_.addRef(); }

IVST3View::~IVST3View() {
  // A host that releases the view without removing it first would leave an editor nobody can
  // reach in its window, and the plug-in unable to open another.
  if (editorOpen_) plugin_.CloseEditorWindow();
  plugin_.ForgetView(this);
  if (plugFrame != nullptr) plugFrame->release();
  plugFrame = nullptr;
  plugin_.release();
}

Steinberg::tresult PLUGIN_API IVST3View::isPlatformTypeSupported(Steinberg::FIDString type) {
  return plugin_.HasEditor() && IsHwnd(type) ? kResultOk : kResultFalse;
}

Steinberg::tresult PLUGIN_API IVST3View::attached(void* parent, Steinberg::FIDString type) {
  // Success would tell the host an editor shows where none does. The plug-in has one editor: while
  // another view shows it, opening would only hand back that view's window.
  if (!plugin_.HasEditor() || !IsHwnd(type) || parent == nullptr || editorOpen_) return kResultFalse;
  if (plugin_.GetUI() != nullptr) return kResultFalse;
  // The host made its frame the size getSize gave it.
  rect = Steinberg::ViewRect(0, 0, plugin_.EditorWidth(), plugin_.EditorHeight());
  if (plugin_.OpenEditorWindow(parent) == nullptr) return kResultFalse;
  editorOpen_ = true;
  // The editor's resize requests go to the frame of the view that shows it, even when the host
  // attaches a view again after removing it.
  plugin_.RememberView(this);
  if (contentScale_ > 0.f) plugin_.SetScreenScale(contentScale_);
  return CPluginView::attached(parent, type);
}

Steinberg::tresult PLUGIN_API IVST3View::removed() {
  if (editorOpen_) plugin_.CloseEditorWindow();
  editorOpen_ = false;
  plugin_.ForgetView(this);
  return CPluginView::removed();
}

Steinberg::tresult PLUGIN_API IVST3View::getSize(Steinberg::ViewRect* size) {
  if (!plugin_.HasEditor() || size == nullptr) return kResultFalse;
  *size = Steinberg::ViewRect(0, 0, plugin_.EditorWidth(), plugin_.EditorHeight());
  return kResultOk;
}

Steinberg::tresult PLUGIN_API IVST3View::onSize(Steinberg::ViewRect* newSize) {
  if (newSize == nullptr || !plugin_.HostMayResizeEditor()) return kResultFalse;
  rect = *newSize;
  plugin_.HandleParentResize(newSize->getWidth(), newSize->getHeight());
  return kResultOk;
}

Steinberg::tresult PLUGIN_API IVST3View::canResize() {
  return plugin_.HasEditor() && plugin_.HostMayResizeEditor() ? kResultOk : kResultFalse;
}

Steinberg::tresult PLUGIN_API IVST3View::checkSizeConstraint(Steinberg::ViewRect* proposal) {
  if (proposal == nullptr) return kInvalidArgument;
  int32_t width = proposal->getWidth();
  int32_t height = proposal->getHeight();
  // Only a size the editor fills: any other would leave a band beside it, or cut it.
  if (!plugin_.ConstrainParentSize(width, height)) {
    proposal->right = proposal->left + width;
    proposal->bottom = proposal->top + height;
  }
  return kResultOk;
}

Steinberg::tresult PLUGIN_API IVST3View::setFrame(Steinberg::IPlugFrame* frame) {
  if (frame == plugFrame) return kResultOk;
  if (plugFrame != nullptr) plugFrame->release();
  plugFrame = frame;
  if (plugFrame != nullptr) plugFrame->addRef();
  return kResultOk;
}

Steinberg::tresult PLUGIN_API IVST3View::setContentScaleFactor(ScaleFactor factor) {
  if (!(factor > 0.f) || !std::isfinite(factor)) return kResultFalse;
  contentScale_ = factor;
  plugin_.SetScreenScale(factor);
  return kResultOk;
}

bool IVST3View::FrameHasSize(int32_t width, int32_t height) const {
  return rect.getWidth() == width && rect.getHeight() == height;
}

bool IVST3View::ResizeThroughFrame(int32_t width, int32_t height) {
  if (plugFrame == nullptr) return false;
  Steinberg::ViewRect size(0, 0, width, height);
  if (plugFrame->resizeView(this, &size) != kResultOk) return false;
  // The host calls onSize afterwards, maybe later: until then its frame has what it agreed to.
  rect = size;
  return true;
}

void IVST3View::FitEditorToFrame() { plugin_.HandleParentResize(rect.getWidth(), rect.getHeight()); }

Steinberg::tresult PLUGIN_API IVST3View::onKeyDown(Steinberg::char16 key, Steinberg::int16 keyCode,
                                                   Steinberg::int16 modifiers) {
  return ForwardKey(key, keyCode, modifiers, true);
}

Steinberg::tresult PLUGIN_API IVST3View::onKeyUp(Steinberg::char16 key, Steinberg::int16 keyCode,
                                                 Steinberg::int16 modifiers) {
  return ForwardKey(key, keyCode, modifiers, false);
}

Steinberg::tresult IVST3View::ForwardKey(Steinberg::char16 key, Steinberg::int16 keyCode,
                                         Steinberg::int16 modifiers, bool down) {
  gfx::KeyEvent event;
  if (plugin_.GetHost() == kHostReaper) {
    // That host hands plug-in views nothing but the space bar; every other key stays with it.
    if (!Vst3KeyForSpaceOnlyHost(keyCode, event)) return kResultFalse;
  } else {
    event = Vst3KeyToKeyPress(static_cast<char16_t>(key), keyCode, modifiers, WindowsKeyScan);
  }
  const bool handled = down ? plugin_.OnKeyDown(event) : plugin_.OnKeyUp(event);
  return handled ? kResultOk : kResultFalse;
}

}  // namespace plugfw
