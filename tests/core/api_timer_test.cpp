// The API base's 20 ms drain under Wine: a real thread timer on this thread's message loop
// empties what an audio-side thread pushed, ticks no faster than its period, and stops with
// the API base.

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

TEST(ApiTimer, DrainsWhatAnotherThreadPushedOnTheUiThread) {
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
  ASSERT_TRUE(PumpMessagesUntil([&] { return api.midiOffsets.size() == 100 && api.values.size() == 100; }));
  audio.join();
  EXPECT_FALSE(api.offThread);
  for (int32_t i = 0; i < 100; ++i) {
    ASSERT_EQ(api.midiOffsets[i], i);
    ASSERT_EQ(api.values[i], i);
  }
  EXPECT_GE(api.ticks.load(), 1);
}

// Milliseconds on the performance counter.
double NowMs() {
  LARGE_INTEGER frequency;
  LARGE_INTEGER now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

TEST(ApiTimer, TicksNoMoreOftenThanEveryTwentyMilliseconds) {
  DrainWatcher api;
  api.CreateApiTimer();
  ASSERT_TRUE(PumpMessagesUntil([&] { return api.ticks.load() >= 2; }));
  // A timer never fires sooner than its period, however loaded the machine: over half a second
  // a 20 ms timer ticks at most 25 times and one more, a 10 ms timer about twice that.
  const int32_t before = api.ticks.load();
  const double start = NowMs();
  PumpMessagesFor(500);
  const double elapsed = NowMs() - start;
  const int32_t ticks = api.ticks.load() - before;
  constexpr double kTwentyMs = 20.0;
  EXPECT_LE(ticks, static_cast<int32_t>(elapsed / kTwentyMs) + 1);
  EXPECT_GE(ticks, 5) << "and it does tick";
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
  // A thread timer left running would go on posting WM_TIMER to this thread. They are taken from
  // the queue here without being dispatched, so none reaches the freed object.
  int32_t timerMessages = 0;
  const auto takeTimerMessages = [&] {
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE))
      timerMessages += message.hwnd == nullptr;
  };
  takeTimerMessages();  // one made due before the timer was killed
  timerMessages = 0;
  for (int wait = 0; wait < 10; ++wait) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, IApiBase::kApiTimerPeriodMs, QS_TIMER);
    takeTimerMessages();
  }
  EXPECT_EQ(timerMessages, 0) << "ten periods after destruction";
}

}  // namespace
}  // namespace plugfw
