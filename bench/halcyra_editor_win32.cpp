// The plug-in's own editor in its editor window under Wine on Xvfb, drawn by llvmpipe and shown on
// the X screen, at zoom 1.0 and 1.5. For each zoom it prints the process's CPU time (every
// thread's: the UI thread, the vertical-blank thread, llvmpipe's rasterisers) per tick, first for
// ticks that redraw the whole editor (every control marked dirty before the tick collects them,
// as opening, resizing or a page change do), then for idle ticks with nothing touched and no
// audio; and the wall-clock median of a whole-editor repaint forced synchronously:
//   case=<name> ticks=<n> cpu_ms_per_tick=<x> [median_wall_ms=<x>]
// Run under Wine on a display of its own:
//   bash tests/scripts/on_own_display.sh build/win64/bench/halcyra_editor_bench.exe

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench/process_cpu_win32.h"
#include "effect/halcyra.h"
#include "graphics/gfx.h"
#include "tests/core/message_pump.h"

namespace {

using halcyra::Halcyra;

constexpr DWORD kSettleMs = 2000;
constexpr DWORD kMeasureMs = 5000;
constexpr int kRepaints = 40;

double ProcessCpuMs() { return 1e3 * plugfw::bench::ProcessCpuSeconds(); }

double NowMs() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return 1e3 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

HWND HostWindow() {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"HalcyraEditorBenchHost";
  RegisterClassW(&windowClass);
  HWND window =
      CreateWindowExW(0, windowClass.lpszClassName, L"HALCYRA editor bench", WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                      1800, 1220, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ShowWindow(window, SW_SHOWNOACTIVATE);
  return window;
}

// Ticks counted by the frame hook over the measuring time, and the CPU they took.
void MeasureTicks(const char* name, int& ticks) {
  plugfw::test::PumpMessagesFor(kSettleMs);
  const int before = ticks;
  const double cpuBefore = ProcessCpuMs();
  plugfw::test::PumpMessagesFor(kMeasureMs);
  const double cpu = ProcessCpuMs() - cpuBefore;
  const int measured = ticks - before;
  std::printf("case=%s ticks=%d cpu_ms_per_tick=%.3f\n", name, measured, measured > 0 ? cpu / measured : 0.0);
  std::fflush(stdout);
}

}  // namespace

int main() {
  HWND host = HostWindow();
  std::unique_ptr<Halcyra> plugin = halcyra::CreatePluginInstance({});
  if (!plugin || plugin->OpenEditorWindow(host) == nullptr) {
    std::printf("halcyra_editor_bench: no editor window\n");
    return 1;
  }
  HWND editor = GetWindow(host, GW_CHILD);
  plugfw::gfx::IGfx* gfx = plugin->GetUI();
  int ticks = 0;
  bool redrawAll = false;
  // The hook runs as each tick starts collecting the dirty controls.
  gfx->SetFrameHook([&](plugfw::gfx::RectList&) {
    ++ticks;
    if (redrawAll) gfx->SetAllControlsDirty();
  });

  for (const float zoom : {1.f, 1.5f}) {
    const char* suffix = zoom == 1.f ? "scale_1_0" : "scale_1_5";
    plugin->HandleParentResize(static_cast<int32_t>(std::lround(Halcyra::kEditorWidth * zoom)),
                               static_cast<int32_t>(std::lround(Halcyra::kEditorHeight * zoom)));
    if (gfx->GetDrawScale() != zoom) {
      std::printf("halcyra_editor_bench: the editor did not take zoom %.2f\n", zoom);
      return 1;
    }
    char name[64];
    redrawAll = true;
    std::snprintf(name, sizeof(name), "halcyra_editor_full_frame_tick_%s", suffix);
    MeasureTicks(name, ticks);
    redrawAll = false;
    std::snprintf(name, sizeof(name), "halcyra_editor_idle_tick_%s", suffix);
    MeasureTicks(name, ticks);

    std::vector<double> wall;
    const double cpuBefore = ProcessCpuMs();
    for (int i = 0; i < kRepaints; ++i) {
      const double start = NowMs();
      RedrawWindow(editor, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      wall.push_back(NowMs() - start);
    }
    const double cpu = ProcessCpuMs() - cpuBefore;
    std::sort(wall.begin(), wall.end());
    std::printf("case=halcyra_editor_full_repaint_%s ticks=%d cpu_ms_per_tick=%.3f median_wall_ms=%.3f\n",
                suffix, kRepaints, cpu / kRepaints, wall[wall.size() / 2]);
    std::fflush(stdout);
  }
  gfx->SetFrameHook(nullptr);
  plugin->CloseEditorWindow();
  DestroyWindow(host);
  return 0;
}
