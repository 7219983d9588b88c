#include "graphics/platform/global_memory_win32.h"

#include <cstring>

namespace plugfw::gfx {

HGLOBAL GlobalCopyOf(const void* bytes, size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (block == nullptr) return nullptr;
  void* data = GlobalLock(block);
  if (data == nullptr) {
    GlobalFree(block);
    return nullptr;
  }
  std::memcpy(data, bytes, size);
  GlobalUnlock(block);
  return block;
}

}  // namespace plugfw::gfx
