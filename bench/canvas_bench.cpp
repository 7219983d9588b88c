// Times the vector canvas on paths of 256 points with miter joins and anti-aliasing, and
// prints one line per case:
//   case=<name> us_per_path=<x> gl_calls_per_frame=<n>
// The cpu cases build, flatten, tessellate and queue each path through the GL back end and
// drop the queue at the end of each frame; the frame cases also flush it to llvmpipe (a
// software rasteriser, so those figures include the drawing itself).
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "graphics/renderer/canvas.h"
#include "graphics/renderer/gl_backend.h"
#include "tests/graphics/renderer/gl_test_context.h"

namespace plugfw::gfx {
namespace {

constexpr int kPoints = 256;
constexpr int kPathsPerFrame = 100;
constexpr int kFrames = 100;
constexpr int kTargetSize = 512;
constexpr float kTwoPi = 6.2831855f;

// A wavy ring: concave, so fills take the stencil road.
void AddWavyRing(CanvasContext* canvas) {
  for (int i = 0; i < kPoints; ++i) {
    const float a = kTwoPi * static_cast<float>(i) / kPoints;
    const float r = 200.0f + 20.0f * std::sin(8.0f * a);
    const float x = 256.0f + r * std::cos(a), y = 256.0f + r * std::sin(a);
    if (i == 0) {
      CanvasMoveTo(canvas, x, y);
    } else {
      CanvasLineTo(canvas, x, y);
    }
  }
  CanvasClosePath(canvas);
}

// An open zigzag across the target: a miter join at every point.
void AddZigzag(CanvasContext* canvas) {
  for (int i = 0; i < kPoints; ++i) {
    const float x = 8.0f + 496.0f * static_cast<float>(i) / (kPoints - 1);
    const float y = 256.0f + ((i % 2) != 0 ? 40.0f : -40.0f);
    if (i == 0) {
      CanvasMoveTo(canvas, x, y);
    } else {
      CanvasLineTo(canvas, x, y);
    }
  }
}

void FillRing(CanvasContext* canvas) {
  CanvasBeginPath(canvas);
  AddWavyRing(canvas);
  CanvasFillColour(canvas, CanvasColour{0.2f, 0.6f, 0.9f, 0.8f});
  CanvasFill(canvas);
}

void StrokeZigzag(CanvasContext* canvas) {
  CanvasBeginPath(canvas);
  AddZigzag(canvas);
  CanvasStrokeColour(canvas, CanvasColour{1.0f, 0.8f, 0.2f, 1.0f});
  CanvasStrokeWidth(canvas, 3.0f);
  CanvasLineJoin(canvas, kLineMiter);
  CanvasStroke(canvas);
}

struct Case {
  std::string name;
  std::function<void(CanvasContext*)> drawPath;
  bool flush;
};

// GL calls per frame, counted through the table: every entry replaced by one that counts
// and forwards.
int gGLCalls = 0;
GLFunctions gReal;

template <typename F>
struct CountingEntry;

template <typename R, typename... A>
struct CountingEntry<R (*)(A...)> {
  template <R (*GLFunctions::*Member)(A...)>
  static R Call(A... args) {
    ++gGLCalls;
    return (gReal.*Member)(args...);
  }
};

void CountGLCalls() {
  gReal = test::TestGL();
#define HALCYRA_GL_COUNTING(ret, entry, params) \
  test::TestGL().entry = &CountingEntry<decltype(test::TestGL().entry)>::template Call<&GLFunctions::entry>;
  HALCYRA_GL_FUNCTIONS(HALCYRA_GL_COUNTING)
#undef HALCYRA_GL_COUNTING
}

struct Result {
  double usPerPath;
  int glCallsPerFrame;
};

Result RunCase(CanvasContext* canvas, const Case& c) {
  auto frame = [&] {
    CanvasBeginFrame(canvas, kTargetSize, kTargetSize, 1.0f);
    for (int i = 0; i < kPathsPerFrame; ++i) c.drawPath(canvas);
    if (c.flush) {
      CanvasEndFrame(canvas);
    } else {
      canvas->callbacks.cancel(canvas->callbacks.state);
    }
  };
  frame();  // warm: the queues and caches reach their size
  gGLCalls = 0;
  frame();
  const int callsPerFrame = gGLCalls;
  test::TestGL().Finish();
  const auto start = std::chrono::steady_clock::now();
  for (int f = 0; f < kFrames; ++f) frame();
  test::TestGL().Finish();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return Result{seconds * 1e6 / (kFrames * kPathsPerFrame), callsPerFrame};
}

std::vector<Case> Cases() {
  return {
      Case{"path_fill_cpu", FillRing, false},
      Case{"path_stroke_cpu", StrokeZigzag, false},
      Case{"path_fill_stroke_cpu",
           [](CanvasContext* canvas) {
             FillRing(canvas);
             StrokeZigzag(canvas);
           },
           false},
      Case{"path_fill_llvmpipe", FillRing, true},
      Case{"path_stroke_llvmpipe", StrokeZigzag, true},
  };
}

}  // namespace
}  // namespace plugfw::gfx

// An optional argument runs only the cases whose names contain it.
int main(int argc, char** argv) {
  using namespace plugfw::gfx;
  const std::string only = argc > 1 ? argv[1] : "";
  const char* reason = nullptr;
  if (!test::EnsureGLTestContext(&reason)) {
    std::fprintf(stderr, "canvas_bench: no GL context: %s\n", reason);
    return 1;
  }
  CountGLCalls();
  CanvasContext* canvas = GLCanvasCreate(kGLBackendAntiAlias, test::TestGL());
  LayerFramebuffer* target =
      canvas != nullptr ? CreateLayerFramebuffer(canvas, kTargetSize, kTargetSize, 0) : nullptr;
  if (target == nullptr) {
    std::fprintf(stderr, "canvas_bench: no canvas or target\n");
    return 1;
  }
  test::TestGL().BindFramebuffer(GL_FRAMEBUFFER, target->framebuffer);
  test::TestGL().Viewport(0, 0, kTargetSize, kTargetSize);
  for (const Case& c : Cases()) {
    if (c.name.find(only) == std::string::npos) continue;
    const Result r = RunCase(canvas, c);
    std::printf("case=%s us_per_path=%.2f gl_calls_per_frame=%d paths_per_frame=%d\n", c.name.c_str(),
                r.usPerPath, r.glCallsPerFrame, kPathsPerFrame);
    std::fflush(stdout);
  }
  DeleteLayerFramebuffer(target);
  CanvasDelete(canvas);
  return 0;
}
