#pragma once
// How audio device names are shown, saved and matched. Some drivers report "prefix: name"; the
// program shows and saves the part after the first colon. The settings file drops blanks around
// a value when it is read back, so names are compared without leading or trailing blanks: a
// saved choice then still finds its device on the next start. Portable; any thread.

#include <string>

namespace plugfw {

// The library's name with everything up to and including the first ":" removed (the whole name
// without one) and the blanks left at either end trimmed.
std::string AudioDeviceDisplayName(const std::string& libraryName);

// True when a saved (or typed) name designates the device of that display name.
bool AudioDeviceNameMatches(const std::string& displayName, const char* savedName);

}  // namespace plugfw
