#include "graphics/editor_delegate.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/heap_buffer.h"
#include "core/param.h"
#include "core/queue_messages.h"
#include "tests/core/test_plugin.h"

namespace plugfw {
namespace {

using test::TestDelegate;
using Calls = std::vector<std::string>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Parameter 0: -10..10 linear, default 2. Parameter 1: 20..20000 exponential, default
// 1000. Parameter 2 keeps the fresh record's 0..1.
class EditorDelegateTest : public ::testing::Test {
 protected:
  EditorDelegateTest() {
    delegate.GetParam(0)->InitDoubleParam("Offset", 2, -10, 10, 0.01);
    delegate.GetParam(1)->InitDoubleParam("Frequency", 1000, 20, 20000, 0.001, "Hz", 0, "",
                                          IParam::ShapeExp());
  }

  TestDelegate delegate{3};
};

TEST(EditorDelegateConstruction, CreatesOneDistinctDefaultRecordPerParameter) {
  TestDelegate delegate(4);
  ASSERT_EQ(delegate.NParams(), 4);
  for (int32_t i = 0; i < 4; ++i) {
    ASSERT_NE(delegate.GetParam(i), nullptr);
    EXPECT_EQ(delegate.GetParam(i)->Type(), ParamType::kNone);
    EXPECT_EQ(delegate.GetParam(i)->Value(), 0.0);
    for (int32_t j = 0; j < i; ++j) EXPECT_NE(delegate.GetParam(i), delegate.GetParam(j));
  }
  EXPECT_EQ(delegate.GetParam(-1), nullptr);
  EXPECT_EQ(delegate.GetParam(4), nullptr);

  TestDelegate none(0);
  EXPECT_EQ(none.NParams(), 0);
  EXPECT_EQ(none.GetParam(0), nullptr);
}

TEST_F(EditorDelegateTest, SetParamFromUIStoresTheClampedRealValueThenTellsTheUI) {
  delegate.SetParamFromUI(0, 0.75);
  EXPECT_DOUBLE_EQ(delegate.GetParam(0)->Value(), 5.0);
  EXPECT_EQ(delegate.calls, Calls{"ParamChangedUI(0,UI)"});

  delegate.SetParamFromUI(1, 0.5);  // the exponential midpoint is the geometric mean
  EXPECT_NEAR(delegate.GetParam(1)->Value(), std::sqrt(20.0 * 20000.0), 1e-9);

  struct Case {
    double normalized;
    double expected;
  };
  const Case cases[] = {{1.5, 10}, {-0.5, -10}, {kNaN, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.normalized);
    delegate.SetParamFromUI(0, c.normalized);
    EXPECT_DOUBLE_EQ(delegate.GetParam(0)->Value(), c.expected);
  }
}

TEST_F(EditorDelegateTest, SendParamValueToUIOnlyReportsTheChangeToTheUI) {
  delegate.SendParamValueToUI(1, 0.25, true);
  delegate.SendParamValueToUI(0, 7.0, false);
  EXPECT_EQ(delegate.calls,
            (Calls{"SendParamValueToUI(1,0.25,normalized)", "ParamChangedUI(1,Editor Delegate)",
                   "SendParamValueToUI(0,7,real)", "ParamChangedUI(0,Editor Delegate)"}));
  EXPECT_DOUBLE_EQ(delegate.GetParam(0)->Value(), 2.0);
  EXPECT_DOUBLE_EQ(delegate.GetParam(1)->Value(), 1000.0);
}

TEST_F(EditorDelegateTest, OnParamChangeRunsTheSingleChangeHook) {
  delegate.OnParamChange(2, ParamSource::kHost, 17);
  EXPECT_EQ(delegate.calls, (Calls{"OnParamChange(2,Host,17)", "ParamChanged(2)"}));
}

TEST_F(EditorDelegateTest, OnAllParamsChangedVisitsEveryIndexInOrderWithNoSampleOffset) {
  delegate.OnAllParamsChanged(ParamSource::kPreset);
  EXPECT_EQ(delegate.calls,
            (Calls{"OnParamChange(0,Preset,-1)", "ParamChanged(0)", "ParamChangedUI(0,Preset)",
                   "OnParamChange(1,Preset,-1)", "ParamChanged(1)", "ParamChangedUI(1,Preset)",
                   "OnParamChange(2,Preset,-1)", "ParamChanged(2)", "ParamChangedUI(2,Preset)"}));
}

TEST_F(EditorDelegateTest, IndicesOutsideTheParameterListAreIgnored) {
  for (const int32_t index : {-1, 3, 4096, INT_MAX, INT_MIN}) {
    SCOPED_TRACE(index);
    delegate.calls.clear();
    delegate.SetParamFromUI(index, 0.5);
    delegate.SendParamValueToUI(index, 0.5, true);
    delegate.SendParamValueToUI(index, 0.5, false);
    delegate.OnParamChange(index, ParamSource::kUI, 0);
    // Only the recorder's own entries: the delegate passed nothing on.
    EXPECT_EQ(delegate.calls, (Calls{"SendParamValueToUI(" + std::to_string(index) + ",0.5,normalized)",
                                     "SendParamValueToUI(" + std::to_string(index) + ",0.5,real)",
                                     "OnParamChange(" + std::to_string(index) + ",UI,0)"}));
  }
  EXPECT_DOUBLE_EQ(delegate.GetParam(0)->Value(), 2.0);
  EXPECT_DOUBLE_EQ(delegate.GetParam(1)->Value(), 1000.0);
  EXPECT_DOUBLE_EQ(delegate.GetParam(2)->Value(), 0.0);
}

TEST_F(EditorDelegateTest, OpeningTheEditorAndRestoringStateShowEveryNormalizedValue) {
  delegate.GetParam(0)->Set(-5);
  delegate.GetParam(2)->Set(1);
  const Calls shown{"SendParamValueToUI(0,0.25,normalized)",
                    "ParamChangedUI(0,Editor Delegate)",
                    "SendParamValueToUI(1,0.566323,normalized)" /* ln 50 / ln 1000 */,
                    "ParamChangedUI(1,Editor Delegate)",
                    "SendParamValueToUI(2,1,normalized)",
                    "ParamChangedUI(2,Editor Delegate)"};

  EXPECT_EQ(delegate.OpenEditorWindow(nullptr), nullptr);
  Calls opened{"OnEditorOpened"};
  opened.insert(opened.end(), shown.begin(), shown.end());
  EXPECT_EQ(delegate.calls, opened);

  delegate.calls.clear();
  delegate.OnStateRestored();
  EXPECT_EQ(delegate.calls, shown);

  delegate.calls.clear();
  delegate.CloseEditorWindow();
  EXPECT_EQ(delegate.calls, Calls{"OnEditorClosing"});
}

TEST_F(EditorDelegateTest, MessagesToTheUIArriveAtOnMessageWithTheirTags) {
  const char data[] = "abc";
  delegate.SendControlMsgToUI(/*controlTag*/ 5, /*messageTag*/ 9, 3, data);
  EXPECT_EQ(delegate.lastMessageData, data);
  delegate.SendArbitraryMsgToUI(/*messageTag*/ 11, 0, nullptr);
  EXPECT_EQ(delegate.lastMessageData, nullptr);
  EXPECT_EQ(delegate.calls, (Calls{"OnMessage(9,5,3)", "OnMessage(11,-1,0)"}));

  // A delegate that takes no messages says so.
  EXPECT_FALSE(delegate.OnMessage(1, -1, 0, nullptr));
}

TEST_F(EditorDelegateTest, MidiAndSysExToTheUIReachTheirUIHooks) {
  const uint8_t bytes[] = {0xF0, 0x7E, 0xF7};
  delegate.SendMidiMsgToUI(MidiMessage{12, 0x90, 60, 100});
  delegate.SendSysExToUI(SysExRef{3, 3, bytes});
  EXPECT_EQ(delegate.calls, (Calls{"OnMidiUI(12,144,60,100)", "OnSysExUI(3,3)"}));
}

TEST(EditorDelegateSize, ConstrainEditorSizeClampsIntoTheDefaultBounds) {
  struct Case {
    int32_t width, height;
    bool fits;
    int32_t expectedWidth, expectedHeight;
  };
  const Case cases[] = {
      {5, 200000, false, 10, 100000}, {1180, 800, true, 1180, 800},
      {10, 10, true, 10, 10},         {100000, 100000, true, 100000, 100000},
      {9, 500, false, 10, 500},       {500, 100001, false, 500, 100000},
      {-3, -3, false, 10, 10},        {INT_MAX, INT_MIN, false, 100000, 10},
  };
  TestDelegate delegate(0);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    int32_t width = c.width;
    int32_t height = c.height;
    EXPECT_EQ(delegate.ConstrainEditorSize(width, height), c.fits);
    EXPECT_EQ(width, c.expectedWidth);
    EXPECT_EQ(height, c.expectedHeight);
  }
}

TEST(EditorDelegateSize, BaseSizeSerialisationWritesNothingAndReadsNothing) {
  TestDelegate delegate(0);
  HeapBuffer chunk;
  chunk.Append("xy", 2);
  EXPECT_TRUE(delegate.SerializeEditorSize(chunk));
  EXPECT_EQ(chunk.Size(), 2);
  EXPECT_EQ(delegate.UnserializeEditorSize(chunk, 1), 1);
}

}  // namespace
}  // namespace plugfw
