// The program's two options as the system splits the command line into words.

#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace plugfw {
namespace {

TEST(ParseCommandLine, ScreenshotTakesTheNextWordAndEitherOptionMeansNoDevices) {
  struct Case {
    std::vector<std::string> words;
    std::string path;
    bool noIo;
    bool withoutDevices;
  };
  const Case cases[] = {
      {{}, "", false, false},
      {{"--no-io"}, "", true, true},
      {{"--screenshot", "C:\\Users\\Jo Smith\\shot.png"}, "C:\\Users\\Jo Smith\\shot.png", false, true},
      {{"--screenshot",
        "Z:\\tmp\\Gr\xC3\xBC\xC3\x9F"
        "e.png",
        "--no-io"},
       "Z:\\tmp\\Gr\xC3\xBC\xC3\x9F"
       "e.png",
       true,
       true},
      {{"--no-io", "--screenshot", "a.png"}, "a.png", true, true},
      // The last word gives no path.
      {{"--screenshot"}, "", false, false},
      {{"--no-io", "--screenshot"}, "", true, true},
      // An empty quoted word is no path either.
      {{"--screenshot", ""}, "", false, false},
      {{"/unknown", "--verbose"}, "", false, false},
  };
  for (const Case& c : cases) {
    const CommandLineOptions options = ParseCommandLine(c.words);
    const std::string where = ::testing::PrintToString(c.words);
    EXPECT_EQ(options.screenshotPath, c.path) << where;
    EXPECT_EQ(options.noIo, c.noIo) << where;
    EXPECT_EQ(options.WithoutDevices(), c.withoutDevices) << where;
    EXPECT_EQ(options.Unattended(), c.withoutDevices) << where;
  }
}

}  // namespace
}  // namespace plugfw
