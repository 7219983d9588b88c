// The main window under Wine with the standalone host over fake devices and the plug-in's editor
// in it: its client area, which follows the editor's own resizes and, sized by a user, is
// filled by the editor as shown on the screen; keys through the program's
// loop to the editor; menu and accelerators, the commands, the command-line screenshot, its end,
// a window that cannot be made; the message loop's dialog lookup and the single-instance rule.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/main_window_sizing.h"
#include "app/message_loop.h"
#include "app/single_instance.h"
#include "app/standalone_host.h"
#include "core/heap_string.h"
#include "core/resources.h"
#include "effect/halcyra.h"
#include "graphics/gfx.h"
#include "resources/resource_ids.h"
#include "tests/app/fake_host_environment.h"
#include "tests/graphics/platform/shown_pixels_win32.h"

namespace plugfw {

// For failure messages.
std::ostream& operator<<(std::ostream& out, const PixelSize& size) {
  return out << size.width << " x " << size.height;
}

namespace {

struct Box {
  std::string text, caption;
  UINT type;
};

std::vector<Box>& Boxes() {
  static std::vector<Box> boxes;
  return boxes;
}

int RecordBox(HWND, const char* text, const char* caption, UINT type) {
  Boxes().push_back({text, caption, type});
  return IDNO;
}

std::string TemporaryFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, folder);
  HeapString text;
  Utf16ToUtf8(folder, &text);
  return text.Get();
}

bool DeleteUtf8(const std::string& path) {
  const HeapBuffer wide = Utf8ToUtf16(path.c_str());
  return DeleteFileW(reinterpret_cast<const wchar_t*>(wide.Data())) != FALSE;
}

PixelSize ClientOf(HWND window) {
  RECT client = {};
  GetClientRect(window, &client);
  return {client.right, client.bottom};
}

PixelSize FrameOf(HWND window) {
  RECT outer = {};
  GetWindowRect(window, &outer);
  const PixelSize client = ClientOf(window);
  return {outer.right - outer.left - client.width, outer.bottom - outer.top - client.height};
}

// The quit code posted to this thread, if any; the queue is emptied.
int PostedQuitCode() {
  MSG message;
  int code = -1;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) code = static_cast<int>(message.wParam);
  }
  return code;
}

PixelSize WindowSizeOf(HWND window) {
  RECT outer = {};
  GetWindowRect(window, &outer);
  return {outer.right - outer.left, outer.bottom - outer.top};
}

HWND EditorOf(HWND window) { return FindWindowExW(window, nullptr, nullptr, nullptr); }

gfx::IGfx* EditorGraphics() {
  StandaloneHost* host = StandaloneHost::Instance();
  return host != nullptr ? host->Plugin().GetEditorGraphics() : nullptr;
}

// What the program's loop does with the messages that arrive within the time given.
void RunProgramLoopFor(HWND window, DWORD milliseconds, HACCEL accelerators = nullptr) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
        return;
      }
      if (PreTranslateProgramMessage(message, window, accelerators)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  } while (GetTickCount() - start < milliseconds);
}

std::function<void()>& ModalScript() {
  static std::function<void()> script;
  return script;
}

void CALLBACK RunModalScript(HWND, UINT, UINT_PTR timer, DWORD) {
  if (FindWindowW(L"#32770", L"Preferences") == nullptr) return;
  KillTimer(nullptr, timer);
  const std::function<void()> script = std::move(ModalScript());
  if (script) script();
}

// A dialog that a script's button did not end would hold the test for ever: it fails the test
// and is cancelled instead.
constexpr UINT kLingeringDialogMs = 30000;

void CALLBACK CancelLingeringPreferences(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND dialog = FindWindowW(L"#32770", L"Preferences");
  if (dialog == nullptr) return;
  ADD_FAILURE() << "the preferences dialog stayed open; last box: "
                << (Boxes().empty() ? std::string("none") : Boxes().back().text);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Boxes().clear();
    SetMainWindowMessageBox(&RecordBox);
    state.audio.devices = {test::FakeDevice("Speakers", 0, 2, {44100, 48000}, true),
                           test::FakeDevice("Line In", 2, 0, {44100, 48000}, true)};
  }
  void TearDown() override {
    if (HWND window = MainWindowHandle()) DestroyWindow(window);
    PostedQuitCode();
    StandaloneHost::Destroy();
    SetMainWindowMessageBox(nullptr);
  }

  HWND Open(MainWindowOptions options = {}, bool noIo = false) {
    StandaloneHost* host = StandaloneHost::Create(std::make_unique<test::FakeHostEnvironment>(state));
    EXPECT_NE(host, nullptr);
    host->SetNoIo(noIo);
    host->SetScreenshotPath(options.screenshotPath.c_str());
    EXPECT_TRUE(host->Init());
    host->ApplyAudioSettings();
    return CreateMainWindow(GetModuleHandleW(nullptr), options);
  }

  void Command(HWND window, int id) { SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

  test::FakeEnvironmentState state;
};

TEST_F(MainWindowTest, AClientAreaOfTheEditorsSizeUnderFileAndHelp) {
  HWND window = Open();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(MainWindowHandle(), window);
  EXPECT_TRUE(IsWindowVisible(window));
  wchar_t title[32] = {};
  GetWindowTextW(window, title, 32);
  EXPECT_STREQ(title, L"HALCYRA");
  EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);

  const float dpi = WindowDpiScale(window);
  EXPECT_EQ(ClientOf(window), EditorPixelSize(1180, 800, 1.0f, dpi));
  EXPECT_EQ(ClientOf(window), (PixelSize{1180, 800})) << "the test display runs at 96 DPI";

  HMENU menu = GetMenu(window);
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 2);
  wchar_t entry[32] = {};
  GetMenuStringW(menu, 0, entry, 32, MF_BYPOSITION);
  EXPECT_STREQ(entry, L"&File");
  GetMenuStringW(menu, 1, entry, 32, MF_BYPOSITION);
  EXPECT_STREQ(entry, L"&Help");

  // Tracking bounds are window sizes: the editor's bounds in pixels with the frame around them.
  MINMAXINFO limits = {};
  SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  const PixelSize frame = FrameOf(window);
  EXPECT_GT(frame.height, GetSystemMetrics(SM_CYMENU));
  EXPECT_EQ(limits.ptMinTrackSize.x, 393 + frame.width);
  EXPECT_EQ(limits.ptMinTrackSize.y, 266 + frame.height);
  EXPECT_EQ(limits.ptMaxTrackSize.x, 3540 + frame.width);
  EXPECT_EQ(limits.ptMaxTrackSize.y, 2400 + frame.height);
}

TEST_F(MainWindowTest, TheEditorFillsTheClientAreaAndTheWindowFollowsItsResizes) {
  HWND window = Open();
  ASSERT_NE(window, nullptr);
  HWND editor = EditorOf(window);
  ASSERT_NE(editor, nullptr) << "no editor in the main window";
  gfx::IGfx* graphics = EditorGraphics();
  ASSERT_NE(graphics, nullptr);
  EXPECT_EQ(WindowSizeOf(editor), (PixelSize{1180, 800}));
  EXPECT_EQ(ClientOf(window), WindowSizeOf(editor));

  // What the corner resizer asks while it is dragged: the draw scale changes, the units stay.
  struct Step {
    float scale;
    PixelSize pixels;
  };
  const Step steps[] = {{1.25f, {1475, 1000}}, {0.875f, {1032, 700}}, {1.0f, {1180, 800}}};
  for (const Step& step : steps) {
    graphics->ResizeEditor(1180, 800, step.scale, true);
    RunProgramLoopFor(window, 300);
    EXPECT_EQ(WindowSizeOf(editor), step.pixels) << step.scale;
    EXPECT_EQ(ClientOf(window), step.pixels) << step.scale;
    EXPECT_FLOAT_EQ(graphics->GetDrawScale(), step.scale);
    // Settled: nothing goes back and forth between the window and the editor afterwards.
    const PixelSize outer = WindowSizeOf(window);
    RunProgramLoopFor(window, 300);
    EXPECT_EQ(WindowSizeOf(window), outer) << step.scale;
    EXPECT_FLOAT_EQ(graphics->GetDrawScale(), step.scale);
  }

  // A minimised window's empty client area is no size for the editor, and restoring finds it as
  // it was.
  ShowWindow(window, SW_MINIMIZE);
  RunProgramLoopFor(window, 300);
  ASSERT_TRUE(IsIconic(window));
  EXPECT_EQ(WindowSizeOf(editor), (PixelSize{1180, 800}));
  EXPECT_FLOAT_EQ(graphics->GetDrawScale(), 1.0f);
  ShowWindow(window, SW_RESTORE);
  RunProgramLoopFor(window, 300);
  EXPECT_EQ(ClientOf(window), (PixelSize{1180, 800}));
  EXPECT_EQ(WindowSizeOf(editor), (PixelSize{1180, 800}));
  EXPECT_FLOAT_EQ(graphics->GetDrawScale(), 1.0f);
}

TEST_F(MainWindowTest, AWindowSizedBelowInsideOrAboveTheZoomRangeIsFilledByTheEditor) {
  HWND window = Open();
  ASSERT_NE(window, nullptr);
  HWND editor = EditorOf(window);
  ASSERT_NE(editor, nullptr);
  RunProgramLoopFor(window, 300);
  struct Sizing {
    PixelSize asked;   // the client area the user dragged the window to
    PixelSize filled;  // the client area and the editor it ends with
  };
  // Each twice in a row: the second time the editor already has the size it needs.
  const Sizing sizings[] = {
      {{800, 600}, {1003, 680}},    {{800, 600}, {1003, 680}},    {{1500, 1050}, {1500, 1016}},
      {{1500, 1050}, {1500, 1016}}, {{2400, 1600}, {1770, 1200}}, {{2400, 1600}, {1770, 1200}},
  };
  for (const Sizing& sizing : sizings) {
    SCOPED_TRACE(::testing::Message() << sizing.asked.width << " x " << sizing.asked.height);
    const PixelSize outer = WindowSizeForClient(sizing.asked, FrameOf(window));
    SetWindowPos(window, nullptr, 0, 0, outer.width, outer.height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    RunProgramLoopFor(window, 300);
    EXPECT_EQ(ClientOf(window), sizing.filled);
    EXPECT_EQ(WindowSizeOf(editor), sizing.filled);
    // What a person sees there is all the editor, to its own bottom-right corner.
    EXPECT_EQ(gfx::test::PixelsShownButNotDrawn(editor), 0);
  }
}

TEST_F(MainWindowTest, KeysReachTheEditorThroughTheProgramsLoop) {
  HWND window = Open();
  ASSERT_NE(window, nullptr);
  HWND editor = EditorOf(window);
  ASSERT_NE(editor, nullptr);
  ASSERT_EQ(WindowSizeOf(editor), (PixelSize{1180, 800}));
  HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
  const IParam* bypass = StandaloneHost::Instance()->Plugin().GetParam(3);
  ASSERT_NE(bypass, nullptr);
  ASSERT_EQ(bypass->Value(), 0.0);
  // A key goes to the control under the pointer: the BYPASS toggle.
  POINT over = {101, 778};
  ClientToScreen(editor, &over);
  ASSERT_TRUE(SetCursorPos(over.x, over.y));
  RunProgramLoopFor(window, 100, table);

  // Space and Enter would be the dialog's own (default button, navigation) if it kept them.
  struct Case {
    WPARAM key;
    LPARAM data;
    double after;
  };
  const Case cases[] = {{VK_SPACE, 0x00390001, 1.0}, {VK_RETURN, 0x001C0001, 0.0}};
  for (const Case& c : cases) {
    PostMessageW(editor, WM_KEYDOWN, c.key, c.data);
    PostMessageW(editor, WM_KEYUP, c.key, c.data | 0xC0000000);
    RunProgramLoopFor(window, 200, table);
    EXPECT_EQ(bypass->Value(), c.after) << c.key;
  }
  EXPECT_TRUE(IsWindow(window));
  EXPECT_TRUE(Boxes().empty());
  DestroyAcceleratorTable(table);
}

TEST_F(MainWindowTest, AcceleratorsKeepSaveScreenshotWithoutTheDebugMenu) {
  HWND window = Open();
  ASSERT_NE(window, nullptr);
  HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
  ASSERT_NE(table, nullptr);
  ACCEL entries[8] = {};
  ASSERT_EQ(CopyAcceleratorTableW(table, entries, 8), 6);
  const BYTE control = FVIRTKEY | FCONTROL;
  const ACCEL expected[] = {{control, VK_OEM_COMMA, IDM_PREFERENCES},
                            {control, 'B', IDM_SHOW_CONTROL_BOUNDS},
                            {control, 'D', IDM_SHOW_DRAWN_AREA},
                            {control, 'F', IDM_SHOW_FPS},
                            {control, 'E', IDM_LIVE_EDIT},
                            {control | FSHIFT, 'S', IDM_SAVE_SCREENSHOT}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(entries[i].fVirt & ~0x80, expected[i].fVirt) << i;  // the last entry carries the end bit
    EXPECT_EQ(entries[i].key, expected[i].key) << i;
    EXPECT_EQ(entries[i].cmd, expected[i].cmd) << i;
  }

  // Ctrl+Shift+S as the message loop sees it.
  BYTE keys[256] = {};
  keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
  keys[VK_SHIFT] = keys[VK_LSHIFT] = 0x80;
  ASSERT_TRUE(SetKeyboardState(keys));
  MSG press = {window, WM_KEYDOWN, 'S', 0x001F0001, 0, {0, 0}};
  EXPECT_TRUE(PreTranslateProgramMessage(press, window, table));
  MSG debug = {window, WM_KEYDOWN, 'E', 0x00120001, 0, {0, 0}};
  keys[VK_SHIFT] = keys[VK_LSHIFT] = 0;
  SetKeyboardState(keys);
  PreTranslateProgramMessage(debug, window, table);  // the debug commands do nothing
  std::fill(std::begin(keys), std::end(keys), 0);
  SetKeyboardState(keys);
  DestroyAcceleratorTable(table);

  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].caption, "Screenshot Saved");
  EXPECT_EQ(Boxes()[0].type, static_cast<UINT>(MB_YESNO));
  const std::string prefix = "Screenshot saved to:\n";
  const std::string suffix = "\n\nOpen it?";
  const std::string& text = Boxes()[0].text;
  ASSERT_GT(text.size(), prefix.size() + suffix.size());
  const std::string path = text.substr(prefix.size(), text.size() - prefix.size() - suffix.size());
  EXPECT_EQ(path.rfind(TemporaryFolder() + "HALCYRA_screenshot_", 0), 0u) << path;
  EXPECT_TRUE(DeleteUtf8(path)) << path;
}

TEST_F(MainWindowTest, AboutManualAndAFailedScreenshotAnswerWithBoxes) {
  HWND window = Open();
  ASSERT_NE(window, nullptr);
  Command(window, IDM_ABOUT);
  Command(window, IDM_READ_MANUAL);
  for (int id : {IDM_LIVE_EDIT, IDM_SHOW_CONTROL_BOUNDS, IDM_SHOW_DRAWN_AREA, IDM_SHOW_FPS})
    Command(window, id);
  ShowWindow(window, SW_MINIMIZE);
  Command(window, IDM_SAVE_SCREENSHOT);
  ASSERT_EQ(Boxes().size(), 3u);
  EXPECT_EQ(Boxes()[0].caption, "HALCYRA");
  const std::string& about = Boxes()[0].text;
  ASSERT_NE(about.find('\n'), std::string::npos);
  EXPECT_NE(about.find("KESTRALYN"), std::string::npos);
  EXPECT_EQ(about.substr(about.find('\n') + 1), "Built on Oct 11 2026");
  EXPECT_EQ(Boxes()[1].text, "See the manual");
  EXPECT_EQ(Boxes()[1].caption, "HALCYRA");
  EXPECT_EQ(Boxes()[2].text, "Failed to save screenshot");
  EXPECT_EQ(Boxes()[2].caption, "Error");
  EXPECT_TRUE(IsWindow(window));
}

TEST_F(MainWindowTest, UnattendedScreenshotCommandPrintsInsteadOfAsking) {
  MainWindowOptions options;
  options.unattended = true;
  HWND window = Open(options, true);
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_MINIMIZE);
  Command(window, IDM_SAVE_SCREENSHOT);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(MainWindowTest, OnlyPreferencesEndedWithOkAreSaved) {
  HWND window = Open();
  ASSERT_NE(window, nullptr);
  for (const int button : {IDCANCEL, IDOK}) {
    const int32_t rewrites = state.settings.rewrites;
    ModalScript() = [button] {
      HWND dialog = FindWindowW(L"#32770", L"Preferences");
      SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &RunModalScript);
    const UINT_PTR watchdog = SetTimer(nullptr, 0, kLingeringDialogMs, &CancelLingeringPreferences);
    Command(window, IDM_PREFERENCES);
    KillTimer(nullptr, timer);
    KillTimer(nullptr, watchdog);
    EXPECT_EQ(state.settings.rewrites, rewrites + (button == IDOK ? 1 : 0)) << button;
  }
}

// An exception from the audio library inside the dialog's procedure cannot cross the system's
// frames: it ends the dialog, and the main window ends the program cleanly with exit code 1.
TEST_F(MainWindowTest, AnExceptionInTheDialogEndsTheProgramWithExitCode1) {
  HWND window = Open();
  ASSERT_NE(window, nullptr);
  ModalScript() = [this] {
    HWND dialog = FindWindowW(L"#32770", L"Preferences");
    SendDlgItemMessageW(dialog, IDC_BUFFER_SIZE, CB_SETCURSEL, 2, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_BUFFER_SIZE, CBN_SELCHANGE), 0);
    state.audioCreationThrows = true;  // Cancel recreates the audio object
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  };
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, &RunModalScript);
  Command(window, IDM_PREFERENCES);
  KillTimer(nullptr, timer);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(StandaloneHost::Instance(), nullptr);
  EXPECT_EQ(MainWindowExitCode(), 1);
  EXPECT_EQ(MainWindowFailure(), "the preferences dialog failed");
  EXPECT_EQ(PostedQuitCode(), 1);
}

TEST_F(MainWindowTest, QuitClosesTheEditorDeletesTheHostAndPostsTheQuit) {
  HWND window = Open();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(state.audio.running);
  Command(window, IDM_QUIT);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(MainWindowHandle(), nullptr);
  EXPECT_EQ(StandaloneHost::Instance(), nullptr);
  EXPECT_FALSE(state.audio.running);
  EXPECT_EQ(PostedQuitCode(), 0);
  EXPECT_EQ(MainWindowExitCode(), 0);
}

TEST_F(MainWindowTest, TheCommandLineScreenshotIsTakenThenTheProgramEnds) {
  struct Case {
    std::string path;
    int exitCode;
  };
  const Case cases[] = {{TemporaryFolder() + "halcyra_main_window_shot.png", 0},
                        {TemporaryFolder() + "no such folder\\shot.png", 1}};
  for (const Case& c : cases) {
    MainWindowOptions options;
    options.screenshotPath = c.path;
    options.unattended = true;
    ASSERT_NE(Open(options), nullptr);
    const DWORD started = GetTickCount();
    EXPECT_EQ(RunMessageLoop(nullptr), c.exitCode) << c.path;
    EXPECT_GE(GetTickCount() - started, kScreenshotDelayMs - 20);
    EXPECT_EQ(MainWindowExitCode(), c.exitCode);
    EXPECT_EQ(MainWindowHandle(), nullptr);
    EXPECT_EQ(DeleteUtf8(c.path), c.exitCode == 0) << c.path;
  }
}

TEST_F(MainWindowTest, ACommandLineScreenshotWithoutAnEditorFailsAndWritesNothing) {
  MainWindowOptions options;
  options.screenshotPath = TemporaryFolder() + "halcyra_main_window_no_editor.png";
  options.unattended = true;
  StandaloneHost* host = StandaloneHost::Create(std::make_unique<test::FakeHostEnvironment>(state));
  ASSERT_NE(host, nullptr);
  host->SetNoIo(true);
  ASSERT_TRUE(host->Init());
  host->Plugin().SetMakeGraphicsFunction([]() -> std::unique_ptr<gfx::IGfx> { return nullptr; });
  HWND window = CreateMainWindow(GetModuleHandleW(nullptr), options);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(EditorOf(window), nullptr) << "the editor was meant to fail to open";
  EXPECT_EQ(RunMessageLoop(nullptr), 1);
  EXPECT_EQ(MainWindowExitCode(), 1);
  EXPECT_FALSE(DeleteUtf8(options.screenshotPath)) << "no picture of an empty window";
}

TEST_F(MainWindowTest, AWindowThatCannotBeMadeLeavesNoWindow) {
  // No dialog resource in that module.
  StandaloneHost::Create(std::make_unique<test::FakeHostEnvironment>(state));
  EXPECT_EQ(CreateMainWindow(GetModuleHandleW(L"kernel32.dll"), {}), nullptr);
  // No host to run the window with.
  StandaloneHost::Destroy();
  EXPECT_EQ(CreateMainWindow(GetModuleHandleW(nullptr), {}), nullptr);
  EXPECT_EQ(MainWindowHandle(), nullptr);
  EXPECT_EQ(FindMainWindowOfRunningInstance(kMainWindowTitle), nullptr);
}

HWND MakeDialogClassWindow(HWND parent, DWORD style, const wchar_t* title = L"") {
  return CreateWindowExW(0, L"#32770", title, style, 0, 0, 100, 100, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

TEST(DialogForMessage, TheTopLevelDialogElseTheOutermostChildDialog) {
  HWND top = MakeDialogClassWindow(nullptr, WS_POPUP);
  HWND inner = MakeDialogClassWindow(top, WS_CHILD);
  HWND button = CreateWindowW(L"BUTTON", L"", WS_CHILD, 0, 0, 10, 10, inner, nullptr, nullptr, nullptr);
  EXPECT_EQ(DialogForMessage(button), top);
  EXPECT_EQ(DialogForMessage(top), top);

  HWND frame = CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  HWND outer = MakeDialogClassWindow(frame, WS_CHILD);
  HWND nested = MakeDialogClassWindow(outer, WS_CHILD);
  HWND edit = CreateWindowW(L"EDIT", L"", WS_CHILD, 0, 0, 10, 10, nested, nullptr, nullptr, nullptr);
  EXPECT_EQ(DialogForMessage(edit), outer);
  EXPECT_EQ(DialogForMessage(frame), nullptr);
  DestroyWindow(top);
  DestroyWindow(frame);
}

TEST(SingleInstance, OneMutexTellsTheSecondStartAndIsGoneWithTheFirst) {
  const wchar_t* name = L"HalcyraSingleInstanceTest";
  {
    SingleInstance first(name);
    EXPECT_TRUE(first.IsFirst());
    SingleInstance second(name);
    EXPECT_FALSE(second.IsFirst());
  }
  SingleInstance again(name);
  EXPECT_TRUE(again.IsFirst());
}

TEST(SingleInstance, TheRunningMainWindowIsTheTitledDialogWithAMenuAndComesForward) {
  HWND box = MakeDialogClassWindow(nullptr, WS_POPUP | WS_CAPTION, kMainWindowTitle);
  EXPECT_EQ(FindMainWindowOfRunningInstance(kMainWindowTitle), nullptr);  // a message box, say
  HMENU menu = CreateMenu();
  AppendMenuW(menu, MF_STRING, 1, L"&File");
  HWND main = CreateWindowExW(0, L"#32770", kMainWindowTitle, WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                              menu, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(main, nullptr);
  ShowWindow(main, SW_MINIMIZE);
  EXPECT_EQ(FindMainWindowOfRunningInstance(kMainWindowTitle), main);
  EXPECT_TRUE(BringToFront(FindMainWindowOfRunningInstance(kMainWindowTitle)));
  EXPECT_FALSE(IsIconic(main));
  EXPECT_FALSE(BringToFront(nullptr));
  DestroyWindow(main);
  DestroyWindow(box);
}

}  // namespace
}  // namespace plugfw
