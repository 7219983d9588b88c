// Times the whole editor - every control of the layout, the live signal display and voice field
// included - through the drawing back end IGfxCanvas on llvmpipe (a headless Mesa context), with
// the plug-in processing a chord between frames so that the measurement panels show real
// signal. Each frame runs the tick's road: dirty collection, drawing of the dirty rectangles,
// cleaning, and glFinish. Prints one line per case, wall-clock times, the median time before
// glFinish and the median of the process's CPU time per frame (every thread's, llvmpipe's
// rasterisers included):
//   case=<name> median_ms=<x> fastest_ms=<x> slowest_ms=<x> building_ms=<x> median_cpu_ms=<x> rects=<n>
// editor_full_frame_* marks every control dirty first (opening, resizing, a page change), with
// the chord playing (_live) or after it fell silent (_silent: the panels wait for signal);
// editor_tick_live_* is a frame with nothing touched, drawing whatever the controls mark dirty
// themselves, editor_tick_silent_* the same once the chord fell silent, editor_tick_stopped_*
// with no audio processed between frames (a stopped host, the program without audio: the idle
// tick);
// editor_panels_live_* redraws only the signal display's and the voice field's rectangles, the
// part that live measurement adds to every frame. building_ms is the time before glFinish:
// collecting, drawing and queueing, and whatever rasterising Mesa does on the way.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "core/math_constants.h"
#include "editor/editor_layout.h"
#include "editor/palette.h"
#include "editor/signal_display.h"
#include "editor/voice_orbit_control.h"
#include "effect/halcyra.h"
#include "graphics/control.h"
#include "graphics/rect_list.h"
#include "tests/graphics/renderer/gl_test_context.h"
#include "tests/graphics/renderer/test_canvas_gfx.h"

namespace halcyra {
namespace {

using Clock = std::chrono::steady_clock;
using plugfw::gfx::RectList;
using plugfw::gfx::test::TestCanvasGfx;

constexpr double kSampleRate = 48000.0;
constexpr int32_t kFramesPerTick = 1600;  // 30 frames a second of audio between ticks
constexpr int32_t kSliceFrames = 512;
constexpr int kTimedFrames = 60;

// Feeds the plug-in a chord of three sines, as a host would between two editor frames.
class ToneFeed {
 public:
  explicit ToneFeed(Halcyra& plugin) : plugin_(plugin) {
    for (auto& channel : in_) channel.assign(kSliceFrames, 0.f);
    for (auto& channel : out_) channel.assign(kSliceFrames, 0.f);
  }
  void SetLevel(double level) { level_ = level; }
  void Play(int32_t frames) {
    float* inputs[4] = {in_[0].data(), in_[1].data(), in_[2].data(), in_[3].data()};
    float* outputs[2] = {out_[0].data(), out_[1].data()};
    while (frames > 0) {
      const int32_t n = std::min(frames, kSliceFrames);
      for (int32_t i = 0; i < n; ++i, ++sample_) {
        const double t = static_cast<double>(sample_) / kSampleRate;
        const double s = 0.3 * std::sin(plugfw::kTwoPi * 220.0 * t) +
                         0.2 * std::sin(plugfw::kTwoPi * 330.0 * t) +
                         0.1 * std::sin(plugfw::kTwoPi * 1760.0 * t);
        in_[0][i] = static_cast<float>(level_ * s);
        in_[1][i] = static_cast<float>(0.9 * level_ * s);
      }
      plugin_.ProcessAudio(inputs, outputs, n);
      frames -= n;
    }
  }

 private:
  Halcyra& plugin_;
  std::vector<float> in_[4];
  std::vector<float> out_[2];
  long sample_ = 0;
  double level_ = 1.0;
};

struct Timing {
  double medianMs;
  double fastestMs;
  double slowestMs;
  double buildingMs;
  double medianCpuMs;
  int32_t rects;
};

struct FrameTime {
  double totalMs;
  double buildingMs;
  int32_t rects;
};

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

enum class Frame { kFull, kTick, kPanels };

// The rectangles a frame draws: the controls' own choice, or only the two measurement panels
// (after they took the engine's records, as the tick has them do).
void Collect(TestCanvasGfx& gfx, Frame frame, RectList& rects) {
  if (frame != Frame::kPanels) {
    gfx.CollectDirtyRects(rects);
    return;
  }
  for (int32_t i = 0; i < gfx.NControls(); ++i) {
    plugfw::gfx::IControl* control = gfx.GetControl(i);
    if (dynamic_cast<SignalDisplay*>(control) == nullptr &&
        dynamic_cast<VoiceOrbitControl*>(control) == nullptr)
      continue;
    control->IsDirty();
    rects.Add(control->GetRect().Padded(0.75f));
  }
}

// One frame as the window's tick runs it.
FrameTime DrawFrame(TestCanvasGfx& gfx, Frame frame) {
  const Clock::time_point start = Clock::now();
  if (frame == Frame::kFull) gfx.SetAllControlsDirty();
  RectList rects;
  Collect(gfx, frame, rects);
  gfx.DrawRectList(rects);
  gfx.SetAllControlsClean();
  const double buildingMs = MsSince(start);
  plugfw::gfx::test::TestGL().Finish();
  return {MsSince(start), buildingMs, rects.Count()};
}

Timing TimeFrames(TestCanvasGfx& gfx, ToneFeed& feed, Frame frame, bool playing) {
  std::vector<double> total;
  std::vector<double> building;
  std::vector<double> cpuMs;
  int32_t rects = 0;
  for (int f = 0; f < kTimedFrames; ++f) {
    if (playing) feed.Play(kFramesPerTick);
    const double cpuStart = 1e3 * plugfw::bench::ProcessCpuSeconds();
    const FrameTime t = DrawFrame(gfx, frame);
    cpuMs.push_back(1e3 * plugfw::bench::ProcessCpuSeconds() - cpuStart);
    total.push_back(t.totalMs);
    building.push_back(t.buildingMs);
    rects = t.rects;
  }
  const double median = plugfw::bench::Median(total);
  return {median, total.front(), total.back(), plugfw::bench::Median(building), plugfw::bench::Median(cpuMs),
          rects};
}

struct Case {
  const char* name;
  Frame frame;
  double level;         // of the chord; 0 plays silence long enough for the panels to go idle
  bool playing = true;  // false: no audio reaches the plug-in between the timed frames
};

constexpr Case kCases[] = {
    {"editor_full_frame_live", Frame::kFull, 1.0}, {"editor_tick_live", Frame::kTick, 1.0},
    {"editor_panels_live", Frame::kPanels, 1.0},   {"editor_full_frame_silent", Frame::kFull, 0.0},
    {"editor_tick_silent", Frame::kTick, 0.0},     {"editor_tick_stopped", Frame::kTick, 0.0, false},
};

}  // namespace
}  // namespace halcyra

// An optional argument runs only the cases whose names contain it.
int main(int argc, char** argv) {
  using namespace halcyra;
  using namespace plugfw::gfx;
  const std::string only = argc > 1 ? argv[1] : "";
  const char* reason = nullptr;
  if (!test::EnsureGLTestContext(&reason)) {
    std::fprintf(stderr, "editor_frame_bench: no GL context: %s\n", reason);
    return 1;
  }
  std::unique_ptr<Halcyra> plugin = CreatePluginInstance({});
  if (!plugin) return 1;
  plugin->SetSampleRate(kSampleRate);
  plugin->ResetProcessing();
  plugin->SetActive(true);
  ToneFeed feed(*plugin);
  test::BytesFont font(test::ReadRobotoFile("Roboto-Regular.ttf"));

  for (const float scale : {1.f, 1.5f}) {
    const std::string suffix = scale == 1.f ? "_scale_1_0" : "_scale_1_5";
    bool wanted = false;
    for (const Case& c : kCases) wanted = wanted || (c.name + suffix).find(only) != std::string::npos;
    if (!wanted) continue;

    const int width = static_cast<int>(std::lround(Halcyra::kEditorWidth * scale));
    const int height = static_cast<int>(std::lround(Halcyra::kEditorHeight * scale));
    test::WindowTarget window(width, height);
    test::TestGL().BindFramebuffer(GL_FRAMEBUFFER, window.Name());
    auto gfx = std::make_unique<TestCanvasGfx>(*plugin, Halcyra::kEditorWidth, Halcyra::kEditorHeight, scale);
    if (!window.Complete() || gfx->CreateRendererContext() == nullptr) {
      std::fprintf(stderr, "editor_frame_bench: no window target or renderer\n");
      return 1;
    }
    gfx->Resize(Halcyra::kEditorWidth, Halcyra::kEditorHeight, scale, 1.f);
    if (!gfx->LoadFontIntoRenderer(kEditorFontId, font)) {
      std::fprintf(stderr, "editor_frame_bench: the Roboto font package is missing\n");
      return 1;
    }
    BuildEditorLayout(plugin.get(), gfx.get());
    for (const Case& c : kCases) {
      const std::string name = c.name + suffix;
      if (name.find(only) == std::string::npos) continue;
      feed.SetLevel(c.level);
      // Warm: glyphs, queues and caches reach their size; the engine's records settle (two
      // seconds, so a silenced chord has left the panels).
      for (int f = 0; f < 60; ++f) {
        feed.Play(kFramesPerTick);
        DrawFrame(*gfx, Frame::kFull);
      }
      const Timing t = TimeFrames(*gfx, feed, c.frame, c.playing);
      std::printf(
          "case=%s median_ms=%.2f fastest_ms=%.2f slowest_ms=%.2f building_ms=%.2f median_cpu_ms=%.2f "
          "rects=%d\n",
          name.c_str(), t.medianMs, t.fastestMs, t.slowestMs, t.buildingMs, t.medianCpuMs, t.rects);
      std::fflush(stdout);
    }
    gfx->RemoveAllControls();
    gfx->DestroyRendererContext();
  }
  return 0;
}
