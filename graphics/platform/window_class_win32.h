#pragma once
// The editor windows' class "PlugFwWndClass", registered while any editor window of the
// process is open: the first window to open registers it, the last to close unregisters it.
// Windows-only header. UI thread.

#include <windows.h>

namespace plugfw::gfx {

class EditorWindowClass {
 public:
  static constexpr const wchar_t* kName = L"PlugFwWndClass";

  // UI thread. Counts one window in, registering the class for module with procedure when it
  // is the first. False (nothing counted) when the class could not be registered.
  static bool Acquire(HINSTANCE module, WNDPROC procedure);
  // UI thread. Counts one window out; the last unregisters the class.
  static void Release(HINSTANCE module);
  static int OpenWindows();
};

}  // namespace plugfw::gfx
