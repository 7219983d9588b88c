#pragma once
// VST3 key events as the toolkit's KeyEvent: the VST3 virtual key codes mapped to Windows
// virtual keys, the character as UTF-8, and the modifier bits. Character keys without a VST3
// code are looked up in the keyboard layout through a seam, so the table runs on any platform;
// the Windows build passes WindowsKeyScan (vst3_keys_win32.cpp). UI thread, like the view.

#include <cstdint>

#include "graphics/input_events.h"

namespace plugfw {

// The layout's key for a character, as VkKeyScanExW answers: virtual key in the low byte,
// shift state in the high byte, -1 when the layout has no key for it.
using CharacterKeyScan = int16_t (*)(char16_t character);

// UI thread: VkKeyScanExW with the calling thread's keyboard layout.
int16_t WindowsKeyScan(char16_t character);

// The Windows virtual key of a VST3 key code; 0 for codes without one and for characters the
// layout has no key for.
int32_t WindowsVirtualKeyFromVst3Key(int16_t vst3KeyCode, char16_t character, CharacterKeyScan scan);

// The whole event. Modifier bits: 0x1 shift, 0x2 alternate (alt), 0x4 command (control).
gfx::KeyEvent Vst3KeyToKeyPress(char16_t character, int16_t vst3KeyCode, int16_t modifiers,
                                CharacterKeyScan scan);

// The one host that hands plug-ins nothing but the space bar: its key code 7 becomes a space,
// every other key is left to the host (false).
bool Vst3KeyForSpaceOnlyHost(int16_t vst3KeyCode, gfx::KeyEvent& event);

}  // namespace plugfw
