#pragma once
// Movable global memory holding a copy of some bytes: the form in which the
// clipboard and OLE take data. Windows-only header. Any thread.

#include <windows.h>

#include <cstddef>

namespace plugfw::gfx {

// A zero-initialised movable block holding bytes; null when it cannot be had.
// The receiver owns it.
HGLOBAL GlobalCopyOf(const void* bytes, size_t size);

}  // namespace plugfw::gfx
