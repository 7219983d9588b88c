#pragma once
// Drives this thread's Win32 message loop for tests of timer-driven code.

#include <windows.h>

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

}  // namespace plugfw::test
