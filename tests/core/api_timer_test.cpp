// The API base's 20 ms drain under Wine: a real thread timer on this thread's message loop
// empties what an audio-side thread pushed.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "core/api_base.h"
#include "tests/core/message_pump.h"
#include "tests/core/test_plugin.h"

namespace plugfw {
namespace {

using test::PumpMessagesFor;
using test::PumpMessagesUntil;

class DrainWatcher : public test::TestApi {
 public:
  DWORD uiThread = GetCurrentThreadId();
  std::atomic<int32_t> ticks{0};
  std::vector<int32_t> midiOffsets;
  std::vector<double> values;
  bool offThread = false;

  void OnIdleTick() override {
    offThread |= GetCurrentThreadId() != uiThread;
    ticks.fetch_add(1);
  }
  void SendMidiMsgToUI(const MidiMessage& message) override { midiOffsets.push_back(message.sampleOffset); }
  void SendParamValueToUI(int32_t, double value, bool) override { values.push_back(value); }
};

TEST(ApiTimer, DrainsWhatAnotherThreadPushedOnTheUiThreadEveryTwentyMilliseconds) {
  DrainWatcher api;
  api.GetParam(0)->InitDoubleParam("P", 0, 0, 1000, 1);
  api.CreateApiTimer();
  ASSERT_TRUE(api.HasApiTimer());
  std::thread audio([&] {
    for (int32_t i = 0; i < 100; ++i) {
      api.PushParamChangeFromProcessor(0, i, false);
      while (!api.PushMidiToEditor(MidiMessage{i, 0x90, 60, 1})) Sleep(1);
      if (i % 10 == 0) Sleep(10);
    }
  });
  const ULONGLONG start = GetTickCount64();
  ASSERT_TRUE(PumpMessagesUntil([&] { return api.midiOffsets.size() == 100 && api.values.size() == 100; }));
  audio.join();
  EXPECT_FALSE(api.offThread);
  for (int32_t i = 0; i < 100; ++i) {
    ASSERT_EQ(api.midiOffsets[i], i);
    ASSERT_EQ(api.values[i], i);
  }
  // Ticks come at about 20 ms intervals, not as fast as the loop spins.
  const int32_t ticks = api.ticks.load();
  const ULONGLONG elapsed = GetTickCount64() - start;
  EXPECT_GE(ticks, 1);
  EXPECT_LE(ticks, static_cast<int32_t>(elapsed / 10) + 2);
}

TEST(ApiTimer, ARecreatedTimerReplacesTheOldOneAndDestructionStopsIt) {
  auto api = std::make_unique<DrainWatcher>();
  api->CreateApiTimer();
  api->CreateApiTimer();
  ASSERT_TRUE(PumpMessagesUntil([&] { return api->ticks.load() >= 10; }));
  // One timer ticks at most once per 20 ms; two would come twice as often.
  const int32_t before = api->ticks.load();
  PumpMessagesFor(400);
  EXPECT_LE(api->ticks.load() - before, 400 / 20 + 3);
  api.reset();
  PumpMessagesFor(60);  // a tick after destruction would touch freed memory and crash here
  SUCCEED();
}

}  // namespace
}  // namespace plugfw
