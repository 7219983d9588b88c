// Files dropped on a window, from drop handles built here as the shell builds them.

#include "graphics/platform/dropped_files_win32.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/platform/drop_files_block.h"

namespace plugfw::gfx {
namespace {

// A drop handle holding paths (UTF-16) dropped at (x, y).
HDROP MakeDrop(const std::vector<std::u16string>& paths, LONG x, LONG y) {
  std::vector<uint8_t> block = BuildDropFilesBlock(paths, DropBlockForm::kDragSource);
  auto* header = reinterpret_cast<DROPFILES*>(block.data());
  header->pt = {x, y};
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, block.size());
  if (memory == nullptr) return nullptr;
  std::memcpy(GlobalLock(memory), block.data(), block.size());
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

TEST(TakeDroppedFiles, ReadsOneFileWithItsPoint) {
  const DroppedFiles dropped = TakeDroppedFiles(MakeDrop({u"C:\\Audio\\take.wav"}, 120, 45));
  ASSERT_EQ(dropped.paths.size(), 1u);
  EXPECT_EQ(dropped.paths[0], "C:\\Audio\\take.wav");
  EXPECT_EQ(dropped.point.x, 120);
  EXPECT_EQ(dropped.point.y, 45);
}

TEST(TakeDroppedFiles, ReadsThreeFilesWholeAndInOrderOneOfThemLong) {
  std::u16string longPath = u"\\\\?\\D:\\Sessions\\";
  for (int i = 0; i < 60; ++i) longPath += u"Br\u00FCcke ";  // 480 characters, umlauts on the way
  longPath += u"mix.wav";
  const DroppedFiles dropped =
      TakeDroppedFiles(MakeDrop({u"C:\\a.wav", longPath, u"C:\\Chor\u00E4le\\b.aif"}, 0, 0));
  ASSERT_EQ(dropped.paths.size(), 3u);
  EXPECT_EQ(dropped.paths[0], "C:\\a.wav");
  std::string expectedLong = "\\\\?\\D:\\Sessions\\";
  for (int i = 0; i < 60; ++i)
    expectedLong +=
        "Br\xC3\xBC"
        "cke ";
  expectedLong += "mix.wav";
  EXPECT_EQ(dropped.paths[1], expectedLong) << "not cut at 1024 bytes or inside a character";
  EXPECT_EQ(dropped.paths[2], "C:\\Chor\xC3\xA4le\\b.aif");
}

TEST(TakeDroppedFiles, SkipsAPathWithoutUtf8Form) {
  const std::u16string broken = std::u16string(u"C:\\bad") + char16_t(0xD800) + u".wav";
  const DroppedFiles dropped = TakeDroppedFiles(MakeDrop({u"C:\\one.wav", broken, u"C:\\two.wav"}, 0, 0));
  ASSERT_EQ(dropped.paths.size(), 2u);
  EXPECT_EQ(dropped.paths[0], "C:\\one.wav");
  EXPECT_EQ(dropped.paths[1], "C:\\two.wav");
}

}  // namespace
}  // namespace plugfw::gfx
