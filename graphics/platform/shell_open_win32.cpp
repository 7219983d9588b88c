#include "graphics/platform/shell_open_win32.h"

#include <string>

#include "graphics/platform/shell_text.h"
#include "graphics/platform/wide_text_win32.h"

namespace plugfw::gfx {
namespace {

// ShellExecute reports success with a value above 32.
constexpr INT_PTR kShellErrorLimit = 32;
// Room for the system folder with its separator and "explorer.exe".
constexpr UINT kSystemFolderCapacity = MAX_PATH;
constexpr size_t kMaxSystemFolderLength = 258;

bool ShellAccepted(HINSTANCE result) { return reinterpret_cast<INT_PTR>(result) > kShellErrorLimit; }

void ShowFailure(HWND window, const std::wstring& title, const char* failure, const PlatformSeam& seam) {
  if (failure == nullptr) return;
  seam.messageBox(window, WideFromUtf8(failure).c_str(), title.c_str(), MB_OK);
}

bool IsConnected(const PlatformSeam& seam) {
  DWORD flags = 0;
  return seam.internetConnected(&flags, 0) != FALSE;
}

}  // namespace

bool OpenWebAddress(HWND window, const char* address, const char* title, const char* confirmation,
                    const char* failure, const PlatformSeam& seam) {
  const std::wstring wideTitle = WideFromUtf8(title);
  if (confirmation != nullptr &&
      seam.messageBox(window, WideFromUtf8(confirmation).c_str(), wideTitle.c_str(), MB_YESNO) != IDYES) {
    return false;
  }
  std::wstring wideAddress;
  bool opened = false;
  if (IsOpenableWebAddress(address) && WideFromUtf8Strict(address, &wideAddress) &&
      (!WebAddressNeedsConnection(address) || IsConnected(seam))) {
    opened = ShellAccepted(
        seam.shellExecute(window, L"open", wideAddress.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  }
  if (!opened) ShowFailure(window, wideTitle, failure, seam);
  return opened;
}

bool RevealInExplorer(const char* path, bool select, const PlatformSeam& seam) {
  if (path == nullptr || path[0] == '\0') return false;
  wchar_t folder[kSystemFolderCapacity] = {};
  const UINT length = seam.systemDirectory(folder, kSystemFolderCapacity);
  if (length == 0 || length > kMaxSystemFolderLength) return false;
  std::wstring workingFolder(folder, length);
  workingFolder += L'\\';
  std::wstring arguments;
  if (!WideFromUtf8Strict(RevealArguments(path, select).c_str(), &arguments)) return false;
  return ShellAccepted(seam.shellExecute(nullptr, L"open", L"explorer.exe", arguments.c_str(),
                                         workingFolder.c_str(), SW_SHOWNORMAL));
}

}  // namespace plugfw::gfx
