#include "vst3/vst3_parameters.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/heap_string.h"
#include "vst3/vst3_text.h"

namespace plugfw {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr int32_t kCannotAutomateFlag = 0x1;
constexpr int32_t kVst3TextUnits = 128;  // String128
constexpr int32_t kUtf8TextBytes = 4 * kVst3TextUnits + 1;

int32 StepCount(const IParam& param) {
  if (param.Type() == ParamType::kDouble) return 0;
  return static_cast<int32>(param.Max() - param.Min());
}

}  // namespace

ParameterInfo DescribeParameter(const IParam& param, ParamID id, UnitID unit) {
  ParameterInfo info{};
  info.id = id;
  Utf8ToUtf16(param.Name(), info.title, kVst3TextUnits);
  info.shortTitle[0] = 0;
  Utf8ToUtf16(param.Label(), info.units, kVst3TextUnits);
  info.stepCount = StepCount(param);
  info.defaultNormalizedValue = param.GetDefault(true);
  info.unitId = unit;
  info.flags = (param.Flags() & kCannotAutomateFlag) ? 0 : ParameterInfo::kCanAutomate;
  if (param.Type() == ParamType::kEnumerated) info.flags |= ParameterInfo::kIsList;
  return info;
}

IVST3Parameter::IVST3Parameter(IParam& param, ParamID id, UnitID unit) : param_(param) {
  info = DescribeParameter(param, id, unit);
  valueNormalized = info.defaultNormalizedValue;
  precision = param.DisplayPrecision();
}

void IVST3Parameter::toString(ParamValue normalized, String128 text) const {
  HeapString display;
  param_.FormatParamDisplay(normalized, true, display);
  Utf8ToUtf16(display.Get(), text, kVst3TextUnits);
}

bool IVST3Parameter::fromString(const TChar* text, ParamValue& normalized) const {
  char utf8[kUtf8TextBytes];
  Utf16ToUtf8(text, utf8, sizeof utf8);
  double parsed = 0;
  // "nan" or "inf" typed into a host's field must not reach the parameter.
  if (param_.TryParseParamText(utf8, parsed) && !std::isfinite(parsed)) return false;
  char* end = nullptr;
  const double number = std::strtod(utf8, &end);
  if (end != utf8 && !std::isfinite(number)) return false;
  const double result = param_.ToNormalized(param_.ParseParamText(utf8));
  if (!std::isfinite(result)) return false;
  normalized = result;
  return true;
}

ParamValue IVST3Parameter::toPlain(ParamValue normalized) const { return param_.FromNormalized(normalized); }

ParamValue IVST3Parameter::toNormalized(ParamValue plain) const { return param_.ToNormalized(plain); }

IVST3BypassParameter::IVST3BypassParameter()
    : StringListParameter(STR16("Bypass"), kBypassParamId, nullptr,
                          ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsBypass,
                          kRootUnitId, nullptr) {
  appendString(STR16("off"));
  appendString(STR16("on"));
}

}  // namespace plugfw

namespace plugfw {

void IVST3BypassParameter::toString(Steinberg::Vst::ParamValue valueNormalized,
                                    Steinberg::Vst::String128 text) const {
  const double position = std::isfinite(valueNormalized) ? std::clamp(valueNormalized, 0.0, 1.0) : 0.0;
  StringListParameter::toString(position, text);
}

}  // namespace plugfw
