// The main window's size around the editor: the editor's pixel size from its units and scales,
// the frame around it, the tracking bounds, and which size changes go back to the editor.

#include "app/main_window_sizing.h"

#include <gtest/gtest.h>

#include <limits>

#include "effect/halcyra.h"

namespace plugfw {
namespace {

TEST(EditorPixelSize, UnitsTimesDrawScaleTruncatedThenTimesScreenScale) {
  struct Case {
    float drawScale, screenScale;
    int32_t width, height;
  };
  const Case cases[] = {
      {1.0f, 1.0f, 1180, 800},
      {1.25f, 1.5f, 2212, 1500},  // int(1.5 x 1475): the host width the editor asks for
      {0.85f, 1.0f, 1003, 680},   // the smallest editor
      {1.5f, 1.0f, 1770, 1200},   // the largest
      {1.0f, 1.25f, 1475, 1000},
      {1.5f, 1.5f, 2655, 1800},
      {1.2345f, 1.0f, 1456, 987},
      {1.0f, 0.0f, 0, 0},
      {std::numeric_limits<float>::quiet_NaN(), 1.0f, 0, 0},
      {1.0f, std::numeric_limits<float>::infinity(), 0, 0},
  };
  for (const Case& c : cases) {
    const PixelSize size = EditorPixelSize(halcyra::Halcyra::kEditorWidth, halcyra::Halcyra::kEditorHeight,
                                           c.drawScale, c.screenScale);
    EXPECT_EQ(size.width, c.width) << c.drawScale << " x " << c.screenScale;
    EXPECT_EQ(size.height, c.height) << c.drawScale << " x " << c.screenScale;
  }
}

TEST(MainWindowSize, TrackingBoundsAreWindowSizesWithTheFrame) {
  const PixelSize frame{16, 59};  // borders, caption and one menu line
  EXPECT_EQ(WindowSizeForClient({1180, 800}, frame), (PixelSize{1196, 859}));
  // The plug-in's smallest editor bound at 150 %: int(393 x 1.5) by int(266 x 1.5), framed.
  EXPECT_EQ(TrackingSize(393, 266, 1.5f, frame), (PixelSize{589 + 16, 399 + 59}));
  EXPECT_EQ(TrackingSize(3540, 2400, 1.0f, frame), (PixelSize{3556, 2459}));
}

// The editor grows or shrinks the main window by its own change, so the client area then equals
// the editor window: that is no news for the editor. Handing such a size back would refit it
// from the window (a scale of 1.2345 fits 1456 x 987 at 1.23375) and shift it by a pixel.
TEST(MainWindowSize, OnlyAClientAreaThatDiffersFromTheEditorGoesBackToIt) {
  for (float drawScale : {0.85f, 1.0f, 1.2345f, 1.5f}) {
    for (float screenScale : {1.0f, 1.25f, 1.5f, 2.0f}) {
      const PixelSize editor = EditorPixelSize(1180, 800, drawScale, screenScale);
      EXPECT_FALSE(EditorShouldFitClient(editor, editor)) << drawScale << " x " << screenScale;
      EXPECT_TRUE(EditorShouldFitClient({editor.width + 1, editor.height}, editor));
      EXPECT_TRUE(EditorShouldFitClient({editor.width, editor.height - 40}, editor));
    }
  }
  // A minimised window's empty client area is never a size for the editor.
  EXPECT_FALSE(EditorShouldFitClient({0, 0}, {1180, 800}));
  EXPECT_FALSE(EditorShouldFitClient({1180, 0}, {1180, 800}));
}

}  // namespace
}  // namespace plugfw
