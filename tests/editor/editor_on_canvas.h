#pragma once
// The plug-in's whole editor laid out on the renderer over the tests' GL context (natively
// OSMesa, under Wine a hidden WGL window), at a draw scale, with the embedded font loaded: what
// the editor's pixel and text tests draw on. UI thread, with the tests' GL context current.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "editor/editor_layout.h"
#include "editor/palette.h"
#include "effect/halcyra.h"
#include "tests/graphics/renderer/gfx_canvas_fixture.h"

namespace halcyra::test {

template <typename Gfx = plugfw::gfx::test::TestCanvasGfx>
class EditorOnCanvas {
 public:
  // Makes the plug-in, the window's framebuffer, the renderer and the layout; a failure says why.
  ::testing::AssertionResult Open(float scale) {
    const char* reason = nullptr;
    if (!plugfw::gfx::test::EnsureGLTestContext(&reason)) return ::testing::AssertionFailure() << reason;
    plugin = CreatePluginInstance({});
    if (plugin == nullptr) return ::testing::AssertionFailure() << "no plug-in";
    width = static_cast<int>(std::lround(Halcyra::kEditorWidth * scale));
    height = static_cast<int>(std::lround(Halcyra::kEditorHeight * scale));
    window = std::make_unique<plugfw::gfx::test::WindowTarget>(width, height);
    if (!window->Complete()) return ::testing::AssertionFailure() << "no window framebuffer";
    // The window's framebuffer is bound when the window makes the renderer context.
    plugfw::gfx::test::TestGL().BindFramebuffer(plugfw::gfx::GL_FRAMEBUFFER, window->Name());
    gfx = std::make_unique<Gfx>(*plugin, Halcyra::kEditorWidth, Halcyra::kEditorHeight, scale);
    if (gfx->CreateRendererContext() == nullptr) return ::testing::AssertionFailure() << "no renderer";
    gfx->Resize(Halcyra::kEditorWidth, Halcyra::kEditorHeight, scale, 1.f);
    font = std::make_unique<plugfw::gfx::test::BytesFont>(
        plugfw::gfx::test::ReadRobotoFile("Roboto-Regular.ttf"));
    if (!gfx->LoadFontIntoRenderer(kEditorFontId, *font)) return ::testing::AssertionFailure() << "no Roboto";
    layout = BuildEditorLayout(plugin.get(), gfx.get());
    if (layout.view == nullptr) return ::testing::AssertionFailure() << "no layout";
    return ::testing::AssertionSuccess();
  }

  // The controls go first, then the renderer, then the plug-in they point to.
  ~EditorOnCanvas() {
    if (gfx) {
      gfx->RemoveAllControls();
      gfx->DestroyRendererContext();
    }
    gfx.reset();
    plugin.reset();
  }

  std::unique_ptr<Halcyra> plugin;
  std::unique_ptr<plugfw::gfx::test::WindowTarget> window;
  std::unique_ptr<Gfx> gfx;
  std::unique_ptr<plugfw::gfx::test::BytesFont> font;
  EditorLayout layout;
  int width = 0;
  int height = 0;
};

}  // namespace halcyra::test
