#pragma once
// The program's message loop: the main window's accelerators and dialog navigation first, then
// the navigation of whichever other dialog a message belongs to. Windows-only header.

#include <windows.h>

namespace plugfw {

// UI thread. Runs until WM_QUIT and answers its exit code; a failing GetMessage is retried after 10 ms. An
// exception that reaches the loop ends it with exit code 1 (after writing it to standard error).
int RunMessageLoop(HACCEL accelerators);

// UI thread. Whether the accelerator table or a dialog's navigation took the message (it is then not
// dispatched).
bool PreTranslateProgramMessage(MSG& message, HWND mainWindow, HACCEL accelerators);

// Any thread. Whether window is of the system's dialog class, as every dialog of the program is.
bool IsDialogWindow(HWND window);

// UI thread. The dialog whose navigation should see a message for window: the first top-level dialog met on
// the way up through the parents, else the outermost child dialog met, else null.
HWND DialogForMessage(HWND window);

}  // namespace plugfw
