#include "graphics/platform/message_box_win32.h"

#include "graphics/platform/wide_text_win32.h"

namespace plugfw::gfx {
namespace {

constexpr int kClassNameCapacity = 256;

std::string ClassNameOf(HWND window) {
  wchar_t name[kClassNameCapacity] = {};
  const int length = GetClassNameW(window, name, kClassNameCapacity);
  std::string utf8;
  if (length > 0) Utf8FromWide(name, length, &utf8);
  return utf8;
}

HWND TopOfParentChain(HWND window) {
  for (HWND parent = GetParent(window); parent != nullptr; parent = GetParent(window)) window = parent;
  return window;
}

struct OwnerSearch {
  DWORD process;
  const std::string* className;
  HWND found;
};

BOOL CALLBACK CheckTopLevelWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<OwnerSearch*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search->process || ClassNameOf(window) != *search->className) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

HWND MessageBoxOwner::Find(HWND parent) {
  // A host may close the window it had, and open the editor again in another.
  if (owner_ != nullptr && !IsWindow(owner_)) owner_ = nullptr;
  if (owner_ != nullptr) return owner_;
  if (parent != nullptr) {
    owner_ = TopOfParentChain(parent);
    className_ = ClassNameOf(owner_);
  } else if (!className_.empty()) {
    OwnerSearch search = {GetCurrentProcessId(), &className_, nullptr};
    EnumWindows(CheckTopLevelWindow, reinterpret_cast<LPARAM>(&search));
    owner_ = search.found;
  }
  return owner_;
}

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type,
                   const std::function<void(int)>& done, const PlatformSeam& seam) {
  const int result = seam.messageBox(owner, WideFromUtf8(text).c_str(), WideFromUtf8(caption).c_str(), type);
  if (done) done(result);
  return result;
}

}  // namespace plugfw::gfx
