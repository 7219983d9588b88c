#pragma once
// Number texts for parameter displays and text entry, built without printf's %f
// rounding or strtod's locale, so a value reads and shows the same under every C
// runtime and host locale. Any thread: pure functions.

#include <cstdint>

#include "core/heap_string.h"

namespace plugfw {

constexpr int32_t kMaxParamDisplayLength = 32;
constexpr int32_t kMaxDisplayPrecision = 6;

// Writes value with precision decimals (limited to 0..6), rounded half away from
// zero. A result that rounds to zero has no sign; showPlus puts "+" before any
// other positive result. At most kMaxParamDisplayLength characters.
void FormatParamNumber(double value, int32_t precision, bool showPlus, HeapString& out);

enum class LeadingNumber { kNone, kFinite, kOutOfRange };

// Reads the decimal number at the start of text: optional white space, an
// optional sign, digits with an optional '.', an optional exponent. The rest of
// the text is ignored. "inf", "nan" and hexadecimal are not numbers here.
// number is set only for kFinite; so is *rest, when given, to the first character
// after the number.
LeadingNumber ReadLeadingNumber(const char* text, double& number, const char** rest = nullptr);

}  // namespace plugfw
