#include "app/single_instance.h"

#include <cwchar>

#include "app/message_loop.h"

namespace plugfw {

namespace {

constexpr int kTitleUnits = 64;

struct WindowSearch {
  const wchar_t* title;
  HWND found;
};

BOOL CALLBACK MatchMainWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  wchar_t title[kTitleUnits] = {};
  GetWindowTextW(window, title, kTitleUnits);
  if (!IsDialogWindow(window) || GetMenu(window) == nullptr || std::wcscmp(title, search->title) != 0) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

}  // namespace

SingleInstance::SingleInstance(const wchar_t* name) {
  SetLastError(ERROR_SUCCESS);
  mutex_ = CreateMutexW(nullptr, FALSE, name);
  const DWORD error = GetLastError();
  // A mutex of that name that this user may not open belongs to another instance just as well.
  first_ = mutex_ != nullptr ? error != ERROR_ALREADY_EXISTS : error != ERROR_ACCESS_DENIED;
}

SingleInstance::~SingleInstance() {
  if (mutex_ != nullptr) CloseHandle(mutex_);
}

HWND FindMainWindowOfRunningInstance(const wchar_t* title) {
  WindowSearch search = {title, nullptr};
  EnumWindows(&MatchMainWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool BringToFront(HWND window) {
  if (window == nullptr) return false;
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  SetForegroundWindow(window);
  return true;
}

}  // namespace plugfw
