#pragma once
// ReadFileBytes: a whole file's bytes from a UTF-8 path, all of them or none. Any thread: it
// shares nothing but the file.

#include "core/heap_buffer.h"

namespace plugfw {

// Any thread. Replaces bytes with the file's content. False, bytes empty, when the file
// cannot be opened or read to its end, or is too large for a buffer (2 GiB and more): a
// short read never passes for the file.
bool ReadFileBytes(const char* path, HeapBuffer& bytes);

}  // namespace plugfw
