// The maker's logo is our own drawing: it must parse, fill the brand area's 210 x 42 units
// and stay inside them, in the editor's palette.
#include <gtest/gtest.h>
#include <nanosvg.h>

#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>

namespace {

std::string ReadLogo() {
  std::ifstream file(HALCYRA_LOGO_PATH, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

struct ImageDeleter {
  void operator()(NSVGimage* image) const { nsvgDelete(image); }
};

TEST(Logo, ParsesToTheBrandAreaWithEveryShapeInside) {
  std::string text = ReadLogo();
  ASSERT_FALSE(text.empty());
  // The layout loads it in pixels at 72 dpi.
  const std::unique_ptr<NSVGimage, ImageDeleter> image(nsvgParse(text.data(), "px", 72.0f));
  ASSERT_NE(image, nullptr);
  EXPECT_FLOAT_EQ(image->width, 210.0f);
  EXPECT_FLOAT_EQ(image->height, 42.0f);

  int shapes = 0;
  std::set<unsigned int> colours;
  for (const NSVGshape* shape = image->shapes; shape != nullptr; shape = shape->next) {
    ++shapes;
    EXPECT_TRUE(shape->flags & NSVG_FLAGS_VISIBLE);
    EXPECT_TRUE(shape->fill.type == NSVG_PAINT_COLOR || shape->stroke.type == NSVG_PAINT_COLOR);
    colours.insert(shape->fill.type == NSVG_PAINT_COLOR ? shape->fill.color : shape->stroke.color);
    EXPECT_GE(shape->bounds[0], 0.0f);
    EXPECT_GE(shape->bounds[1], 0.0f);
    EXPECT_LE(shape->bounds[2], 210.0f);
    EXPECT_LE(shape->bounds[3], 42.0f);
    EXPECT_NE(shape->paths, nullptr);
  }
  // A wing of two feathers and one shape per letter of KESTRALYN.
  EXPECT_EQ(shapes, 2 + 9);
  // Amber, teal and paper (nanosvg keeps colours as 0xAABBGGRR).
  const std::set<unsigned int> palette = {0xFF6DA5D7u, 0xFFC2CC69u, 0xFFE2ECF0u};
  EXPECT_EQ(colours, palette);
}

}  // namespace
