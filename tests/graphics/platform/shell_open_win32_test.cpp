// Opening web addresses and revealing files, through a recording seam.

#include "graphics/platform/shell_open_win32.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include "tests/graphics/platform/recording_seam_win32.h"

namespace plugfw::gfx {
namespace {

using test::Record;

HWND Editor() { return reinterpret_cast<HWND>(0x1234); }  // only handed on

TEST(OpenWebAddress, OpensAWebPageWhenConnected) {
  const PlatformSeam seam = test::RecordingSeam();
  EXPECT_TRUE(
      OpenWebAddress(Editor(), "https://kestralyn.example/halcyra", "HALCYRA", nullptr, "Offline", seam));
  ASSERT_EQ(Record().shells.size(), 1u);
  EXPECT_EQ(Record().shells[0].owner, Editor());
  EXPECT_EQ(Record().shells[0].verb, L"open");
  EXPECT_EQ(Record().shells[0].file, L"https://kestralyn.example/halcyra");
  EXPECT_EQ(Record().shells[0].show, SW_SHOWNORMAL);
  EXPECT_TRUE(Record().boxes.empty());
}

TEST(OpenWebAddress, OfflineShowsTheFailureTextWhenGivenAndOpensNothing) {
  PlatformSeam seam = test::RecordingSeam();
  Record().connected = FALSE;
  EXPECT_FALSE(
      OpenWebAddress(Editor(), "https://kestralyn.example", "HALCYRA", nullptr, "No connection", seam));
  EXPECT_TRUE(Record().shells.empty());
  ASSERT_EQ(Record().boxes.size(), 1u);
  EXPECT_EQ(Record().boxes[0].text, L"No connection");
  EXPECT_EQ(Record().boxes[0].caption, L"HALCYRA");
  EXPECT_EQ(Record().boxes[0].type, static_cast<UINT>(MB_OK));

  seam = test::RecordingSeam();
  Record().connected = FALSE;
  EXPECT_FALSE(OpenWebAddress(Editor(), "https://kestralyn.example", "HALCYRA", nullptr, nullptr, seam));
  EXPECT_TRUE(Record().boxes.empty()) << "no failure text, no box";
}

TEST(OpenWebAddress, AMailLinkOpensOfflineToo) {
  const PlatformSeam seam = test::RecordingSeam();
  Record().connected = FALSE;
  EXPECT_TRUE(
      OpenWebAddress(Editor(), "mailto:support@kestralyn.example", "HALCYRA", nullptr, "Offline", seam));
  ASSERT_EQ(Record().shells.size(), 1u);
  EXPECT_EQ(Record().shells[0].file, L"mailto:support@kestralyn.example");
  EXPECT_EQ(Record().connectionQueries, 0);
}

TEST(OpenWebAddress, ADeclinedConfirmationOpensAndShowsNothingMore) {
  const PlatformSeam seam = test::RecordingSeam();
  Record().boxAnswer = IDNO;
  EXPECT_FALSE(OpenWebAddress(Editor(), "https://kestralyn.example", "HALCYRA", "Open the web page?",
                              "Offline", seam));
  ASSERT_EQ(Record().boxes.size(), 1u);
  EXPECT_EQ(Record().boxes[0].text, L"Open the web page?");
  EXPECT_EQ(Record().boxes[0].type, static_cast<UINT>(MB_YESNO));
  EXPECT_TRUE(Record().shells.empty());
}

TEST(OpenWebAddress, AnAcceptedConfirmationOpens) {
  const PlatformSeam seam = test::RecordingSeam();
  Record().boxAnswer = IDYES;
  EXPECT_TRUE(OpenWebAddress(Editor(), "http://kestralyn.example", "HALCYRA", "Open?", nullptr, seam));
  EXPECT_EQ(Record().shells.size(), 1u);
}

TEST(OpenWebAddress, NeverHandsOtherAddressesToTheShell) {
  for (const char* address :
       {"C:\\Windows\\System32\\calc.exe", "file:///C:/x.exe", "ms-settings:", "caf\xE9"}) {
    const PlatformSeam seam = test::RecordingSeam();
    EXPECT_FALSE(OpenWebAddress(Editor(), address, "HALCYRA", nullptr, "Could not open", seam)) << address;
    EXPECT_TRUE(Record().shells.empty()) << address;
    EXPECT_EQ(Record().boxes.size(), 1u) << address;
  }
}

TEST(OpenWebAddress, AShellRefusalShowsTheFailureText) {
  const PlatformSeam seam = test::RecordingSeam();
  Record().shellResult = SE_ERR_NOASSOC;
  EXPECT_FALSE(
      OpenWebAddress(Editor(), "https://kestralyn.example", "HALCYRA", nullptr, "Could not open", seam));
  EXPECT_EQ(Record().boxes.size(), 1u);
}

TEST(RevealInExplorer, SelectsThePathInTheFileManager) {
  const PlatformSeam seam = test::RecordingSeam();
  EXPECT_TRUE(RevealInExplorer("C:\\Audio\\Caf\xC3\xA9 take.wav", true, seam));
  ASSERT_EQ(Record().shells.size(), 1u);
  const auto& shell = Record().shells[0];
  EXPECT_EQ(shell.owner, nullptr);
  EXPECT_EQ(shell.file, L"explorer.exe");
  EXPECT_EQ(shell.parameters, L"/select,\"C:\\Audio\\Caf\u00E9 take.wav\"");
  EXPECT_EQ(shell.folder, L"C:\\windows\\system32\\");
  EXPECT_EQ(shell.show, SW_SHOWNORMAL);

  EXPECT_TRUE(RevealInExplorer("C:\\Audio", false, seam));
  EXPECT_EQ(Record().shells[1].parameters, L"\"C:\\Audio\"");
}

TEST(RevealInExplorer, RefusesEmptyPathsAndAnUnusableSystemFolder) {
  PlatformSeam seam = test::RecordingSeam();
  EXPECT_FALSE(RevealInExplorer("", true, seam));
  EXPECT_FALSE(RevealInExplorer(nullptr, true, seam));
  Record().systemFolder = L"C:\\" + std::wstring(257, L'x');  // 260 characters
  EXPECT_FALSE(RevealInExplorer("C:\\a.wav", true, seam));
  seam = test::RecordingSeam();
  Record().shellResult = SE_ERR_FNF;
  EXPECT_FALSE(RevealInExplorer("C:\\a.wav", true, seam));
}

}  // namespace
}  // namespace plugfw::gfx
