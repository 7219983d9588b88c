#include "graphics/platform/native_menu_rules.h"

namespace plugfw::gfx {

std::string NativeMenuLabel(const IPopupMenu& menu, int32_t index) {
  HeapString formatted;
  menu.FormatItemLabel(index, formatted);
  std::string label;
  for (const char* at = formatted.Get(); *at != '\0'; ++at) {
    if (*at == '&') label += '&';
    label += *at;
  }
  return label;
}

NativeMenuEntryStyle NativeMenuEntryStyleOf(const IPopupMenu& menu, int32_t index) {
  NativeMenuEntryStyle style;
  const PopupMenuItem* item = menu.GetItem(index);
  if (item == nullptr) return style;
  const int32_t flags = item->GetFlags();
  style.separator = (flags & PopupMenuItem::kSeparator) != 0;
  style.greyed = (flags & PopupMenuItem::kDisabled) != 0;
  style.unselectable = (flags & (PopupMenuItem::kDisabled | PopupMenuItem::kInactive)) != 0;
  style.checked = (flags & PopupMenuItem::kChecked) != 0;
  style.newColumn = menu.StartsNewColumn(index);
  return style;
}

}  // namespace plugfw::gfx
