// The CF_HDROP bytes for the drag source and for the clipboard.

#include "graphics/platform/drop_files_block.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace plugfw::gfx {
namespace {

uint32_t WordAt(const std::vector<uint8_t>& block, size_t offset) {
  return block[offset] | block[offset + 1] << 8 | block[offset + 2] << 16 |
         static_cast<uint32_t>(block[offset + 3]) << 24;
}

std::u16string UnitsAt(const std::vector<uint8_t>& block, size_t offset, size_t count) {
  std::u16string units;
  for (size_t i = 0; i < count; ++i) {
    units += static_cast<char16_t>(block[offset + 2 * i] | block[offset + 2 * i + 1] << 8);
  }
  return units;
}

TEST(BuildDropFilesBlock, DragSourceFormHoldsThePathAndFourZeroBytes) {
  const std::u16string path = u"C:\\take.wav";  // 11 units, 12 with the terminator
  const std::vector<uint8_t> block = BuildDropFilesBlock({path}, DropBlockForm::kDragSource);
  ASSERT_EQ(block.size(), 20u + 2 * 12 + 4);
  EXPECT_EQ(WordAt(block, 0), 20u) << "the list follows the header";
  EXPECT_EQ(WordAt(block, 4), 0u);
  EXPECT_EQ(WordAt(block, 8), 0u);
  EXPECT_EQ(WordAt(block, 12), 0u) << "not in the non-client area";
  EXPECT_EQ(WordAt(block, 16), 1u) << "wide paths";
  EXPECT_EQ(UnitsAt(block, 20, 12), path + u'\0');
  EXPECT_EQ(WordAt(block, 44), 0u);
}

TEST(BuildDropFilesBlock, ClipboardFormHasTheNonClientFlagAndOneMoreZeroUnit) {
  const std::u16string path = u"C:\\caf\u00E9.wav";
  const std::vector<uint8_t> block = BuildDropFilesBlock({path}, DropBlockForm::kClipboard);
  ASSERT_EQ(block.size(), 20u + 2 * (path.size() + 1) + 2);
  EXPECT_EQ(WordAt(block, 12), 1u);
  EXPECT_EQ(UnitsAt(block, 20, path.size() + 2), path + u'\0' + u'\0');
}

TEST(BuildDropFilesBlock, ListsSeveralPathsInOrderEndingInAnEmptyOne) {
  const std::vector<std::u16string> paths = {u"C:\\a.wav", u"D:\\b\\c.aif", u"E:\\d"};
  const std::vector<uint8_t> block = BuildDropFilesBlock(paths, DropBlockForm::kDragSource);
  size_t at = 20;
  for (const std::u16string& path : paths) {
    EXPECT_EQ(UnitsAt(block, at, path.size() + 1), path + u'\0');
    at += 2 * (path.size() + 1);
  }
  EXPECT_EQ(block.size(), at + 4);
  EXPECT_EQ(WordAt(block, at), 0u);
}

}  // namespace
}  // namespace plugfw::gfx
