#pragma once
// A top-level window for the platform services' Wine tests, with a procedure of
// the test's own, and the message pump of the core tests. The window is never
// shown: without a window manager, Wine waits two seconds to hide a shown one,
// and focus, menus and the clipboard work without it.

#include <windows.h>

#include "tests/core/message_pump.h"

namespace plugfw::test {

class TestWindow {
 public:
  explicit TestWindow(WNDPROC procedure = DefWindowProcW, const wchar_t* className = L"PlatformTestWindow") {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    registered_ = RegisterClassW(&windowClass) != 0;
    className_ = className;
    window_ = CreateWindowExW(0, className, L"Platform test", WS_OVERLAPPEDWINDOW, 40, 40, 480, 320, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window_ != nullptr) {
      SetActiveWindow(window_);
      SetFocus(window_);
      DispatchPending();
    }
  }
  ~TestWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
    DispatchPending();
    if (registered_) UnregisterClassW(className_, GetModuleHandleW(nullptr));
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND Handle() const { return window_; }

 private:
  HWND window_ = nullptr;
  bool registered_ = false;
  const wchar_t* className_;
};

}  // namespace plugfw::test
