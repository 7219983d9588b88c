#pragma once
// PointerList: object pointers kept in a HeapBuffer of granularity 4096.
// The list deletes its objects on DeleteAll and destruction unless it was made
// as a plain reference list. Any thread, one at a time.

#include <cstdint>
#include <cstring>

#include "core/heap_buffer.h"

namespace plugfw {

enum class ListOwnership { kOwns, kRefersOnly };

template <typename T>
class PointerList {
 public:
  explicit PointerList(ListOwnership ownership = ListOwnership::kOwns) : ownership_(ownership) {}
  ~PointerList() { DeleteAll(); }
  PointerList(const PointerList&) = delete;
  PointerList& operator=(const PointerList&) = delete;

  int32_t Count() const { return buffer_.Size() / kSlot; }

  // Returns the stored pointer, or null when growth failed (the pointer is then
  // not stored and, for an owning list, still belongs to the caller).
  T* Add(T* item) {
    const int32_t oldSize = buffer_.Size();
    buffer_.Resize(oldSize + kSlot, false);
    if (buffer_.Size() != oldSize + kSlot) return nullptr;
    std::memcpy(buffer_.Data() + oldSize, &item, kSlot);
    return item;
  }

  // Places item at index (0 .. Count()), moving later entries up. False when
  // the index is out of range or growth failed.
  bool Insert(int32_t index, T* item) {
    const int32_t count = Count();
    if (index < 0 || index > count) return false;
    buffer_.Resize((count + 1) * kSlot, false);
    if (buffer_.Size() != (count + 1) * kSlot) return false;
    uint8_t* at = buffer_.Data() + index * kSlot;
    std::memmove(at + kSlot, at, static_cast<size_t>(count - index) * kSlot);
    std::memcpy(at, &item, kSlot);
    return true;
  }

  T* Get(int32_t index) const {
    if (index < 0 || index >= Count()) return nullptr;
    T* item;
    std::memcpy(&item, buffer_.Data() + index * kSlot, kSlot);
    return item;
  }

  int32_t Find(const T* item) const {
    for (int32_t i = 0; i < Count(); ++i) {
      if (Get(i) == item) return i;
    }
    return -1;
  }

  // Takes the entry out without deleting its object; storage is kept.
  // False for an index out of range.
  bool Remove(int32_t index) {
    const int32_t count = Count();
    if (index < 0 || index >= count) return false;
    uint8_t* at = buffer_.Data() + index * kSlot;
    std::memmove(at, at + kSlot, static_cast<size_t>(count - index - 1) * kSlot);
    buffer_.Resize((count - 1) * kSlot, false);
    return true;
  }

  // From the last entry down, so an object's destructor may still read the
  // entries before it.
  void DeleteAll() {
    for (int32_t i = Count() - 1; i >= 0; --i) {
      T* item = Get(i);
      buffer_.Resize(i * kSlot, false);
      if (ownership_ == ListOwnership::kOwns) delete item;
    }
    buffer_.Resize(0, false);
  }

 private:
  static constexpr int32_t kSlot = static_cast<int32_t>(sizeof(T*));
  HeapBuffer buffer_{HeapBuffer::kBlockGranularity};
  ListOwnership ownership_;
};

}  // namespace plugfw
