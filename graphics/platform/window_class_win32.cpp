#include "graphics/platform/window_class_win32.h"

namespace plugfw::gfx {
namespace {

// Every editor window of the process is made on a UI thread; hosts run one.
int openWindows = 0;

}  // namespace

bool EditorWindowClass::Acquire(HINSTANCE module, WNDPROC procedure) {
  if (openWindows == 0) {
    WNDCLASSW windowClass = {};
    // Each window keeps its own device context, which its GL context is bound to.
    windowClass.style = CS_OWNDC | CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kName;
    // A class left registered by a window that outlived its count is still ours to use.
    if (RegisterClassW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  }
  ++openWindows;
  return true;
}

void EditorWindowClass::Release(HINSTANCE module) {
  if (openWindows == 0) return;
  if (--openWindows == 0) UnregisterClassW(kName, module);
}

int EditorWindowClass::OpenWindows() { return openWindows; }

}  // namespace plugfw::gfx
