#include "graphics/platform/native_menu_win32.h"

#include <string>

#include "graphics/platform/native_menu_rules.h"
#include "graphics/platform/wide_text_win32.h"

namespace plugfw::gfx {
namespace {

UINT EntryFlags(const NativeMenuEntryStyle& style) {
  UINT flags = MF_STRING;
  if (style.greyed) flags |= MF_GRAYED;
  if (style.unselectable) flags |= MF_DISABLED;
  if (style.checked) flags |= MF_CHECKED;
  if (style.newColumn) flags |= MF_MENUBARBREAK;
  return flags;
}

// Appends item index of menu to handle; a submenu is built (numbered from *next)
// and handed over to handle.
bool AppendEntry(HMENU handle, const IPopupMenu& menu, int32_t index, int32_t identifier, int32_t* next) {
  const NativeMenuEntryStyle style = NativeMenuEntryStyleOf(menu, index);
  if (style.separator) return AppendMenuW(handle, MF_SEPARATOR, 0, nullptr) != FALSE;
  const std::wstring label = WideFromUtf8(NativeMenuLabel(menu, index).c_str());
  const IPopupMenu* submenu = menu.GetItem(index)->GetSubmenu();
  if (submenu == nullptr) {
    return AppendMenuW(handle, EntryFlags(style), static_cast<UINT_PTR>(identifier), label.c_str()) != FALSE;
  }
  HMENU subhandle = BuildNativeMenu(*submenu, next);
  if (subhandle == nullptr) return false;
  if (AppendMenuW(handle, EntryFlags(style) | MF_POPUP, reinterpret_cast<UINT_PTR>(subhandle),
                  label.c_str())) {
    return true;
  }
  DestroyMenu(subhandle);
  return false;
}

}  // namespace

HMENU BuildNativeMenu(const IPopupMenu& menu, int32_t* next) {
  HMENU handle = CreatePopupMenu();
  if (handle == nullptr) return nullptr;
  const int32_t base = *next;
  *next += menu.NItems();
  for (int32_t i = 0; i < menu.NItems(); ++i) {
    // A menu missing an entry would answer with the wrong items: none at all instead.
    if (!AppendEntry(handle, menu, i, base + i, next)) {
      DestroyMenu(handle);
      return nullptr;
    }
  }
  return handle;
}

IPopupMenu* ShowNativePopupMenu(HWND window, IPopupMenu& menu, POINT anchor) {
  int32_t next = 0;
  HMENU handle = BuildNativeMenu(menu, &next);
  if (handle == nullptr) return nullptr;
  POINT screen = anchor;
  ClientToScreen(window, &screen);
  IPopupMenu* chosen = nullptr;
  // The pick arrives as a WM_COMMAND posted to the window: take it from the queue
  // here so the window procedure never sees it. A menu command has 0 in the high word.
  if (TrackPopupMenu(handle, TPM_LEFTBUTTON, screen.x, screen.y, 0, window, nullptr)) {
    MSG command;
    if (PeekMessageW(&command, window, WM_COMMAND, WM_COMMAND, PM_REMOVE) && HIWORD(command.wParam) == 0) {
      chosen = AnswerPopupMenu(menu, LOWORD(command.wParam));
    }
  }
  DestroyMenu(handle);
  InvalidateRect(window, nullptr, FALSE);
  return chosen;
}

}  // namespace plugfw::gfx
