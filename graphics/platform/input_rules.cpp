#include "graphics/platform/input_rules.h"

#include "core/utf8_encode.h"
#include "core/utf_conversion.h"

namespace plugfw::gfx {
namespace {

constexpr int32_t kWheelDelta = 120;

constexpr int32_t kCursorIdsByKind[] = {
    kArrowCursorId,  // 0 arrow
    32513,           // 1 I-beam
    32514,           // 2 wait
    32515,           // 3 cross
    32516,           // 4 up arrow
    32642,           // 5 size NW-SE
    32643,           // 6 size NE-SW
    32644,           // 7 size W-E
    32645,           // 8 size N-S
    32646,           // 9 size all
    32648,           // 10 no
    32649,           // 11 hand
    32650,           // 12 app starting
    32651,           // 13 help
};

// Writes codePoint as UTF-8 with a terminator.
void EncodeUtf8(uint32_t codePoint, char (&utf8)[5]) { utf8[EncodeUtf8CodePoint(codePoint, utf8)] = '\0'; }

}  // namespace

float WheelNotches(uint64_t wParam) {
  const auto delta = static_cast<int16_t>((wParam >> 16) & 0xFFFF);
  return static_cast<float>(delta / kWheelDelta);
}

bool IsPenOrTouchMessage(uint64_t extraInfo) { return (extraInfo & kPenSignatureMask) == kPenSignature; }

bool IsDuplicateOfTouchInput(uint64_t extraInfo, bool windowTakesTouch) {
  return windowTakesTouch && IsPenOrTouchMessage(extraInfo) && (extraInfo & kTouchMessageBit) != 0;
}

int32_t SystemCursorIdOfKind(int32_t kind) {
  constexpr int32_t kKinds = static_cast<int32_t>(sizeof(kCursorIdsByKind) / sizeof(kCursorIdsByKind[0]));
  return kind >= 0 && kind < kKinds ? kCursorIdsByKind[kind] : kArrowCursorId;
}

bool KeyTextFromUtf16(const uint16_t* units, int32_t count, char (&utf8)[5]) {
  utf8[0] = '\0';
  if (count <= 0) return true;
  if (count == 2 && IsHighSurrogate(units[0]) && IsLowSurrogate(units[1])) {
    EncodeUtf8(0x10000 + ((units[0] - 0xD800u) << 10) + (units[1] - 0xDC00u), utf8);
    return true;
  }
  if (count > 1) return false;
  // A lone surrogate is no character.
  if (!IsHighSurrogate(units[0]) && !IsLowSurrogate(units[0])) EncodeUtf8(units[0], utf8);
  return true;
}

}  // namespace plugfw::gfx
