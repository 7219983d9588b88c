#pragma once
// IGfxCanvas pixel tests over the tests' own GL context (natively OSMesa, under Wine a hidden
// WGL window): an editor over a framebuffer that plays the window's, frames drawn as the
// frame road draws them, pixels read back (rows bottom-up, premultiplied), and GL calls
// logged or withheld.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/graphics/platform/font_fixtures.h"
#include "tests/graphics/renderer/gl_canvas_fixture.h"
#include "tests/graphics/renderer/test_canvas_gfx.h"
#include "tests/graphics/support/gfx_test_delegate.h"

namespace plugfw::gfx::test {

// A PNG file of width x height RGBA pixels (rows top first).
Bytes EncodePng(int width, int height, const std::vector<uint8_t>& rgba);

// Reads the framebuffer `name` (rows bottom-up, premultiplied RGBA).
Pixels ReadFramebuffer(GLuint name, int width, int height);

// Loads table again without one entry point, as from a poor driver, until it goes; then the
// full table is back.
class WithheldGLFunction {
 public:
  WithheldGLFunction(GLFunctions& table, const char* name);
  ~WithheldGLFunction();
  WithheldGLFunction(const WithheldGLFunction&) = delete;
  WithheldGLFunction& operator=(const WithheldGLFunction&) = delete;
  // The loader's answer: the name of the missing function.
  const char* missing = nullptr;

 private:
  GLFunctions& table_;
  GLFunctions saved_;
};

// An editor of kWidth x kHeight units over a WindowTarget, with its renderer made and its main
// framebuffer sized. Frame() draws one frame as the frame road would.
class GfxCanvasTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 64;
  static constexpr int kHeight = 48;

  void SetUp() override;
  void TearDown() override;

  // Makes the editor anew at these scales (the window target is sized to match).
  void Remake(float drawScale, float screenScale);
  // BeginFrame, the transform and clip set as before each control (the whole editor), the
  // drawing, EndFrame.
  void Frame(const std::function<void(TestCanvasGfx&)>& draw);
  int PixelWidth() const;
  int PixelHeight() const;
  Pixels ReadWindow() const;
  Pixels ReadMain() const;
  // Loads Roboto under fontId; false when the font file is missing.
  bool LoadRoboto(const char* fontId);

  GfxTestDelegate delegate_{0};
  std::unique_ptr<WindowTarget> window_;
  std::unique_ptr<TestCanvasGfx> gfx_;
  float drawScale_ = 1.f;
  float screenScale_ = 1.f;
};

}  // namespace plugfw::gfx::test
