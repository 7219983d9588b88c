#pragma once
// One running program at a time: a named mutex taken with one call (its existence tells that
// another instance runs, with no gap between asking and taking), and the lookup of the running
// instance's main window to bring it forward. Windows-only header.

#include <windows.h>

namespace plugfw {

class SingleInstance {
 public:
  // UI thread, at start-up. Creates (or opens) the mutex; IsFirst tells whether no other instance had it.
  explicit SingleInstance(const wchar_t* name);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  bool IsFirst() const { return first_; }

 private:
  HANDLE mutex_ = nullptr;
  bool first_ = false;
};

// UI thread. The running instance's main window: a top-level dialog with a menu and this title (its message
// boxes share the title but have no menu). Null when there is none.
HWND FindMainWindowOfRunningInstance(const wchar_t* title);

// UI thread. Restores the window when minimised and brings it to the foreground; false without a window.
bool BringToFront(HWND window);

}  // namespace plugfw
