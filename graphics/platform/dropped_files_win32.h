#pragma once
// Files dropped on the editor window from the file manager. Windows-only header.
// UI thread.

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace plugfw::gfx {

struct DroppedFiles {
  std::vector<std::string> paths;  // UTF-8, whole, in the order the shell lists them
  POINT point = {0, 0};            // client pixels
};

// Reads every path of a drop at its full length, skipping one that has no UTF-8
// form, and finishes the drop: the handle is freed and must not be used again.
DroppedFiles TakeDroppedFiles(HDROP drop);

}  // namespace plugfw::gfx
