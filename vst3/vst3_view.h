#pragma once
// IVST3View: the plug-in view a VST3 host asks for with createView("editor"). It owns no editor:
// every entry is passed to the plug-in's editor delegate, which opens and closes the editor
// window inside the host's HWND. The view holds a reference on the plug-in for its whole life
// and tells the plug-in when it goes, so the plug-in never keeps a dangling view. All entries:
// UI thread (the host's), nothing locked.

#include <cstdint>

#include "base/source/fobject.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "public.sdk/source/common/pluginview.h"

namespace plugfw {

class IVST3Wrapper;

class IVST3View : public Steinberg::CPluginView, public Steinberg::IPlugViewContentScaleSupport {
 public:
  using tresult = Steinberg::tresult;

  // UI thread: takes a reference on the plug-in.
  explicit IVST3View(IVST3Wrapper& plugin);
  ~IVST3View() override;

  tresult PLUGIN_API isPlatformTypeSupported(Steinberg::FIDString type) override;
  // kResultFalse unless the type is "HWND" and the editor window really opened.
  tresult PLUGIN_API attached(void* parent, Steinberg::FIDString type) override;
  tresult PLUGIN_API removed() override;
  tresult PLUGIN_API getSize(Steinberg::ViewRect* size) override;
  tresult PLUGIN_API onSize(Steinberg::ViewRect* newSize) override;
  tresult PLUGIN_API canResize() override;
  tresult PLUGIN_API checkSizeConstraint(Steinberg::ViewRect* rect) override;
  tresult PLUGIN_API setFrame(Steinberg::IPlugFrame* frame) override;
  tresult PLUGIN_API onKeyDown(Steinberg::char16 key, Steinberg::int16 keyCode,
                               Steinberg::int16 modifiers) override;
  tresult PLUGIN_API onKeyUp(Steinberg::char16 key, Steinberg::int16 keyCode,
                             Steinberg::int16 modifiers) override;

  // IPlugViewContentScaleSupport. A scale that comes before the editor opens is kept and
  // applied when it does.
  tresult PLUGIN_API setContentScaleFactor(ScaleFactor factor) override;

  // UI thread, from the plug-in: asks the host frame for the size. False without a frame and when
  // the host refused.
  bool ResizeThroughFrame(int32_t width, int32_t height);
  // UI thread. Whether the host gave the view a frame, and whether that frame has the size: the
  // size getSize gave it when the editor opened, then the last one given to onSize or agreed to
  // in resizeView.
  bool HasFrame() const { return plugFrame != nullptr; }
  bool FrameHasSize(int32_t width, int32_t height) const;
  // UI thread. The editor takes the size of the host's frame again (as if the host resized it).
  void FitEditorToFrame();
  // UI thread: true from a successful attached until removed.
  bool EditorOpen() const { return editorOpen_; }

  OBJ_METHODS(IVST3View, CPluginView)
  DEFINE_INTERFACES
  DEF_INTERFACE(IPlugViewContentScaleSupport)
  END_DEFINE_INTERFACES(CPluginView)
  REFCOUNT_METHODS(CPluginView)

 private:
  tresult ForwardKey(Steinberg::char16 key, Steinberg::int16 keyCode, Steinberg::int16 modifiers, bool down);

  IVST3Wrapper& plugin_;
  float contentScale_ = 0.f;  // 0 until the host sends one
  bool editorOpen_ = false;
};

}  // namespace plugfw
