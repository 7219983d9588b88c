#include "tests/graphics/platform/recording_seam_win32.h"

#include <cstring>

namespace plugfw::test {
namespace {

std::wstring Text(LPCWSTR text) { return text != nullptr ? text : L"(null)"; }

// A filter is a list of terminated texts ending in an empty one.
std::wstring WholeFilter(LPCWSTR filter) {
  std::wstring whole;
  if (filter == nullptr) return whole;
  for (LPCWSTR at = filter; *at != L'\0'; at += wcslen(at) + 1) whole.append(at, wcslen(at) + 1);
  return whole;
}

int WINAPI MessageBoxFake(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  Record().boxes.push_back({owner, Text(text), Text(caption), type});
  return Record().boxAnswer;
}

BOOL WINAPI ChooseColorFake(LPCHOOSECOLORW dialog) {
  Record().colourDialog = *dialog;
  Record().colourPrompt = Text(reinterpret_cast<LPCWSTR>(dialog->lCustData));
  if (Record().dialogAnswer) dialog->rgbResult = Record().chosenColour;
  return Record().dialogAnswer;
}

BOOL FileDialogFake(LPOPENFILENAMEW dialog, bool save) {
  SeamRecord& record = Record();
  record.fileDialog = *dialog;
  record.saveDialog = save;
  record.fileFilter = WholeFilter(dialog->lpstrFilter);
  record.fileDefaultExtension = Text(dialog->lpstrDefExt);
  record.fileInitialFolder = Text(dialog->lpstrInitialDir);
  record.fileStartName = dialog->lpstrFile;
  if (!record.dialogAnswer || record.chosenPath.size() + 1 > dialog->nMaxFile) return FALSE;
  std::memcpy(dialog->lpstrFile, record.chosenPath.c_str(), (record.chosenPath.size() + 1) * sizeof(wchar_t));
  return TRUE;
}
BOOL WINAPI GetOpenFileNameFake(LPOPENFILENAMEW dialog) { return FileDialogFake(dialog, false); }
BOOL WINAPI GetSaveFileNameFake(LPOPENFILENAMEW dialog) { return FileDialogFake(dialog, true); }

// A stand-in item list: a block that only the fake reads.
PIDLIST_ABSOLUTE WINAPI BrowseForFolderFake(LPBROWSEINFOW dialog) {
  SeamRecord& record = Record();
  record.folderDialog = *dialog;
  record.folderTitle = Text(dialog->lpszTitle);
  if (!record.dialogAnswer) return nullptr;
  ++record.idListsMade;
  return static_cast<PIDLIST_ABSOLUTE>(CoTaskMemAlloc(16));
}
BOOL WINAPI PathFromIdListFake(PCIDLIST_ABSOLUTE, LPWSTR path) {
  if (Record().folderIsVirtual) return FALSE;
  wcscpy(path, Record().chosenPath.c_str());
  return TRUE;
}
void WINAPI FreeIdListFake(LPVOID list) {
  ++Record().idListsFreed;
  CoTaskMemFree(list);
}

HINSTANCE WINAPI ShellExecuteFake(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR folder,
                                  INT show) {
  Record().shells.push_back({owner, Text(verb), Text(file), Text(parameters), Text(folder), show});
  return reinterpret_cast<HINSTANCE>(Record().shellResult);
}
BOOL WINAPI InternetConnectedFake(LPDWORD flags, DWORD) {
  ++Record().connectionQueries;
  if (flags != nullptr) *flags = 0;
  return Record().connected;
}
UINT WINAPI SystemDirectoryFake(LPWSTR buffer, UINT size) {
  const std::wstring& folder = Record().systemFolder;
  if (folder.size() + 1 > size) return static_cast<UINT>(folder.size() + 1);
  wcscpy(buffer, folder.c_str());
  return static_cast<UINT>(folder.size());
}

}  // namespace

SeamRecord& Record() {
  static SeamRecord record;
  return record;
}

gfx::PlatformSeam RecordingSeam() {
  Record() = SeamRecord();
  return {MessageBoxFake,        ChooseColorFake,    GetOpenFileNameFake, GetSaveFileNameFake,
          BrowseForFolderFake,   PathFromIdListFake, FreeIdListFake,      ShellExecuteFake,
          InternetConnectedFake, SystemDirectoryFake};
}

}  // namespace plugfw::test
