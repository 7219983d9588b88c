#include "vst3/vst3_keys.h"

#include <gtest/gtest.h>

#include <string>

namespace plugfw {
namespace {

// A layout where 'a' is key 0x41 and '?' needs shift on key 0xBF; nothing else has a key.
int16_t FakeLayout(char16_t character) {
  if (character == u'a') return 0x41;
  if (character == u'?') return 0x01BF;
  return -1;
}

TEST(Vst3Keys, CodesMapToWindowsKeys) {
  struct Case {
    int16_t code;
    int32_t windows;
  };
  const Case cases[] = {
      {1, 0x08},  {2, 0x09},  {4, 0x0D},   {19, 0x0D},  {6, 0x1B},  {7, 0x20},  {8, 0x22},  {16, 0x22},
      {15, 0x21}, {11, 0x25}, {14, 0x28},  {22, 0x2E},  {24, 0x60}, {40, 0x70}, {51, 0x7B}, {52, 0x90},
      {54, 0x10}, {56, 0x12}, {128, 0x30}, {137, 0x39}, {100, 0},   {58, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WindowsVirtualKeyFromVst3Key(c.code, 0, FakeLayout), c.windows) << c.code;
  }
}

TEST(Vst3Keys, CharactersTakeTheLayoutsKeyWithoutItsShiftState) {
  EXPECT_EQ(WindowsVirtualKeyFromVst3Key(0, u'a', FakeLayout), 0x41);
  EXPECT_EQ(WindowsVirtualKeyFromVst3Key(0, u'?', FakeLayout), 0xBF);
  EXPECT_EQ(WindowsVirtualKeyFromVst3Key(57, u'a', FakeLayout), 0x41);
  EXPECT_EQ(WindowsVirtualKeyFromVst3Key(0, u'\u00e9', FakeLayout), 0);  // no key in this layout
  EXPECT_EQ(WindowsVirtualKeyFromVst3Key(0, u'a', nullptr), 0);
}

TEST(Vst3Keys, EventCarriesCharacterAndModifiers) {
  gfx::KeyEvent event = Vst3KeyToKeyPress(u'a', 0, 0x1 | 0x4, FakeLayout);
  EXPECT_EQ(event.keyCode, 0x41);
  EXPECT_STREQ(event.utf8, "a");
  EXPECT_TRUE(event.shift);
  EXPECT_FALSE(event.alt);
  EXPECT_TRUE(event.control);

  event = Vst3KeyToKeyPress(0, 7, 0x2, FakeLayout);  // space without a character
  EXPECT_EQ(event.keyCode, 0x20);
  EXPECT_STREQ(event.utf8, " ");
  EXPECT_TRUE(event.alt);

  EXPECT_STREQ(Vst3KeyToKeyPress(0, 130, 0, FakeLayout).utf8, "2");
  EXPECT_STREQ(Vst3KeyToKeyPress(0, 40, 0, FakeLayout).utf8, "");  // F1 gives no character
  EXPECT_EQ(std::string(Vst3KeyToKeyPress(u'\u00e9', 0, 0, FakeLayout).utf8), "\xc3\xa9");
  EXPECT_EQ(std::string(Vst3KeyToKeyPress(u'\u20ac', 0, 0, FakeLayout).utf8), "\xe2\x82\xac");
  EXPECT_STREQ(Vst3KeyToKeyPress(u'\xd83d', 0, 0, FakeLayout).utf8, "");  // half a surrogate pair
}

TEST(Vst3Keys, TheSpaceOnlyHostGetsOnlySpace) {
  gfx::KeyEvent event;
  ASSERT_TRUE(Vst3KeyForSpaceOnlyHost(7, event));
  EXPECT_EQ(event.keyCode, 0x20);
  EXPECT_STREQ(event.utf8, " ");
  EXPECT_FALSE(Vst3KeyForSpaceOnlyHost(0, event));
  EXPECT_FALSE(Vst3KeyForSpaceOnlyHost(40, event));
}

}  // namespace
}  // namespace plugfw
