// The plug-in's own editor in the editor window under Wine, opened through the factory and the
// layout its constructor installs, with the logo and the font embedded in this program as in
// the deliverables: what the factory makes, that the font and the logo load, and the editor's
// pixels as the GL framebuffer holds them.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <vector>

#include "editor/backdrop.h"
#include "effect/halcyra.h"
#include "graphics/platform/gfx_win_win32.h"
#include "graphics/renderer/gl_functions.h"
#include "graphics/text_style.h"
#include "tests/core/message_pump.h"

namespace halcyra::test {
namespace {

using plugfw::gfx::Colour;
using plugfw::gfx::IGfxWin;

::testing::AssertionResult Near(const Colour& expected, const Colour& actual, int tolerance) {
  if (std::abs(expected.red - actual.red) <= tolerance &&
      std::abs(expected.green - actual.green) <= tolerance &&
      std::abs(expected.blue - actual.blue) <= tolerance) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "expected (" << expected.red << ", " << expected.green << ", " << expected.blue << ") got ("
         << actual.red << ", " << actual.green << ", " << actual.blue << ")";
}

HWND TestParent() {
  static const HWND parent = [] {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"HalcyraEditorTestParent";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"HALCYRA editor test",
                                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 1220, 860, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
  }();
  return parent;
}

class EditorWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin_ = CreatePluginInstance({});
    ASSERT_NE(plugin_, nullptr);
    window_ = static_cast<HWND>(plugin_->OpenEditorWindow(TestParent()));
    ASSERT_NE(window_, nullptr);
    gfx_ = dynamic_cast<IGfxWin*>(plugin_->GetUI());
    ASSERT_NE(gfx_, nullptr);
    ASSERT_TRUE(gfx_->RendererReady());
    // The first tick draws every control; the backdrop is the first.
    auto* backdrop = dynamic_cast<Backdrop*>(gfx_->GetControl(0));
    ASSERT_NE(backdrop, nullptr);
    ASSERT_TRUE(plugfw::test::PumpMessagesUntil([&] { return !backdrop->IsDirty(); }));
    plugfw::test::PumpMessagesFor(100);
  }
  void TearDown() override {
    if (plugin_) plugin_->CloseEditorWindow();
    plugfw::test::DispatchPending();
  }

  // The window's framebuffer over an area from the editor's top-left, rows top-down, RGBA.
  std::vector<uint8_t> Area(int left, int top, int right, int bottom) {
    const int width = right - left;
    const int height = bottom - top;
    std::vector<uint8_t> rows(static_cast<size_t>(width) * height * 4);
    gfx_->MakeGLContextCurrent();
    gfx_->GL().ReadPixels(left, Halcyra::kEditorHeight - bottom, width, height, plugfw::gfx::GL_RGBA,
                          plugfw::gfx::GL_UNSIGNED_BYTE, rows.data());
    gfx_->ReleaseGLContext();
    // GL reads bottom-up.
    std::vector<uint8_t> topDown(rows.size());
    for (int y = 0; y < height; ++y) {
      std::copy_n(rows.begin() + static_cast<ptrdiff_t>(height - 1 - y) * width * 4, width * 4,
                  topDown.begin() + static_cast<ptrdiff_t>(y) * width * 4);
    }
    return topDown;
  }
  Colour PixelAt(int x, int y) {
    const std::vector<uint8_t> pixel = Area(x, y, x + 1, y + 1);
    return Colour(pixel[3], pixel[0], pixel[1], pixel[2]);
  }
  // Pixels of the area whose red is above the threshold: the editor's light texts on its dark ground.
  int LightPixelsIn(int left, int top, int right, int bottom, int threshold = 180) {
    const std::vector<uint8_t> area = Area(left, top, right, bottom);
    int light = 0;
    for (size_t i = 0; i < area.size(); i += 4) light += area[i] > threshold ? 1 : 0;
    return light;
  }

  std::unique_ptr<Halcyra> plugin_;
  HWND window_ = nullptr;
  IGfxWin* gfx_ = nullptr;
};

TEST_F(EditorWindowTest, TheFactoryOpensTheEditorWindowAtThirtyFramesAndScaleOne) {
  EXPECT_EQ(gfx_->FPS(), 30);
  EXPECT_EQ(gfx_->GetDrawScale(), 1.f);
  EXPECT_EQ(gfx_->GetWinModuleHandle(), GetModuleHandleW(nullptr)) << "the module with the resources";
  RECT client;
  ASSERT_TRUE(GetClientRect(window_, &client));
  EXPECT_EQ(client.right, 1180);
  EXPECT_EQ(client.bottom, 800);
  EXPECT_EQ(GetParent(window_), TestParent());
}

TEST_F(EditorWindowTest, TheEmbeddedFontAndLogoLoadUnderEveryNameTheEditorDrawsWith) {
  const Halcyra::EditorLayoutReport report = plugin_->LastEditorLayout();
  EXPECT_TRUE(report.built);
  EXPECT_TRUE(report.fontLoaded) << "without it every text of the editor is blank";
  EXPECT_TRUE(report.logoLoaded);
  // The framework's default style names the font "Roboto-Regular": the same embedded font.
  plugfw::gfx::Rect bounds;
  EXPECT_GT(gfx_->MeasureText(plugfw::gfx::DefaultTextStyle, "HALCYRA", bounds), 20.f);
  plugfw::gfx::TextStyle layoutStyle = plugfw::gfx::DefaultTextStyle;
  layoutStyle.SetFontId("KESTRALYN");
  EXPECT_GT(gfx_->MeasureText(layoutStyle, "HALCYRA", bounds), 20.f);
}

TEST_F(EditorWindowTest, TheFramebufferShowsTheBackdropTheTitleAndAKnob) {
  // The backdrop's shading at a third of the height, between two scan lines, left of the panels.
  EXPECT_TRUE(Near(Colour(255, 29, 31, 40), PixelAt(20, 302), 3));
  // The title "HALCYRA" in paper colour on the dark ground, and nothing light beside it.
  EXPECT_GT(LightPixelsIn(36, 45, 250, 82), 200);
  EXPECT_EQ(LightPixelsIn(300, 45, 440, 82), 0);
  // The RATE knob at 0.35 Hz (0.47 of its travel): the amber value arc on its left, the
  // unlit track on its right, the shaded body at its centre.
  EXPECT_TRUE(Near(Colour(255, 215, 165, 109), PixelAt(97, 448), 4));
  EXPECT_TRUE(Near(Colour(255, 54, 67, 73), PixelAt(162, 448), 4));
  EXPECT_TRUE(Near(Colour(255, 47, 60, 66), PixelAt(130, 448), 6));
  // Its value box shows "0.35 Hz" in paper colour.
  EXPECT_GT(LightPixelsIn(70, 482, 190, 502), 30);
}

}  // namespace
}  // namespace halcyra::test
