#pragma once
// Unicode text and file paths on the system clipboard. The clipboard is opened
// with the editor window as its owner, so the system knows whose data it holds.
// Windows-only header. UI thread.

#include <windows.h>

#include <string>

namespace plugfw::gfx {

// The clipboard's Unicode text as UTF-8. False (out empty) when it holds none or
// cannot be opened or read.
bool GetClipboardText(HWND owner, std::string* out);

// Replaces the clipboard's contents with text; an empty text leaves it empty.
// False, with the clipboard unchanged, when it cannot be opened or the text is not
// UTF-8; false, with it emptied, when the new contents could not be set.
bool SetClipboardText(HWND owner, const char* text);

// Puts one file on the clipboard as a file list (CF_HDROP), as the file manager's
// copy does. The same failures as SetClipboardText.
bool SetClipboardFilePath(HWND owner, const char* path);

}  // namespace plugfw::gfx
