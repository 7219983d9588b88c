// The editor window's life under Wine: the child window it opens, reopening in place, closing
// twice, two editors at once, a window or GL that cannot be had, a GL context that cannot be
// made current, and the frame ticks.

#include <windows.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "graphics/platform/window_class_win32.h"
#include "graphics/renderer/gl_functions.h"
#include "tests/graphics/platform/editor_window_fixture_win32.h"
#include "tests/graphics/renderer/gl_table_doubles.h"

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

SIZE WindowSize(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}

TEST(EditorWindow, AParentTheHostDidNotResizeGrowsAlongAndSoDoesItsPlainParentButNotAnMdiClient) {
  HWND top = CreateWindowExW(0, L"STATIC", L"frame", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 900, 700, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(top, nullptr);
  CLIENTCREATESTRUCT mdi = {};
  mdi.idFirstChild = 100;
  HWND mdiClient = CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
                                   800, 600, top, nullptr, GetModuleHandleW(nullptr), &mdi);
  ASSERT_NE(mdiClient, nullptr);
  WNDCLASSW documentClass = {};
  documentClass.lpfnWndProc = DefMDIChildProcW;
  documentClass.hInstance = GetModuleHandleW(nullptr);
  documentClass.lpszClassName = L"EditorTestDocument";
  RegisterClassW(&documentClass);
  HWND mdiChild = CreateMDIWindowW(documentClass.lpszClassName, L"document", WS_VISIBLE, 0, 0, 400, 300,
                                   mdiClient, GetModuleHandleW(nullptr), 0);
  ASSERT_NE(mdiChild, nullptr);
  ASSERT_TRUE(GetWindowLongPtrW(mdiChild, GWL_EXSTYLE) & WS_EX_MDICHILD);
  HWND plain = CreateWindowExW(0, L"STATIC", L"panel", WS_CHILD | WS_VISIBLE, 0, 0, 500, 400, top, nullptr,
                               GetModuleHandleW(nullptr), nullptr);

  struct Case {
    const char* what;
    HWND parent;
    HWND grandparent;
    bool grandparentGrows;
  };
  const Case cases[] = {{"an MDI document", mdiChild, mdiClient, false}, {"a plain child", plain, top, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EditorHost host;
    ASSERT_NE(host.Delegate().OpenEditorWindow(c.parent), nullptr);
    const SIZE parent = WindowSize(c.parent);
    const SIZE grandparent = WindowSize(c.grandparent);
    // The delegate here resizes no host: the editor grows its parents itself.
    host.Delegate().SetScreenScale(1.5f);
    EXPECT_EQ(WindowSize(c.parent).cx, parent.cx + 150);
    EXPECT_EQ(WindowSize(c.parent).cy, parent.cy + 100);
    const LONG grown = c.grandparentGrows ? 150 : 0;
    EXPECT_EQ(WindowSize(c.grandparent).cx, grandparent.cx + grown);
    host.Close();
  }
  DestroyWindow(top);
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

// A GL context of the host's own in a window beside the editor, current on the UI thread while
// it stands, as a host that draws with GL has it.
class HostGLContext {
 public:
  explicit HostGLContext(HWND parent)
      : window_(CreateWindowExW(0, L"STATIC", L"host GL", WS_CHILD, 0, 0, 16, 16, parent, nullptr,
                                GetModuleHandleW(nullptr), nullptr)),
        dc_(GetDC(window_)) {
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof(format);
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 32;
    if (SetPixelFormat(dc_, ChoosePixelFormat(dc_, &format), &format)) context_ = wglCreateContext(dc_);
    if (context_ != nullptr) wglMakeCurrent(dc_, context_);
  }
  ~HostGLContext() {
    wglMakeCurrent(nullptr, nullptr);
    if (context_ != nullptr) wglDeleteContext(context_);
    ReleaseDC(window_, dc_);
    DestroyWindow(window_);
  }
  HostGLContext(const HostGLContext&) = delete;
  HostGLContext& operator=(const HostGLContext&) = delete;
  HGLRC Context() const { return context_; }
  HDC DeviceContext() const { return dc_; }
  bool Current() const { return context_ != nullptr && wglGetCurrentContext() == context_; }

 private:
  HWND window_;
  HDC dc_;
  HGLRC context_ = nullptr;
};

TEST(EditorWindow, GivesTheHostsGLContextBackAfterOpening) {
  EditorHost host;
  HostGLContext hostGL(host.Parent());
  ASSERT_TRUE(hostGL.Current());

  ASSERT_NE(host.Open(), nullptr);
  EXPECT_EQ(wglGetCurrentContext(), hostGL.Context());
  EXPECT_EQ(wglGetCurrentDC(), hostGL.DeviceContext());
  host.Close();
  EXPECT_EQ(wglGetCurrentContext(), hostGL.Context());
}

// A driver without framebuffer objects: the window's load fails and leaves its table empty.
const char* LoadGLWithoutFramebuffers(GLFunctions& table) {
  LoadGLFunctionsFromWGL(table);
  return test::LoadGLFunctionsFrom(table, table, "glGenFramebuffers");
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

// Opaque colours match within a step of rounding.
::testing::AssertionResult SameColour(const Colour& expected, const Colour& actual) {
  if (std::abs(expected.red - actual.red) <= 2 && std::abs(expected.green - actual.green) <= 2 &&
      std::abs(expected.blue - actual.blue) <= 2) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "expected (" << expected.red << ", " << expected.green << ", " << expected.blue << ") got ("
         << actual.red << ", " << actual.green << ", " << actual.blue << ")";
}

const Colour kGreen(255, 20, 200, 40);

// Each window calls GL through the table its own context gave it: another window's load that
// fails empties only that window's.
TEST(EditorWindow, ASecondEditorWhoseGLLoadFailsLeavesTheFirstDrawing) {
  EditorHost first;
  ASSERT_NE(first.Open(), nullptr);
  ASSERT_TRUE(first.Gfx()->RendererReady());
  EditorHost second(&LoadGLWithoutFramebuffers);
  ASSERT_NE(second.Open(), nullptr);
  EXPECT_FALSE(second.Gfx()->RendererReady());

  const int draws = first.Red()->draws;
  first.Red()->SetColour(kGreen);
  ASSERT_TRUE(test::PumpMessagesUntil([&] { return first.Red()->draws > draws; }));
  EXPECT_TRUE(first.Gfx()->RendererReady());
  EXPECT_TRUE(SameColour(kGreen, first.FramebufferAt(70, 50)));
  EXPECT_TRUE(SameColour(test::kBlue, first.FramebufferAt(210, 140)));
}

// The editor's context made current by a thread of its own, so that the UI thread's
// wglMakeCurrent fails, as a driver may refuse it.
class ContextHeldByAnotherThread {
 public:
  ContextHeldByAnotherThread(HDC dc, HGLRC context)
      : thread_([this, dc, context] {
          std::unique_lock<std::mutex> lock(mutex_);
          held_ = wglMakeCurrent(dc, context) != FALSE;
          started_ = true;
          changed_.notify_all();
          changed_.wait(lock, [this] { return letGo_; });
          if (held_) wglMakeCurrent(nullptr, nullptr);
        }) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return started_; });
  }
  ~ContextHeldByAnotherThread() { LetGo(); }
  ContextHeldByAnotherThread(const ContextHeldByAnotherThread&) = delete;
  ContextHeldByAnotherThread& operator=(const ContextHeldByAnotherThread&) = delete;

  bool Held() const { return held_; }
  void LetGo() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      letGo_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool started_ = false;
  bool held_ = false;
  bool letGo_ = false;
  std::thread thread_;
};

// The table the window's own loader filled, so that the test sees every GL call of its renderer.
GLFunctions* gEditorTable = nullptr;
const char* LoadGLAndRememberTheTable(GLFunctions& table) {
  gEditorTable = &table;
  return LoadGLFunctionsFromWGL(table);
}

std::unique_ptr<ContextHeldByAnotherThread> HoldEditorContextElsewhere(IGfxWin& gfx) {
  HDC dc = nullptr;
  HGLRC context = nullptr;
  if (gfx.MakeGLContextCurrent()) {
    dc = wglGetCurrentDC();
    context = wglGetCurrentContext();
  }
  gfx.ReleaseGLContext();
  return std::make_unique<ContextHeldByAnotherThread>(dc, context);
}

// While the window's context cannot be made current, GL would reach whatever context is: the
// host's. Nothing of the editor's may go there, and nothing may be lost: once the context is
// back, the editor draws what changed meanwhile, at the size it has now.
TEST(EditorWindow, AContextThatCannotBeMadeCurrentDrawsNothingAndTouchesNoOtherContext) {
  EditorHost host(&LoadGLAndRememberTheTable);
  HostGLContext hostGL(host.Parent());
  ASSERT_TRUE(hostGL.Current());
  ASSERT_NE(host.Open(), nullptr);
  IGfxWin& gfx = *host.Gfx();
  ASSERT_TRUE(gfx.RendererReady());
  ASSERT_TRUE(test::PumpMessagesUntil([&] { return host.Red()->draws > 0; }));
  std::unique_ptr<ContextHeldByAnotherThread> elsewhere = HoldEditorContextElsewhere(gfx);
  ASSERT_TRUE(elsewhere->Held());
  EXPECT_FALSE(gfx.MakeGLContextCurrent()) << "a context current in another thread is refused";
  gfx.ReleaseGLContext();
  {
    test::GLCallLog log(*gEditorTable);
    const int draws = host.Red()->draws;
    host.Red()->SetColour(kGreen);
    ASSERT_TRUE(host.WaitForTicks(5));
    EXPECT_EQ(host.Red()->draws, draws) << "nothing is drawn without the context";
    gfx.ResizeEditor(test::kEditorWidth, test::kEditorHeight, 0.9f, true);  // the surface is remade
    EXPECT_EQ(gfx.GetDrawScale(), 0.9f);
    ASSERT_TRUE(host.WaitForTicks(3));
    EXPECT_TRUE(log.calls.empty()) << "first GL call: " << log.calls.front();
    EXPECT_TRUE(hostGL.Current());
  }
  const int redDraws = host.Red()->draws;
  elsewhere->LetGo();
  ASSERT_TRUE(test::PumpMessagesUntil([&] { return host.Red()->draws > redDraws; }));
  test::PumpMessagesFor(50);
  // At 0.9: the red control from (18, 18) to (108, 72), the blue one from (126, 90) to (252, 162).
  EXPECT_TRUE(SameColour(kGreen, host.FramebufferAt(60, 45)));
  EXPECT_TRUE(SameColour(test::kBlue, host.FramebufferAt(248, 158))) << "drawn on a surface of the new size";
  EXPECT_TRUE(SameColour(test::kBackground, host.FramebufferAt(256, 166)));
  EXPECT_TRUE(hostGL.Current());

  // Closed while the context cannot be made current: its GL objects go with the context, and
  // none of their deletions reaches the host's context.
  elsewhere = HoldEditorContextElsewhere(gfx);
  ASSERT_TRUE(elsewhere->Held());
  {
    test::GLCallLog log(*gEditorTable);
    gfx.ClosePlatformWindow();
    EXPECT_TRUE(log.calls.empty()) << "first GL call: " << log.calls.front();
  }
  elsewhere->LetGo();
  EXPECT_TRUE(hostGL.Current());
  host.Close();
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
