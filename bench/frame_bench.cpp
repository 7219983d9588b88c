// Times the frame road of the graphics context with 300 dirty controls in a 1180×800 editor,
// drawn into the recording double with its back-end calls counted rather than logged, so the
// figure is the framework's own; prints one line per case (median of several batches; targets:
// a collect-and-draw under 300 µs, the optimiser under 100 µs):
//   case=frame_collect_draw_full_300 us=<x>
//     every control marked dirty, collected, cleaned, then one frame over one rectangle that
//     covers the editor, as the window paints a region too complex to list.
//   case=frame_collect_draw_bands62_300 us=<x>
//     the same with 62 band rectangles, the most the window takes from a region: every
//     control is tried against every band and drawn in each it touches.
//   case=optimize_rect_list_62 us=<x>
//     OptimizeRectList on 62 random rectangles aligned to the pixel grid.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "graphics/control.h"
#include "graphics/rect_list.h"
#include "graphics/rect_list_optimizer.h"
#include "tests/graphics/support/gfx_test_support.h"

namespace plugfw::gfx {
namespace {

constexpr int32_t kEditorWidth = 1180;
constexpr int32_t kEditorHeight = 800;
constexpr int32_t kColumns = 20;
constexpr int32_t kRows = 15;
constexpr int32_t kBands = 62;
constexpr int kBatches = 15;
constexpr int kFramesPerBatch = 200;
constexpr int kOptimisationsPerBatch = 400;

// The recording double with its drawing calls counted instead of written down.
class CountingGfx : public test::RecordingGfx {
 public:
  explicit CountingGfx(IGfxEditorDelegate& delegate) : RecordingGfx(delegate, kEditorWidth, kEditorHeight) {}
  ~CountingGfx() override { RemoveAllControls(); }

  void BeginFrame() override { IGfx::BeginFrame(); }
  void EndFrame() override {}
  void PathClear() override { ++calls; }
  void PathClose() override { ++calls; }
  void PathMoveTo(float, float) override { ++calls; }
  void PathLineTo(float, float) override { ++calls; }
  void PathArc(float, float, float, float, float, int32_t) override { ++calls; }
  void PathFill(const FillPattern&, const FillOptions&, const Blend*) override { ++calls; }
  void PathStroke(const FillPattern&, float, const StrokeOptions&, const Blend*) override { ++calls; }
  void PathSetTransform(const PathTransform&) override { ++calls; }
  void SetClipRegion(const Rect&) override { ++calls; }

  long calls = 0;
};

// Draws what a knob's body takes: a filled disc and a stroked arc.
class KnobLike : public IControl {
 public:
  explicit KnobLike(const Rect& bounds) : IControl(bounds) {}
  void Draw(IGfx& gfx) override {
    const Rect& r = GetRect();
    gfx.FillCircle(ColourGray, r.CentreX(), r.CentreY(), r.Height() / 3.f);
    gfx.DrawArc(ColourWhite, r.CentreX(), r.CentreY(), r.Height() / 2.5f, -135.f, 90.f, nullptr, 2.f);
  }
};

RectList FullEditor() {
  RectList list;
  list.Add(Rect(0, 0, kEditorWidth, kEditorHeight));
  return list;
}

// Full-width bands with gaps between them, so that none merges with its neighbour.
RectList Bands() {
  RectList list;
  const float pitch = static_cast<float>(kEditorHeight) / kBands;
  for (int32_t i = 0; i < kBands; ++i) {
    const float top = std::floor(i * pitch);
    list.Add(Rect(0, top, kEditorWidth, top + std::floor(pitch * 0.6f)));
  }
  return list;
}

void CollectAndDraw(const RectList& area, const char* name) {
  test::GfxTestDelegate delegate(1);
  CountingGfx gfx(delegate);
  const float width = static_cast<float>(kEditorWidth) / kColumns;
  const float height = static_cast<float>(kEditorHeight) / kRows;
  for (int32_t row = 0; row < kRows; ++row) {
    for (int32_t column = 0; column < kColumns; ++column) {
      gfx.AttachControl(new KnobLike(
          Rect(column * width + 2, row * height + 2, (column + 1) * width - 2, (row + 1) * height - 2)));
    }
  }
  RectList dirty;
  std::vector<double> perFrame;
  for (int batch = 0; batch < kBatches; ++batch) {
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < kFramesPerBatch; ++frame) {
      gfx.SetAllControlsDirty();
      dirty.Clear();
      gfx.CollectDirtyRects(dirty);
      gfx.SetAllControlsClean();
      RectList painted = area;
      gfx.DrawRectList(painted);
    }
    perFrame.push_back(plugfw::bench::MicrosecondsSince(start) / kFramesPerBatch);
  }
  // Every frame must have collected and drawn every control, or the figure times nothing.
  if (dirty.Count() != kColumns * kRows || gfx.calls == 0) {
    std::fprintf(stderr, "frame_bench: %s collected %d rectangles and drew nothing\n", name, dirty.Count());
    return;
  }
  std::printf("case=%s us=%.2f\n", name, plugfw::bench::Median(perFrame));
}

RectList RandomAlignedRects(std::mt19937& random) {
  std::uniform_int_distribution<int32_t> x(0, kEditorWidth - 10);
  std::uniform_int_distribution<int32_t> y(0, kEditorHeight - 10);
  std::uniform_int_distribution<int32_t> size(10, 200);
  RectList list;
  for (int32_t i = 0; i < kBands; ++i) {
    const float left = static_cast<float>(x(random));
    const float top = static_cast<float>(y(random));
    list.Add(Rect(left, top, std::min<float>(kEditorWidth, left + size(random)),
                  std::min<float>(kEditorHeight, top + size(random))));
  }
  return list;
}

void Optimise() {
  std::mt19937 random(62);
  std::vector<RectList> lists;
  for (int i = 0; i < kOptimisationsPerBatch; ++i) lists.push_back(RandomAlignedRects(random));
  std::vector<double> perCall;
  int32_t kept = 0;
  for (int batch = 0; batch < kBatches; ++batch) {
    std::vector<RectList> work = lists;
    const auto start = std::chrono::steady_clock::now();
    for (RectList& list : work) OptimizeRectList(list);
    perCall.push_back(plugfw::bench::MicrosecondsSince(start) / kOptimisationsPerBatch);
    kept = work.front().Count();
  }
  std::printf("case=optimize_rect_list_62 us=%.2f rects_out=%d\n", plugfw::bench::Median(perCall), kept);
}

bool Wanted(const std::string& only, const char* name) {
  return only.empty() || std::string(name).find(only) != std::string::npos;
}

}  // namespace
}  // namespace plugfw::gfx

int main(int argc, char** argv) {
  using namespace plugfw::gfx;
  const std::string only = argc > 1 ? argv[1] : "";
  if (Wanted(only, "frame_collect_draw_full_300"))
    CollectAndDraw(FullEditor(), "frame_collect_draw_full_300");
  if (Wanted(only, "frame_collect_draw_bands62_300"))
    CollectAndDraw(Bands(), "frame_collect_draw_bands62_300");
  if (Wanted(only, "optimize_rect_list_62")) Optimise();
  return 0;
}
