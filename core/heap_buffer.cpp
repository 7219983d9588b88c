#include "core/heap_buffer.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

namespace plugfw {
namespace {

constexpr int32_t kPageSize = 4096;
constexpr int32_t kPageOverhead = 96;  // leaves room for the allocator's own header
constexpr int32_t kMaxBlockStep = 4 * 1024 * 1024;

const HeapAllocator kSystemAllocator{
    [](size_t bytes) { return std::malloc(bytes); },
    [](void* block, size_t bytes) { return std::realloc(block, bytes); },
    [](void* block) { std::free(block); },
};

std::atomic<const HeapAllocator*> gAllocator{&kSystemAllocator};

const HeapAllocator& Allocator() { return *gAllocator.load(std::memory_order_acquire); }

}  // namespace

const HeapAllocator& DefaultHeapAllocator() { return kSystemAllocator; }

const HeapAllocator* SetHeapAllocator(const HeapAllocator* allocator) {
  return gAllocator.exchange(allocator ? allocator : &kSystemAllocator);
}

HeapBuffer::HeapBuffer(int32_t granularity) : granularity_(std::max<int32_t>(1, granularity)) {}

HeapBuffer::HeapBuffer(const HeapBuffer& other) : granularity_(other.granularity_) { Append(other); }

HeapBuffer& HeapBuffer::operator=(const HeapBuffer& other) {
  if (this == &other) return *this;
  if (Resize(other.size_, true) && size_ == other.size_) {
    std::memcpy(data_, other.data_, static_cast<size_t>(size_));
  } else {
    Resize(0, true);
  }
  return *this;
}

HeapBuffer::HeapBuffer(HeapBuffer&& other) noexcept
    : data_(other.data_), capacity_(other.capacity_), size_(other.size_), granularity_(other.granularity_) {
  other.data_ = nullptr;
  other.capacity_ = 0;
  other.size_ = 0;
}

HeapBuffer& HeapBuffer::operator=(HeapBuffer&& other) noexcept {
  if (this == &other) return *this;
  Release();
  data_ = other.data_;
  capacity_ = other.capacity_;
  size_ = other.size_;
  granularity_ = other.granularity_;
  other.data_ = nullptr;
  other.capacity_ = 0;
  other.size_ = 0;
  return *this;
}

int32_t HeapBuffer::CapacityFor(int32_t newSize) const {
  if (newSize == 0) return 0;
  const int64_t half = newSize / 2;
  int64_t capacity;
  if (granularity_ < kPageSize) {
    capacity = newSize + std::max<int64_t>(half, granularity_);
  } else {
    int64_t step = std::max<int64_t>(half, granularity_) / kPageSize * kPageSize;
    step = std::clamp<int64_t>(step, kPageSize, kMaxBlockStep);
    capacity = (newSize + step + kPageOverhead) / kPageSize * kPageSize - kPageOverhead;
  }
  // A size near the int32 limit gets exactly what it asked for, never a wrapped capacity.
  return static_cast<int32_t>(std::min<int64_t>(capacity, INT32_MAX));
}

bool HeapBuffer::Reallocate(int32_t newCapacity, int32_t newSize) {
  const HeapAllocator& allocator = Allocator();
  void* block = allocator.reallocate(data_, static_cast<size_t>(newCapacity));
  if (!block) {
    block = allocator.allocate(static_cast<size_t>(newCapacity));
    if (!block) return false;
    if (data_) {
      std::memcpy(block, data_, static_cast<size_t>(std::min(size_, newSize)));
      allocator.release(data_);
    }
  }
  data_ = static_cast<uint8_t*>(block);
  capacity_ = newCapacity;
  return true;
}

uint8_t* HeapBuffer::Resize(int32_t newSize, bool allowShrink) {
  newSize = std::max<int32_t>(0, newSize);
  if (newSize == size_) return Data();

  int32_t shrinkThreshold = 0;
  if (allowShrink && newSize < size_) {
    shrinkThreshold = std::max<int32_t>(1, std::min(capacity_ / 2, capacity_ - 4 * granularity_));
  }
  if (newSize > capacity_ || newSize < shrinkThreshold) {
    const int32_t newCapacity = CapacityFor(newSize);
    if (newCapacity == 0) {
      Release();
      return nullptr;
    }
    // A shrink that cannot get a smaller block keeps the one it has.
    if (!Reallocate(newCapacity, newSize) && newSize > capacity_) return Data();
  }
  size_ = newSize;
  return Data();
}

int32_t HeapBuffer::Append(const void* bytes, int32_t count) {
  if (count <= 0 || !bytes) return size_;
  const int32_t oldSize = size_;
  if (count > INT32_MAX - oldSize) return size_;
  // The source may lie inside this buffer; remember where, since growth can move it.
  const uint8_t* source = static_cast<const uint8_t*>(bytes);
  const bool inside = data_ && source >= data_ && source < data_ + capacity_;
  const ptrdiff_t offset = inside ? source - data_ : 0;
  Resize(oldSize + count, true);
  if (size_ != oldSize + count) return size_;
  if (inside) source = data_ + offset;
  std::memmove(data_ + oldSize, source, static_cast<size_t>(count));
  return size_;
}

int32_t HeapBuffer::Append(const HeapBuffer& other) { return Append(other.Data(), other.Size()); }

void HeapBuffer::Release() {
  if (data_) Allocator().release(data_);
  data_ = nullptr;
  capacity_ = 0;
  size_ = 0;
}

}  // namespace plugfw
