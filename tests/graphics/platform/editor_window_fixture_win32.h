#pragma once
// A host for the editor window's Wine tests: a shown top-level window of the test's own as the
// parent, a delegate with real parameters whose layout attaches coloured test controls that
// record every event they get, and the editor opened through the delegate as a host opens it.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graphics/control.h"
#include "graphics/gfx.h"
#include "graphics/platform/gfx_win_win32.h"
#include "tests/core/message_pump.h"
#include "tests/graphics/support/gfx_test_delegate.h"

namespace plugfw::gfx::test {

using plugfw::test::DispatchPending;
using plugfw::test::PumpMessagesFor;
using plugfw::test::PumpMessagesUntil;

// One event a test control received, in editor units.
struct ControlEvent {
  std::string kind;  // "down", "up", "drag", "wheel", "double", "keydown", "keyup", "drop", "over", "out"
  float x = 0.f;
  float y = 0.f;
  float dX = 0.f;
  float dY = 0.f;
  float delta = 0.f;
  ModifierKeys mod;
  KeyEvent key;
  std::vector<std::string> paths;
};

// A control filled with one colour that records its events.
class RecordingControl : public IControl {
 public:
  RecordingControl(const Rect& bounds, const Colour& colour, int32_t paramIdx = kNoParameter)
      : IControl(bounds, paramIdx), colour_(colour) {}

  std::vector<ControlEvent> events;
  bool takeKeys = true;
  std::function<void(IGfx& gfx)> onMouseDown;
  std::function<void(IGfx& gfx)> onMouseUp;
  std::vector<std::string> textEntries;
  int draws = 0;

  void Draw(IGfx& gfx) override {
    ++draws;
    gfx.FillRect(colour_, GetRect());
  }
  void SetColour(const Colour& colour) {
    colour_ = colour;
    SetDirty(false);
  }
  void OnMouseDown(float x, float y, const ModifierKeys& mod) override {
    Add("down", x, y, mod);
    if (onMouseDown) onMouseDown(*GetUI());
  }
  void OnMouseUp(float x, float y, const ModifierKeys& mod) override {
    Add("up", x, y, mod);
    if (onMouseUp) onMouseUp(*GetUI());
  }
  void OnMouseDrag(float x, float y, float dX, float dY, const ModifierKeys& mod) override {
    ControlEvent& e = Add("drag", x, y, mod);
    e.dX = dX;
    e.dY = dY;
  }
  void OnMouseWheel(float x, float y, const ModifierKeys& mod, float delta) override {
    Add("wheel", x, y, mod).delta = delta;
  }
  void OnMouseDoubleClick(float x, float y, const ModifierKeys& mod) override { Add("double", x, y, mod); }
  bool OnKeyDown(float x, float y, const KeyEvent& key) override {
    Add("keydown", x, y, {}).key = key;
    return takeKeys;
  }
  bool OnKeyUp(float x, float y, const KeyEvent& key) override {
    Add("keyup", x, y, {}).key = key;
    return takeKeys;
  }
  void OnMouseOver(float x, float y, const ModifierKeys& mod) override {
    IControl::OnMouseOver(x, y, mod);
    Add("over", x, y, mod);
  }
  void OnMouseOut() override {
    IControl::OnMouseOut();
    Add("out", 0.f, 0.f, {});
  }
  void OnDrop(const char* text, float x, float y) override { Add("drop", x, y, {}).paths = {text}; }
  void OnDropMultiple(const std::vector<const char*>& texts, float x, float y) override {
    ControlEvent& e = Add("drops", x, y, {});
    for (const char* text : texts) e.paths.emplace_back(text);
  }
  void OnTextEntryCompletion(const char* text, int32_t /*valIdx*/) override {
    textEntries.emplace_back(text);
  }

  std::vector<std::string> Kinds() const {
    std::vector<std::string> kinds;
    for (const ControlEvent& e : events) kinds.push_back(e.kind);
    return kinds;
  }
  const Colour& GetColour() const { return colour_; }

 private:
  ControlEvent& Add(const char* kind, float x, float y, const ModifierKeys& mod) {
    ControlEvent e;
    e.kind = kind;
    e.x = x;
    e.y = y;
    e.mod = mod;
    events.push_back(e);
    return events.back();
  }

  Colour colour_;
};

// The editor's layout: a grey background, a red control at (20, 20, 120, 80), a blue one at
// (140, 100, 280, 180), on an editor of 300 x 200 units.
inline constexpr int32_t kEditorWidth = 300;
inline constexpr int32_t kEditorHeight = 200;
inline const Rect kRedBounds(20.f, 20.f, 120.f, 80.f);
inline const Rect kBlueBounds(140.f, 100.f, 280.f, 180.f);
inline const Colour kBackground(255, 40, 40, 40);
inline const Colour kRed(255, 230, 20, 20);
inline const Colour kBlue(255, 20, 40, 230);

class EditorHost {
 public:
  static constexpr int32_t kParams = 4;

  explicit EditorHost(IGfxWin::GLLoader loader = nullptr)
      : delegate_(kParams), loader_(loader), parent_(SharedParent()) {
    delegate_.SetMakeGraphicsFunction([this]() -> std::unique_ptr<IGfx> {
      auto gfx = std::make_unique<IGfxWin>(delegate_, kEditorWidth, kEditorHeight, 30, 1.f);
      if (loader_ != nullptr) gfx->SetGLLoader(loader_);
      if (seam_ != nullptr) gfx->SetPlatformSeam(*seam_);
      if (timerPacing_) gfx->PaceFramesByTimer();
      return gfx;
    });
    delegate_.SetLayoutFunction([this](IGfx& gfx) { Layout(gfx); });
  }
  ~EditorHost() {
    delegate_.CloseEditorWindow();
    DispatchPending();
  }
  EditorHost(const EditorHost&) = delete;
  EditorHost& operator=(const EditorHost&) = delete;

  HWND Open() {
    HWND window = static_cast<HWND>(delegate_.OpenEditorWindow(parent_));
    DispatchPending();
    return window;
  }
  void Close() { delegate_.CloseEditorWindow(); }

  IGfxWin* Gfx() const { return static_cast<IGfxWin*>(delegate_.GetUI()); }
  HWND Window() const { return Gfx() != nullptr ? static_cast<HWND>(Gfx()->GetPlatformWindow()) : nullptr; }
  HWND Parent() const { return parent_; }
  GfxTestDelegate& Delegate() { return delegate_; }
  RecordingControl* Background() const { return background_; }
  RecordingControl* Red() const { return red_; }
  RecordingControl* Blue() const { return blue_; }
  void SetSeam(const PlatformSeam* seam) { seam_ = seam; }
  void PaceFramesByTimer() { timerPacing_ = true; }
  // The layout switches tooltips on, as the window reads them when it opens.
  void EnableTooltipsAtLayout() { tooltips_ = true; }
  // The layout attaches the drawn text entry, which then takes text entries from the edit box.
  void AttachTextEntryAtLayout() { textEntry_ = true; }

  // The editor window's framebuffer at a pixel from its top-left, as the last frame left it;
  // transparent black when the context cannot be made current.
  Colour FramebufferAt(int x, int y) const {
    IGfxWin& gfx = *Gfx();
    RECT client = {};
    GetClientRect(Window(), &client);
    uint8_t rgba[4] = {};
    if (gfx.MakeGLContextCurrent()) {
      gfx.GL().ReadPixels(x, client.bottom - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    }
    gfx.ReleaseGLContext();
    return Colour(rgba[3], rgba[0], rgba[1], rgba[2]);
  }

  // Pumps until the editor has taken at least n more frame ticks.
  bool WaitForTicks(int n, DWORD timeoutMs = 3000) {
    const int until = ticks_ + n;
    return PumpMessagesUntil([&] { return ticks_ >= until; }, timeoutMs);
  }
  int Ticks() const { return ticks_; }

 private:
  static constexpr const wchar_t* kParentClass = L"EditorHostWindow";

  // One shown window for the whole test program: without a window manager Wine takes two
  // seconds to take a shown window off the screen.
  static HWND SharedParent() {
    static const HWND parent = [] {
      WNDCLASSW windowClass = {};
      windowClass.lpfnWndProc = DefWindowProcW;
      windowClass.hInstance = GetModuleHandleW(nullptr);
      windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
      windowClass.lpszClassName = kParentClass;
      RegisterClassW(&windowClass);
      HWND window = CreateWindowExW(0, kParentClass, L"Editor host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                    40, 40, 640, 480, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
      ShowWindow(window, SW_SHOWNOACTIVATE);
      return window;
    }();
    return parent;
  }

  void Layout(IGfx& gfx) {
    background_ = static_cast<RecordingControl*>(
        gfx.AttachControl(new RecordingControl(Rect(0.f, 0.f, kEditorWidth, kEditorHeight), kBackground)));
    red_ = static_cast<RecordingControl*>(gfx.AttachControl(new RecordingControl(kRedBounds, kRed, 0)));
    blue_ = static_cast<RecordingControl*>(gfx.AttachControl(new RecordingControl(kBlueBounds, kBlue)));
    if (tooltips_) gfx.EnableTooltips(true);
    if (textEntry_) gfx.AttachTextEntry();
    // Every dirty collection is one frame tick that got through.
    gfx.SetFrameHook([this](RectList&) { ++ticks_; });
  }

  GfxTestDelegate delegate_;
  IGfxWin::GLLoader loader_;
  const PlatformSeam* seam_ = nullptr;
  bool tooltips_ = false;
  bool textEntry_ = false;
  bool timerPacing_ = false;
  HWND parent_;
  RecordingControl* background_ = nullptr;
  RecordingControl* red_ = nullptr;
  RecordingControl* blue_ = nullptr;
  int ticks_ = 0;
};

}  // namespace plugfw::gfx::test
