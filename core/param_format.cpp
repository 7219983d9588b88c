#include "core/param_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace plugfw {
namespace {

// Below this every double is an integer that int64 holds exactly.
constexpr double kExactIntegerLimit = 9007199254740992.0;  // 2^53
constexpr int64_t kPowersOfTen[kMaxDisplayPrecision + 1] = {1, 10, 100, 1000, 10000, 100000, 1000000};

// Writes at least minDigits decimal digits of n so that they end just before end;
// returns the position of the first one.
char* WriteDigitsBefore(char* end, int64_t n, int32_t minDigits) {
  int32_t written = 0;
  do {
    *--end = static_cast<char>('0' + n % 10);
    n /= 10;
    ++written;
  } while (n > 0 || written < minDigits);
  return end;
}

void FormatNonFinite(double value, bool showPlus, HeapString& out) {
  if (std::isnan(value)) {
    out.Set("nan");
  } else {
    out.Set(value < 0 ? "-inf" : showPlus ? "+inf" : "inf");
  }
}

// Rare: such values exceed any sensible parameter range. Integral doubles print
// exactly under both C runtimes this code is built for.
void FormatLargeNumber(double value, int32_t precision, bool showPlus, HeapString& out) {
  if (showPlus) {
    out.SetFormatted(kMaxParamDisplayLength, "%+.*f", precision, value);
  } else {
    out.SetFormatted(kMaxParamDisplayLength, "%.*f", precision, value);
  }
}

bool IsAsciiSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void FormatParamNumber(double value, int32_t precision, bool showPlus, HeapString& out) {
  precision = std::clamp<int32_t>(precision, 0, kMaxDisplayPrecision);
  if (!std::isfinite(value)) {
    FormatNonFinite(value, showPlus, out);
    return;
  }
  const double units = std::round(std::fabs(value) * static_cast<double>(kPowersOfTen[precision]));
  if (units >= kExactIntegerLimit) {
    FormatLargeNumber(value, precision, showPlus, out);
    return;
  }
  const auto exactUnits = static_cast<int64_t>(units);
  char text[40];
  char* end = text + sizeof(text) - 1;
  *end = 0;
  char* start = end;
  if (precision > 0) {
    start = WriteDigitsBefore(start, exactUnits % kPowersOfTen[precision], precision);
    *--start = '.';
  }
  start = WriteDigitsBefore(start, exactUnits / kPowersOfTen[precision], 1);
  // A value that rounds to zero shows no sign, so -0.001 never reads "-0.00".
  if (exactUnits != 0 && value < 0) {
    *--start = '-';
  } else if (exactUnits != 0 && showPlus) {
    *--start = '+';
  }
  out.Set(start, kMaxParamDisplayLength);
}

LeadingNumber ReadLeadingNumber(const char* text, double& number, const char** rest) {
  if (!text) return LeadingNumber::kNone;
  while (IsAsciiSpace(*text)) ++text;
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  // Keeps from_chars from reading a second sign, "inf" or "nan".
  if (!IsAsciiDigit(*text) && *text != '.') return LeadingNumber::kNone;
  double magnitude = 0;
  const auto [end, error] = std::from_chars(text, text + std::strlen(text), magnitude);
  if (error == std::errc::result_out_of_range) return LeadingNumber::kOutOfRange;
  if (error != std::errc()) return LeadingNumber::kNone;
  if (!std::isfinite(magnitude)) return LeadingNumber::kOutOfRange;
  number = negative ? -magnitude : magnitude;
  if (rest) *rest = end;
  return LeadingNumber::kFinite;
}

}  // namespace plugfw
