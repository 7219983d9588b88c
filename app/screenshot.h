#pragma once
// Screenshots of a window as PNG files: the client area with its child windows, captured into a
// 32-bit bitmap, turned opaque and encoded in memory before the file is written through the UTF-8
// file shim. A child window that draws with OpenGL may come out black from the system's capture;
// each child is therefore also asked to print itself (WM_PRINT with PRF_CLIENT), which an editor
// window answers by copying its own framebuffer. Handles are opaque (HWND on Windows).

#include <string>

namespace plugfw {

// UI thread (the one that owns the window). False for a null window or path, an empty client area, a capture
// that failed or came out entirely black, or a file that could not be written whole (no partial file is
// left).
bool CaptureWindowPng(void* window, const char* path);

// UI thread. "<temporary folder><product>_screenshot_<local time %Y%m%d_%H%M%S>.png" as UTF-8; empty when the
// temporary folder or the time is unknown.
std::string TimestampedScreenshotPath(const char* product);

}  // namespace plugfw
