#pragma once
// CriticalSection and ScopedLock: the one lock kind of the framework's UI-side
// lists and caches (timer list, graphics and font caches, instance creation).
// Recursive, since a timer function may create or stop timers under the list lock.
// Any thread: a lock that the audio thread never takes.

#include <mutex>

namespace plugfw {

class CriticalSection {
 public:
  void Enter() { mutex_.lock(); }
  void Leave() { mutex_.unlock(); }

 private:
  std::recursive_mutex mutex_;
};

// Holds one critical section for a scope; made with none it does nothing.
class ScopedLock {
 public:
  explicit ScopedLock(CriticalSection* section) : section_(section) {
    if (section_) section_->Enter();
  }
  ~ScopedLock() { Release(); }
  ScopedLock(const ScopedLock&) = delete;
  ScopedLock& operator=(const ScopedLock&) = delete;

  void Release() {
    if (section_) section_->Leave();
    section_ = nullptr;
  }

 private:
  CriticalSection* section_;
};

}  // namespace plugfw
