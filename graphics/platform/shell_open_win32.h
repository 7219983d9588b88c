#pragma once
// Handing things to the shell: a web page or mail link to the system's browser or
// mail program, a file or folder to the file manager. Every system call goes
// through the seam. Windows-only header. UI thread.

#include <windows.h>

#include "graphics/platform/platform_seams_win32.h"

namespace plugfw::gfx {

// Opens a web page (http, https) or mail link (mailto) and nothing else. With a
// confirmation text the user is asked first (Yes/No; declining opens nothing and
// shows nothing more). A web page is opened only while the system reports a
// connection; a mail link needs none. When it could not be opened and a failure
// text is given, that text is shown. Texts are UTF-8; confirmation and failure may
// be null. True when the shell took the address.
bool OpenWebAddress(HWND window, const char* address, const char* title, const char* confirmation,
                    const char* failure, const PlatformSeam& seam = SystemPlatformSeam());

// Shows path (UTF-8) in the file manager, selected in its folder when select is
// set. True when the shell took the request.
bool RevealInExplorer(const char* path, bool select, const PlatformSeam& seam = SystemPlatformSeam());

}  // namespace plugfw::gfx
