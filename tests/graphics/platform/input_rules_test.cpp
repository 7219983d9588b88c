// Wheel notches, pen and touch signatures, cursor kinds and key texts.

#include "graphics/platform/input_rules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace plugfw::gfx {
namespace {

uint64_t WheelParam(int16_t delta, uint16_t keys = 0) {
  return (static_cast<uint64_t>(static_cast<uint16_t>(delta)) << 16) | keys;
}

TEST(WheelNotches, CountsWholeNotchesOnly) {
  struct Case {
    int16_t delta;
    float notches;
  };
  const Case cases[] = {{120, 1.f}, {-240, -2.f}, {60, 0.f}, {-60, 0.f}, {359, 2.f}, {-121, -1.f}};
  for (const Case& c : cases) EXPECT_EQ(WheelNotches(WheelParam(c.delta)), c.notches) << c.delta;
  EXPECT_EQ(WheelNotches(WheelParam(-240, 0x0009)), -2.f) << "held buttons and keys in the low word";
}

TEST(PenAndTouchMessages, AreToldApartBySignatureAndTouchBit) {
  struct Case {
    uint64_t extraInfo;
    bool penOrTouch, ignoredWithTouch;
  };
  const Case cases[] = {
      {0, false, false},         {0xFF515700, true, false},   // pen
      {0xFF515701, true, false},                              // pen, button bits below the signature
      {0xFF515780, true, true},                               // touch
      {0xFF515781, true, true},  {0xFF515600, false, false},  // another signature
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsPenOrTouchMessage(c.extraInfo), c.penOrTouch) << std::hex << c.extraInfo;
    EXPECT_EQ(IsDuplicateOfTouchInput(c.extraInfo, true), c.ignoredWithTouch) << std::hex << c.extraInfo;
    EXPECT_FALSE(IsDuplicateOfTouchInput(c.extraInfo, false)) << "a window without touch input keeps them";
  }
}

TEST(SystemCursorIdOfKind, FollowsTheKindTableAndFallsBackToTheArrow) {
  // The system's cursor resource numbers.
  const int32_t expected[] = {32512, 32513, 32514, 32515, 32516, 32642, 32643,
                              32644, 32645, 32646, 32648, 32649, 32650, 32651};
  for (int32_t kind = 0; kind < 14; ++kind) EXPECT_EQ(SystemCursorIdOfKind(kind), expected[kind]) << kind;
  for (int32_t kind : {-1, 14, 1000}) EXPECT_EQ(SystemCursorIdOfKind(kind), 32512) << kind;
}

TEST(KeyTextFromUtf16, GivesOneCharacterAsUtf8) {
  struct Case {
    uint16_t units[2];
    int32_t count;
    bool dispatched;
    std::string text;
  };
  const Case cases[] = {
      {{'a'}, 1, true, "a"},
      {{0x00E9}, 1, true, "\xC3\xA9"},                  // e acute
      {{0x20AC}, 1, true, "\xE2\x82\xAC"},              // euro sign
      {{0xD83D, 0xDE00}, 2, true, "\xF0\x9F\x98\x80"},  // outside the basic plane
      {{0x0D}, 1, true, "\r"},                          // Enter still says what it is
      {{0}, 0, true, ""},                               // a key without a character
      {{0x00B4}, -1, true, ""},                         // a dead key waits for the next
      {{0xD83D}, 1, true, ""},                          // half a pair is no character
      {{'a', 'b'}, 2, false, ""},                       // two characters are not the editor's
  };
  for (const Case& c : cases) {
    char utf8[5] = {'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(KeyTextFromUtf16(c.units, c.count, utf8), c.dispatched) << c.units[0];
    if (c.dispatched) {
      EXPECT_EQ(std::string(utf8), c.text) << c.units[0];
    }
  }
}

}  // namespace
}  // namespace plugfw::gfx
