// Canvas text over the recording back end: scales, what draws nothing, the font atlas's
// growth and the rows of multi-line text, on the embedded Roboto font.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "graphics/renderer/canvas.h"
#include "graphics/renderer/glyph_cache.h"
#include "tests/graphics/platform/font_fixtures.h"
#include "tests/graphics/renderer/recording_backend.h"

namespace plugfw::gfx::test {
namespace {

class CanvasTextTest : public RecordingCanvasTest {
 protected:
  void SetUp() override {
    RecordingCanvasTest::SetUp();
    roboto_ = ReadRobotoFile("Roboto-Regular.ttf");
    ASSERT_FALSE(roboto_.empty()) << "the Roboto font package is missing";
    font_ = GlyphCacheAddFont(canvas_->glyphs, "Roboto-Regular", roboto_.data(),
                              static_cast<int32_t>(roboto_.size()), 0, false);
    ASSERT_EQ(font_, 0);
    CanvasFontFaceId(canvas_, font_);
  }

  std::vector<const RecordedCall*> TextCalls() const {
    std::vector<const RecordedCall*> calls;
    for (const RecordedCall& call : backend_.calls) {
      if (call.kind == RecordedCall::kTriangles) calls.push_back(&call);
    }
    return calls;
  }

  size_t TextVertexCount() const {
    size_t count = 0;
    for (const RecordedCall* call : TextCalls()) count += call->vertices.size();
    return count;
  }

  // The advance the glyph cache measures for the text at a size, in pixels.
  float MeasuredAdvance(const char* text, float size) {
    GlyphCacheSetFont(canvas_->glyphs, font_);
    GlyphCacheSetSize(canvas_->glyphs, size);
    GlyphCacheSetSpacing(canvas_->glyphs, 0.0f);
    GlyphCacheSetBlur(canvas_->glyphs, 0.0f);
    GlyphCacheSetAlign(canvas_->glyphs, kGlyphAlignLeft | kGlyphAlignBaseline);
    return GlyphCacheTextBounds(canvas_->glyphs, 0, 0, text, nullptr, nullptr);
  }

  Bytes roboto_;
  int32_t font_ = -1;
};

struct FontScaleCase {
  float scale;
  float expected;
};

class CanvasFontScales : public RecordingCanvasTest, public ::testing::WithParamInterface<FontScaleCase> {};

TEST_P(CanvasFontScales, MeanScaleRoundedToHundredthsAndCappedAtFour) {
  CanvasScale(canvas_, GetParam().scale, GetParam().scale);
  EXPECT_FLOAT_EQ(CanvasFontScale(canvas_), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Scales, CanvasFontScales,
                         ::testing::Values(FontScaleCase{1.0f, 1.0f}, FontScaleCase{1.004f, 1.0f},
                                           FontScaleCase{1.006f, 1.01f}, FontScaleCase{5.0f, 4.0f},
                                           FontScaleCase{0.0f, 0.0f}, FontScaleCase{NAN, 0.0f}));

TEST_F(CanvasTextTest, TextIsDrawnFromTheFontTextureAndReturnsThePenAfterIt) {
  CanvasFillColour(canvas_, CanvasColour{1, 0, 0, 1});
  CanvasGlobalAlpha(canvas_, 0.5f);
  CanvasFontSize(canvas_, 20.0f);
  const float end = CanvasText(canvas_, 10.0f, 50.0f, "Halcyra", nullptr);
  EXPECT_FLOAT_EQ(end, 10.0f + MeasuredAdvance("Halcyra", 20.0f));
  ASSERT_EQ(TextCalls().size(), 1u);
  const RecordedCall& call = *TextCalls()[0];
  EXPECT_EQ(call.vertices.size(), 7u * 6u);
  EXPECT_EQ(call.paint.image, canvas_->fontImages[0]);
  EXPECT_FLOAT_EQ(call.paint.innerColour.a, 0.5f);
  EXPECT_GE(backend_.updates, 1);  // the new glyphs reached the texture
}

TEST_F(CanvasTextTest, TextScaledByTheTransformIsLaidOutAtItsPixelSize) {
  // Twice the scale: the same text, glyphs of 40 px, in the same canvas units.
  CanvasFontSize(canvas_, 20.0f);
  const float plain = CanvasText(canvas_, 0.0f, 50.0f, "Kestralyn", nullptr);
  CanvasScale(canvas_, 2.0f, 2.0f);
  const float scaled = CanvasText(canvas_, 0.0f, 50.0f, "Kestralyn", nullptr);
  EXPECT_FLOAT_EQ(scaled, MeasuredAdvance("Kestralyn", 40.0f) / 2.0f);
  EXPECT_NEAR(scaled, plain, 1.0f);
  // The vertices land in device units: the last triangle's corner near 2 x the advance.
  const std::vector<CanvasVertex>& vertices = TextCalls().back()->vertices;
  float maxX = 0.0f;
  for (const CanvasVertex& v : vertices) maxX = std::fmax(maxX, v.x);
  EXPECT_NEAR(maxX, 2.0f * scaled, 4.0f);
}

struct NothingCase {
  const char* name;
  float fontSize;
  float scale;
  int32_t font;
};

class TextThatDrawsNothing : public CanvasTextTest, public ::testing::WithParamInterface<NothingCase> {};

// No glyph is not a full atlas: these draw nothing, measure nothing and never grow it.
TEST_P(TextThatDrawsNothing, LeavesTheAtlasAlone) {
  const NothingCase& c = GetParam();
  for (int frame = 0; frame < 5; ++frame) {
    CanvasBeginFrame(canvas_, 100.0f, 100.0f, 1.0f);
    CanvasFontFaceId(canvas_, c.font);
    CanvasFontSize(canvas_, c.fontSize);
    CanvasScale(canvas_, c.scale, c.scale);
    EXPECT_FLOAT_EQ(CanvasText(canvas_, 7.0f, 50.0f, "Nothing to see", nullptr), 7.0f);
    CanvasTextRow rows[3];
    EXPECT_EQ(CanvasTextBreakLines(canvas_, "Nothing to see", nullptr, 50.0f, rows, 3), 0);
    CanvasEndFrame(canvas_);
  }
  EXPECT_EQ(TextVertexCount(), 0u);
  EXPECT_EQ(canvas_->fontImageIndex, 0);
  EXPECT_EQ(backend_.textures.size(), 1u);
  int width = 0, height = 0;
  CanvasImageSize(canvas_, canvas_->fontImages[0], &width, &height);
  EXPECT_EQ(width, 512);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextThatDrawsNothing,
    ::testing::Values(NothingCase{"NoFont", 16.0f, 1.0f, -1}, NothingCase{"UnknownFont", 16.0f, 1.0f, 7},
                      NothingCase{"Tiny", 0.01f, 1.0f, 0}, NothingCase{"Negative", -16.0f, 1.0f, 0},
                      NothingCase{"NotANumber", NAN, 1.0f, 0}, NothingCase{"Infinite", INFINITY, 1.0f, 0},
                      NothingCase{"CollapsedTransform", 16.0f, 0.0f, 0},
                      NothingCase{"BrokenTransform", 16.0f, NAN, 0}),
    [](const ::testing::TestParamInfo<NothingCase>& info) { return std::string(info.param.name); });

std::string PrintableAscii() {
  std::string text;
  for (char c = 33; c < 127; ++c) text += c;
  return text;
}

TEST_F(CanvasTextTest, FullAtlasGrowsAndTheFrameEndKeepsOnlyTheLargestTexture) {
  // Large glyphs fill 512 x 512 soon; each growth doubles one side, the width first.
  const std::string ascii = PrintableAscii();
  for (float size : {100.0f, 150.0f}) {
    CanvasFontSize(canvas_, size);
    CanvasText(canvas_, 0.0f, 50.0f, ascii.c_str(), nullptr);
  }
  ASSERT_GE(canvas_->fontImageIndex, 2);
  const std::pair<int, int> doubling[] = {{512, 512}, {1024, 512}, {1024, 1024}, {2048, 1024}};
  for (int i = 0; i <= canvas_->fontImageIndex; ++i) {
    int w = 0, h = 0;
    CanvasImageSize(canvas_, canvas_->fontImages[i], &w, &h);
    EXPECT_EQ(std::make_pair(w, h), doubling[i]) << "texture " << i;
  }
  // Every glyph of both runs was drawn, across the textures.
  EXPECT_EQ(TextVertexCount(), 2u * ascii.size() * 6u);
  const int32_t largest = canvas_->fontImages[canvas_->fontImageIndex];
  const int largestWidth = doubling[canvas_->fontImageIndex].first;
  CanvasEndFrame(canvas_);
  EXPECT_EQ(canvas_->fontImageIndex, 0);
  EXPECT_EQ(canvas_->fontImages[0], largest);
  EXPECT_EQ(canvas_->fontImages[1], 0);
  EXPECT_EQ(backend_.textures.size(), 1u);
  EXPECT_EQ(canvas_->glyphs->params.width, largestWidth);
}

TEST_F(CanvasTextTest, AtlasNeverGrowsPast2048AndNotFrameAfterFrame) {
  const std::string ascii = PrintableAscii();
  std::vector<int> uploads;
  for (int frame = 0; frame < 4; ++frame) {
    const int before = backend_.updates;
    CanvasBeginFrame(canvas_, 100.0f, 100.0f, 1.0f);
    for (float size : {200.0f, 300.0f, 400.0f}) {  // more than 2048 x 2048 holds
      CanvasFontSize(canvas_, size);
      CanvasText(canvas_, 0.0f, 50.0f, ascii.c_str(), nullptr);
    }
    CanvasEndFrame(canvas_);
    uploads.push_back(backend_.updates - before);
    int w = 0, h = 0;
    CanvasImageSize(canvas_, canvas_->fontImages[0], &w, &h);
    EXPECT_LE(w, 2048);
    EXPECT_LE(h, 2048);
    EXPECT_EQ(backend_.textures.size(), 1u) << "frame " << frame;
  }
  EXPECT_EQ(canvas_->glyphs->params.width, 2048);
  EXPECT_EQ(canvas_->glyphs->params.height, 2048);
  // The text that does not fit is cut; the glyphs that do stay, and nothing is made again.
  EXPECT_EQ(uploads[3], 0);
}

struct RowText {
  std::string text;
  std::vector<std::string> rows;
};

std::vector<std::string> RowsOf(CanvasContext* canvas, const std::string& text, float width,
                                int maxRows = 16) {
  std::vector<CanvasTextRow> rows(static_cast<size_t>(maxRows));
  const int count = CanvasTextBreakLines(canvas, text.c_str(), nullptr, width, rows.data(), maxRows);
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) out.emplace_back(rows[i].start, rows[i].end);
  return out;
}

TEST_F(CanvasTextTest, RowsBreakBeforeTheWordThatDoesNotFit) {
  CanvasFontSize(canvas_, 16.0f);
  const float both = MeasuredAdvance("Stereo chorus", 16.0f);
  EXPECT_EQ(RowsOf(canvas_, "Stereo chorus", both + 1.0f), (std::vector<std::string>{"Stereo chorus"}));
  EXPECT_EQ(RowsOf(canvas_, "Stereo chorus", both - 1.0f), (std::vector<std::string>{"Stereo", "chorus"}));
  // Spaces end no row and start none.
  EXPECT_EQ(RowsOf(canvas_, "   Stereo    chorus  ", both - 1.0f),
            (std::vector<std::string>{"Stereo", "chorus"}));
}

TEST_F(CanvasTextTest, RowsAndTheirWidthsAndTheNextRow) {
  CanvasFontSize(canvas_, 16.0f);
  const char* text = "Depth  and rate";
  const float width = MeasuredAdvance("Depth  and", 16.0f) + 1.0f;
  CanvasTextRow rows[4];
  ASSERT_EQ(CanvasTextBreakLines(canvas_, text, nullptr, width, rows, 4), 2);
  EXPECT_EQ(std::string(rows[0].start, rows[0].end), "Depth  and");
  EXPECT_STREQ(rows[0].next, "rate");
  EXPECT_NEAR(rows[0].width, MeasuredAdvance("Depth  and", 16.0f), 0.01f);
  EXPECT_LE(rows[0].width, width);
  EXPECT_GT(rows[0].maxX, rows[0].width - 2.0f);
  EXPECT_NEAR(rows[1].width, MeasuredAdvance("rate", 16.0f), 0.01f);
  EXPECT_EQ(rows[1].next, text + std::strlen(text));
}

TEST_F(CanvasTextTest, NewlinesEndRowsAndMayLeaveThemEmpty) {
  CanvasFontSize(canvas_, 16.0f);
  EXPECT_EQ(RowsOf(canvas_, "Rate\n\nDepth", 500.0f), (std::vector<std::string>{"Rate", "", "Depth"}));
  EXPECT_EQ(RowsOf(canvas_, "Rate\r\nDepth", 500.0f), (std::vector<std::string>{"Rate", "Depth"}));
  EXPECT_EQ(RowsOf(canvas_, "Rate\n\rDepth", 500.0f), (std::vector<std::string>{"Rate", "Depth"}));
  EXPECT_EQ(RowsOf(canvas_, "Rate\r\rDepth", 500.0f), (std::vector<std::string>{"Rate", "", "Depth"}));
}

TEST_F(CanvasTextTest, WordWiderThanARowBreaksInsideAndEveryRowFits) {
  CanvasFontSize(canvas_, 16.0f);
  const float width = MeasuredAdvance("Diff", 16.0f) + 0.5f;
  std::vector<CanvasTextRow> rows(16);
  const char* text = "Diffusedchorus";
  const int count = CanvasTextBreakLines(canvas_, text, nullptr, width, rows.data(), 16);
  ASSERT_GE(count, 3);
  std::string joined;
  for (int i = 0; i < count; ++i) {
    EXPECT_LE(rows[i].width, width) << i;
    EXPECT_GT(rows[i].end - rows[i].start, 0) << i;
    joined += std::string(rows[i].start, rows[i].end);
  }
  EXPECT_EQ(joined, text);
  EXPECT_EQ(std::string(rows[0].start, rows[0].end), "Diff");
}

TEST_F(CanvasTextTest, CjkTextMayBreakBeforeAnyCharacter) {
  CanvasFontSize(canvas_, 16.0f);
  // Roboto has no CJK outlines; the missing-glyph box still has an advance to break on.
  const std::string text = "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe6\x96\x87";  // four CJK characters
  const float one = MeasuredAdvance("\xe6\x97\xa5", 16.0f);
  ASSERT_GT(one, 0.0f);
  const std::vector<std::string> rows = RowsOf(canvas_, text, one * 2.0f + 0.5f);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], text.substr(0, 6));
  EXPECT_EQ(rows[1], text.substr(6));
}

TEST_F(CanvasTextTest, AtMostMaxRowsComeBackAndTheNextOneResumes) {
  CanvasFontSize(canvas_, 16.0f);
  const char* text = "one two three four five six";
  const float width = MeasuredAdvance("three", 16.0f) + 1.0f;
  const std::vector<std::string> atOnce = RowsOf(canvas_, text, width);
  ASSERT_GE(atOnce.size(), 4u);
  CanvasTextRow rows[2];
  std::vector<std::string> resumed;
  const char* at = text;
  for (int calls = 0; calls < 10 && *at != '\0'; ++calls) {
    const int count = CanvasTextBreakLines(canvas_, at, nullptr, width, rows, 2);
    ASSERT_GT(count, 0);
    ASSERT_LE(count, 2);
    for (int i = 0; i < count; ++i) resumed.emplace_back(rows[i].start, rows[i].end);
    at = rows[count - 1].next;
  }
  EXPECT_EQ(resumed, atOnce);
  EXPECT_EQ(CanvasTextBreakLines(canvas_, "", nullptr, width, rows, 2), 0);
  EXPECT_EQ(CanvasTextBreakLines(canvas_, text, nullptr, width, rows, 0), 0);
}

}  // namespace
}  // namespace plugfw::gfx::test
