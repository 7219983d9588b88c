#include "graphics/text_entry_keys.h"

#include "graphics/text_entry_utf.h"

namespace plugfw::gfx {
namespace {

// Platform key codes the entry acts on itself.
constexpr int32_t kKeyBackspace = 0x08;
constexpr int32_t kKeyTab = 0x09;
constexpr int32_t kKeyEnter = 0x0D;
constexpr int32_t kKeyEscape = 0x1B;
constexpr int32_t kKeySpace = 0x20;
constexpr int32_t kKeyDelete = 0x2E;

// Keys that become their engine codes whatever they type.
bool IsEngineKey(int32_t keyCode) {
  return keyCode == kKeyBackspace || (keyCode >= 0x21 && keyCode <= 0x28) || keyCode == kKeyDelete;
}

constexpr uint32_t kCodePointMask = 0x001FFFFF;

uint32_t ModifierBits(const KeyEvent& key) {
  return (key.shift ? kEngineShiftBit : 0) | (key.control ? kEngineControlBit : 0) |
         (key.alt ? kEngineAltBit : 0);
}

TextEntryKeyAction Act(TextEntryKeyAction::Kind kind, uint32_t code = 0) { return {kind, code}; }

// Control without alt: with alt too it is AltGr, which types characters on many layouts.
bool ShortcutHeld(const KeyEvent& key) { return key.control && !key.alt; }

// Whether the entry owns the key whatever it changes: a plain key, or one that gives text, is
// typing (refused or not); an editing key is the entry's with shift or control, and undo and
// redo always are. What is left is a chord with control or alt that the entry has no use for.
bool EntryUnderstands(const KeyEvent& key, uint32_t typed, uint32_t code) {
  if (!(key.control || key.alt)) return true;
  if (typed != 0 && !IsControlCharacter(typed)) return true;
  if (code == kEngineKeyUndo || code == kEngineKeyRedo) return true;
  return IsEngineKey(key.keyCode) && !key.alt;
}

}  // namespace

TextEntryKeyAction TranslateTextEntryKey(const KeyEvent& key, std::optional<EntryCharacters> allowed) {
  using Kind = TextEntryKeyAction::Kind;
  if (ShortcutHeld(key)) {
    switch (key.keyCode) {
      case 'A':
        return Act(Kind::kSelectAll);
      case 'C':
        return Act(Kind::kCopy);
      case 'V':
        return Act(Kind::kPaste);
      case 'X':
        return Act(Kind::kCut);
      case 'Z': {
        TextEntryKeyAction undo = Act(Kind::kEngine, key.shift ? kEngineKeyRedo : kEngineKeyUndo);
        undo.keptWhenUnchanged = true;
        return undo;
      }
      default:
        break;
    }
  }
  const uint32_t typed = FirstCodePoint(key.utf8, sizeof key.utf8);
  uint32_t code = 0;
  if (IsEngineKey(key.keyCode)) {
    code = kEngineKeyBit | static_cast<uint32_t>(key.keyCode);
  } else if (key.keyCode == kKeySpace) {
    code = ' ';
  } else if (key.keyCode == kKeyTab) {
    return Act(Kind::kNotHandled);
  } else if (key.keyCode == kKeyEnter) {
    return Act(Kind::kCommit);
  } else if (key.keyCode == kKeyEscape) {
    return Act(Kind::kCancel);
  } else if (!allowed) {
    return Act(Kind::kNotHandled);
  } else if (typed != 0 && EntryTakesCharacter(typed, *allowed)) {
    code = typed;
  } else {
    // Refused, or no text: only the engine's own keys act on such a code, never as typing.
    code = kEngineKeyBit | (static_cast<uint32_t>(key.keyCode) & ~kEngineKeyBit & ~kEngineModifierBits);
  }
  TextEntryKeyAction action = Act(Kind::kEngine, code | ModifierBits(key));
  action.keptWhenUnchanged = EntryUnderstands(key, typed, action.code);
  return action;
}

int32_t EngineCodeToCharacter(uint32_t code) {
  if ((code & kEngineKeyBit) != 0) return -1;
  const uint32_t c = code & kCodePointMask;
  if (IsControlCharacter(c) || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return -1;
  return static_cast<int32_t>(c);
}

}  // namespace plugfw::gfx
