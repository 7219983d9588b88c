#include "graphics/platform/drop_files_block.h"

namespace plugfw::gfx {
namespace {

void PutWord(std::vector<uint8_t>* block, size_t offset, uint32_t value) {
  for (int32_t i = 0; i < 4; ++i) (*block)[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

std::vector<uint8_t> BuildDropFilesBlock(const std::vector<std::u16string>& paths, DropBlockForm form) {
  constexpr size_t kListOffsetAt = 0;
  constexpr size_t kNonClientAt = 12;
  constexpr size_t kWideAt = 16;
  // The drag source's list ends in four zero bytes, the clipboard's in two.
  const size_t listEnd = form == DropBlockForm::kDragSource ? 4 : 2;

  size_t listBytes = listEnd;
  for (const std::u16string& path : paths) listBytes += 2 * (path.size() + 1);
  std::vector<uint8_t> block(kDropFilesHeaderBytes + listBytes, 0);

  PutWord(&block, kListOffsetAt, kDropFilesHeaderBytes);
  PutWord(&block, kNonClientAt, form == DropBlockForm::kClipboard ? 1 : 0);
  PutWord(&block, kWideAt, 1);
  size_t at = kDropFilesHeaderBytes;
  for (const std::u16string& path : paths) {
    for (char16_t unit : path) {
      block[at] = static_cast<uint8_t>(unit & 0xFF);
      block[at + 1] = static_cast<uint8_t>(unit >> 8);
      at += 2;
    }
    at += 2;  // the path's terminator, already zero
  }
  return block;
}

}  // namespace plugfw::gfx
