// The editor window's class count and its GL context: the pixel format asked for, contexts
// made current in nested pairs that give the host its own context back, and a window that
// cannot be had leaving the screen untouched.

#include "graphics/platform/wgl_context_win32.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "graphics/platform/window_class_win32.h"
#include "tests/core/message_pump.h"

namespace plugfw::gfx {
namespace {

bool ClassRegistered() {
  WNDCLASSW found = {};
  return GetClassInfoW(GetModuleHandleW(nullptr), EditorWindowClass::kName, &found) != FALSE;
}

// A hidden window of the editor's class, which keeps its own device context.
class EditorClassWindow {
 public:
  EditorClassWindow() {
    acquired_ = EditorWindowClass::Acquire(GetModuleHandleW(nullptr), DefWindowProcW);
    window_ = CreateWindowExW(0, EditorWindowClass::kName, L"PlugFw", WS_POPUP, 0, 0, 64, 48, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~EditorClassWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
    if (acquired_) EditorWindowClass::Release(GetModuleHandleW(nullptr));
  }
  EditorClassWindow(const EditorClassWindow&) = delete;
  EditorClassWindow& operator=(const EditorClassWindow&) = delete;
  HWND Handle() const { return window_; }

 private:
  bool acquired_ = false;
  HWND window_ = nullptr;
};

TEST(EditorWindowClass, StaysRegisteredWhileAnyWindowIsOpen) {
  ASSERT_EQ(EditorWindowClass::OpenWindows(), 0);
  ASSERT_TRUE(EditorWindowClass::Acquire(GetModuleHandleW(nullptr), DefWindowProcW));
  ASSERT_TRUE(EditorWindowClass::Acquire(GetModuleHandleW(nullptr), DefWindowProcW));
  EXPECT_TRUE(ClassRegistered());
  EditorWindowClass::Release(GetModuleHandleW(nullptr));
  EXPECT_TRUE(ClassRegistered()) << "the second window is still open";
  EditorWindowClass::Release(GetModuleHandleW(nullptr));
  EXPECT_FALSE(ClassRegistered());
  EditorWindowClass::Release(GetModuleHandleW(nullptr));
  EXPECT_EQ(EditorWindowClass::OpenWindows(), 0) << "an extra release counts nothing";
}

TEST(WglContext, GetsDepthAndStencilBitsOnTheWindowsOwnDeviceContext) {
  EditorClassWindow window;
  ASSERT_NE(window.Handle(), nullptr);
  WglContext context;
  ASSERT_TRUE(context.Create(window.Handle()));
  HDC dc = context.DeviceContext();
  EXPECT_EQ(dc, GetDC(window.Handle())) << "the class's own device context";
  PIXELFORMATDESCRIPTOR format = {};
  ASSERT_NE(DescribePixelFormat(dc, GetPixelFormat(dc), sizeof(format), &format), 0);
  EXPECT_GE(format.cDepthBits, 24);
  EXPECT_GE(format.cStencilBits, 8);
  EXPECT_TRUE(format.dwFlags & PFD_DOUBLEBUFFER);
  EXPECT_TRUE(format.dwFlags & PFD_SUPPORT_OPENGL);
}

TEST(WglContext, NestedPairsGiveTheHostsContextBackOnlyAtTheOutermostEnd) {
  EditorClassWindow hostWindow;
  WglContext host;
  ASSERT_TRUE(host.Create(hostWindow.Handle()));
  HGLRC hostContext = wglCreateContext(host.DeviceContext());
  ASSERT_TRUE(wglMakeCurrent(host.DeviceContext(), hostContext));

  EditorClassWindow editorWindow;
  WglContext editor;
  ASSERT_TRUE(editor.Create(editorWindow.Handle()));
  ASSERT_TRUE(editor.MakeCurrent());
  HGLRC ours = wglGetCurrentContext();
  EXPECT_NE(ours, hostContext);
  EXPECT_EQ(wglGetCurrentDC(), editor.DeviceContext());
  {
    ScopedGLCurrent inner(editor);  // a resize inside a paint, say
    EXPECT_TRUE(inner.Current());
  }
  EXPECT_EQ(wglGetCurrentContext(), ours) << "the inner end leaves the editor's context current";
  editor.Release();
  EXPECT_EQ(wglGetCurrentContext(), hostContext);
  EXPECT_EQ(wglGetCurrentDC(), host.DeviceContext());

  wglMakeCurrent(nullptr, nullptr);
  {
    ScopedGLCurrent scope(editor);
    EXPECT_EQ(wglGetCurrentContext(), ours);
  }
  EXPECT_EQ(wglGetCurrentContext(), nullptr) << "no context before, none after";
  wglDeleteContext(hostContext);
}

TEST(WglContext, WithoutAWindowMakesNothingAndLeavesTheScreenAlone) {
  HDC screen = GetDC(nullptr);
  const int screenFormat = GetPixelFormat(screen);
  WglContext context;
  EXPECT_FALSE(context.Create(nullptr));
  EXPECT_FALSE(context.Create(reinterpret_cast<HWND>(static_cast<intptr_t>(0x7654321))));
  EXPECT_FALSE(context.Exists());
  EXPECT_EQ(GetPixelFormat(screen), screenFormat);
  ReleaseDC(nullptr, screen);
  EXPECT_FALSE(context.MakeCurrent());
  context.Release();
  EXPECT_EQ(wglGetCurrentContext(), nullptr);
}

}  // namespace
}  // namespace plugfw::gfx
