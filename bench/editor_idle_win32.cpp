// The idle cost of an open editor: a 1180 x 800 editor of 300 controls, nothing dirty, left to
// tick for five seconds. Prints the ticks per second and the process's CPU time per tick (the
// vertical-blank thread's sleeps and posts, and each tick's dirty collection over every control).
// Run under Wine on a display of its own:
//   bash tests/scripts/on_own_display.sh build/win64/bench/editor_idle_bench.exe

#include <windows.h>

#include <cstdio>

#include "bench/process_cpu_win32.h"
#include "tests/graphics/platform/editor_window_fixture_win32.h"

namespace {

using plugfw::bench::ProcessCpuSeconds;
using plugfw::gfx::Colour;
using plugfw::gfx::IGfx;
using plugfw::gfx::IGfxWin;
using plugfw::gfx::Rect;
using plugfw::gfx::RectList;
using plugfw::gfx::test::RecordingControl;

constexpr int kWidth = 1180;
constexpr int kHeight = 800;
constexpr int kColumns = 20;
constexpr int kRows = 15;
constexpr DWORD kSettleMs = 1000;
constexpr DWORD kMeasureMs = 5000;

}  // namespace

int main() {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"EditorIdleHost";
  RegisterClassW(&windowClass);
  HWND parent =
      CreateWindowExW(0, L"EditorIdleHost", L"Editor idle", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                      kWidth + 40, kHeight + 60, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ShowWindow(parent, SW_SHOWNOACTIVATE);

  plugfw::gfx::test::GfxTestDelegate delegate(1);
  int ticks = 0;
  int draws = 0;
  delegate.SetMakeGraphicsFunction(
      [&delegate] { return std::make_unique<IGfxWin>(delegate, kWidth, kHeight, 30, 1.f); });
  delegate.SetLayoutFunction([&](IGfx& gfx) {
    gfx.AttachControl(new RecordingControl(Rect(0.f, 0.f, kWidth, kHeight), Colour(255, 30, 30, 34)));
    for (int row = 0; row < kRows; ++row) {
      for (int column = 0; column < kColumns; ++column) {
        const float x = 10.f + column * 58.f;
        const float y = 10.f + row * 52.f;
        gfx.AttachControl(new RecordingControl(Rect(x, y, x + 48.f, y + 44.f), Colour(255, 200, 120, 40)));
      }
    }
    gfx.SetFrameHook([&](RectList&) { ++ticks; });
  });
  if (delegate.OpenEditorWindow(parent) == nullptr) {
    std::printf("editor_idle: no editor window\n");
    return 1;
  }
  IGfx* gfx = delegate.GetUI();
  plugfw::test::PumpMessagesFor(kSettleMs);
  gfx->ForAllControls(
      [&](plugfw::gfx::IControl& control) { draws += static_cast<RecordingControl&>(control).draws; });

  const int ticksBefore = ticks;
  const int drawsBefore = draws;
  const double cpuBefore = ProcessCpuSeconds();
  const ULONGLONG start = GetTickCount64();
  plugfw::test::PumpMessagesFor(kMeasureMs);
  const double wall = static_cast<double>(GetTickCount64() - start) / 1000.0;
  const double cpu = ProcessCpuSeconds() - cpuBefore;
  draws = 0;
  gfx->ForAllControls(
      [&](plugfw::gfx::IControl& control) { draws += static_cast<RecordingControl&>(control).draws; });

  const int idleTicks = ticks - ticksBefore;
  std::printf(
      "editor_idle controls=%d seconds=%.2f ticks_per_second=%.1f cpu_percent=%.2f cpu_us_per_tick=%.1f "
      "draws_while_idle=%d vsync=%d\n",
      kRows * kColumns, wall, idleTicks / wall, 100.0 * cpu / wall,
      idleTicks > 0 ? 1e6 * cpu / idleTicks : 0.0, draws - drawsBefore,
      static_cast<IGfxWin*>(gfx)->FramesPacedByVerticalBlank() ? 1 : 0);
  delegate.CloseEditorWindow();
  return 0;
}
