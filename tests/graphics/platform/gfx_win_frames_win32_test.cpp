// The editor window's frames under Wine: what a paint leaves in the window's framebuffer, what
// reaches the X screen (a person's view, not only the GL read-back), printing the window, and
// that only what was dirtied is drawn again.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "graphics/renderer/gl_functions.h"
#include "tests/graphics/platform/editor_window_fixture_win32.h"
#include "tests/graphics/platform/x_screen_win32.h"

namespace plugfw::gfx {
namespace {

using test::EditorHost;

// Opaque colours match within a step of rounding.
::testing::AssertionResult SameColour(const Colour& expected, const Colour& actual) {
  const bool same = std::abs(expected.red - actual.red) <= 2 &&
                    std::abs(expected.green - actual.green) <= 2 &&
                    std::abs(expected.blue - actual.blue) <= 2;
  if (same) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "expected (" << expected.red << ", " << expected.green << ", " << expected.blue << ") got ("
         << actual.red << ", " << actual.green << ", " << actual.blue << ")";
}

// Pixel places of the editor at scale 1, one inside each control and one of the background.
struct Probe {
  int x, y;
  Colour colour;
};
const Probe kProbes[] = {
    {70, 50, test::kRed},
    {210, 140, test::kBlue},
    {10, 190, test::kBackground},
    {130, 90, test::kBackground},
};

class EditorFrames : public testing::Test {
 protected:
  void SetUp() override {
    window_ = host_.Open();
    ASSERT_NE(window_, nullptr);
    ASSERT_TRUE(host_.Gfx()->RendererReady());
    ASSERT_TRUE(test::PumpMessagesUntil([&] { return host_.Red()->draws > 0 && host_.Blue()->draws > 0; }))
        << "the first tick draws every control";
    test::PumpMessagesFor(100);
  }

  // The window's framebuffer at a pixel from the top-left.
  Colour FramebufferAt(int x, int y) {
    IGfxWin& gfx = *host_.Gfx();
    gfx.MakeGLContextCurrent();
    uint8_t rgba[4] = {};
    gfx.GL().ReadPixels(x, test::kEditorHeight - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    gfx.ReleaseGLContext();
    return Colour(rgba[3], rgba[0], rgba[1], rgba[2]);
  }

  EditorHost host_;
  HWND window_ = nullptr;
};

TEST_F(EditorFrames, APaintLeavesTheControlsInTheWindowsFramebuffer) {
  for (const Probe& probe : kProbes)
    EXPECT_TRUE(SameColour(probe.colour, FramebufferAt(probe.x, probe.y))) << probe.x << ", " << probe.y;
}

TEST_F(EditorFrames, TheXScreenShowsTheEditorAsDrawn) {
  test::XScreen screen;
  ASSERT_TRUE(screen.Capture());
  for (const Probe& probe : kProbes) {
    POINT point = {probe.x, probe.y};
    ClientToScreen(window_, &point);
    EXPECT_TRUE(SameColour(probe.colour, screen.At(point.x, point.y))) << probe.x << ", " << probe.y;
  }
}

TEST_F(EditorFrames, PrintingTheWindowCopiesTheEditor) {
  HDC screenDc = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screenDc);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = test::kEditorWidth;
  info.bmiHeader.biHeight = -test::kEditorHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screenDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  SendMessageW(window_, WM_PRINT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_CHECKVISIBLE);
  GdiFlush();
  for (const Probe& probe : kProbes) {
    const uint8_t* pixel = static_cast<const uint8_t*>(bits) + (probe.y * test::kEditorWidth + probe.x) * 4;
    EXPECT_TRUE(SameColour(probe.colour, Colour(255, pixel[2], pixel[1], pixel[0])))
        << probe.x << ", " << probe.y;
  }
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screenDc);
}

TEST_F(EditorFrames, OnlyWhatWasDirtiedIsDrawnAgainAndTheRestStays) {
  const int redDraws = host_.Red()->draws;
  const int blueDraws = host_.Blue()->draws;
  ASSERT_TRUE(host_.WaitForTicks(5));
  EXPECT_EQ(host_.Red()->draws, redDraws) << "ticks with nothing dirty draw nothing";
  EXPECT_EQ(host_.Blue()->draws, blueDraws);

  const Colour green(255, 20, 200, 40);
  host_.Blue()->SetColour(green);
  ASSERT_TRUE(test::PumpMessagesUntil([&] { return host_.Blue()->draws > blueDraws; }));
  test::PumpMessagesFor(50);
  EXPECT_EQ(host_.Red()->draws, redDraws) << "far from the blue control";
  EXPECT_TRUE(SameColour(green, FramebufferAt(210, 140)));
  EXPECT_TRUE(SameColour(test::kRed, FramebufferAt(70, 50))) << "the main framebuffer kept it";
  test::XScreen screen;
  ASSERT_TRUE(screen.Capture());
  POINT blue = {210, 140};
  POINT red = {70, 50};
  ClientToScreen(window_, &blue);
  ClientToScreen(window_, &red);
  EXPECT_TRUE(SameColour(green, screen.At(blue.x, blue.y)));
  EXPECT_TRUE(SameColour(test::kRed, screen.At(red.x, red.y)));
}

}  // namespace
}  // namespace plugfw::gfx
