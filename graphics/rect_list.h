#pragma once
// RectList: an ordered list of rectangles in a growable buffer - the dirty areas of a frame.
// Growth failures leave the list as it was. UI thread.

#include <cstdint>
#include <cstring>

#include "core/heap_buffer.h"
#include "graphics/rect.h"

namespace plugfw::gfx {

class RectList {
 public:
  int32_t Count() const { return buffer_.Size() / kSlot; }
  // An index outside the list reads as an unset rect.
  Rect Get(int32_t index) const {
    Rect rect;
    if (index >= 0 && index < Count()) std::memcpy(&rect, buffer_.Data() + index * kSlot, kSlot);
    return rect;
  }
  void Set(int32_t index, const Rect& rect) {
    if (index >= 0 && index < Count()) std::memcpy(buffer_.Data() + index * kSlot, &rect, kSlot);
  }
  // False when the list could not grow.
  bool Add(const Rect& rect) {
    const int32_t size = buffer_.Size();
    buffer_.Resize(size + kSlot, false);
    if (buffer_.Size() != size + kSlot) return false;
    std::memcpy(buffer_.Data() + size, &rect, kSlot);
    return true;
  }
  void Remove(int32_t index) {
    const int32_t count = Count();
    if (index < 0 || index >= count) return;
    uint8_t* at = buffer_.Data() + index * kSlot;
    std::memmove(at, at + kSlot, static_cast<size_t>(count - index - 1) * kSlot);
    buffer_.Resize((count - 1) * kSlot, false);
  }
  void Clear() { buffer_.Resize(0, false); }

 private:
  static constexpr int32_t kSlot = static_cast<int32_t>(sizeof(Rect));
  HeapBuffer buffer_{HeapBuffer::kBlockGranularity};
};

}  // namespace plugfw::gfx
