#pragma once
// APIBitmap: a bitmap of the drawing back end - its handle, pixel size and the scales it
// was made for. The back end derives its own bitmap from it; whoever holds the pointer
// deletes it through this base. UI thread.

#include <cstdint>

namespace plugfw::gfx {

class APIBitmap {
 public:
  APIBitmap() = default;
  APIBitmap(int32_t handle, int32_t width, int32_t height, float scale, float drawScale)
      : handle_(handle), width_(width), height_(height), scale_(scale), drawScale_(drawScale) {}
  virtual ~APIBitmap() = default;
  APIBitmap(const APIBitmap&) = delete;
  APIBitmap& operator=(const APIBitmap&) = delete;

  int32_t Handle() const { return handle_; }
  int32_t Width() const { return width_; }  // pixels
  int32_t Height() const { return height_; }
  float Scale() const { return scale_; }  // pixels per editor unit it was made for
  float DrawScale() const { return drawScale_; }

 protected:
  void SetBitmap(int32_t handle, int32_t width, int32_t height, float scale, float drawScale) {
    handle_ = handle;
    width_ = width;
    height_ = height;
    scale_ = scale;
    drawScale_ = drawScale;
  }

 private:
  int32_t handle_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
  float scale_ = 1.f;
  float drawScale_ = 1.f;
};

}  // namespace plugfw::gfx
