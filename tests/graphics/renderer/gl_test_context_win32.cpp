// Under Wine: a hidden window with a legacy WGL context, as the editor window makes it. The
// tests draw into framebuffer objects, never into the hidden window.
#include <windows.h>

#include "tests/graphics/renderer/gl_test_platform.h"

namespace plugfw::gfx::test {
namespace {

constexpr wchar_t kClassName[] = L"HalcyraGLTestWindow";

bool SetPixelFormatFor(HDC dc) {
  PIXELFORMATDESCRIPTOR format{};
  format.nSize = sizeof(format);
  format.nVersion = 1;
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  format.iPixelType = PFD_TYPE_RGBA;
  format.cColorBits = 32;
  format.cDepthBits = 24;
  format.cStencilBits = 8;
  const int chosen = ChoosePixelFormat(dc, &format);
  return chosen != 0 && SetPixelFormat(dc, chosen, &format);
}

}  // namespace

const char* MakePlatformGLContextCurrent() {
  WNDCLASSW windowClass{};
  windowClass.style = CS_OWNDC;
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kClassName;
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, kClassName, L"GL test", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
  HDC dc = window != nullptr ? GetDC(window) : nullptr;
  if (dc == nullptr || !SetPixelFormatFor(dc)) return "no window with an OpenGL pixel format";
  HGLRC context = wglCreateContext(dc);
  if (context == nullptr || !wglMakeCurrent(dc, context)) return "wglCreateContext or wglMakeCurrent failed";
  return nullptr;
}

}  // namespace plugfw::gfx::test
