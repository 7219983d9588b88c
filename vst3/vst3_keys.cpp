#include "vst3/vst3_keys.h"

#include "core/utf8_encode.h"

namespace plugfw {
namespace {

// VST3 key codes that have a Windows key of their own; codes from 128 on are characters.
constexpr int16_t kVst3Space = 7;
constexpr int16_t kVst3FirstNumpadOrFunction = 24;
constexpr int16_t kVst3LastNumpadOrFunction = 51;
constexpr int32_t kNumpadOrFunctionOffset = 72;  // 24 -> VK_NUMPAD0 (0x60) .. 51 -> VK_F12 (0x7B)
constexpr int16_t kVst3FirstCharacterCode = 128;
constexpr int32_t kCharacterCodeOffset = 80;  // 128 -> '0'
constexpr int16_t kVst3Equals = 57;
constexpr int32_t kWindowsSpace = 0x20;

struct KeyRow {
  int16_t vst3;
  int32_t windows;
};
constexpr KeyRow kKeyRows[] = {
    {1, 0x08},  {2, 0x09},  {3, 0x0C},  {4, 0x0D},  {19, 0x0D}, {5, 0x13},  {6, 0x1B},
    {7, 0x20},  {8, 0x22},  {16, 0x22}, {9, 0x23},  {10, 0x24}, {11, 0x25}, {12, 0x26},
    {13, 0x27}, {14, 0x28}, {15, 0x21}, {17, 0x29}, {18, 0x2A}, {20, 0x2C}, {21, 0x2D},
    {22, 0x2E}, {23, 0x2F}, {52, 0x90}, {53, 0x91}, {54, 0x10}, {55, 0x11}, {56, 0x12},
};

constexpr int16_t kNoKey = -1;
constexpr int16_t kVirtualKeyMask = 0xFF;

int32_t KeyOfCharacter(char16_t character, CharacterKeyScan scan) {
  if (scan == nullptr) return 0;
  const int16_t key = scan(character);
  // The high byte is the shift state the character needs, not part of the key.
  return key == kNoKey ? 0 : key & kVirtualKeyMask;
}

// The character a key code stands for when the host sends none.
char16_t CharacterOfCode(int16_t vst3KeyCode) {
  if (vst3KeyCode & 0x80) return static_cast<char16_t>((vst3KeyCode - kCharacterCodeOffset) & 0xFF);
  if (vst3KeyCode == kVst3Space) return u' ';
  return 0;
}

// One UTF-16 unit as UTF-8; nothing for none and for a lone surrogate half.
void WriteUtf8(char16_t c, char (&out)[gfx::kKeyUtf8Capacity]) {
  for (char& byte : out) byte = 0;
  if (c == 0 || (c >= 0xD800 && c <= 0xDFFF)) return;
  EncodeUtf8CodePoint(c, out);
}

}  // namespace

int32_t WindowsVirtualKeyFromVst3Key(int16_t vst3KeyCode, char16_t character, CharacterKeyScan scan) {
  if (vst3KeyCode == 0 || vst3KeyCode == kVst3Equals) return KeyOfCharacter(character, scan);
  for (const KeyRow& row : kKeyRows) {
    if (row.vst3 == vst3KeyCode) return row.windows;
  }
  if (vst3KeyCode >= kVst3FirstNumpadOrFunction && vst3KeyCode <= kVst3LastNumpadOrFunction) {
    return vst3KeyCode + kNumpadOrFunctionOffset;
  }
  if (vst3KeyCode >= kVst3FirstCharacterCode) return vst3KeyCode - kCharacterCodeOffset;
  return 0;
}

gfx::KeyEvent Vst3KeyToKeyPress(char16_t character, int16_t vst3KeyCode, int16_t modifiers,
                                CharacterKeyScan scan) {
  gfx::KeyEvent event;
  WriteUtf8(character != 0 ? character : CharacterOfCode(vst3KeyCode), event.utf8);
  event.keyCode = WindowsVirtualKeyFromVst3Key(vst3KeyCode, character, scan);
  event.shift = (modifiers & 0x1) != 0;
  event.alt = (modifiers & 0x2) != 0;
  event.control = (modifiers & 0x4) != 0;
  return event;
}

bool Vst3KeyForSpaceOnlyHost(int16_t vst3KeyCode, gfx::KeyEvent& event) {
  if (vst3KeyCode != kVst3Space) return false;
  event = gfx::KeyEvent{};
  event.keyCode = kWindowsSpace;
  event.utf8[0] = ' ';
  return true;
}

}  // namespace plugfw
