// Two editors of one process on threads of their own load the same bitmap and SVG names at
// once: each name is decoded once and both see the same cached image. Run under
// ThreadSanitizer as well.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "graphics/gfx.h"
#include "graphics/resource_cache.h"
#include "tests/graphics/support/gfx_test_support.h"

namespace plugfw::gfx {
namespace {

namespace fs = std::filesystem;

constexpr int32_t kLoadsPerEditor = 200;
constexpr char kLogoSvg[] = R"(<svg width="16" height="16"><circle cx="8" cy="8" r="6" fill="#3a7"/></svg>)";

struct Loaded {
  std::set<const APIBitmap*> bitmaps;
  std::set<const void*> svgs;
  int32_t decodes = 0;
};

TEST(ResourceCacheThreads, TwoEditorsLoadingTheSameNamesShareOneImageEach) {
  const fs::path folder = fs::temp_directory_path() / "halcyra_resource_threads";
  fs::create_directories(folder);
  const std::string bitmapName = (folder / "knob.png").string();
  const std::string svgName = (folder / "logo.svg").string();
  std::ofstream(bitmapName, std::ios::binary) << "pixels";
  std::ofstream(svgName, std::ios::binary) << kLogoSvg;

  test::GfxTestDelegate keeper(1);
  // Keeps the caches filled while the editors come and go.
  test::RecordingGfx holder(keeper);
  Loaded loaded[2];
  const auto editor = [&](Loaded& into) {
    test::GfxTestDelegate delegate(1);
    test::RecordingGfx gfx(delegate);
    for (int32_t i = 0; i < kLoadsPerEditor; ++i) {
      into.bitmaps.insert(gfx.LoadBitmapScaled(bitmapName.c_str(), 1, false, 1 + i % 2).bitmap);
      into.svgs.insert(gfx.LoadSvgByName(svgName.c_str()).image);
    }
    into.decodes = gfx.log.Count("LoadBitmapData");
  };
  std::thread first(editor, std::ref(loaded[0]));
  std::thread second(editor, std::ref(loaded[1]));
  first.join();
  second.join();

  // One bitmap at scale 1 and its redrawing at 2, one SVG image: the same for both editors.
  EXPECT_EQ(loaded[0].bitmaps.size(), 2u);
  EXPECT_EQ(loaded[0].bitmaps, loaded[1].bitmaps);
  EXPECT_EQ(loaded[0].svgs.size(), 1u);
  EXPECT_EQ(loaded[0].svgs, loaded[1].svgs);
  EXPECT_NE(*loaded[0].svgs.begin(), nullptr);
  EXPECT_EQ(loaded[0].decodes + loaded[1].decodes, 1);
  EXPECT_EQ(StaticBitmapCache().Count(), 2);
  fs::remove_all(folder);
}

}  // namespace
}  // namespace plugfw::gfx
