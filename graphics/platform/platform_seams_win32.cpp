#include "graphics/platform/platform_seams_win32.h"

#include <shellapi.h>
#include <wininet.h>

namespace plugfw::gfx {

const PlatformSeam& SystemPlatformSeam() {
  static const PlatformSeam seam = {
      MessageBoxW,          ChooseColorW,  GetOpenFileNameW, GetSaveFileNameW,          SHBrowseForFolderW,
      SHGetPathFromIDListW, CoTaskMemFree, ShellExecuteW,    InternetGetConnectedState, GetSystemDirectoryW,
  };
  return seam;
}

}  // namespace plugfw::gfx
