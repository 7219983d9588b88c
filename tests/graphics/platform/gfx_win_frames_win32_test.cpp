// The editor window's frames under Wine, on either road (ShownPixels): what a paint leaves in the
// window's framebuffer, what is shown (the X screen on Wine's road, a person's view, not only the
// GL read-back), printing the window, that only what was dirtied is drawn again, and that a resized
// editor shows all of itself.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "graphics/renderer/gl_functions.h"
#include "tests/graphics/platform/editor_window_fixture_win32.h"
#include "tests/graphics/platform/shown_pixels_win32.h"

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

TEST_F(EditorFrames, TheEditorIsShownAsDrawn) {
  test::ShownPixels shown;
  ASSERT_TRUE(shown.Capture(window_));
  for (const Probe& probe : kProbes)
    EXPECT_TRUE(SameColour(probe.colour, shown.At(probe.x, probe.y))) << probe.x << ", " << probe.y;
}

TEST_F(EditorFrames, PrintingTheWindowCopiesTheEditor) {
  test::ShownPixels printed;
  ASSERT_TRUE(printed.CapturePrint(window_));
  for (const Probe& probe : kProbes)
    EXPECT_TRUE(SameColour(probe.colour, printed.At(probe.x, probe.y))) << probe.x << ", " << probe.y;
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
  test::ShownPixels shown;
  ASSERT_TRUE(shown.Capture(window_));
  EXPECT_TRUE(SameColour(green, shown.At(210, 140)));
  EXPECT_TRUE(SameColour(test::kRed, shown.At(70, 50)));
}

TEST_F(EditorFrames, AResizedEditorShowsAllOfItselfAtEachSize) {
  for (const float scale : {2.f, 1.f, 1.5f}) {
    SCOPED_TRACE(scale);
    host_.Gfx()->ResizeEditor(test::kEditorWidth, test::kEditorHeight, scale, false);
    ASSERT_TRUE(host_.WaitForTicks(2));
    test::PumpMessagesFor(100);
    test::ShownPixels shown;
    ASSERT_TRUE(shown.Capture(window_));
    const auto pixels = [scale](float units) { return static_cast<int>(units * scale); };
    ASSERT_EQ(shown.Width(), pixels(test::kEditorWidth));
    ASSERT_EQ(shown.Height(), pixels(test::kEditorHeight));
    for (const Probe& probe : kProbes) {
      EXPECT_TRUE(SameColour(probe.colour, shown.At(pixels(probe.x), pixels(probe.y))))
          << probe.x << ", " << probe.y;
    }
    // The editor's own background in its last pixels: nothing of it is cut off or left black.
    const int right = shown.Width() - 1;
    const int bottom = shown.Height() - 1;
    EXPECT_TRUE(SameColour(test::kBackground, shown.At(right, bottom)));
    EXPECT_TRUE(SameColour(test::kBackground, shown.At(right, 0)));
    EXPECT_TRUE(SameColour(test::kBackground, shown.At(0, bottom)));
  }
}

}  // namespace
}  // namespace plugfw::gfx
