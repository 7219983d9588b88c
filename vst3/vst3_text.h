#pragma once
// UTF-8 to UTF-16 and back for the texts that cross the VST3 interfaces (names, units,
// display strings). Invalid UTF-8 bytes become U+FFFD; unpaired surrogates likewise. Both
// cut on a whole character and always terminate the output. Any thread: pure functions.

#include <cstdint>

#include "pluginterfaces/base/ftypes.h"

namespace plugfw {

// Writes at most capacity - 1 units and a terminator; answers the units written.
int32_t Utf8ToUtf16(const char* text, Steinberg::char16* out, int32_t capacity);
// Writes at most capacity - 1 bytes and a terminator; answers the bytes written.
int32_t Utf16ToUtf8(const Steinberg::char16* text, char* out, int32_t capacity);

}  // namespace plugfw
