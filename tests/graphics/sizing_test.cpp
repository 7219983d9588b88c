// Sizing and scale: ResizeEditor's steps in their order and its silent repeat, the scale
// bounds, SetScreenScale, the host pixel size, the refusal of unusable scales, zooming to fill
// a parent and the sizes asked of it, and the corner resizer - its anchoring, cursor, colours,
// double click and drags in both modes.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "graphics/control.h"
#include "graphics/corner_resizer_control.h"
#include "graphics/editor_scale.h"
#include "graphics/gfx.h"
#include "tests/graphics/support/gfx_test_support.h"
#include "tests/graphics/support/mouse_states.h"

namespace plugfw::gfx {
namespace {

using test::LeftButtonAt;
using test::LoggingControl;
using test::RecordingGfx;
using Texts = std::vector<std::string>;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
const Colour kNormal(255, 1, 1, 1);
const Colour kOver(255, 2, 2, 2);
const Colour kDrag(255, 3, 3, 3);

// Logs what a resize tells the delegate into the log the controls share.
class SizingDelegate : public test::GfxTestDelegate {
 public:
  explicit SizingDelegate(Texts& log) : GfxTestDelegate(2, &log), log_(log) {}

  bool ConstrainEditorSize(int32_t& width, int32_t& height) const override {
    log_.push_back("ConstrainEditorSize " + std::to_string(width) + " " + std::to_string(height));
    return IGfxEditorDelegate::ConstrainEditorSize(width, height);
  }
  bool ResizeFromUI(int32_t width, int32_t height, bool resizeHost) override {
    log_.push_back("ResizeFromUI " + std::to_string(width) + " " + std::to_string(height) +
                   (resizeHost ? " host" : ""));
    return hostAccepts;
  }
  void LayoutUI(IGfx* /*gfx*/) override { log_.push_back("LayoutUI"); }

  bool hostAccepts = true;

 private:
  Texts& log_;
};

// The window's part of a resize, in the same log.
class SizingGfx : public RecordingGfx {
 public:
  SizingGfx(SizingDelegate& delegate, Texts& log) : RecordingGfx(delegate, 300, 200), log_(log) {}

  void PlatformResize(bool parentResized) override {
    log_.push_back(std::string("PlatformResize ") + (parentResized ? "accepted" : "refused"));
  }
  void ResizeDrawSurface() override { log_.push_back("ResizeDrawSurface"); }
  void AfterResize() override { log_.push_back("AfterResize"); }

 private:
  Texts& log_;
};

class SizingTest : public ::testing::Test {
 protected:
  LoggingControl* Attach(const char* name, const Rect& bounds = Rect(0, 0, 10, 10)) {
    return static_cast<LoggingControl*>(gfx.AttachControl(new LoggingControl(name, log, bounds)));
  }
  ICornerResizerControl* AttachResizer(int32_t mode, float size = 20.f) {
    gfx.AttachCornerResizer(mode, false, kNormal, kOver, kDrag, size);
    return static_cast<ICornerResizerControl*>(gfx.GetCornerResizer());
  }
  // The resizer's fill colour as the last PathFill logged it.
  std::string DrawnColour(ICornerResizerControl& resizer) {
    gfx.log.Clear();
    resizer.Draw(gfx);
    return gfx.log.Named("PathFill").back().text;
  }

  Texts log;
  SizingDelegate delegate{log};
  SizingGfx gfx{delegate, log};
};

TEST_F(SizingTest, AResizeTellsEveryoneInItsOrder) {
  LoggingControl* a = Attach("a");
  gfx.CapturePointer(0, a);
  gfx.SetAllControlsClean();
  delegate.hostAccepts = false;
  gfx.SetLayoutOnResize(true);
  log.clear();

  gfx.ResizeEditor(400, 300, 1.5f, true);
  EXPECT_EQ(log, (Texts{"ConstrainEditorSize 400 300", "ResizeFromUI 600 450 host", "PlatformResize refused",
                        "OnResize a", "ResizeDrawSurface", "LayoutUI", "AfterResize"}));
  EXPECT_EQ(gfx.Width(), 400);
  EXPECT_EQ(gfx.Height(), 300);
  EXPECT_EQ(gfx.GetDrawScale(), 1.5f);
  EXPECT_FALSE(gfx.ControlIsCaptured(a));
  EXPECT_TRUE(a->IsDirty());

  // The same request again does nothing at all: no host call, the capture stays.
  gfx.CapturePointer(0, a);
  log.clear();
  gfx.ResizeEditor(400, 300, 1.5f, true);
  EXPECT_EQ(log, (Texts{"ConstrainEditorSize 400 300"}));
  EXPECT_TRUE(gfx.ControlIsCaptured(a));
}

TEST_F(SizingTest, TheDelegateConstrainsTheSizeAndTheBoundsTheScale) {
  gfx.SetScaleBounds(1.5f, 0.85f);
  EXPECT_EQ(gfx.GetMinScale(), 0.85f);
  EXPECT_EQ(gfx.GetMaxScale(), 1.5f);
  EXPECT_EQ(gfx.GetDrawScale(), 1.f);  // bounds alone leave the scale

  gfx.ResizeEditor(5, 200000, 10.f, true);
  EXPECT_EQ(gfx.Width(), IEditorDelegate::kDefaultMinSize);
  EXPECT_EQ(gfx.Height(), IEditorDelegate::kDefaultMaxSize);
  EXPECT_EQ(gfx.GetDrawScale(), 1.5f);
  gfx.ResizeEditor(300, 200, 0.f, true);
  EXPECT_EQ(gfx.GetDrawScale(), 0.85f);
  gfx.ResizeEditor(300, 200, -std::numeric_limits<float>::infinity(), true);
  EXPECT_EQ(gfx.GetDrawScale(), 0.85f);
}

// A scale restored when the editor opened, before its layout set the bounds.
TEST_F(SizingTest, BoundsSetLaterBringTheScaleWithinThemHostAndWindowToo) {
  gfx.ResizeEditor(300, 200, 2.f, true);
  log.clear();
  gfx.SetScaleBounds(0.85f, 1.5f);
  EXPECT_EQ(gfx.GetDrawScale(), 1.5f);
  EXPECT_EQ(log, (Texts{"ConstrainEditorSize 300 200", "ResizeFromUI 450 300 host", "PlatformResize accepted",
                        "ResizeDrawSurface", "AfterResize"}));
  log.clear();
  gfx.SetScaleBounds(0.5f, 1.5f);  // the scale already lies within: nothing more happens
  EXPECT_TRUE(log.empty());
}

TEST_F(SizingTest, UnusableScalesNeverReachTheGeometry) {
  for (const float bad : {kNaN, 0.f, -1.f, std::numeric_limits<float>::infinity()}) {
    SCOPED_TRACE(bad);
    gfx.SetScaleBounds(bad, 2.f);
    EXPECT_EQ(gfx.GetMinScale(), IGfx::kDefaultMinScale);
    log.clear();
    gfx.SetScreenScale(bad);
    EXPECT_EQ(gfx.GetScreenScale(), 1.f);
    EXPECT_TRUE(log.empty());
  }
  log.clear();
  gfx.ResizeEditor(400, 300, kNaN, true);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(gfx.GetDrawScale(), 1.f);
  // A graphics context made with an unusable scale draws at 1.
  RecordingGfx made(delegate, 300, 200, kNaN);
  EXPECT_EQ(made.GetDrawScale(), 1.f);
}

TEST_F(SizingTest, ANewScreenScaleResizesTheHostAndRescalesWithoutALayout) {
  Attach("a");
  gfx.SetLayoutOnResize(true);
  gfx.ResizeEditor(400, 300, 1.25f, true);
  gfx.SetAllControlsClean();
  log.clear();
  gfx.SetScreenScale(1.5f);
  // The host pixel size follows the draw scale; the platform window's own scale is 1 here.
  EXPECT_EQ(log, (Texts{"ResizeFromUI 500 375 host", "PlatformResize accepted", "OnRescale a",
                        "ResizeDrawSurface"}));
  EXPECT_EQ(gfx.GetScreenScale(), 1.5f);
  EXPECT_EQ(gfx.GetBackingScale(), 1.25f * 1.5f);
  EXPECT_TRUE(gfx.GetControl(0)->IsDirty());
}

TEST_F(SizingTest, TheHostPixelSizeTruncatesBothProducts) {
  gfx.platformWindowScale = 1.5f;
  log.clear();
  gfx.ResizeEditor(1180, 800, 1.25f, false);
  EXPECT_EQ(log[1], "ResizeFromUI 2212 1500");  // int(1.5 × 1475), int(1.5 × 1000)
  EXPECT_EQ(gfx.HostWidth(), 2212);

  struct Case {
    int32_t units;
    float drawScale, windowScale;
    int32_t pixels;
  };
  const Case cases[] = {{1180, 1.25f, 1.5f, 2212},
                        {1180, 0.85f, 1.f, 1003},
                        {801, 1.5f, 1.25f, 1501},
                        {100000, 4.f, 1e9f, std::numeric_limits<int32_t>::max()},
                        {10, kNaN, 1.f, 0}};
  for (const Case& c : cases) EXPECT_EQ(HostPixels(c.units, c.drawScale, c.windowScale), c.pixels) << c.units;
}

TEST(FitScaleToParent, FillsEveryParentItCanWithinTheZoomBoundsAndNamesTheNearestOtherwise) {
  struct Case {
    int32_t parentWidth, parentHeight;
    float windowScale;
    float scale;
    bool fills;
    int32_t width, height;  // what the parent needs
  };
  const Case cases[] = {
      {1180, 800, 1.f, 1.f, true, 1180, 800},
      {1770, 1200, 1.f, 1.5f, true, 1770, 1200},
      {1003, 680, 1.f, 0.85f, true, 1003, 680},
      {1300, 881, 1.f, 1300.f / 1180.f, true, 1300, 881},
      {2212, 1500, 1.5f, 1.25f, true, 2212, 1500},  // 1.25 at a 150 % display
      // Above the largest zoom, below the smallest, and of another shape than the editor's.
      {2360, 1600, 1.f, 1.5f, false, 1770, 1200},
      {2400, 1600, 1.f, 1.5f, false, 1770, 1200},
      {800, 600, 1.f, 0.85f, false, 1003, 680},
      {1180, 680, 1.f, 0.85f, false, 1003, 680},
      {1300, 900, 1.f, 1300.f / 1180.f, false, 1300, 881},
      {1500, 1050, 1.f, 1500.f / 1180.f, false, 1500, 1016},
      {1180, 800, 2.f, 0.85f, false, 2006, 1360},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.parentWidth << " x " << c.parentHeight << " at " << c.windowScale);
    ParentFit fit;
    ASSERT_TRUE(
        FitScaleToParent(1180, 800, c.parentWidth, c.parentHeight, c.windowScale, 0.85f, 1.5f, 1.f, fit));
    EXPECT_FLOAT_EQ(fit.scale, c.scale);
    EXPECT_EQ(fit.fills, c.fills);
    EXPECT_EQ(fit.width, c.width);
    EXPECT_EQ(fit.height, c.height);
  }
  ParentFit fit;
  EXPECT_FALSE(FitScaleToParent(1180, 800, 0, 800, 1.f, 0.85f, 1.5f, 1.f, fit));
  EXPECT_FALSE(FitScaleToParent(1180, 800, 1180, -1, 1.f, 0.85f, 1.5f, 1.f, fit));
  EXPECT_FALSE(FitScaleToParent(1180, 800, 1180, 800, kNaN, 0.85f, 1.5f, 1.f, fit));
  EXPECT_FALSE(FitScaleToParent(1180, 800, 1180, 800, 1.f, 1.5f, 0.85f, 1.f, fit)) << "bounds the wrong way";
}

TEST(FitScaleToParent, AParentGivenTheSizeAskedForIsFilledAndNothingDrifts) {
  // Every parent, at every display scale: the size asked for is one the editor fills at once,
  // and filling it changes nothing more - not even a pixel a round.
  for (const float windowScale : {1.f, 1.25f, 1.5f, 1.75f, 2.f}) {
    for (int32_t width = 300; width < 4000; width += 37) {
      for (int32_t height = 200; height < 2700; height += 53) {
        ParentFit asked;
        ASSERT_TRUE(FitScaleToParent(1180, 800, width, height, windowScale, 0.85f, 1.5f, 1.f, asked));
        ParentFit given;
        ASSERT_TRUE(FitScaleToParent(1180, 800, asked.width, asked.height, windowScale, 0.85f, 1.5f,
                                     asked.scale, given));
        ASSERT_TRUE(given.fills) << width << " x " << height << " at " << windowScale << " asked "
                                 << asked.width << " x " << asked.height;
        ASSERT_EQ(given.scale, asked.scale) << width << " x " << height << " at " << windowScale;
        ParentFit again;
        ASSERT_TRUE(
            FitScaleToParent(1180, 800, asked.width, asked.height, windowScale, 0.85f, 1.5f, 1.f, again));
        ASSERT_TRUE(again.fills) << "also for an editor that came from elsewhere";
        ASSERT_EQ(again.width, asked.width);
        ASSERT_EQ(again.height, asked.height);
      }
    }
  }
}

TEST_F(SizingTest, AParentTheEditorCannotFillIsAskedForItsSizeEveryTime) {
  gfx.SetScaleBounds(0.85f, 1.5f);
  log.clear();
  gfx.FitEditorToParent(600, 400);  // 300 x 200 units fill it at 2, past the largest zoom
  EXPECT_EQ(gfx.GetDrawScale(), 1.5f);
  EXPECT_EQ(log[1], "ResizeFromUI 450 300 host");
  // Again, now already at that zoom: the host still hears of the size the editor needs.
  log.clear();
  gfx.FitEditorToParent(600, 400);
  EXPECT_EQ(log, (Texts{"ResizeFromUI 450 300 host", "PlatformResize accepted"}));
  // A parent of the editor's own shape is filled, and nobody is asked anything.
  log.clear();
  gfx.FitEditorToParent(330, 220);
  EXPECT_FLOAT_EQ(gfx.GetDrawScale(), 1.1f);
  EXPECT_EQ(log[1], "ResizeFromUI 330 220");
  log.clear();
  gfx.FitEditorToParent(330, 220);
  EXPECT_TRUE(log.empty());
  gfx.FitEditorToParent(0, 220);
  EXPECT_TRUE(log.empty());
}

TEST_F(SizingTest, TheResizerSitsInTheCornerAtEveryScale) {
  gfx.ResizeEditor(1180, 800, 1.5f, true);
  ICornerResizerControl* resizer = AttachResizer(IGfx::kScaleResizeMode);
  ASSERT_NE(resizer, nullptr);
  EXPECT_EQ(resizer->GetRect(), Rect(1180 - 20 / 1.5f, 800 - 20 / 1.5f, 1180, 800));
  EXPECT_EQ(resizer->GetTargetRect(), resizer->GetRect());
  EXPECT_EQ(resizer->GetUI(), &gfx);
  gfx.ResizeEditor(1000, 700, 1.f, true);
  EXPECT_EQ(resizer->GetRect(), Rect(980, 680, 1000, 700));

  // A second one changes nothing, its mode neither.
  gfx.AttachCornerResizer(1, true, kNormal, kOver, kDrag, 40.f);
  EXPECT_EQ(gfx.GetCornerResizer(), resizer);
  EXPECT_EQ(gfx.GetResizeMode(), IGfx::kScaleResizeMode);
  EXPECT_FALSE(gfx.GetLayoutOnResize());
}

TEST_F(SizingTest, AResizerWithoutASizeIsRefused) {
  for (const float size : {0.f, -5.f, kNaN}) {
    gfx.AttachCornerResizer(0, false, kNormal, kOver, kDrag, size);
    EXPECT_EQ(gfx.GetCornerResizer(), nullptr);
  }
}

TEST_F(SizingTest, TheResizerShowsItsCursorAndColoursAndGivesTheCursorBack) {
  ICornerResizerControl* resizer = AttachResizer(IGfx::kScaleResizeMode);
  gfx.SetMouseCursor(3);
  EXPECT_EQ(DrawnColour(*resizer), "PathFill solid(255,1,1,1) rule0");
  resizer->OnMouseOver(290, 190, ModifierKeys());
  resizer->OnMouseOver(291, 191, ModifierKeys());  // still over: the cursor is set once
  EXPECT_EQ(gfx.GetCursorKind(), ICornerResizerControl::kResizeCursor);
  EXPECT_EQ(DrawnColour(*resizer), "PathFill solid(255,2,2,2) rule0");
  resizer->OnMouseDown(290, 190, ModifierKeys());
  EXPECT_TRUE(gfx.IsResizing());
  EXPECT_EQ(DrawnColour(*resizer), "PathFill solid(255,3,3,3) rule0");
  resizer->OnMouseOut();
  EXPECT_EQ(gfx.GetCursorKind(), 3);
}

TEST_F(SizingTest, DraggingInScaleModeZoomsByTheSmallerRatioUpToTheBound) {
  gfx.SetScaleBounds(0.85f, 1.5f);
  ICornerResizerControl* resizer = AttachResizer(IGfx::kScaleResizeMode);
  resizer->OnMouseDown(290, 190, ModifierKeys());
  gfx.DragCornerResizer(348, 209);  // ratios 1.2 across and 1.1 down
  EXPECT_FLOAT_EQ(gfx.GetDrawScale(), 1.1f);
  EXPECT_EQ(gfx.Width(), 300);
  gfx.DragCornerResizer(1000, 1000);
  EXPECT_EQ(gfx.GetDrawScale(), 1.5f);

  gfx.DragCornerResizer(kNaN, 100);
  gfx.DragCornerResizer(-10, 100);
  EXPECT_EQ(gfx.GetDrawScale(), 1.5f);

  Attach("a");
  gfx.SetAllControlsClean();
  log.clear();
  gfx.EndCornerResize();
  EXPECT_FALSE(gfx.IsResizing());
  EXPECT_EQ(log, (Texts{"OnRescale a"}));
  EXPECT_TRUE(gfx.GetControl(0)->IsDirty());
  // Resizing that no press began has nothing to measure from.
  gfx.SetResizing(true);
  gfx.DragCornerResizer(400, 400);
  EXPECT_EQ(gfx.GetDrawScale(), 1.5f);
}

TEST_F(SizingTest, TheMouseDragsTheResizerThroughTheInputDispatch) {
  AttachResizer(IGfx::kScaleResizeMode);
  LoggingControl* a = Attach("a");
  gfx.MouseDownAll({LeftButtonAt(290, 190)});
  ASSERT_TRUE(gfx.IsResizing());
  gfx.MouseDragAll({LeftButtonAt(348, 209, 58, 19)});
  EXPECT_FLOAT_EQ(gfx.GetDrawScale(), 1.1f);
  gfx.SetAllControlsClean();
  log.clear();
  gfx.MouseUpAll({LeftButtonAt(348, 209)});
  EXPECT_FALSE(gfx.IsResizing());
  EXPECT_EQ(log[0], "OnRescale a");
  EXPECT_TRUE(a->IsDirty());
}

TEST_F(SizingTest, DraggingInSizeModeTakesThePointAsTheSize) {
  ICornerResizerControl* resizer = AttachResizer(1);
  resizer->OnMouseDown(290, 190, ModifierKeys());
  gfx.DragCornerResizer(350.7f, 260.2f);
  EXPECT_EQ(gfx.Width(), 350);
  EXPECT_EQ(gfx.Height(), 260);
  EXPECT_EQ(gfx.GetDrawScale(), 1.f);
  EXPECT_EQ(resizer->GetRect(), Rect(330, 240, 350, 260));
  gfx.DragCornerResizer(-50.f, 1e30f);  // the size bounds clamp what lies outside them
  EXPECT_EQ(gfx.Width(), IEditorDelegate::kDefaultMinSize);
  EXPECT_EQ(gfx.Height(), IEditorDelegate::kDefaultMaxSize);

  LoggingControl* a = Attach("a");
  gfx.SetAllControlsClean();
  log.clear();
  gfx.EndCornerResize();
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(resizer->IsDirty());
  EXPECT_FALSE(a->IsDirty());
}

TEST_F(SizingTest, ADoubleClickReturnsToTheInitialSizeAtScaleOneWithinTheBounds) {
  ICornerResizerControl* resizer = AttachResizer(IGfx::kScaleResizeMode);
  gfx.ResizeEditor(500, 400, 2.f, true);
  resizer->OnMouseDoubleClick(0, 0, ModifierKeys());
  EXPECT_EQ(gfx.Width(), 300);
  EXPECT_EQ(gfx.Height(), 200);
  EXPECT_EQ(gfx.GetDrawScale(), 1.f);

  gfx.SetScaleBounds(1.2f, 2.f);
  gfx.ResizeEditor(500, 400, 2.f, true);
  resizer->OnMouseDoubleClick(0, 0, ModifierKeys());
  EXPECT_EQ(gfx.GetDrawScale(), 1.2f);
  EXPECT_EQ(resizer->InitialRect(), Rect(0, 0, 300, 200));
}

}  // namespace
}  // namespace plugfw::gfx
