#pragma once
// The bytes of a CF_HDROP block (a DROPFILES header and a double-terminated list
// of UTF-16 paths), built without the platform so the layout can be checked
// anywhere. Any thread: no shared state.

#include <cstdint>
#include <string>
#include <vector>

namespace plugfw::gfx {

// Header: offset of the list (4 bytes), drop point (2 × 4), non-client flag (4),
// wide flag (4).
constexpr int32_t kDropFilesHeaderBytes = 20;

enum class DropBlockForm {
  kDragSource,  // handed out by the drag source: a zero unit and two more zero bytes end the list
  kClipboard,   // put on the clipboard: the non-client flag set, one zero unit ends the list
};

// The block for paths, in order, each with its terminator; an empty list still
// ends with the list's terminator.
std::vector<uint8_t> BuildDropFilesBlock(const std::vector<std::u16string>& paths, DropBlockForm form);

}  // namespace plugfw::gfx
