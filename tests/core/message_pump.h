#pragma once
// Drives this thread's Win32 message loop for tests of timer-driven code.

#include <windows.h>

#include <utility>
#include <vector>

namespace plugfw::test {

inline void DispatchPending() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

inline void PumpMessagesFor(DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (GetTickCount64() < end) {
    DispatchPending();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

// Pumps until done() holds or the timeout passes; a loaded machine delays timers,
// so tests wait for what they need rather than for a fixed time.
template <typename Condition>
bool PumpMessagesUntil(Condition done, DWORD timeoutMs = 5000) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!done()) {
    if (GetTickCount64() >= end) return false;
    DispatchPending();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

// Posts the keys to the window once a modal loop (a native menu, a dialog) runs on this thread:
// a thread timer fires inside such a loop too, so the test drives it as a person would.
inline void PostKeysInsideNextModalLoop(HWND window, std::vector<WPARAM> keys, UINT delayMs = 200) {
  static HWND target = nullptr;
  static std::vector<WPARAM> pending;
  target = window;
  pending = std::move(keys);
  SetTimer(nullptr, 0, delayMs, [](HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    for (WPARAM key : pending) {
      PostMessageW(target, WM_KEYDOWN, key, 1);
      PostMessageW(target, WM_KEYUP, key, 0xC0000001);
    }
  });
}

}  // namespace plugfw::test
