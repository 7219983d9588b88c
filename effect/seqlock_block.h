#pragma once
// SeqLockBlock<N>: N doubles handed from one writer thread (the audio thread) to
// any number of readers through a 32-bit sequence counter. The writer never
// waits, allocates or locks; a reader attempt fails when it overlaps a write and
// the caller decides whether to retry. Every word is an atomic, so no access races.

#include <atomic>
#include <cassert>
#include <cstddef>
#include <cstdint>

namespace halcyra {

// ThreadSanitizer does not model standalone fences (GCC refuses them under
// -fsanitize=thread), so there each data access carries the ordering itself:
// release stores and acquire loads give the same guarantee.
#if defined(__SANITIZE_THREAD__)
#define HALCYRA_SEQLOCK_ORDER_PER_WORD 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define HALCYRA_SEQLOCK_ORDER_PER_WORD 1
#endif
#endif

template <std::size_t N>
class SeqLockBlock {
 public:
  static constexpr std::size_t kSize = N;
  static_assert(std::atomic<double>::is_always_lock_free, "the writer must never take a lock");
  static_assert(std::atomic<uint32_t>::is_always_lock_free, "the writer must never take a lock");

  // Zeroes, or the first N values of `initial`: the content readers get before any write.
  SeqLockBlock() {
    for (std::atomic<double>& word : words_) word.store(0.0, std::memory_order_relaxed);
  }
  explicit SeqLockBlock(const double* initial) {
    for (std::size_t i = 0; i < N; ++i) words_[i].store(initial[i], std::memory_order_relaxed);
  }
  SeqLockBlock(const SeqLockBlock&) = delete;
  SeqLockBlock& operator=(const SeqLockBlock&) = delete;

  // Writer side, one thread only: BeginWrite, any number of Store, EndWrite.
  void BeginWrite() {
    sequence_.fetch_add(1, std::memory_order_relaxed);  // odd: readers now reject the block
#if !defined(HALCYRA_SEQLOCK_ORDER_PER_WORD)
    // Keeps the odd count ahead of every data store below, for any reader that sees one of them.
    std::atomic_thread_fence(std::memory_order_release);
#endif
  }

  void Store(std::size_t index, double value) {
    assert(index < N);
    words_[index].store(value, kDataStoreOrder);
  }

  void EndWrite() { sequence_.fetch_add(1, std::memory_order_release); }

  // One read attempt into out[0..N): true when the copy is one whole publication.
  // On false, out may hold a mixture and must be discarded.
  bool TryRead(double* out) const {
    const uint32_t before = sequence_.load(std::memory_order_acquire);
    if (before & 1u) return false;
    for (std::size_t i = 0; i < N; ++i) out[i] = words_[i].load(kDataLoadOrder);
#if !defined(HALCYRA_SEQLOCK_ORDER_PER_WORD)
    // Keeps the data loads ahead of the re-check of the counter.
    std::atomic_thread_fence(std::memory_order_acquire);
#endif
    return sequence_.load(std::memory_order_relaxed) == before;
  }

  uint32_t Sequence() const { return sequence_.load(std::memory_order_acquire); }

 private:
#if defined(HALCYRA_SEQLOCK_ORDER_PER_WORD)
  static constexpr std::memory_order kDataStoreOrder = std::memory_order_release;
  static constexpr std::memory_order kDataLoadOrder = std::memory_order_acquire;
#else
  static constexpr std::memory_order kDataStoreOrder = std::memory_order_relaxed;
  static constexpr std::memory_order kDataLoadOrder = std::memory_order_relaxed;
#endif

  std::atomic<uint32_t> sequence_{0};
  std::atomic<double> words_[N];
};

}  // namespace halcyra
