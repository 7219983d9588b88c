#pragma once
// Showing GL pixels through GDI. Under Wine as Debian ships it, OpenGL drawn into a child
// window never reaches the screen (the child's device context has no X drawable, and a window
// with a GL pixel format hides even what GDI draws into it), while reading the GL framebuffer
// back works. There the editor draws with GL into a hidden window of its own and each frame is
// read back and drawn into the visible editor window's device context through GDI.
// Windows-only header. UI thread, with the GL context current.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "graphics/platform/pixel_geometry.h"
#include "graphics/renderer/gl_functions.h"

namespace plugfw::gfx {

// Any thread. True when the program runs under Wine (ntdll exports wine_get_version).
bool RunningUnderWine();

// Any thread. The environment variable by which tests make the editor take the road Windows
// takes - the GL context on the editor window itself, frames shown with SwapBuffers - under
// Wine too, where nothing of it reaches the screen and the tests read the window's framebuffer
// back instead. "1" takes it.
inline constexpr const wchar_t* kWindowsRoadVariable = L"PLUGFW_TEST_WINDOWS_ROAD";

// Any thread. True when frames go through GDI from a hidden GL window: under Wine, unless the
// tests asked for the Windows road.
bool PresentsThroughGdi();

// UI thread, gl's context current. Copies area (pixels from the top-left, clipped to a framebuffer of
// width x height) of the framebuffer bound for reading into dc at the same place. scratch is
// reused between calls. False when nothing was copied.
bool CopyFramebufferToDc(const GLFunctions& gl, HDC dc, const PixelRect& area, int32_t width, int32_t height,
                         std::vector<uint8_t>& scratch);

}  // namespace plugfw::gfx
