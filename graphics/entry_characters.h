#pragma once
// Which characters typing a value for a parameter may bring: the rule that the in-editor
// text entry and the platform's edit box share. Pure functions; any thread.

#include <cstdint>

namespace plugfw {
class IParam;
}

namespace plugfw::gfx {

enum class EntryCharacters {
  kAny,      // no parameter, or one without a numeric type
  kInteger,  // "+", "-" and digits
  kDecimal,  // also "."
};

// A boolean, integer or enumerated parameter takes integers, a double decimals; null or
// any other type takes anything.
EntryCharacters EntryCharactersFor(const IParam* param);

// The C0 controls and DEL: never typed into an entry, never pasted into one.
bool IsControlCharacter(uint32_t character);

// Whether a printable character may be typed into such an entry.
bool EntryTakesCharacter(uint32_t character, EntryCharacters allowed);

}  // namespace plugfw::gfx
