#include "core/ring_queue.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "core/queue_messages.h"
#include "tests/core/failing_allocator.h"

namespace plugfw {
namespace {

TEST(RingQueueTest, HoldsOneLessThanItsSlotsAndDropsWhenFull) {
  RingQueue<int> queue(5);
  EXPECT_EQ(queue.Capacity(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(queue.Push(i));
  EXPECT_FALSE(queue.Push(99));
  EXPECT_EQ(queue.Count(), 4);
  int item = -1;
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(queue.Pop(item));
    EXPECT_EQ(item, i);  // the dropped 99 never appears
  }
  EXPECT_FALSE(queue.Pop(item));
  EXPECT_EQ(item, 3);  // an empty pop leaves the item alone
  EXPECT_EQ(queue.Count(), 0);
}

// Many laps around the ring: the indices wrap and the count stays right on either side of the wrap.
TEST(RingQueueTest, KeepsOrderAndCountAcrossWraps) {
  RingQueue<ParamChange> queue(7);
  int next = 0, expected = 0;
  for (int lap = 0; lap < 50; ++lap) {
    const int pushes = 1 + lap % 6;
    for (int i = next; i < next + pushes; ++i) ASSERT_TRUE(queue.Push({i, i * 0.5})) << lap;
    next += pushes;
    ASSERT_EQ(queue.Count(), pushes);
    ParamChange change;
    while (queue.Pop(change)) {
      ASSERT_EQ(change.paramIndex, expected);
      ASSERT_EQ(change.value, expected * 0.5);
      ++expected;
    }
  }
  EXPECT_EQ(expected, next);
}

TEST(RingQueueTest, CarriesWholeRecords) {
  RingQueue<SysExMessage> queue(5);
  SysExMessage in;
  in.sampleOffset = 17;
  in.size = kSysExMaxBytes;
  for (int i = 0; i < kSysExMaxBytes; ++i) in.data[i] = static_cast<uint8_t>(i * 7);
  ASSERT_TRUE(queue.Push(in));
  SysExMessage out;
  ASSERT_TRUE(queue.Pop(out));
  EXPECT_EQ(out.sampleOffset, 17);
  EXPECT_EQ(out.size, kSysExMaxBytes);
  EXPECT_EQ(0, std::memcmp(in.data, out.data, kSysExMaxBytes));
}

TEST(RingQueueTest, UnusableQueuesHoldNothing) {
  for (int32_t slots : {-3, 0, 1}) {
    RingQueue<MidiMessage> queue(slots);
    EXPECT_FALSE(queue.IsValid()) << slots;
    EXPECT_EQ(queue.Capacity(), 0) << slots;
    EXPECT_FALSE(queue.Push(MidiMessage{})) << slots;
    MidiMessage m;
    EXPECT_FALSE(queue.Pop(m)) << slots;
    EXPECT_EQ(queue.Count(), 0) << slots;
  }
  test::FailingAllocatorScope failing;
  RingQueue<MidiMessage> starved(33);
  EXPECT_FALSE(starved.IsValid());
  EXPECT_FALSE(starved.Push(MidiMessage{}));
}

// One producer, one consumer, a small queue so both sides wrap and meet constantly: every item
// arrives exactly once, in order, with its payload intact.
TEST(RingQueueTest, TwoThreadStressKeepsEveryItemInOrder) {
  constexpr int kItems = 200000;
  RingQueue<ParamChange> queue(17);
  std::thread producer([&queue] {
    for (int i = 0; i < kItems;) {
      if (queue.Push({i, static_cast<double>(i) * 3.0})) ++i;
    }
  });
  int expected = 0;
  bool intact = true;
  while (expected < kItems) {
    ParamChange change;
    if (!queue.Pop(change)) continue;
    intact = intact && change.paramIndex == expected && change.value == expected * 3.0;
    ++expected;
  }
  producer.join();
  EXPECT_TRUE(intact);
  EXPECT_EQ(queue.Count(), 0);
}

}  // namespace
}  // namespace plugfw
