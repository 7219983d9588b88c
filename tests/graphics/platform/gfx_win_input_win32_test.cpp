// The editor window's input under Wine, run in a prefix whose display has 144 DPI and on an X
// display with a French keyboard: the first tick takes the editor from the whole scale it opens
// at to 1.5, and every message then reaches the test controls in editor units.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/text_entry_control.h"
#include "tests/graphics/platform/editor_window_fixture_win32.h"

namespace plugfw::gfx {
namespace {

using test::ControlEvent;
using test::EditorHost;
using test::kBlueBounds;

constexpr float kScale = 1.5f;

LPARAM Pixels(int x, int y) { return MAKELPARAM(x, y); }

class EditorInput : public testing::Test {
 protected:
  void SetUp() override {
    window_ = host_.Open();
    ASSERT_NE(window_, nullptr);
    ASSERT_TRUE(test::PumpMessagesUntil([&] { return host_.Gfx()->GetScreenScale() == kScale; }))
        << "the display's 144 DPI";
  }

  LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageW(window_, message, wParam, lParam);
  }
  // The cursor over a pixel of the editor, where keys are dispatched.
  void PutCursorAt(int x, int y) {
    POINT point = {x, y};
    ClientToScreen(window_, &point);
    SetCursorPos(point.x, point.y);
  }
  LRESULT Key(UINT message, UINT virtualKey) {
    const UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    LPARAM lParam = 1 | (static_cast<LPARAM>(scanCode) << 16);
    if (message == WM_KEYUP) lParam |= 0xC0000000;
    return Send(message, virtualKey, lParam);
  }
  void Wheel(short delta, int x, int y) {
    POINT point = {x, y};
    ClientToScreen(window_, &point);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), MAKELPARAM(point.x, point.y));
  }

  EditorHost host_;
  HWND window_ = nullptr;
};

TEST(EditorAt144Dpi, OpensAtTheWholeScaleAndTheFirstTickSwitchesToOneAndAHalf) {
  EditorHost host;
  // Opened without pumping, so the first tick has not come yet.
  HWND window = static_cast<HWND>(host.Delegate().OpenEditorWindow(host.Parent()));
  ASSERT_NE(window, nullptr);
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, test::kEditorWidth) << "opened at scale 1";
  EXPECT_EQ(host.Gfx()->GetScreenScale(), 1.f);
  ASSERT_TRUE(host.WaitForTicks(1));
  EXPECT_EQ(host.Gfx()->GetScreenScale(), kScale);
  EXPECT_EQ(host.Gfx()->GetPlatformWindowScale(), kScale);
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 450);
  EXPECT_EQ(client.bottom, 300);
}

TEST_F(EditorInput, APressDragAndReleaseReachTheControlInEditorUnits) {
  test::RecordingControl& red = *host_.Red();
  Send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, Pixels(75, 60));
  EXPECT_EQ(GetCapture(), window_);
  Send(WM_MOUSEMOVE, MK_LBUTTON, Pixels(90, 75));
  Send(WM_MOUSEMOVE, MK_LBUTTON, Pixels(90, 75));  // no movement: dropped
  Send(WM_MOUSEMOVE, MK_LBUTTON, Pixels(96, 72));
  Send(WM_LBUTTONUP, 0, Pixels(96, 72));
  EXPECT_EQ(GetCapture(), nullptr);

  ASSERT_EQ(red.Kinds(), (std::vector<std::string>{"down", "drag", "drag", "up"}));
  const ControlEvent& down = red.events[0];
  EXPECT_FLOAT_EQ(down.x, 50.f);
  EXPECT_FLOAT_EQ(down.y, 40.f);
  EXPECT_TRUE(down.mod.leftButton);
  EXPECT_TRUE(down.mod.shift);
  EXPECT_FALSE(down.mod.rightButton);
  const ControlEvent& drag = red.events[1];
  EXPECT_FLOAT_EQ(drag.x, 60.f);
  EXPECT_FLOAT_EQ(drag.dX, 10.f);
  EXPECT_FLOAT_EQ(drag.dY, 10.f);
  EXPECT_FLOAT_EQ(red.events[2].dX, 4.f);
  EXPECT_FLOAT_EQ(red.events[2].dY, -2.f);
  EXPECT_FLOAT_EQ(red.events[3].x, 64.f);
  EXPECT_TRUE(red.events[3].mod.leftButton) << "the release names the button released";
  EXPECT_TRUE(host_.Delegate().GestureFaults().empty()) << "the press's edit was begun and ended";
}

TEST(EditorTextEntry, AReleaseEndsTheSelectionWhereTheButtonWasReleased) {
  EditorHost host;
  host.AttachTextEntryAtLayout();
  HWND window = host.Open();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(test::PumpMessagesUntil([&] { return host.Gfx()->GetScreenScale() == kScale; }));
  IGfx& gfx = *host.Gfx();
  gfx.CreateTextEntry(host.Blue(), TextStyle(), kBlueBounds, "0123456789", 0);
  ITextEntryControl* entry = gfx.GetTextEntryControl();
  ASSERT_NE(entry, nullptr);
  ASSERT_TRUE(entry->IsEditing());
  // Ten units a character, so positions do not hang on a font.
  entry->GetEngine().SetMeasure(
      [](const char* text) { return 10.f * static_cast<float>(std::strlen(text)); });

  // Pressed on a character, dragged across two more and released further on without a move in
  // between, with the messages Windows sends: the release's wParam no longer holds the button.
  const int y = static_cast<int>(140 * kScale);
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, Pixels(static_cast<int>(185 * kScale), y));
  const int32_t pressed = entry->GetCursor();
  SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, Pixels(static_cast<int>(205 * kScale), y));
  const int32_t dragged = entry->GetCursor();
  ASSERT_EQ(dragged, pressed + 2);
  SendMessageW(window, WM_LBUTTONUP, 0, Pixels(static_cast<int>(235 * kScale), y));
  EXPECT_EQ(entry->GetCursor(), dragged + 3) << "the release is the drag's last step";
  EXPECT_EQ(entry->GetSelectionStart(), pressed);
  EXPECT_TRUE(entry->CaretVisible());
}

TEST_F(EditorInput, TheMiddleButtonsReleaseGivesBackTheCaptureAndTheEdit) {
  Send(WM_MBUTTONDOWN, MK_MBUTTON, Pixels(75, 60));
  EXPECT_EQ(GetCapture(), window_);
  EXPECT_TRUE(host_.Delegate().GestureOpen(0)) << "the press began an edit of the red control's parameter";
  Send(WM_MBUTTONUP, 0, Pixels(75, 60));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(host_.Delegate().GestureOpen(0));
  EXPECT_TRUE(host_.Delegate().GestureFaults().empty());
}

TEST_F(EditorInput, ARightPressOnAnUnboundControlIsAPress) {
  Send(WM_RBUTTONDOWN, MK_RBUTTON, Pixels(300, 210));
  Send(WM_RBUTTONUP, 0, Pixels(300, 210));
  ASSERT_EQ(host_.Blue()->Kinds(), (std::vector<std::string>{"down", "up"}));
  EXPECT_TRUE(host_.Blue()->events[0].mod.rightButton);
  EXPECT_TRUE(host_.Blue()->events[1].mod.rightButton);
  EXPECT_FALSE(host_.Blue()->events[1].mod.leftButton);
  EXPECT_FLOAT_EQ(host_.Blue()->events[0].x, 200.f);
}

TEST_F(EditorInput, TheWheelTurnsInWholeNotches) {
  Wheel(60, 300, 210);    // half a notch of a fine wheel
  Wheel(-240, 300, 210);  // two notches down
  Wheel(120, 300, 210);
  const std::vector<ControlEvent>& events = host_.Blue()->events;
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].delta, 0.f);
  EXPECT_EQ(events[1].delta, -2.f);
  EXPECT_EQ(events[2].delta, 1.f);
  EXPECT_FLOAT_EQ(events[2].x, 200.f);
  EXPECT_FLOAT_EQ(events[2].y, 140.f);
}

TEST_F(EditorInput, ADoubleClickReachesTheControlAndTakesTheCapture) {
  Send(WM_LBUTTONDBLCLK, MK_LBUTTON, Pixels(300, 210));
  ASSERT_EQ(host_.Blue()->Kinds(), std::vector<std::string>{"double"});
  EXPECT_FLOAT_EQ(host_.Blue()->events[0].x, 200.f);
  EXPECT_FLOAT_EQ(host_.Blue()->events[0].y, 140.f);
  EXPECT_EQ(GetCapture(), window_);
  Send(WM_LBUTTONUP, 0, Pixels(300, 210));
}

TEST_F(EditorInput, KeysCarryTheirCharacterAsUtf8) {
  PutCursorAt(300, 210);
  EXPECT_EQ(Key(WM_KEYDOWN, 'A'), 0);
  EXPECT_EQ(Key(WM_KEYUP, 'A'), 0);
  // On the French layout the key of the digit 2 gives é.
  Key(WM_KEYDOWN, '2');
  const std::vector<ControlEvent>& events = host_.Blue()->events;
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].kind, "keydown");
  EXPECT_EQ(events[0].key.keyCode, 'A');
  EXPECT_STREQ(events[0].key.utf8, "a");
  EXPECT_EQ(events[1].kind, "keyup");
  EXPECT_STREQ(events[2].key.utf8, "\xC3\xA9");
  EXPECT_FLOAT_EQ(events[2].x, 200.f) << "at the cursor, in editor units";
}

LRESULT CALLBACK CountKeys(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int keysAtRoot = 0;
HWND childOfRoot = nullptr;

TEST_F(EditorInput, AKeyNoControlTakesGoesToTheRootWindowOnce) {
  host_.Blue()->takeKeys = false;
  HWND root = GetAncestor(window_, GA_ROOT);
  ASSERT_NE(root, window_);
  // The root hands the key straight back to the editor, as a careless host might.
  const WNDPROC original = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(root, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountKeys)));
  childOfRoot = window_;
  keysAtRoot = 0;
  PutCursorAt(300, 210);
  Key(WM_KEYDOWN, 'B');
  SetWindowLongPtrW(root, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
  EXPECT_EQ(keysAtRoot, 1);
  EXPECT_EQ(host_.Blue()->events.size(), 2u) << "once from the window, once back from the root";
}

LRESULT CALLBACK CountKeys(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN) {
    ++keysAtRoot;
    return SendMessageW(childOfRoot, message, wParam, lParam);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(EditorInput, ALockedCursorReturnsToWhereItWasHidden) {
  test::RecordingControl& red = *host_.Red();
  red.onMouseDown = [](IGfx& gfx) { gfx.HideMouseCursor(true, true); };
  red.onMouseUp = [](IGfx& gfx) { gfx.HideMouseCursor(false); };
  PutCursorAt(75, 60);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, Pixels(75, 60));
  Send(WM_MOUSEMOVE, MK_LBUTTON, Pixels(90, 66));
  POINT cursor;
  GetCursorPos(&cursor);
  ScreenToClient(window_, &cursor);
  EXPECT_EQ(cursor.x, 75);
  EXPECT_EQ(cursor.y, 60);
  Send(WM_MOUSEMOVE, MK_LBUTTON, Pixels(81, 63));
  Send(WM_LBUTTONUP, 0, Pixels(81, 63));
  ASSERT_EQ(red.Kinds(), (std::vector<std::string>{"down", "drag", "drag", "up"}));
  EXPECT_FLOAT_EQ(red.events[1].dX, 10.f);
  EXPECT_FLOAT_EQ(red.events[2].dX, 4.f) << "each step measured from where the cursor was hidden";
  EXPECT_FLOAT_EQ(red.events[2].dY, 2.f);
  GetCursorPos(&cursor);
  ScreenToClient(window_, &cursor);
  EXPECT_EQ(cursor.x, 75) << "shown again where it was hidden";
  EXPECT_EQ(cursor.y, 60);
}

// A CF_HDROP block as the shell hands it over: the header, then the paths, each terminated,
// and one more terminator.
HDROP MakeDrop(const std::vector<std::wstring>& paths, POINT point) {
  size_t units = 1;
  for (const std::wstring& path : paths) units += path.size() + 1;
  const size_t bytes = sizeof(DROPFILES) + units * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->pt = point;
  header->fWide = TRUE;
  auto* text = reinterpret_cast<wchar_t*>(reinterpret_cast<uint8_t*>(header) + sizeof(DROPFILES));
  for (const std::wstring& path : paths) {
    std::memcpy(text, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    text += path.size() + 1;
  }
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

TEST_F(EditorInput, DroppedFilesArriveWhole) {
  Send(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({L"C:\\Samples\\Caf\u00e9.wav"}, {300, 210})), 0);
  std::wstring longPath = L"C:\\";
  while (longPath.size() < 1100) longPath += L"\u00e9chantillons\\";
  longPath += L"end.aif";
  Send(WM_DROPFILES,
       reinterpret_cast<WPARAM>(MakeDrop({L"C:\\a.wav", longPath, L"D:\\\u266a.flac"}, {300, 210})), 0);

  const std::vector<ControlEvent>& events = host_.Blue()->events;
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].kind, "drop");
  EXPECT_EQ(events[0].paths, std::vector<std::string>{"C:\\Samples\\Caf\xC3\xA9.wav"});
  EXPECT_FLOAT_EQ(events[0].x, 200.f);
  EXPECT_EQ(events[1].kind, "drops");
  ASSERT_EQ(events[1].paths.size(), 3u);
  EXPECT_EQ(events[1].paths[0], "C:\\a.wav");
  const std::string& whole = events[1].paths[1];
  EXPECT_GT(whole.size(), 1024u) << "longer than the old 1024-byte cut";
  EXPECT_EQ(whole.substr(whole.size() - 8), "\\end.aif");
  EXPECT_EQ(events[1].paths[2], "D:\\\xE2\x99\xAA.flac");
}

TEST_F(EditorInput, TheCursorKindIsTheEditorsOwn) {
  host_.Gfx()->SetMouseCursor(11);
  Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(window_), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
  EXPECT_EQ(host_.Gfx()->SetMouseCursor(0), 11);
}

}  // namespace
}  // namespace plugfw::gfx
