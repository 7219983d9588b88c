#include "graphics/platform/font_cache.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace plugfw::gfx {
namespace {

// Records its deletion, so the order in which a cache lets go can be checked.
struct Tracked {
  Tracked(std::string n, std::vector<std::string>* log) : name(std::move(n)), deleted(log) {}
  ~Tracked() { deleted->push_back(name); }
  std::string name;
  std::vector<std::string>* deleted;
};

class FontCacheTest : public ::testing::Test {
 protected:
  std::unique_ptr<Tracked> Make(const char* name) { return std::make_unique<Tracked>(name, &deleted); }
  std::vector<std::string> deleted;
  FontResourceCache<Tracked> cache;
};

TEST_F(FontCacheTest, FindsByExactNameAndScale) {
  ASSERT_TRUE(cache.Add(Make("regular"), "Roboto-Regular", 1.0));
  ASSERT_TRUE(cache.Add(Make("large"), "Roboto-Regular", 2.0));
  EXPECT_EQ(cache.Find("Roboto-Regular", 1.0)->name, "regular");
  EXPECT_EQ(cache.Find("Roboto-Regular", 2.0)->name, "large");
  EXPECT_EQ(cache.Find("Roboto-Regular", 3.0), nullptr);
  EXPECT_EQ(cache.Find("roboto-regular", 1.0), nullptr);
  EXPECT_EQ(cache.Find("Roboto", 1.0), nullptr);
  EXPECT_EQ(cache.Find(nullptr, 1.0), nullptr);
  // The scale is part of the key text, so the same name at another scale hashes apart.
  EXPECT_NE(FontCacheKeyHash("Roboto-Regular", 1.0), FontCacheKeyHash("Roboto-Regular", 2.0));
}

TEST_F(FontCacheTest, TheSameKeyTwiceKeepsBothAndClearingDeletesLastFirst) {
  cache.Add(Make("first"), "KESTRALYN", 1.0);
  cache.Add(Make("second"), "KESTRALYN", 1.0);
  cache.Add(Make("third"), "Other", 1.0);
  EXPECT_EQ(cache.Count(), 3);
  EXPECT_EQ(cache.Find("KESTRALYN", 1.0)->name, "first");
  cache.Clear();
  EXPECT_EQ(deleted, (std::vector<std::string>{"third", "second", "first"}));
  EXPECT_EQ(cache.Count(), 0);
}

TEST_F(FontCacheTest, TheLastUserToGoClearsTheCache) {
  cache.AddUser();
  cache.AddUser();
  cache.Add(Make("kept"), "Roboto-Regular", 1.0);
  cache.RemoveUser();
  EXPECT_EQ(cache.Count(), 1);
  cache.RemoveUser();
  EXPECT_EQ(cache.Count(), 0);
  EXPECT_EQ(deleted, std::vector<std::string>{"kept"});
  cache.RemoveUser();  // one too many changes nothing
  EXPECT_EQ(cache.Users(), 0);
}

TEST_F(FontCacheTest, RemoveDeletesOnlyTheEntryHoldingTheResource) {
  cache.Add(Make("a"), "A", 1.0);
  cache.Add(Make("b"), "B", 1.0);
  Tracked* b = cache.Find("B", 1.0);
  EXPECT_TRUE(cache.Remove(b));
  EXPECT_FALSE(cache.Remove(b));
  EXPECT_EQ(deleted, std::vector<std::string>{"b"});
  EXPECT_NE(cache.Find("A", 1.0), nullptr);
  EXPECT_FALSE(cache.Add(nullptr, "C", 1.0));
}

}  // namespace
}  // namespace plugfw::gfx
