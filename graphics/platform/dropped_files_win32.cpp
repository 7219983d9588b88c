#include "graphics/platform/dropped_files_win32.h"

#include "graphics/platform/wide_text_win32.h"

namespace plugfw::gfx {
namespace {

constexpr UINT kCountQuery = 0xFFFFFFFF;

// The index-th path, asked for its length first so a long path is never cut.
bool ReadDroppedPath(HDROP drop, UINT index, std::string* path) {
  const UINT length = DragQueryFileW(drop, index, nullptr, 0);
  if (length == 0) return false;
  std::wstring wide(length + 1, L'\0');
  if (DragQueryFileW(drop, index, wide.data(), length + 1) != length) return false;
  return Utf8FromWide(wide.c_str(), static_cast<int32_t>(length), path);
}

}  // namespace

DroppedFiles TakeDroppedFiles(HDROP drop) {
  DroppedFiles dropped;
  if (drop == nullptr) return dropped;
  const UINT count = DragQueryFileW(drop, kCountQuery, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::string path;
    if (ReadDroppedPath(drop, i, &path)) dropped.paths.push_back(std::move(path));
  }
  DragQueryPoint(drop, &dropped.point);
  DragFinish(drop);
  return dropped;
}

}  // namespace plugfw::gfx
