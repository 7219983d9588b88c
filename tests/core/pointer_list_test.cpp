#include "core/pointer_list.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/core/failing_allocator.h"

namespace plugfw {
namespace {

// Records the order of destruction and what the list still held at that moment.
struct Tracked {
  Tracked(int id, std::vector<int>* log, PointerList<Tracked>* list) : id(id), log(log), list(list) {}
  ~Tracked() {
    log->push_back(id);
    log->push_back(list ? list->Count() : -1);
  }
  int id;
  std::vector<int>* log;
  PointerList<Tracked>* list;
};

TEST(PointerList, AddGetFindAndOutOfRangeReads) {
  PointerList<int> list(ListOwnership::kRefersOnly);
  int a = 1, b = 2, c = 3;
  EXPECT_EQ(list.Get(0), nullptr);  // no storage yet
  list.Add(&a);
  list.Add(&b);
  list.Add(&c);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Get(1), &b);
  EXPECT_EQ(list.Get(3), nullptr);
  EXPECT_EQ(list.Get(-1), nullptr);
  EXPECT_EQ(list.Find(&c), 2);
  EXPECT_EQ(list.Find(nullptr), -1);
}

TEST(PointerList, RemoveAndInsertMoveEntriesAndRefuseBadIndexes) {
  PointerList<int> list(ListOwnership::kRefersOnly);
  int v[4] = {0, 1, 2, 3};
  for (int& x : v) list.Add(&x);
  EXPECT_TRUE(list.Remove(1));
  EXPECT_EQ(list.Get(1), &v[2]);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_FALSE(list.Remove(3));
  EXPECT_FALSE(list.Remove(-1));
  EXPECT_TRUE(list.Insert(0, &v[1]));
  EXPECT_TRUE(list.Insert(4, &v[1]));  // at the end
  EXPECT_FALSE(list.Insert(6, &v[1]));
  EXPECT_FALSE(list.Insert(-1, &v[1]));
  const int* expected[] = {&v[1], &v[0], &v[2], &v[3], &v[1]};
  ASSERT_EQ(list.Count(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(list.Get(i), expected[i]);
}

TEST(PointerList, DeleteAllDeletesOwnedObjectsFromTheLastDown) {
  std::vector<int> log;
  {
    PointerList<Tracked> list;
    for (int id = 0; id < 3; ++id) list.Add(new Tracked(id, &log, &list));
    list.DeleteAll();
    EXPECT_EQ(list.Count(), 0);
    // Each object saw the list already cut to the entries before it.
    EXPECT_EQ(log, (std::vector<int>{2, 2, 1, 1, 0, 0}));
    list.Add(new Tracked(9, &log, nullptr));
  }
  EXPECT_EQ(log.back(), -1);  // destruction of the list deletes what it still owns
  EXPECT_EQ(log[log.size() - 2], 9);
}

TEST(PointerList, ReferenceListDeletesNothingAndFailedAddStoresNothing) {
  std::vector<int> log;
  Tracked kept(1, &log, nullptr);
  {
    PointerList<Tracked> list(ListOwnership::kRefersOnly);
    list.Add(&kept);
    list.DeleteAll();
    EXPECT_TRUE(log.empty());

    PointerList<Tracked> fresh(ListOwnership::kRefersOnly);
    test::FailingAllocatorScope refuse;
    EXPECT_EQ(list.Add(&kept), &kept);  // DeleteAll kept the storage: no allocation
    EXPECT_EQ(fresh.Add(&kept), nullptr);
    EXPECT_EQ(fresh.Count(), 0);
  }
  EXPECT_TRUE(log.empty());
}

}  // namespace
}  // namespace plugfw
