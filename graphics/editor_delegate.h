#pragma once
// IEditorDelegate: the plug-in object's face towards its editor. It owns the parameter
// records and carries the messages between the plug-in and its user interface, with
// neutral base behaviour that the graphics delegate, the API base and the plug-in refine.
// UI thread, everything but the parameter values, which are atomic inside IParam and read by
// the audio thread without a lock.

#include <cstdint>

#include "core/heap_buffer.h"
#include "core/param.h"
#include "core/pointer_list.h"

namespace plugfw {

// Defined with the thread queues and the toolkit records; only referred to here.
struct MidiMessage;
struct SysExRef;
namespace gfx {
class IControl;
class IGfx;
struct KeyEvent;
}  // namespace gfx

class IEditorDelegate {
 public:
  static constexpr int32_t kDefaultMinSize = 10;
  static constexpr int32_t kDefaultMaxSize = 100000;
  // The control tag of a message that is meant for no particular control.
  static constexpr int32_t kNoControlTag = -1;
  // The sample offset of a change that did not come from a processing block.
  static constexpr int32_t kNoSampleOffset = -1;

  // Set-up. Creates nParams default parameter records in index order. Should storage run out,
  // the delegate holds fewer; NParams() is always the true count.
  explicit IEditorDelegate(int32_t nParams);
  virtual ~IEditorDelegate() = default;
  IEditorDelegate(const IEditorDelegate&) = delete;
  IEditorDelegate& operator=(const IEditorDelegate&) = delete;

  // UI thread. The editor's window: opened inside the platform parent, null when there is none.
  virtual void* OpenEditorWindow(void* parent);
  virtual void CloseEditorWindow();
  virtual void HandleParentResize(int32_t /*width*/, int32_t /*height*/) {}
  virtual void OnEditorOpened();
  virtual void OnEditorClosing() {}

  // UI thread: change hooks. An index outside the parameter list is ignored by every operation
  // of the delegate that takes one, so no hook ever sees an invalid index from here.
  virtual void ParamChanged(int32_t /*paramIdx*/) {}
  virtual void OnParamChange(int32_t paramIdx, ParamSource source, int32_t sampleOffset);
  virtual void ParamChangedUI(int32_t /*paramIdx*/, ParamSource /*source*/) {}
  virtual void OnAllParamsChanged(ParamSource source);
  virtual void OnMidiUI(const MidiMessage& /*message*/) {}
  virtual void OnSysExUI(const SysExRef& /*message*/) {}
  // True when the message was taken.
  virtual bool OnMessage(int32_t messageTag, int32_t controlTag, int32_t dataSize, const void* data);
  virtual void OnStateRestored();
  virtual bool OnKeyDown(const gfx::KeyEvent& /*key*/) { return false; }
  virtual bool OnKeyUp(const gfx::KeyEvent& /*key*/) { return false; }

  // UI thread: plug-in to editor.
  virtual void SendControlValueToUI(int32_t /*controlTag*/, double /*normalizedValue*/) {}
  virtual void SendControlMsgToUI(int32_t controlTag, int32_t messageTag, int32_t dataSize, const void* data);
  virtual void SendArbitraryMsgToUI(int32_t messageTag, int32_t dataSize, const void* data);
  virtual void SendMidiMsgToUI(const MidiMessage& message);
  virtual void SendSysExToUI(const SysExRef& message);
  virtual void SendParamValueToUI(int32_t paramIdx, double value, bool valueIsNormalized);

  // UI thread: editor to plug-in and host.
  virtual void ReportAllParamsToHost() {}
  virtual void BeginParamEditFromUI(int32_t paramIdx) = 0;
  virtual void SetParamFromUI(int32_t paramIdx, double normalizedValue);
  virtual void EndParamEditFromUI(int32_t paramIdx) = 0;
  virtual bool ResizeFromUI(int32_t /*width*/, int32_t /*height*/, bool /*resizeHost*/) { return false; }
  virtual void SendMidiFromUI(const MidiMessage& /*message*/) {}
  virtual void SendSysExFromUI(const SysExRef& /*message*/) {}
  virtual void SendMessageFromUI(int32_t /*messageTag*/, int32_t /*controlTag*/, int32_t /*dataSize*/,
                                 const void* /*data*/) {}
  virtual void PushMidiFromUI(const MidiMessage& /*message*/) {}
  virtual void PushSysExFromUI(const SysExRef& /*message*/) {}

  // UI thread. True when the size lies within the bounds; otherwise both values are clamped into
  // them and the result is false.
  virtual bool ConstrainEditorSize(int32_t& width, int32_t& height) const;
  // UI thread. The parent size in host pixels nearest to width x height that the editor fills,
  // written back; true when width x height already is one. Here: ConstrainEditorSize.
  virtual bool ConstrainParentSize(int32_t& width, int32_t& height) const {
    return ConstrainEditorSize(width, height);
  }
  virtual bool SerializeEditorSize(HeapBuffer& /*chunk*/) const { return true; }
  // Returns the position after the size data, or -1.
  virtual int32_t UnserializeEditorSize(const HeapBuffer& /*chunk*/, int32_t startPos) { return startPos; }
  virtual void SetScreenScale(float /*scale*/) {}
  // UI thread: the context menu of a right click on a control bound to paramIdx (-1: none) at
  // (x, y) in editor units. True when this build shows it through its host, whatever the host
  // then does; false leaves it to the graphics context's own popup.
  virtual bool ShowControlContextMenu(gfx::IGfx& /*gfx*/, gfx::IControl* /*control*/, int32_t /*paramIdx*/,
                                      float /*x*/, float /*y*/) {
    return false;
  }

  // UI thread. Shows every parameter's current value, normalized, in index order.
  void SendAllParamValuesToUI();

  // Any thread: the list is fixed at construction.
  int32_t NParams() const { return params_.Count(); }
  bool IsValidParamIndex(int32_t paramIdx) const { return paramIdx >= 0 && paramIdx < NParams(); }
  // Null for an index outside the list.
  IParam* GetParam(int32_t paramIdx) { return params_.Get(paramIdx); }
  const IParam* GetParam(int32_t paramIdx) const { return params_.Get(paramIdx); }

  // UI thread.
  int32_t EditorWidth() const { return editorWidth_; }
  int32_t EditorHeight() const { return editorHeight_; }
  int32_t MinEditorWidth() const { return minWidth_; }
  int32_t MaxEditorWidth() const { return maxWidth_; }
  int32_t MinEditorHeight() const { return minHeight_; }
  int32_t MaxEditorHeight() const { return maxHeight_; }

 protected:
  // UI thread.
  void SetEditorSize(int32_t width, int32_t height);
  // Each pair may come in either order: the smaller value becomes the minimum.
  void SetEditorSizeBounds(int32_t widthBoundA, int32_t widthBoundB, int32_t heightBoundA,
                           int32_t heightBoundB);

 private:
  PointerList<IParam> params_;
  int32_t editorWidth_ = 0;
  int32_t editorHeight_ = 0;
  int32_t minWidth_ = kDefaultMinSize;
  int32_t maxWidth_ = kDefaultMaxSize;
  int32_t minHeight_ = kDefaultMinSize;
  int32_t maxHeight_ = kDefaultMaxSize;
};

}  // namespace plugfw
