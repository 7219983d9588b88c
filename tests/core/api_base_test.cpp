#include "core/api_base.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "core/heap_buffer.h"
#include "tests/core/test_plugin.h"

namespace plugfw {
namespace {

using test::MakeTestConfig;
using test::TestApi;
using Calls = std::vector<std::string>;

// Parameter 0 is an integer 0..10, so a normalized edit lands on a step; the
// others keep their default records.
class ApiBaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    api.GetParam(0)->InitIntParam("Stepped", 5, 0, 10);
    api.GetParam(1)->InitDoubleParam("Fine", 0.5, 0, 1, 0.001);
    api.calls.clear();
  }
  TestApi api;
};

TEST_F(ApiBaseTest, CopiesTheConfigurationWithOrderedBounds) {
  EXPECT_STREQ(api.PluginName(), "Test Plug");
  EXPECT_EQ(api.ApiKind(), kApiKindStandalone);
  EXPECT_EQ(api.NParams(), 4);
  EXPECT_EQ(api.NPresets(), 3);
  EXPECT_EQ(api.MinEditorWidth(), 300);
  EXPECT_EQ(api.MaxEditorWidth(), 1200);
  EXPECT_EQ(api.MinEditorHeight(), 200);
  EXPECT_EQ(api.MaxEditorHeight(), 800);
  EXPECT_FALSE(api.HasApiTimer());
}

TEST_F(ApiBaseTest, EditFromTheEditorTellsTheHostWhatWasStored) {
  api.SetParamFromUI(0, 0.33);  // 3.3 on a step-1 parameter is stored as 3
  EXPECT_DOUBLE_EQ(api.GetParam(0)->Value(), 3.0);
  EXPECT_EQ(api.calls, (Calls{"SendParamValueToHost(0,0.3)", "OnParamChange(0,UI,-1)", "ParamChanged(0)",
                              "ParamChangedUI(0,UI)"}));
}

TEST_F(ApiBaseTest, EditWithAWildValueStoresAndReportsALegalOne) {
  api.SetParamFromUI(1, 7.0);
  EXPECT_DOUBLE_EQ(api.GetParam(1)->Value(), 1.0);
  api.SetParamFromUI(1, std::nan(""));
  EXPECT_DOUBLE_EQ(api.GetParam(1)->Value(), 0.5);  // the default
  ASSERT_GE(api.calls.size(), 5u);
  EXPECT_EQ(api.calls[0], "SendParamValueToHost(1,1)");
  EXPECT_EQ(api.calls[4], "SendParamValueToHost(1,0.5)");
}

TEST_F(ApiBaseTest, OperationsWithAnIndexOutsideTheListDoNothing) {
  for (int32_t index : {-1, 4, 1 << 30}) {
    api.SetParamFromUI(index, 0.5);
    api.SetParamValueAndInformHost(index, 0.5);
    api.BeginParamEditFromUI(index);
    api.EndParamEditFromUI(index);
    api.PushParamChangeFromProcessor(index, 0.5, true);
  }
  EXPECT_EQ(api.calls, Calls{});
  EXPECT_EQ(api.PendingParamChanges(), 0);
}

TEST_F(ApiBaseTest, EditorCallsReachTheirHostAndHookOperations) {
  api.BeginParamEditFromUI(2);
  api.EndParamEditFromUI(2);
  EXPECT_TRUE(api.ResizeFromUI(640, 480, false));
  EXPECT_FALSE(api.ResizeFromUI(640, 480, true));
  api.resizeAnswer = true;
  EXPECT_TRUE(api.ResizeFromUI(700, 500, true));
  const char payload[] = "abc";
  api.SendMessageFromUI(7, 3, 4, payload);
  EXPECT_EQ(api.calls, (Calls{"BeginHostParamEdit(2)", "EndHostParamEdit(2)", "RequestEditorResize(640,480)",
                              "RequestEditorResize(700,500)", "OnMessage(7,3,4)"}));
  EXPECT_EQ(api.lastMessageData, payload);
}

TEST_F(ApiBaseTest, ReportsEveryParameterToTheHostInIndexOrder) {
  api.GetParam(0)->Set(10);
  api.ReportAllParamsToHost();
  EXPECT_EQ(api.calls, (Calls{"SendParamValueToHost(0,1)", "SendParamValueToHost(1,0.5)",
                              "SendParamValueToHost(2,0)", "SendParamValueToHost(3,0)"}));
}

struct QueueCase {
  const char* name;
  int32_t capacity;
  bool (*push)(TestApi&, int32_t tag);
  int32_t (*pending)(const TestApi&);
  bool (*pop)(TestApi&, int32_t& tag);
};

const QueueCase kQueueCases[] = {
    {"processor-to-editor parameters", 512,
     [](TestApi& api, int32_t tag) {
       const int32_t before = api.PendingParamChanges();
       api.PushParamChangeFromProcessor(1, tag / 1000.0, false);
       return api.PendingParamChanges() > before;
     },
     [](const TestApi& api) { return api.PendingParamChanges(); }, nullptr},
    {"editor-to-processor MIDI", 32,
     [](TestApi& api, int32_t tag) {
       const int32_t before = api.PendingMidiFromEditor();
       api.SendMidiFromUI(MidiMessage{tag, 0x90, 60, 100});
       return api.PendingMidiFromEditor() > before;
     },
     [](const TestApi& api) { return api.PendingMidiFromEditor(); },
     [](TestApi& api, int32_t& tag) {
       MidiMessage message;
       const bool popped = api.PopMidiFromEditor(message);
       tag = message.sampleOffset;
       return popped;
     }},
    {"editor-to-processor SysEx", 4,
     [](TestApi& api, int32_t tag) {
       const int32_t before = api.PendingSysExFromEditor();
       const uint8_t bytes[] = {0xF0, 0x7D, 0xF7};
       api.SendSysExFromUI(SysExRef{tag, 3, bytes});
       return api.PendingSysExFromEditor() > before;
     },
     [](const TestApi& api) { return api.PendingSysExFromEditor(); },
     [](TestApi& api, int32_t& tag) {
       SysExMessage message;
       const bool popped = api.PopSysExFromEditor(message);
       tag = message.sampleOffset;
       return popped;
     }},
};

TEST(ApiBaseQueues, HoldOneLessThanTheirSlotsDropWhenFullAndKeepOrder) {
  for (const QueueCase& queue : kQueueCases) {
    SCOPED_TRACE(queue.name);
    TestApi api;
    for (int32_t i = 0; i < queue.capacity; ++i) ASSERT_TRUE(queue.push(api, i)) << i;
    EXPECT_FALSE(queue.push(api, 999));
    EXPECT_EQ(queue.pending(api), queue.capacity);
    if (!queue.pop) continue;
    int32_t tag = -1;
    ASSERT_TRUE(queue.pop(api, tag));
    EXPECT_EQ(tag, 0);
    EXPECT_TRUE(queue.push(api, 1000));
    for (int32_t expected = 1; expected < queue.capacity; ++expected) {
      ASSERT_TRUE(queue.pop(api, tag));
      EXPECT_EQ(tag, expected);
    }
    ASSERT_TRUE(queue.pop(api, tag));
    EXPECT_EQ(tag, 1000);
    EXPECT_FALSE(queue.pop(api, tag));
  }
}

TEST(ApiBaseQueues, ProcessorMidiAndSysExQueuesHoldThirtyTwoAndFour) {
  TestApi api;
  int32_t midiTaken = 0;
  while (api.PushMidiToEditor(MidiMessage{midiTaken, 0xB0, 1, 2})) ++midiTaken;
  int32_t sysExTaken = 0;
  while (api.PushSysExToEditor(SysExRef{sysExTaken, 0, nullptr})) ++sysExTaken;
  EXPECT_EQ(midiTaken, 32);
  EXPECT_EQ(sysExTaken, 4);
}

TEST(ApiBaseQueues, SysExWithoutDataCarriesZeroBytesAndTheGivenSize) {
  TestApi api;
  api.SendSysExFromUI(SysExRef{12, 300, nullptr});
  SysExMessage message;
  std::memset(message.data, 0xAA, sizeof message.data);
  ASSERT_TRUE(api.PopSysExFromEditor(message));
  EXPECT_EQ(message.sampleOffset, 12);
  EXPECT_EQ(message.size, 300);
  for (uint8_t byte : message.data) ASSERT_EQ(byte, 0);
}

TEST(ApiBaseQueues, SysExCopiesItsBytesAndRefusesSizesThatDoNotFit) {
  TestApi api;
  uint8_t bytes[kSysExMaxBytes + 1];
  for (int32_t i = 0; i <= kSysExMaxBytes; ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  api.SendSysExFromUI(SysExRef{0, kSysExMaxBytes + 1, bytes});
  api.SendSysExFromUI(SysExRef{0, -1, bytes});
  EXPECT_EQ(api.PendingSysExFromEditor(), 0);
  EXPECT_FALSE(api.PushSysExToEditor(SysExRef{0, kSysExMaxBytes + 1, bytes}));

  api.SendSysExFromUI(SysExRef{5, kSysExMaxBytes, bytes});
  SysExMessage message;
  ASSERT_TRUE(api.PopSysExFromEditor(message));
  EXPECT_EQ(message.size, kSysExMaxBytes);
  EXPECT_EQ(std::memcmp(message.data, bytes, kSysExMaxBytes), 0);
}

TEST_F(ApiBaseTest, ProcessorParamChangesArriveAsClampedRealValues) {
  api.PushParamChangeFromProcessor(0, 0.26, true);   // 2.6 -> step 3
  api.PushParamChangeFromProcessor(0, 42.0, false);  // passed as given, clamped on arrival by the UI
  api.DrainProcessorQueues();
  EXPECT_EQ(api.calls,
            (Calls{"SendParamValueToUI(0,3,real)", "ParamChangedUI(0,Editor Delegate)",
                   "SendParamValueToUI(0,42,real)", "ParamChangedUI(0,Editor Delegate)", "OnIdleTick"}));
}

TEST_F(ApiBaseTest, DrainDeliversParametersThenMidiThenSysExThenTicks) {
  api.PushSysExToEditor(SysExRef{9, 2, nullptr});
  api.PushMidiToEditor(MidiMessage{4, 0x80, 60, 0});
  api.PushParamChangeFromProcessor(1, 0.25, false);
  api.DrainProcessorQueues();
  EXPECT_EQ(api.calls, (Calls{"SendParamValueToUI(1,0.25,real)", "ParamChangedUI(1,Editor Delegate)",
                              "OnMidiUI(4,128,60,0)", "OnSysExUI(9,2)", "OnIdleTick"}));
  api.calls.clear();
  api.DrainProcessorQueues();
  EXPECT_EQ(api.calls, Calls{"OnIdleTick"});
}

// Pushes one more change from inside the drain, as a producer running meanwhile would.
class PushingDuringDrain : public TestApi {
 public:
  int32_t extraPushes = 2;
  void SendParamValueToUI(int32_t paramIdx, double value, bool valueIsNormalized) override {
    TestApi::SendParamValueToUI(paramIdx, value, valueIsNormalized);
    if (extraPushes-- > 0) PushParamChangeFromProcessor(1, value + 0.25, false);
  }
};

TEST(ApiBaseDrain, ItemsPushedWhileDrainingArriveInTheSameTickInOrder) {
  PushingDuringDrain api;
  api.GetParam(1)->InitDoubleParam("Fine", 0, 0, 1, 0.001);
  api.PushParamChangeFromProcessor(1, 0.0, false);
  api.calls.clear();
  api.DrainProcessorQueues();
  EXPECT_EQ(api.calls,
            (Calls{"SendParamValueToUI(1,0,real)", "ParamChangedUI(1,Editor Delegate)",
                   "SendParamValueToUI(1,0.25,real)", "ParamChangedUI(1,Editor Delegate)",
                   "SendParamValueToUI(1,0.5,real)", "ParamChangedUI(1,Editor Delegate)", "OnIdleTick"}));
}

TEST_F(ApiBaseTest, CompareStateMatchesWithinTheToleranceAndRefusesShortArrays) {
  api.GetParam(0)->Set(3);
  api.GetParam(1)->Set(0.25);
  const double same[] = {99, 3, 0.25 + 4e-6, 0, 0};
  const double differs[] = {99, 3, 0.25 + 3e-5, 0, 0};
  EXPECT_TRUE(api.CompareState(same, 5, 1));
  EXPECT_FALSE(api.CompareState(same, 5, 0));
  EXPECT_FALSE(api.CompareState(differs, 5, 1));
  EXPECT_FALSE(api.CompareState(same, 4, 1));  // would read past the end
  EXPECT_FALSE(api.CompareState(same, 5, -1));
  EXPECT_FALSE(api.CompareState(nullptr, 5, 0));
}

// What callers rely on where a wrapper has nothing to say: the standalone program shows its own
// about box, an empty text is no stale one, no channel colour is black, a closed editor no graphics.
TEST_F(ApiBaseTest, NeutralAnswersThatCallersRelyOn) {
  HeapBuffer indices;
  EXPECT_TRUE(api.AppendParamIndices(3, indices));
  ASSERT_EQ(indices.Size(), 12);
  int32_t listed[3];
  std::memcpy(listed, indices.Data(), sizeof listed);
  EXPECT_EQ(listed[0], 0);
  EXPECT_EQ(listed[2], 2);
  EXPECT_TRUE(api.AppendParamIndices(4, indices));
  EXPECT_EQ(indices.Size(), 12);

  HeapString text;
  text.Set("stale");
  EXPECT_FALSE(api.LookupText("any", text));
  EXPECT_STREQ(text.Get(), "");
  int32_t red = 5, green = 6, blue = 7;
  EXPECT_EQ(api.GetChannelColor(red, green, blue), 0);
  EXPECT_EQ(red + green + blue, 0);
  EXPECT_FALSE(api.ShowAboutBox());
  EXPECT_EQ(api.GetEditorGraphics(), nullptr);
}

// The audio thread feeds the editor while the UI thread drains: every item arrives, once, in order.
TEST(ApiBaseThreads, ProcessorToEditorQueuesAcrossTwoThreads) {
  class Collecting : public IApiBase {
   public:
    Collecting() : IApiBase(MakeTestConfig(), kApiKindVST3) {
      GetParam(0)->InitDoubleParam("P", 0, 0, 100000, 1);
    }
    void BeginParamEditFromUI(int32_t) override {}
    void EndParamEditFromUI(int32_t) override {}
    void SendParamValueToUI(int32_t, double value, bool) override {
      values.push_back(static_cast<int32_t>(value));
    }
    void SendMidiMsgToUI(const MidiMessage& message) override { midi.push_back(message.sampleOffset); }
    std::vector<int32_t> values;
    std::vector<int32_t> midi;
  } api;
  constexpr int32_t kItems = 20000;
  std::thread producer([&] {
    for (int32_t i = 0; i < kItems; ++i) {
      while (api.PendingParamChanges() == IApiBase::kParamQueueSlots - 1) std::this_thread::yield();
      api.PushParamChangeFromProcessor(0, i, false);
      while (!api.PushMidiToEditor(MidiMessage{i, 0x90, 1, 1})) std::this_thread::yield();
    }
  });
  while (api.values.size() < kItems || api.midi.size() < kItems) api.DrainProcessorQueues();
  producer.join();
  ASSERT_EQ(api.values.size(), static_cast<size_t>(kItems));
  ASSERT_EQ(api.midi.size(), static_cast<size_t>(kItems));
  for (int32_t i = 0; i < kItems; ++i) {
    ASSERT_EQ(api.values[i], i);
    ASSERT_EQ(api.midi[i], i);
  }
}

}  // namespace
}  // namespace plugfw
