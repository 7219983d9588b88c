#pragma once
// IPopupMenu and PopupMenuItem: the data of a popup menu - items with optional owned
// submenus, a title, numbering and column options, the chosen index and a completion
// function. Controls fill a menu, the graphics context shows it through the platform (or
// the host) and the requesting control reads the answer. UI thread only.
//
// Show and answer: the platform numbers every item depth-first - the root's items take
// 0 .. n-1, then each submenu in item order takes the next block for its own items,
// recursively - and hands the number of the picked item to AnswerPopupMenu, which sets
// the chosen index on the menu that directly holds the item, runs that menu's completion
// and returns it.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>

#include "core/heap_string.h"
#include "core/pointer_list.h"

namespace plugfw::gfx {

class IPopupMenu;

class PopupMenuItem {
 public:
  enum Flags : int32_t {
    kNoFlags = 0,
    kDisabled = 1,  // greyed and not selectable
    kInactive = 2,  // not selectable, shown normally
    kChecked = 4,
    kSeparator = 8,  // a separator line; the text is ignored
  };
  static constexpr int32_t kNoTag = -1;

  // A null text gives an empty one.
  explicit PopupMenuItem(const char* text, int32_t flags = kNoFlags, int32_t tag = kNoTag);
  // Takes the submenu over.
  PopupMenuItem(const char* text, std::unique_ptr<IPopupMenu> submenu);
  ~PopupMenuItem();
  PopupMenuItem(const PopupMenuItem&) = delete;
  PopupMenuItem& operator=(const PopupMenuItem&) = delete;

  const char* GetText() const { return text_.Get(); }
  void SetText(const char* text) { text_.Set(text); }
  int32_t GetFlags() const { return flags_; }
  void SetFlags(int32_t flags) { flags_ = flags; }
  bool GetChecked() const { return (flags_ & kChecked) != 0; }
  void SetChecked(bool checked) { flags_ = checked ? (flags_ | kChecked) : (flags_ & ~kChecked); }
  bool IsSeparator() const { return (flags_ & kSeparator) != 0; }
  // What a user may pick: no separator, not disabled or inactive, no submenu.
  bool IsSelectable() const;
  int32_t GetTag() const { return tag_; }
  void SetTag(int32_t tag) { tag_ = tag; }

  IPopupMenu* GetSubmenu() const { return submenu_.get(); }
  // Deletes the submenu held before.
  void SetSubmenu(std::unique_ptr<IPopupMenu> submenu);

 private:
  HeapString text_;
  std::unique_ptr<IPopupMenu> submenu_;
  int32_t flags_ = kNoFlags;
  int32_t tag_ = kNoTag;
};

class IPopupMenu {
 public:
  using CompletionFunction = std::function<void(IPopupMenu& menu)>;

  // How item numbers are shown before the texts.
  enum Prefix : int32_t { kNoPrefix = 0, kPrefixOneDigit = 1, kPrefixTwoDigits = 2, kPrefixThreeDigits = 3 };
  static constexpr int32_t kNothingChosen = -1;
  // Columns are broken only in menus of fewer items.
  static constexpr int32_t kMaxItemsForColumns = 160;

  // One item per text, in order, with no flags and no tag.
  explicit IPopupMenu(const char* title = nullptr, std::initializer_list<const char*> itemTexts = {},
                      CompletionFunction completion = nullptr);
  ~IPopupMenu();
  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;

  // Take the item over and return it; when the list cannot grow the item is deleted and
  // the result is null, so nothing leaks and the menu is unchanged.
  PopupMenuItem* AddItem(PopupMenuItem* item);
  PopupMenuItem* AddItem(const char* text, int32_t flags = PopupMenuItem::kNoFlags,
                         int32_t tag = PopupMenuItem::kNoTag);
  PopupMenuItem* AddItem(const char* text, std::unique_ptr<IPopupMenu> submenu);
  PopupMenuItem* AddSeparator();

  int32_t NItems() const { return items_.Count(); }
  // Null outside the list.
  PopupMenuItem* GetItem(int32_t index) const { return items_.Get(index); }
  const char* GetItemText(int32_t index) const;
  // Sets or clears the checked flag of one item; false outside the list.
  bool CheckItem(int32_t index, bool checked);

  // The item's text as shown: with the prefix mode, its number (from 1), ": " and the text.
  void FormatItemLabel(int32_t index, HeapString& label) const;
  // True when the platform menu starts a new column at this item.
  bool StartsNewColumn(int32_t index) const;

  // With reset, the choice, the prefix mode and the flag are cleared first; items per
  // column, the title and the completion stay. Then every item is deleted, last first,
  // each with its submenu.
  void Clear(bool resetEverything = true);

  int32_t GetChosenItemIdx() const { return chosenIndex_; }
  void SetChosenItemIdx(int32_t index) { chosenIndex_ = index; }
  PopupMenuItem* GetChosenItem() const { return GetItem(chosenIndex_); }

  int32_t GetPrefix() const { return prefix_; }
  // A mode outside 0..3 shows no prefix.
  void SetPrefix(int32_t mode) { prefix_ = mode; }
  int32_t GetItemsPerColumn() const { return itemsPerColumn_; }
  void SetItemsPerColumn(int32_t count) { itemsPerColumn_ = count; }
  bool GetFlag() const { return flag_; }
  void SetFlag(bool flag) { flag_ = flag; }

  const char* GetTitle() const { return title_.Get(); }
  void SetTitle(const char* title) { title_.Set(title); }

  void SetFunction(CompletionFunction completion) { completion_ = std::move(completion); }
  bool HasFunction() const { return static_cast<bool>(completion_); }
  void ExecFunction();

  // Items of this menu and all its submenus: the numbers the platform hands out.
  int32_t CountItemsDeep() const;

 private:
  int32_t itemsPerColumn_ = 0;
  int32_t prefix_ = kNoPrefix;
  int32_t chosenIndex_ = kNothingChosen;
  bool flag_ = false;  // kept with the choice; nothing in this program reads it
  PointerList<PopupMenuItem> items_;
  CompletionFunction completion_;
  HeapString title_;
};

// The menu that directly holds the item with this depth-first number, and the item's
// index in it; null (index -1) for a number outside the tree.
IPopupMenu* FindMenuOfItemNumber(IPopupMenu& root, int32_t number, int32_t& indexInMenu);

// UI thread, from the platform menu once the user picked item number `number`: sets the
// chosen index on the menu that holds it, runs that menu's completion and returns it. A
// number outside the tree or on an item that cannot be picked answers null and changes
// nothing, as a dismissed menu does.
IPopupMenu* AnswerPopupMenu(IPopupMenu& root, int32_t number);

}  // namespace plugfw::gfx
