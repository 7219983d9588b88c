// IGfxCanvas frames on real GL: the main framebuffer composited into the window's, partial
// redraws on a surface that keeps its pixels, scales, layers and offscreen bitmaps, deferred
// deletion, and a driver without every entry point.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "graphics/rect_list.h"
#include "tests/graphics/renderer/gfx_canvas_fixture.h"
#include "tests/graphics/support/logging_control.h"

namespace plugfw::gfx::test {
namespace {

constexpr Rgba kRed{255, 0, 0, 255};
constexpr Rgba kBlue{0, 0, 255, 255};

using GfxCanvasFrameTest = GfxCanvasTest;

TEST_F(GfxCanvasFrameTest, TheFrameReachesTheWindowFramebufferBoundWhenTheRendererWasMade) {
  // Something else bound when the frame ends must not become the composite's target.
  EXPECT_EQ(gfx_->WindowFramebuffer(), window_->Name());
  Frame([](TestCanvasGfx& g) { g.FillRect(ColourRed, Rect(8, 4, 24, 20)); });
  const Pixels window = ReadWindow();
  EXPECT_TRUE(PixelNear(window, 8, 4, kRed));
  EXPECT_TRUE(PixelNear(window, 23, 19, kRed));
  EXPECT_TRUE(PixelNear(window, 24, 19, kClear));
  EXPECT_TRUE(PixelNear(window, 7, 4, kClear));
  EXPECT_TRUE(PixelNear(window, 8, 20, kClear));
}

TEST_F(GfxCanvasFrameTest, APartialRedrawKeepsWhatEarlierFramesDrew) {
  Frame([](TestCanvasGfx& g) { g.FillRect(ColourRed, Rect(0, 0, kWidth, kHeight)); });
  Frame([](TestCanvasGfx& g) { g.FillRect(ColourBlue, Rect(10, 10, 20, 20)); });
  const Pixels window = ReadWindow();
  EXPECT_TRUE(PixelNear(window, 15, 15, kBlue));
  EXPECT_TRUE(PixelNear(window, 40, 30, kRed));
  EXPECT_TRUE(PixelNear(window, 0, 0, kRed));
}

TEST_F(GfxCanvasFrameTest, TheFrameAndItsCompositeAreOneFlush) {
  GLUploadCounts counts(gfx_->GLTable());
  Frame([](TestCanvasGfx& g) {
    g.FillRect(ColourRed, Rect(0, 0, kWidth, kHeight));
    g.DrawLine(ColourBlue, 0, 0, kWidth, kHeight, nullptr, 2.f);
  });
  EXPECT_EQ(counts.programBinds, 1);
  EXPECT_EQ(counts.vertexUploads, 1);
  EXPECT_EQ(counts.indexUploads, 1);
  EXPECT_TRUE(PixelNear(ReadWindow(), kWidth - 1, 0, kRed));
}

TEST_F(GfxCanvasFrameTest, BeginFrameClearsTheWindowWhateverWasLeftBound) {
  Frame([](TestCanvasGfx& g) { g.FillRect(ColourRed, Rect(0, 0, kWidth, kHeight)); });
  TestGL().BindFramebuffer(GL_FRAMEBUFFER, gfx_->MainFramebuffer()->framebuffer);
  Frame([](TestCanvasGfx&) {});
  EXPECT_TRUE(PixelNear(ReadMain(), 32, 24, kRed));
  EXPECT_TRUE(PixelNear(ReadWindow(), 32, 24, kRed));
}

TEST_F(GfxCanvasFrameTest, TheMainFramebufferStartsClearAndAfterEveryResize) {
  Pixels main = ReadMain();
  EXPECT_EQ(main.CoveredArea(), 0.0);
  Frame([](TestCanvasGfx& g) { g.FillRect(ColourRed, Rect(0, 0, kWidth, kHeight)); });
  gfx_->Resize(kWidth, kHeight, 1.f, 1.f);
  main = ReadMain();
  EXPECT_EQ(main.CoveredArea(), 0.0);
  // The window was cleared by the frame; a frame after the resize shows the cleared surface.
  Frame([](TestCanvasGfx&) {});
  EXPECT_EQ(ReadWindow().CoveredArea(), 0.0);
}

TEST_F(GfxCanvasFrameTest, ResizingMakesTheContextCurrentAndReleasesIt) {
  const int32_t made = gfx_->makeCurrentCalls;
  gfx_->Resize(kWidth, kHeight, 1.f, 1.f);
  EXPECT_EQ(gfx_->makeCurrentCalls, made + 1);
  EXPECT_EQ(gfx_->releaseCalls, gfx_->makeCurrentCalls);
}

struct ScaleCase {
  float drawScale;
  float screenScale;
};

class GfxCanvasScaleTest : public GfxCanvasTest, public ::testing::WithParamInterface<ScaleCase> {};

// Units become draw scale x screen scale pixels, on the main surface and through the composite.
TEST_P(GfxCanvasScaleTest, AnAlignedRectangleCoversExactlyItsPixels) {
  Remake(GetParam().drawScale, GetParam().screenScale);
  const float s = GetParam().drawScale * GetParam().screenScale;
  const Rect r(4, 4, 12, 10);
  Frame([&](TestCanvasGfx& g) { g.FillRect(ColourRed, r); });
  const Pixels window = ReadWindow();
  const int left = static_cast<int>(r.left * s), right = static_cast<int>(r.right * s);
  const int top = static_cast<int>(r.top * s), bottom = static_cast<int>(r.bottom * s);
  for (int y = top - 1; y <= bottom; ++y) {
    for (int x = left - 1; x <= right; ++x) {
      const bool inside = x >= left && x < right && y >= top && y < bottom;
      ASSERT_TRUE(PixelNear(window, x, y, inside ? kRed : kClear)) << "at scale " << s;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Scales, GfxCanvasScaleTest,
                         ::testing::Values(ScaleCase{1.f, 1.f}, ScaleCase{1.f, 2.f}, ScaleCase{1.5f, 1.f},
                                           ScaleCase{1.25f, 1.6f}));

// The scene a layer test draws, anti-aliased edges at fractions of a pixel included.
void DrawLayerScene(IGfx& g) {
  g.FillRect(ColourRed, Rect(5.3f, 4.f, 24.7f, 12.2f));
  g.FillCircle(ColourBlue, 15.f, 8.f, 3.4f);
}

class GfxCanvasLayerScaleTest : public GfxCanvasTest, public ::testing::WithParamInterface<ScaleCase> {};

// A layer's viewport and its bitmap's extent are the bitmap's own pixel size, so the layer
// drawn back lands on the pixels the scene would have covered directly, unstretched.
TEST_P(GfxCanvasLayerScaleTest, ALayerDrawnBackMatchesTheSceneDrawnDirectly) {
  Remake(GetParam().drawScale, GetParam().screenScale);
  Frame([](TestCanvasGfx& g) { DrawLayerScene(g); });
  const Pixels direct = ReadWindow();
  gfx_->Resize(kWidth, kHeight, GetParam().drawScale, GetParam().screenScale);  // a cleared surface
  const Rect bounds(3.f, 3.f, 25.f, 13.f);
  Frame([&](TestCanvasGfx& g) {
    ASSERT_TRUE(g.StartLayer(nullptr, bounds));
    DrawLayerScene(g);
    LayerPtr layer = g.EndLayer();
    ASSERT_NE(layer, nullptr);
    g.DrawBitmap(BitmapRef(layer->bitmap.get(), 1, false, ""), layer->bounds, 0, 0);
  });
  const Pixels viaLayer = ReadWindow();
  for (int y = 0; y < PixelHeight(); ++y) {
    for (int x = 0; x < PixelWidth(); ++x) ASSERT_TRUE(PixelNear(viaLayer, x, y, direct.At(x, y)));
  }
}

INSTANTIATE_TEST_SUITE_P(Scales, GfxCanvasLayerScaleTest,
                         ::testing::Values(ScaleCase{1.f, 1.f}, ScaleCase{1.f, 1.5f}, ScaleCase{1.5f, 1.f},
                                           ScaleCase{1.25f, 1.25f}));

// An editor of a background and three controls drawn through the frame road; each control
// fills its whole clip in its tint and draws an antialiased knob on it.
class GfxCanvasFrameRoadTest : public GfxCanvasTest, public ::testing::WithParamInterface<ScaleCase> {
 protected:
  void Attach() {
    auto* background = new LoggingControl("background", log_, Rect(0, 0, kWidth, kHeight));
    background->drawing = [](IGfx& g) { g.FillRect(Colour(255, 30, 40, 50), Rect(0, 0, kWidth, kHeight)); };
    gfx_->AttachControl(background);
    for (int i = 0; i < 3; ++i) {
      const Rect r(3.3f + 20.f * i, 7.1f, 19.7f + 20.f * i, 30.9f);
      auto* knob = new LoggingControl("knob", log_, r);
      knob->drawing = [r, this](IGfx& g) {
        g.FillRect(Colour(255, 60, 60, tint_), g.GetCurrentClip());
        g.FillCircle(Colour(255, 200, 120, 90), r.CentreX(), r.CentreY(), 5.37f);
        g.DrawArc(ColourWhite, r.CentreX(), r.CentreY(), 5.9f, -135.f, 100.f, nullptr, 1.3f);
      };
      knobs_.push_back(gfx_->AttachControl(knob));
    }
  }
  void DrawRects(const std::vector<Rect>& rects) {
    RectList list;
    for (const Rect& r : rects) list.Add(r);
    gfx_->DrawRectList(list);
  }

  std::vector<std::string> log_;
  std::vector<IControl*> knobs_;
  int tint_ = 0;
};

// Clips are aligned to the pixel grid and one canvas unit is exactly draw scale x screen scale
// pixels, so a control redrawn alone lands on the very pixels the whole frame gave it, and
// what it changes ends at its clip's pixel edges.
TEST_P(GfxCanvasFrameRoadTest, APartialRedrawFitsTheWholeFrameToThePixel) {
  Remake(GetParam().drawScale, GetParam().screenScale);
  Attach();
  DrawRects({Rect(0, 0, kWidth, kHeight)});
  const Pixels whole = ReadWindow();
  const Rect dirty = knobs_[1]->GetRect().Padded(IGfx::kControlMargin);
  DrawRects({dirty});
  const Pixels again = ReadWindow();
  for (int y = 0; y < PixelHeight(); ++y) {
    for (int x = 0; x < PixelWidth(); ++x) ASSERT_TRUE(PixelNear(again, x, y, whole.At(x, y)));
  }
  tint_ = 255;
  DrawRects({dirty});
  const Pixels changed = ReadWindow();
  const float s = GetParam().drawScale * GetParam().screenScale;
  const int left = static_cast<int>(std::lround(std::floor(dirty.left * s)));
  const int top = static_cast<int>(std::lround(std::floor(dirty.top * s)));
  const int right = static_cast<int>(std::lround(std::ceil(dirty.right * s)));
  const int bottom = static_cast<int>(std::lround(std::ceil(dirty.bottom * s)));
  for (int y = 0; y < PixelHeight(); ++y) {
    for (int x = 0; x < PixelWidth(); ++x) {
      const bool inside = x >= left && x < right && y >= top && y < bottom;
      const bool onEdge = inside && (x == left || x == right - 1 || y == top || y == bottom - 1);
      if (!inside) {
        ASSERT_TRUE(PixelNear(changed, x, y, whole.At(x, y))) << "outside the clip";
      } else if (onEdge) {
        ASSERT_TRUE(PixelNear(changed, x, y, Rgba{60, 60, 255, 255})) << "on the clip's edge";
      }
    }
  }
  gfx_->RemoveAllControls();
}

INSTANTIATE_TEST_SUITE_P(Scales, GfxCanvasFrameRoadTest,
                         ::testing::Values(ScaleCase{1.f, 1.f}, ScaleCase{1.1f, 1.25f}, ScaleCase{1.5f, 1.f},
                                           ScaleCase{1.f, 1.75f}));

TEST_F(GfxCanvasFrameTest, DrawingInsideALayerStaysOutOfTheMainSurfaceUntilDrawnBack) {
  Frame([](TestCanvasGfx& g) {
    ASSERT_TRUE(g.StartLayer(nullptr, Rect(0, 0, 32, 24)));
    g.FillRect(ColourRed, Rect(0, 0, 32, 24));
    LayerPtr layer = g.EndLayer();
    g.FillRect(ColourBlue, Rect(40, 30, 50, 40));
  });
  const Pixels window = ReadWindow();
  EXPECT_TRUE(PixelNear(window, 10, 10, kClear));
  EXPECT_TRUE(PixelNear(window, 45, 35, kBlue));
}

TEST_F(GfxCanvasFrameTest, AnOffscreenBitmapMadeInsideAFrameLeavesTheFrameDrawingAsBefore) {
  Frame([](TestCanvasGfx& g) {
    g.PathClipRegion(Rect(0, 0, 32, kHeight));
    g.FillRect(ColourRed, Rect(0, 0, kWidth, 10));
    std::unique_ptr<APIBitmap> bitmap = g.CreateOffscreenBitmap(16, 16, 1.f, 1.f, false);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Width(), 16);
    // Still into the main surface, still clipped to the left half.
    g.FillRect(ColourBlue, Rect(0, 20, kWidth, 30));
  });
  const Pixels window = ReadWindow();
  EXPECT_TRUE(PixelNear(window, 10, 5, kRed));
  EXPECT_TRUE(PixelNear(window, 10, 25, kBlue));
  EXPECT_TRUE(PixelNear(window, 40, 5, kClear));
  EXPECT_TRUE(PixelNear(window, 40, 25, kClear));
}

TEST_F(GfxCanvasFrameTest, ABitmapDeletedInsideAFrameKeepsItsFramebufferUntilTheFrameEnds) {
  std::unique_ptr<APIBitmap> bitmap = gfx_->CreateOffscreenBitmap(8, 8, 1.f, 1.f, false);
  ASSERT_NE(bitmap, nullptr);
  GLCallLog log(gfx_->GLTable());
  gfx_->BeginFrame();
  bitmap.reset();
  EXPECT_EQ(log.Count("glDeleteFramebuffers"), 0);
  gfx_->EndFrame();
  EXPECT_EQ(log.Count("glDeleteFramebuffers"), 1);
  // Outside a frame a bitmap goes at once.
  bitmap = gfx_->CreateOffscreenBitmap(8, 8, 1.f, 1.f, false);
  bitmap.reset();
  EXPECT_EQ(log.Count("glDeleteFramebuffers"), 2);
}

TEST_F(GfxCanvasFrameTest, DestroyingTheRendererFlushesQueuedDeletionsBeforeTheCanvasGoes) {
  std::unique_ptr<APIBitmap> bitmap = gfx_->CreateOffscreenBitmap(8, 8, 1.f, 1.f, false);
  GLCallLog log(gfx_->GLTable());
  gfx_->BeginFrame();
  bitmap.reset();  // queued: the frame is open
  gfx_->DestroyRendererContext();
  EXPECT_EQ(gfx_->Canvas(), nullptr);
  // The layer's framebuffer and the main one, each before the canvas's program.
  const auto program = std::find(log.calls.begin(), log.calls.end(), "glDeleteProgram");
  ASSERT_NE(program, log.calls.end());
  EXPECT_EQ(std::count(log.calls.begin(), program, "glDeleteFramebuffers"), 2);
  EXPECT_EQ(std::count(program, log.calls.end(), "glDeleteFramebuffers"), 0);
}

TEST_F(GfxCanvasFrameTest, WithoutACanvasNothingTouchesGL) {
  std::unique_ptr<APIBitmap> kept = gfx_->CreateOffscreenBitmap(8, 8, 1.f, 1.f, false);
  ASSERT_NE(kept, nullptr);
  gfx_->DestroyRendererContext();
  gfx_->GLTable() = GLFunctions{};  // any GL call now dereferences null
  kept.reset();
  gfx_->BeginFrame();
  gfx_->FillRect(ColourRed, Rect(0, 0, 10, 10));
  gfx_->EndFrame();
  gfx_->ResizeDrawSurface();
  gfx_.reset();
  EXPECT_FALSE(kept);
}

// Each editor calls GL through the table its own context gave it. Another editor's load, one
// that fails or one from another driver, changes nothing of what this one calls.
TEST_F(GfxCanvasFrameTest, ASecondEditorWhoseGLLoadFailsLeavesTheFirstDrawing) {
  GfxTestDelegate secondDelegate(0);
  TestCanvasGfx second(secondDelegate, kWidth, kHeight);
  WithheldGLFunction poorDriver(second.GLTable(), "glGenFramebuffers");
  ASSERT_NE(poorDriver.missing, nullptr);
  EXPECT_EQ(second.CreateRendererContext(), nullptr);
  Frame([](TestCanvasGfx& g) { g.FillRect(ColourRed, Rect(0, 0, kWidth, kHeight)); });
  const Pixels window = ReadWindow();
  EXPECT_TRUE(PixelNear(window, 20, 20, kRed));
  EXPECT_TRUE(PixelNear(window, kWidth - 1, kHeight - 1, kRed));
}

TEST_F(GfxCanvasFrameTest, EachEditorCallsOnlyTheDriverItsOwnContextGaveIt) {
  WindowTarget secondWindow(PixelWidth(), PixelHeight());
  TestGL().BindFramebuffer(GL_FRAMEBUFFER, secondWindow.Name());
  GfxTestDelegate secondDelegate(0);
  TestCanvasGfx second(secondDelegate, kWidth, kHeight);
  GLCallLog secondDriver(second.GLTable());  // its entry points differ from the first's
  ASSERT_NE(second.CreateRendererContext(), nullptr);
  second.Resize(kWidth, kHeight, 1.f, 1.f);
  const size_t secondsOwn = secondDriver.calls.size();
  EXPECT_GT(secondsOwn, 0u);

  Frame([](TestCanvasGfx& g) { g.FillRect(ColourRed, Rect(0, 0, kWidth, kHeight)); });
  EXPECT_EQ(secondDriver.calls.size(), secondsOwn) << "the first editor drew through the second's driver";
  EXPECT_TRUE(PixelNear(ReadWindow(), 20, 20, kRed));

  second.BeginFrame();
  second.FillRect(ColourBlue, Rect(0, 0, kWidth, kHeight));
  second.EndFrame();
  EXPECT_GT(secondDriver.Count("glDrawElements"), 0);
  EXPECT_TRUE(PixelNear(ReadFramebuffer(secondWindow.Name(), PixelWidth(), PixelHeight()), 20, 20, kBlue));
  second.DestroyRendererContext();
}

// While the editor's context cannot be made current, GL would reach whatever context is (a
// host's, say): nothing of the renderer's work may go there, and none of it may be lost.
TEST_F(GfxCanvasFrameTest, WithoutItsContextTheRendererMakesNoGLCallAndCatchesUpLater) {
  const Bytes png = EncodePng(4, 4, std::vector<uint8_t>(4 * 4 * 4, 255));
  const auto size = static_cast<int32_t>(png.size());
  const std::string path = ::testing::TempDir() + "gfx_canvas_red.png";
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(png.data(), 1, png.size(), file);
  std::fclose(file);
  gfx_->contextCanBeMadeCurrent = false;
  {
    GLCallLog log(gfx_->GLTable());
    gfx_->Resize(kWidth, kHeight, 1.f, 2.f);
    EXPECT_TRUE(gfx_->LoadBitmapFromMemory("red.png", png.data(), size).Empty());
    EXPECT_EQ(gfx_->LoadBitmapDataFromMemory("red.png", png.data(), size, 1.f), nullptr);
    EXPECT_TRUE(gfx_->LoadBitmapScaled(path.c_str(), 1, false, 1).Empty());
    EXPECT_TRUE(log.calls.empty()) << "first GL call: " << log.calls.front();
  }
  EXPECT_EQ(gfx_->releaseCalls, gfx_->makeCurrentCalls) << "every pair ended";

  gfx_->contextCanBeMadeCurrent = true;
  const BitmapRef loaded = gfx_->LoadBitmapScaled(path.c_str(), 1, false, 1);
  std::remove(path.c_str());
  ASSERT_FALSE(loaded.Empty()) << "a load without the context was not cached as a failure";
  EXPECT_EQ(loaded.bitmap->Width(), 4);
  EXPECT_EQ(gfx_->LoadBitmapFromMemory("red.png", png.data(), size).width, 4);
  Frame([](TestCanvasGfx&) {});
  int width = 0, height = 0;
  ASSERT_TRUE(LayerFramebufferSize(gfx_->MainFramebuffer(), &width, &height));
  EXPECT_EQ(width, 2 * kWidth) << "the first frame with the context remade the surface";
  EXPECT_EQ(height, 2 * kHeight);
}

TEST_F(GfxCanvasFrameTest, DestroyedWithoutItsContextTheRendererFreesMemoryOnly) {
  std::unique_ptr<APIBitmap> layer = gfx_->CreateOffscreenBitmap(8, 8, 1.f, 1.f, false);
  ASSERT_NE(layer, nullptr);
  const Bytes png = EncodePng(2, 2, std::vector<uint8_t>(2 * 2 * 4, 255));
  ASSERT_NE(gfx_->LoadBitmapDataFromMemory("white.png", png.data(), static_cast<int32_t>(png.size()), 1.f),
            nullptr);
  gfx_->BeginFrame();
  layer.reset();  // its framebuffer waits for the end of the frame
  gfx_->contextCanBeMadeCurrent = false;
  GLCallLog log(gfx_->GLTable());
  gfx_->DestroyRendererContext();
  EXPECT_EQ(gfx_->Canvas(), nullptr);
  EXPECT_EQ(gfx_->MainFramebuffer(), nullptr);
  EXPECT_TRUE(log.calls.empty()) << "first GL call: " << log.calls.front();
}

class GfxCanvasPoorDriverTest : public GfxCanvasTest, public ::testing::WithParamInterface<const char*> {};

// Every operation of an editor whose driver lacks an entry point does nothing, and nothing of
// it reaches GL: the table is empty, so any call would crash.
TEST_P(GfxCanvasPoorDriverTest, ACanvasWithoutItsGLFunctionsStaysNullAndDrawsNothing) {
  gfx_->DestroyRendererContext();
  gfx_.reset();
  TestCanvasGfx g(delegate_, kWidth, kHeight);
  WithheldGLFunction withheld(g.GLTable(), GetParam());
  ASSERT_NE(withheld.missing, nullptr);
  EXPECT_STREQ(withheld.missing, GetParam());
  EXPECT_EQ(g.CreateRendererContext(), nullptr);
  EXPECT_EQ(g.GetDrawContext(), nullptr);
  g.ResizeDrawSurface();
  g.BeginFrame();
  g.PathTransformReset(true);
  g.FillRect(ColourRed, Rect(0, 0, 10, 10));
  g.DrawDottedLine(ColourRed, 0, 0, 10, 10);
  g.DrawArc(ColourRed, 20, 20, 5, 0, 90);
  EXPECT_FALSE(g.StartLayer(nullptr, Rect(0, 0, 10, 10)));
  LayerPtr layer = g.EndLayer();
  EXPECT_EQ(g.CreateOffscreenBitmap(8, 8, 1.f, 1.f, false), nullptr);
  Rect bounds(0, 0, 40, 20);
  EXPECT_EQ(g.DoMeasureText(DefaultTextStyle, "text", bounds), 0.f);
  g.DoDrawText(DefaultTextStyle, "text", Rect(0, 0, 40, 20));
  g.DrawMultiLineText(DefaultTextStyle, "two\nrows", Rect(0, 0, 40, 20));
  const uint8_t png[] = {0x89, 'P', 'N', 'G'};
  APIBitmap* loaded = g.LoadBitmapDataFromMemory("none.png", png, sizeof png, 1.f);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->Width(), 0);
  g.DrawBitmap(BitmapRef(loaded, 1, false, "none.png"), Rect(0, 0, 4, 4), 0, 0);
  BytesFont font(ReadRobotoFile("Roboto-Regular.ttf"));
  EXPECT_FALSE(g.LoadFontIntoRenderer("Roboto-Regular", font));
  g.DrawFastDropShadow(Rect(0, 0, 10, 10), Rect(0, 0, 20, 20));
  g.EndFrame();
  g.DestroyRendererContext();
}

INSTANTIATE_TEST_SUITE_P(MissingEntryPoints, GfxCanvasPoorDriverTest,
                         ::testing::Values("glGenFramebuffers", "glCheckFramebufferStatus", "glUseProgram"));

}  // namespace
}  // namespace plugfw::gfx::test
