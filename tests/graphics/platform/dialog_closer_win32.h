#pragma once
// Closes a modal dialog of this thread from a timer, so that a test of a real
// dialog never waits for a person: the dialog with the expected title gets the
// test's button; if none appears in time, any dialog of the thread is cancelled
// and the test learns that the title was not found.

#include <windows.h>

namespace plugfw::test {

class DialogCloser {
 public:
  DialogCloser(const wchar_t* title, WORD button) {
    title_ = title;
    button_ = button;
    ticks_ = 0;
    foundByTitle_ = false;
    timer_ = SetTimer(nullptr, 0, kTickMs, &DialogCloser::OnTimer);
  }
  ~DialogCloser() { KillTimer(nullptr, timer_); }
  DialogCloser(const DialogCloser&) = delete;
  DialogCloser& operator=(const DialogCloser&) = delete;

  bool FoundByTitle() const { return foundByTitle_; }

 private:
  static constexpr UINT kTickMs = 50;
  static constexpr int kGiveUpTicks = 100;  // 5 s

  static BOOL CALLBACK CancelDialog(HWND window, LPARAM) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (lstrcmpW(className, L"#32770") == 0) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
  }

  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND dialog = FindWindowW(L"#32770", title_)) {
      foundByTitle_ = true;
      PostMessageW(dialog, WM_COMMAND, button_, 0);
    } else if (++ticks_ > kGiveUpTicks) {
      EnumThreadWindows(GetCurrentThreadId(), CancelDialog, 0);
    }
  }

  static inline const wchar_t* title_ = nullptr;
  static inline WORD button_ = IDOK;
  static inline int ticks_ = 0;
  static inline bool foundByTitle_ = false;
  UINT_PTR timer_ = 0;
};

}  // namespace plugfw::test
