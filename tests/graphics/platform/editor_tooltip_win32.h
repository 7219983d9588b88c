#pragma once
// The editor window's tooltip as a test finds and reads it: a popup owned by the editor's
// top-level window, whose one tool is the whole editor. UI thread.

#include <windows.h>
// After windows.h.
#include <commctrl.h>

#include <string>

namespace plugfw::gfx::test {

// Null when the editor made none.
inline HWND FindEditorTooltip(HWND editor) {
  struct Search {
    HWND owner;
    HWND found;
  } search = {GetAncestor(editor, GA_ROOT), nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM context) {
        Search& s = *reinterpret_cast<Search*>(context);
        wchar_t name[32] = {};
        GetClassNameW(window, name, 32);
        if (lstrcmpiW(name, TOOLTIPS_CLASSW) != 0 || GetWindow(window, GW_OWNER) != s.owner) return TRUE;
        s.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline std::wstring EditorTooltipText(HWND tooltip, HWND editor) {
  constexpr int kMaxText = 1024;
  wchar_t text[kMaxText] = {};
  TOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = editor;
  tool.uId = reinterpret_cast<UINT_PTR>(editor);
  tool.lpszText = text;
  SendMessageW(tooltip, TTM_GETTEXTW, kMaxText, reinterpret_cast<LPARAM>(&tool));
  return text;
}

}  // namespace plugfw::gfx::test
