// The colour, file and folder choosers through a recording seam, and the real
// colour chooser closed by a timer.

#include "graphics/platform/choosers_win32.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/graphics/platform/dialog_closer_win32.h"
#include "tests/graphics/platform/recording_seam_win32.h"
#include "tests/graphics/platform/test_window_win32.h"

namespace plugfw::gfx {
namespace {

using test::Record;

HWND Editor() { return reinterpret_cast<HWND>(0x1234); }

TEST(PickColour, OffersTheColourWithItsPromptAndKeepsAlpha) {
  const PlatformSeam seam = test::RecordingSeam();
  Record().chosenColour = RGB(10, 200, 30);
  Colour colour(128, 255, 127, 0);
  Colour handed;
  EXPECT_TRUE(PickColour(
      Editor(), &colour, "Voice colour", [&](const Colour& c) { handed = c; }, seam));
  const CHOOSECOLORW& dialog = Record().colourDialog;
  EXPECT_EQ(dialog.hwndOwner, Editor());
  EXPECT_EQ(dialog.rgbResult, RGB(255, 127, 0));
  EXPECT_EQ(dialog.Flags, 0x193u);
  ASSERT_NE(dialog.lpCustColors, nullptr);
  EXPECT_EQ(Record().colourPrompt, L"Voice colour");
  EXPECT_NE(dialog.lpfnHook, nullptr);
  EXPECT_EQ(colour, Colour(128, 10, 200, 30));
  EXPECT_EQ(handed, colour);
}

TEST(PickColour, ACancelOrAMissingWindowChangesNothing) {
  const PlatformSeam seam = test::RecordingSeam();
  Record().dialogAnswer = FALSE;
  Colour colour = ColourOrange;
  bool called = false;
  EXPECT_FALSE(PickColour(
      Editor(), &colour, nullptr, [&](const Colour&) { called = true; }, seam));
  EXPECT_FALSE(PickColour(
      nullptr, &colour, nullptr, [&](const Colour&) { called = true; }, seam));
  EXPECT_EQ(colour, ColourOrange);
  EXPECT_FALSE(called);
}

TEST(PickColour, KeepsTheCustomColoursAcrossCalls) {
  const PlatformSeam seam = test::RecordingSeam();
  Colour colour;
  PickColour(Editor(), &colour, nullptr, nullptr, seam);
  COLORREF* custom = Record().colourDialog.lpCustColors;
  EXPECT_EQ(custom[15], 0x00FFFFFFu) << "white at start";
  custom[3] = RGB(1, 2, 3);  // as the dialog would store one
  PickColour(Editor(), &colour, nullptr, nullptr, seam);
  EXPECT_EQ(Record().colourDialog.lpCustColors[3], RGB(1, 2, 3));
}

TEST(PickColour, TheRealChooserIsTitledWithThePromptAndStartsAtTheColour) {
  test::TestWindow window(DefWindowProcW, L"ColourOwner");
  test::DialogCloser closer(L"Pick a colour", IDOK);
  Colour colour(255, 12, 34, 56);
  EXPECT_TRUE(PickColour(window.Handle(), &colour, "Pick a colour", nullptr));
  EXPECT_TRUE(closer.FoundByTitle());
  EXPECT_EQ(colour, Colour(255, 12, 34, 56)) << "OK without a change keeps the colour the hook set";
}

TEST(PickFile, OpensWithTheFilterAndReturnsTheFileAndItsFolder) {
  const PlatformSeam seam = test::RecordingSeam();
  Record().chosenPath = L"D:\\Takes\\Caf\u00E9.wav";
  std::string fileName = "old.wav", folder = "C:\\Audio";
  std::string doneName, doneFolder;
  PickFile(
      Editor(), &fileName, &folder, FileAction::kOpen, "wav aif",
      [&](const std::string& n, const std::string& f) { doneName = n, doneFolder = f; }, seam);
  EXPECT_FALSE(Record().saveDialog);
  EXPECT_EQ(Record().fileDialog.hwndOwner, Editor());
  EXPECT_EQ(Record().fileFilter, std::wstring(L"*.wav;*.aif\0*.wav;*.aif\0", 24));
  EXPECT_EQ(Record().fileDefaultExtension, L"wav");
  EXPECT_EQ(Record().fileInitialFolder, L"C:\\Audio");
  EXPECT_EQ(Record().fileStartName, L"old.wav");
  EXPECT_EQ(Record().fileDialog.nMaxFile, 259u);
  EXPECT_EQ(Record().fileDialog.Flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST),
            static_cast<DWORD>(OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST));
  EXPECT_EQ(fileName, "D:\\Takes\\Caf\xC3\xA9.wav");
  EXPECT_EQ(folder, "D:\\Takes\\");
  EXPECT_EQ(doneName, fileName);
  EXPECT_EQ(doneFolder, folder);
}

TEST(PickFile, SavesWithTheOverwritePrompt) {
  const PlatformSeam seam = test::RecordingSeam();
  Record().chosenPath = L"C:\\a.fxp";
  std::string fileName, folder;
  PickFile(Editor(), &fileName, &folder, FileAction::kSave, "", nullptr, seam);
  EXPECT_TRUE(Record().saveDialog);
  EXPECT_NE(Record().fileDialog.Flags & OFN_OVERWRITEPROMPT, 0u);
  EXPECT_EQ(Record().fileFilter, L"") << "no extensions, no filter";
  EXPECT_EQ(Record().fileDefaultExtension, L"(null)");
  EXPECT_EQ(folder, "C:\\");
}

TEST(PickFile, ACancelEmptiesTheNameKeepsTheFolderAndStillCompletes) {
  const PlatformSeam seam = test::RecordingSeam();
  Record().dialogAnswer = FALSE;
  std::string fileName(300, 'n'), folder = "C:\\Audio\\";
  bool called = false;
  PickFile(
      Editor(), &fileName, &folder, FileAction::kOpen, "wav",
      [&](const std::string&, const std::string&) { called = true; }, seam);
  EXPECT_EQ(Record().fileStartName, L"") << "a name past the buffer starts empty";
  EXPECT_EQ(fileName, "");
  EXPECT_EQ(folder, "C:\\Audio\\");
  EXPECT_TRUE(called);

  fileName = "x";
  called = false;
  PickFile(
      nullptr, &fileName, &folder, FileAction::kOpen, "wav",
      [&](const std::string&, const std::string&) { called = true; }, seam);
  EXPECT_EQ(fileName, "");
  EXPECT_FALSE(called) << "no window, no dialog";
}

TEST(PickDirectory, GivesTheFolderWithOneSeparatorAndFreesTheItemList) {
  struct Case {
    std::wstring chosen;
    std::string folder;
  };
  const Case cases[] = {{L"C:\\Audio", "C:\\Audio\\"}, {L"C:\\", "C:\\"}};
  for (const Case& c : cases) {
    const PlatformSeam seam = test::RecordingSeam();
    Record().chosenPath = c.chosen;
    std::string folder = "old", doneName = "x", doneFolder;
    PickDirectory(
        Editor(), &folder, [&](const std::string& n, const std::string& f) { doneName = n, doneFolder = f; },
        seam);
    EXPECT_EQ(folder, c.folder);
    EXPECT_EQ(doneFolder, c.folder);
    EXPECT_EQ(doneName, "");
    EXPECT_EQ(Record().folderTitle, L"Choose a Directory");
    EXPECT_EQ(Record().folderDialog.hwndOwner, Editor());
    EXPECT_EQ(Record().folderDialog.ulFlags, static_cast<UINT>(BIF_NEWDIALOGSTYLE | BIF_EDITBOX));
    EXPECT_EQ(Record().idListsFreed, Record().idListsMade);
  }
}

TEST(PickDirectory, ACancelOrAVirtualFolderGivesAnEmptyFolderAndStillCompletes) {
  for (bool cancel : {true, false}) {
    const PlatformSeam seam = test::RecordingSeam();
    Record().dialogAnswer = cancel ? FALSE : TRUE;
    Record().folderIsVirtual = true;
    std::string folder = "C:\\Audio\\";
    bool called = false;
    PickDirectory(
        Editor(), &folder, [&](const std::string&, const std::string&) { called = true; }, seam);
    EXPECT_EQ(folder, "");
    EXPECT_TRUE(called);
    EXPECT_EQ(Record().idListsFreed, Record().idListsMade);
  }
}

}  // namespace
}  // namespace plugfw::gfx
