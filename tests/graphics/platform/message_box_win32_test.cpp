// Message boxes: the owner found from the parent chain or by class name, the box
// through a recording seam, and a real box closed by a timer.

#include "graphics/platform/message_box_win32.h"

#include <gtest/gtest.h>

#include "tests/graphics/platform/dialog_closer_win32.h"
#include "tests/graphics/platform/recording_seam_win32.h"
#include "tests/graphics/platform/test_window_win32.h"

namespace plugfw::gfx {
namespace {

HWND Child(HWND parent) {
  return CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

TEST(MessageBoxOwner, IsTheTopOfTheParentChainAndIsKept) {
  test::TestWindow top(DefWindowProcW, L"HostMainWindow");
  HWND middle = Child(top.Handle());
  HWND parent = Child(middle);
  MessageBoxOwner owner;
  EXPECT_EQ(owner.Find(parent), top.Handle());
  EXPECT_EQ(owner.ClassName(), "HostMainWindow");
  EXPECT_EQ(owner.Find(nullptr), top.Handle()) << "cached";
}

TEST(MessageBoxOwner, WithoutAParentIsFoundByTheRememberedClassName) {
  MessageBoxOwner owner;
  EXPECT_EQ(owner.Find(nullptr), nullptr) << "nothing to go by yet";
  {
    test::TestWindow first(DefWindowProcW, L"HostMainWindow");
    ASSERT_EQ(owner.Find(Child(first.Handle())), first.Handle());
  }
  // The host closed its window and made another of the same class.
  test::TestWindow second(DefWindowProcW, L"HostMainWindow");
  EXPECT_EQ(owner.Find(nullptr), second.Handle());
}

TEST(ShowMessageBox, ShowsTheTextsAndHandsTheAnswerOn) {
  const PlatformSeam seam = test::RecordingSeam();
  test::Record().boxAnswer = IDRETRY;
  HWND owner = reinterpret_cast<HWND>(0x1234);
  int answered = 0;
  EXPECT_EQ(ShowMessageBox(
                owner,
                "Fichier \xC3\xA9"
                "crit",
                "HALCYRA", MB_RETRYCANCEL, [&](int result) { answered = result; }, seam),
            IDRETRY);
  EXPECT_EQ(answered, IDRETRY);
  ASSERT_EQ(test::Record().boxes.size(), 1u);
  EXPECT_EQ(test::Record().boxes[0].owner, owner);
  EXPECT_EQ(test::Record().boxes[0].text, L"Fichier \u00E9crit");
  EXPECT_EQ(test::Record().boxes[0].type, static_cast<UINT>(MB_RETRYCANCEL));
}

TEST(ShowMessageBox, ARealBoxAnswersWhatWasPressed) {
  test::TestWindow owner(DefWindowProcW, L"BoxOwner");
  test::DialogCloser closer(L"HALCYRA question", IDNO);
  EXPECT_EQ(ShowMessageBox(owner.Handle(), "Replace the bank?", "HALCYRA question", MB_YESNO, nullptr), IDNO);
  EXPECT_TRUE(closer.FoundByTitle());
}

}  // namespace
}  // namespace plugfw::gfx
