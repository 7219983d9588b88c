#include "graphics/platform/choosers_win32.h"

#include <algorithm>

#include "graphics/platform/ole_scope_win32.h"
#include "graphics/platform/shell_text.h"
#include "graphics/platform/wide_text_win32.h"

namespace plugfw::gfx {
namespace {

constexpr int kCustomColours = 16;
constexpr COLORREF kWhite = 0x00FFFFFF;
constexpr DWORD kColourFlags = CC_RGBINIT | CC_FULLOPEN | CC_ENABLEHOOK | CC_SOLIDCOLOR | CC_ANYCOLOR;
constexpr wchar_t kSetColourMessage[] = L"commdlg_SetRGBColor";

constexpr int32_t kFileBufferUnits = MAX_PATH;
constexpr DWORD kMaxFileCharacters = kFileBufferUnits - 1;
// The chooser would otherwise move the process's current directory, which belongs to
// the host.
constexpr DWORD kSaveFlags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
constexpr DWORD kOpenFlags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;

constexpr wchar_t kFolderTitle[] = L"Choose a Directory";

COLORREF (&CustomColours())[kCustomColours] {
  static COLORREF colours[kCustomColours] = {kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite,
                                             kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite};
  return colours;
}

BYTE ColourChannel(int32_t value) { return static_cast<BYTE>(std::clamp(value, 0, 255)); }

// Titles the chooser with the prompt and shows the starting colour in its fields.
UINT_PTR CALLBACK ColourChooserHook(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_INITDIALOG) return 0;
  const auto* chooser = reinterpret_cast<const CHOOSECOLORW*>(lParam);
  const auto* prompt = reinterpret_cast<const wchar_t*>(chooser->lCustData);
  if (prompt == nullptr) return 0;
  SetWindowTextW(dialog, prompt);
  SendMessageW(dialog, RegisterWindowMessageW(kSetColourMessage), 0, chooser->rgbResult);
  return 0;
}

// The filter of the file chooser: one entry whose display text is its pattern.
std::wstring FilterEntry(const std::string& pattern) {
  const std::wstring wide = WideFromUtf8(pattern.c_str());
  return wide + L'\0' + wide + L'\0' + L'\0';
}

}  // namespace

bool PickColour(HWND window, Colour* colour, const char* prompt,
                const std::function<void(const Colour&)>& done, const PlatformSeam& seam) {
  if (window == nullptr || colour == nullptr) return false;
  const std::wstring widePrompt = WideFromUtf8(prompt);
  CHOOSECOLORW chooser = {};
  chooser.lStructSize = sizeof(chooser);
  chooser.hwndOwner = window;
  chooser.rgbResult =
      RGB(ColourChannel(colour->red), ColourChannel(colour->green), ColourChannel(colour->blue));
  chooser.lpCustColors = CustomColours();
  chooser.Flags = kColourFlags;
  chooser.lCustData = prompt != nullptr ? reinterpret_cast<LPARAM>(widePrompt.c_str()) : 0;
  chooser.lpfnHook = ColourChooserHook;
  if (!seam.chooseColor(&chooser)) return false;
  colour->red = GetRValue(chooser.rgbResult);
  colour->green = GetGValue(chooser.rgbResult);
  colour->blue = GetBValue(chooser.rgbResult);
  if (done) done(*colour);
  return true;
}

void PickFile(HWND window, std::string* fileName, std::string* folder, FileAction action,
              const char* extensions, const std::function<void(const std::string&, const std::string&)>& done,
              const PlatformSeam& seam) {
  if (window == nullptr) {
    fileName->clear();
    return;
  }
  // A name that does not fit starts the chooser with none.
  wchar_t file[kFileBufferUnits] = {};
  Utf8ToWide(file, fileName->c_str(), kFileBufferUnits);
  const std::wstring initialFolder = WideFromUtf8(folder->c_str());
  const FileDialogFilter filter = FileDialogFilterFor(extensions);
  const std::wstring filterEntry = FilterEntry(filter.pattern);
  const std::wstring defaultExtension = WideFromUtf8(filter.defaultExtension.c_str());

  OPENFILENAMEW chooser = {};
  chooser.lStructSize = sizeof(chooser);
  chooser.hwndOwner = window;
  chooser.lpstrFile = file;
  chooser.nMaxFile = kMaxFileCharacters;
  chooser.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
  if (!filter.pattern.empty()) chooser.lpstrFilter = filterEntry.c_str();
  if (!defaultExtension.empty()) chooser.lpstrDefExt = defaultExtension.c_str();
  const bool save = action == FileAction::kSave;
  chooser.Flags = save ? kSaveFlags : kOpenFlags;
  const BOOL chosen = save ? seam.getSaveFileName(&chooser) : seam.getOpenFileName(&chooser);

  std::string path;
  if (chosen && Utf8FromWide(file, -1, &path) && !path.empty()) {
    *fileName = path;
    *folder = FolderOfPath(path);
  } else {
    fileName->clear();
  }
  if (done) done(*fileName, *folder);
}

void PickDirectory(HWND window, std::string* folder,
                   const std::function<void(const std::string&, const std::string&)>& done,
                   const PlatformSeam& seam) {
  folder->clear();
  if (window == nullptr) return;
  OleScope ole;  // the new dialog style needs OLE
  BROWSEINFOW chooser = {};
  chooser.hwndOwner = window;
  chooser.lpszTitle = kFolderTitle;
  chooser.ulFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
  if (PIDLIST_ABSOLUTE list = seam.browseForFolder(&chooser)) {
    wchar_t path[MAX_PATH] = {};
    std::string utf8;
    if (seam.pathFromIdList(list, path) && Utf8FromWide(path, -1, &utf8)) *folder = FolderWithSeparator(utf8);
    seam.freeIdList(list);
  }
  if (done) done(std::string(), *folder);
}

}  // namespace plugfw::gfx
