#include "core/heap_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

#include "tests/core/failing_allocator.h"

namespace plugfw {
namespace {

struct GrowthCase {
  int32_t granularity;
  int32_t size;
  int32_t expectedCapacity;
};

class HeapBufferGrowth : public ::testing::TestWithParam<GrowthCase> {};

TEST_P(HeapBufferGrowth, FreshBufferGetsTheDocumentedCapacity) {
  const GrowthCase& c = GetParam();
  HeapBuffer buffer(c.granularity);
  ASSERT_NE(buffer.Resize(c.size), nullptr);
  EXPECT_EQ(buffer.Size(), c.size);
  EXPECT_EQ(buffer.Capacity(), c.expectedCapacity);
}

INSTANTIATE_TEST_SUITE_P(Sizes, HeapBufferGrowth,
                         ::testing::Values(GrowthCase{128, 1, 129}, GrowthCase{128, 1000, 1500},
                                           GrowthCase{4096, 8, 4000}, GrowthCase{4096, 4000, 8096},
                                           GrowthCase{4096, 10000, 12192},
                                           // the step is capped at 4 MiB
                                           GrowthCase{4096, 20 * 1024 * 1024, 25165728}));

TEST(HeapBuffer, GrowingKeepsContentsAndDoesNotReallocateWithinCapacity) {
  HeapBuffer buffer(HeapBuffer::kBlockGranularity);
  uint8_t* first = buffer.Resize(100);
  std::iota(first, first + 100, 0);
  EXPECT_EQ(buffer.Resize(3000), first);  // within capacity 4000
  uint8_t* grown = buffer.Resize(50000);
  ASSERT_NE(grown, nullptr);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(grown[i], i);
}

TEST(HeapBuffer, ShrinksStorageOnlyWhenAllowedAndFarBelowCapacity) {
  HeapBuffer shrinking(HeapBuffer::kTextGranularity);
  HeapBuffer keeping(HeapBuffer::kTextGranularity);
  for (HeapBuffer* buffer : {&shrinking, &keeping}) {
    buffer->Resize(10000);
    ASSERT_EQ(buffer->Capacity(), 15000);
    buffer->Resize(9000);
  }
  shrinking.Resize(100, true);
  keeping.Resize(100, false);
  EXPECT_EQ(shrinking.Capacity(), 228);
  EXPECT_EQ(keeping.Capacity(), 15000);
  EXPECT_EQ(shrinking.Size(), 100);
  EXPECT_EQ(keeping.Size(), 100);

  // A small shrink stays above the threshold and keeps the storage.
  HeapBuffer slight(HeapBuffer::kTextGranularity);
  slight.Resize(10000);
  slight.Resize(9000, true);
  EXPECT_EQ(slight.Capacity(), 15000);
}

TEST(HeapBuffer, ResizeToZeroFreesOnlyWhenShrinkingIsAllowed) {
  HeapBuffer freed;
  freed.Resize(64);
  EXPECT_EQ(freed.Resize(0, true), nullptr);
  EXPECT_EQ(freed.Capacity(), 0);

  HeapBuffer kept;
  kept.Resize(64);
  EXPECT_EQ(kept.Resize(0, false), nullptr);
  EXPECT_EQ(kept.Capacity(), 4000);
  EXPECT_EQ(kept.Data(), nullptr);  // size 0 presents no data even with storage
  EXPECT_EQ(kept.Resize(-5), nullptr);
  EXPECT_EQ(kept.Size(), 0);
}

TEST(HeapBuffer, FailedGrowthKeepsEverything) {
  HeapBuffer buffer(HeapBuffer::kTextGranularity);
  uint8_t* data = buffer.Resize(10);
  std::memset(data, 7, 10);
  {
    test::FailingAllocatorScope refuse;
    EXPECT_EQ(buffer.Resize(1000), data);  // the old view
    static const uint8_t kBytes[500] = {};
    EXPECT_EQ(buffer.Append(kBytes, 500), 10);
  }
  EXPECT_EQ(buffer.Size(), 10);
  EXPECT_EQ(buffer.Capacity(), 138);
  EXPECT_EQ(buffer.Data()[9], 7);

  HeapBuffer empty;
  test::FailingAllocatorScope refuse;
  EXPECT_EQ(empty.Resize(10), nullptr);
  EXPECT_EQ(empty.Size(), 0);
}

TEST(HeapBuffer, ShrinkWithoutASmallerBlockKeepsTheOldOne) {
  HeapBuffer buffer(HeapBuffer::kTextGranularity);
  buffer.Resize(10000);
  buffer.Data()[50] = 42;
  test::FailingAllocatorScope refuse;
  ASSERT_NE(buffer.Resize(100, true), nullptr);
  EXPECT_EQ(buffer.Size(), 100);
  EXPECT_EQ(buffer.Capacity(), 15000);
  EXPECT_EQ(buffer.Data()[50], 42);
}

TEST(HeapBuffer, AppendCopiesBytesAndMayAppendItself) {
  HeapBuffer buffer(HeapBuffer::kTextGranularity);
  EXPECT_EQ(buffer.Append("abcd", 4), 4);
  // Growing from 4 to 8 bytes fits; then force reallocation with a large self-append.
  EXPECT_EQ(buffer.Append(buffer), 8);
  for (int i = 0; i < 6; ++i) buffer.Append(buffer);
  ASSERT_EQ(buffer.Size(), 512);
  for (int i = 0; i < 512; ++i) ASSERT_EQ(buffer.Data()[i], "abcd"[i % 4]) << i;

  HeapBuffer other;
  EXPECT_EQ(other.Append(buffer), 512);
  EXPECT_EQ(std::memcmp(other.Data(), buffer.Data(), 512), 0);
  EXPECT_EQ(other.Append(HeapBuffer()), 512);  // an empty source appends nothing
}

TEST(HeapBuffer, CopiesAreDeepAndMovesTakeTheStorage) {
  HeapBuffer original(HeapBuffer::kTextGranularity);
  original.Append("xyz", 3);
  HeapBuffer copy(original);
  copy.Data()[0] = 'Q';
  EXPECT_EQ(original.Data()[0], 'x');
  EXPECT_EQ(copy.Granularity(), HeapBuffer::kTextGranularity);

  HeapBuffer assigned;
  assigned = original;
  EXPECT_EQ(std::memcmp(assigned.Data(), "xyz", 3), 0);

  HeapBuffer moved(std::move(original));
  EXPECT_EQ(moved.Size(), 3);
  EXPECT_EQ(original.Size(), 0);  // NOLINT(bugprone-use-after-move): moved-from state is defined
  EXPECT_EQ(original.Data(), nullptr);
}

}  // namespace
}  // namespace plugfw
