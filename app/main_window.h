#pragma once
// The standalone program's main window: the modeless dialog IDD_MAIN whose client area holds the
// editor, with the File and Help menus (the Debug menu is removed, its accelerators stay). It
// keeps its client area at the editor's pixel size, writes the settings after the preferences
// end with OK, saves screenshots, and on destruction closes the editor and deletes the
// standalone host. Windows-only header.

#include <windows.h>

#include <string>

#include "resources/resource_ids.h"

namespace plugfw {

class StandaloneHost;

struct MainWindowOptions {
  std::string screenshotPath;  // UTF-8: saved 500 ms after the window shows, then the program quits
  bool unattended = false;     // no box: errors to standard error, the screenshot command prints its file
};

constexpr const char* kProgramTitle = HALCYRA_PROGRAM_TITLE;
constexpr const wchar_t* kMainWindowTitle = L"" HALCYRA_PROGRAM_TITLE;
constexpr UINT_PTR kScreenshotTimer = 1001;
constexpr UINT kScreenshotDelayMs = 500;

// UI thread. Creates, sizes, centres and shows the main window on the desktop and opens the host's editor
// in it (an editor that does not open leaves the client area empty). Null when the dialog could
// not be made or its set-up failed; the main window is then gone again.
HWND CreateMainWindow(HINSTANCE module, const MainWindowOptions& options);

// UI thread. Null before the window is made and after it is destroyed.
HWND MainWindowHandle();

// UI thread. 0, or 1 once a command-line screenshot failed or a procedure met an exception.
int MainWindowExitCode();
// UI thread. What ended the program with exit code 1 (empty when nothing did).
const std::string& MainWindowFailure();

// UI thread. The boxes of the About, manual and screenshot commands. Tests put a recorder in its place; null
// puts the system's message box back.
using MessageBoxFunction = int (*)(HWND owner, const char* text, const char* caption, UINT type);
void SetMainWindowMessageBox(MessageBoxFunction show);

// UI thread. The dialog procedure of IDD_MAIN.
INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace plugfw
