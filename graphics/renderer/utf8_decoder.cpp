#include "graphics/renderer/utf8_decoder.h"

namespace plugfw::gfx {
namespace {

// Byte classes: 0 ASCII; continuation bytes 1 (80-8F), 9 (90-9F), 7 (A0-BF); 8 never
// valid (C0, C1, F5-FF); leads 2 (C2-DF), 10 (E0), 3 (E1-EC, EE-EF), 4 (ED), 11 (F0),
// 6 (F1-F3), 5 (F4). Each class's lead bits are masked off by 0xFF >> class.
constexpr uint8_t ClassOf(uint32_t b) {
  if (b < 0x80) return 0;
  if (b < 0x90) return 1;
  if (b < 0xA0) return 9;
  if (b < 0xC0) return 7;
  if (b < 0xC2) return 8;
  if (b < 0xE0) return 2;
  if (b == 0xE0) return 10;
  if (b == 0xED) return 4;
  if (b < 0xF0) return 3;
  if (b == 0xF0) return 11;
  if (b < 0xF4) return 6;
  if (b == 0xF4) return 5;
  return 8;
}

struct ClassTable {
  uint8_t of[256];
};
constexpr ClassTable MakeClassTable() {
  ClassTable table{};
  for (uint32_t b = 0; b < 256; ++b) table.of[b] = ClassOf(b);
  return table;
}
constexpr ClassTable kClasses = MakeClassTable();

// Next state by state / 12 (row) and byte class (column). States: 0 accept, 12 reject,
// 24 one continuation byte due, 36 two due, 48 after E0 (A0-BF due, no over-long form),
// 60 after ED (80-9F due, no surrogate), 72 after F0 (90-BF due, no over-long form),
// 84 three due, 96 after F4 (80-8F due, nothing above U+10FFFF).
constexpr uint8_t R = kUtf8Reject;
constexpr uint8_t kTransitions[9][12] = {
    //  0   1   2   3   4   5   6   7   8   9  10  11   <- class
    {0, R, 24, 36, 60, 96, 84, R, R, R, 48, 72},  // 0 accept
    {R, R, R, R, R, R, R, R, R, R, R, R},         // 12 reject
    {R, 0, R, R, R, R, R, 0, R, 0, R, R},         // 24
    {R, 24, R, R, R, R, R, 24, R, 24, R, R},      // 36
    {R, R, R, R, R, R, R, 24, R, R, R, R},        // 48
    {R, 24, R, R, R, R, R, R, R, 24, R, R},       // 60
    {R, R, R, R, R, R, R, 36, R, 36, R, R},       // 72
    {R, 36, R, R, R, R, R, 36, R, 36, R, R},      // 84
    {R, 36, R, R, R, R, R, R, R, R, R, R},        // 96
};

}  // namespace

uint32_t Utf8Decode(uint32_t* state, uint32_t* codePoint, uint8_t byte) {
  uint32_t type = kClasses.of[byte];
  *codePoint = *state != kUtf8Accept ? (byte & 0x3Fu) | (*codePoint << 6) : (0xFFu >> type) & byte;
  *state = kTransitions[*state / 12][type];
  return *state;
}

}  // namespace plugfw::gfx
