// Backdrop, brand, help strip and status on the laid-out editor.

#include "editor/backdrop.h"
#include "editor/brand.h"
#include "editor/context_help.h"
#include "editor/help_texts.h"
#include "editor/status.h"
#include "tests/editor/editor_fixture.h"
#include "tests/editor/snapshot_feed.h"

namespace halcyra::test {
namespace {

using plugfw::gfx::Colour;
using plugfw::gfx::PatternType;

class FrameControls : public EditorFixture {
 protected:
  template <typename Control>
  Control& Only() {
    auto found = ControlsOf<Control>();
    EXPECT_EQ(found.size(), 1u);
    return *found.at(0);
  }
};

TEST_F(FrameControls, BackdropShadesTheEditorAndTitlesIt) {
  Backdrop& backdrop = Only<Backdrop>();
  gfx_->log.Clear();
  backdrop.Draw(*gfx_);
  const auto fills = gfx_->log.Named("PathFill");
  ASSERT_FALSE(fills.empty());
  EXPECT_EQ(fills[0].pattern.type, PatternType::kLinear);
  EXPECT_NEAR(fills[0].pattern.transform.MapY(590, 0), 0.0, 1e-6);
  EXPECT_NEAR(fills[0].pattern.transform.MapY(590, 800), 1.0, 1e-6);
  // 200 scan lines, every third one brighter, then the two rules.
  const auto strokes = gfx_->log.Named("PathStroke");
  int32_t bright = 0;
  int32_t faint = 0;
  for (const auto& stroke : strokes) {
    bright += stroke.pattern.FirstColour() == Colour(3, 255, 255, 255);
    faint += stroke.pattern.FirstColour() == Colour(1, 255, 255, 255);
  }
  EXPECT_EQ(bright, 67);
  EXPECT_EQ(faint, 133);
  const auto texts = DrawnTexts(backdrop);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "HALCYRA");
  EXPECT_EQ(texts[1], "PHASE / PITCH / MOTION");
}

TEST_F(FrameControls, BackdropBuildsOnlyTheScanLinesInsideTheClip) {
  Backdrop& backdrop = Only<Backdrop>();
  gfx_->SetCurrentClip(Rect(0, 200, 1180, 240));
  gfx_->log.Clear();
  backdrop.Draw(*gfx_);
  int32_t scanLines = 0;
  for (const auto& stroke : gfx_->log.Named("PathStroke")) {
    scanLines += stroke.pattern.FirstColour().alpha <= 3;
  }
  // y = 196 .. 240 in steps of 4, with a line's reach past either edge.
  EXPECT_GE(scanLines, 11);
  EXPECT_LE(scanLines, 13);
}

TEST_F(FrameControls, BrandOpensTheMakersSiteAndWritesItsHelp) {
  Brand& brand = Only<Brand>();
  gfx_->log.Clear();
  Press(brand);
  ASSERT_EQ(gfx_->log.Count("OpenWebAddress"), 1);
  EXPECT_EQ(gfx_->log.Named("OpenWebAddress")[0].text, std::string("OpenWebAddress ") + kMakerWebAddress);
  plugfw::gfx::KeyEvent space;
  space.keyCode = 32;
  EXPECT_TRUE(brand.OnKeyDown(0, 0, space));
  EXPECT_EQ(gfx_->log.Count("OpenWebAddress"), 2);
  space.keyCode = 0x41;
  EXPECT_FALSE(brand.OnKeyDown(0, 0, space));
  brand.OnMouseOver(100, 20, ModifierKeys{});
  EXPECT_EQ(layout_.view->HelpTitle(), "KESTRALYN");
  EXPECT_STREQ(brand.GetTooltip(), "Open KESTRALYN plugins and support.");
  gfx_->log.Clear();
  brand.Draw(*gfx_);
  EXPECT_EQ(gfx_->log.Count("PathStroke"), 1);  // the hover underline
}

TEST_F(FrameControls, HelpStripRedrawsWhenTheTextChanges) {
  ContextHelp& help = Only<ContextHelp>();
  help.IsDirty();
  help.SetClean();
  EXPECT_FALSE(help.IsDirty());
  Press(*ButtonCaptioned("MODULATION"));
  EXPECT_TRUE(help.IsDirty());
  const auto texts = DrawnTexts(help);
  // The title; the wrapped text goes through the back end's multi-line drawing.
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts[0], "128 STABLE CONTROLS / DISCOVERABLE VIEWS");
  help.SetClean();
  layout_.view->SetHelp("OTHER TITLE", layout_.view->HelpText().c_str());
  EXPECT_FALSE(help.IsDirty());  // only the text counts
}

TEST_F(FrameControls, StatusPrintsTempoAndSignalLinesAndRedrawsWhenTheyChange) {
  Status& status = Only<Status>();
  const auto texts = DrawnTexts(status);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "0 PDC / INTENTIONAL WET DELAY / 120.0 BPM FALLBACK");
  EXPECT_EQ(texts[1], "REAL SIGNAL / NO AUTOMATIC NOISE OR LIMITER");
  status.SetClean();
  EXPECT_FALSE(status.IsDirty()) << "the same lines are not drawn again";
  plugin_->GetParam(kParamMonitor)->Set(7);
  plugin_->GetParam(kParamProcessBand)->Set(2);
  EXPECT_TRUE(status.IsDirty());
  EXPECT_EQ(DrawnTexts(status)[1], "ACTUAL SPLITS 180Hz / 3500Hz / EXTERNAL MONITOR / MISSING IS SILENT");
  status.SetClean();
  EXPECT_FALSE(status.IsDirty());
}

TEST_F(FrameControls, StatusKeepsItsLastRecordWhenEveryReadAttemptFails) {
  SnapshotFeed feed;
  Status status(plugin_.get(), feed.Reader());
  DisplaySnapshot display;
  display.tempoBpm = 97.f;
  display.hostTempo = 1;
  feed.Publish(display);
  status.IsDirty();
  const std::string hostTempo = "0 PDC / INTENTIONAL WET DELAY / 97.0 BPM HOST";
  EXPECT_EQ(DrawnTexts(status).at(0), hostTempo);
  status.SetClean();
  // The audio thread overtakes every read of the next frame: no idle tempo flashes up.
  feed.HoldWriting();
  EXPECT_FALSE(status.IsDirty());
  EXPECT_EQ(DrawnTexts(status).at(0), hostTempo);
  feed.ReleaseWriting();
}

}  // namespace
}  // namespace halcyra::test
