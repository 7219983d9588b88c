#include <cstdio>
#include <exception>

#include "app/main_window.h"
#include "app/message_loop.h"

namespace plugfw {

namespace {
constexpr ATOM kDialogClassAtom = 32770;
constexpr DWORD kRetryDelayMs = 10;
}  // namespace

bool IsDialogWindow(HWND window) { return GetClassLongPtrW(window, GCW_ATOM) == kDialogClassAtom; }

HWND DialogForMessage(HWND window) {
  HWND candidate = nullptr;
  for (HWND at = window; at != nullptr; at = GetParent(at)) {
    if (!IsDialogWindow(at)) continue;
    if ((GetWindowLongPtrW(at, GWL_STYLE) & WS_CHILD) == 0) return at;
    candidate = at;
  }
  return candidate;
}

bool PreTranslateProgramMessage(MSG& message, HWND mainWindow, HACCEL accelerators) {
  if (message.hwnd == nullptr) return false;
  if (mainWindow != nullptr) {
    if (accelerators != nullptr && TranslateAcceleratorW(mainWindow, accelerators, &message)) return true;
    if (IsDialogMessageW(mainWindow, &message)) return true;
  }
  HWND dialog = DialogForMessage(message.hwnd);
  return dialog != nullptr && dialog != mainWindow && IsDialogMessageW(dialog, &message);
}

int RunMessageLoop(HACCEL accelerators) {
  for (;;) {
    try {
      MSG message;
      const BOOL got = GetMessageW(&message, nullptr, 0, 0);
      if (got == 0) return static_cast<int>(message.wParam);
      if (got < 0) {
        Sleep(kRetryDelayMs);
        continue;
      }
      if (PreTranslateProgramMessage(message, MainWindowHandle(), accelerators)) continue;
      if (message.hwnd != nullptr) TranslateMessage(&message);
      DispatchMessageW(&message);
    } catch (const std::exception& error) {
      std::fprintf(stderr, "HALCYRA: %s\n", error.what());
      return 1;
    } catch (...) {
      std::fprintf(stderr, "HALCYRA: an unknown error\n");
      return 1;
    }
  }
}

}  // namespace plugfw
