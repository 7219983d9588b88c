#pragma once
// The allocator of a test program that links counting_allocator.cpp (the object library
// halcyra_counting_allocator): every operator new and new[] of the program - throwing, nothrow and
// over-aligned - and every HeapBuffer request pass through it, so that a test can count what a
// stretch of code allocates and make a chosen request fail. Outside the scopes below it only
// forwards to the C allocator. One scope of each kind at a time.

namespace plugfw::test {

// Any thread: counts the requests made on every thread while it lives.
class AllocationCounter {
 public:
  AllocationCounter();
  ~AllocationCounter();
  AllocationCounter(const AllocationCounter&) = delete;
  AllocationCounter& operator=(const AllocationCounter&) = delete;

  long Count() const;
};

// While it lives, the first `granted` requests succeed and every later one is refused: operator
// new throws std::bad_alloc, the nothrow forms and HeapBuffer answer null. Test assertions must wait
// until it is gone, since they allocate too.
class AllocationLimit {
 public:
  explicit AllocationLimit(long granted);
  ~AllocationLimit();
  AllocationLimit(const AllocationLimit&) = delete;
  AllocationLimit& operator=(const AllocationLimit&) = delete;

  // True once a request was refused.
  bool Refused() const;
};

// While it lives, the request of the given number (from 0) is refused and every other one is
// granted: one allocation fails and the code goes on. Same refusals as AllocationLimit's.
class SingleAllocationFailure {
 public:
  explicit SingleAllocationFailure(long index);
  ~SingleAllocationFailure();
  SingleAllocationFailure(const SingleAllocationFailure&) = delete;
  SingleAllocationFailure& operator=(const SingleAllocationFailure&) = delete;

  // True once the request was refused.
  bool Refused() const;
};

// Runs make() with 0, 1, 2, ... requests granted, so that each of its allocations fails in turn,
// until a run needed no refusal; answers that run's number of grants. After every run, with the
// limit gone, check(made, refused) judges what make answered. An exception out of make fails the
// calling test.
template <typename Make, typename Check>
long WithEachAllocationFailing(Make make, Check check) {
  for (long granted = 0;; ++granted) {
    decltype(make()) made{};
    bool refused = false;
    {
      AllocationLimit limit(granted);
      made = make();
      refused = limit.Refused();
    }
    check(made, refused);
    if (!refused) return granted;
  }
}

}  // namespace plugfw::test
