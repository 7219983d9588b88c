#pragma once
// IParam: one automatable parameter - range, step, default, texts and the shape
// that maps its real value to the 0..1 normalized value hosts and controls use.
// Everything but the value is made at set-up, before the plug-in runs, and is
// read-only afterwards; the value is an atomic double that any thread may read or set.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "core/heap_buffer.h"
#include "core/heap_string.h"

namespace plugfw {

enum class ParamType : int32_t { kNone = 0, kBoolean = 1, kInteger = 2, kEnumerated = 3, kDouble = 4 };

// Bits of IParam::Flags().
enum ParamFlags : int32_t {
  kParamFlagsNone = 0,
  kParamFlagStepped = 2,  // writes are rounded to the step
  kParamFlagNegate = 4,   // the number shown and parsed is the negated value
  kParamFlagSigned = 8,   // positive numbers are shown with "+"
};

// Why a value changed; handed to the change hooks.
enum class ParamSource : int32_t {
  kReset,
  kHost,
  kPreset,
  kUI,
  kEditorDelegate,
  kRecompile,
  kUnknown,
  kCount
};

// Any thread: "Reset", "Host", ... ; "Unknown" for anything outside the enumerators.
const char* ParamSourceName(ParamSource source);

constexpr int32_t kParamTextCapacity = 32;  // bytes of name, label, group and display texts, NUL included
constexpr int32_t kParamUnitCustom = 21;    // the unit code every parameter hands to hosts

struct DisplayText {
  double value;
  char text[kParamTextCapacity];
};

// Writes the text for a real value; replaces the number formatting entirely.
using DisplayFunction = std::function<void(double value, HeapString& out)>;

class IParam {
 public:
  // Maps between normalized 0..1 and real values. Any thread: read-only once Init
  // (at set-up) fixed the coefficients.
  class Shape {
   public:
    virtual ~Shape() = default;
    virtual std::unique_ptr<Shape> Clone() const = 0;
    virtual void Init(const IParam& param) = 0;
    virtual int32_t GetDisplayKind() const = 0;
    virtual double NormalizedToValue(double x, const IParam& param) const = 0;
    virtual double ValueToNormalized(double v, const IParam& param) const = 0;
  };

  class ShapeLinear : public Shape {
   public:
    std::unique_ptr<Shape> Clone() const override;
    void Init(const IParam&) override {}
    int32_t GetDisplayKind() const override { return 0; }
    double NormalizedToValue(double x, const IParam& param) const override;
    // 0 for a range of zero width.
    double ValueToNormalized(double v, const IParam& param) const override;
  };

  // value = exp(x * mul + add). A minimum at or below 0 counts as 1e-8 and a
  // maximum below the minimum as the minimum, so no input yields NaN.
  class ShapeExp : public Shape {
   public:
    std::unique_ptr<Shape> Clone() const override;
    void Init(const IParam& param) override;
    int32_t GetDisplayKind() const override { return 1; }
    double NormalizedToValue(double x, const IParam& param) const override;
    double ValueToNormalized(double v, const IParam& param) const override;

   private:
    double mul_ = 1;
    double add_ = 0;
  };

  // Set-up. A fresh record: no type, range 0..1, step 1, default and value 0, linear shape.
  IParam();
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  // Set-up, before the plug-in runs. Texts of 32 bytes or more are cut
  // at a character boundary below 32. max becomes at least min + step. A
  // non-finite min, max, step or default is replaced (0, min, 0 and min) so that
  // no NaN can reach the value.
  void InitDoubleParam(const char* name, double defaultValue, double min, double max, double step,
                       const char* label = "", int32_t flags = 0, const char* group = "",
                       const Shape& shape = ShapeLinear(), int32_t unit = kParamUnitCustom,
                       DisplayFunction displayFunction = nullptr);
  void InitIntParam(const char* name, int32_t defaultValue, int32_t min, int32_t max, const char* label = "",
                    int32_t flags = 0, const char* group = "");
  // Set-up. Integer parameters 0..1 and 0..count-1 whose typed text must be a display text.
  void InitBoolParam(const char* name, bool defaultValue, const char* label = "", int32_t flags = 0,
                     const char* group = "");
  void InitEnumParam(const char* name, int32_t defaultValue, int32_t count, const char* label = "",
                     int32_t flags = 0, const char* group = "");
  // Set-up. False when storage could not be had; the list is then unchanged.
  bool AddDisplayText(double value, const char* text);

  // Any thread. A non-finite v gives the clamped default.
  double ClampValue(double v) const;
  // Always within 0..1; a non-finite v gives the normalized default.
  double ToNormalized(double v) const;
  // The clamped real value for normalized x; x is limited to 0..1 first and a
  // non-finite x gives the default.
  double FromNormalized(double x) const;
  // Any thread: normalized x snapped to the parameter's step (for a stepped parameter)
  // and its range, still normalized.
  double NormalizedStep(double x) const { return ToNormalized(FromNormalized(x)); }

  // Any thread: a relaxed load and an exchange of the clamped value.
  double Value() const { return value_.load(std::memory_order_relaxed); }
  double GetNormalized() const { return ToNormalized(Value()); }
  void Set(double value) { value_.exchange(ClampValue(value), std::memory_order_relaxed); }
  void SetNormalized(double x) { value_.exchange(FromNormalized(x), std::memory_order_relaxed); }
  double GetDefault(bool normalized = false) const;

  // Any thread: read-only after set-up.
  int32_t DisplayTextCount() const;
  // The index-th display text in the order added, or null outside the list.
  const DisplayText* DisplayTextAt(int32_t index) const;
  // The text of the first display text whose value is v exactly, else "".
  const char* GetDisplayText(double v) const;
  // "" when the current value (truncated to an integer) has a non-empty display
  // text, else the label: a text is shown without a unit, a number with it.
  const char* GetDisplayLabel() const;

  // Any thread. At most 32 characters. v is mapped and clamped first when normalized. Whole
  // numbers (precision 0) never carry the "+" of the signed flag.
  void FormatParamDisplay(double v, bool normalized, HeapString& out, bool useDisplayTexts = true) const;
  // A display text's value (matched in any case; an exact match wins), else (not for
  // boolean or enumerated parameters) the leading finite number, negated with the
  // negate flag, clamped. False otherwise.
  bool TryParseParamText(const char* text, double& value) const;
  // As TryParseParamText, with fallbacks: the default for a number outside the
  // double range, the clamped 0 for a text without number or an unknown text of a
  // boolean or enumerated parameter.
  double ParseParamText(const char* text) const;

  // Any thread: read-only after set-up.
  const char* Name() const { return name_; }
  const char* Label() const { return label_; }
  const char* Group() const { return group_; }
  ParamType Type() const { return type_; }
  int32_t Unit() const { return unit_; }
  double Min() const { return min_; }
  double Max() const { return max_; }
  double Step() const { return step_; }
  int32_t Flags() const { return flags_; }
  bool HasFlag(ParamFlags flag) const { return (flags_ & flag) != 0; }
  int32_t DisplayPrecision() const { return displayPrecision_; }
  const Shape& GetShape() const { return *shape_; }
  bool HasDisplayFunction() const { return static_cast<bool>(displayFunction_); }

 private:
  const DisplayText* FindDisplayText(double v) const;
  const DisplayText* FindDisplayText(const char* text) const;
  bool AcceptsOnlyDisplayTexts() const;

  static_assert(std::atomic<double>::is_always_lock_free, "readers on the audio thread must never block");

  ParamType type_ = ParamType::kNone;
  int32_t unit_ = kParamUnitCustom;
  std::atomic<double> value_{0.0};
  double min_ = 0;
  double max_ = 1;
  double step_ = 1;
  double default_ = 0;
  int32_t displayPrecision_ = 0;
  int32_t flags_ = 0;
  char name_[kParamTextCapacity] = {};
  char label_[kParamTextCapacity] = {};
  char group_[kParamTextCapacity] = {};
  std::unique_ptr<Shape> shape_;
  DisplayFunction displayFunction_;
  HeapBuffer displayTexts_{HeapBuffer::kBlockGranularity};
};

}  // namespace plugfw
