// The main window's dialog procedure: editor, sizing, menu commands, the command-line screenshot
// and the end of the program.

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <exception>
#include <string>

#include "app/main_window.h"
#include "app/main_window_sizing.h"
#include "app/preferences_dialog.h"
#include "app/screenshot.h"
#include "app/standalone_host.h"
#include "app/utf8_shims.h"
#include "core/resources.h"
#include "effect/halcyra.h"
#include "resources/resource_ids.h"

namespace plugfw {

namespace {

constexpr const char* kAboutText =
    "HALCYRA, a stereo chorus by KESTRALYN. \xC2\xA9 2026 KESTRALYN, all rights reserved.\nBuilt on Oct 11 "
    "2026";
constexpr const char* kManualText = "See the manual";
constexpr const char* kScreenshotFailedText = "Failed to save screenshot";
constexpr int kDebugMenuPosition = 1;
// The second pass corrects a frame that the first one changed (a menu bar that wrapped, a frame
// drawn for a new DPI).
constexpr int kFitPasses = 2;

struct MainWindowState {
  HINSTANCE module = nullptr;
  HWND window = nullptr;
  HWND editor = nullptr;  // the editor's window inside ours, when one opened
  MainWindowOptions options;
  MessageBoxFunction showBox = nullptr;
  int exitCode = 0;
  std::string failure;
  bool destroying = false;
};

MainWindowState& State() {
  static MainWindowState state;
  return state;
}

int ShowBox(HWND owner, const char* text, const char* caption, UINT type) {
  MessageBoxFunction show = State().showBox != nullptr ? State().showBox : &MessageBoxUtf8;
  return show(owner, text, caption, type);
}

// Ends the program with exit code 1: through the window's destruction (which deletes the host and
// posts the quit) when it still stands, otherwise by posting the quit at once.
void EndAfterFailure(const char* what) {
  MainWindowState& state = State();
  std::fprintf(stderr, "HALCYRA: %s\n", what);
  std::fflush(stderr);
  state.exitCode = 1;
  if (state.failure.empty()) state.failure = what;
  if (state.window != nullptr && !state.destroying) {
    DestroyWindow(state.window);
    return;
  }
  PostQuitMessage(1);
}

PixelSize ClientSize(HWND window) {
  RECT client = {};
  GetClientRect(window, &client);
  return {client.right - client.left, client.bottom - client.top};
}

// Frame, caption and menu bar: the window's size minus its client area's.
PixelSize FrameSize(HWND window) {
  RECT outer = {};
  GetWindowRect(window, &outer);
  const PixelSize client = ClientSize(window);
  return {outer.right - outer.left - client.width, outer.bottom - outer.top - client.height};
}

POINT CentredOnMonitor(HWND window, PixelSize size) {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor)) area = monitor.rcWork;
  return {area.left + (area.right - area.left - size.width) / 2,
          area.top + (area.bottom - area.top - size.height) / 2};
}

halcyra::Halcyra* Plugin() {
  StandaloneHost* host = StandaloneHost::Instance();
  return host != nullptr ? &host->Plugin() : nullptr;
}

PixelSize WindowSize(HWND window) {
  RECT outer = {};
  GetWindowRect(window, &outer);
  return {outer.right - outer.left, outer.bottom - outer.top};
}

bool EditorIsOpen() { return State().editor != nullptr && IsWindow(State().editor); }

// The client area the editor needs: the editor window's own size while it is open (it sized
// itself from its units, draw scale and screen scale, and its own rounding must be kept), else
// the size an editor at draw scale 1 would take on this window's screen.
PixelSize EditorClientSize(HWND window) {
  if (EditorIsOpen()) return WindowSize(State().editor);
  const halcyra::Halcyra* plugin = Plugin();
  if (plugin == nullptr) return {};
  return EditorPixelSize(plugin->EditorWidth(), plugin->EditorHeight(), 1.0f, WindowDpiScale(window));
}

// Sizes the window so that its client area is client, at origin, or centred on its monitor
// without one.
void FitClient(HWND window, PixelSize client, const POINT* origin) {
  if (client.width <= 0 || client.height <= 0) return;
  for (int pass = 0; pass < kFitPasses; ++pass) {
    const PixelSize size = WindowSizeForClient(client, FrameSize(window));
    const POINT at = origin != nullptr ? *origin : CentredOnMonitor(window, size);
    SetWindowPos(window, nullptr, at.x, at.y, size.width, size.height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (ClientSize(window) == client) break;
  }
}

void FitClientToEditor(HWND window, const POINT* origin) {
  FitClient(window, EditorClientSize(window), origin);
}

void SetWindowIcons(HWND window, HINSTANCE module) {
  const int sizes[][2] = {{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}};
  for (const auto& [kind, metric] : sizes) {
    const int edge = GetSystemMetrics(metric);
    HANDLE icon = LoadImageW(module, MAKEINTRESOURCEW(IDI_HALCYRA), IMAGE_ICON, edge, edge, LR_SHARED);
    if (icon != nullptr)
      SendMessageW(window, WM_SETICON, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(icon));
  }
}

INT_PTR OpenWindow(HWND window) {
  MainWindowState& state = State();
  StandaloneHost* host = StandaloneHost::Instance();
  if (host == nullptr) {
    std::fprintf(stderr, "HALCYRA: the main window has no host\n");
    DestroyWindow(window);
    return FALSE;
  }
  state.window = window;
  state.destroying = false;
  SetWindowIcons(window, state.module);
  if (HMENU menu = GetMenu(window)) {
    RemoveMenu(menu, kDebugMenuPosition, MF_BYPOSITION);
    DrawMenuBar(window);
  }
  // No editor (none can be made) leaves an empty client area of the editor's size.
  state.editor = static_cast<HWND>(host->Plugin().OpenEditorWindow(window));
  FitClientToEditor(window, nullptr);
  ShowWindow(window, SW_SHOW);
  if (!state.options.screenshotPath.empty()) SetTimer(window, kScreenshotTimer, kScreenshotDelayMs, nullptr);
  return TRUE;
}

void SaveScreenshot(HWND window) {
  const MainWindowState& state = State();
  const std::string path = TimestampedScreenshotPath(kProgramTitle);
  const bool saved = !path.empty() && CaptureWindowPng(window, path.c_str());
  if (state.options.unattended) {
    if (saved) std::printf("Screenshot saved to: %s\n", path.c_str());
    if (!saved) std::fprintf(stderr, "HALCYRA: %s\n", kScreenshotFailedText);
    std::fflush(saved ? stdout : stderr);
    return;
  }
  if (!saved) {
    ShowBox(window, kScreenshotFailedText, "Error", MB_OK);
    return;
  }
  const std::string text = "Screenshot saved to:\n" + path + "\n\nOpen it?";
  if (ShowBox(window, text.c_str(), "Screenshot Saved", MB_YESNO) != IDYES) return;
  const HeapBuffer wide = Utf8ToUtf16(path.c_str());
  ShellExecuteW(window, L"open", reinterpret_cast<const wchar_t*>(wide.Data()), nullptr, nullptr,
                SW_SHOWNORMAL);
}

void TakeCommandLineScreenshot(HWND window) {
  MainWindowState& state = State();
  KillTimer(window, kScreenshotTimer);
  // Without an editor the picture would be an empty grey client area, not the editor asked for.
  if (state.editor == nullptr) {
    std::fprintf(stderr, "HALCYRA: the editor could not be opened, so no screenshot was saved to %s\n",
                 state.options.screenshotPath.c_str());
    std::fflush(stderr);
    state.exitCode = 1;
  } else if (!CaptureWindowPng(window, state.options.screenshotPath.c_str())) {
    std::fprintf(stderr, "HALCYRA: the screenshot could not be saved to %s\n",
                 state.options.screenshotPath.c_str());
    std::fflush(stderr);
    state.exitCode = 1;
  }
  DestroyWindow(window);
}

void OpenPreferences(HWND window) {
  StandaloneHost* host = StandaloneHost::Instance();
  if (host == nullptr) return;
  const INT_PTR result = RunPreferencesDialog(State().module, window, *host);
  if (result == kPreferencesFailed) {
    EndAfterFailure("the preferences dialog failed");
    return;
  }
  // The window (and with it the host) may have been closed while the dialog ran.
  host = StandaloneHost::Instance();
  if (result == kPreferencesAccepted && host != nullptr) host->WriteSettings();
}

INT_PTR HandleCommand(HWND window, int command) {
  halcyra::Halcyra* plugin = Plugin();
  switch (command) {
    case IDM_ABOUT:
      if (plugin == nullptr || !plugin->ShowAboutBox()) ShowBox(window, kAboutText, kProgramTitle, MB_OK);
      break;
    case IDM_PREFERENCES:
      OpenPreferences(window);
      break;
    case IDM_QUIT:
      DestroyWindow(window);
      break;
    case IDM_READ_MANUAL:
      if (plugin == nullptr || !plugin->OpenManual()) ShowBox(window, kManualText, kProgramTitle, MB_OK);
      break;
    case IDM_SAVE_SCREENSHOT:
      SaveScreenshot(window);
      break;
    default:  // the debug commands have no function in this program
      break;
  }
  return TRUE;
}

void EndMainWindow(HWND window) {
  MainWindowState& state = State();
  state.destroying = true;
  KillTimer(window, kScreenshotTimer);
  if (StandaloneHost* host = StandaloneHost::Instance()) host->CloseEditor();
  state.editor = nullptr;
  state.window = nullptr;
  StandaloneHost::Destroy();
  PostQuitMessage(state.exitCode);
}

// A client area that already is the editor's size came from the editor's own resize: handing it
// back would make the editor fit itself again and drift by a pixel each time. One the editor
// cannot fill (the user or the system sized the window) gives way first to the nearest that it
// can, as a host would make it, and the editor fits that.
void FollowClientSize(HWND window, WPARAM kind) {
  static bool snapping = false;
  if (kind != SIZE_RESTORED && kind != SIZE_MAXIMIZED) return;
  halcyra::Halcyra* plugin = Plugin();
  const PixelSize client = ClientSize(window);
  if (plugin == nullptr || !EditorIsOpen() || !EditorShouldFitClient(client, WindowSize(State().editor)))
    return;
  PixelSize fillable = client;
  if (kind == SIZE_RESTORED && !snapping && !plugin->ConstrainParentSize(fillable.width, fillable.height)) {
    RECT outer = {};
    GetWindowRect(window, &outer);
    const POINT origin = {outer.left, outer.top};
    // The window's own size change comes back here, and the editor follows it then.
    snapping = true;
    FitClient(window, fillable, &origin);
    snapping = false;
    if (ClientSize(window) == fillable) return;
  }
  plugin->HandleParentResize(ClientSize(window).width, ClientSize(window).height);
}

void LimitTracking(HWND window, MINMAXINFO* limits) {
  const halcyra::Halcyra* plugin = Plugin();
  if (plugin == nullptr || limits == nullptr) return;
  const float dpi = WindowDpiScale(window);
  const PixelSize frame = FrameSize(window);
  const PixelSize smallest = TrackingSize(plugin->MinEditorWidth(), plugin->MinEditorHeight(), dpi, frame);
  const PixelSize largest = TrackingSize(plugin->MaxEditorWidth(), plugin->MaxEditorHeight(), dpi, frame);
  limits->ptMinTrackSize = {smallest.width, smallest.height};
  limits->ptMaxTrackSize = {largest.width, largest.height};
}

void FollowDpiChange(HWND window, const RECT* suggested) {
  if (halcyra::Halcyra* plugin = Plugin()) plugin->SetScreenScale(WindowDpiScale(window));
  const POINT origin = suggested != nullptr ? POINT{suggested->left, suggested->top} : POINT{0, 0};
  FitClientToEditor(window, suggested != nullptr ? &origin : nullptr);
}

INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OpenWindow(window);
    case WM_COMMAND:
      return HandleCommand(window, LOWORD(wParam));
    case WM_TIMER:
      if (wParam != kScreenshotTimer) return FALSE;
      TakeCommandLineScreenshot(window);
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(window);
      return TRUE;
    case WM_DESTROY:
      EndMainWindow(window);
      return TRUE;
    case WM_SIZE:
      FollowClientSize(window, wParam);
      return TRUE;
    case WM_GETMINMAXINFO:
      LimitTracking(window, reinterpret_cast<MINMAXINFO*>(lParam));
      return TRUE;
    case WM_DPICHANGED:
      FollowDpiChange(window, reinterpret_cast<const RECT*>(lParam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

HWND CreateMainWindow(HINSTANCE module, const MainWindowOptions& options) {
  MainWindowState& state = State();
  state.module = module;
  state.options = options;
  state.exitCode = 0;
  state.failure.clear();
  HWND window =
      CreateDialogParamW(module, MAKEINTRESOURCEW(IDD_MAIN), GetDesktopWindow(), &MainWindowProc, 0);
  if (window != nullptr && IsWindow(window) && state.window == window) return window;
  if (window != nullptr && IsWindow(window)) DestroyWindow(window);
  return nullptr;
}

HWND MainWindowHandle() { return State().window; }

int MainWindowExitCode() { return State().exitCode; }

const std::string& MainWindowFailure() { return State().failure; }

void SetMainWindowMessageBox(MessageBoxFunction show) { State().showBox = show; }

// Exceptions cannot cross the system's frames around a window procedure: they end the program
// here, cleanly, with exit code 1.
INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return HandleMessage(window, message, wParam, lParam);
  } catch (const std::exception& error) {
    EndAfterFailure(error.what());
  } catch (...) {
    EndAfterFailure("an unknown error");
  }
  return TRUE;
}

}  // namespace plugfw
