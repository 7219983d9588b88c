// The frame road: dirty collection with its margin, parent constraint, hook and animation
// step; the drawing passes, strict and per rectangle; each control's padded, pixel-aligned
// clip within the area and its ancestors; the frame-time ring.

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "graphics/control.h"
#include "graphics/gfx.h"
#include "graphics/performance_display_control.h"
#include "graphics/rect_list.h"
#include "tests/graphics/support/gfx_test_support.h"

namespace plugfw::gfx {
namespace {

using test::GfxTestDelegate;
using test::LoggingControl;
using test::RecordingGfx;
using Texts = std::vector<std::string>;

std::vector<Rect> RectsOf(const RectList& list) {
  std::vector<Rect> rects;
  for (int32_t i = 0; i < list.Count(); ++i) rects.push_back(list.Get(i));
  return rects;
}

RectList ListOf(std::initializer_list<Rect> rects) {
  RectList list;
  for (const Rect& r : rects) list.Add(r);
  return list;
}

class FrameRoadTest : public ::testing::Test {
 protected:
  LoggingControl* Attach(const char* name, const Rect& bounds, RecordingGfx& into) {
    return static_cast<LoggingControl*>(into.AttachControl(new LoggingControl(name, log, bounds)));
  }
  LoggingControl* Attach(const char* name, const Rect& bounds) { return Attach(name, bounds, gfx); }
  // The Draw entries of the log, without the transform.
  Texts Draws() const {
    Texts draws;
    for (const std::string& entry : log) {
      if (entry.rfind("Draw ", 0) == 0) draws.push_back(entry.substr(0, entry.find(" transform")));
    }
    return draws;
  }
  void Draw(RecordingGfx& on, std::initializer_list<Rect> rects) {
    log.clear();
    on.log.Clear();
    RectList list = ListOf(rects);
    on.DrawRectList(list);
  }

  Texts log;
  GfxTestDelegate delegate{2};
  RecordingGfx gfx{delegate, 300, 200};
};

TEST_F(FrameRoadTest, CollectsTheHookThenAnimationsThenEveryDirtyControlPadded) {
  LoggingControl* a = Attach("a", Rect(10, 10, 20, 20));
  Attach("b", Rect(50, 50, 60, 70));
  LoggingControl* c = Attach("c", Rect(100, 0, 110, 5));
  gfx.SetAllControlsClean();
  c->SetDirty(false);
  a->SetDirty(false);
  gfx.SetFrameHook([this](RectList& rects) { log.push_back("hook " + std::to_string(rects.Count())); });
  a->SetAnimation([this](IControl&) { log.push_back("animate a"); });
  log.clear();

  RectList rects;
  EXPECT_TRUE(gfx.CollectDirtyRects(rects));
  EXPECT_EQ(log, (Texts{"hook 0", "animate a"}));
  EXPECT_EQ(RectsOf(rects),
            (std::vector<Rect>{Rect(9.25f, 9.25f, 20.75f, 20.75f), Rect(99.25f, -0.75f, 110.75f, 5.75f)}));
  // Collection leaves the controls dirty: the tick cleans them.
  EXPECT_TRUE(c->IsDirty());

  gfx.SetAllControlsClean();
  a->SetAnimation(nullptr);
  RectList none;
  EXPECT_FALSE(gfx.CollectDirtyRects(none));
  EXPECT_EQ(none.Count(), 0);

  // A dirty control without an area gives the window nothing to turn into pixels.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  Attach("nowhere", Rect(nan, 0, 10, 10));
  Attach("flat", Rect(5, 5, 5 - 2 * IGfx::kControlMargin, 10));
  Attach("unplaced", Rect(0, 0, 0, 0));
  Attach("line", Rect(5, 5, 5, 10));
  EXPECT_FALSE(gfx.CollectDirtyRects(none));
  EXPECT_EQ(none.Count(), 0);
}

TEST_F(FrameRoadTest, AnAnimatingControlCountsAsDirtyEveryTick) {
  LoggingControl* a = Attach("a", Rect(0, 0, 10, 10));
  gfx.SetAllControlsClean();
  a->SetAnimation([](IControl&) {});
  for (int tick = 0; tick < 3; ++tick) {
    RectList rects;
    EXPECT_TRUE(gfx.CollectDirtyRects(rects));
    gfx.SetAllControlsClean();
  }
}

// A control that follows outside state (a setting, a measurement) catches up when the tick asks
// whether it is dirty, and what it dirties there is drawn in that same frame.
class CatchingUpControl : public IControl {
 public:
  explicit CatchingUpControl(const Rect& bounds) : IControl(bounds) {}
  void Draw(IGfx&) override {}
  bool IsDirty() override {
    if (outside != shown) {
      shown = outside;
      SetDirty(false);
    }
    return IControl::IsDirty();
  }
  int outside = 0;
  int shown = 0;
};

TEST_F(FrameRoadTest, AControlThatCatchesUpWhenAskedIsCollectedInThatFrame) {
  auto* follower =
      static_cast<CatchingUpControl*>(gfx.AttachControl(new CatchingUpControl(Rect(0, 0, 10, 10))));
  gfx.SetAllControlsClean();
  RectList unchanged;
  EXPECT_FALSE(gfx.CollectDirtyRects(unchanged));

  follower->outside = 1;
  RectList changed;
  EXPECT_TRUE(gfx.CollectDirtyRects(changed));
  EXPECT_EQ(RectsOf(changed), (std::vector<Rect>{Rect(-0.75f, -0.75f, 10.75f, 10.75f)}));
  EXPECT_EQ(follower->shown, 1);
}

TEST_F(FrameRoadTest, ACollectedChildIsMovedInsideItsParentLessOneUnit) {
  LoggingControl* parent = Attach("parent", Rect(0, 0, 100, 100));
  LoggingControl* pastRightAndBottom = Attach("child", Rect(90, 90, 120, 130));
  LoggingControl* pastLeft = Attach("left", Rect(-20, 10, 10, 20));
  pastRightAndBottom->SetParent(parent);
  pastLeft->SetParent(parent);
  gfx.SetAllControlsClean();
  pastRightAndBottom->SetDirty(false);
  pastLeft->SetDirty(false);

  RectList rects;
  ASSERT_TRUE(gfx.CollectDirtyRects(rects));
  // The parent padded is (-0.75, -0.75, 100.75, 100.75): right and bottom end at 99.75.
  EXPECT_EQ(RectsOf(rects),
            (std::vector<Rect>{Rect(68.25f, 58.25f, 99.75f, 99.75f), Rect(-0.75f, 9.25f, 30.75f, 20.75f)}));
}

TEST_F(FrameRoadTest, AnEmptyListBeginsNoFrame) {
  Attach("a", Rect(0, 0, 10, 10));
  Draw(gfx, {});
  EXPECT_EQ(gfx.log.Size(), 0u);
  EXPECT_TRUE(Draws().empty());
}

TEST_F(FrameRoadTest, EachControlDrawsWithItsClipAfterTheTransformAndPathAreReset) {
  LoggingControl* a = Attach("a", Rect(10, 10, 20, 20));
  gfx.PathTransformSave();
  gfx.PathTransformTranslate(5, 5);
  a->drawing = [](IGfx& g) { EXPECT_EQ(g.TransformStackDepth(), 0); };
  Draw(gfx, {Rect(0, 0, 300, 200)});
  EXPECT_EQ(gfx.log.Texts(), (Texts{"BeginFrame", "PathSetTransform 1 0 0 1 0 0", "PathClear",
                                    "SetClipRegion 9 9 21 21", "EndFrame"}));
  EXPECT_EQ(Draws(), (Texts{"Draw a clip 9 9 21 21"}));
}

TEST_F(FrameRoadTest, ClipsAreAlignedOutwardToThePixelGridAtTheBackingScale) {
  RecordingGfx zoomed(delegate, 300, 200, 1.5f);
  Attach("a", Rect(10, 10, 20, 20), zoomed);
  // floor(9.25 × 1.5) / 1.5 and ceil(20.75 × 1.5) / 1.5.
  Draw(zoomed, {Rect(0, 0, 300, 200)});
  EXPECT_EQ(Draws(), (Texts{"Draw a clip 8.66667 8.66667 21.3333 21.3333"}));
  // The area is aligned too (15 becomes 22 / 1.5), then the two are intersected.
  Draw(zoomed, {Rect(15, 0, 300, 200)});
  EXPECT_EQ(Draws(), (Texts{"Draw a clip 14.6667 8.66667 21.3333 21.3333"}));

  zoomed.SetScreenScaleValue(2.f);  // backing scale 3
  Draw(zoomed, {Rect(0, 0, 300, 200)});
  EXPECT_EQ(Draws(), (Texts{"Draw a clip 9 9 21 21"}));
}

TEST_F(FrameRoadTest, AHiddenBackgroundIsStillDrawnAndOtherHiddenControlsAreNot) {
  LoggingControl* background = Attach("background", Rect(0, 0, 300, 200));
  LoggingControl* hidden = Attach("hidden", Rect(10, 10, 20, 20));
  Attach("shown", Rect(30, 10, 40, 20));
  background->Hide(true);
  hidden->Hide(true);
  Draw(gfx, {Rect(0, 0, 300, 200)});
  EXPECT_EQ(Draws(), (Texts{"Draw background clip 0 0 300 200", "Draw shown clip 29 9 41 21"}));
}

TEST_F(FrameRoadTest, EveryRectangleIsAPassButStrictDrawingMakesOneOverTheUnion) {
  Attach("background", Rect(0, 0, 300, 200));
  Attach("a", Rect(10, 10, 20, 20));
  Attach("b", Rect(200, 150, 210, 160));
  const Rect aDirty(9.25f, 9.25f, 20.75f, 20.75f);
  const Rect bDirty(199.25f, 149.25f, 210.75f, 160.75f);

  Draw(gfx, {aDirty, bDirty});
  EXPECT_EQ(Draws(), (Texts{"Draw background clip 9 9 21 21", "Draw a clip 9 9 21 21",
                            "Draw background clip 199 149 211 161", "Draw b clip 199 149 211 161"}));
  EXPECT_EQ(gfx.log.Count("BeginFrame"), 1);
  EXPECT_EQ(gfx.log.Count("EndFrame"), 1);

  gfx.SetStrictDrawing(true);
  Draw(gfx, {aDirty, bDirty});
  EXPECT_EQ(Draws(), (Texts{"Draw background clip 9 9 211 161", "Draw a clip 9 9 21 21",
                            "Draw b clip 199 149 211 161"}));
  EXPECT_EQ(gfx.log.Count("BeginFrame"), 1);
}

TEST_F(FrameRoadTest, OverlappingRectanglesAreMergedBeforeTheyAreDrawn) {
  Attach("a", Rect(10, 10, 20, 20));
  // The same area twice, and the left and right halves of one band: one pass each.
  Draw(gfx, {Rect(0, 0, 50, 50), Rect(0, 0, 50, 50), Rect(0, 60, 25, 70), Rect(25, 60, 50, 70)});
  EXPECT_EQ(Draws(), (Texts{"Draw a clip 9 9 21 21"}));
  EXPECT_EQ(gfx.log.Count("SetClipRegion"), 1);
}

TEST_F(FrameRoadTest, AChildIsCutToItsAncestorsAndOneOutsideThemIsNotDrawn) {
  LoggingControl* parent = Attach("parent", Rect(0, 0, 100, 100));
  LoggingControl* reaching = Attach("reaching", Rect(90, 10, 150, 20));
  LoggingControl* grandchild = Attach("grandchild", Rect(95, 12, 140, 18));
  LoggingControl* outside = Attach("outside", Rect(200, 10, 210, 20));
  reaching->SetParent(parent);
  grandchild->SetParent(reaching);
  outside->SetParent(parent);
  Draw(gfx, {Rect(0, 0, 300, 200)});
  EXPECT_EQ(Draws(), (Texts{"Draw parent clip 0 0 101 101", "Draw reaching clip 89 9 101 21",
                            "Draw grandchild clip 94 11 101 19"}));
}

TEST_F(FrameRoadTest, ControlsThatAreEachOthersParentsStillEndTheFrame) {
  LoggingControl* a = Attach("a", Rect(0, 0, 50, 50));
  LoggingControl* b = Attach("b", Rect(25, 25, 75, 75));
  a->SetParent(b);
  b->SetParent(a);
  Draw(gfx, {Rect(0, 0, 300, 200)});
  EXPECT_EQ(Draws(), (Texts{"Draw a clip 24 24 51 51", "Draw b clip 24 24 51 51"}));
}

TEST_F(FrameRoadTest, EachFrameStartRecordsTheTimeSinceTheLastIntoTheDisplaysRing) {
  test::ScopedTestClock clock;
  gfx.BeginFrame();  // no display: nothing to record into
  auto display = std::make_unique<IPerformanceDisplayControl>(Rect(0, 0, 100, 20));
  const FrameTimeRing& ring = display->Ring();
  gfx.SetPerformanceDisplay(std::move(display));
  gfx.BeginFrame();
  clock.AdvanceMs(16);
  gfx.BeginFrame();
  EXPECT_EQ(ring.WriteIndex(), 2);
  EXPECT_NEAR(ring.At(2), 0.016f, 1e-6f);
  clock.AdvanceMs(40);
  for (int32_t i = 0; i < FrameTimeRing::kSize; ++i) gfx.BeginFrame();
  // A hundred frames later the index is back where it was; the first of them took 40 ms.
  EXPECT_EQ(ring.WriteIndex(), 2);
  EXPECT_NEAR(ring.At(3), 0.040f, 1e-6f);
  EXPECT_EQ(ring.At(2), 0.f);
}

}  // namespace
}  // namespace plugfw::gfx
