// The editor opened through the module while a tone plays through it, as a host runs them: the
// measurement panels leave their waiting state and show the tone - its peak where 1 kHz lies on
// the spectrum's log-frequency axis, the meters risen, the voices' dots out on their field -
// read from the pixels the editor prints at scale 1, where a pixel is an editor unit.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "tests/core/message_pump.h"
#include "tests/vst3/editor_host.h"

namespace halcyra_test {
namespace {

constexpr double kSampleRate = 48000.0;
constexpr int32 kBlockFrames = 512;
constexpr double kToneHz = 1000.0;
constexpr double kToneAmplitude = 0.5;  // -6 dBFS
constexpr DWORD kPlayMs = 2000;

// Where the panels draw, in editor units.
struct Area {
  int left, top, right, bottom;
};
constexpr Area kSpectrumPlot = {757, 143, 1065, 245};
constexpr double kLowestPlotHz = 20.0;
constexpr double kHighestPlotHz = 20000.0;  // below 0.49 of 48 kHz
constexpr Area kInputMeter = {1081, 148, 1089, 229};
constexpr Area kOutputMeter = {1117, 148, 1125, 229};
constexpr Area kVoicePlane = {68, 168, 687, 338};

// The curves and meters are teal and blue; the panel, its rules and its muted text are greys.
bool Coloured(const PrintedEditor& printed, int x, int y) {
  const int red = printed.Red(x, y);
  return printed.Green(x, y) - red >= 50 || printed.Blue(x, y) - red >= 50;
}
bool MutedText(const PrintedEditor& printed, int x, int y) {
  const int red = printed.Red(x, y);
  const int green = printed.Green(x, y);
  const int blue = printed.Blue(x, y);
  return red > 110 && std::abs(green - red) < 25 && std::abs(blue - green) < 20;
}

template <typename Test>
int CountPixels(const PrintedEditor& printed, const Area& area, Test test) {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) count += test(printed, x, y) ? 1 : 0;
  }
  return count;
}

// The highest coloured pixel of each column of the plot (the plot's bottom where none is).
std::vector<int> CurveTops(const PrintedEditor& printed) {
  std::vector<int> tops;
  for (int x = kSpectrumPlot.left + 2; x < kSpectrumPlot.right - 2; ++x) {
    int top = kSpectrumPlot.bottom;
    for (int y = kSpectrumPlot.top; y < kSpectrumPlot.bottom; ++y) {
      if (Coloured(printed, x, y)) {
        top = y;
        break;
      }
    }
    tops.push_back(top);
  }
  return tops;
}

int DifferingPixels(const PrintedEditor& a, const PrintedEditor& b, const Area& area) {
  int differing = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      const int difference = std::abs(a.Red(x, y) - b.Red(x, y)) + std::abs(a.Green(x, y) - b.Green(x, y)) +
                             std::abs(a.Blue(x, y) - b.Blue(x, y));
      differing += difference > 60 ? 1 : 0;
    }
  }
  return differing;
}

class EditorLiveDisplays : public ModuleEditorTest {
 protected:
  // Plays the tone through the plug-in in step with the clock for `ms`, the editor's timer
  // drawing frames in between.
  void PlayTone(DWORD ms) {
    AudioBlock block(kBlockFrames, 2, 2, Steinberg::Vst::kSample32);
    const ULONGLONG start = GetTickCount64();
    for (ULONGLONG now = start; now - start < ms; now = GetTickCount64()) {
      const long long due = static_cast<long long>((now - start) * kSampleRate / 1000.0);
      while (played_ < due) {
        const std::vector<float> tone =
            Sine(kBlockFrames, kToneHz, kSampleRate, kToneAmplitude, static_cast<int32>(played_));
        block.SetInput(0, 0, tone.data());
        block.SetInput(0, 1, tone.data());
        ASSERT_EQ(plugin_->processor->process(block.Data()), Steinberg::kResultOk);
        played_ += kBlockFrames;
      }
      plugfw::test::DispatchPending();
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
  }

  long long played_ = 0;
};

TEST_F(EditorLiveDisplays, ATonePlayedThroughTheModuleLeavesTheWaitingStateAndShowsItself) {
  ASSERT_NE(OpenEditor(), nullptr);
  ASSERT_TRUE(plugin_->Start(kSampleRate, kBlockFrames));
  PrintedEditor waiting;
  ASSERT_TRUE(waiting.Print(editor_));
  // Before any audio: "WAITING FOR REAL SIGNAL" across the plot, no curve, empty meters.
  EXPECT_GT(CountPixels(waiting, kSpectrumPlot, MutedText), 40);
  EXPECT_EQ(CountPixels(waiting, kSpectrumPlot, Coloured), 0);
  EXPECT_EQ(CountPixels(waiting, kInputMeter, Coloured), 0);

  PlayTone(kPlayMs);
  PrintedEditor live;
  ASSERT_TRUE(live.Print(editor_));

  // The waiting text has gone and both spectra are drawn.
  EXPECT_LT(CountPixels(live, kSpectrumPlot, MutedText), 5);
  const std::vector<int> tops = CurveTops(live);
  const auto peak = std::min_element(tops.begin(), tops.end());
  ASSERT_LT(*peak, kSpectrumPlot.bottom);
  // 1 kHz lies log(1000 / 20) / log(20000 / 20) of the way across the plot.
  const double toneX = kSpectrumPlot.left + (kSpectrumPlot.right - kSpectrumPlot.left) *
                                                std::log(kToneHz / kLowestPlotHz) /
                                                std::log(kHighestPlotHz / kLowestPlotHz);
  const int peakX = kSpectrumPlot.left + 2 + static_cast<int>(peak - tops.begin());
  EXPECT_NEAR(peakX, toneX, 6.0);
  // And it stands well above the rest of the spectrum: the median column lies 30 pixels lower
  // or more (over 30 dB at this height).
  std::vector<int> sorted = tops;
  std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
  EXPECT_GE(sorted[sorted.size() / 2] - *peak, 30);

  // A -6 dBFS tone fills most of the input meter, and the output meter has risen.
  const int meterPixels = (kInputMeter.right - kInputMeter.left) * (kInputMeter.bottom - kInputMeter.top);
  EXPECT_GT(CountPixels(live, kInputMeter, Coloured), meterPixels / 2);
  EXPECT_GT(CountPixels(live, kOutputMeter, Coloured), meterPixels / 4);
  // The voices' actual dots and motion rings have come out on the field.
  EXPECT_GT(DifferingPixels(waiting, live, kVoicePlane), 50);
}

}  // namespace
}  // namespace halcyra_test
