// The signal display against crafted records on the recording graphics context, and against the
// real engine running a tone through the plug-in.

#include "editor/signal_display.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "core/math_constants.h"
#include "editor/palette.h"
#include "effect/analyser.h"
#include "effect/halcyra.h"
#include "tests/editor/drawn_shapes.h"
#include "tests/editor/snapshot_feed.h"
#include "tests/graphics/support/recording_gfx.h"

namespace halcyra::test {
namespace {

using plugfw::gfx::Colour;
using plugfw::gfx::Rect;
using plugfw::gfx::TextAlign;
using plugfw::gfx::test::RecordingGfx;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr Colour kScopeTrace{130, 166, 150, 230};
constexpr float kCurveThickness = 1.2f;
const Rect kPlot{757, 143, 1065, 245};

// x where spectrum segment `bin` ends (and the next begins).
float BinX(int bin) { return 757.f + static_cast<float>(bin) * 308.f / 255.f; }

DisplaySnapshot LiveDisplay() {
  DisplaySnapshot display;
  display.signalPresent = 1;
  return display;
}

class SignalDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin_ = CreatePluginInstance({});
    ASSERT_NE(plugin_, nullptr);
    gfx_ = std::make_unique<RecordingGfx>(*plugin_, Halcyra::kEditorWidth, Halcyra::kEditorHeight);
    display_ = new SignalDisplay(plugin_.get(), feed_.Reader());
    ASSERT_NE(gfx_->AttachControl(display_), nullptr);
  }
  void TearDown() override {
    gfx_.reset();
    plugin_.reset();
  }

  // One frame: the frame's question, then the drawing.
  void Frame() {
    display_->IsDirty();
    gfx_->log.Clear();
    display_->Draw(*gfx_);
    shapes_ = DrawnShapes(gfx_->log);
    texts_ = DrawnTexts(gfx_->log);
  }
  void Show(const DisplaySnapshot& display, const MeterSnapshot& meters = MeterSnapshot()) {
    feed_.Publish(display, meters);
    Frame();
  }

  void ExpectText(const std::string& text, Colour colour) {
    const DrawnText* drawn = FindText(texts_, text);
    ASSERT_NE(drawn, nullptr) << text;
    EXPECT_EQ(drawn->style.textColour, colour) << text;
  }
  int32_t CountTexts(const std::string& text) const {
    return static_cast<int32_t>(
        std::count_if(texts_.begin(), texts_.end(), [&](const DrawnText& t) { return t.text == text; }));
  }
  // The meter fills (not the tracks) of k = 0, 1, 2 as boxes, with their colour.
  std::vector<std::pair<Rect, Colour>> MeterFills(float left) const {
    std::vector<std::pair<Rect, Colour>> fills;
    for (const DrawnShape& shape : shapes_) {
      if (!shape.filled || shape.colour == RuleColour) continue;
      const Rect box = ShapeBounds(shape);
      if (std::fabs(box.left - left) < 0.01f && box.bottom == 229.f) fills.push_back({box, shape.colour});
    }
    return fills;
  }

  std::unique_ptr<Halcyra> plugin_;
  std::unique_ptr<RecordingGfx> gfx_;
  SnapshotFeed feed_;
  SignalDisplay* display_ = nullptr;
  std::vector<DrawnShape> shapes_;
  std::vector<DrawnText> texts_;
};

TEST_F(SignalDisplayTest, BeforeAnySignalItWaitsAndDrawsNoTraces) {
  Frame();
  ExpectText("WAITING FOR REAL SIGNAL", MutedColour);
  EXPECT_EQ(FindText(texts_, "WAITING FOR REAL SIGNAL")->rect, kPlot);
  EXPECT_TRUE(StrokedLines(shapes_, BlueColour, kCurveThickness).empty());
  EXPECT_TRUE(StrokedLines(shapes_, TealColour, kCurveThickness).empty());
  EXPECT_TRUE(StrokedLines(shapes_, kScopeTrace, 1.f).empty());
  // Both correlations read "--", their dots muted in the middle of the tracks.
  EXPECT_EQ(CountTexts("--"), 2);
  ExpectText("--", MutedColour);
  const auto dots = Circles(shapes_, MutedColour, true);
  ASSERT_EQ(dots.size(), 2u);
  EXPECT_FLOAT_EQ(dots[0].cx, 1033.f);
  EXPECT_FLOAT_EQ(dots[0].cy, 280.f);
  EXPECT_FLOAT_EQ(dots[1].cx, 1033.f);
  EXPECT_FLOAT_EQ(dots[1].cy, 306.f);
  EXPECT_EQ(CountTexts("-inf"), 3);
  ExpectText("ENV -inf / DUCK 0.0dB", MutedColour);
  ExpectText("ACTUAL 0.00Hz / 0.00ms", TealColour);
}

TEST_F(SignalDisplayTest, LiveRecordDrawsBothSpectraTheScopeAndTheCorrelations) {
  DisplaySnapshot display = LiveDisplay();
  std::fill(std::begin(display.inputSpectrumDb), std::end(display.inputSpectrumDb), -96.f);
  display.inputSpectrumDb[100] = 0.f;
  display.outputSpectrumDb[200] = -48.f;
  std::fill(std::begin(display.scopeSide), std::end(display.scopeSide), 0.5f);
  std::fill(std::begin(display.scopeMid), std::end(display.scopeMid), -0.25f);
  display.scopeSide[10] = kNaN;
  display.scopeMid[10] = 3.f;
  display.inputCorrelation = 0.87f;
  display.outputCorrelation = -0.25f;
  display.envelopeDb = -12.5f;
  display.duckDb = -3.f;
  display.rateHz = 0.8f;
  display.depthMs = 4.5f;
  Show(display);

  EXPECT_EQ(FindText(texts_, "WAITING FOR REAL SIGNAL"), nullptr);
  const auto input = StrokedLines(shapes_, BlueColour, kCurveThickness);
  const auto output = StrokedLines(shapes_, TealColour, kCurveThickness);
  ASSERT_EQ(input.size(), 255u);
  ASSERT_EQ(output.size(), 255u);
  // A 0 dB bin reaches the top of the plot, -96 dB lies on the bottom, -48 dB halfway.
  EXPECT_NEAR(input[99].x2, BinX(100), 1e-3);
  EXPECT_FLOAT_EQ(input[99].y2, 143.f);
  EXPECT_FLOAT_EQ(input[100].y1, 143.f);
  EXPECT_FLOAT_EQ(input[0].y1, 245.f);
  EXPECT_FLOAT_EQ(output[199].y2, 194.f);
  EXPECT_FLOAT_EQ(output[0].y1, 245.f);  // the idle -120 dB is below the range
  EXPECT_FLOAT_EQ(input[254].x2, 1065.f);

  // Side across, mid up; a NaN point is drawn at the centre, an overshoot at the edge.
  const auto trace = StrokedLines(shapes_, kScopeTrace, 1.f);
  ASSERT_EQ(trace.size(), 255u);
  EXPECT_FLOAT_EQ(trace[0].x1, 793.5f + 26.25f);
  EXPECT_FLOAT_EQ(trace[0].y1, 309.5f + 10.375f);
  EXPECT_FLOAT_EQ(trace[9].x2, 793.5f);
  EXPECT_FLOAT_EQ(trace[9].y2, 268.f);

  ExpectText("+0.87", TealColour);
  ExpectText("-0.25", TealColour);
  const auto dots = Circles(shapes_, TealColour, true);
  ASSERT_EQ(dots.size(), 2u);
  EXPECT_NEAR(dots[0].cx, 957.f + 1.87f * 76.f, 1e-3);
  EXPECT_NEAR(dots[1].cx, 957.f + 0.75f * 76.f, 1e-3);
  ExpectText("ENV -12.5dBFS / DUCK 3.0dB", MutedColour);
  ExpectText("ACTUAL 0.80Hz / 4.50ms", TealColour);
}

TEST_F(SignalDisplayTest, AnalyzerOffLeavesThePlotWordedAndTheScopeBare) {
  DisplaySnapshot display = LiveDisplay();
  std::fill(std::begin(display.scopeSide), std::end(display.scopeSide), 0.5f);
  plugin_->GetParam(kParamAnalyzer)->Set(0);
  Show(display);
  ExpectText("ANALYZER OFF", MutedColour);
  EXPECT_TRUE(StrokedLines(shapes_, BlueColour, kCurveThickness).empty());
  EXPECT_TRUE(StrokedLines(shapes_, kScopeTrace, 1.f).empty());
  // The axes still stand.
  int32_t axes = 0;
  for (const DrawnLine& line : StrokedLines(shapes_, RuleColour, 1.f)) {
    axes += (line.y1 == 309.5f && line.x1 == 741.f && line.x2 == 846.f) ||
            (line.x1 == 793.5f && line.y1 == 268.f && line.y2 == 351.f);
  }
  EXPECT_EQ(axes, 2);
}

TEST_F(SignalDisplayTest, MicroPitchReadsItsHeadRateAndWindow) {
  DisplaySnapshot display = LiveDisplay();
  display.rateHz = 1.25f;
  display.depthMs = 19.5f;
  plugin_->GetParam(kParamModel)->Set(static_cast<double>(Structure::kMicroPitch));
  Show(display);
  ExpectText("HEAD 1.25Hz / WINDOW 39.00ms", TealColour);
}

struct FrequencyGridCase {
  double sampleRate;
  const char* topLabel;
};

class FrequencyGrid : public SignalDisplayTest, public ::testing::WithParamInterface<FrequencyGridCase> {};

TEST_P(FrequencyGrid, EndsAtTheHighestFrequencyTheRateCarries) {
  DisplaySnapshot display = LiveDisplay();
  display.sampleRate = GetParam().sampleRate;
  Show(display);
  std::vector<std::string> labels;
  for (const DrawnText& text : texts_) {
    if (text.rect.top == 246.f) labels.push_back(text.text);
  }
  EXPECT_EQ(labels, (std::vector<std::string>{"20", "200", "2.0k", GetParam().topLabel}));
  std::vector<float> lineX;
  for (const DrawnLine& line : StrokedLines(shapes_, RuleColour, 1.f)) {
    if (line.x1 == line.x2 && line.y1 == 143.f && line.y2 == 245.f) lineX.push_back(line.x1);
  }
  ASSERT_EQ(lineX.size(), 4u);
  EXPECT_FLOAT_EQ(lineX.front(), 757.f);  // 20 Hz on the left edge
  EXPECT_FLOAT_EQ(lineX.back(), 1065.f);  // the top on the right edge
  if (std::string(GetParam().topLabel) == "20.0k") {
    // Three decades: 200 Hz and 2 kHz a third and two thirds across.
    EXPECT_NEAR(lineX[1], 757.f + 308.f / 3.f, 1e-3);
    EXPECT_NEAR(lineX[2], 757.f + 2.f * 308.f / 3.f, 1e-3);
  }
}

INSTANTIATE_TEST_SUITE_P(SampleRates, FrequencyGrid,
                         ::testing::Values(FrequencyGridCase{22050, "10.8k"},
                                           FrequencyGridCase{32000, "15.7k"},
                                           FrequencyGridCase{44100, "20.0k"},
                                           FrequencyGridCase{48000, "20.0k"},
                                           FrequencyGridCase{8000, "10.8k"}));

struct MeterCase {
  float peak;
  const char* label;
  float fillTop;  // 0 when no fill
  bool amber;
};

class Meters : public SignalDisplayTest, public ::testing::WithParamInterface<MeterCase> {};

TEST_P(Meters, FillAndReadTheirPeaks) {
  const MeterCase& c = GetParam();
  MeterSnapshot meters;
  meters.inPeak = meters.wetPeak = meters.outPeak = c.peak;
  Show(LiveDisplay(), meters);
  int32_t readings = 0;
  for (const DrawnText& text : texts_) readings += text.rect.top == 231.f && text.text == c.label;
  EXPECT_EQ(readings, 3);
  const Colour quiet[] = {BlueColour, TealColour, TealColour};
  for (int32_t k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    const auto fills = MeterFills(1081.f + 18.f * k);
    if (c.fillTop == 0.f) {
      EXPECT_TRUE(fills.empty());
      continue;
    }
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_NEAR(fills[0].first.top, c.fillTop, 1e-3);
    EXPECT_EQ(fills[0].second, c.amber ? AmberColour : quiet[k]);
  }
}

INSTANTIATE_TEST_SUITE_P(Peaks, Meters,
                         ::testing::Values(MeterCase{1.0f, "0", 148.f, true},       // full scale: full, amber
                                           MeterCase{0.001f, "-60", 0.f, false},    // -60 dB: empty
                                           MeterCase{0.f, "-inf", 0.f, false},      // silence
                                           MeterCase{0.1f, "-20", 175.f, false},    // -20 dB: two thirds full
                                           MeterCase{kNaN, "-inf", 0.f, false},     // no reading
                                           MeterCase{-0.5f, "-inf", 0.f, false}));  // floored at 0

TEST_F(SignalDisplayTest, FieldsThatAreNotFiniteNeverReachACoordinate) {
  DisplaySnapshot display = LiveDisplay();
  std::fill(std::begin(display.inputSpectrumDb), std::end(display.inputSpectrumDb), kNaN);
  std::fill(std::begin(display.outputSpectrumDb), std::end(display.outputSpectrumDb),
            std::numeric_limits<float>::infinity());
  std::fill(std::begin(display.scopeMid), std::end(display.scopeMid), kNaN);
  std::fill(std::begin(display.scopeSide), std::end(display.scopeSide), -kNaN);
  display.inputCorrelation = display.outputCorrelation = kNaN;
  display.envelopeDb = kNaN;
  display.duckDb = kNaN;
  display.rateHz = display.depthMs = kNaN;
  display.sampleRate = std::numeric_limits<double>::quiet_NaN();
  MeterSnapshot meters;
  meters.inPeak = meters.wetPeak = meters.outPeak = kNaN;
  Show(display, meters);

  for (const auto& call : gfx_->log.Calls()) {
    if (call.name == "DoDrawText") continue;
    EXPECT_EQ(call.text.find("nan"), std::string::npos) << call.text;
    EXPECT_EQ(call.text.find("inf"), std::string::npos) << call.text;
  }
  for (const DrawnLine& bin : StrokedLines(shapes_, BlueColour, kCurveThickness)) EXPECT_EQ(bin.y2, 245.f);
  // The sample rate counts as 48 kHz, the envelope as silence.
  EXPECT_NE(FindText(texts_, "20.0k"), nullptr);
  ExpectText("ENV -inf / DUCK 0.0dB", MutedColour);
  ExpectText("ACTUAL 0.00Hz / 0.00ms", TealColour);
  EXPECT_EQ(CountTexts("+0.00"), 2);
}

TEST_F(SignalDisplayTest, KeepsTheLastRecordWhenEveryReadAttemptFails) {
  DisplaySnapshot display = LiveDisplay();
  display.inputCorrelation = 0.5f;
  MeterSnapshot meters;
  meters.outPeak = 0.25f;
  Show(display, meters);
  // The writer never finishes while this frame reads: no flicker to the idle record.
  feed_.HoldWriting();
  Frame();
  EXPECT_EQ(display_->Display().signalPresent, 1);
  EXPECT_FLOAT_EQ(display_->Display().inputCorrelation, 0.5f);
  EXPECT_FLOAT_EQ(display_->Meters().outPeak, 0.25f);
  EXPECT_EQ(FindText(texts_, "WAITING FOR REAL SIGNAL"), nullptr);
  feed_.ReleaseWriting();
  display.inputCorrelation = -0.5f;
  Show(display, meters);
  EXPECT_FLOAT_EQ(display_->Display().inputCorrelation, -0.5f);
}

TEST_F(SignalDisplayTest, RedrawsWhenWhatItShowsChangesAndIgnoresTheMouse) {
  const auto dirtyAfterCleaning = [this] {
    display_->SetClean();
    return display_->IsDirty();
  };
  EXPECT_TRUE(dirtyAfterCleaning()) << "the first frame";
  EXPECT_FALSE(dirtyAfterCleaning()) << "a stopped host's editor draws nothing";
  DisplaySnapshot display;
  display.inputSpectrumDb[40] = -30.f;
  feed_.Publish(display);
  EXPECT_TRUE(dirtyAfterCleaning()) << "a new record";
  EXPECT_FALSE(dirtyAfterCleaning());
  MeterSnapshot meters;
  meters.inPeak = 0.5f;
  feed_.Publish(display, meters);
  EXPECT_TRUE(dirtyAfterCleaning()) << "a meter moved";
  plugin_->GetParam(kParamAnalyzer)->Set(0);
  EXPECT_TRUE(dirtyAfterCleaning()) << "the Analyzer switch changes the plot";
  EXPECT_FALSE(dirtyAfterCleaning());
  EXPECT_TRUE(display_->GetIgnoreMouse());
  EXPECT_EQ(display_->GetRect(), Rect(724, 106, 1144, 374));
}

TEST_F(SignalDisplayTest, TheEngineMeasuresSpectraWhileTheDisplayIsAttached) {
  EXPECT_TRUE(plugin_->Engine().DisplayReaderPresent());
  gfx_->RemoveControl(display_);
  display_ = nullptr;
  EXPECT_FALSE(plugin_->Engine().DisplayReaderPresent());
}

// The real road: a tone through the plug-in's block entry, the engine's publication, the
// display's copy.
class SignalDisplayOnTheEngine : public ::testing::Test {
 protected:
  static constexpr double kSampleRate = 48000.0;
  static constexpr double kToneHz = 1000.0;
  static constexpr int32_t kFrames = 512;

  void SetUp() override {
    plugin_ = CreatePluginInstance({});
    ASSERT_NE(plugin_, nullptr);
    plugin_->SetSampleRate(kSampleRate);
    plugin_->ResetProcessing();
    plugin_->SetActive(true);
    gfx_ = std::make_unique<RecordingGfx>(*plugin_, Halcyra::kEditorWidth, Halcyra::kEditorHeight);
  }
  void TearDown() override {
    gfx_.reset();
    plugin_.reset();
  }

  void PlayTone(int32_t blocks) {
    std::vector<float> in[4], out[2];
    for (auto& channel : in) channel.assign(kFrames, 0.f);
    for (auto& channel : out) channel.assign(kFrames, 0.f);
    float* inputs[4] = {in[0].data(), in[1].data(), in[2].data(), in[3].data()};
    float* outputs[2] = {out[0].data(), out[1].data()};
    for (int32_t block = 0; block < blocks; ++block) {
      for (int32_t n = 0; n < kFrames; ++n) {
        const double t = static_cast<double>(sample_++) / kSampleRate;
        in[0][n] = in[1][n] = static_cast<float>(0.5 * std::sin(plugfw::kTwoPi * kToneHz * t));
      }
      plugin_->ProcessAudio(inputs, outputs, kFrames);
    }
  }

  std::unique_ptr<Halcyra> plugin_;
  std::unique_ptr<RecordingGfx> gfx_;
  int64_t sample_ = 0;
};

int32_t BinNearest(double frequency, double sampleRate) {
  int32_t nearest = 0;
  for (int32_t bin = 1; bin < kSnapshotSpectrumBins; ++bin) {
    if (std::fabs(std::log(SpectrumBinFrequency(bin, sampleRate) / frequency)) <
        std::fabs(std::log(SpectrumBinFrequency(nearest, sampleRate) / frequency)))
      nearest = bin;
  }
  return nearest;
}

TEST_F(SignalDisplayOnTheEngine, AToneLeavesTheIdleStateAtItsFrequency) {
  auto* display = new SignalDisplay(plugin_.get());
  ASSERT_NE(gfx_->AttachControl(display), nullptr);
  PlayTone(24);
  display->IsDirty();
  const DisplaySnapshot& seen = display->Display();
  ASSERT_EQ(seen.signalPresent, 1);
  const int32_t toneBin = BinNearest(kToneHz, kSampleRate);
  std::vector<float> others;
  for (int32_t bin = 0; bin < kSnapshotSpectrumBins; ++bin) {
    if (std::abs(bin - toneBin) > 8) others.push_back(seen.inputSpectrumDb[bin]);
  }
  std::nth_element(others.begin(), others.begin() + others.size() / 2, others.end());
  EXPECT_GT(seen.inputSpectrumDb[toneBin], others[others.size() / 2] + 30.f);
  // A 0.5 sine peaks at -6 dBFS on the input meter.
  EXPECT_NEAR(display->Meters().inPeak, 0.5f, 0.01f);
  EXPECT_GT(display->Meters().outPeak, 0.05f);
  EXPECT_NE(std::count(std::begin(seen.voiceActive), std::end(seen.voiceActive), 1), 0);
}

TEST_F(SignalDisplayOnTheEngine, WithoutTheDisplayTheSpectraAreNotMeasured) {
  PlayTone(24);
  DisplaySnapshot seen;
  MeterSnapshot meters;
  ASSERT_TRUE(plugin_->Engine().TryReadSnapshots(seen, meters));
  EXPECT_NEAR(meters.inPeak, 0.5f, 0.01f);
  EXPECT_EQ(*std::max_element(std::begin(seen.inputSpectrumDb), std::end(seen.inputSpectrumDb)),
            DisplaySnapshot::kIdleDb);
}

}  // namespace
}  // namespace halcyra::test
