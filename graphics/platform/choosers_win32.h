#pragma once
// The common choosers of colours, files and folders, owned by the editor window.
// Modal: each returns once the user has answered. Every dialog call goes through
// the seam. Windows-only header. UI thread.

#include <windows.h>

#include <functional>
#include <string>

#include "graphics/colour.h"
#include "graphics/platform/platform_seams_win32.h"

namespace plugfw::gfx {

// Offers colour (alpha kept) with prompt (UTF-8, may be null) as the dialog's
// title. On OK the colour takes the choice, done runs with it and the result is
// true; a cancel or a missing window changes nothing and gives false. The 16
// custom colours are kept for the life of the process.
bool PickColour(HWND window, Colour* colour, const char* prompt,
                const std::function<void(const Colour&)>& done,
                const PlatformSeam& seam = SystemPlatformSeam());

enum class FileAction { kOpen = 0, kSave = 1 };

// Asks for a file to open or save, starting at fileName in folder (UTF-8), offering
// the space-separated extensions (may be empty). On OK fileName becomes the chosen
// full path and folder its folder (ending in a backslash); on cancel fileName
// becomes empty and folder stays. done then runs with both. Without a window
// fileName becomes empty and nothing more happens.
void PickFile(HWND window, std::string* fileName, std::string* folder, FileAction action,
              const char* extensions, const std::function<void(const std::string&, const std::string&)>& done,
              const PlatformSeam& seam = SystemPlatformSeam());

// Asks for a folder. On a choice folder becomes its path ending in one backslash;
// on cancel, or a choice that is no file-system folder, folder becomes empty. done
// runs either way, with an empty file name and the folder.
void PickDirectory(HWND window, std::string* folder,
                   const std::function<void(const std::string&, const std::string&)>& done,
                   const PlatformSeam& seam = SystemPlatformSeam());

}  // namespace plugfw::gfx
