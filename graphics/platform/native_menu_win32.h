#pragma once
// Popup menus shown as the system's own menus. Modal: showing returns once the
// user has picked an item or dismissed the menu. Windows-only header. UI thread.

#include <windows.h>

#include <cstdint>

#include "graphics/popup_menu.h"

namespace plugfw::gfx {

// The native form of menu with its submenus. Entries are numbered from *next on,
// the menu's own items first and then each submenu's in item order, so that a
// number leads back to its item (FindMenuOfItemNumber); *next ends past the last.
// Null when any part could not be made.
HMENU BuildNativeMenu(const IPopupMenu& menu, int32_t* next);

// Shows menu with its top-left corner at anchor (client pixels of window), owned by
// window. When the user picks an item, the (sub)menu holding it gets the chosen
// index and runs its completion, and is returned; a dismissed menu, or one that
// could not be built, gives null and runs nothing. Afterwards the window is
// invalidated so the editor redraws where the menu was.
IPopupMenu* ShowNativePopupMenu(HWND window, IPopupMenu& menu, POINT anchor);

}  // namespace plugfw::gfx
