// The whole editor drawn through the drawing back end on the tests' GL context: a frame that
// redraws only some rectangles must leave exactly the pixels a full frame gives, however little
// of the backdrop each rectangle holds.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "editor/editor_layout.h"
#include "editor/palette.h"
#include "effect/halcyra.h"
#include "graphics/rect_list.h"
#include "tests/graphics/renderer/gfx_canvas_fixture.h"

namespace halcyra {
namespace {

using plugfw::gfx::Rect;
using plugfw::gfx::RectList;
using plugfw::gfx::test::Pixels;
using plugfw::gfx::test::Rgba;
using plugfw::gfx::test::TestCanvasGfx;
using plugfw::gfx::test::WindowTarget;

class PartialRedrawTest : public ::testing::TestWithParam<float> {
 protected:
  void SetUp() override {
    const char* reason = nullptr;
    ASSERT_TRUE(plugfw::gfx::test::EnsureGLTestContext(&reason)) << reason;
    plugin_ = CreatePluginInstance({});
    ASSERT_NE(plugin_, nullptr);
    const float scale = GetParam();
    width_ = static_cast<int>(std::lround(Halcyra::kEditorWidth * scale));
    height_ = static_cast<int>(std::lround(Halcyra::kEditorHeight * scale));
    window_ = std::make_unique<WindowTarget>(width_, height_);
    ASSERT_TRUE(window_->Complete());
    plugfw::gfx::test::TestGL().BindFramebuffer(plugfw::gfx::GL_FRAMEBUFFER, window_->Name());
    gfx_ = std::make_unique<TestCanvasGfx>(*plugin_, Halcyra::kEditorWidth, Halcyra::kEditorHeight, scale);
    ASSERT_NE(gfx_->CreateRendererContext(), nullptr);
    gfx_->Resize(Halcyra::kEditorWidth, Halcyra::kEditorHeight, scale, 1.f);
    font_ = std::make_unique<plugfw::gfx::test::BytesFont>(
        plugfw::gfx::test::ReadRobotoFile("Roboto-Regular.ttf"));
    ASSERT_TRUE(gfx_->LoadFontIntoRenderer(kEditorFontId, *font_));
    BuildEditorLayout(plugin_.get(), gfx_.get());
  }
  void TearDown() override {
    if (gfx_) {
      gfx_->RemoveAllControls();
      gfx_->DestroyRendererContext();
    }
    gfx_.reset();
    plugin_.reset();
  }

  Pixels DrawFull() {
    gfx_->SetAllControlsDirty();
    RectList rects;
    gfx_->CollectDirtyRects(rects);
    gfx_->DrawRectList(rects);
    gfx_->SetAllControlsClean();
    return plugfw::gfx::test::ReadFramebuffer(window_->Name(), width_, height_);
  }

  Pixels DrawOnly(const std::initializer_list<Rect>& areas) {
    RectList rects;
    for (const Rect& r : areas) rects.Add(r);
    gfx_->DrawRectList(rects);
    return plugfw::gfx::test::ReadFramebuffer(window_->Name(), width_, height_);
  }

  std::unique_ptr<Halcyra> plugin_;
  std::unique_ptr<WindowTarget> window_;
  std::unique_ptr<TestCanvasGfx> gfx_;
  std::unique_ptr<plugfw::gfx::test::BytesFont> font_;
  int width_ = 0, height_ = 0;
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
