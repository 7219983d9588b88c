// Native menu labels and entry styles made from popup menu items.

#include "graphics/platform/native_menu_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace plugfw::gfx {
namespace {

TEST(NativeMenuLabel, NumbersItemsByPrefixModeAndKeepsAmpersandsLiteral) {
  IPopupMenu menu(nullptr, {"Hall", "Tape & Echo", "Room"});
  menu.SetPrefix(IPopupMenu::kPrefixTwoDigits);
  EXPECT_EQ(NativeMenuLabel(menu, 0), "01: Hall");
  EXPECT_EQ(NativeMenuLabel(menu, 1), "02: Tape && Echo");
  menu.SetPrefix(IPopupMenu::kNoPrefix);
  EXPECT_EQ(NativeMenuLabel(menu, 1), "Tape && Echo");
  menu.SetPrefix(IPopupMenu::kPrefixThreeDigits);
  EXPECT_EQ(NativeMenuLabel(menu, 2), "003: Room");
  menu.SetPrefix(IPopupMenu::kPrefixOneDigit);
  EXPECT_EQ(NativeMenuLabel(menu, 2), "3: Room");
  EXPECT_EQ(NativeMenuLabel(IPopupMenu(nullptr, {"&&"}), 0), "&&&&");
}

TEST(NativeMenuEntryStyleOf, MapsItemFlags) {
  IPopupMenu menu;
  menu.AddItem("greyed", PopupMenuItem::kDisabled);
  menu.AddItem("inactive", PopupMenuItem::kInactive);
  menu.AddItem("checked", PopupMenuItem::kChecked);
  menu.AddSeparator();
  const NativeMenuEntryStyle greyed = NativeMenuEntryStyleOf(menu, 0);
  EXPECT_TRUE(greyed.greyed && greyed.unselectable && !greyed.checked && !greyed.separator);
  const NativeMenuEntryStyle inactive = NativeMenuEntryStyleOf(menu, 1);
  EXPECT_TRUE(!inactive.greyed && inactive.unselectable);
  const NativeMenuEntryStyle checked = NativeMenuEntryStyleOf(menu, 2);
  EXPECT_TRUE(checked.checked && !checked.unselectable);
  EXPECT_TRUE(NativeMenuEntryStyleOf(menu, 3).separator);
}

TEST(NativeMenuEntryStyleOf, BreaksColumnsOnlyInMenusBelow160Items) {
  IPopupMenu twelve;
  for (int i = 0; i < 12; ++i) twelve.AddItem("item");
  twelve.SetItemsPerColumn(5);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(NativeMenuEntryStyleOf(twelve, i).newColumn, i == 5 || i == 10) << i;
  }
  IPopupMenu large;
  for (int i = 0; i < 160; ++i) large.AddItem("item");
  large.SetItemsPerColumn(5);
  for (int i = 0; i < 160; ++i) EXPECT_FALSE(NativeMenuEntryStyleOf(large, i).newColumn) << i;
}

}  // namespace
}  // namespace plugfw::gfx
