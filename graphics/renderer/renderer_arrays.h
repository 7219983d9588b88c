#pragma once
// Growth of the renderer's plain arrays of records. A failed growth keeps the old block, so
// callers drop the one item they were adding and carry on. UI thread.

#include <cstdint>
#include <cstdlib>
#include <type_traits>

namespace plugfw::gfx {

// Makes room for `capacity` records; false (and nothing changed) when memory cannot be had.
template <typename T>
bool ResizeRecords(T*& records, int32_t& currentCapacity, int64_t capacity) {
  static_assert(std::is_trivially_copyable<T>::value, "records are moved as bytes");
  if (capacity <= currentCapacity) return true;
  if (capacity > INT32_MAX / static_cast<int64_t>(sizeof(T))) return false;
  void* grown = std::realloc(records, static_cast<size_t>(capacity) * sizeof(T));
  if (grown == nullptr) return false;
  records = static_cast<T*>(grown);
  currentCapacity = static_cast<int32_t>(capacity);
  return true;
}

}  // namespace plugfw::gfx
