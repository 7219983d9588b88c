// HALCYRA.exe: the program entry. One instance at a time; the command line; per-monitor DPI
// awareness; the standalone host with its settings and devices; the main window and the
// message loop. Exit code 0, or 1 when the program could not start, a command-line screenshot
// failed, or an exception ended it.

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/error_reporting_environment.h"
#include "app/main_window.h"
#include "app/message_loop.h"
#include "app/preferences_session.h"
#include "app/single_instance.h"
#include "app/standalone_host.h"
#include "app/utf8_shims.h"
#include "core/heap_string.h"
#include "core/resources.h"
#include "resources/resource_ids.h"

namespace plugfw {

namespace {

constexpr const wchar_t* kInstanceMutexName = L"Halcyra";
constexpr const wchar_t* kWheelMessageName = L"MSWHEEL_ROLLMSG";
constexpr intptr_t kPerMonitorAwareV2 = -4;

UINT gWheelMessage = 0;  // registered for the mouse drivers that send it; read by nothing here

// The words after the program's name, from the wide command line: the narrow one cannot carry a
// path outside the system's code page.
std::vector<std::string> CommandLineWords() {
  std::vector<std::string> words;
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr) return words;
  for (int i = 1; i < count; ++i) {
    HeapString word;
    Utf16ToUtf8(arguments[i], &word);
    words.emplace_back(word.Get());
  }
  LocalFree(arguments);
  return words;
}

// Before any window exists: the awareness cannot change once one does.
void EnablePerMonitorDpiAwareness() {
  using SetAwarenessContext = BOOL(WINAPI*)(HANDLE);
  static SetAwarenessContext setAwareness = nullptr;
  static bool lookedUp = false;
  if (!lookedUp) {
    lookedUp = true;
    if (HMODULE user32 = LoadLibraryUtf8("user32.dll")) {
      setAwareness = reinterpret_cast<SetAwarenessContext>(
          reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
    }
  }
  if (setAwareness != nullptr) setAwareness(reinterpret_cast<HANDLE>(kPerMonitorAwareV2));
}

void InitialiseCommonControls() {
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
  InitCommonControlsEx(&controls);
}

// On the window in front (the preferences dialog while it is open), else on the main window.
void ShowErrorOnMainWindow(const char* text, const char* title) {
  HWND owner = GetActiveWindow();
  MessageBoxUtf8(owner != nullptr ? owner : MainWindowHandle(), text, title, MB_OK);
}

// A failure that ends the program: a box for a musician, standard error for an unattended run.
void ReportFatal(const CommandLineOptions& options, const std::string& what) {
  if (options.Unattended()) {
    std::fprintf(stderr, "HALCYRA: %s\n", what.c_str());
    std::fflush(stderr);
    return;
  }
  const std::string text = "HALCYRA has to close: " + what;
  MessageBoxUtf8(nullptr, text.c_str(), kProgramTitle, MB_OK | MB_ICONERROR);
}

int RunProgram(HINSTANCE module, const CommandLineOptions& options) {
  StandaloneHost* host = StandaloneHost::Create(
      WithErrorSink(CreateWin32HostEnvironment(),
                    options.Unattended() ? &PrintErrorToStandardError : &ShowErrorOnMainWindow));
  if (host == nullptr) {
    ReportFatal(options, "the effect could not be created");
    return 1;
  }
  host->SetNoIo(options.noIo);
  host->SetScreenshotPath(options.screenshotPath.c_str());
  if (!host->Init()) {
    ReportFatal(options, "the settings could not be read");
    return 1;
  }
  // A stream that does not open is reported; the program runs on so the preferences can mend it.
  host->ApplyAudioSettings();
  HACCEL accelerators = LoadAcceleratorsW(module, MAKEINTRESOURCEW(IDR_ACCELERATORS));

  MainWindowOptions windowOptions;
  windowOptions.screenshotPath = options.screenshotPath;
  windowOptions.unattended = options.Unattended();
  if (CreateMainWindow(module, windowOptions) == nullptr) {
    ReportFatal(options, "the main window could not be created");
    return 1;
  }
  const int loopCode = RunMessageLoop(accelerators);
  if (HWND window = MainWindowHandle()) DestroyWindow(window);
  const int code = loopCode != 0 ? loopCode : MainWindowExitCode();
  if (!MainWindowFailure().empty()) ReportFatal(options, MainWindowFailure());
  return code;
}

// Everything after the single-instance check; the host never outlives it.
int RunGuarded(HINSTANCE module, const CommandLineOptions& options) {
  int code = 1;
  try {
    code = RunProgram(module, options);
  } catch (const std::exception& error) {
    ReportFatal(options, error.what());
  } catch (...) {
    ReportFatal(options, "an unknown error");
  }
  try {
    StandaloneHost::Destroy();
  } catch (...) {
    code = 1;
  }
  return code;
}

}  // namespace

}  // namespace plugfw

// Entry point of HALCYRA.exe. UI thread.
int WINAPI WinMain(HINSTANCE module, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
  using namespace plugfw;
  CommandLineOptions options;
  try {
    options = ParseCommandLine(CommandLineWords());
  } catch (...) {
    return 1;
  }
  SingleInstance instance(kInstanceMutexName);
  if (!instance.IsFirst()) {
    BringToFront(FindMainWindowOfRunningInstance(kMainWindowTitle));
    if (options.screenshotPath.empty()) return 0;
    // The screenshot asked for is not taken: saying success would report a file never written.
    std::fprintf(stderr, "HALCYRA: another instance is running; no screenshot was saved to %s\n",
                 options.screenshotPath.c_str());
    return 1;
  }
  EnablePerMonitorDpiAwareness();
  InitialiseCommonControls();
  gWheelMessage = RegisterWindowMessageW(kWheelMessageName);
  return RunGuarded(module, options);
}
