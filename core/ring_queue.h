#pragma once
// RingQueue: a fixed-capacity queue of fixed-size, trivially copyable items between exactly one
// producer thread and one consumer thread (for example the audio thread and the UI thread). Storage
// is allocated once at construction; Push, Pop and Count never allocate or lock. A queue of S slots
// holds at most S - 1 items; a push into a full queue drops the item and says so.

#include <atomic>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "core/heap_buffer.h"

namespace plugfw {

template <typename T>
class RingQueue {
  static_assert(std::is_trivially_copyable<T>::value, "items are copied as bytes");

 public:
  // Set-up. slots < 2 gives a queue that can hold nothing. When the storage cannot be had, the queue holds
  // nothing either (every push drops); IsValid tells.
  explicit RingQueue(int32_t slots) {
    const bool usable =
        slots >= 2 && static_cast<int64_t>(slots) * static_cast<int64_t>(sizeof(T)) <= INT32_MAX;
    if (usable && storage_.Resize(static_cast<int32_t>(slots * sizeof(T))) != nullptr) slots_ = slots;
  }
  RingQueue(const RingQueue&) = delete;
  RingQueue& operator=(const RingQueue&) = delete;

  bool IsValid() const { return slots_ > 0; }
  int32_t Slots() const { return slots_; }
  int32_t Capacity() const { return slots_ > 0 ? slots_ - 1 : 0; }

  // Any thread: the one producer, lock-free. False when the queue is full (the item is dropped).
  bool Push(const T& item) {
    if (slots_ == 0) return false;
    const uint64_t write = write_.load(std::memory_order_relaxed);
    const uint64_t next = Next(write);
    // Acquire: the consumer's reads of that slot are done before it is overwritten.
    if (next == read_.load(std::memory_order_acquire)) return false;
    std::memcpy(SlotAt(write), &item, sizeof(T));
    write_.store(next, std::memory_order_release);  // publishes the item
    return true;
  }

  // Any thread: the one consumer, lock-free. False when the queue is empty (item untouched).
  bool Pop(T& item) {
    const uint64_t read = read_.load(std::memory_order_relaxed);
    if (read == write_.load(std::memory_order_acquire)) return false;
    std::memcpy(&item, SlotAt(read), sizeof(T));
    read_.store(Next(read), std::memory_order_release);  // hands the slot back
    return true;
  }

  // Any thread: atomic loads; exact only on the consumer's thread while the producer is idle.
  int32_t Count() const {
    if (slots_ == 0) return 0;
    const uint64_t write = write_.load(std::memory_order_acquire);
    const uint64_t read = read_.load(std::memory_order_acquire);
    const int64_t count = static_cast<int64_t>(write) - static_cast<int64_t>(read);
    return static_cast<int32_t>(count < 0 ? count + slots_ : count);
  }

 private:
  uint64_t Next(uint64_t index) const { return index + 1 == static_cast<uint64_t>(slots_) ? 0 : index + 1; }
  uint8_t* SlotAt(uint64_t index) { return storage_.Data() + index * sizeof(T); }

  HeapBuffer storage_;
  int32_t slots_ = 0;
  std::atomic<uint64_t> write_{0};
  std::atomic<uint64_t> read_{0};
};

}  // namespace plugfw
