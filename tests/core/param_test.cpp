#include "core/param.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <thread>

#include "core/param_format.h"

namespace plugfw {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Parameters the tables below refer to by name. Defaults are chosen away from 0
// and the bounds, so a fallback to the default cannot pass for a parsed or
// clamped value.
enum class Kind {
  kPercent,        // -100..100, step 0.01, default 7
  kSigned,         // -24..24, step 0.01, signed
  kNegated,        // -100..100, step 0.01, negate
  kNegatedSigned,  // -100..100, step 0.01, negate and signed
  kHalves,         // 0..10, step 0.5
  kWhole,          // integer -10..10, default 4
  kWholeSigned,    // integer -10..10, signed
  kExpMillis,      // exponential 0.1..1000, step 0.001
  kFine,           // -1..1, step 0.000001
  kHuge,           // -1e18..1e18, step 0.01
  kHugeSigned,     // as kHuge, signed
  kPositive,       // 10..20, step 0.01, default 15
  kWave,           // integer 0..3, label "steps", texts 0 "Sine", 2 "Triangle", 3 ""
  kEnum,           // enumerated 0..2 with texts "Sine", "Triangle", "Square"
  kBool,           // boolean with texts "off", "on"
};

std::unique_ptr<IParam> MakeParam(Kind kind) {
  auto param = std::make_unique<IParam>();
  switch (kind) {
    case Kind::kPercent:
      param->InitDoubleParam("Mix", 7, -100, 100, 0.01, "%");
      break;
    case Kind::kSigned:
      param->InitDoubleParam("Gain", 0, -24, 24, 0.01, "dB", kParamFlagSigned);
      break;
    case Kind::kNegated:
      param->InitDoubleParam("Cut", 7, -100, 100, 0.01, "dB", kParamFlagNegate);
      break;
    case Kind::kNegatedSigned:
      param->InitDoubleParam("Cut", 7, -100, 100, 0.01, "dB", kParamFlagNegate | kParamFlagSigned);
      break;
    case Kind::kHalves:
      param->InitDoubleParam("Half", 1, 0, 10, 0.5);
      break;
    case Kind::kWhole:
      param->InitIntParam("Voices", 4, -10, 10);
      break;
    case Kind::kWholeSigned:
      param->InitIntParam("Offset", 4, -10, 10, "", kParamFlagSigned);
      break;
    case Kind::kExpMillis:
      param->InitDoubleParam("Time", 10, 0.1, 1000, 0.001, "ms", 0, "", IParam::ShapeExp());
      break;
    case Kind::kFine:
      param->InitDoubleParam("Fine", 0, -1, 1, 0.000001);
      break;
    case Kind::kHuge:
      param->InitDoubleParam("Huge", 0, -1e18, 1e18, 0.01);
      break;
    case Kind::kHugeSigned:
      param->InitDoubleParam("Huge", 0, -1e18, 1e18, 0.01, "", kParamFlagSigned);
      break;
    case Kind::kPositive:
      param->InitDoubleParam("Rate", 15, 10, 20, 0.01, "Hz");
      break;
    case Kind::kWave:
      param->InitIntParam("Wave", 0, 0, 3, "steps");
      param->AddDisplayText(0, "Sine");
      param->AddDisplayText(2, "Triangle");
      param->AddDisplayText(3, "");
      break;
    case Kind::kEnum:
      param->InitEnumParam("Shape", 1, 3);
      param->AddDisplayText(0, "Sine");
      param->AddDisplayText(1, "Triangle");
      param->AddDisplayText(2, "Square");
      break;
    case Kind::kBool:
      param->InitBoolParam("Sync", true);
      param->AddDisplayText(0, "off");
      param->AddDisplayText(1, "on");
      break;
  }
  return param;
}

std::string Display(const IParam& param, double value, bool normalized, bool useDisplayTexts = true) {
  HeapString text;
  param.FormatParamDisplay(value, normalized, text, useDisplayTexts);
  return text.Get();
}

// ---------------------------------------------------------------------------
// Record set-up

TEST(ParamRecord, FreshRecordIsANoneTypedUnitRangeWithLinearShape) {
  const IParam param;
  EXPECT_EQ(param.Type(), ParamType::kNone);
  EXPECT_EQ(param.Unit(), 21);
  EXPECT_EQ(param.Value(), 0);
  EXPECT_EQ(param.Min(), 0);
  EXPECT_EQ(param.Max(), 1);
  EXPECT_EQ(param.Step(), 1);
  EXPECT_EQ(param.GetDefault(), 0);
  EXPECT_EQ(param.DisplayPrecision(), 0);
  EXPECT_EQ(param.Flags(), 0);
  EXPECT_STREQ(param.Name(), "");
  EXPECT_STREQ(param.Label(), "");
  EXPECT_STREQ(param.Group(), "");
  EXPECT_EQ(param.GetShape().GetDisplayKind(), 0);
  EXPECT_FALSE(param.HasDisplayFunction());
  EXPECT_EQ(param.DisplayTextCount(), 0);
  EXPECT_EQ(param.ToNormalized(0.25), 0.25);
}

TEST(ParamRecord, SourceNames) {
  const char* const expected[] = {"Reset", "Host", "Preset", "UI", "Editor Delegate", "Recompile", "Unknown"};
  for (int32_t i = 0; i < static_cast<int32_t>(ParamSource::kCount); ++i) {
    EXPECT_STREQ(ParamSourceName(static_cast<ParamSource>(i)), expected[i]) << i;
  }
  EXPECT_STREQ(ParamSourceName(ParamSource::kCount), "Unknown");
  EXPECT_STREQ(ParamSourceName(static_cast<ParamSource>(-1)), "Unknown");
}

TEST(ParamRecord, InitDoubleTakesEveryFieldAndStoresTheClampedDefault) {
  IParam param;
  double seen = kNaN;
  param.InitDoubleParam("Depth", 5, 0, 2, 0.01, "ms", kParamFlagSigned, "Chorus", IParam::ShapeExp(), 3,
                        [&seen](double value, HeapString& out) {
                          seen = value;
                          out.Set("custom");
                        });
  EXPECT_EQ(param.Type(), ParamType::kDouble);
  EXPECT_STREQ(param.Name(), "Depth");
  EXPECT_STREQ(param.Label(), "ms");
  EXPECT_STREQ(param.Group(), "Chorus");
  EXPECT_EQ(param.Unit(), 3);
  EXPECT_EQ(param.Flags(), kParamFlagSigned);
  EXPECT_EQ(param.Step(), 0.01);
  EXPECT_EQ(param.GetShape().GetDisplayKind(), 1);
  // The default is kept as given; only the value is clamped.
  EXPECT_EQ(param.GetDefault(), 5);
  EXPECT_EQ(param.GetDefault(true), 1);
  EXPECT_EQ(param.Value(), 2);
  ASSERT_TRUE(param.HasDisplayFunction());
  EXPECT_EQ(Display(param, 1.5, false), "custom");
  EXPECT_EQ(seen, 1.5);
}

TEST(ParamRecord, InitIntIsSteppedLinearAndKeepsAnEarlierType) {
  IParam whole;
  whole.InitIntParam("Voices", 3, 1, 8, "", kParamFlagSigned);
  EXPECT_EQ(whole.Type(), ParamType::kInteger);
  EXPECT_EQ(whole.Flags(), kParamFlagStepped | kParamFlagSigned);
  EXPECT_EQ(whole.Step(), 1);
  EXPECT_EQ(whole.Unit(), kParamUnitCustom);
  EXPECT_EQ(whole.GetShape().GetDisplayKind(), 0);

  // The type is set only while it is none, so a second init changes range but not type.
  whole.InitDoubleParam("Voices", 3, 1, 8, 0.5);
  EXPECT_EQ(whole.Type(), ParamType::kInteger);

  IParam choice;
  choice.InitEnumParam("Shape", 2, 4);
  EXPECT_EQ(choice.Type(), ParamType::kEnumerated);
  EXPECT_EQ(choice.Max(), 3);
  IParam toggle;
  toggle.InitBoolParam("Sync", true);
  EXPECT_EQ(toggle.Type(), ParamType::kBoolean);
  EXPECT_EQ(toggle.Max(), 1);
  EXPECT_EQ(toggle.Value(), 1);
}

TEST(ParamRecord, DisplayPrecisionFollowsTheStep) {
  const struct {
    double step;
    int32_t precision;
  } cases[] = {{1, 0},     {0.01, 2}, {0.001, 3},  {0.5, 1},  {2.5, 1}, {0.07, 2},
               {0.007, 3}, {0.05, 2}, {0.0025, 4}, {1e-7, 6}, {0, 0},   {100, 0}};
  for (const auto& c : cases) {
    IParam param;
    param.InitDoubleParam("p", 0, 0, 1000, c.step);
    EXPECT_EQ(param.DisplayPrecision(), c.precision) << "step " << c.step;
  }
}

TEST(ParamRecord, RangeSpansAtLeastOneStepAndIsNeverInverted) {
  const struct {
    double min, max, step, expectedMax;
  } cases[] = {{0, 0, 1, 1},          {0, 10, 1, 10}, {0, 0.5, 1, 1},
               {-3, -3, 0.25, -2.75}, {0, 0, 0, 0},   {5, 2, -1, 5}};
  for (const auto& c : cases) {
    IParam param;
    param.InitDoubleParam("p", 0, c.min, c.max, c.step);
    EXPECT_EQ(param.Min(), c.min);
    EXPECT_EQ(param.Max(), c.expectedMax) << c.min << ".." << c.max << " step " << c.step;
  }
}

TEST(ParamRecord, NonFiniteSetUpCannotPutNaNIntoTheValue) {
  IParam param;
  param.InitDoubleParam("p", kNaN, kNaN, kInf, kNaN, "", kParamFlagStepped);
  EXPECT_TRUE(std::isfinite(param.Min()));
  EXPECT_TRUE(std::isfinite(param.Max()));
  EXPECT_TRUE(std::isfinite(param.Step()));
  EXPECT_TRUE(std::isfinite(param.GetDefault()));
  EXPECT_TRUE(std::isfinite(param.Value()));
  EXPECT_TRUE(std::isfinite(param.ClampValue(kNaN)));
  EXPECT_TRUE(std::isfinite(param.ToNormalized(0.5)));
}

TEST(ParamRecord, LongTextsAreCutBelow32BytesWithoutSplittingACharacter) {
  const std::string thirtyOne(31, 'a');
  const struct {
    std::string text;
    std::string kept;
  } cases[] = {
      {thirtyOne, thirtyOne},
      {thirtyOne + "b", thirtyOne},
      {std::string(100, 'x'), std::string(31, 'x')},
      // "\xC3\xA9" (e acute) would occupy bytes 30 and 31; only byte 30 fits.
      {std::string(30, 'a') + "\xC3\xA9", std::string(30, 'a')},
      // A four-byte character at bytes 28..31.
      {std::string(28, 'a') + "\xF0\x9F\x8E\xB5", std::string(28, 'a')},
      {std::string(27, 'a') + "\xF0\x9F\x8E\xB5", std::string(27, 'a') + "\xF0\x9F\x8E\xB5"},
  };
  for (const auto& c : cases) {
    IParam param;
    param.InitDoubleParam(c.text.c_str(), 0, 0, 1, 1, c.text.c_str(), 0, c.text.c_str());
    param.AddDisplayText(0, c.text.c_str());
    EXPECT_EQ(param.Name(), c.kept);
    EXPECT_EQ(param.Label(), c.kept);
    EXPECT_EQ(param.Group(), c.kept);
    EXPECT_EQ(param.GetDisplayText(0), c.kept);
  }
  IParam unnamed;
  unnamed.InitDoubleParam(nullptr, 0, 0, 1, 1, nullptr, 0, nullptr);
  EXPECT_STREQ(unnamed.Name(), "");
  EXPECT_STREQ(unnamed.Label(), "");
  EXPECT_STREQ(unnamed.Group(), "");
}

// ---------------------------------------------------------------------------
// Clamping, setting and normalizing

TEST(ParamValue, ClampValueRoundsStepsHalfAwayFromZeroThenLimits) {
  const struct {
    double step;
    int32_t flags;
    double input;
    double expected;
  } cases[] = {
      {1, kParamFlagStepped, 2.5, 3},
      {1, kParamFlagStepped, -2.5, -3},
      {1, kParamFlagStepped, 2.49, 2},
      {1, kParamFlagStepped, 11, 10},
      {1, kParamFlagStepped, -10.6, -10},
      {1, kParamFlagStepped, 9.6, 10},
      {0.25, kParamFlagStepped, 0.3, 0.25},
      {0.25, kParamFlagStepped, 0.375, 0.5},
      {0.25, kParamFlagStepped, -0.375, -0.5},
      {1, 0, 2.5, 2.5},
      {1, 0, 1e300, 10},
      {1, 0, -1e300, -10},
      // A stepped flag without a step must not divide by zero.
      {0, kParamFlagStepped, 0.7, 0.7},
      // Non-finite input never becomes the value: it falls back to the default 4.
      {1, kParamFlagStepped, kNaN, 4},
      {1, 0, kInf, 4},
      {1, 0, -kInf, 4},
  };
  for (const auto& c : cases) {
    IParam param;
    param.InitDoubleParam("p", 4, -10, 10, c.step, "", c.flags);
    EXPECT_EQ(param.ClampValue(c.input), c.expected)
        << "step " << c.step << " flags " << c.flags << " input " << c.input;
  }
}

TEST(ParamValue, SetAndSetNormalizedStoreOnlyClampedFiniteValues) {
  auto param = MakeParam(Kind::kWhole);  // -10..10, default 4
  param->Set(2.5);
  EXPECT_EQ(param->Value(), 3);
  param->Set(50);
  EXPECT_EQ(param->Value(), 10);
  param->Set(kNaN);
  EXPECT_EQ(param->Value(), 4);
  param->SetNormalized(0.13);  // -7.4
  EXPECT_EQ(param->Value(), -7);
  param->SetNormalized(kNaN);
  EXPECT_EQ(param->Value(), 4);
  EXPECT_EQ(param->GetNormalized(), 0.7);
}

TEST(ParamValue, FromNormalizedMapsThroughTheShapeAndClamps) {
  const struct {
    Kind kind;
    double normalized;
    double expected;
  } cases[] = {
      {Kind::kWhole, 0, -10},        {Kind::kWhole, 1, 10},        {Kind::kWhole, 0.5, 0},
      {Kind::kWhole, 0.53, 1},       {Kind::kWhole, -3, -10},      {Kind::kWhole, 7, 10},
      {Kind::kWhole, kNaN, 4},       {Kind::kWhole, kInf, 4},      {Kind::kWhole, -kInf, 4},
      {Kind::kExpMillis, 0, 0.1},    {Kind::kExpMillis, 1, 1000},  {Kind::kExpMillis, 1e6, 1000},
      {Kind::kExpMillis, -1e6, 0.1}, {Kind::kExpMillis, kNaN, 10},
  };
  for (const auto& c : cases) {
    auto param = MakeParam(c.kind);
    EXPECT_DOUBLE_EQ(param->FromNormalized(c.normalized), c.expected)
        << static_cast<int>(c.kind) << " x " << c.normalized;
  }
}

TEST(ParamValue, ToNormalizedStaysWithinZeroToOne) {
  const struct {
    Kind kind;
    double value;
    double expected;
  } cases[] = {
      {Kind::kPercent, -100, 0},      {Kind::kPercent, 0, 0.5},    {Kind::kPercent, 100, 1},
      {Kind::kPercent, 50, 0.75},     {Kind::kPercent, 1e9, 1},    {Kind::kPercent, -1e9, 0},
      {Kind::kPercent, kNaN, 0.535},  // the normalized default 7
      {Kind::kPercent, -kInf, 0.535}, {Kind::kExpMillis, 0.1, 0},  {Kind::kExpMillis, 1000, 1},
      {Kind::kExpMillis, 10, 0.5},    {Kind::kExpMillis, 1, 0.25}, {Kind::kExpMillis, 0, 0},
      {Kind::kExpMillis, -5, 0},      {Kind::kExpMillis, 5e3, 1},
  };
  for (const auto& c : cases) {
    auto param = MakeParam(c.kind);
    EXPECT_NEAR(param->ToNormalized(c.value), c.expected, 1e-12)
        << static_cast<int>(c.kind) << " v " << c.value;
  }
}

TEST(ParamValue, ExponentialShapeRoundTripsAndFollowsTheLogScale) {
  auto param = MakeParam(Kind::kExpMillis);
  for (const double value : {0.1, 0.35, 1.0, 12.5, 400.0, 999.0}) {
    EXPECT_NEAR(param->FromNormalized(param->ToNormalized(value)), value, value * 1e-12) << value;
  }
  // Equal normalized steps are equal ratios: a decade per quarter over 0.1..1000.
  EXPECT_NEAR(param->FromNormalized(0.75), 100, 1e-9);
}

TEST(ParamValue, ExponentialShapeTreatsMinimumZeroAsOneHundredMillionth) {
  IParam param;
  param.InitDoubleParam("p", 1, 0, 100, 0.001, "", 0, "", IParam::ShapeExp());
  EXPECT_NEAR(param.FromNormalized(0), 1e-8, 1e-20);
  EXPECT_NEAR(param.FromNormalized(0.5), 1e-3, 1e-15);  // sqrt(1e-8 * 100)
  EXPECT_EQ(param.ToNormalized(0), 0);
  EXPECT_NEAR(param.ToNormalized(1e-3), 0.5, 1e-12);
}

TEST(ParamValue, DegenerateRangesNeverYieldNaN) {
  IParam negativeExp;
  negativeExp.InitDoubleParam("p", -2, -5, -1, 0.01, "", 0, "", IParam::ShapeExp());
  IParam zeroWidth;
  zeroWidth.InitDoubleParam("p", 0, 0, 0, 0);
  IParam zeroWidthExp;
  zeroWidthExp.InitDoubleParam("p", 0, 0, 0, 0, "", 0, "", IParam::ShapeExp());
  for (const IParam* param : {&negativeExp, &zeroWidth, &zeroWidthExp}) {
    const IParam::Shape& shape = param->GetShape();
    for (const double x : {0.0, 0.5, 1.0}) {
      const double value = param->FromNormalized(x);
      EXPECT_TRUE(value >= param->Min() && value <= param->Max()) << value;
      const double inRange = param->Min() + x * (param->Max() - param->Min());
      const double normalized = param->ToNormalized(inRange);
      EXPECT_TRUE(normalized >= 0 && normalized <= 1) << normalized;
      // Other code clamps the shape's own answer into 0..1, which lets a NaN through.
      EXPECT_TRUE(std::isfinite(shape.ValueToNormalized(inRange, *param))) << inRange;
      EXPECT_TRUE(std::isfinite(shape.NormalizedToValue(x, *param))) << x;
    }
  }
}

TEST(ParamValue, ConcurrentReadersSeeOnlyWrittenValues) {
  auto param = MakeParam(Kind::kPercent);
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < 20000; ++i) param->Set(i % 2 ? 100.0 : -100.0);
    done = true;
  });
  int32_t unexpected = 0;
  while (!done) {
    const double value = param->Value();
    if (value != 7 && value != 100 && value != -100) ++unexpected;
  }
  writer.join();
  EXPECT_EQ(unexpected, 0);
  EXPECT_EQ(param->Value(), 100);
}

// ---------------------------------------------------------------------------
// Display texts

TEST(ParamDisplayTexts, KeptInOrderAndMatchedExactly) {
  auto param = MakeParam(Kind::kWave);
  param->AddDisplayText(2, "Second triangle");
  ASSERT_EQ(param->DisplayTextCount(), 4);
  EXPECT_STREQ(param->DisplayTextAt(1)->text, "Triangle");
  EXPECT_EQ(param->DisplayTextAt(3)->value, 2);
  EXPECT_EQ(param->DisplayTextAt(4), nullptr);
  EXPECT_EQ(param->DisplayTextAt(-1), nullptr);
  EXPECT_STREQ(param->GetDisplayText(2), "Triangle");  // the first of equal values
  EXPECT_STREQ(param->GetDisplayText(2.0000001), "");
  EXPECT_STREQ(param->GetDisplayText(1), "");
  EXPECT_FALSE(param->AddDisplayText(kNaN, "nothing"));
  EXPECT_EQ(param->DisplayTextCount(), 4);
}

TEST(ParamDisplayTexts, FailedGrowthLeavesTheListUnchanged) {
  auto param = MakeParam(Kind::kWave);
  static const HeapAllocator kFailingAllocator{
      [](size_t) -> void* { return nullptr; },
      [](void*, size_t) -> void* { return nullptr; },
      [](void* block) { std::free(block); },
  };
  // 4096-byte granularity: the first block holds about a hundred entries.
  int32_t added = 0;
  const HeapAllocator* previous = SetHeapAllocator(&kFailingAllocator);
  while (added < 1000 && param->AddDisplayText(100 + added, "more")) ++added;
  SetHeapAllocator(previous);
  EXPECT_LT(added, 1000);
  EXPECT_EQ(param->DisplayTextCount(), 3 + added);
  EXPECT_STREQ(param->DisplayTextAt(1)->text, "Triangle");
  EXPECT_TRUE(param->AddDisplayText(7, "after"));
}

TEST(ParamDisplayTexts, LabelGivesWayToAText) {
  const struct {
    double value;
    const char* label;
  } cases[] = {
      {2, ""},       // "Triangle": the text stands alone
      {1, "steps"},  // no text: a number followed by the unit
      {3, "steps"},  // an empty text counts as none
      {0, ""},
  };
  auto param = MakeParam(Kind::kWave);
  for (const auto& c : cases) {
    param->Set(c.value);
    EXPECT_STREQ(param->GetDisplayLabel(), c.label) << c.value;
  }
  // The current value is truncated before the look-up.
  IParam smooth;
  smooth.InitDoubleParam("p", 0, 0, 3, 0.01, "Hz");
  smooth.AddDisplayText(2, "Two");
  smooth.Set(2.7);
  EXPECT_STREQ(smooth.GetDisplayLabel(), "");
  smooth.Set(1.7);
  EXPECT_STREQ(smooth.GetDisplayLabel(), "Hz");
}

// ---------------------------------------------------------------------------
// Formatting. The strings are literal so the same table checks every C runtime.

TEST(ParamFormat, NumbersAreIdenticalOnEveryRuntime) {
  const struct {
    Kind kind;
    double value;
    bool normalized;
    const char* expected;
  } cases[] = {
      {Kind::kPercent, 0.0, false, "0.00"},
      {Kind::kPercent, -0.0, false, "0.00"},
      {Kind::kPercent, 1.5, false, "1.50"},
      {Kind::kPercent, -1.5, false, "-1.50"},
      // Halves round away from zero, where printf would round to even.
      {Kind::kPercent, 0.125, false, "0.13"},
      {Kind::kPercent, -0.125, false, "-0.13"},
      // 2.675 * 100 is 267.5 in double arithmetic.
      {Kind::kPercent, 2.675, false, "2.68"},
      {Kind::kPercent, 1.005, false, "1.00"},
      {Kind::kPercent, 0.004, false, "0.00"},
      {Kind::kPercent, -0.004, false, "0.00"},
      {Kind::kPercent, -0.005, false, "-0.01"},
      {Kind::kPercent, 99.999, false, "100.00"},
      {Kind::kPercent, 1234567.891, false, "1234567.89"},
      // Values given as such are shown unclamped; normalized ones are mapped and clamped.
      {Kind::kPercent, 0.5, true, "0.00"},
      {Kind::kPercent, 0.75, true, "50.00"},
      {Kind::kPercent, 1, true, "100.00"},
      {Kind::kPercent, 2, true, "100.00"},
      {Kind::kPercent, kNaN, true, "7.00"},
      {Kind::kPercent, kNaN, false, "nan"},
      {Kind::kPercent, kInf, false, "inf"},
      {Kind::kPercent, -kInf, false, "-inf"},
      {Kind::kSigned, 1.5, false, "+1.50"},
      {Kind::kSigned, 12, false, "+12.00"},
      {Kind::kSigned, -1.5, false, "-1.50"},
      {Kind::kSigned, 0, false, "0.00"},
      {Kind::kSigned, -0.0, false, "0.00"},
      {Kind::kSigned, 0.001, false, "0.00"},
      {Kind::kSigned, -0.001, false, "0.00"},
      {Kind::kSigned, 1, true, "+24.00"},
      {Kind::kNegated, 3, false, "-3.00"},
      {Kind::kNegated, -3, false, "3.00"},
      {Kind::kNegated, 0, false, "0.00"},
      {Kind::kNegatedSigned, -3, false, "+3.00"},
      {Kind::kNegatedSigned, 3, false, "-3.00"},
      {Kind::kHalves, 0.25, false, "0.3"},
      {Kind::kHalves, -0.25, false, "-0.3"},
      {Kind::kHalves, 0.5, true, "5.0"},
      {Kind::kWhole, 2.5, false, "3"},
      {Kind::kWhole, -2.5, false, "-3"},
      {Kind::kWhole, 0.4, false, "0"},
      {Kind::kWhole, -0.4, false, "0"},
      {Kind::kWhole, 7, false, "7"},
      {Kind::kWhole, 2147483648.0, false, "2147483648"},
      {Kind::kWhole, 0.25, true, "-5"},
      {Kind::kWholeSigned, 3, false, "3"},
      {Kind::kExpMillis, 0, true, "0.100"},
      {Kind::kExpMillis, 0.25, true, "1.000"},
      {Kind::kExpMillis, 0.5, true, "10.000"},
      {Kind::kExpMillis, 1, true, "1000.000"},
      {Kind::kFine, 5e-7, false, "0.000001"},
      {Kind::kFine, 0.1234565, false, "0.123457"},
      {Kind::kFine, -0.000001, false, "-0.000001"},
      {Kind::kFine, 1e-7, false, "0.000000"},
      {Kind::kHuge, 9e13, false, "90000000000000.00"},
      {Kind::kHuge, 1e17, false, "100000000000000000.00"},
      {Kind::kHuge, -1e17, false, "-100000000000000000.00"},
      {Kind::kHugeSigned, 1e17, false, "+100000000000000000.00"},
      {Kind::kHugeSigned, 9e13, false, "+90000000000000.00"},
  };
  for (const auto& c : cases) {
    auto param = MakeParam(c.kind);
    EXPECT_EQ(Display(*param, c.value, c.normalized, false), c.expected)
        << "kind " << static_cast<int>(c.kind) << " value " << c.value << (c.normalized ? " normalized" : "");
  }
}

TEST(ParamFormat, TextsNeverExceed32Bytes) {
  HeapString text;
  FormatParamNumber(1e40, 6, true, text);
  EXPECT_EQ(text.Length(), 32);
  EXPECT_EQ(std::strncmp(text.Get(), "+1000000000000000", 17), 0) << text.Get();
  FormatParamNumber(-1e300, 2, false, text);
  EXPECT_EQ(text.Length(), 32);

  IParam custom;
  custom.InitDoubleParam(
      "p", 0, 0, 1, 0.01, "", 0, "", IParam::ShapeLinear(), kParamUnitCustom,
      [](double, HeapString& out) { out.Set((std::string(31, 'a') + "\xC3\xA9 tail").c_str()); });
  EXPECT_EQ(Display(custom, 0.5, false), std::string(31, 'a'));
}

TEST(ParamFormat, DisplayTextsReplaceTheNumberWhenAsked) {
  const struct {
    double value;
    bool normalized;
    bool useDisplayTexts;
    const char* expected;
  } cases[] = {
      {2, false, true, "Triangle"},  {2, false, false, "2"}, {0, false, true, "Sine"},
      {1, false, true, "1"},         {3, false, true, "3"},  // an empty text shows the number
      {0.6, true, true, "Triangle"},                         // 1.8 steps to 2
  };
  auto param = MakeParam(Kind::kWave);
  for (const auto& c : cases) {
    EXPECT_EQ(Display(*param, c.value, c.normalized, c.useDisplayTexts), c.expected) << c.value;
  }
}

// ---------------------------------------------------------------------------
// Parsing

TEST(ParamParse, TextsAndLeadingNumbers) {
  const struct {
    Kind kind;
    const char* text;
    double expected;
  } cases[] = {
      {Kind::kPercent, "12.5", 12.5},
      {Kind::kPercent, "  -3.25 dB", -3.25},
      {Kind::kPercent, "+2", 2},
      {Kind::kPercent, ".5", 0.5},
      {Kind::kPercent, "5.", 5},
      {Kind::kPercent, "1e1", 10},
      {Kind::kPercent, "1e", 1},
      // Decimal commas of the host's locale are not read: the number ends there.
      {Kind::kPercent, "1,5", 1},
      {Kind::kPercent, "0x10", 0},
      {Kind::kPercent, "+-5", 0},
      {Kind::kPercent, "500", 100},
      {Kind::kPercent, "-500", -100},
      {Kind::kPercent, "abc", 0},
      {Kind::kPercent, "", 0},
      {Kind::kPercent, nullptr, 0},
      {Kind::kPercent, "inf", 0},
      {Kind::kPercent, "nan", 0},
      // Beyond the double range: the default, never an infinity.
      {Kind::kPercent, "1e999", 7},
      {Kind::kPercent, "-1e999", 7},
      {Kind::kNegated, "3", -3},
      {Kind::kNegated, "-3", 3},
      {Kind::kWhole, "2", 2},
      {Kind::kWhole, "2.5", 3},
      {Kind::kWave, "Triangle", 2},
      {Kind::kWave, "2", 2},
      {Kind::kWave, "triangle", 2},
      {Kind::kPositive, "abc", 10},  // no number: 0, clamped
      {Kind::kPositive, "12", 12},
      {Kind::kPositive, "1e999", 15},
      {Kind::kEnum, "Square", 2},
      {Kind::kEnum, "2", 0},  // only texts are accepted
      {Kind::kEnum, "Saw", 0},
      {Kind::kBool, "off", 0},
      {Kind::kBool, "on", 1},
      {Kind::kBool, "1", 0},
  };
  for (const auto& c : cases) {
    auto param = MakeParam(c.kind);
    EXPECT_EQ(param->ParseParamText(c.text), c.expected)
        << "kind " << static_cast<int>(c.kind) << " text \"" << (c.text ? c.text : "(null)") << "\"";
  }
}

TEST(ParamParse, TryParseRefusesWhatItCannotRead) {
  const struct {
    Kind kind;
    const char* text;
    bool accepted;
    double value;
  } cases[] = {
      {Kind::kPercent, "12.5", true, 12.5},
      {Kind::kPercent, "500", true, 100},
      {Kind::kPercent, "abc", false, -1},
      {Kind::kPercent, "", false, -1},
      {Kind::kPercent, nullptr, false, -1},
      {Kind::kPercent, "1e999", false, -1},
      {Kind::kPercent, "1e-999", false, -1},
      {Kind::kNegated, "3", true, -3},
      {Kind::kEnum, "Sine", true, 0},
      {Kind::kEnum, "0", false, -1},
      {Kind::kBool, "on", true, 1},
      {Kind::kWave, "Triangle", true, 2},
      // Texts as people type them: in any case, but only whole.
      {Kind::kBool, "ON", true, 1},
      {Kind::kEnum, "square", true, 2},
      {Kind::kWave, "tRIANGLE", true, 2},
      {Kind::kEnum, "Squar", false, -1},
      {Kind::kBool, "onn", false, -1},
  };
  for (const auto& c : cases) {
    auto param = MakeParam(c.kind);
    double value = -1;
    EXPECT_EQ(param->TryParseParamText(c.text, value), c.accepted) << (c.text ? c.text : "(null)");
    EXPECT_EQ(value, c.value) << (c.text ? c.text : "(null)");
  }
}

TEST(ParamParse, ATextSpeltExactlyWinsOverOneDifferingInCase) {
  IParam param;
  param.InitEnumParam("Letter", 0, 2);
  param.AddDisplayText(0, "a");
  param.AddDisplayText(1, "A");
  double value = -1;
  ASSERT_TRUE(param.TryParseParamText("A", value));
  EXPECT_EQ(value, 1);
  ASSERT_TRUE(param.TryParseParamText("a", value));
  EXPECT_EQ(value, 0);
}

TEST(ParamParse, DisplayedTextsReadBackToTheirValue) {
  const struct {
    Kind kind;
    double value;
  } cases[] = {{Kind::kPercent, -37.25},   {Kind::kSigned, 12.5},     {Kind::kNegated, 42.5},
               {Kind::kNegatedSigned, -8}, {Kind::kWhole, -3},        {Kind::kWave, 2},
               {Kind::kEnum, 1},           {Kind::kExpMillis, 250.5}, {Kind::kFine, -0.123456}};
  for (const auto& c : cases) {
    auto param = MakeParam(c.kind);
    EXPECT_DOUBLE_EQ(param->ParseParamText(Display(*param, c.value, false).c_str()), c.value)
        << static_cast<int>(c.kind);
  }
}

}  // namespace
}  // namespace plugfw
