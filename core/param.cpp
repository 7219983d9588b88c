#include "core/param.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <utility>

#include "core/ascii_case.h"
#include "core/param_format.h"
#include "core/utf8_prefix.h"

namespace plugfw {
namespace {

constexpr const char* kParamSourceNames[] = {"Reset",           "Host",      "Preset", "UI",
                                             "Editor Delegate", "Recompile", "Unknown"};
static_assert(std::size(kParamSourceNames) == static_cast<size_t>(ParamSource::kCount),
              "one name per ParamSource");

// The exponential shape's stand-in for a minimum at or below zero.
constexpr double kExpShapeFloor = 1e-8;

double FiniteOr(double value, double fallback) { return std::isfinite(value) ? value : fallback; }

void LimitDisplayLength(HeapString& text) {
  if (text.Length() <= kMaxParamDisplayLength) return;
  const int32_t length = Utf8PrefixLength(text.Get(), kMaxParamDisplayLength);
  if (length == 0) {
    text.Set("");
  } else {
    text.Set(text.Get(), length);
  }
}

// A step such as 0.07 reaches 7.000000000000001 after two multiplications; it
// counts as integral there, so the precision is 2 and not 6.
bool IsIntegralStep(double step) {
  if (step == std::floor(step)) return true;
  const double nearest = std::round(step);
  return nearest != 0 && std::fabs(step - nearest) <= 1e-9 * std::fabs(step);
}

int32_t DisplayPrecisionForStep(double step) {
  int32_t precision = 0;
  while (!IsIntegralStep(step) && precision < kMaxDisplayPrecision) {
    step *= 10;
    ++precision;
  }
  return precision;
}

}  // namespace

const char* ParamSourceName(ParamSource source) {
  const auto index = static_cast<int32_t>(source);
  if (index < 0 || index >= static_cast<int32_t>(ParamSource::kCount)) return "Unknown";
  return kParamSourceNames[index];
}

std::unique_ptr<IParam::Shape> IParam::ShapeLinear::Clone() const {
  return std::make_unique<ShapeLinear>(*this);
}

double IParam::ShapeLinear::NormalizedToValue(double x, const IParam& param) const {
  return param.Min() + (param.Max() - param.Min()) * x;
}

double IParam::ShapeLinear::ValueToNormalized(double v, const IParam& param) const {
  const double width = param.Max() - param.Min();
  if (!(width > 0)) return 0;
  return (v - param.Min()) / width;
}

std::unique_ptr<IParam::Shape> IParam::ShapeExp::Clone() const { return std::make_unique<ShapeExp>(*this); }

void IParam::ShapeExp::Init(const IParam& param) {
  const double low = param.Min() > 0 ? param.Min() : kExpShapeFloor;
  const double high = std::max(param.Max(), low);
  add_ = std::log(low);
  mul_ = std::log(high / low);
}

double IParam::ShapeExp::NormalizedToValue(double x, const IParam&) const {
  return std::exp(x * mul_ + add_);
}

double IParam::ShapeExp::ValueToNormalized(double v, const IParam&) const {
  // The logarithm has no value at or below zero; such values sit at the bottom.
  if (!(v > 0) || mul_ == 0) return 0;
  return (std::log(v) - add_) / mul_;
}

IParam::IParam() : shape_(std::make_unique<ShapeLinear>()) {}

void IParam::InitDoubleParam(const char* name, double defaultValue, double min, double max, double step,
                             const char* label, int32_t flags, const char* group, const Shape& shape,
                             int32_t unit, DisplayFunction displayFunction) {
  if (type_ == ParamType::kNone) type_ = ParamType::kDouble;
  CopyUtf8Prefix(name_, name);
  CopyUtf8Prefix(label_, label);
  CopyUtf8Prefix(group_, group);
  min_ = FiniteOr(min, 0);
  step_ = FiniteOr(step, 0);
  // A range of at least one step; and never an inverted one, even for a negative step.
  max_ = std::max({FiniteOr(max, min_), FiniteOr(min_ + step_, min_), min_});
  default_ = FiniteOr(defaultValue, min_);
  unit_ = unit;
  flags_ = flags;
  displayFunction_ = std::move(displayFunction);
  value_.exchange(ClampValue(default_), std::memory_order_relaxed);
  displayPrecision_ = DisplayPrecisionForStep(step_);
  if (std::unique_ptr<Shape> copy = shape.Clone()) shape_ = std::move(copy);
  shape_->Init(*this);
}

void IParam::InitIntParam(const char* name, int32_t defaultValue, int32_t min, int32_t max, const char* label,
                          int32_t flags, const char* group) {
  if (type_ == ParamType::kNone) type_ = ParamType::kInteger;
  InitDoubleParam(name, defaultValue, min, max, 1, label, flags | kParamFlagStepped, group, ShapeLinear(),
                  kParamUnitCustom, nullptr);
}

void IParam::InitBoolParam(const char* name, bool defaultValue, const char* label, int32_t flags,
                           const char* group) {
  if (type_ == ParamType::kNone) type_ = ParamType::kBoolean;
  InitIntParam(name, defaultValue ? 1 : 0, 0, 1, label, flags, group);
}

void IParam::InitEnumParam(const char* name, int32_t defaultValue, int32_t count, const char* label,
                           int32_t flags, const char* group) {
  if (type_ == ParamType::kNone) type_ = ParamType::kEnumerated;
  InitIntParam(name, defaultValue, 0, std::max<int32_t>(count, 1) - 1, label, flags, group);
}

bool IParam::AddDisplayText(double value, const char* text) {
  // A non-finite value could never be shown, and parsing its text would yield it.
  if (!std::isfinite(value)) return false;
  DisplayText entry{value, {}};
  CopyUtf8Prefix(entry.text, text);
  const int32_t expected = displayTexts_.Size() + static_cast<int32_t>(sizeof(entry));
  return displayTexts_.Append(&entry, static_cast<int32_t>(sizeof(entry))) == expected;
}

double IParam::ClampValue(double v) const {
  // One NaN stored here would make every later saved state unloadable.
  if (!std::isfinite(v)) v = default_;
  if (HasFlag(kParamFlagStepped) && step_ != 0) v = std::round(v / step_) * step_;
  return std::min(max_, std::max(min_, v));
}

double IParam::ToNormalized(double v) const {
  const double normalized = shape_->ValueToNormalized(ClampValue(v), *this);
  if (!(normalized > 0)) return 0;
  return std::min(normalized, 1.0);
}

double IParam::FromNormalized(double x) const {
  if (!std::isfinite(x)) return ClampValue(default_);
  // Both shapes rise monotonically, so limiting x first changes no result but keeps
  // the exponential shape from overflowing for a wild host value.
  return ClampValue(shape_->NormalizedToValue(std::clamp(x, 0.0, 1.0), *this));
}

double IParam::GetDefault(bool normalized) const { return normalized ? ToNormalized(default_) : default_; }

int32_t IParam::DisplayTextCount() const {
  return displayTexts_.Size() / static_cast<int32_t>(sizeof(DisplayText));
}

const DisplayText* IParam::DisplayTextAt(int32_t index) const {
  if (index < 0 || index >= DisplayTextCount()) return nullptr;
  return reinterpret_cast<const DisplayText*>(displayTexts_.Data()) + index;
}

const DisplayText* IParam::FindDisplayText(double v) const {
  for (int32_t i = 0; i < DisplayTextCount(); ++i) {
    const DisplayText* entry = DisplayTextAt(i);
    if (entry->value == v) return entry;
  }
  return nullptr;
}

// People type "on" for "On": a text is matched in any case, but one spelt exactly as shown wins.
const DisplayText* IParam::FindDisplayText(const char* text) const {
  if (!text) text = "";
  for (int32_t i = 0; i < DisplayTextCount(); ++i) {
    const DisplayText* entry = DisplayTextAt(i);
    if (std::strcmp(entry->text, text) == 0) return entry;
  }
  for (int32_t i = 0; i < DisplayTextCount(); ++i) {
    const DisplayText* entry = DisplayTextAt(i);
    if (EqualsIgnoringAsciiCase(entry->text, text)) return entry;
  }
  return nullptr;
}

const char* IParam::GetDisplayText(double v) const {
  const DisplayText* entry = FindDisplayText(v);
  return entry ? entry->text : "";
}

const char* IParam::GetDisplayLabel() const {
  // std::trunc rather than a cast to int: a value beyond the int range has no cast.
  const DisplayText* entry = FindDisplayText(std::trunc(Value()));
  return entry && entry->text[0] != 0 ? "" : label_;
}

void IParam::FormatParamDisplay(double v, bool normalized, HeapString& out, bool useDisplayTexts) const {
  if (normalized) v = FromNormalized(v);
  if (displayFunction_) {
    displayFunction_(v, out);
    LimitDisplayLength(out);
    return;
  }
  if (useDisplayTexts) {
    const DisplayText* entry = FindDisplayText(v);
    if (entry && entry->text[0] != 0) {
      out.Set(entry->text);
      return;
    }
  }
  const double shown = HasFlag(kParamFlagNegate) ? -v : v;
  // Whole numbers never carry the "+" of the signed flag.
  const bool showPlus = displayPrecision_ > 0 && HasFlag(kParamFlagSigned);
  FormatParamNumber(shown, displayPrecision_, showPlus, out);
}

bool IParam::AcceptsOnlyDisplayTexts() const {
  return type_ == ParamType::kBoolean || type_ == ParamType::kEnumerated;
}

bool IParam::TryParseParamText(const char* text, double& value) const {
  if (const DisplayText* entry = FindDisplayText(text)) {
    value = entry->value;
    return true;
  }
  if (AcceptsOnlyDisplayTexts()) return false;
  double number = 0;
  if (ReadLeadingNumber(text, number) != LeadingNumber::kFinite) return false;
  value = ClampValue(HasFlag(kParamFlagNegate) ? -number : number);
  return true;
}

double IParam::ParseParamText(const char* text) const {
  double value = 0;
  if (TryParseParamText(text, value)) return value;
  if (!AcceptsOnlyDisplayTexts() && ReadLeadingNumber(text, value) == LeadingNumber::kOutOfRange) {
    return ClampValue(default_);
  }
  return ClampValue(0);
}

}  // namespace plugfw
