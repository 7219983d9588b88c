// The vertical-blank loop against a scripted display and a clock that only moves when the loop
// sleeps or waits: that it follows displays of 60, 120 and 144 Hz, where it sleeps, when it
// retries the adapter, and that it never posts a second tick while one waits.

#include "graphics/platform/vblank_loop.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace plugfw::gfx {
namespace {

constexpr uint64_t kUsPerMs = 1000;

class FakeClock : public PacingClock {
 public:
  uint64_t NowUs() override { return now; }
  void SleepMs(uint32_t milliseconds) override {
    now += milliseconds * kUsPerMs;
    slept += milliseconds;
  }
  uint64_t now = 5000 * kUsPerMs;
  uint64_t slept = 0;  // milliseconds
};

class FakeDisplay : public VerticalBlankWaiter {
 public:
  explicit FakeDisplay(FakeClock& clock) : clock_(clock) {}
  bool Available() const override { return available; }
  bool Open() override {
    opens.push_back(clock_.now);
    if (!opensFail) ++openAdapters;
    return !opensFail;
  }
  bool Wait() override {
    ++waits;
    // Until the display's next vertical blank, or for a fixed time.
    clock_.now = refreshHz > 0 ? NextBlank() : clock_.now + waitMs * kUsPerMs;
    if (stop != nullptr && waits == stopAfterWaits) stop->RequestStop();
    return !waitsFail;
  }
  void Close() override { --openAdapters; }

  bool available = true;
  bool opensFail = false;
  bool waitsFail = false;
  uint64_t waitMs = 16;  // about a 60 Hz display
  int refreshHz = 0;     // when set, a display that refreshes this often
  std::vector<uint64_t> opens;
  int waits = 0;
  int openAdapters = 0;
  TickMailbox* stop = nullptr;  // stopped from here after stopAfterWaits waits
  int stopAfterWaits = 0;

 private:
  uint64_t NextBlank() const {
    const uint64_t blank = static_cast<uint64_t>(refreshHz);
    // Blank n falls at n / refreshHz seconds, in whole microseconds.
    const uint64_t n = clock_.now * blank / 1'000'000 + 1;
    return (n * 1'000'000 + blank - 1) / blank;
  }

  FakeClock& clock_;
};

// Runs the loop until it has posted `ticks` ticks, each taken at once by the window.
struct LoopRun {
  LoopRun(FakeDisplay& display, FakeClock& clock, int ticks) {
    RunVerticalBlankLoop(display, clock, mailbox, [&](uint32_t tick) {
      posted.push_back(tick);
      postTimes.push_back(clock.now);
      mailbox.TakeTick();
      if (static_cast<int>(posted.size()) == ticks) mailbox.RequestStop();
      return true;
    });
  }
  TickMailbox mailbox;
  std::vector<uint32_t> posted;
  std::vector<uint64_t> postTimes;
};

TEST(VerticalBlankLoop, WithoutAWaitSleepsOneFramePerTick) {
  FakeClock clock;
  FakeDisplay display(clock);
  display.available = false;
  const LoopRun run(display, clock, 10);
  EXPECT_EQ(run.posted, (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(clock.slept, 160u) << "16 ms per tick: about 60 ticks a second";
  EXPECT_TRUE(display.opens.empty());
}

TEST(VerticalBlankLoop, TicksAtTheRateOfDisplaysOf60120And144HzWithoutSleeping) {
  for (const int hz : {60, 120, 144}) {
    SCOPED_TRACE(hz);
    FakeClock clock;
    FakeDisplay display(clock);
    display.refreshHz = hz;
    const LoopRun run(display, clock, 3 * hz);
    ASSERT_EQ(run.postTimes.size(), static_cast<size_t>(3 * hz));
    EXPECT_EQ(clock.slept, 0u) << "no tick waited for an extra sleep";
    const uint64_t span = run.postTimes.back() - run.postTimes.front();
    const uint64_t threeSeconds = 3'000'000;
    // 3 x hz ticks one blank apart span 3 x hz - 1 periods.
    EXPECT_NEAR(static_cast<double>(span), threeSeconds * (3.0 * hz - 1) / (3.0 * hz), 2.0);
  }
}

TEST(VerticalBlankLoop, FollowsTheDisplayWithoutSleeping) {
  FakeClock clock;
  FakeDisplay display(clock);
  const LoopRun run(display, clock, 30);
  EXPECT_EQ(display.waits, 30);
  EXPECT_EQ(clock.slept, 0u);
  EXPECT_EQ(display.opens.size(), 1u) << "the adapter stays open";
  EXPECT_EQ(display.openAdapters, 0) << "and is closed when the loop ends";
}

TEST(VerticalBlankLoop, AWaitThatReturnsAtOnceIsPacedBySleepsNotSpun) {
  FakeClock clock;
  FakeDisplay display(clock);
  display.waitMs = 0;
  const LoopRun run(display, clock, 20);
  ASSERT_EQ(run.postTimes.size(), 20u);
  for (size_t i = 1; i < run.postTimes.size(); ++i)
    EXPECT_GE(run.postTimes[i] - run.postTimes[i - 1], kFallbackFrameMs * kUsPerMs) << "tick " << i;
}

TEST(VerticalBlankLoop, AnAdapterThatWillNotOpenIsRetriedOncePerSecondWhileTicksGoOn) {
  FakeClock clock;
  FakeDisplay display(clock);
  display.opensFail = true;
  const LoopRun run(display, clock, 250);  // four seconds of fallback ticks
  EXPECT_EQ(clock.slept, 250u * kFallbackFrameMs);
  ASSERT_GE(display.opens.size(), 4u);
  EXPECT_LE(display.opens.size(), 5u);
  for (size_t i = 1; i < display.opens.size(); ++i)
    EXPECT_GE(display.opens[i] - display.opens[i - 1], kAdapterRetryUs);
}

TEST(VerticalBlankLoop, AFailedWaitClosesTheAdapterAndBacksOff) {
  FakeClock clock;
  FakeDisplay display(clock);
  display.waitsFail = true;
  display.waitMs = 0;
  const LoopRun run(display, clock, 125);  // two seconds
  EXPECT_EQ(display.openAdapters, 0);
  ASSERT_GE(display.opens.size(), 2u);
  EXPECT_LE(display.opens.size(), 3u) << "not reopened on every pass";
  EXPECT_EQ(display.waits, static_cast<int>(display.opens.size()));
  EXPECT_GE(clock.slept, 125u * kFallbackFrameMs);
}

TEST(VerticalBlankLoop, PostsNoSecondTickWhileOneWaitsUntaken) {
  FakeClock clock;
  FakeDisplay display(clock);
  TickMailbox mailbox;
  display.stopAfterWaits = 50;
  display.stop = &mailbox;
  std::vector<uint32_t> posted;
  RunVerticalBlankLoop(display, clock, mailbox, [&](uint32_t tick) {
    posted.push_back(tick);
    return true;  // and the window never takes it
  });
  EXPECT_EQ(posted, std::vector<uint32_t>{1});
  mailbox.TakeTick();
  uint32_t next = 0;
  ASSERT_TRUE(mailbox.PublishTick(&next));
  EXPECT_EQ(next, 2u) << "no number was used up while the tick waited";
}

TEST(VerticalBlankLoop, ATickThatCouldNotBePostedDoesNotBlockTheNext) {
  FakeClock clock;
  FakeDisplay display(clock);
  TickMailbox mailbox;
  std::vector<uint32_t> delivered;
  int attempts = 0;
  RunVerticalBlankLoop(display, clock, mailbox, [&](uint32_t tick) {
    if (++attempts == 1) return false;  // the window's queue refused it
    delivered.push_back(tick);
    mailbox.TakeTick();
    if (delivered.size() == 2) mailbox.RequestStop();
    return true;
  });
  EXPECT_EQ(delivered, (std::vector<uint32_t>{2, 3}));
}

}  // namespace
}  // namespace plugfw::gfx
