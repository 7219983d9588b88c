#pragma once
// The native edit box in which a value is typed when no drawn text entry control
// is attached: a child EDIT of the editor window, subclassed to filter what is
// typed and to report Enter, Escape and focus changes into its state, which the
// editor's frame tick then finishes. One box at a time. Windows-only header.
// UI thread.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "core/param.h"
#include "graphics/platform/native_edit_rules.h"
#include "graphics/rect.h"
#include "graphics/text_style.h"

namespace plugfw::gfx {

struct NativeEditRequest {
  const IParam* param = nullptr;  // the parameter typed for, or null
  TextStyle style;
  Rect bounds;            // editor units
  float backing = 1.f;    // device pixels per unit
  int32_t maxLength = 0;  // characters; 0 or less: the box's own limit
  const char* text = "";  // UTF-8
  // The style's font at scale 1, copied by the caller under the font-handle lock;
  // null: the system's message font.
  const LOGFONTW* font = nullptr;
};

class NativeEditBox {
 public:
  // The box's user data, by which its procedure knows it.
  static constexpr LONG_PTR kMarker = 0xDEADF00B;
  static constexpr int kControlId = 99;
  // Longest text the tick reads from the box, in UTF-16 units.
  static constexpr int32_t kMaxReadUnits = 256;

  NativeEditBox() = default;
  ~NativeEditBox() { Destroy(); }
  NativeEditBox(const NativeEditBox&) = delete;
  NativeEditBox& operator=(const NativeEditBox&) = delete;

  // Opens the box in window with the text selected and the focus in it. False when
  // a box is already open (the request is ignored) or none could be made.
  bool Open(HWND window, HINSTANCE module, const NativeEditRequest& request);
  // Puts the box's own procedure back, destroys it and its font; the editor window
  // gets the focus back when the box had it.
  void Destroy();
  bool IsOpen() const { return edit_ != nullptr; }
  HWND Window() const { return edit_; }
  const IParam* Param() const { return param_; }
  const Rect& Bounds() const { return bounds_; }

  NativeEditStateMachine& State() { return state_; }
  const NativeEditStateMachine& State() const { return state_; }

  // Runs on every message the box receives (the editor hides its tooltip).
  void SetOnAnyMessage(std::function<void()> onAnyMessage) { onAnyMessage_ = std::move(onAnyMessage); }

  // The editor window's WM_CTLCOLOREDIT for control: the style's entry colours on
  // dc and the brush to paint with; null when control is not this box.
  HBRUSH ColourControl(HDC dc, HWND control) const;

  // The frame tick: takes the state's action. A commit hands the box's text
  // (UTF-8) to apply and destroys the box; a cancel destroys it.
  NativeEditTickAction OnTick(const std::function<void(const std::string&)>& apply);

  // The box's text, at most kMaxReadUnits units, as UTF-8.
  std::string Text() const;

 private:
  static LRESULT CALLBACK Procedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
  HFONT MakeFont(const NativeEditRequest& request) const;
  void CentreLineVertically(const NativeEditRequest& request, int height);

  HWND edit_ = nullptr;
  WNDPROC savedProcedure_ = nullptr;
  HFONT font_ = nullptr;
  const IParam* param_ = nullptr;
  EntryCharacters allowed_ = EntryCharacters::kAny;
  TextStyle style_;
  Rect bounds_;
  NativeEditStateMachine state_;
  std::function<void()> onAnyMessage_;
};

}  // namespace plugfw::gfx
