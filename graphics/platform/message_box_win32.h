#pragma once
// Message boxes owned by the editor's top-level window, which is found once from
// the parent chain (or, when the editor has no parent, among this process's
// windows by the class name remembered earlier) and then kept. Windows-only
// header. UI thread.

#include <windows.h>

#include <functional>
#include <string>

#include "graphics/platform/platform_seams_win32.h"

namespace plugfw::gfx {

class MessageBoxOwner {
 public:
  // The cached owner, found first when there is none yet or it was destroyed.
  HWND Find(HWND parent);
  HWND Cached() const { return owner_; }
  const std::string& ClassName() const { return className_; }

 private:
  HWND owner_ = nullptr;
  std::string className_;
};

// Shows a modal message box (UTF-8 texts, a Win32 message-box type) owned by
// owner, calls done with the answer when set and returns the answer.
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type,
                   const std::function<void(int)>& done, const PlatformSeam& seam = SystemPlatformSeam());

}  // namespace plugfw::gfx
