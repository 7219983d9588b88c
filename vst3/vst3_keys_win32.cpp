#include <windows.h>

#include "vst3/vst3_keys.h"

namespace plugfw {

int16_t WindowsKeyScan(char16_t character) {
  return VkKeyScanExW(static_cast<WCHAR>(character), GetKeyboardLayout(0));
}

}  // namespace plugfw
