#pragma once
// Whole words as little-endian bytes, byte by byte, so that stored chunks read the same on any
// machine. Any thread: pure functions.

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace plugfw {

template <typename Word>
void PutLittleEndian(uint8_t* at, Word value) {
  static_assert(std::is_unsigned<Word>::value, "words are packed as unsigned integers");
  for (size_t i = 0; i < sizeof(Word); ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

template <typename Word>
Word GetLittleEndian(const uint8_t* at) {
  static_assert(std::is_unsigned<Word>::value, "words are packed as unsigned integers");
  Word value = 0;
  for (size_t i = 0; i < sizeof(Word); ++i) value |= static_cast<Word>(at[i]) << (8 * i);
  return value;
}

}  // namespace plugfw
