#pragma once
// Parameter values as a musician reads and types them: a number with its unit ("2.50 Hz",
// "1.20 kHz", "250 ms", "+3.0 ct"), and the reverse with the unit's accepted spellings and
// scalings ("2.5 k", "0.25 s"). Numbers are written and read without the C runtime's locale,
// so a host that sets a comma locale changes nothing. Pure functions over the parameter
// table: any thread.

#include <cstdint>

namespace halcyra {

constexpr int32_t kValueTextCapacity = 64;
// The longest text a value entry takes, in bytes; longer texts are refused, not cut, so that
// nothing typed is silently lost.
constexpr int32_t kValueEntryMaxLength = 32;

// The unit a knob shows for the parameter: "x" for every voice's Rate Ratio, else the table's
// unit ("" for none or an index outside 0..127). Never null.
const char* DisplayUnit(int32_t paramIdx);

// Writes the value with its unit into out (kValueTextCapacity bytes, always terminated).
// A value that rounds to zero is shown without a minus sign.
void FormatValueWithUnit(int32_t paramIdx, double plainValue, char* out);

// True, with the plain value in `value`, when the text is a finite decimal number followed by
// one of the unit's spellings (white space anywhere after the number, any letter case) and
// the scaled value lies in the parameter's range. The range test allows for the bounds being
// 32-bit floats, so a displayed minimum or maximum typed back is accepted. Refused: no text,
// texts over kValueEntryMaxLength, hexadecimal, "inf", "nan", other suffixes, a negative value
// for a parameter whose minimum is 0 or more, and indices outside 0..127. `value` changes
// only on success.
bool ParseValueWithUnit(int32_t paramIdx, const char* text, double& value);

}  // namespace halcyra
