#pragma once
// IControl: the base of every element of the editor. A control owns its rectangles, its
// value slots (each bound to a parameter or to none), a text style, a blend, behaviour
// flags, optional action and animation functions and a map of event handlers. The
// graphics context owns the controls, routes input to them and asks them to draw; a
// control reaches the plug-in only through its editor delegate, and SetDirty with its
// action flag is the one road from a control to a parameter.
//
// Every operation here runs on the UI thread. Values from the host or the audio side
// arrive through the delegate on the UI thread too.
//
// In the VST3 build (PLUGFW_VST3_CONTROLS) a control is also a VST3 context-menu target and a
// reference-counted SDK object, ahead of its own operations. The graphics context still owns
// and deletes it: the reference count never frees a control.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <unordered_map>
#include <vector>

#include "core/heap_string.h"
#include "graphics/blend.h"
#include "graphics/colour.h"
#include "graphics/control_value.h"
#include "graphics/input_events.h"
#include "graphics/rect.h"
#include "graphics/text_style.h"

#if defined(PLUGFW_VST3_CONTROLS)
#include "base/source/fobject.h"
#include "pluginterfaces/vst/ivstcontextmenu.h"
#endif

namespace plugfw {
class IEditorDelegate;
class IParam;
struct MidiMessage;
}  // namespace plugfw

namespace plugfw::gfx {

class IGfx;
class IPopupMenu;
class ControlMenuTarget;

// What DispatchEventHandler hands a handler: the event's type, which keys the handler map,
// and whatever the sender attaches.
struct ControlEvent {
  int32_t type = 0;
  const void* data = nullptr;
};

#if defined(PLUGFW_VST3_CONTROLS)
class IControl : public Steinberg::Vst::IContextMenuTarget, public Steinberg::FObject {
#else
class IControl {
#endif
 public:
  using ActionFunction = std::function<void(IControl& control)>;
  using EventHandler = std::function<void(IControl& control, const ControlEvent& event)>;

  static constexpr int32_t kAllValues = -1;  // a value index meaning every slot
  static constexpr int32_t kDefaultTextEntryLength = 7;
  // The right-click prompt of a parameter without display texts sits in a box this size.
  static constexpr float kPromptBoxWidth = 40.f;
  static constexpr float kPromptBoxHeight = 16.f;

  // One value slot bound to paramIdx (kNoParameter: to none).
  explicit IControl(const Rect& bounds, int32_t paramIdx = kNoParameter, ActionFunction action = nullptr);
  // One value slot per parameter index, in order.
  IControl(const Rect& bounds, std::initializer_list<int32_t> paramIndices, ActionFunction action = nullptr);
  virtual ~IControl();
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

#if defined(PLUGFW_VST3_CONTROLS)
  // UI thread: the VST3 object. queryInterface answers IContextMenuTarget with the control
  // itself; a release never frees it, since the graphics context owns it.
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::uint32 PLUGIN_API addRef() override;
  Steinberg::uint32 PLUGIN_API release() override;
  OBJ_METHODS(IControl, FObject)
  // UI thread: a host menu item of this control was chosen. Always kResultOk.
  Steinberg::tresult PLUGIN_API executeMenuItem(Steinberg::int32 tag) override;
  // UI thread: the target to name in the host's menu for this control. Hosts may keep it past
  // the control's life (an asynchronous popup, a late release); once the control is gone it
  // reaches nothing. The control holds one reference. Null when memory ran out.
  Steinberg::Vst::IContextMenuTarget* HostMenuTarget();
#endif

  // UI thread: the operations the graphics context calls, in this order in every control.
  virtual void OnMouseDown(float x, float y, const ModifierKeys& mod);
  virtual void OnMouseUp(float /*x*/, float /*y*/, const ModifierKeys& /*mod*/) {}
  virtual void OnMouseDrag(float /*x*/, float /*y*/, float /*dX*/, float /*dY*/,
                           const ModifierKeys& /*mod*/) {}
  virtual void OnMouseDoubleClick(float x, float y, const ModifierKeys& mod);
  virtual void OnMouseWheel(float /*x*/, float /*y*/, const ModifierKeys& /*mod*/, float /*delta*/) {}
  // True when the key was handled.
  virtual bool OnKeyDown(float /*x*/, float /*y*/, const KeyEvent& /*key*/) { return false; }
  virtual bool OnKeyUp(float /*x*/, float /*y*/, const KeyEvent& /*key*/) { return false; }
  virtual void OnMouseOver(float x, float y, const ModifierKeys& mod);
  virtual void OnMouseOut();
  virtual void OnPointerCancel(float /*x*/, float /*y*/, const ModifierKeys& /*mod*/) {}
  virtual void OnDrop(const char* /*text*/, float /*x*/, float /*y*/) {}
  // The base hands the first text to OnDrop; an empty list does nothing.
  virtual void OnDropMultiple(const std::vector<const char*>& texts, float x, float y);
  virtual void OnRescale() {}
  virtual void OnResize() {}
  virtual void OnInit() {}
  virtual void OnAttached() {}
  virtual void OnMessageFromDelegate(int32_t /*messageTag*/, int32_t /*dataSize*/, const void* /*data*/) {}
  virtual void OnMidi(const MidiMessage& /*message*/) {}
  // True when a handler for the event's type ran.
  virtual bool DispatchEventHandler(const ControlEvent& event);
  // The base leaves the menu empty, so no menu is shown.
  virtual void CreateContextMenu(IPopupMenu& /*menu*/) {}
  // menu is null when the user dismissed it.
  virtual void OnPopupMenuSelection(IPopupMenu* menu, int32_t valIdx);
  virtual void ReservedControlHookA() {}
  virtual void OnTextEntryCompletion(const char* /*text*/, int32_t /*valIdx*/) {}
  // itemTag is -1 when nothing was chosen.
  virtual void OnContextSelection(int32_t /*itemTag*/) {}
  virtual void Draw(IGfx& gfx) = 0;
  virtual void DrawHighlight(IGfx& gfx);
  // Binds a slot and marks the control dirty. A slot index outside the list is a caller's
  // error: refused with false (and an assertion in debug builds), nothing changed.
  virtual bool SetParamIdx(int32_t paramIdx, int32_t valIdx = 0);
  // 0 for a control with one slot, else -1 (which slot depends on the control).
  virtual int32_t GetValueIndexForPosition(float /*x*/, float /*y*/) const { return NVals() == 1 ? 0 : -1; }
  // Shows a value from the host or the processor without sending it back. Ignored while a
  // pointer holds this control, and for a non-finite value.
  virtual void SetValueFromDelegate(double value, int32_t valIdx = 0);
  // A value the user chose: stored and sent on when it differs; a non-finite value is no change.
  virtual void SetValueFromUserInput(double value, int32_t valIdx = 0);
  virtual void SetValueToDefault(int32_t valIdx = kAllValues);
  // Stores the value as it is (no clamping); a non-finite value or an index outside the
  // slots changes nothing.
  virtual void SetValue(double value, int32_t valIdx = 0);
  virtual void SetTextStyle(const TextStyle& style) { textStyle_ = style; }
  // Moves the top-left corner to (x, y), raised to 0 when negative, keeping the size.
  virtual void SetPosition(float x, float y);
  // Negative sizes count as 0.
  virtual void SetSize(float width, float height);
  virtual void Hide(bool hide);
  virtual void SetDisabled(bool disable);
  virtual void SetIgnoreMouse(bool ignore) { ignoreMouse_ = ignore; }
  virtual bool IsHit(float x, float y) const { return targetRect_.Contains(x, y); }
  // Clamps the slot values into [0, 1] and marks the control dirty; with triggerAction the
  // bound slots reach the delegate's SetParamFromUI and the peer controls, then the action
  // function runs. valIdx kAllValues means every slot; a control with one slot takes any
  // index as 0.
  virtual void SetDirty(bool triggerAction, int32_t valIdx = kAllValues);
  virtual void SetClean() { dirty_ = false; }
  // True while an animation function is set, whatever the dirty flag says. The frame tick asks
  // once per frame before it draws, so a control may bring itself up to date here (follow a
  // setting, copy a measurement) and mark itself dirty for the same frame; hence not const.
  virtual bool IsDirty() { return animationFunction_ ? true : dirty_; }
  virtual void ReservedControlHookB() {}
  virtual bool HasEventHandlers() const { return !eventHandlers_.empty() && !animationFunction_; }
  // The value for a point within bounds: horizontal when direction is non-zero, vertical
  // (bottom is 0) otherwise; rounded to 0.001 and limited to [low, high]. Empty bounds or
  // a non-finite point change nothing.
  virtual void SetValueFromPosition(float x, float y, int32_t direction, const Rect& bounds, int32_t valIdx,
                                    double low, double high);
  virtual void OnEndAnimation();

  // Geometry.
  const Rect& GetRect() const { return rect_; }
  const Rect& GetTargetRect() const { return targetRect_; }
  void SetRect(const Rect& rect) { rect_ = rect; }
  void SetTargetRect(const Rect& rect) { targetRect_ = rect; }
  void SetTargetAndDrawRects(const Rect& rect) { rect_ = targetRect_ = rect; }

  // Value slots. An index outside the slots reads as unbound, value 0.
  int32_t NVals() const { return static_cast<int32_t>(values_.size()); }
  int32_t GetParamIdx(int32_t valIdx = 0) const;
  double GetValue(int32_t valIdx = 0) const;
  // The delegate's parameter bound to the slot; null when unbound, unattached or the index
  // lies outside the delegate's parameters.
  const IParam* GetParam(int32_t valIdx = 0) const;
  // The first slot bound to paramIdx, or -1.
  int32_t ValueIndexOfParam(int32_t paramIdx) const;

  // Animation: a set function means animating; the graphics context calls Animate once per
  // frame tick before it asks IsDirty.
  void SetAnimation(ActionFunction animation) { animationFunction_ = std::move(animation); }
  const ActionFunction& GetAnimationFunction() const { return animationFunction_; }
  void SetAnimationEndActionFunction(ActionFunction function) { animationEndFunction_ = std::move(function); }
  void StartAnimation(int32_t durationMs);
  // Elapsed time over the duration, not clamped: 0 when not animating, and at least 1 for
  // an animation of no duration.
  double AnimationProgress() const;
  void Animate();

  void SetActionFunction(ActionFunction action) { actionFunction_ = std::move(action); }
  const ActionFunction& GetActionFunction() const { return actionFunction_; }
  void AddEventHandler(int32_t eventType, EventHandler handler);
  int32_t GetLastEventType() const { return lastEventType_; }

  // Set by the graphics context when it attaches the control.
  void SetDelegate(IEditorDelegate* delegate) { delegate_ = delegate; }
  void SetUI(IGfx* gfx) { gfx_ = gfx; }
  IEditorDelegate* GetDelegate() const { return delegate_; }
  IGfx* GetUI() const { return gfx_; }
  const char* GetGroup() const { return group_.Get(); }
  void SetGroup(const char* group) { group_.Set(group); }

  IControl* GetParent() const { return parent_; }
  void SetParent(IControl* parent) { parent_ = parent; }

  const TextStyle& GetTextStyle() const { return textStyle_; }
  const Blend& GetBlend() const { return blend_; }
  void SetBlend(const Blend& blend) { blend_ = blend; }
  int32_t GetTextEntryLength() const { return textEntryLength_; }
  void SetTextEntryLength(int32_t length) { textEntryLength_ = length; }
  const char* GetTooltip() const { return tooltip_.Get(); }
  void SetTooltip(const char* text) { tooltip_.Set(text); }
  const Colour& GetHighlightColour() const { return highlightColour_; }
  void SetHighlightColour(const Colour& colour) { highlightColour_ = colour; }
  bool GetHighlightShown() const { return highlightShown_; }
  void SetHighlightShown(bool shown) { highlightShown_ = shown; }

  // Flags.
  bool IsHidden() const { return hidden_; }
  bool IsDisabled() const { return disabled_; }
  bool GetIgnoreMouse() const { return ignoreMouse_; }
  bool GetPromptDisabled() const { return promptDisabled_; }
  void SetPromptDisabled(bool disabled) { promptDisabled_ = disabled; }
  bool GetDoubleClickActsAsClick() const { return doubleClickAsClick_; }
  void SetDoubleClickActsAsClick(bool flag) { doubleClickAsClick_ = flag; }
  bool GetMouseOverWhenDisabled() const { return mouseOverWhenDisabled_; }
  void SetMouseOverWhenDisabled(bool flag) { mouseOverWhenDisabled_ = flag; }
  bool GetMouseEventsWhenDisabled() const { return mouseEventsWhenDisabled_; }
  void SetMouseEventsWhenDisabled(bool flag) { mouseEventsWhenDisabled_ = flag; }
  bool GetWantsMidi() const { return wantsMidi_; }
  void SetWantsMidi(bool flag) { wantsMidi_ = flag; }
  bool GetWantsMultiTouch() const { return wantsMultiTouch_; }
  void SetWantsMultiTouch(bool flag) { wantsMultiTouch_ = flag; }
  bool GetPromptShowsParamLabel() const { return promptShowsLabel_; }
  void SetPromptShowsParamLabel(bool flag) { promptShowsLabel_ = flag; }
  bool GetMouseIsOver() const { return mouseIsOver_; }

 protected:
  void SetMouseIsOver(bool over) { mouseIsOver_ = over; }
  // The slot a value index names: any index for a control with one slot, else the index
  // itself when it lies inside the slots; -1 otherwise (and for kAllValues).
  int32_t SlotForIndex(int32_t valIdx) const;
  // The delegate's parameter record, by parameter index.
  const IParam* ParamAt(int32_t paramIdx) const;

 private:
  // FNV-1a over the four bytes of the type, the map's hash.
  struct EventTypeHash {
    size_t operator()(int32_t type) const;
  };
  void SendSlotToDelegate(int32_t slot);

  Rect rect_;
  Rect targetRect_;
  HeapString group_;
  TextStyle textStyle_ = DefaultTextStyle;
  Blend blend_;
  int32_t textEntryLength_ = kDefaultTextEntryLength;
  bool dirty_ = true;
  bool hidden_ = false;
  bool disabled_ = false;
  bool promptDisabled_ = true;
  bool doubleClickAsClick_ = false;
  bool mouseOverWhenDisabled_ = false;
  bool mouseEventsWhenDisabled_ = false;
  bool ignoreMouse_ = false;
  bool wantsMidi_ = false;
  bool wantsMultiTouch_ = false;
  bool promptShowsLabel_ = false;
  bool mouseIsOver_ = false;
  HeapString tooltip_;
  Colour highlightColour_ = DefaultHighlightColour;
  bool highlightShown_ = false;
  IControl* parent_ = nullptr;
  IEditorDelegate* delegate_ = nullptr;
  IGfx* gfx_ = nullptr;
  ActionFunction actionFunction_;
  ActionFunction animationEndFunction_;
  ActionFunction animationFunction_;
  double animationStartMs_ = 0.0;
  double animationDurationMs_ = 0.0;
  std::vector<ControlValue> values_;
  std::unordered_map<int32_t, EventHandler, EventTypeHash> eventHandlers_;
  int32_t lastEventType_ = 0;
#if defined(PLUGFW_VST3_CONTROLS)
  // Cuts the target's link and lets go of this control's reference on it.
  void ReleaseHostMenuTarget();
  ControlMenuTarget* hostMenuTarget_ = nullptr;
#endif
};

}  // namespace plugfw::gfx
