#pragma once
// How a popup menu's items look as native menu entries: the label with its number
// prefix and with ampersands kept literal (the native menu would otherwise take the
// letter after one as its access key), and the entry's style bits. The numbering of
// the entries is the popup menu's own (FindMenuOfItemNumber). UI thread.

#include <cstdint>
#include <string>

#include "graphics/popup_menu.h"

namespace plugfw::gfx {

struct NativeMenuEntryStyle {
  bool separator = false;
  bool greyed = false;        // disabled items
  bool unselectable = false;  // disabled and inactive items
  bool checked = false;
  bool newColumn = false;  // the entry starts a new column with a bar
};

// The item's label: its prefix and text with every "&" doubled.
std::string NativeMenuLabel(const IPopupMenu& menu, int32_t index);

NativeMenuEntryStyle NativeMenuEntryStyleOf(const IPopupMenu& menu, int32_t index);

}  // namespace plugfw::gfx
