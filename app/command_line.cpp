#include "app/command_line.h"

namespace plugfw {

namespace {
constexpr const char* kScreenshotOption = "--screenshot";
constexpr const char* kNoIoOption = "--no-io";
}  // namespace

CommandLineOptions ParseCommandLine(const std::vector<std::string>& words) {
  CommandLineOptions options;
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i] == kScreenshotOption) {
      if (i + 1 < words.size()) options.screenshotPath = words[++i];
    } else if (words[i] == kNoIoOption) {
      options.noIo = true;
    }
  }
  return options;
}

}  // namespace plugfw
