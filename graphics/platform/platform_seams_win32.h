#pragma once
// The system calls through which the editor reaches things outside the program -
// message boxes, choosers, the shell, the network state - gathered so that tests
// can put their own in place and nothing opens for real or waits on a modal box
// nobody closes. Windows-only header. UI thread.

#include <windows.h>

#include <commdlg.h>
#include <shlobj.h>

namespace plugfw::gfx {

struct PlatformSeam {
  int(WINAPI* messageBox)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
  BOOL(WINAPI* chooseColor)(LPCHOOSECOLORW dialog);
  BOOL(WINAPI* getOpenFileName)(LPOPENFILENAMEW dialog);
  BOOL(WINAPI* getSaveFileName)(LPOPENFILENAMEW dialog);
  PIDLIST_ABSOLUTE(WINAPI* browseForFolder)(LPBROWSEINFOW dialog);
  BOOL(WINAPI* pathFromIdList)(PCIDLIST_ABSOLUTE list, LPWSTR path);
  void(WINAPI* freeIdList)(LPVOID list);
  HINSTANCE(WINAPI* shellExecute)
  (HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR folder, INT show);
  BOOL(WINAPI* internetConnected)(LPDWORD flags, DWORD reserved);
  UINT(WINAPI* systemDirectory)(LPWSTR buffer, UINT size);
};

// The real calls.
const PlatformSeam& SystemPlatformSeam();

}  // namespace plugfw::gfx
