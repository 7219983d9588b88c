#pragma once
// Utf8Decoder: a table-driven UTF-8 decoder fed one byte at a time, as text layout walks
// a run. It accepts exactly well-formed UTF-8 (no over-long forms, no surrogates, nothing
// above U+10FFFF); once it rejects a byte it stays rejected. Any thread (no shared state).

#include <cstdint>

namespace plugfw::gfx {

enum Utf8DecoderState : uint32_t {
  kUtf8Accept = 0,  // a code point is complete (or nothing has started)
  kUtf8Reject = 12  // an invalid sequence was seen; never left
};

// Feeds byte into *state and *codePoint; returns the new state. *codePoint holds a whole
// code point when the result is kUtf8Accept.
uint32_t Utf8Decode(uint32_t* state, uint32_t* codePoint, uint8_t byte);

}  // namespace plugfw::gfx
