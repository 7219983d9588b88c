// IGfxWin's input: mouse, wheel, keys, touches and dropped files turned into the graphics
// context's events in editor units, the hover tooltip, and the cursor.

#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <cmath>
#include <vector>

#include "graphics/control.h"
#include "graphics/platform/dropped_files_win32.h"
#include "graphics/platform/gfx_win_win32.h"
#include "graphics/platform/input_rules.h"
#include "graphics/platform/wide_text_win32.h"

namespace plugfw::gfx {
namespace {

constexpr WPARAM kHeldButtons = MK_LBUTTON | MK_RBUTTON;
constexpr int kKeyStateBytes = 256;
constexpr int kKeyTextUnits = 8;
constexpr int kTooltipMaxWidth = 250;

bool KeyDown(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

}  // namespace

MouseState IGfxWin::MouseStateAt(LPARAM lParam, WPARAM wParam) {
  const float backing = GetBackingScale();
  MouseState state;
  state.x = static_cast<float>(GET_X_LPARAM(lParam)) / backing;
  state.y = static_cast<float>(GET_Y_LPARAM(lParam)) / backing;
  state.mod.leftButton = (wParam & MK_LBUTTON) != 0;
  state.mod.rightButton = (wParam & MK_RBUTTON) != 0;
  state.mod.shift = (wParam & MK_SHIFT) != 0;
  state.mod.control = (wParam & MK_CONTROL) != 0;
  state.mod.alt = KeyDown(VK_MENU);
  lastMouseX_ = state.x;
  lastMouseY_ = state.y;
  return state;
}

bool IGfxWin::NativeTextEntryInProgress() const {
  return GetControlInTextEntry() != nullptr && GetTextEntryControl() == nullptr;
}

void IGfxWin::OnMouseMove(WPARAM wParam, LPARAM lParam) {
  // Only a touch the window also receives as touch input is dropped; a pen moves the mouse.
  if (IsDuplicateOfTouchInput(static_cast<uint64_t>(GetMessageExtraInfo()), touchRegistered_)) return;
  if (wParam & kHeldButtons) {
    if (GetCapture() != window_ || NativeTextEntryInProgress()) return;
    const float previousX = lastMouseX_;
    const float previousY = lastMouseY_;
    MouseState state = MouseStateAt(lParam, wParam);
    state.dX = state.x - previousX;
    state.dY = state.y - previousY;
    if (state.dX == 0.f && state.dY == 0.f) return;
    MouseDragAll({state});
    // Back to where the drag began, so every step is measured from the same point.
    if (cursorLocked_) MoveMouseCursor(hiddenCursorX_, hiddenCursorY_);
    return;
  }
  const MouseState state = MouseStateAt(lParam, wParam);
  const int32_t previousIdx = GetMouseOverIdx();
  if (!MouseOverAt(state.x, state.y, state.mod)) return;
  TrackMouseLeave(GetMouseOverIdx() != previousIdx);
}

void IGfxWin::TrackMouseLeave(bool hoverChanged) {
  TRACKMOUSEEVENT tracking = {};
  tracking.cbSize = sizeof(tracking);
  tracking.dwFlags = TME_LEAVE;
  tracking.hwndTrack = window_;
  tracking.dwHoverTime = HOVER_DEFAULT;
  if (TooltipsEnabled() && hoverChanged && GetMouseOverIdx() >= 0) {
    tracking.dwFlags |= TME_HOVER;
    tooltipControlIdx_ = GetMouseOverIdx();
    HideTooltip();
  }
  TrackMouseEvent(&tracking);
}

void IGfxWin::OnButtonDown(WPARAM wParam, LPARAM lParam) {
  if (IsDuplicateOfTouchInput(static_cast<uint64_t>(GetMessageExtraInfo()), touchRegistered_)) return;
  HideTooltip();
  if (editBox_.IsOpen()) {
    editBox_.State().EditorButtonDown();
    return;
  }
  SetFocus(window_);
  SetCapture(window_);
  MouseDownAll({MouseStateAt(lParam, wParam)});
}

void IGfxWin::OnButtonUp(UINT message, WPARAM wParam, LPARAM lParam) {
  ReleaseCapture();
  MouseState state = MouseStateAt(lParam, wParam);
  // wParam holds the buttons still down, without the one just released: the controls hear
  // which one that was.
  if (message == WM_LBUTTONUP) state.mod.leftButton = true;
  if (message == WM_RBUTTONUP) state.mod.rightButton = true;
  MouseUpAll({state});
}

void IGfxWin::OnMiddleButtonUp(WPARAM wParam) {
  // The middle button's press took the capture and began edits; with no other button held
  // its release gives both back, so no edit stays open on the host.
  if (GetCapture() != window_ || (wParam & kHeldButtons) != 0) return;
  ReleaseCapture();
  ReleaseMouseCapture();
}

void IGfxWin::OnDoubleClick(WPARAM wParam, LPARAM lParam) {
  if (IsDuplicateOfTouchInput(static_cast<uint64_t>(GetMessageExtraInfo()), touchRegistered_)) return;
  const MouseState state = MouseStateAt(lParam, wParam);
  if (MouseDoubleClick(state.x, state.y, state.mod)) SetCapture(window_);
}

void IGfxWin::OnWheel(WPARAM wParam, LPARAM lParam) {
  if (editBox_.IsOpen()) {
    editBox_.State().CancelRequested();
    return;
  }
  // The wheel's point is on the screen.
  POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ScreenToClient(window_, &point);
  const MouseState state = MouseStateAt(MAKELPARAM(point.x, point.y), GET_KEYSTATE_WPARAM(wParam));
  MouseWheel(state.x, state.y, state.mod, WheelNotches(static_cast<uint64_t>(wParam)));
}

LRESULT IGfxWin::OnKey(UINT message, WPARAM wParam, LPARAM lParam) {
  POINT point;
  GetCursorPos(&point);
  ScreenToClient(window_, &point);
  BYTE keyboard[kKeyStateBytes] = {};
  GetKeyboardState(keyboard);
  wchar_t units[kKeyTextUnits] = {};
  const UINT scanCode = (static_cast<UINT>(lParam) >> 16) & 0xFF;
  const int count = ToUnicode(static_cast<UINT>(wParam), scanCode, keyboard, units, kKeyTextUnits, 0);

  KeyEvent key;
  key.keyCode = static_cast<int32_t>(wParam);
  key.shift = KeyDown(VK_SHIFT);
  key.control = KeyDown(VK_CONTROL);
  key.alt = KeyDown(VK_MENU);
  if (KeyTextFromUtf16(reinterpret_cast<const uint16_t*>(units), count, key.utf8)) {
    const float backing = GetBackingScale();
    const float x = static_cast<float>(point.x) / backing;
    const float y = static_cast<float>(point.y) / backing;
    const bool handled = message == WM_KEYDOWN ? OnKeyDown(x, y, key) : OnKeyUp(x, y, key);
    if (handled) return 0;
  }
  // The host or the program sees the keys the editor leaves: once, never back to itself.
  HWND self = window_;
  HWND root = GetAncestor(self, GA_ROOT);
  if (forwardingKey_ || root == nullptr || root == self) return DefWindowProcW(self, message, wParam, lParam);
  forwardingKey_ = true;
  SendMessageW(root, message, wParam, lParam);
  // The host may have closed the editor on that key; then nothing of it may be touched.
  if (!IsWindow(self)) return 0;
  forwardingKey_ = false;
  return DefWindowProcW(self, message, wParam, lParam);
}

void IGfxWin::OnDropFiles(HDROP drop) {
  const DroppedFiles dropped = TakeDroppedFiles(drop);
  const float backing = GetBackingScale();
  const float x = static_cast<float>(dropped.point.x) / backing;
  const float y = static_cast<float>(dropped.point.y) / backing;
  if (dropped.paths.size() == 1) {
    DropOnControl(dropped.paths.front().c_str(), x, y);
    return;
  }
  std::vector<const char*> paths;
  paths.reserve(dropped.paths.size());
  for (const std::string& path : dropped.paths) paths.push_back(path.c_str());
  DropMultipleOnControl(paths, x, y);
}

void IGfxWin::OnTouch(WPARAM wParam, LPARAM lParam) {
  const UINT count = LOWORD(wParam);
  if (count == 0) return;
  auto* handle = reinterpret_cast<HTOUCHINPUT>(lParam);
  std::vector<TOUCHINPUT> inputs(count);
  if (GetTouchInputInfo(handle, count, inputs.data(), sizeof(TOUCHINPUT))) {
    const float backing = GetBackingScale();
    std::vector<TouchPoint> points;
    points.reserve(count);
    for (const TOUCHINPUT& input : inputs) {
      // Hundredths of a screen pixel.
      POINT point = {input.x / 100, input.y / 100};
      ScreenToClient(window_, &point);
      TouchPoint touch;
      touch.id = static_cast<int64_t>(input.dwID);
      touch.x = static_cast<float>(point.x) / backing;
      touch.y = static_cast<float>(point.y) / backing;
      touch.contactRadius =
          (input.dwMask & TOUCHINPUTMASKF_CONTACTAREA) ? static_cast<float>(input.cxContact) : 0.f;
      if (input.dwFlags & TOUCHEVENTF_DOWN) {
        touch.phase = TouchPoint::kDown;
      } else if (input.dwFlags & TOUCHEVENTF_UP) {
        touch.phase = TouchPoint::kUp;
      } else {
        touch.phase = TouchPoint::kMove;
      }
      points.push_back(touch);
    }
    const TouchLists lists = touches_.Take(points.data(), static_cast<int32_t>(points.size()));
    if (!lists.downs.empty()) MouseDownAll(lists.downs);
    if (!lists.ups.empty()) MouseUpAll(lists.ups);
    if (!lists.moves.empty()) MouseDragAll(lists.moves);
  }
  CloseTouchInputHandle(handle);
}

// The one tool of the editor's tooltip: the whole window.
TOOLINFOW IGfxWin::EditorTool(wchar_t* text) const {
  TOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(window_);
  tool.lpszText = text;
  return tool;
}

void IGfxWin::CreateTooltips() {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                             module_, nullptr);
  if (tooltip_ == nullptr) {
    EnableTooltips(false);
    return;
  }
  SetWindowPos(tooltip_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  TOOLINFOW tool = EditorTool(nullptr);
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, kTooltipMaxWidth);
}

void IGfxWin::DestroyTooltips() {
  if (tooltip_ != nullptr) DestroyWindow(tooltip_);
  tooltip_ = nullptr;
  tooltipShown_ = false;
  tooltipControlIdx_ = -1;
}

void IGfxWin::ShowTooltipOfArmedControl() {
  if (tooltip_ == nullptr) return;
  IControl* control = GetControl(tooltipControlIdx_);
  if (control == nullptr) return;
  const char* tip = control->GetTooltip();
  std::wstring text = WideFromUtf8(tip != nullptr ? tip : "");
  TOOLINFOW tool = EditorTool(text.data());
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  tooltipShown_ = true;
}

void IGfxWin::HideTooltip() {
  if (!tooltipShown_ || tooltip_ == nullptr) return;
  TOOLINFOW tool = EditorTool(nullptr);
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  tooltipShown_ = false;
}

void IGfxWin::GetMouseLocation(float& x, float& y) const {
  POINT point;
  GetCursorPos(&point);
  ScreenToClient(window_, &point);
  const float backing = GetBackingScale();
  x = static_cast<float>(point.x) / backing;
  y = static_cast<float>(point.y) / backing;
}

void IGfxWin::HideMouseCursor(bool hide, bool lock) {
  if (hide == cursorHidden_) return;
  if (hide) {
    hiddenCursorX_ = lastMouseX_;
    hiddenCursorY_ = lastMouseY_;
    ShowCursor(FALSE);
    cursorHidden_ = true;
    cursorLocked_ = lock && !penInput_;
    return;
  }
  if (cursorLocked_) MoveMouseCursor(hiddenCursorX_, hiddenCursorY_);
  ShowCursor(TRUE);
  cursorHidden_ = false;
  cursorLocked_ = false;
}

void IGfxWin::MoveMouseCursor(float x, float y) {
  if (penInput_ || window_ == nullptr) return;
  const float backing = GetBackingScale();
  POINT point = {static_cast<LONG>(std::roundf(backing * x)), static_cast<LONG>(std::roundf(backing * y))};
  ClientToScreen(window_, &point);
  if (!SetCursorPos(point.x, point.y)) return;
  POINT now;
  GetCursorPos(&now);
  ScreenToClient(window_, &now);
  lastMouseX_ = hiddenCursorX_ = static_cast<float>(now.x) / backing;
  lastMouseY_ = hiddenCursorY_ = static_cast<float>(now.y) / backing;
}

int32_t IGfxWin::SetMouseCursor(int32_t kind) {
  SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(SystemCursorIdOfKind(kind))));
  return IGfx::SetMouseCursor(kind);
}

}  // namespace plugfw::gfx
