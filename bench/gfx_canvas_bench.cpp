// Times whole editor frames through the drawing back end IGfxCanvas on llvmpipe: a synthetic
// 1180 x 800 editor of 300 knob-like controls (panel, body, track and value arcs, pointer,
// label), each drawn as the frame road draws a control (transform reset, clip), into the
// main framebuffer and composited into a window-sized target. Prints one line per case:
//   case=<name> ms_per_frame=<x> fastest_ms=<x> cpu_ms_per_frame=<x> building_ms=<x> ...
// ms_per_frame is the mean, fastest_ms the quickest frame (the figure least disturbed by other
// work on a shared machine), cpu_ms_per_frame the processor time of the whole process with
// llvmpipe's rasterising threads (steadier where others compete for the cores, and the one
// that shows rasterising saved), calling_thread_cpu_ms the part of it on the drawing thread
// (canvas, GL driver, vertex work and binning: it cannot spread over cores), building_ms the
// part spent making the frame's calls before the flush hands them to GL.
// The GL figures come from one frame counted through the GL table; the state cache shows as
// far fewer texture, blend and stencil calls than draws. program_binds counts the binds of the
// program, not the unbind that ends a flush; buffer_uploads the uploads of the vertices and of
// their index list, not the release of their storage. Times include llvmpipe's rasterising
// (each frame ends with glFinish).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "tests/graphics/renderer/gl_test_context.h"
#include "tests/graphics/renderer/test_canvas_gfx.h"
#include "tests/graphics/support/gfx_test_delegate.h"

namespace plugfw::gfx {
namespace {

constexpr int32_t kEditorWidth = 1180;
constexpr int32_t kEditorHeight = 800;
constexpr int kColumns = 20;
constexpr int kRows = 15;  // 300 knobs
constexpr int kTimedFrames = 40;
constexpr float kKnobRadius = 17.f;

const Colour kPanel{255, 38, 42, 50};
const Colour kBody{255, 70, 76, 90};
const Colour kTrack{255, 24, 26, 30};
const Colour kValue{255, 120, 200, 255};
const Colour kPointer{255, 240, 240, 240};

Rect KnobCell(int index) {
  const float w = static_cast<float>(kEditorWidth) / kColumns;
  const float h = static_cast<float>(kEditorHeight) / kRows;
  const float x = static_cast<float>(index % kColumns) * w;
  const float y = static_cast<float>(index / kColumns) * h;
  return Rect(x, y, x + w, y + h);
}

// One knob as a control would draw itself, after the road has set its clip.
void DrawKnob(IGfx& g, int index) {
  const Rect cell = KnobCell(index);
  g.PathTransformReset(true);
  g.PathClear();
  g.SetClipRegion(cell.Padded(0.75f));
  g.SetCurrentClip(cell.Padded(0.75f));
  const float cx = cell.CentreX();
  const float cy = cell.top + 22.f;
  const float value = static_cast<float>(index % 17) / 16.f;
  g.FillRoundRect(kPanel, cell.Padded(-2.f), 4.f);
  g.FillCircle(kBody, cx, cy, kKnobRadius - 4.f);
  g.DrawArc(kTrack, cx, cy, kKnobRadius, -135.f, 135.f, nullptr, 3.f);
  g.DrawArc(kValue, cx, cy, kKnobRadius, -135.f, -135.f + 270.f * value, nullptr, 3.f);
  g.PathTransformSave();
  g.PathTransformTranslate(cx, cy);
  g.PathTransformRotate(-135.f + 270.f * value);
  g.DrawLine(kPointer, 0.f, -4.f, 0.f, -(kKnobRadius - 5.f), nullptr, 2.f);
  g.PathTransformRestore();
  TextStyle label;
  label.size = 11.f;
  label.textColour = kPointer;
  char text[16];
  std::snprintf(text, sizeof text, "Rate %d", index % 100);
  g.DoDrawText(label, text, Rect(cell.left, cell.bottom - 16.f, cell.right, cell.bottom - 2.f));
}

struct Case {
  std::string name;
  int firstKnob;
  int knobs;
};

struct Counts {
  int total = 0;
  int draws = 0;
  int textureBinds = 0;
  int blendChanges = 0;
  int stencilChanges = 0;
  int programBinds = 0;
  int bufferUploads = 0;
};

Counts CountCalls(const std::vector<std::string>& calls) {
  Counts counts;
  counts.total = static_cast<int>(calls.size());
  for (const std::string& call : calls) {
    counts.draws += call == "glDrawArrays" || call == "glDrawElements";
    counts.textureBinds += call == "glBindTexture";
    counts.blendChanges += call == "glBlendFuncSeparate";
    counts.stencilChanges += call == "glStencilFunc" || call == "glStencilMask";
  }
  return counts;
}

using Clock = std::chrono::steady_clock;

// Returns the seconds spent building the frame's calls, before the flush hands them to GL.
double DrawFrame(test::TestCanvasGfx& gfx, const Case& c) {
  const Clock::time_point start = Clock::now();
  gfx.BeginFrame();
  for (int i = 0; i < c.knobs; ++i) DrawKnob(gfx, c.firstKnob + i);
  const Clock::time_point built = Clock::now();
  gfx.EndFrame();
  test::TestGL().Finish();
  return std::chrono::duration<double>(built - start).count();
}

}  // namespace
}  // namespace plugfw::gfx

// An optional argument runs only the cases whose names contain it.
int main(int argc, char** argv) {
  using namespace plugfw::gfx;
  const std::string only = argc > 1 ? argv[1] : "";
  const char* reason = nullptr;
  if (!test::EnsureGLTestContext(&reason)) {
    std::fprintf(stderr, "gfx_canvas_bench: no GL context: %s\n", reason);
    return 1;
  }
  test::WindowTarget window(kEditorWidth, kEditorHeight);
  test::TestGL().BindFramebuffer(GL_FRAMEBUFFER, window.Name());
  test::GfxTestDelegate delegate(0);
  test::TestCanvasGfx gfx(delegate, kEditorWidth, kEditorHeight);
  if (!window.Complete() || gfx.CreateRendererContext() == nullptr) {
    std::fprintf(stderr, "gfx_canvas_bench: no window target or renderer\n");
    return 1;
  }
  gfx.Resize(kEditorWidth, kEditorHeight, 1.f, 1.f);
  test::BytesFont font(test::ReadRobotoFile("Roboto-Regular.ttf"));
  if (!gfx.LoadFontIntoRenderer(kDefaultFontId, font)) {
    std::fprintf(stderr, "gfx_canvas_bench: the Roboto font package is missing\n");
    return 1;
  }
  const Case cases[] = {
      {"frame_300_knobs_llvmpipe", 0, kColumns * kRows},
      {"frame_1_dirty_knob_llvmpipe", 137, 1},
      // The fixed cost of every frame: the window's clear and the main framebuffer's composite.
      {"frame_clear_and_composite_llvmpipe", 0, 0},
  };
  for (const Case& c : cases) {
    if (c.name.find(only) == std::string::npos) continue;
    DrawFrame(gfx, c);  // warm: glyphs, queues and caches reach their size
    Counts counts;
    {
      test::GLCallLog log(gfx.GLTable());
      test::GLUploadCounts uploads(gfx.GLTable());
      DrawFrame(gfx, c);
      counts = CountCalls(log.calls);
      counts.programBinds = uploads.programBinds;
      counts.bufferUploads = uploads.vertexUploads + uploads.indexUploads;
    }
    double building = 0.0;
    double fastest = 1e9;
    const Clock::time_point start = Clock::now();
    const double cpuStart = plugfw::bench::ProcessCpuSeconds();
    const double threadStart = plugfw::bench::ThreadCpuSeconds();
    for (int f = 0; f < kTimedFrames; ++f) {
      const Clock::time_point frameStart = Clock::now();
      building += DrawFrame(gfx, c);
      fastest = std::min(fastest, std::chrono::duration<double>(Clock::now() - frameStart).count());
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpuSeconds = plugfw::bench::ProcessCpuSeconds() - cpuStart;
    const double threadSeconds = plugfw::bench::ThreadCpuSeconds() - threadStart;
    std::printf(
        "case=%s ms_per_frame=%.2f fastest_ms=%.2f cpu_ms_per_frame=%.2f calling_thread_cpu_ms=%.2f "
        "building_ms=%.2f "
        "gl_calls_per_frame=%d draws=%d "
        "texture_binds=%d "
        "blend_changes=%d stencil_changes=%d program_binds=%d buffer_uploads=%d\n",
        c.name.c_str(), seconds * 1e3 / kTimedFrames, fastest * 1e3, cpuSeconds * 1e3 / kTimedFrames,
        threadSeconds * 1e3 / kTimedFrames, building * 1e3 / kTimedFrames, counts.total, counts.draws,
        counts.textureBinds, counts.blendChanges, counts.stencilChanges, counts.programBinds,
        counts.bufferUploads);
    std::fflush(stdout);
  }
  gfx.DestroyRendererContext();
  return 0;
}
