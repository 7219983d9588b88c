#pragma once
// A canvas over the GL back end drawing into a 64 x 64 framebuffer object of the tests' own
// context, and the pixels read back from it (rows bottom-up, premultiplied RGBA).

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "graphics/renderer/canvas.h"
#include "graphics/renderer/gl_backend.h"
#include "tests/graphics/renderer/gl_test_context.h"

namespace plugfw::gfx::test {

struct Rgba {
  int r, g, b, a;
};

class Pixels {
 public:
  Pixels(int width, int height)
      : width_(width), height_(height), bytes_(static_cast<size_t>(width * height * 4)) {}
  uint8_t* Data() { return bytes_.data(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The pixel in column x, row y counted from the top as the canvas counts.
  Rgba At(int x, int y) const {
    const uint8_t* p = &bytes_[static_cast<size_t>(((height_ - 1 - y) * width_ + x) * 4)];
    return Rgba{p[0], p[1], p[2], p[3]};
  }
  float Coverage(int x, int y) const { return static_cast<float>(At(x, y).a) / 255.0f; }
  // The sum of alpha over all pixels, in whole pixels.
  double CoveredArea() const {
    double sum = 0.0;
    for (size_t i = 3; i < bytes_.size(); i += 4) sum += bytes_[i] / 255.0;
    return sum;
  }

 private:
  int width_, height_;
  std::vector<uint8_t> bytes_;
};

// Every channel within `tolerance` of the expected value.
inline ::testing::AssertionResult PixelNear(const Pixels& pixels, int x, int y, Rgba expected,
                                            int tolerance = 1) {
  const Rgba got = pixels.At(x, y);
  if (std::abs(got.r - expected.r) <= tolerance && std::abs(got.g - expected.g) <= tolerance &&
      std::abs(got.b - expected.b) <= tolerance && std::abs(got.a - expected.a) <= tolerance) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "pixel (" << x << ", " << y << ") is (" << got.r << ", " << got.g << ", " << got.b << ", "
         << got.a << "), expected (" << expected.r << ", " << expected.g << ", " << expected.b << ", "
         << expected.a << ")";
}

// Puts the tests' table back as it was when the scope ends, whatever the test replaced.
class GLTableScope {
 public:
  GLTableScope() : saved_(TestGL()) {}
  ~GLTableScope() { TestGL() = saved_; }
  GLTableScope(const GLTableScope&) = delete;
  GLTableScope& operator=(const GLTableScope&) = delete;
  const GLFunctions& Saved() const { return saved_; }

 private:
  GLFunctions saved_;
};

inline constexpr Rgba kClear{0, 0, 0, 0};
inline constexpr Rgba kOpaqueWhite{255, 255, 255, 255};

class GLCanvasTest : public ::testing::Test {
 protected:
  static constexpr int kSize = 64;

  void SetUp() override {
    const char* reason = nullptr;
    ASSERT_TRUE(EnsureGLTestContext(&reason)) << reason;
    canvas_ = GLCanvasCreate(kGLBackendAntiAlias, TestGL());
    ASSERT_NE(canvas_, nullptr);
    target_ = CreateLayerFramebuffer(canvas_, kSize, kSize, 0);
    ASSERT_NE(target_, nullptr);
    BindAndClear(target_);
    CanvasBeginFrame(canvas_, kSize, kSize, 1.0f);
  }

  void TearDown() override {
    DeleteLayerFramebuffer(target_);
    CanvasDelete(canvas_);
    TestGL().BindFramebuffer(GL_FRAMEBUFFER, 0);
  }

  static void BindAndClear(const LayerFramebuffer* framebuffer) {
    int width = 0, height = 0;
    LayerFramebufferSize(framebuffer, &width, &height);
    TestGL().BindFramebuffer(GL_FRAMEBUFFER, framebuffer->framebuffer);
    TestGL().Viewport(0, 0, width, height);
    TestGL().ClearColor(0, 0, 0, 0);
    TestGL().Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  }

  // Ends the frame and reads the bound framebuffer.
  Pixels Finish(int width = kSize, int height = kSize) {
    CanvasEndFrame(canvas_);
    Pixels pixels(width, height);
    TestGL().PixelStorei(GL_PACK_ALIGNMENT, 1);
    TestGL().ReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.Data());
    return pixels;
  }

  // A fresh frame on the cleared target.
  void RestartFrame() {
    BindAndClear(target_);
    CanvasBeginFrame(canvas_, kSize, kSize, 1.0f);
  }

  // The image stretched over the rectangle.
  void FillWithImage(int32_t image, float x, float y, float w, float h) {
    CanvasBeginPath(canvas_);
    CanvasFillPaint(canvas_, CanvasImagePattern(x, y, w, h, 0.0f, image, 1.0f));
    CanvasRect(canvas_, x, y, w, h);
    CanvasFill(canvas_);
  }

  void FillRect(float x, float y, float w, float h, CanvasColour colour) {
    CanvasBeginPath(canvas_);
    CanvasRect(canvas_, x, y, w, h);
    CanvasFillColour(canvas_, colour);
    CanvasFill(canvas_);
  }

  CanvasContext* canvas_ = nullptr;
  LayerFramebuffer* target_ = nullptr;
};

}  // namespace plugfw::gfx::test
