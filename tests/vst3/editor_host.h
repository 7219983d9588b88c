#pragma once
// The test host's editor side: a shown window of its own that views attach to, a plug-in frame
// that records the view's resize requests, the editor's child window and its pixels - as the
// editor prints them from its GL framebuffer, and as the X screen shows them to a person.
// UI thread (the test's main thread), like the views.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <ostream>

#include "pluginterfaces/gui/iplugview.h"
#include "tests/graphics/platform/shown_pixels_win32.h"
#include "tests/vst3/vst3_host.h"

namespace halcyra_test {

// The host's frame around a view. Some hosts apply a requested size at once, from inside
// resizeView: answerWithOnSize does so; resizeHostWindow also sizes the host window first, as the
// VST3 SDK's own editor host does. refuse answers every request with kResultFalse. What the view
// reports as its size inside the request shows whether the plug-in stored the new size before
// asking.
class RecordingPlugFrame : public Steinberg::IPlugFrame {
 public:
  tresult PLUGIN_API resizeView(Steinberg::IPlugView* view, Steinberg::ViewRect* newSize) override;
  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  uint32 PLUGIN_API addRef() override { return ++references; }
  uint32 PLUGIN_API release() override { return --references; }

  int references = 1;
  int resizeRequests = 0;
  int nestedRequests = 0;  // requests that arrived while one was being answered
  bool answerWithOnSize = false;
  bool resizeHostWindow = false;
  bool refuse = false;
  Steinberg::ViewRect lastSize;
  Steinberg::ViewRect sizeSeenInside;  // the view's getSize while the request ran

 private:
  bool inside_ = false;
};

// One shown top-level window for the whole test program (Wine without a window manager takes
// two seconds to take a shown window off the screen), sized for the editor at 1.5.
HWND HostWindow();
// The size the host window starts with.
inline constexpr long kHostWindowWidth = 1800;
inline constexpr long kHostWindowHeight = 1220;
// The first child window of the host window (the editor's), or null.
HWND EditorChildWindow();
// A window's or a view's size in pixels.
struct PixelSize {
  long width = 0;
  long height = 0;
  bool operator==(const PixelSize& other) const { return width == other.width && height == other.height; }
};
inline std::ostream& operator<<(std::ostream& out, const PixelSize& size) {
  return out << size.width << " x " << size.height;
}
PixelSize ClientSize(HWND window);
// The host window's client area made width x height, as a user dragging its border does.
void SizeHostWindow(long width, long height);

// The editor's pixels as it prints them (WM_PRINT copies its main framebuffer); rows top-down.
class PrintedEditor {
 public:
  // False when the window printed nothing but black.
  bool Print(HWND editor);
  // The colour at a client pixel; black outside the client area.
  uint8_t Red(int x, int y) const { return static_cast<uint8_t>(pixels_.At(x, y).red); }
  uint8_t Green(int x, int y) const { return static_cast<uint8_t>(pixels_.At(x, y).green); }
  uint8_t Blue(int x, int y) const { return static_cast<uint8_t>(pixels_.At(x, y).blue); }
  // Pixels of the area whose red is above the threshold: light text on the editor's dark ground.
  int LightPixels(int left, int top, int right, int bottom, int threshold = 180) const;

 private:
  plugfw::gfx::test::ShownPixels pixels_;
};

// Presses, drags and releases as the window procedure receives them, at client pixels.
void SendPress(HWND window, int x, int y);
void SendDrag(HWND window, int x, int y);
void SendRelease(HWND window, int x, int y);

// Waits, pumping messages, until the editor has printed its title (its first frames are drawn).
bool WaitUntilPainted(HWND editor, PrintedEditor& printed, DWORD timeoutMs = 8000);

// One plug-in from the module with a recording handler, and its editor view attached to the host
// window with a recording frame.
class ModuleEditorTest : public ::testing::Test {
 protected:
  static constexpr PixelSize kEditorSize = {1180, 800};

  void SetUp() override;
  void TearDown() override;

  // A new view with the frame set, a content scale first when one is given; not attached.
  Steinberg::IPlugView* CreateView(float contentScale = 0.f);
  // Attaches the view to the host window; the editor's child window, or null.
  HWND Attach(Steinberg::IPlugView* view);
  // The view created, attached and painted; the editor's child window.
  HWND OpenEditor(float contentScale = 0.f);
  // Removes and releases a view; the fixture's own when none is given.
  void CloseView(Steinberg::IPlugView* view = nullptr);

  LoadedFactory factory_;
  HostApplication host_;
  RecordingComponentHandler handler_;
  std::unique_ptr<PluginInstance> plugin_;
  RecordingPlugFrame frame_;
  Steinberg::IPlugView* view_ = nullptr;
  HWND editor_ = nullptr;
  PrintedEditor printed_;
};

}  // namespace halcyra_test
