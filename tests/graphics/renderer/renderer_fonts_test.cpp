#include "graphics/renderer/renderer_fonts.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/graphics/platform/font_fixtures.h"

namespace plugfw::gfx {
namespace {

using test::Bytes;

// A platform font that hands over the bytes it was given and counts how often it is asked.
class FakePlatformFont : public PlatformFont {
 public:
  FakePlatformFont(Bytes bytes, int32_t face) : PlatformFont(false), bytes_(std::move(bytes)), face_(face) {}
  std::unique_ptr<FontData> GetFontData() const override {
    ++asked;
    auto data = std::make_unique<FontData>();
    data->Assign(bytes_.data(), static_cast<int32_t>(bytes_.size()), face_);
    return data;
  }
  mutable int asked = 0;

 private:
  Bytes bytes_;
  int32_t face_;
};

class RendererFontsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    roboto = test::ReadRobotoFile("Roboto-Regular.ttf");
    ASSERT_FALSE(roboto.empty());
    first = GlyphCacheCreate({512, 512, kGlyphCacheOriginTopLeft});
    second = GlyphCacheCreate({512, 512, kGlyphCacheOriginTopLeft});
  }
  void TearDown() override {
    GlyphCacheDelete(first);
    GlyphCacheDelete(second);
    fonts.Clear();
  }
  Bytes roboto;
  GlyphCache* first = nullptr;
  GlyphCache* second = nullptr;
  RendererFontCache fonts;
};

TEST_F(RendererFontsTest, AFontIsReadOnceAndSharedByEveryGlyphCache) {
  FakePlatformFont font(roboto, 0);
  ASSERT_TRUE(LoadFontIntoGlyphCache(first, "Roboto-Regular", &font, fonts));
  ASSERT_TRUE(LoadFontIntoGlyphCache(second, "Roboto-Regular", &font, fonts));
  EXPECT_EQ(font.asked, 1);
  EXPECT_EQ(fonts.Count(), 1);
  EXPECT_EQ(GlyphCacheFindFont(first, "Roboto-Regular"), 0);
  EXPECT_EQ(GlyphCacheFindFont(second, "Roboto-Regular"), 0);
  // Both read the one cached copy of the bytes.
  const FontData* kept = fonts.Find("Roboto-Regular", 1.0);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept->Size(), static_cast<int32_t>(roboto.size()));
  // Loading it again adds no second copy to a glyph cache.
  EXPECT_TRUE(LoadFontIntoGlyphCache(first, "Roboto-Regular", &font, fonts));
  EXPECT_EQ(first->fontCount, 1);
  // The same bytes under the layout's own identifier are a font of their own.
  EXPECT_TRUE(LoadFontIntoGlyphCache(first, "KESTRALYN", &font, fonts));
  EXPECT_EQ(GlyphCacheFindFont(first, "KESTRALYN"), 1);
}

// The synthetic face has names and metrics (so the reader takes it) but no outlines or
// character map (so the glyph cache does not): that is a failed load, cached nowhere.
TEST_F(RendererFontsTest, AFontTheGlyphCacheRefusesIsAFailureAndIsNotCached) {
  FakePlatformFont namesOnly(test::BuildFont(test::NamedFace("Sans", "Regular")), 0);
  EXPECT_FALSE(LoadFontIntoGlyphCache(first, "Sans", &namesOnly, fonts));
  EXPECT_EQ(fonts.Count(), 0);
  EXPECT_EQ(GlyphCacheFindFont(first, "Sans"), -1);

  // Bytes already cached under the identifier, refused by the glyph cache, fail too.
  auto data = std::make_unique<FontData>();
  Bytes bytes = test::BuildFont(test::NamedFace("Sans", "Regular"));
  data->Assign(bytes.data(), static_cast<int32_t>(bytes.size()), 0);
  fonts.Add(std::move(data), "Sans", 1.0);
  EXPECT_FALSE(LoadFontIntoGlyphCache(first, "Sans", &namesOnly, fonts));
}

TEST_F(RendererFontsTest, FontsWithoutAUsableFaceAreRefused) {
  FakePlatformFont noFace(roboto, -1), garbage(Bytes(512, 7), 0);
  EXPECT_FALSE(LoadFontIntoGlyphCache(first, "A", &noFace, fonts));
  EXPECT_FALSE(LoadFontIntoGlyphCache(first, "B", &garbage, fonts));
  EXPECT_FALSE(LoadFontIntoGlyphCache(first, "C", nullptr, fonts));
  EXPECT_FALSE(LoadFontIntoGlyphCache(nullptr, "D", &garbage, fonts));
  PlatformFont plain(false);  // the base class gives an empty FontData
  EXPECT_FALSE(LoadFontIntoGlyphCache(first, "E", &plain, fonts));
  EXPECT_EQ(fonts.Count(), 0);
  EXPECT_EQ(first->fontCount, 0);
}

}  // namespace
}  // namespace plugfw::gfx
