// IGfxWin's window procedure: which messages reach the editor, and where each goes.

#include <windows.h>

#include "graphics/platform/gfx_win_win32.h"
#include "graphics/platform/input_rules.h"

namespace plugfw::gfx {
namespace {

bool IsMouseMessage(UINT message) {
  return (message >= WM_MOUSEMOVE && message <= WM_MBUTTONDBLCLK) || message == WM_MOUSEHOVER ||
         message == WM_MOUSELEAVE;
}

bool IsButtonDown(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

}  // namespace

LRESULT CALLBACK IGfxWin::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    // The editor window names its IGfxWin at creation; the hidden GL surface names none.
    const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    return 0;
  }
  auto* gfx = reinterpret_cast<IGfxWin*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  // Before the window is fully made and after it is closed, it is no editor's.
  if (gfx == nullptr || gfx->window_ != window) return DefWindowProcW(window, message, wParam, lParam);
  return gfx->HandleMessage(message, wParam, lParam);
}

LRESULT IGfxWin::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // The edit box's colours are asked while it has the focus, too.
  if (message == WM_CTLCOLOREDIT) {
    HBRUSH brush = editBox_.ColourControl(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    return brush != nullptr ? reinterpret_cast<LRESULT>(brush)
                            : DefWindowProcW(window_, message, wParam, lParam);
  }
  if (message == kTickMessage) {
    OnTickMessage(static_cast<uint32_t>(wParam));
    return 0;
  }
  if (editBox_.IsOpen() && editBox_.State().PausesEditor())
    return HandleWhileEditBoxFocused(message, wParam, lParam);
  if (IsMouseMessage(message)) {
    penInput_ = IsPenOrTouchMessage(static_cast<uint64_t>(GetMessageExtraInfo()));
    if (penInput_) cursorLocked_ = false;
  }

  switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ERASEBKGND:
      return 0;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_PRINTCLIENT:
      PrintClient(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_PRINT:
      if (lParam & PRF_CLIENT) PrintClient(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_CLOSE:
      ClosePlatformWindow();
      return 0;
    case WM_SETCURSOR:
      SetMouseCursor(GetCursorKind());
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
    case WM_KEYUP:
      return OnKey(message, wParam, lParam);
    case WM_TIMER:
      if (wParam == kFrameTimerId) OnDisplayTick(0);
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(wParam, lParam);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      OnButtonDown(wParam, lParam);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      OnButtonUp(message, wParam, lParam);
      return 0;
    case WM_MBUTTONUP:
      OnMiddleButtonUp(wParam);
      return DefWindowProcW(window_, message, wParam, lParam);
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
      OnDoubleClick(wParam, lParam);
      return 0;
    case WM_MOUSEWHEEL:
      OnWheel(wParam, lParam);
      return 0;
    case WM_MOUSEHOVER:
      ShowTooltipOfArmedControl();
      return 0;
    case WM_MOUSELEAVE:
      HideTooltip();
      MouseOutAll();
      return 0;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_TOUCH:
      OnTouch(wParam, lParam);
      return 0;
    default:
      return DefWindowProcW(window_, message, wParam, lParam);
  }
}

void IGfxWin::OnTickMessage(uint32_t tick) {
  // While the edit box holds the focus the editor draws nothing, but the tick is taken all the
  // same: the vertical-blank thread posts the next one only then, and without it the entry
  // would never be finished nor the editor drawn again.
  if (!(editBox_.IsOpen() && editBox_.State().PausesEditor())) OnDisplayTick(tick);
  // Taken once drawn, so that ticks never queue up behind a slow paint.
  verticalBlank_.TakeTick();
}

LRESULT IGfxWin::HandleWhileEditBoxFocused(UINT message, WPARAM wParam, LPARAM lParam) {
  // Ticks, painting and input wait until the box gives up the focus; a click on the editor
  // ends the entry without reaching a control.
  if (IsButtonDown(message)) {
    editBox_.State().EditorButtonDown();
    return 0;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace plugfw::gfx
