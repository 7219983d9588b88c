#pragma once
// A concrete IGfxCanvas for the tests and benchmarks: its platform operations do nothing (the
// real window derives from IGfxCanvas the same way), its GL table is a copy of the tests'
// context's, module resources come from a map, and a framebuffer object of the caller's plays
// the window's framebuffer. UI thread, with the tests' GL context current.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graphics/renderer/gfx_canvas.h"
#include "graphics/renderer/gl_backend.h"
#include "tests/graphics/platform/font_fixtures.h"
#include "tests/graphics/renderer/gl_table_doubles.h"
#include "tests/graphics/renderer/gl_test_context.h"

namespace plugfw::gfx::test {

// A font that hands over the bytes it was given.
class BytesFont : public PlatformFont {
 public:
  explicit BytesFont(Bytes bytes) : PlatformFont(false), bytes_(std::move(bytes)) {}
  std::unique_ptr<FontData> GetFontData() const override;

 private:
  Bytes bytes_;
};

class TestCanvasGfx : public IGfxCanvas {
 public:
  // Its table is the tests' context's as loaded then, as a window loads its context's.
  TestCanvasGfx(IGfxEditorDelegate& delegate, int32_t width, int32_t height, float drawScale = 1.f)
      : IGfxCanvas(delegate, width, height, 30, drawScale) {
    GLTable() = TestGL();
  }

  // Module resources by name, as the window's module would hold them.
  std::map<std::string, Bytes> resources;
  int32_t makeCurrentCalls = 0;
  int32_t releaseCalls = 0;
  // What MakeGLContextCurrent answers: false plays a context that cannot be made current.
  bool contextCanBeMadeCurrent = true;

  // Changes the size and scales as a resize would, and remakes the drawing surface.
  void Resize(int32_t width, int32_t height, float drawScale, float screenScale);

  using IGfxCanvas::GLTable;
  using IGfxCanvas::MainFramebuffer;
  using IGfxCanvas::WindowFramebuffer;

  // platform: nothing happens
  void GetMouseLocation(float& x, float& y) const override { x = y = 0.f; }
  void HideMouseCursor(bool, bool) override {}
  void MoveMouseCursor(float, float) override {}
  void EndPlatformTextEntry() override {}
  void* OpenPlatformWindow(void*) override { return nullptr; }
  void ClosePlatformWindow() override {}
  void* GetPlatformWindow() override { return nullptr; }
  bool GetTextFromClipboard(HeapString&) override { return false; }
  bool SetTextInClipboard(const char*) override { return false; }
  void PopupMenuOpened() override {}
  int32_t ShowMessageBox(const char*, const char*, int32_t, MessageBoxCompletion) override { return 0; }
  void PickFileDialog(HeapString&, HeapString&, int32_t, const char*, FileDialogCompletion) override {}
  void PickDirectoryDialog(HeapString&, FileDialogCompletion) override {}
  bool PickColorDialog(Colour&, const char*, ColourCompletion) override { return false; }
  bool OpenWebAddress(const char*, const char*, const char*, const char*) override { return false; }
  PlatformFontPtr LoadFontByName(const char*, const char*, int32_t) override { return nullptr; }
  PlatformFontPtr LoadFontFromMemory(const char*, const void*, int32_t) override { return nullptr; }
  PlatformFontPtr LoadFontFromFile(const char*, const char*) override { return nullptr; }
  void CachePlatformFont(const char*, PlatformFont&) override {}
  void ShowNativeTextEntry(int32_t, const TextStyle&, const Rect&, int32_t, const char*) override {}
  IPopupMenu* ShowNativePopupMenu(IPopupMenu&, const Rect&, bool&) override { return nullptr; }
  bool MakeGLContextCurrent() override {
    ++makeCurrentCalls;
    return contextCanBeMadeCurrent;
  }
  void ReleaseGLContext() override { ++releaseCalls; }

 protected:
  const uint8_t* FindModuleResource(const char* name, const char* type, int32_t* size) override;
};

// A framebuffer object of the tests' own that plays the window's framebuffer.
class WindowTarget {
 public:
  WindowTarget(int width, int height);
  ~WindowTarget();
  WindowTarget(const WindowTarget&) = delete;
  WindowTarget& operator=(const WindowTarget&) = delete;

  GLuint Name() const { return framebuffer_; }
  bool Complete() const { return complete_; }

 private:
  GLuint framebuffer_ = 0;
  GLuint texture_ = 0;
  bool complete_ = false;
};

}  // namespace plugfw::gfx::test
