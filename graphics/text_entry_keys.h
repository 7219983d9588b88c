#pragma once
// What a key press means to the in-editor text entry: a shortcut of its own, the end of
// the entry, or a code for its editing engine. A typed character is its code point; any
// other key is the platform key code with kEngineKeyBit set; shift, control and alt add
// their bits. Which characters may be typed depends on the edited parameter's type and is
// decided on the typed character, never on the key that gave it. Pure functions; any thread.

#include <cstdint>
#include <optional>

#include "graphics/entry_characters.h"
#include "graphics/input_events.h"

namespace plugfw::gfx {

inline constexpr uint32_t kEngineKeyBit = 0x80000000u;
inline constexpr uint32_t kEngineShiftBit = 0x40000000u;
inline constexpr uint32_t kEngineControlBit = 0x20000000u;
inline constexpr uint32_t kEngineAltBit = 0x10000000u;
inline constexpr uint32_t kEngineModifierBits = kEngineShiftBit | kEngineControlBit | kEngineAltBit;

// The engine's own keys.
enum EngineKey : uint32_t {
  kEngineKeyBackspace = kEngineKeyBit | 0x08,
  kEngineKeyPageUp = kEngineKeyBit | 0x21,
  kEngineKeyPageDown = kEngineKeyBit | 0x22,
  kEngineKeyLineEnd = kEngineKeyBit | 0x23,
  kEngineKeyLineStart = kEngineKeyBit | 0x24,
  kEngineKeyLeft = kEngineKeyBit | 0x25,
  kEngineKeyUp = kEngineKeyBit | 0x26,
  kEngineKeyRight = kEngineKeyBit | 0x27,
  kEngineKeyDown = kEngineKeyBit | 0x28,
  kEngineKeyInsert = kEngineKeyBit | 0x2D,
  kEngineKeyDelete = kEngineKeyBit | 0x2E,
  kEngineKeyWordLeft = kEngineKeyLeft | kEngineControlBit,
  kEngineKeyWordRight = kEngineKeyRight | kEngineControlBit,
  kEngineKeyTextStart = kEngineKeyLineStart | kEngineControlBit,
  kEngineKeyTextEnd = kEngineKeyLineEnd | kEngineControlBit,
  kEngineKeyUndo = kEngineControlBit | 'z',
  kEngineKeyRedo = kEngineControlBit | kEngineShiftBit | 'z',
};

struct TextEntryKeyAction {
  enum class Kind { kNotHandled, kSelectAll, kCopy, kPaste, kCut, kCommit, kCancel, kEngine };
  Kind kind = Kind::kNotHandled;
  uint32_t code = 0;  // for kEngine
  // For kEngine: a key the entry understands (typing, an editing key, undo, redo), answered as
  // handled also when it changes nothing, so that it never reaches the host as a shortcut of
  // its own. Chords it has no meaning for (the host's save, Alt with a letter) go on.
  bool keptWhenUnchanged = false;
};

// allowed: what the control in edit takes; none when no control is in edit, so nothing is
// typed.
TextEntryKeyAction TranslateTextEntryKey(const KeyEvent& key, std::optional<EntryCharacters> allowed);

// The character an engine code inserts, or -1: only typed characters that are neither
// control characters nor lone surrogates, whatever modifiers came with them.
int32_t EngineCodeToCharacter(uint32_t code);

}  // namespace plugfw::gfx
