// The drawing interface on the recording back end: the paths each shape builds, the
// transform stack, the clip, layers and their pixel sizes, bitmaps and SVG placement, text.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "graphics/gfx.h"
#include "tests/graphics/support/gfx_test_support.h"

namespace plugfw::gfx {
namespace {

using test::GfxTestDelegate;
using test::RecordingBitmap;
using test::RecordingGfx;
using Texts = std::vector<std::string>;

class DrawingTest : public ::testing::Test {
 protected:
  // The calls of one operation, without the transform hand-overs.
  Texts Run(const std::function<void(RecordingGfx&)>& draw) {
    gfx.log.Clear();
    draw(gfx);
    return gfx.log.Texts({"PathSetTransform"});
  }

  GfxTestDelegate delegate{1};
  RecordingGfx gfx{delegate};
};

TEST_F(DrawingTest, ShapesBuildTheirPathsThenStrokeOrFillOnce) {
  const Blend half{3, 0.5f};
  const float xs[] = {0, 10, 5};
  const float ys[] = {0, 0, 8};
  const float values[] = {0.f, 0.5f, 1.f};
  const float positions[] = {0.f, 0.2f, 1.f};
  struct Case {
    const char* what;
    std::function<void(RecordingGfx&)> draw;
    Texts calls;
  };
  const Case cases[] = {
      {"line",
       [](RecordingGfx& g) { g.DrawLine(ColourRed, 1, 2, 3, 4, nullptr, 2); },
       {"PathClear", "PathMoveTo 1 2", "PathLineTo 3 4", "PathStroke solid(255,255,0,0) 2"}},
      {"dotted line",
       [](RecordingGfx& g) { g.DrawDottedLine(ColourRed, 1, 2, 3, 4); },
       {"PathClear", "PathMoveTo 1 2", "PathLineTo 3 4", "PathStroke solid(255,255,0,0) 1 dashed"}},
      {"triangle",
       [](RecordingGfx& g) { g.DrawTriangle(ColourBlack, 0, 0, 4, 0, 2, 3); },
       {"PathClear", "PathMoveTo 0 0", "PathLineTo 4 0", "PathLineTo 2 3", "PathClose",
        "PathStroke solid(255,0,0,0) 1"}},
      {"filled rect with a blend",
       [&half](RecordingGfx& g) { g.FillRect(ColourBlue, Rect(1, 2, 5, 6), &half); },
       {"PathClear", "PathMoveTo 1 2", "PathLineTo 5 2", "PathLineTo 5 6", "PathLineTo 1 6", "PathClose",
        "PathFill solid(255,0,0,255) rule0 blend(3,0.5)"}},
      {"round rect with radius 0 is a rect",
       [](RecordingGfx& g) { g.DrawRoundRect(ColourBlue, Rect(1, 2, 5, 6), 0); },
       {"PathClear", "PathMoveTo 1 2", "PathLineTo 5 2", "PathLineTo 5 6", "PathLineTo 1 6", "PathClose",
        "PathStroke solid(255,0,0,255) 1"}},
      {"round rect radii held to half the shorter side",
       [](RecordingGfx& g) { g.FillRoundRect(ColourBlue, Rect(0, 0, 20, 10), 8); },
       {"PathClear", "PathMoveTo 0 5", "PathArc 5 5 5 270 360 w0", "PathArc 15 5 5 0 90 w0",
        "PathArc 15 5 5 90 180 w0", "PathArc 5 5 5 180 270 w0", "PathClose",
        "PathFill solid(255,0,0,255) rule0"}},
      {"negative and NaN radii count as 0",
       [](RecordingGfx& g) {
         g.FillRoundRectCorners(ColourBlue, Rect(0, 0, 20, 10), -3, std::nanf(""), 2, 0);
       },
       {"PathClear", "PathMoveTo 0 0", "PathArc 0 0 0 270 360 w0", "PathArc 20 0 0 0 90 w0",
        "PathArc 18 8 2 90 180 w0", "PathArc 0 10 0 180 270 w0", "PathClose",
        "PathFill solid(255,0,0,255) rule0"}},
      {"arc",
       [](RecordingGfx& g) { g.DrawArc(ColourGreen, 10, 10, 5, -135, 135); },
       {"PathClear", "PathArc 10 10 5 -135 135 w0", "PathStroke solid(255,0,255,0) 1"}},
      {"filled arc is a pie",
       [](RecordingGfx& g) { g.FillArc(ColourGreen, 10, 10, 5, 0, 90); },
       {"PathClear", "PathMoveTo 10 10", "PathArc 10 10 5 0 90 w0", "PathClose",
        "PathFill solid(255,0,255,0) rule0"}},
      {"circle",
       [](RecordingGfx& g) { g.DrawCircle(ColourGreen, 10, 20, 5); },
       {"PathClear", "PathMoveTo 10 15", "PathArc 10 20 5 0 360 w0", "PathClose",
        "PathStroke solid(255,0,255,0) 1"}},
      {"ellipse of no radius adds nothing",
       [](RecordingGfx& g) { g.FillEllipse(ColourGreen, 10, 20, 0, 5); },
       {"PathClear", "PathFill solid(255,0,255,0) rule0"}},
      {"polygon of one point draws nothing",
       [&xs, &ys](RecordingGfx& g) { g.DrawConvexPolygon(ColourBlack, xs, ys, 1); },
       {}},
      {"polygon without points draws nothing",
       [](RecordingGfx& g) { g.FillConvexPolygon(ColourBlack, nullptr, nullptr, 3); },
       {}},
      {"filled polygon",
       [&xs, &ys](RecordingGfx& g) { g.FillConvexPolygon(ColourBlack, xs, ys, 3); },
       {"PathClear", "PathMoveTo 0 0", "PathLineTo 10 0", "PathLineTo 5 8", "PathClose",
        "PathFill solid(255,0,0,0) rule0"}},
      {"point is a one-unit square",
       [](RecordingGfx& g) { g.DrawPoint(ColourWhite, 3, 4); },
       {"PathClear", "PathMoveTo 3 4", "PathLineTo 4 4", "PathLineTo 4 5", "PathLineTo 3 5", "PathClose",
        "PathFill solid(255,255,255,255) rule0"}},
      {"grid: no lines for a spacing of 1",
       [](RecordingGfx& g) { g.DrawGrid(ColourGray, Rect(0, 0, 30, 20), 10, 1); },
       {"PathClear", "PathMoveTo 10 0", "PathLineTo 10 20", "PathMoveTo 20 0", "PathLineTo 20 20",
        "PathStroke solid(255,127,127,127) 1"}},
      {"grid both ways",
       [](RecordingGfx& g) { g.DrawGrid(ColourGray, Rect(0, 0, 15, 20), 20, 8); },
       {"PathClear", "PathMoveTo 0 8", "PathLineTo 15 8", "PathMoveTo 0 16", "PathLineTo 15 16",
        "PathStroke solid(255,127,127,127) 1"}},
      {"data of one value draws nothing",
       [&values](RecordingGfx& g) { g.DrawData(ColourRed, Rect(0, 0, 100, 50), values, 1); },
       {}},
      {"data evenly spaced",
       [&values](RecordingGfx& g) { g.DrawData(ColourRed, Rect(0, 0, 100, 50), values, 3); },
       {"PathClear", "PathMoveTo 0 50", "PathLineTo 50 25", "PathLineTo 100 0",
        "PathStroke solid(255,255,0,0) 1"}},
      {"data at given places, filled under the stroke",
       [&values, &positions](RecordingGfx& g) {
         const FillPattern fill = ColourYellow;
         g.DrawData(ColourRed, Rect(0, 0, 100, 50), values, 3, positions, nullptr, 2, &fill);
       },
       {"PathClear", "PathMoveTo 0 50", "PathLineTo 20 25", "PathLineTo 100 0",
        "PathFill solid(255,255,255,0) rule0 preserve", "PathStroke solid(255,255,0,0) 2"}},
      {"empty text draws nothing",
       [](RecordingGfx& g) { g.DrawTextIfAny(DefaultTextStyle, "", Rect(0, 0, 9, 9)); },
       {}},
      {"null text draws nothing",
       [](RecordingGfx& g) { g.DrawTextIfAny(DefaultTextStyle, nullptr, Rect(0, 0, 9, 9)); },
       {}},
      {"text",
       [](RecordingGfx& g) { g.DrawTextIfAny(DefaultTextStyle, "Rate", Rect(0, 0, 40, 20)); },
       {"DoDrawText 'Rate' 0 0 40 20 Roboto-Regular 14"}},
      {"multi-line text in the base",
       [](RecordingGfx& g) { g.DrawMultiLineText(DefaultTextStyle, "a b", Rect()); },
       {"DoDrawText 'Unsupported' 0 0 0 0 Roboto-Regular 14"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Run(c.draw), c.calls);
  }
}

TEST_F(DrawingTest, AGridOverHugeOrBrokenBoundsEnds) {
  gfx.DrawGrid(ColourGray, Rect(0, 0, 1e9f, 10), 2, 2);
  EXPECT_LE(gfx.log.Count("PathMoveTo"), 10000 + 4);
  EXPECT_EQ(gfx.log.Count("PathStroke"), 1);
  gfx.log.Clear();
  gfx.DrawGrid(ColourGray, Rect(std::nanf(""), 0, 100, 100), 10, std::nanf(""));
  EXPECT_EQ(gfx.log.Count("PathMoveTo"), 0);
}

TEST_F(DrawingTest, AnEllipseIsAUnitCircleUnderItsOwnTransformAndLeavesTheStackAsItWas) {
  gfx.FillEllipse(ColourGreen, 10, 20, 4, 2, 30);
  const Texts calls = gfx.log.Texts();
  const Texts expected = {"PathClear",
                          "PathSetTransform 1 0 0 1 10 20",
                          "PathSetTransform 0.866025 0.5 -0.5 0.866025 10 20",
                          "PathSetTransform 3.4641 2 -1 1.73205 10 20",
                          "PathMoveTo 0 -1",
                          "PathArc 0 0 1 0 360 w0",
                          "PathClose",
                          "PathSetTransform 1 0 0 1 0 0",
                          "PathFill solid(255,0,255,0) rule0"};
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(gfx.TransformStackDepth(), 0);
  EXPECT_EQ(gfx.GetTransform(), kIdentityTransform);
}

TEST_F(DrawingTest, TransformsComposeWithTheNewOperationActingFirst) {
  gfx.PathTransformTranslate(10, 0);
  gfx.PathTransformRotate(90);
  const PathTransform translatedThenRotated = gfx.GetTransform();
  EXPECT_NEAR(translatedThenRotated.MapX(1, 0), 10, 1e-6);
  EXPECT_NEAR(translatedThenRotated.MapY(1, 0), 1, 1e-6);  // clockwise on the y-down screen
  EXPECT_EQ(gfx.log.Named("PathSetTransform").back().transform, translatedThenRotated);

  gfx.PathTransformReset();
  gfx.PathTransformRotate(90);
  gfx.PathTransformTranslate(10, 0);
  EXPECT_NEAR(gfx.GetTransform().MapX(1, 0), 0, 1e-6);
  EXPECT_NEAR(gfx.GetTransform().MapY(1, 0), 11, 1e-6);

  gfx.PathTransformReset();
  gfx.PathTransformScale(2);
  gfx.PathTransformTranslate(3, 4);
  EXPECT_DOUBLE_EQ(gfx.GetTransform().MapX(0, 0), 6);
  EXPECT_DOUBLE_EQ(gfx.GetTransform().MapY(0, 0), 8);
}

TEST_F(DrawingTest, TheSaveStackRestoresInOrderAndResetCanEmptyIt) {
  gfx.PathTransformTranslate(5, 0);
  gfx.PathTransformSave();
  gfx.PathTransformScale(3, 3);
  gfx.PathTransformSave();
  gfx.PathTransformRotate(45);
  EXPECT_EQ(gfx.TransformStackDepth(), 2);
  gfx.PathTransformRestore();
  EXPECT_EQ(gfx.GetTransform(), PathTransform(3, 0, 0, 3, 5, 0));
  gfx.PathTransformRestore();
  EXPECT_EQ(gfx.GetTransform(), PathTransform::Translation(5, 0));
  gfx.log.Clear();
  gfx.PathTransformRestore();  // an empty stack: nothing at all
  EXPECT_EQ(gfx.log.Size(), 0u);
  EXPECT_EQ(gfx.GetTransform(), PathTransform::Translation(5, 0));

  gfx.PathTransformSave();
  gfx.PathTransformReset(false);
  EXPECT_EQ(gfx.TransformStackDepth(), 1);
  gfx.PathTransformReset(true);
  EXPECT_EQ(gfx.TransformStackDepth(), 0);
  EXPECT_EQ(gfx.log.Named("PathSetTransform").back().transform, kIdentityTransform);
}

TEST_F(DrawingTest, ClipsAreCutToTheControlsClipUnderTheIdentityTransform) {
  gfx.SetCurrentClip(Rect(10, 10, 110, 60));
  gfx.PathTransformTranslate(5, 5);
  struct Case {
    Rect asked;
    Rect clip;
  };
  const Case cases[] = {
      {Rect(), Rect(10, 10, 110, 60)},                // unset: the whole drawing area
      {Rect(50, 0, 200, 30), Rect(50, 10, 110, 30)},  // cut to the area
      {Rect(200, 200, 300, 300), Rect()},             // outside: nothing
      {Rect(20, 20, 20, 40), Rect()},                 // empty, though not unset: nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(test::DescribeRect(c.asked));
    gfx.log.Clear();
    gfx.PathClipRegion(c.asked);
    EXPECT_EQ(gfx.log.Texts(),
              (Texts{"PathSetTransform 1 0 0 1 0 0", "SetClipRegion " + test::DescribeRect(c.clip),
                     "PathSetTransform 1 0 0 1 5 5"}));
  }
}

TEST_F(DrawingTest, InsideALayerTheClipIsCutToTheLayer) {
  gfx.SetCurrentClip(Rect(0, 0, 300, 200));
  ASSERT_TRUE(gfx.StartLayer(nullptr, Rect(20, 20, 60, 40)));
  gfx.log.Clear();
  gfx.PathClipRegion();
  gfx.PathClipRegion(Rect(0, 0, 30, 30));
  const auto clips = gfx.log.Named("SetClipRegion");
  ASSERT_EQ(clips.size(), 2u);
  EXPECT_EQ(clips[0].rect, Rect(20, 20, 60, 40));
  EXPECT_EQ(clips[1].rect, Rect(20, 20, 30, 30));
  ASSERT_NE(gfx.EndLayer(), nullptr);
  gfx.log.Clear();
  gfx.PathClipRegion();
  EXPECT_EQ(gfx.log.Named("SetClipRegion")[0].rect, Rect(0, 0, 300, 200));
}

TEST_F(DrawingTest, PushingAndPoppingALayerRetargetsResetsTheTransformAndClips) {
  gfx.SetCurrentClip(Rect(0, 0, 300, 200));
  gfx.PathTransformTranslate(7, 7);
  gfx.log.Clear();
  ASSERT_TRUE(gfx.StartLayer(nullptr, Rect(10, 10, 50, 30), true));
  EXPECT_EQ(gfx.log.Texts(),
            (Texts{"CreateOffscreenBitmap 40 20 1 1 yes", "UpdateLayer 1", "PathSetTransform 1 0 0 1 0 0",
                   "PathSetTransform 1 0 0 1 0 0", "SetClipRegion 10 10 50 30",
                   "PathSetTransform 1 0 0 1 0 0", "PathClear"}));
  gfx.log.Clear();
  LayerPtr layer = gfx.EndLayer();
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(layer->bounds, Rect(10, 10, 50, 30));
  EXPECT_TRUE(layer->controlRect.Unset());
  EXPECT_EQ(gfx.log.Texts(),
            (Texts{"UpdateLayer 0", "PathSetTransform 1 0 0 1 0 0", "PathSetTransform 1 0 0 1 0 0",
                   "SetClipRegion 0 0 300 200", "PathSetTransform 1 0 0 1 0 0", "PathClear"}));
}

TEST_F(DrawingTest, LayerPixelSizesFollowTheBackingScale) {
  struct Case {
    float drawScale, screenScale;
    Rect asked;
    const char* bitmap;  // width height scale drawScale
    Rect bounds;
  };
  const Case cases[] = {
      {1.f, 1.f, Rect(10, 10, 50, 30), "40 20 1 1", Rect(10, 10, 50, 30)},
      {1.5f, 1.f, Rect(10, 10, 20, 20), "15 15 1 1.5", Rect(10, 10, 20, 20)},
      {1.f, 2.f, Rect(0.3f, 0.3f, 10.2f, 5.1f), "22 12 2 1", Rect(0, 0, 10.5f, 5.5f)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bitmap);
    RecordingGfx scaled(delegate, 300, 200, c.drawScale);
    scaled.SetScreenScaleValue(c.screenScale);
    ASSERT_TRUE(scaled.StartLayer(nullptr, c.asked));
    EXPECT_EQ(scaled.log.Texts()[0], std::string("CreateOffscreenBitmap ") + c.bitmap + " no");
    LayerPtr layer = scaled.EndLayer();
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->bounds, c.bounds);
    EXPECT_EQ(layer->bitmap->Width(), std::stoi(c.bitmap));
  }
}

TEST_F(DrawingTest, ALayerThatCannotBeMadeStillPairsItsStartWithItsEnd) {
  gfx.SetCurrentClip(Rect(0, 0, 300, 200));
  struct Case {
    const char* what;
    Rect asked;
    bool failBitmaps;
  };
  const Case cases[] = {
      {"empty rect", Rect(10, 10, 10, 30), false},
      {"no offscreen bitmap", Rect(10, 10, 40, 30), true},
      {"absurd size", Rect(0, 0, 1e9f, 10), false},
  };
  ASSERT_TRUE(gfx.StartLayer(nullptr, Rect(0, 0, 100, 100)));  // an outer layer that must survive
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    gfx.failOffscreenBitmaps = c.failBitmaps;
    gfx.log.Clear();
    EXPECT_FALSE(gfx.StartLayer(nullptr, c.asked));
    EXPECT_EQ(gfx.LayerCount(), 2);
    EXPECT_EQ(gfx.log.Named("SetClipRegion").back().rect, Rect());  // drawing inside goes nowhere
    LayerPtr layer = gfx.EndLayer();
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->bitmap, nullptr);
    EXPECT_EQ(gfx.LayerCount(), 1);
    gfx.ApplyLayerDropShadow(*layer, LayerShadow());  // nothing to read, nothing to do
    EXPECT_EQ(gfx.log.Count("GetLayerBitmapData"), 0);
  }
  gfx.failOffscreenBitmaps = false;
  LayerPtr outer = gfx.EndLayer();
  ASSERT_NE(outer, nullptr);
  EXPECT_EQ(outer->bounds, Rect(0, 0, 100, 100));
}

TEST_F(DrawingTest, PoppingAnEmptyStackRestoresTheDrawingAreaAndALayerPushedByItsOwnerStaysItsOwners) {
  gfx.SetCurrentClip(Rect(0, 0, 300, 200));
  gfx.log.Clear();
  EXPECT_EQ(gfx.PopLayer(), nullptr);
  EXPECT_EQ(gfx.log.Named("SetClipRegion").back().rect, Rect(0, 0, 300, 200));
  EXPECT_EQ(gfx.EndLayer(), nullptr);

  DrawLayer mine(nullptr, nullptr, Rect(), Rect(5, 5, 25, 25));
  gfx.PushLayer(&mine);
  EXPECT_EQ(gfx.TopLayer(), &mine);
  EXPECT_EQ(gfx.EndLayer(), nullptr);  // popped, not handed over
  EXPECT_EQ(gfx.LayerCount(), 0);

  gfx.PushLayer(&mine);
  EXPECT_EQ(gfx.PopLayer(), &mine);
}

class OwnerControl : public IControl {
 public:
  OwnerControl() : IControl(Rect(3, 4, 13, 14)) {}
  void Draw(IGfx&) override {}
};

TEST_F(DrawingTest, LayersStartedForAControlRememberIt) {
  OwnerControl owner;
  ASSERT_TRUE(gfx.StartLayer(&owner, Rect(0, 0, 20, 20)));
  ASSERT_TRUE(gfx.StartLayer(nullptr, Rect(2, 2, 8, 8)));
  LayerPtr inner = gfx.EndLayer();
  LayerPtr outer = gfx.EndLayer();
  ASSERT_NE(inner, nullptr);
  ASSERT_NE(outer, nullptr);
  EXPECT_EQ(inner->bounds, Rect(2, 2, 8, 8));
  EXPECT_EQ(outer->control, &owner);
  EXPECT_EQ(outer->controlRect, Rect(3, 4, 13, 14));
  EXPECT_FALSE(outer->invalid);
}

TEST_F(DrawingTest, EmptyImagesDrawNothing) {
  RecordingBitmap noPixels(9, 0, 0, 1.f, 1.f);
  const BitmapRef emptyBitmap(&noPixels, 1, false, "none.png");
  const Texts nothing;
  EXPECT_EQ(Run([&](RecordingGfx& g) { g.DrawFittedBitmap(BitmapRef(), Rect(0, 0, 10, 10)); }), nothing);
  EXPECT_EQ(Run([&](RecordingGfx& g) { g.DrawFittedBitmap(emptyBitmap, Rect(0, 0, 10, 10)); }), nothing);
  EXPECT_EQ(Run([&](RecordingGfx& g) { g.DrawRotatedBitmap(emptyBitmap, 5, 5, 30); }), nothing);
  EXPECT_EQ(Run([&](RecordingGfx& g) { g.DrawSvgInBounds(SvgRef(), Rect(0, 0, 10, 10)); }), nothing);
  EXPECT_EQ(Run([&](RecordingGfx& g) { g.DrawRotatedSvg(SvgRef(), 5, 5, 10, 10, 45); }), nothing);
  EXPECT_EQ(gfx.TransformStackDepth(), 0);
}

TEST_F(DrawingTest, BitmapsAreFittedByScalingAndRotatedAboutTheirCentre) {
  RecordingBitmap pixels(7, 16, 16, 1.f, 1.f);
  const BitmapRef bitmap(&pixels, 1, false, "knob.png");
  gfx.DrawFittedBitmap(bitmap, Rect(10, 20, 42, 52));
  EXPECT_EQ(gfx.log.Texts(), (Texts{"PathSetTransform 1 0 0 1 10 20", "PathSetTransform 2 0 0 2 10 20",
                                    "DrawBitmap 7 0 0 16 16 from 0 0", "PathSetTransform 1 0 0 1 0 0"}));

  gfx.log.Clear();
  RecordingBitmap retina(8, 32, 32, 2.f, 2.f);  // 16 units wide, drawn at scale 2
  gfx.DrawRotatedBitmap(BitmapRef(&retina, 1, false, "knob@2x.png"), 50, 60, 90);
  EXPECT_EQ(gfx.log.Texts(), (Texts{"PathSetTransform 1 0 0 1 50 60", "PathSetTransform 0 1 -1 0 50 60",
                                    "DrawBitmap 8 -4 -4 4 4 from 0 0", "PathSetTransform 1 0 0 1 0 0"}));
}

TEST_F(DrawingTest, SvgImagesKeepTheirAspectRatio) {
  const char svg[] = R"(<svg width="100" height="50"><rect width="100" height="50" fill="#000"/></svg>)";
  const SvgRef image = gfx.LoadSvgFromMemory("wide.svg", svg, sizeof svg - 1);
  ASSERT_FALSE(image.Empty());
  EXPECT_FLOAT_EQ(image.Width(), 100.f);
  gfx.DrawSvgInBounds(image, Rect(0, 0, 400, 100));  // twice as wide as high: limited by the height
  const auto transforms = gfx.log.Named("PathSetTransform");
  ASSERT_GE(transforms.size(), 2u);
  EXPECT_EQ(transforms[1].transform, PathTransform(2, 0, 0, 2, 0, 0));
  EXPECT_EQ(gfx.GetTransform(), kIdentityTransform);

  gfx.log.Clear();
  gfx.DrawSvgInBounds(image, Rect(0, 0, 0, 100));  // no room: nothing
  EXPECT_EQ(gfx.log.Size(), 0u);
  EXPECT_TRUE(gfx.LoadSvgFromMemory("junk.svg", "no svg here", 11).Empty());
}

TEST_F(DrawingTest, MeasuringEmptyTextAsksNothing) {
  Rect bounds(1, 2, 3, 4);
  EXPECT_FLOAT_EQ(gfx.MeasureText(DefaultTextStyle, "", bounds), 0.f);
  EXPECT_FLOAT_EQ(gfx.MeasureText(DefaultTextStyle, nullptr, bounds), 0.f);
  EXPECT_EQ(gfx.log.Size(), 0u);
  EXPECT_FLOAT_EQ(gfx.MeasureText(DefaultTextStyle, "abcd", bounds), 28.f);
  EXPECT_EQ(bounds, Rect(1, 2, 29, 16));
}

TEST_F(DrawingTest, RotatedTextIsPlacedByItsTurnedBoxAndTheAlignment) {
  TextStyle style;
  const Rect bounds(0, 0, 100, 40);
  Rect r(0, 0, 20, 10);
  float dx = 1.f, dy = 1.f;
  gfx.TextRotationOffset(style, bounds, r, dx, dy);
  EXPECT_EQ(r, Rect(0, 0, 20, 10));  // no angle: nothing moves
  EXPECT_FLOAT_EQ(dx, 0.f);
  EXPECT_FLOAT_EQ(dy, 0.f);

  style.angle = 90;
  struct Case {
    TextAlign align;
    TextVAlign valign;
    Rect placed;
  };
  // Turned by 90 degrees the 20 × 10 box becomes 10 × 20 at (-10, 0).
  const Case cases[] = {
      {TextAlign::kNear, TextVAlign::kTop, Rect(0, 0, 10, 20)},
      {TextAlign::kCentre, TextVAlign::kMiddle, Rect(45, 10, 55, 30)},
      {TextAlign::kFar, TextVAlign::kBottom, Rect(90, 20, 100, 40)},
  };
  for (const Case& c : cases) {
    style.align = c.align;
    style.valign = c.valign;
    Rect box(0, 0, 20, 10);
    gfx.ApplyTextRotationToBounds(style, bounds, box);
    EXPECT_NEAR(box.left, c.placed.left, 1e-4);
    EXPECT_NEAR(box.top, c.placed.top, 1e-4);
    EXPECT_NEAR(box.right, c.placed.right, 1e-4);
    EXPECT_NEAR(box.bottom, c.placed.bottom, 1e-4);
  }
}

}  // namespace
}  // namespace plugfw::gfx
