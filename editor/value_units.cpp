#include "editor/value_units.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/ascii_case.h"
#include "core/heap_string.h"
#include "core/param_format.h"
#include "effect/param_table.h"

namespace halcyra {
namespace {

// How a number is written for one unit: decimals, a forced sign, and the text after it.
struct NumberFormat {
  int32_t precision;
  bool showPlus;
  const char* suffix;
};

struct UnitFormat {
  const char* unit;
  NumberFormat format;
};

// Units whose text does not depend on the size of the value. Hz and ms pick their decimals
// by magnitude below.
constexpr UnitFormat kUnitFormats[] = {
    {"s", {2, false, " s"}},       {"cm", {1, false, " cm"}},   {"dB", {1, false, " dB"}},
    {"dBFS", {1, false, " dBFS"}}, {"%", {0, false, " %"}},     {":1", {2, false, ":1"}},
    {"x", {2, false, " x"}},       {"deg", {1, false, " deg"}}, {"Q", {2, false, " Q"}},
    {"cents", {1, true, " ct"}},   {"BPM", {1, false, " BPM"}},
};
constexpr NumberFormat kPlainNumberFormat = {2, false, ""};

constexpr double kKilohertz = 1000.0;
constexpr double kHertzWholeFrom = 10.0;
constexpr double kMillisecondsTenthsFrom = 1.0;
constexpr double kMillisecondsWholeFrom = 10.0;

// One accepted spelling of a unit (lower case, white space removed) and what it multiplies
// and divides the typed number by to give the parameter's own unit.
struct UnitSpelling {
  const char* unit;
  const char* suffix;
  double multiply;
  double divide;
};

constexpr UnitSpelling kUnitSpellings[] = {
    {"Hz", "", 1, 1},     {"Hz", "hz", 1, 1},       {"Hz", "k", 1000, 1},   {"Hz", "khz", 1000, 1},
    {"ms", "", 1, 1},     {"ms", "ms", 1, 1},       {"ms", "s", 1000, 1},   {"s", "", 1, 1},
    {"s", "s", 1, 1},     {"s", "ms", 1, 1000},     {"cm", "", 1, 1},       {"cm", "cm", 1, 1},
    {"cm", "m", 100, 1},  {"dB", "", 1, 1},         {"dB", "db", 1, 1},     {"dB", "dbfs", 1, 1},
    {"dBFS", "", 1, 1},   {"dBFS", "db", 1, 1},     {"dBFS", "dbfs", 1, 1}, {"%", "", 1, 1},
    {"%", "%", 1, 1},     {":1", "", 1, 1},         {":1", ":1", 1, 1},     {":1", "x", 1, 1},
    {"x", "", 1, 1},      {"x", ":1", 1, 1},        {"x", "x", 1, 1},       {"deg", "", 1, 1},
    {"deg", "deg", 1, 1}, {"deg", "degrees", 1, 1}, {"Q", "", 1, 1},        {"Q", "q", 1, 1},
    {"cents", "", 1, 1},  {"cents", "cents", 1, 1}, {"cents", "ct", 1, 1},  {"BPM", "", 1, 1},
    {"BPM", "bpm", 1, 1},
};

bool IsKnownUnit(const char* unit) {
  for (const UnitSpelling& spelling : kUnitSpellings) {
    if (std::strcmp(spelling.unit, unit) == 0) return true;
  }
  return false;
}

// The number and format that show `value` in `unit`.
NumberFormat FormatForUnit(const char* unit, double& value) {
  if (std::strcmp(unit, "Hz") == 0) {
    if (value >= kKilohertz) {
      value /= kKilohertz;
      return {2, false, " kHz"};
    }
    return {value < kHertzWholeFrom ? 2 : 0, false, " Hz"};
  }
  if (std::strcmp(unit, "ms") == 0) {
    const int32_t precision = value < kMillisecondsTenthsFrom ? 2 : value < kMillisecondsWholeFrom ? 1 : 0;
    return {precision, false, " ms"};
  }
  for (const UnitFormat& row : kUnitFormats) {
    if (std::strcmp(row.unit, unit) == 0) return row.format;
  }
  return kPlainNumberFormat;
}

bool IsAsciiSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The text after the number without white space, letters in lower case. False when it does
// not fit, which the length limit on the whole text rules out.
bool NormalizeSuffix(const char* rest, char* out, size_t capacity) {
  size_t length = 0;
  for (; *rest != '\0'; ++rest) {
    if (IsAsciiSpace(*rest)) continue;
    if (length + 1 >= capacity) return false;
    out[length++] = plugfw::AsciiLower(*rest);
  }
  out[length] = '\0';
  return true;
}

// Unknown units take only the bare number.
const UnitSpelling* FindSpelling(const char* unit, const char* suffix) {
  static constexpr UnitSpelling kBareNumber = {"", "", 1, 1};
  if (!IsKnownUnit(unit)) return suffix[0] == '\0' ? &kBareNumber : nullptr;
  for (const UnitSpelling& spelling : kUnitSpellings) {
    if (std::strcmp(spelling.unit, unit) == 0 && std::strcmp(spelling.suffix, suffix) == 0) return &spelling;
  }
  return nullptr;
}

// The bounds are 32-bit floats: the typed value is compared at that width, so "0.1" meets a
// minimum stored as 0.1f although the double 0.1 lies just below it.
bool LiesInRange(double value, const ParamDefinition& definition) {
  if (value > static_cast<double>(FLT_MAX) || value < -static_cast<double>(FLT_MAX)) return false;
  const float narrowed = static_cast<float>(value);
  return narrowed >= definition.minValue && narrowed <= definition.maxValue;
}

}  // namespace

const char* DisplayUnit(int32_t paramIdx) {
  if (VoiceFieldOfParam(paramIdx) == kVoiceRateRatio) return "x";
  const ParamDefinition* definition = GetParamDefinition(paramIdx);
  return definition != nullptr ? definition->unit : "";
}

void FormatValueWithUnit(int32_t paramIdx, double plainValue, char* out) {
  if (out == nullptr) return;
  double shown = plainValue;
  const NumberFormat format = FormatForUnit(DisplayUnit(paramIdx), shown);
  plugfw::HeapString number;
  plugfw::FormatParamNumber(shown, format.precision, format.showPlus, number);
  // A forced sign stays on zero too ("+0.0 ct"), as the knob's other values carry one.
  const char first = number.Get()[0];
  const char* sign = format.showPlus && first != '-' && first != '+' ? "+" : "";
  std::snprintf(out, kValueTextCapacity, "%s%s%s", sign, number.Get(), format.suffix);
}

bool ParseValueWithUnit(int32_t paramIdx, const char* text, double& value) {
  const ParamDefinition* definition = GetParamDefinition(paramIdx);
  if (definition == nullptr || text == nullptr) return false;
  if (std::strlen(text) > static_cast<size_t>(kValueEntryMaxLength)) return false;

  double number = 0.0;
  const char* rest = nullptr;
  if (plugfw::ReadLeadingNumber(text, number, &rest) != plugfw::LeadingNumber::kFinite) return false;
  char suffix[kValueEntryMaxLength + 1];
  if (!NormalizeSuffix(rest, suffix, sizeof(suffix))) return false;
  const UnitSpelling* spelling = FindSpelling(DisplayUnit(paramIdx), suffix);
  if (spelling == nullptr) return false;

  const double scaled = number * spelling->multiply / spelling->divide;
  if (!std::isfinite(scaled)) return false;
  if (scaled < 0.0 && definition->minValue >= 0.0f) return false;
  if (!LiesInRange(scaled, *definition)) return false;
  value = scaled;
  return true;
}

}  // namespace halcyra
