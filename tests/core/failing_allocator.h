#pragma once
// Swaps in an allocator that refuses every request while the fixture lives.

#include "core/heap_buffer.h"

namespace plugfw::test {

class FailingAllocatorScope {
 public:
  FailingAllocatorScope() : previous_(SetHeapAllocator(&kRefusing)) {}
  ~FailingAllocatorScope() { SetHeapAllocator(previous_); }

 private:
  static inline const HeapAllocator kRefusing{
      [](size_t) -> void* { return nullptr; },
      [](void*, size_t) -> void* { return nullptr; },
      [](void* block) { DefaultHeapAllocator().release(block); },
  };
  const HeapAllocator* previous_;
};

}  // namespace plugfw::test
