#include "core/utf_conversion.h"

#include <cwchar>

#include "core/utf8_encode.h"

namespace plugfw {
namespace {

bool IsContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

// Per lead byte: the sequence's length and the range of its second byte, which is where RFC 3629
// rules out over-long forms, surrogates and code points past U+10FFFF.
struct LeadRule {
  uint8_t firstLead, lastLead;
  int32_t length;
  uint8_t secondMin, secondMax;
  uint8_t payloadMask;
};

constexpr LeadRule kLeadRules[] = {
    {0xC2, 0xDF, 2, 0x80, 0xBF, 0x1F}, {0xE0, 0xE0, 3, 0xA0, 0xBF, 0x0F}, {0xE1, 0xEC, 3, 0x80, 0xBF, 0x0F},
    {0xED, 0xED, 3, 0x80, 0x9F, 0x0F}, {0xEE, 0xEF, 3, 0x80, 0xBF, 0x0F}, {0xF0, 0xF0, 4, 0x90, 0xBF, 0x07},
    {0xF1, 0xF3, 4, 0x80, 0xBF, 0x07}, {0xF4, 0xF4, 4, 0x80, 0x8F, 0x07},
};

const LeadRule* RuleFor(uint8_t lead) {
  for (const LeadRule& rule : kLeadRules) {
    if (lead >= rule.firstLead && lead <= rule.lastLead) return &rule;
  }
  return nullptr;
}

// The end of a terminated text is its terminator; of any other, its length, so nothing past it
// is read.
template <typename Unit>
bool AtEnd(const Unit* text, size_t at, size_t length) {
  return length == kToTerminator ? text[at] == Unit{0} : at >= length;
}

}  // namespace

Utf8Character DecodeUtf8Character(const char* text, size_t available) {
  Utf8Character character;
  const uint8_t lead = static_cast<uint8_t>(text[0]);
  if (lead < 0x80) return {lead, 1, true};
  const LeadRule* rule = RuleFor(lead);
  if (rule == nullptr) return character;
  uint32_t value = lead & rule->payloadMask;
  for (int32_t i = 1; i < rule->length; ++i) {
    // A NUL fits neither test, so a terminated text is never read past its end either.
    const uint8_t byte = static_cast<size_t>(i) < available ? static_cast<uint8_t>(text[i]) : 0;
    const bool fits = i == 1 ? byte >= rule->secondMin && byte <= rule->secondMax : IsContinuation(byte);
    if (!fits) {
      character.length = i;
      return character;
    }
    value = (value << 6) | (byte & 0x3F);
  }
  return {value, rule->length, true};
}

namespace {

// Where a conversion writes: whole characters while they fit with the terminator after them,
// then nothing more, though it goes on counting what the whole text needs.
template <typename Unit>
class ConversionOutput {
 public:
  ConversionOutput(Unit* out, size_t capacity) : out_(out), capacity_(out != nullptr ? capacity : 0) {}

  void Put(const Unit* units, size_t count) {
    result_.needed += count;
    full_ = full_ || result_.written + count + 1 > capacity_;
    if (full_) return;
    for (size_t i = 0; i < count; ++i) out_[result_.written++] = units[i];
  }
  void MarkReplaced() { result_.replaced = true; }
  TextConversion Finish() {
    if (capacity_ > 0) out_[result_.written] = Unit{0};
    return result_;
  }

 private:
  Unit* out_;
  size_t capacity_;
  TextConversion result_;
  bool full_ = false;
};

}  // namespace

template <typename Unit>
TextConversion ConvertUtf8ToUtf16(const char* text, size_t length, Unit* out, size_t capacity) {
  ConversionOutput<Unit> output(out, capacity);
  const bool terminated = length == kToTerminator;
  for (size_t at = 0; text != nullptr && !AtEnd(text, at, length);) {
    const Utf8Character character = DecodeUtf8Character(text + at, terminated ? kToTerminator : length - at);
    at += static_cast<size_t>(character.length);
    if (!character.wellFormed) output.MarkReplaced();
    if (character.codePoint > 0xFFFF) {
      const uint32_t offset = character.codePoint - 0x10000;
      const Unit pair[] = {static_cast<Unit>(0xD800 + (offset >> 10)),
                           static_cast<Unit>(0xDC00 + (offset & 0x3FF))};
      output.Put(pair, 2);
    } else {
      const Unit unit = static_cast<Unit>(character.codePoint);
      output.Put(&unit, 1);
    }
  }
  return output.Finish();
}

template <typename Unit>
TextConversion ConvertUtf16ToUtf8(const Unit* text, size_t length, char* out, size_t capacity) {
  ConversionOutput<char> output(out, capacity);
  const bool terminated = length == kToTerminator;
  for (size_t at = 0; text != nullptr && !AtEnd(text, at, length);) {
    uint32_t codePoint = static_cast<uint16_t>(text[at++]);
    if (IsHighSurrogate(codePoint) && (terminated || at < length) &&
        IsLowSurrogate(static_cast<uint16_t>(text[at]))) {
      codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (static_cast<uint16_t>(text[at++]) - 0xDC00);
    } else if (IsHighSurrogate(codePoint) || IsLowSurrogate(codePoint)) {
      codePoint = kReplacementCharacter;
      output.MarkReplaced();
    }
    char bytes[4];
    output.Put(bytes, static_cast<size_t>(EncodeUtf8CodePoint(codePoint, bytes)));
  }
  return output.Finish();
}

template <typename Unit>
int32_t Utf8ToUtf16(const char* text, Unit* out, int32_t capacity) {
  if (capacity < 1) return 0;
  return static_cast<int32_t>(
      ConvertUtf8ToUtf16(text, kToTerminator, out, static_cast<size_t>(capacity)).written);
}

template <typename Unit>
int32_t Utf16ToUtf8(const Unit* text, char* out, int32_t capacity) {
  if (capacity < 1) return 0;
  return static_cast<int32_t>(
      ConvertUtf16ToUtf8(text, kToTerminator, out, static_cast<size_t>(capacity)).written);
}

template <typename Unit>
std::basic_string<Unit> Utf16String(const char* text, size_t length, bool* replaced) {
  const TextConversion measured = ConvertUtf8ToUtf16<Unit>(text, length, nullptr, 0);
  if (replaced != nullptr) *replaced = measured.replaced;
  std::basic_string<Unit> wide(measured.needed, Unit{0});
  if (measured.needed > 0) ConvertUtf8ToUtf16(text, length, &wide[0], measured.needed + 1);
  return wide;
}

template <typename Unit>
std::string Utf8String(const Unit* text, size_t length, bool* replaced) {
  const TextConversion measured = ConvertUtf16ToUtf8<Unit>(text, length, nullptr, 0);
  if (replaced != nullptr) *replaced = measured.replaced;
  std::string utf8(measured.needed, '\0');
  if (measured.needed > 0) ConvertUtf16ToUtf8(text, length, &utf8[0], measured.needed + 1);
  return utf8;
}

#define PLUGFW_UTF_CONVERSIONS_FOR(Unit)                                                \
  template TextConversion ConvertUtf8ToUtf16<Unit>(const char*, size_t, Unit*, size_t); \
  template TextConversion ConvertUtf16ToUtf8<Unit>(const Unit*, size_t, char*, size_t); \
  template int32_t Utf8ToUtf16<Unit>(const char*, Unit*, int32_t);                      \
  template int32_t Utf16ToUtf8<Unit>(const Unit*, char*, int32_t);                      \
  template std::basic_string<Unit> Utf16String<Unit>(const char*, size_t, bool*);       \
  template std::string Utf8String<Unit>(const Unit*, size_t, bool*);

PLUGFW_UTF_CONVERSIONS_FOR(char16_t)
#if WCHAR_MAX <= 0xFFFF
PLUGFW_UTF_CONVERSIONS_FOR(wchar_t)
#endif
#undef PLUGFW_UTF_CONVERSIONS_FOR

}  // namespace plugfw
