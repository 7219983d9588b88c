#include "graphics/entry_characters.h"

#include "core/param.h"

namespace plugfw::gfx {
namespace {

constexpr uint32_t kFirstPrintable = 0x20;
constexpr uint32_t kDeleteCharacter = 0x7F;

bool IsSignOrDigit(uint32_t character) {
  return character == '+' || character == '-' || (character >= '0' && character <= '9');
}

}  // namespace

bool IsControlCharacter(uint32_t character) {
  return character < kFirstPrintable || character == kDeleteCharacter;
}

EntryCharacters EntryCharactersFor(const IParam* param) {
  if (param == nullptr) return EntryCharacters::kAny;
  switch (param->Type()) {
    case ParamType::kBoolean:
    case ParamType::kInteger:
    case ParamType::kEnumerated:
      return EntryCharacters::kInteger;
    case ParamType::kDouble:
      return EntryCharacters::kDecimal;
    default:
      return EntryCharacters::kAny;
  }
}

bool EntryTakesCharacter(uint32_t character, EntryCharacters allowed) {
  switch (allowed) {
    case EntryCharacters::kInteger:
      return IsSignOrDigit(character);
    case EntryCharacters::kDecimal:
      return IsSignOrDigit(character) || character == '.';
    case EntryCharacters::kAny:
      break;
  }
  return true;
}

}  // namespace plugfw::gfx
