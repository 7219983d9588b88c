#include "tests/core/counting_allocator.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

#include "core/heap_buffer.h"

#if defined(_WIN32)
#include <malloc.h>
#endif

namespace plugfw::test {
namespace {

constexpr long kUnlimited = -1;

std::atomic<bool> counting{false};
std::atomic<long> counted{0};
std::atomic<long> grantsLeft{kUnlimited};
std::atomic<bool> refused{false};
constexpr long kNoSingleFailure = -1;
std::atomic<long> singleFailureAt{kNoSingleFailure};
std::atomic<long> requestsSinceSingleFailureSet{0};

// Every request passes here first: counted while a counter lives, refused once a limit is spent
// or when it is the one request a single failure picked.
bool Grant() {
  if (counting.load(std::memory_order_relaxed)) counted.fetch_add(1, std::memory_order_relaxed);
  const long failAt = singleFailureAt.load(std::memory_order_relaxed);
  if (failAt != kNoSingleFailure &&
      requestsSinceSingleFailureSet.fetch_add(1, std::memory_order_relaxed) == failAt) {
    refused.store(true, std::memory_order_relaxed);
    return false;
  }
  long left = grantsLeft.load(std::memory_order_relaxed);
  while (left != kUnlimited) {
    if (left == 0) {
      refused.store(true, std::memory_order_relaxed);
      return false;
    }
    if (grantsLeft.compare_exchange_weak(left, left - 1, std::memory_order_relaxed)) return true;
  }
  return true;
}

void* Allocate(std::size_t size) { return Grant() ? std::malloc(size == 0 ? 1 : size) : nullptr; }

void* AllocateAligned(std::size_t size, std::align_val_t alignment) {
  if (!Grant()) return nullptr;
  const auto align = static_cast<std::size_t>(alignment);
  const std::size_t bytes = size == 0 ? align : size;
#if defined(_WIN32)
  return _aligned_malloc(bytes, align);
#else
  void* block = nullptr;
  return posix_memalign(&block, align < sizeof(void*) ? sizeof(void*) : align, bytes) == 0 ? block : nullptr;
#endif
}

// Out of line so that the compiler cannot pair an inlined free with operator new.
__attribute__((noinline)) void Release(void* block) noexcept { std::free(block); }

__attribute__((noinline)) void ReleaseAligned(void* block) noexcept {
#if defined(_WIN32)
  _aligned_free(block);
#else
  std::free(block);
#endif
}

const HeapAllocator kCountingHeap{
    [](size_t bytes) -> void* { return Grant() ? std::malloc(bytes) : nullptr; },
    [](void* block, size_t bytes) -> void* { return Grant() ? std::realloc(block, bytes) : nullptr; },
    [](void* block) { std::free(block); },
};

// HeapBuffers of the whole program go through the same gate; the default allocator is malloc too,
// so blocks made before this runs are released correctly.
[[maybe_unused]] const bool heapInstalled = (SetHeapAllocator(&kCountingHeap), true);

}  // namespace

AllocationCounter::AllocationCounter() {
  counted.store(0, std::memory_order_relaxed);
  counting.store(true, std::memory_order_seq_cst);
}

AllocationCounter::~AllocationCounter() { counting.store(false, std::memory_order_seq_cst); }

long AllocationCounter::Count() const { return counted.load(std::memory_order_seq_cst); }

AllocationLimit::AllocationLimit(long granted) {
  refused.store(false, std::memory_order_relaxed);
  grantsLeft.store(granted < 0 ? 0 : granted, std::memory_order_seq_cst);
}

AllocationLimit::~AllocationLimit() { grantsLeft.store(kUnlimited, std::memory_order_seq_cst); }

bool AllocationLimit::Refused() const { return refused.load(std::memory_order_seq_cst); }

SingleAllocationFailure::SingleAllocationFailure(long index) {
  refused.store(false, std::memory_order_relaxed);
  requestsSinceSingleFailureSet.store(0, std::memory_order_relaxed);
  singleFailureAt.store(index < 0 ? 0 : index, std::memory_order_seq_cst);
}

SingleAllocationFailure::~SingleAllocationFailure() {
  singleFailureAt.store(kNoSingleFailure, std::memory_order_seq_cst);
}

bool SingleAllocationFailure::Refused() const { return refused.load(std::memory_order_seq_cst); }

}  // namespace plugfw::test

using plugfw::test::Allocate;
using plugfw::test::AllocateAligned;
using plugfw::test::Release;
using plugfw::test::ReleaseAligned;

void* operator new(std::size_t size) {
  void* block = Allocate(size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new(std::size_t size, std::align_val_t alignment) {
  void* block = AllocateAligned(size, alignment);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}
void* operator new[](std::size_t size, std::align_val_t alignment) { return operator new(size, alignment); }
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return AllocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return AllocateAligned(size, alignment);
}

void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete(void* block, std::align_val_t) noexcept { ReleaseAligned(block); }
void operator delete[](void* block, std::align_val_t) noexcept { ReleaseAligned(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { ReleaseAligned(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { ReleaseAligned(block); }
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept { ReleaseAligned(block); }
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept {
  ReleaseAligned(block);
}
