#pragma once
// A platform seam that records what the code under test asked of the system and
// answers as the test says; nothing opens and no modal box appears.

#include <windows.h>

#include <string>
#include <vector>

#include "graphics/platform/platform_seams_win32.h"

namespace plugfw::test {

struct SeamRecord {
  struct Box {
    HWND owner;
    std::wstring text, caption;
    UINT type;
  };
  struct Shell {
    HWND owner;
    std::wstring verb, file, parameters, folder;
    INT show;
  };

  // Answers.
  int boxAnswer = IDOK;
  BOOL connected = TRUE;
  INT_PTR shellResult = 42;
  std::wstring systemFolder = L"C:\\windows\\system32";
  BOOL dialogAnswer = TRUE;
  std::wstring chosenPath;  // what a file or folder chooser picks
  COLORREF chosenColour = 0;
  bool folderIsVirtual = false;  // a choice with no file-system path

  // Records.
  std::vector<Box> boxes;
  std::vector<Shell> shells;
  int connectionQueries = 0;
  CHOOSECOLORW colourDialog = {};
  std::wstring colourPrompt;  // the hook's custom data, read while the dialog runs
  OPENFILENAMEW fileDialog = {};
  std::wstring fileFilter, fileDefaultExtension, fileInitialFolder, fileStartName;
  bool saveDialog = false;
  BROWSEINFOW folderDialog = {};
  std::wstring folderTitle;
  int idListsMade = 0, idListsFreed = 0;
};

// The record that the seam's functions use: one test at a time.
SeamRecord& Record();
gfx::PlatformSeam RecordingSeam();

}  // namespace plugfw::test
