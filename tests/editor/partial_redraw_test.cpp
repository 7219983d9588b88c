// The whole editor drawn through the drawing back end on the tests' GL context: a frame that
// redraws only some rectangles must leave exactly the pixels a full frame gives, however little
// of the backdrop each rectangle holds.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "graphics/rect_list.h"
#include "tests/editor/editor_on_canvas.h"

namespace halcyra {
namespace {

using plugfw::gfx::Rect;
using plugfw::gfx::RectList;
using plugfw::gfx::test::Pixels;
using plugfw::gfx::test::Rgba;

class PartialRedrawTest : public ::testing::TestWithParam<float> {
 protected:
  void SetUp() override { ASSERT_TRUE(editor_.Open(GetParam())); }

  Pixels DrawFull() {
    editor_.gfx->SetAllControlsDirty();
    RectList rects;
    editor_.gfx->CollectDirtyRects(rects);
    editor_.gfx->DrawRectList(rects);
    editor_.gfx->SetAllControlsClean();
    return Read();
  }

  Pixels DrawOnly(const std::initializer_list<Rect>& areas) {
    RectList rects;
    for (const Rect& r : areas) rects.Add(r);
    editor_.gfx->DrawRectList(rects);
    return Read();
  }

  Pixels Read() const {
    return plugfw::gfx::test::ReadFramebuffer(editor_.window->Name(), editor_.width, editor_.height);
  }

  test::EditorOnCanvas<> editor_;
};

// Counts pixels that differ by more than one step in any channel, and names the first.
::testing::AssertionResult SamePixels(const Pixels& expected, const Pixels& got) {
  int differing = 0;
  std::string first;
  for (int y = 0; y < expected.Height(); ++y) {
    for (int x = 0; x < expected.Width(); ++x) {
      const Rgba a = expected.At(x, y), b = got.At(x, y);
      if (std::abs(a.r - b.r) > 1 || std::abs(a.g - b.g) > 1 || std::abs(a.b - b.b) > 1 ||
          std::abs(a.a - b.a) > 1) {
        if (differing++ == 0) {
          first = "(" + std::to_string(x) + ", " + std::to_string(y) + "): " + std::to_string(a.r) + "," +
                  std::to_string(a.g) + "," + std::to_string(a.b) + " became " + std::to_string(b.r) + "," +
                  std::to_string(b.g) + "," + std::to_string(b.b);
        }
      }
    }
  }
  if (differing == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << differing << " pixels differ, first at " << first;
}

TEST_P(PartialRedrawTest, RedrawnRectanglesLeaveTheFullFramesPixels) {
  const Pixels full = DrawFull();
  // Areas of backdrop alone, across a scan line, a panel's edge and rule, the title, a knob,
  // and one at a fractional position.
  const Pixels partial = DrawOnly({Rect{500.f, 10.f, 560.f, 30.f}, Rect{20.f, 380.f, 80.f, 420.f},
                                   Rect{300.f, 90.f, 420.f, 104.f}, Rect{40.f, 40.f, 140.f, 80.f},
                                   Rect{900.f, 430.f, 1000.f, 500.f}, Rect{610.3f, 720.6f, 655.7f, 760.2f}});
  EXPECT_TRUE(SamePixels(full, partial));
}

INSTANTIATE_TEST_SUITE_P(Scales, PartialRedrawTest, ::testing::Values(1.f, 1.5f));

}  // namespace
}  // namespace halcyra
