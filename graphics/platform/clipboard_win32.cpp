#include "graphics/platform/clipboard_win32.h"

#include <vector>

#include "graphics/platform/drop_files_block.h"
#include "graphics/platform/global_memory_win32.h"
#include "graphics/platform/wide_text_win32.h"

namespace plugfw::gfx {
namespace {

// Holds the clipboard open for a scope.
class OpenClipboardScope {
 public:
  explicit OpenClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~OpenClipboardScope() {
    if (open_) CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool open_;
};

// Hands block to the clipboard, which then owns it; frees it when refused.
bool OfferToClipboard(UINT format, HGLOBAL block) {
  if (block == nullptr) return false;
  if (SetClipboardData(format, block) != nullptr) return true;
  GlobalFree(block);
  return false;
}

// Replaces the clipboard's contents by bytes in format; nothing when bytes is
// empty.
bool ReplaceClipboard(HWND owner, UINT format, const void* bytes, size_t size) {
  OpenClipboardScope clipboard(owner);
  if (!clipboard.IsOpen() || !EmptyClipboard()) return false;
  if (size == 0) return true;
  return OfferToClipboard(format, GlobalCopyOf(bytes, size));
}

}  // namespace

bool GetClipboardText(HWND owner, std::string* out) {
  out->clear();
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return false;
  OpenClipboardScope clipboard(owner);
  if (!clipboard.IsOpen()) return false;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data == nullptr) return false;
  const auto* units = static_cast<const wchar_t*>(GlobalLock(data));
  if (units == nullptr) return false;
  // The block need not be terminated within its size: read no further than that.
  const size_t capacity = GlobalSize(data) / sizeof(wchar_t);
  size_t length = 0;
  while (length < capacity && units[length] != L'\0') ++length;
  const bool converted = Utf8FromWide(units, static_cast<int32_t>(length), out);
  GlobalUnlock(data);
  return converted;
}

bool SetClipboardText(HWND owner, const char* text) {
  std::wstring wide;
  if (!WideFromUtf8Strict(text, &wide)) return false;
  const size_t bytes = wide.empty() ? 0 : (wide.size() + 1) * sizeof(wchar_t);
  return ReplaceClipboard(owner, CF_UNICODETEXT, wide.c_str(), bytes);
}

bool SetClipboardFilePath(HWND owner, const char* path) {
  std::wstring wide;
  if (!WideFromUtf8Strict(path, &wide) || wide.empty()) return false;
  const std::vector<uint8_t> block =
      BuildDropFilesBlock({std::u16string(wide.begin(), wide.end())}, DropBlockForm::kClipboard);
  return ReplaceClipboard(owner, CF_HDROP, block.data(), block.size());
}

}  // namespace plugfw::gfx
