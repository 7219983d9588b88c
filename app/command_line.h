#pragma once
// The standalone program's command line: "--screenshot" takes the word after it as the path of a
// screenshot to save before quitting, "--no-io" starts without audio and MIDI devices. Words are
// the system's own split of the command line, so a quoted path may hold spaces. Portable.

#include <string>
#include <vector>

namespace plugfw {

struct CommandLineOptions {
  std::string screenshotPath;  // UTF-8; empty: no screenshot
  bool noIo = false;

  // A screenshot run starts without devices too.
  bool WithoutDevices() const { return noIo || !screenshotPath.empty(); }
  // Nobody may be there to close a message box: errors go to standard error and the exit code.
  bool Unattended() const { return WithoutDevices(); }
};

// UI thread, at start-up. The words after the program's name. Unknown words are ignored; "--screenshot" as
// the last word gives no path.
CommandLineOptions ParseCommandLine(const std::vector<std::string>& words);

}  // namespace plugfw
