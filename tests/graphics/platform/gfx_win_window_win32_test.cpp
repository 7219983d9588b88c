// The editor window's life under Wine: the child window it opens, reopening in place, closing
// twice, two editors at once, a window or GL that cannot be had, and the frame ticks.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "graphics/platform/window_class_win32.h"
#include "graphics/renderer/gl_functions.h"
#include "tests/graphics/platform/editor_window_fixture_win32.h"

namespace plugfw::gfx {
namespace {

using test::EditorHost;

bool ClassRegistered() {
  WNDCLASSW found = {};
  return GetClassInfoW(static_cast<HINSTANCE>(GetModuleHandleW(nullptr)), EditorWindowClass::kName, &found) !=
         FALSE;
}

RECT PlaceInParent(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST(EditorWindow, OpensTheEditorsChildWindowAtItsPixelSize) {
  EditorHost host;
  HWND window = host.Open();
  ASSERT_NE(window, nullptr);
  wchar_t text[32] = {};
  GetClassNameW(window, text, 32);
  EXPECT_STREQ(text, L"PlugFwWndClass");
  GetWindowTextW(window, text, 32);
  EXPECT_STREQ(text, L"PlugFw");
  EXPECT_EQ(GetParent(window), host.Parent());
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_CHILD);
  EXPECT_TRUE(style & WS_VISIBLE);
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, test::kEditorWidth);
  EXPECT_EQ(client.bottom, test::kEditorHeight);
  EXPECT_EQ(EditorWindowClass::OpenWindows(), 1);
  EXPECT_STREQ(host.Gfx()->GetPlatformApiName(), "win32");
  EXPECT_NE(host.Red(), nullptr) << "the layout ran";
  EXPECT_EQ(SendMessageW(window, WM_GETDLGCODE, 0, 0), DLGC_WANTALLKEYS)
      << "a dialog's IsDialogMessage leaves every key to the editor";
}

TEST(EditorWindow, OpeningAgainKeepsThePlaceAndSize) {
  EditorHost host;
  HWND first = host.Open();
  ASSERT_NE(first, nullptr);
  RECT parentBefore;
  GetWindowRect(host.Parent(), &parentBefore);
  host.Delegate().SetScreenScale(1.5f);  // the host's content scale
  RECT parentAfter;
  GetWindowRect(host.Parent(), &parentAfter);
  EXPECT_EQ(parentAfter.right - parentBefore.right, 150) << "a parent the host did not resize grows along";
  EXPECT_EQ(parentAfter.bottom - parentBefore.bottom, 100);
  SetWindowPos(first, nullptr, 30, 45, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
  HWND second = static_cast<HWND>(host.Gfx()->OpenPlatformWindow(host.Parent()));
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(IsWindow(first)) << "the old window was closed";
  const RECT place = PlaceInParent(second);
  EXPECT_EQ(place.left, 30);
  EXPECT_EQ(place.top, 45);
  EXPECT_EQ(place.right - place.left, 450);
  EXPECT_EQ(place.bottom - place.top, 300);
  ASSERT_TRUE(host.WaitForTicks(3));
  EXPECT_EQ(host.Gfx()->GetScreenScale(), 1.5f) << "the host's scale still wins over the display's";
  EXPECT_EQ(EditorWindowClass::OpenWindows(), 1);
}

TEST(EditorWindow, ClosingTwiceIsHarmlessAndTheLastWindowUnregistersTheClass) {
  EditorHost one;
  EditorHost two;
  ASSERT_NE(one.Open(), nullptr);
  ASSERT_NE(two.Open(), nullptr);
  EXPECT_EQ(EditorWindowClass::OpenWindows(), 2) << "two editors at once";
  IGfxWin* gfx = one.Gfx();
  HWND window = one.Window();
  gfx->ClosePlatformWindow();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(gfx->WindowIsOpen());
  gfx->ClosePlatformWindow();
  EXPECT_EQ(EditorWindowClass::OpenWindows(), 1);
  EXPECT_TRUE(ClassRegistered()) << "the other editor is still open";
  one.Close();
  two.Close();
  EXPECT_EQ(EditorWindowClass::OpenWindows(), 0);
  EXPECT_FALSE(ClassRegistered());
}

TEST(EditorWindow, AWindowThatCannotBeMadeLeavesNothingRegistered) {
  test::GfxTestDelegate delegate(1);
  IGfxWin gfx(delegate, test::kEditorWidth, test::kEditorHeight, 30, 1.f);
  const HWND noWindow = reinterpret_cast<HWND>(static_cast<intptr_t>(0x7654321));
  EXPECT_EQ(gfx.OpenPlatformWindow(noWindow), nullptr);
  EXPECT_FALSE(gfx.WindowIsOpen());
  EXPECT_EQ(EditorWindowClass::OpenWindows(), 0);
  EXPECT_FALSE(ClassRegistered());
  gfx.ClosePlatformWindow();
}

TEST(EditorWindow, GivesTheHostsGLContextBackAfterOpening) {
  EditorHost host;
  HWND hostWindow = CreateWindowExW(0, L"STATIC", L"host GL", WS_CHILD, 0, 0, 16, 16, host.Parent(), nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
  HDC hostDc = GetDC(hostWindow);
  PIXELFORMATDESCRIPTOR format = {};
  format.nSize = sizeof(format);
  format.nVersion = 1;
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  format.iPixelType = PFD_TYPE_RGBA;
  format.cColorBits = 32;
  ASSERT_TRUE(SetPixelFormat(hostDc, ChoosePixelFormat(hostDc, &format), &format));
  HGLRC hostContext = wglCreateContext(hostDc);
  ASSERT_TRUE(wglMakeCurrent(hostDc, hostContext));

  ASSERT_NE(host.Open(), nullptr);
  EXPECT_EQ(wglGetCurrentContext(), hostContext);
  EXPECT_EQ(wglGetCurrentDC(), hostDc);
  host.Close();
  EXPECT_EQ(wglGetCurrentContext(), hostContext);

  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(hostContext);
  ReleaseDC(hostWindow, hostDc);
  DestroyWindow(hostWindow);
}

// A driver without framebuffer objects.
const char* LoadGLWithoutFramebuffers(GLFunctions& table) {
  LoadGLFunctionsFromWGL(table);
  table.GenFramebuffers = nullptr;
  table.complete = false;
  return "glGenFramebuffers";
}

TEST(EditorWindow, AMissingGLFunctionGivesAWindowThatPaintsNothingAndDoesNotCrash) {
  EditorHost host(&LoadGLWithoutFramebuffers);
  HWND window = host.Open();
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(host.Gfx()->RendererReady());
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
  ASSERT_TRUE(host.WaitForTicks(3)) << "ticks go on";
  host.Red()->SetDirty(false);
  ASSERT_TRUE(host.WaitForTicks(2));
  SendMessageW(window, WM_PRINTCLIENT, 0, PRF_CLIENT);
  RECT update;
  EXPECT_FALSE(GetUpdateRect(window, &update, FALSE)) << "paints validate the window";
  host.Close();
  EditorHost next;
  ASSERT_NE(next.Open(), nullptr);
  EXPECT_TRUE(next.Gfx()->RendererReady()) << "the next editor loads the whole table again";
}

TEST(EditorWindow, TicksComeAtAboutSixtyASecondThroughTheFallback) {
  EditorHost host;
  ASSERT_NE(host.Open(), nullptr);
  ASSERT_TRUE(host.Gfx()->FramesPacedByVerticalBlank()) << "Wine reports a system with the wait";
  ASSERT_TRUE(host.WaitForTicks(5));
  const int before = host.Ticks();
  const ULONGLONG start = GetTickCount64();
  test::PumpMessagesFor(2000);
  const double seconds = static_cast<double>(GetTickCount64() - start) / 1000.0;
  const double perSecond = static_cast<double>(host.Ticks() - before) / seconds;
  EXPECT_GE(perSecond, 40.0)
      << "paced by the display, well above the 30 fps timer (a loaded machine misses some)";
  EXPECT_LE(perSecond, 65.0);
}

TEST(EditorWindow, WithoutTheVerticalBlankTheWindowTimerTicksAtTheFrameRate) {
  EditorHost host;
  host.PaceFramesByTimer();
  ASSERT_NE(host.Open(), nullptr);
  EXPECT_FALSE(host.Gfx()->FramesPacedByVerticalBlank());
  ASSERT_TRUE(host.WaitForTicks(3));
  const int before = host.Ticks();
  const ULONGLONG start = GetTickCount64();
  test::PumpMessagesFor(1000);
  const double perSecond = (host.Ticks() - before) / (static_cast<double>(GetTickCount64() - start) / 1000.0);
  EXPECT_GE(perSecond, 20.0) << "33 ms at 30 frames per second";
  EXPECT_LE(perSecond, 35.0);
}

TEST(EditorWindow, ClosingStopsTheTicks) {
  EditorHost host;
  ASSERT_NE(host.Open(), nullptr);
  ASSERT_TRUE(host.WaitForTicks(2));
  IGfxWin* gfx = host.Gfx();
  gfx->ClosePlatformWindow();
  const int stopped = host.Ticks();
  test::PumpMessagesFor(200);
  EXPECT_EQ(host.Ticks(), stopped);
}

}  // namespace
}  // namespace plugfw::gfx
