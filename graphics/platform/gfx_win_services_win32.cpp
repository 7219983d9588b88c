// IGfxWin's platform services, each a call onto the service's own file: menus, the native
// edit box, dialogs, clipboard, drag and drop, the shell and fonts.

#include <windows.h>

#include <string>

#include "core/scoped_lock.h"
#include "graphics/gfx_editor_delegate.h"
#include "graphics/platform/choosers_win32.h"
#include "graphics/platform/clipboard_win32.h"
#include "graphics/platform/drag_and_drop_win32.h"
#include "graphics/platform/gfx_win_win32.h"
#include "graphics/platform/native_menu_win32.h"
#include "graphics/platform/pixel_geometry.h"
#include "graphics/platform/shell_open_win32.h"
#include "graphics/platform/win_font_win32.h"

namespace plugfw::gfx {
namespace {

constexpr double kFontHandleScale = 1.0;

void Complete(const IGfx::FileDialogCompletion& completion, const std::string& fileName,
              const std::string& folder) {
  if (!completion) return;
  HeapString file;
  HeapString path;
  file.Set(fileName.c_str());
  path.Set(folder.c_str());
  completion(file, path);
}

}  // namespace

IPopupMenu* IGfxWin::ShowNativePopupMenu(IPopupMenu& menu, const Rect& bounds, bool& isAsync) {
  isAsync = false;
  if (window_ == nullptr) return nullptr;
  const PixelPoint anchor = MenuAnchorPixels(bounds, GetBackingScale());
  return ::plugfw::gfx::ShowNativePopupMenu(window_, menu, POINT{anchor.x, anchor.y});
}

void IGfxWin::ShowNativeTextEntry(int32_t paramIdx, const TextStyle& style, const Rect& bounds,
                                  int32_t length, const char* text) {
  if (window_ == nullptr || editBox_.IsOpen()) return;
  NativeEditRequest request;
  request.param = GetDelegate()->GetParam(paramIdx);
  request.style = style;
  request.bounds = bounds;
  request.backing = GetBackingScale();
  request.maxLength = length;
  request.text = text != nullptr ? text : "";
  PlatformFontHandleCache& handles = SharedPlatformFontHandleCache();
  ScopedLock lock(handles.Lock());
  LOGFONTW font = {};
  const PlatformFontHandle* handle = handles.Find(style.fontId, kFontHandleScale);
  if (handle != nullptr && GetObjectW(static_cast<HFONT>(handle->Get()), sizeof(font), &font) == sizeof(font))
    request.font = &font;
  editBox_.SetOnAnyMessage([this] { HideTooltip(); });
  editBox_.Open(window_, module_, request);
}

void IGfxWin::EndPlatformTextEntry() { editBox_.State().CancelRequested(); }

int32_t IGfxWin::ShowMessageBox(const char* text, const char* caption, int32_t type,
                                MessageBoxCompletion completion) {
  ReleaseMouseCapture();
  const std::function<void(int)> done = [&completion](int result) {
    if (completion) completion(result);
  };
  return ::plugfw::gfx::ShowMessageBox(owner_.Find(parent_), text, caption, static_cast<UINT>(type), done,
                                       *seam_);
}

void IGfxWin::PickFileDialog(HeapString& fileName, HeapString& folder, int32_t action, const char* extensions,
                             FileDialogCompletion completion) {
  std::string file = fileName.Get();
  std::string path = folder.Get();
  PickFile(
      window_, &file, &path,
      action == static_cast<int32_t>(FileAction::kSave) ? FileAction::kSave : FileAction::kOpen,
      extensions != nullptr ? extensions : "",
      [&completion](const std::string& chosen, const std::string& in) { Complete(completion, chosen, in); },
      *seam_);
  fileName.Set(file.c_str());
  folder.Set(path.c_str());
  ReleaseMouseCapture();
}

void IGfxWin::PickDirectoryDialog(HeapString& folder, FileDialogCompletion completion) {
  std::string path = folder.Get();
  PickDirectory(
      window_, &path,
      [&completion](const std::string& chosen, const std::string& in) { Complete(completion, chosen, in); },
      *seam_);
  folder.Set(path.c_str());
  ReleaseMouseCapture();
}

bool IGfxWin::PickColorDialog(Colour& colour, const char* prompt, ColourCompletion completion) {
  ReleaseMouseCapture();
  return PickColour(
      window_, &colour, prompt,
      [&completion](const Colour& chosen) {
        if (completion) completion(chosen);
      },
      *seam_);
}

bool IGfxWin::OpenWebAddress(const char* address, const char* windowTitle, const char* confirmation,
                             const char* failure) {
  return ::plugfw::gfx::OpenWebAddress(window_, address, windowTitle, confirmation, failure, *seam_);
}

bool IGfxWin::RevealInExplorer(const char* path, bool select) {
  return ::plugfw::gfx::RevealInExplorer(path, select, *seam_);
}

bool IGfxWin::GetTextFromClipboard(HeapString& text) {
  std::string out;
  const bool read = GetClipboardText(window_, &out);
  text.Set(out.c_str());
  return read;
}

bool IGfxWin::SetTextInClipboard(const char* text) { return SetClipboardText(window_, text); }

bool IGfxWin::SetFilePathInClipboard(const char* path) { return SetClipboardFilePath(window_, path); }

bool IGfxWin::DragFilesOut(const char* path) {
  const bool dragged = DragFileOut(path);
  ReleaseMouseCapture();
  return dragged;
}

PlatformFontPtr IGfxWin::LoadFontByName(const char* fontId, const char* family, int32_t style) {
  return LoadPlatformFontByName(fontId, family, style);
}

PlatformFontPtr IGfxWin::LoadFontFromMemory(const char* fontId, const void* data, int32_t size) {
  return LoadPlatformFontFromMemory(fontId, data, size);
}

PlatformFontPtr IGfxWin::LoadFontFromFile(const char* fontId, const char* fileOrResourceName) {
  return LoadPlatformFontFromFile(fontId, fileOrResourceName, module_);
}

void IGfxWin::CachePlatformFont(const char* fontId, PlatformFont& font) {
  CachePlatformFontHandle(fontId, font);
}

}  // namespace plugfw::gfx
