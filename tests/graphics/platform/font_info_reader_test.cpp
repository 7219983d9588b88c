#include "graphics/platform/font_info_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "graphics/platform/font_data.h"
#include "tests/graphics/case_names.h"
#include "tests/graphics/platform/font_fixtures.h"

namespace plugfw::gfx {
namespace {

using test::Bytes;

FontInfoReader ReaderOf(const Bytes& bytes, int32_t face = 0) {
  return FontInfoReader(bytes.data(), static_cast<int32_t>(bytes.size()), face);
}

struct RobotoCase {
  const char* file;
  const char* style;
  uint16_t styleBits;
};

class RobotoFaces : public ::testing::TestWithParam<RobotoCase> {};

// Values as the font files state them (units per em 2048, hhea 1900 / -500 / 0).
TEST_P(RobotoFaces, NamesStyleAndMetricsComeFromTheFile) {
  Bytes bytes = test::ReadRobotoFile(GetParam().file);
  ASSERT_FALSE(bytes.empty()) << "the Roboto font package is missing";
  FontInfoReader reader = ReaderOf(bytes);
  ASSERT_TRUE(reader.IsFont());
  ASSERT_TRUE(reader.HasNamesAndMetrics());
  EXPECT_STREQ(reader.FamilyName().Get(), "Roboto");
  EXPECT_STREQ(reader.StyleName().Get(), GetParam().style);
  EXPECT_EQ(reader.StyleBits(), GetParam().styleBits);
  EXPECT_EQ(reader.UnitsPerEm(), 2048);
  EXPECT_EQ(reader.Ascender(), 1900);
  EXPECT_EQ(reader.Descender(), -500);
  EXPECT_EQ(reader.LineGap(), 0);
  EXPECT_NE(reader.FindTable("glyf"), 0u);
  EXPECT_EQ(reader.FindTable("fdsc"), 0u);  // an Apple table Roboto does not have
  EXPECT_EQ(reader.FindTable("nope"), 0u);
}

INSTANTIATE_TEST_SUITE_P(Files, RobotoFaces,
                         ::testing::Values(RobotoCase{"Roboto-Regular.ttf", "Regular", 0},
                                           RobotoCase{"Roboto-Bold.ttf", "Bold", kFontStyleBold},
                                           RobotoCase{"Roboto-Italic.ttf", "Italic", kFontStyleItalic}));

TEST(FontInfoReader, CollectionFacesAreReadAtTheirOwnOffsets) {
  Bytes ttc =
      test::BuildCollection({test::NamedFace("Alpha", "Regular"), test::NamedFace("Beta", "Bold", 1)});
  FontInfoReader second = ReaderOf(ttc, 1);
  ASSERT_TRUE(second.HasNamesAndMetrics());
  EXPECT_STREQ(second.FamilyName().Get(), "Beta");
  EXPECT_STREQ(second.StyleName().Get(), "Bold");
  EXPECT_EQ(second.StyleBits(), kFontStyleBold);
  EXPECT_GT(second.FaceOffset(), 0u);
  EXPECT_STREQ(ReaderOf(ttc, 0).FamilyName().Get(), "Alpha");
}

// Every case is data a host machine could hand over; none may be read past its end.
struct RefusedCase {
  const char* what;
  Bytes (*make)();
  int32_t face;
};

Bytes Truncated(Bytes bytes, size_t size) {
  bytes.resize(size);
  return bytes;
}
Bytes ValidCollection() {
  return test::BuildCollection({test::NamedFace("A", "Regular"), test::NamedFace("B", "Bold")});
}

class RefusedFonts : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedFonts, GiveNoDataAndNoNames) {
  Bytes bytes = GetParam().make();
  FontInfoReader reader = ReaderOf(bytes, GetParam().face);
  EXPECT_FALSE(reader.IsFont());
  EXPECT_FALSE(reader.HasNamesAndMetrics());
  EXPECT_TRUE(reader.FamilyName().Empty());
  EXPECT_EQ(reader.FindTable("head"), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, RefusedFonts,
    ::testing::Values(
        RefusedCase{"empty", [] { return Bytes(); }, 0},
        RefusedCase{"shorter than a header", [] { return Bytes{0, 1, 0, 0, 0, 3}; }, 0},
        RefusedCase{"unknown tag", [] { return Bytes(64, 'x'); }, 0},
        RefusedCase{"face 1 of a single font", [] { return test::BuildFont(test::NamedFace("A", "B")); }, 1},
        RefusedCase{"negative face", [] { return test::BuildFont(test::NamedFace("A", "B")); }, -1},
        RefusedCase{"collection version 3",
                    [] {
                      Bytes b = ValidCollection();
                      test::PutU32(b, 4, 0x00030000);
                      return b;
                    },
                    0},
        RefusedCase{"face at the font count", ValidCollection, 2},
        RefusedCase{"collection count past its offsets",
                    [] {
                      Bytes b = Truncated(ValidCollection(), 16);
                      test::PutU32(b, 8, 1000);
                      return b;
                    },
                    3},
        RefusedCase{"face directory past the end",
                    [] {
                      Bytes b = ValidCollection();
                      test::PutU32(b, 12, 0xFFFFFFF0u);
                      return b;
                    },
                    0}),
    test::CaseName{});

TEST(FontInfoReader, ATableRunningPastTheEndIsAbsent) {
  Bytes bytes = test::BuildFont(test::NamedFace("Roboto", "Regular"));
  size_t name = test::TableRecordAt(bytes, 0, "name");
  test::PutU32(bytes, name + 12, static_cast<uint32_t>(bytes.size()));  // length beyond the end
  FontInfoReader reader = ReaderOf(bytes);
  EXPECT_TRUE(reader.IsFont());
  EXPECT_EQ(reader.FindTable("name"), 0u);
  EXPECT_NE(reader.FindTable("head"), 0u);
  EXPECT_FALSE(reader.HasNamesAndMetrics());
  EXPECT_TRUE(reader.FamilyName().Empty());

  // A directory claiming more records than the file holds ends the search, no more.
  Bytes roboto = test::ReadRobotoFile("Roboto-Regular.ttf");
  Bytes cut = Truncated(roboto, 100);
  FontInfoReader truncated = ReaderOf(cut);
  EXPECT_TRUE(truncated.IsFont());
  EXPECT_EQ(truncated.FindTable("name"), 0u);
  EXPECT_FALSE(truncated.HasNamesAndMetrics());
}

TEST(FontInfoReader, NameRecordsOutsideTheTableAreSkipped) {
  test::SyntheticFace face = test::NamedFace("Family", "Regular");
  face.names.insert(face.names.begin(), test::WindowsName(1, "Broken"));
  Bytes bytes = test::BuildFont(face);
  // The first family record's text offset now points far outside the name table.
  size_t name = test::TableRecordAt(bytes, 0, "name");
  size_t table =
      (bytes[name + 8] << 24) | (bytes[name + 9] << 16) | (bytes[name + 10] << 8) | bytes[name + 11];
  test::PutU16(bytes, table + 6 + 10, 0xFFF0);
  EXPECT_STREQ(ReaderOf(bytes).FamilyName().Get(), "Family");
}

TEST(FontInfoReader, MacintoshRecordsServeWhenNoWindowsRecordExists) {
  test::SyntheticFace face;
  face.names = {test::MacName(1, "Old Face"), test::MacName(2, "Italic")};
  Bytes bytes = test::BuildFont(face);
  FontInfoReader reader = ReaderOf(bytes);
  EXPECT_STREQ(reader.FamilyName().Get(), "Old Face");
  EXPECT_STREQ(reader.StyleName().Get(), "Italic");
  EXPECT_TRUE(reader.ReadNames(1, true).Empty());
}

TEST(FontInfoReader, Utf16NamesBecomeWellFormedUtf8) {
  test::SyntheticFace face;
  // "Ä", U+1D11E (a surrogate pair), then a lone high surrogate followed by "x".
  face.names = {{3, 1, 1033, 1, {0x00, 0xC4, 0xD8, 0x34, 0xDD, 0x1E, 0xD8, 0x00, 0x00, 'x'}},
                test::WindowsName(2, "Regular")};
  Bytes bytes = test::BuildFont(face);
  FontInfoReader reader = ReaderOf(bytes);
  EXPECT_STREQ(reader.FamilyName().Get(), "\xC3\x84\xF0\x9D\x84\x9E\xEF\xBF\xBDx");
}

TEST(FindFaceWithStyle, ChoosesTheFaceWhoseStyleMatches) {
  Bytes ttc = test::BuildCollection({test::NamedFace("Sans", "Regular"), test::NamedFace("Sans", "Bold", 1)});
  const int32_t size = static_cast<int32_t>(ttc.size());
  EXPECT_EQ(FindFaceWithStyle(ttc.data(), size, "Bold"), 1);
  EXPECT_EQ(FindFaceWithStyle(ttc.data(), size, ""), 0);
  EXPECT_EQ(FindFaceWithStyle(ttc.data(), size, "Italic"), -1);
  Bytes single = test::BuildFont(test::NamedFace("Sans", "Regular"));
  EXPECT_EQ(FindFaceWithStyle(single.data(), static_cast<int32_t>(single.size()), "Bold"), -1);
  // A face without a family name is passed over.
  Bytes unnamed = test::BuildCollection({test::NamedFace("", "Regular"), test::NamedFace("Sans", "Regular")});
  EXPECT_EQ(FindFaceWithStyle(unnamed.data(), static_cast<int32_t>(unnamed.size()), "Regular"), 1);
}

TEST(FontData, HoldsItsOwnCopyAndTheChosenFace) {
  Bytes ttc = test::BuildCollection({test::NamedFace("Sans", "Regular"), test::NamedFace("Sans", "Bold", 1)});
  FontData data;
  ASSERT_TRUE(data.Assign(ttc.data(), static_cast<int32_t>(ttc.size()), 1));
  ttc.assign(ttc.size(), 0);  // the caller's bytes go away
  EXPECT_TRUE(data.IsUsable());
  EXPECT_EQ(data.FaceIndex(), 1);
  EXPECT_STREQ(data.Reader().StyleName().Get(), "Bold");
  data.SelectFace(-1);
  EXPECT_FALSE(data.IsUsable());
  EXPECT_FALSE(FontData().IsUsable());
  EXPECT_FALSE(data.Assign(nullptr, 10, 0));
  EXPECT_EQ(data.Size(), 0);
}

}  // namespace
}  // namespace plugfw::gfx
