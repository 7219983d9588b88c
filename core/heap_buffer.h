#pragma once
// HeapBuffer: a growable byte block that never throws. Growth may fail; each
// operation states what survives a failure. Any thread, one at a time.

#include <cstddef>
#include <cstdint>

namespace plugfw {

// The allocator behind every HeapBuffer. Tests swap it to make growth fail.
struct HeapAllocator {
  void* (*allocate)(size_t bytes);
  void* (*reallocate)(void* block, size_t bytes);
  void (*release)(void* block);
};

// Any thread: a constant.
const HeapAllocator& DefaultHeapAllocator();
// Set-up: returns the allocator that was in use. Meant for tests; never while
// other threads grow buffers.
const HeapAllocator* SetHeapAllocator(const HeapAllocator* allocator);

class HeapBuffer {
 public:
  static constexpr int32_t kTextGranularity = 128;
  static constexpr int32_t kBlockGranularity = 4096;

  explicit HeapBuffer(int32_t granularity = kBlockGranularity);
  ~HeapBuffer() { Release(); }

  // Copies the bytes; a copy whose storage cannot be had is empty.
  HeapBuffer(const HeapBuffer& other);
  HeapBuffer& operator=(const HeapBuffer& other);
  HeapBuffer(HeapBuffer&& other) noexcept;
  HeapBuffer& operator=(HeapBuffer&& other) noexcept;

  // Sets the size to newSize (negative counts as 0), reallocating only when the
  // capacity is exceeded or, with allowShrink, when the size falls far below it.
  // Returns the data after the change: null when the size is 0. When storage
  // cannot be had, contents, capacity and size stay as they were.
  uint8_t* Resize(int32_t newSize, bool allowShrink = false);

  // Appends the bytes of other (which may be this buffer) and returns the new
  // size; on failure nothing is appended and the old size is returned.
  int32_t Append(const HeapBuffer& other);
  int32_t Append(const void* bytes, int32_t count);

  void Release();

  // Null whenever the size is 0, even with storage allocated.
  uint8_t* Data() { return size_ > 0 ? data_ : nullptr; }
  const uint8_t* Data() const { return size_ > 0 ? data_ : nullptr; }
  int32_t Size() const { return size_; }
  int32_t Capacity() const { return capacity_; }
  int32_t Granularity() const { return granularity_; }

 private:
  int32_t CapacityFor(int32_t newSize) const;
  bool Reallocate(int32_t newCapacity, int32_t newSize);

  uint8_t* data_ = nullptr;
  int32_t capacity_ = 0;
  int32_t size_ = 0;
  int32_t granularity_;
};

}  // namespace plugfw
