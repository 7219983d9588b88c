// Web address rules, the reveal argument, file-chooser filters and folder parts.

#include "graphics/platform/shell_text.h"

#include <gtest/gtest.h>

#include <string>

namespace plugfw::gfx {
namespace {

TEST(IsOpenableWebAddress, TakesOnlyWebPagesAndMailLinks) {
  struct Case {
    const char* address;
    bool openable, needsConnection;
  };
  const Case cases[] = {
      {"https://kestralyn.example/halcyra", true, true},
      {"HTTP://kestralyn.example", true, true},
      {"mailto:support@kestralyn.example", true, false},
      {"MailTo:support@kestralyn.example", true, false},
      {"https://", false, true},
      {"file:///C:/Windows/System32/calc.exe", false, true},
      {"C:\\Windows\\System32\\calc.exe", false, true},
      {"javascript:alert(1)", false, true},
      {"ftp://kestralyn.example", false, true},
      {"httpx://kestralyn.example", false, true},
      {"", false, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsOpenableWebAddress(c.address), c.openable) << c.address;
    EXPECT_EQ(WebAddressNeedsConnection(c.address), c.needsConnection) << c.address;
  }
  EXPECT_FALSE(IsOpenableWebAddress(nullptr));
}

TEST(RevealArguments, QuotesThePathWithNothingBeforeTheClosingQuote) {
  EXPECT_EQ(RevealArguments("C:\\Audio\\take 1.wav", true), "/select,\"C:\\Audio\\take 1.wav\"");
  EXPECT_EQ(RevealArguments("C:\\Audio", false), "\"C:\\Audio\"");
}

TEST(FileDialogFilterFor, JoinsPatternsAndTakesTheFirstExtensionAsDefault) {
  const FileDialogFilter filter = FileDialogFilterFor("wav aif");
  EXPECT_EQ(filter.pattern, "*.wav;*.aif");
  EXPECT_EQ(filter.defaultExtension, "wav");

  const FileDialogFilter spaced = FileDialogFilterFor("  fxp   fxb ");
  EXPECT_EQ(spaced.pattern, "*.fxp;*.fxb");
  EXPECT_EQ(spaced.defaultExtension, "fxp");

  EXPECT_EQ(FileDialogFilterFor("").pattern, "");
  EXPECT_EQ(FileDialogFilterFor(nullptr).defaultExtension, "");
}

TEST(FileDialogFilterFor, LeavesOutWholePatternsPastTheLimitAndLongDefaults) {
  std::string many;
  for (int i = 0; i < 60; ++i) many += "ext" + std::to_string(i % 10) + " ";  // "*.extN" and ";"
  const FileDialogFilter filter = FileDialogFilterFor(many.c_str());
  EXPECT_LE(filter.pattern.size(), kMaxFilterLength);
  EXPECT_GT(filter.pattern.size(), kMaxFilterLength - 7) << "filled up to the limit";
  size_t start = 0;
  while (start < filter.pattern.size()) {
    size_t end = filter.pattern.find(';', start);
    if (end == std::string::npos) end = filter.pattern.size();
    const std::string piece = filter.pattern.substr(start, end - start);
    EXPECT_TRUE(piece.size() == 6 && piece.compare(0, 5, "*.ext") == 0) << "cut pattern " << piece;
    start = end + 1;
  }

  const FileDialogFilter longFirst = FileDialogFilterFor("sixteencharacter wav");
  EXPECT_EQ(longFirst.defaultExtension, "");
  EXPECT_EQ(longFirst.pattern, "*.sixteencharacter;*.wav");
}

TEST(FolderOfPath, IsTheDriveAndDirectoryWithTheirSeparator) {
  EXPECT_EQ(FolderOfPath("C:\\Audio\\Takes\\take.wav"), "C:\\Audio\\Takes\\");
  EXPECT_EQ(FolderOfPath("C:\\take.wav"), "C:\\");
  EXPECT_EQ(FolderOfPath("\\\\server\\share\\take.wav"), "\\\\server\\share\\");
  EXPECT_EQ(FolderOfPath("C:take.wav"), "C:");
  EXPECT_EQ(FolderOfPath("take.wav"), "");
}

TEST(FolderWithSeparator, EndsInExactlyOneBackslash) {
  EXPECT_EQ(FolderWithSeparator("C:\\"), "C:\\") << "a root folder is not doubled";
  EXPECT_EQ(FolderWithSeparator("C:\\Audio"), "C:\\Audio\\");
  EXPECT_EQ(FolderWithSeparator("\\\\server\\share"), "\\\\server\\share\\");
  EXPECT_EQ(FolderWithSeparator(""), "");
}

}  // namespace
}  // namespace plugfw::gfx
