#include "graphics/popup_menu.h"

#include <new>
#include <utility>

namespace plugfw::gfx {

PopupMenuItem::PopupMenuItem(const char* text, int32_t flags, int32_t tag)
    : text_(text), flags_(flags), tag_(tag) {}

PopupMenuItem::PopupMenuItem(const char* text, std::unique_ptr<IPopupMenu> submenu)
    : text_(text), submenu_(std::move(submenu)) {}

PopupMenuItem::~PopupMenuItem() = default;

bool PopupMenuItem::IsSelectable() const {
  return !submenu_ && (flags_ & (kDisabled | kInactive | kSeparator)) == 0;
}

void PopupMenuItem::SetSubmenu(std::unique_ptr<IPopupMenu> submenu) { submenu_ = std::move(submenu); }

IPopupMenu::IPopupMenu(const char* title, std::initializer_list<const char*> itemTexts,
                       CompletionFunction completion)
    : completion_(std::move(completion)) {
  if (title) title_.Set(title);
  for (const char* text : itemTexts) AddItem(text);
}

IPopupMenu::~IPopupMenu() { Clear(false); }

PopupMenuItem* IPopupMenu::AddItem(PopupMenuItem* item) {
  if (!item) return nullptr;
  if (!items_.Add(item)) {
    delete item;
    return nullptr;
  }
  return item;
}

PopupMenuItem* IPopupMenu::AddItem(const char* text, int32_t flags, int32_t tag) {
  return AddItem(new (std::nothrow) PopupMenuItem(text, flags, tag));
}

PopupMenuItem* IPopupMenu::AddItem(const char* text, std::unique_ptr<IPopupMenu> submenu) {
  return AddItem(new (std::nothrow) PopupMenuItem(text, std::move(submenu)));
}

PopupMenuItem* IPopupMenu::AddSeparator() { return AddItem("", PopupMenuItem::kSeparator); }

const char* IPopupMenu::GetItemText(int32_t index) const {
  const PopupMenuItem* item = GetItem(index);
  return item ? item->GetText() : "";
}

bool IPopupMenu::CheckItem(int32_t index, bool checked) {
  PopupMenuItem* item = GetItem(index);
  if (!item) return false;
  item->SetChecked(checked);
  return true;
}

void IPopupMenu::FormatItemLabel(int32_t index, HeapString& label) const {
  static constexpr const char* kPrefixFormats[] = {nullptr, "%1d: %s", "%02d: %s", "%03d: %s"};
  static constexpr int32_t kMaxLabelLength = 1024;
  const char* text = GetItemText(index);
  if (prefix_ < kPrefixOneDigit || prefix_ > kPrefixThreeDigits) {
    label.Set(text);
    return;
  }
  label.SetFormatted(kMaxLabelLength, kPrefixFormats[prefix_], index + 1, text);
}

bool IPopupMenu::StartsNewColumn(int32_t index) const {
  return NItems() < kMaxItemsForColumns && itemsPerColumn_ > 0 && index > 0 && index % itemsPerColumn_ == 0;
}

void IPopupMenu::Clear(bool resetEverything) {
  if (resetEverything) {
    chosenIndex_ = kNothingChosen;
    prefix_ = kNoPrefix;
    flag_ = false;
  }
  items_.DeleteAll();
}

void IPopupMenu::ExecFunction() {
  if (completion_) completion_(*this);
}

int32_t IPopupMenu::CountItemsDeep() const {
  int32_t count = NItems();
  for (int32_t i = 0; i < NItems(); ++i) {
    if (const IPopupMenu* submenu = GetItem(i)->GetSubmenu()) count += submenu->CountItemsDeep();
  }
  return count;
}

namespace {

// Walks the numbering in the platform's order: this menu's block, then each submenu's
// tree in item order. `next` is the first number of this menu's block on entry and the
// first number after its whole tree on return.
IPopupMenu* FindInBlock(IPopupMenu& menu, int32_t number, int32_t& next, int32_t& indexInMenu) {
  const int32_t base = next;
  next += menu.NItems();
  if (number >= base && number < next) {
    indexInMenu = number - base;
    return &menu;
  }
  for (int32_t i = 0; i < menu.NItems(); ++i) {
    IPopupMenu* submenu = menu.GetItem(i)->GetSubmenu();
    if (!submenu) continue;
    if (IPopupMenu* found = FindInBlock(*submenu, number, next, indexInMenu)) return found;
  }
  return nullptr;
}

}  // namespace

IPopupMenu* FindMenuOfItemNumber(IPopupMenu& root, int32_t number, int32_t& indexInMenu) {
  indexInMenu = -1;
  if (number < 0) return nullptr;
  int32_t next = 0;
  IPopupMenu* found = FindInBlock(root, number, next, indexInMenu);
  if (!found) indexInMenu = -1;
  return found;
}

IPopupMenu* AnswerPopupMenu(IPopupMenu& root, int32_t number) {
  int32_t index = -1;
  IPopupMenu* menu = FindMenuOfItemNumber(root, number, index);
  if (!menu || !menu->GetItem(index)->IsSelectable()) return nullptr;
  menu->SetChosenItemIdx(index);
  menu->ExecFunction();
  return menu;
}

}  // namespace plugfw::gfx
