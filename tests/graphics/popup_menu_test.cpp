// The popup-menu model: items, ownership of nested menus, prefixes and columns, clearing,
// and the show-and-answer contract the platform menu relies on.

#include "graphics/popup_menu.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/core/failing_allocator.h"

namespace plugfw::gfx {
namespace {

// A token each menu's completion holds: its use count tells how many menus are alive.
using Token = std::shared_ptr<int>;

std::unique_ptr<IPopupMenu> MenuHolding(const Token& token, std::initializer_list<const char*> texts) {
  return std::make_unique<IPopupMenu>("", texts, [token](IPopupMenu&) {});
}

TEST(PopupMenuTest, MenuFromTextsHasPlainItemsAndNoChoice) {
  IPopupMenu menu("Shape", {"Sine", "Triangle", "Square"});
  ASSERT_EQ(menu.NItems(), 3);
  EXPECT_STREQ(menu.GetTitle(), "Shape");
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
  EXPECT_EQ(menu.GetPrefix(), 0);
  EXPECT_EQ(menu.GetItemsPerColumn(), 0);
  const char* texts[] = {"Sine", "Triangle", "Square"};
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_STREQ(menu.GetItemText(i), texts[i]);
    EXPECT_EQ(menu.GetItem(i)->GetFlags(), 0);
    EXPECT_EQ(menu.GetItem(i)->GetTag(), -1);
    EXPECT_EQ(menu.GetItem(i)->GetSubmenu(), nullptr);
  }
  EXPECT_EQ(menu.GetItem(3), nullptr);
  EXPECT_EQ(menu.GetItem(-1), nullptr);
  EXPECT_STREQ(menu.GetItemText(3), "");

  IPopupMenu untitled(nullptr, {nullptr});
  EXPECT_STREQ(untitled.GetTitle(), "");
  EXPECT_STREQ(untitled.GetItemText(0), "");
}

TEST(PopupMenuTest, ClearKeepsOrResetsTheChoiceButAlwaysDeletesTheItems) {
  int completions = 0;
  IPopupMenu menu("Title", {"a", "b"}, [&](IPopupMenu&) { ++completions; });
  menu.SetPrefix(2);
  menu.SetItemsPerColumn(4);
  menu.SetChosenItemIdx(1);
  menu.SetFlag(true);

  menu.Clear(false);
  EXPECT_EQ(menu.NItems(), 0);
  EXPECT_EQ(menu.GetChosenItemIdx(), 1);
  EXPECT_EQ(menu.GetPrefix(), 2);
  EXPECT_TRUE(menu.GetFlag());

  menu.AddItem("c");
  menu.Clear(true);
  EXPECT_EQ(menu.NItems(), 0);
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
  EXPECT_EQ(menu.GetPrefix(), 0);
  EXPECT_FALSE(menu.GetFlag());
  EXPECT_EQ(menu.GetItemsPerColumn(), 4);
  EXPECT_STREQ(menu.GetTitle(), "Title");
  menu.ExecFunction();
  EXPECT_EQ(completions, 1);
}

TEST(PopupMenuTest, DeletingAMenuDeletesEveryLevelOfSubmenus) {
  const Token token = std::make_shared<int>(0);
  {
    auto root = MenuHolding(token, {"top"});
    auto middle = MenuHolding(token, {"m1"});
    auto leaf = MenuHolding(token, {"l1", "l2"});
    middle->AddItem("deeper", std::move(leaf));
    root->AddItem("middle", std::move(middle));
    root->AddItem("another", MenuHolding(token, {"x"}));
    EXPECT_EQ(token.use_count(), 5);
    EXPECT_EQ(root->CountItemsDeep(), 3 + 2 + 2 + 1);
  }
  EXPECT_EQ(token.use_count(), 1);

  // Clear deletes the submenus it holds as well, and a replaced submenu goes at once.
  IPopupMenu menu;
  PopupMenuItem* item = menu.AddItem("sub", MenuHolding(token, {"s"}));
  ASSERT_NE(item, nullptr);
  item->SetSubmenu(MenuHolding(token, {"t"}));
  EXPECT_EQ(token.use_count(), 2);
  menu.Clear(true);
  EXPECT_EQ(token.use_count(), 1);
}

TEST(PopupMenuTest, AnItemTheListCannotTakeIsDeletedNotLeaked) {
  const Token token = std::make_shared<int>(0);
  IPopupMenu menu;
  {
    test::FailingAllocatorScope noMemory;
    EXPECT_EQ(menu.AddItem("sub", MenuHolding(token, {})), nullptr);
  }
  EXPECT_EQ(menu.NItems(), 0);
  EXPECT_EQ(token.use_count(), 1);
  EXPECT_EQ(menu.AddItem(static_cast<PopupMenuItem*>(nullptr)), nullptr);
}

TEST(PopupMenuTest, PrefixModesNumberTheItemsFromOne) {
  IPopupMenu menu("", {"a", "b", "c", "d", "Fifth"});
  struct Case {
    int32_t mode;
    const char* label;
  };
  const Case cases[] = {{0, "Fifth"}, {1, "5: Fifth"}, {2, "05: Fifth"}, {3, "005: Fifth"}, {7, "Fifth"}};
  HeapString label;
  for (const Case& c : cases) {
    menu.SetPrefix(c.mode);
    menu.FormatItemLabel(4, label);
    EXPECT_STREQ(label.Get(), c.label) << c.mode;
  }
}

TEST(PopupMenuTest, ColumnsBreakAtMultiplesOfTheItemsPerColumnInSmallMenus) {
  IPopupMenu menu;
  for (int32_t i = 0; i < 12; ++i) menu.AddItem("item");
  menu.SetItemsPerColumn(5);
  std::vector<int32_t> breaks;
  for (int32_t i = 0; i < menu.NItems(); ++i) {
    if (menu.StartsNewColumn(i)) breaks.push_back(i);
  }
  EXPECT_EQ(breaks, (std::vector<int32_t>{5, 10}));

  for (int32_t i = 12; i < 160; ++i) menu.AddItem("item");
  for (int32_t i = 0; i < menu.NItems(); ++i) EXPECT_FALSE(menu.StartsNewColumn(i)) << i;

  IPopupMenu single("", {"a", "b"});
  EXPECT_FALSE(single.StartsNewColumn(1));  // no items-per-column count: one column
}

// root: A(0) B(1 -> sub) C(2, separator) D(3 -> sub)
// B's block: B1(4) B2(5 -> sub); B2's block: B2a(6); D's block: D1(7) D2(8, disabled)
class PopupMenuAnswerTest : public ::testing::Test {
 protected:
  PopupMenuAnswerTest() {
    root.SetFunction(
        [this](IPopupMenu& m) { completed.push_back("root:" + std::to_string(m.GetChosenItemIdx())); });
    root.AddItem("A");
    auto b = Named("B", {"B1"});
    b->AddItem("B2", Named("B2", {"B2a"}));
    root.AddItem("B", std::move(b));
    root.AddSeparator();
    auto d = Named("D", {"D1"});
    d->AddItem("D2", PopupMenuItem::kDisabled);
    root.AddItem("D", std::move(d));
  }

  std::unique_ptr<IPopupMenu> Named(const std::string& name, std::initializer_list<const char*> texts) {
    return std::make_unique<IPopupMenu>(name.c_str(), texts, [this, name](IPopupMenu& m) {
      completed.push_back(name + ":" + std::to_string(m.GetChosenItemIdx()));
    });
  }

  IPopupMenu root;
  std::vector<std::string> completed;
};

TEST_F(PopupMenuAnswerTest, AChoiceInASubmenuSetsThatMenusIndexRunsItsCompletionAndReturnsIt) {
  struct Case {
    int32_t number;
    const char* menuTitle;  // null: nothing chosen
    int32_t index;
  };
  const Case cases[] = {
      {0, "", 0},        // A, on the root
      {4, "B", 0},       // B1
      {5, nullptr, -1},  // B2 holds a submenu: not itself a choice
      {6, "B2", 0},      // B2a, two levels down
      {7, "D", 0},       // D1
      {1, nullptr, -1},  // B holds a submenu
      {2, nullptr, -1},  // a separator
      {8, nullptr, -1},  // disabled
      {9, nullptr, -1},  // past the last number
      {-1, nullptr, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    completed.clear();
    IPopupMenu* answered = AnswerPopupMenu(root, c.number);
    if (!c.menuTitle) {
      EXPECT_EQ(answered, nullptr);
      EXPECT_TRUE(completed.empty());
      continue;
    }
    ASSERT_NE(answered, nullptr);
    EXPECT_STREQ(answered->GetTitle(), c.menuTitle);
    EXPECT_EQ(answered->GetChosenItemIdx(), c.index);
    const std::string expected =
        std::string(*c.menuTitle ? c.menuTitle : "root") + ":" + std::to_string(c.index);
    EXPECT_EQ(completed, std::vector<std::string>{expected});
  }
}

TEST_F(PopupMenuAnswerTest, AChoiceInASubmenuLeavesTheRootUnchosen) {
  IPopupMenu* answered = AnswerPopupMenu(root, 6);
  ASSERT_NE(answered, nullptr);
  EXPECT_EQ(root.GetChosenItemIdx(), -1);
  EXPECT_EQ(root.GetItem(1)->GetSubmenu()->GetChosenItemIdx(), -1);
  EXPECT_EQ(answered, root.GetItem(1)->GetSubmenu()->GetItem(1)->GetSubmenu());

  int32_t index = 99;
  EXPECT_EQ(FindMenuOfItemNumber(root, 8, index), root.GetItem(3)->GetSubmenu());
  EXPECT_EQ(index, 1);
  EXPECT_EQ(FindMenuOfItemNumber(root, 42, index), nullptr);
  EXPECT_EQ(index, -1);
}

TEST(PopupMenuItemTest, CheckedFlagAndSelectability) {
  PopupMenuItem item("x", PopupMenuItem::kInactive, 12);
  EXPECT_FALSE(item.IsSelectable());
  EXPECT_EQ(item.GetTag(), 12);
  item.SetChecked(true);
  EXPECT_EQ(item.GetFlags(), PopupMenuItem::kInactive | PopupMenuItem::kChecked);
  item.SetChecked(false);
  EXPECT_EQ(item.GetFlags(), PopupMenuItem::kInactive);

  IPopupMenu menu("", {"a", "b"});
  EXPECT_TRUE(menu.CheckItem(1, true));
  EXPECT_TRUE(menu.GetItem(1)->GetChecked());
  EXPECT_FALSE(menu.CheckItem(2, true));
  EXPECT_TRUE(PopupMenuItem(nullptr).IsSelectable());
}

}  // namespace
}  // namespace plugfw::gfx
