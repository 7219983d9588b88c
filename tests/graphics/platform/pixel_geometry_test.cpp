// Editor units to device pixels and back.

#include "graphics/platform/pixel_geometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace plugfw::gfx {
namespace {

TEST(PixelsCovering, GrowsOutwardToWholePixels) {
  EXPECT_EQ(PixelsCovering(Rect(10.2f, 20.5f, 30.1f, 40.f), 1.5f), (PixelRect{15, 30, 46, 60}));
  EXPECT_EQ(PixelsCovering(Rect(10.f, 20.f, 30.f, 40.f), 1.f), (PixelRect{10, 20, 30, 40}));
  EXPECT_EQ(PixelsCovering(Rect(-0.5f, -0.5f, 0.5f, 0.5f), 2.f), (PixelRect{-1, -1, 1, 1}));
}

TEST(UnitsCovering, GrowsOutwardToWholeUnits) {
  const Rect units = UnitsCovering(PixelRect{15, 31, 46, 60}, 1.5f);
  EXPECT_EQ(units, Rect(10.f, 20.f, 31.f, 40.f));
}

TEST(UpdateAreasInUnits, ListsUpTo62RectanglesAndOtherwiseTheBoundingBox) {
  EXPECT_EQ(kMaxRegionRects, 62);
  std::vector<PixelRect> rects;
  for (int32_t i = 0; i < 63; ++i) rects.push_back({i * 10, 0, i * 10 + 5, 5});
  const PixelRect bounds{0, 0, 625, 5};

  const std::vector<Rect> listed = UpdateAreasInUnits(rects.data(), 62, bounds, 1.f);
  ASSERT_EQ(listed.size(), 62u);
  EXPECT_EQ(listed[61], Rect(610.f, 0.f, 615.f, 5.f));

  const std::vector<Rect> tooMany = UpdateAreasInUnits(rects.data(), 63, bounds, 1.f);
  ASSERT_EQ(tooMany.size(), 1u);
  EXPECT_EQ(tooMany[0], Rect(0.f, 0.f, 625.f, 5.f));

  const std::vector<Rect> unread = UpdateAreasInUnits(nullptr, 0, bounds, 2.f);
  ASSERT_EQ(unread.size(), 1u);
  EXPECT_EQ(unread[0], Rect(0.f, 0.f, 313.f, 3.f));
}

TEST(EditBoxPixels, TruncatesTheCornerAndAddsAPixelToTheSize) {
  const PixelRect box = EditBoxPixels(Rect(10.f, 20.f, 70.f, 40.f), 1.5f);
  EXPECT_EQ(box, (PixelRect{15, 30, 15 + 91, 30 + 31}));
}

TEST(MenuAnchorPixels, IsTheLeftBottomCornerTruncated) {
  const PixelPoint anchor = MenuAnchorPixels(Rect(10.5f, 20.f, 70.f, 40.7f), 1.5f);
  EXPECT_EQ(anchor.x, 15);
  EXPECT_EQ(anchor.y, 61);
}

}  // namespace
}  // namespace plugfw::gfx
