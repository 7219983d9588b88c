#pragma once
// A canvas back end that keeps what it is handed: the paint, composite and paths of every
// fill and stroke (with copies of their points and vertices), and textures as sizes only.
// For tests of the canvas without GL.

#include <cstring>
#include <map>
#include <vector>

#include "graphics/renderer/canvas.h"

namespace plugfw::gfx::test {

struct RecordedPath {
  std::vector<CanvasPoint> points;
  std::vector<CanvasVertex> fill;
  std::vector<CanvasVertex> stroke;
  bool closed;
  int32_t winding;
  bool convex;
};

struct RecordedCall {
  enum Kind { kFill, kStroke, kTriangles } kind;
  CanvasPaint paint;
  CanvasCompositeOperation composite;
  CanvasScissorState scissor;
  float fringe;
  float strokeWidth;
  float bounds[4];
  std::vector<RecordedPath> paths;
  std::vector<CanvasVertex> vertices;  // triangles
};

struct RecordedTexture {
  int type, width, height, flags;
};

class RecordingBackend {
 public:
  RecordingBackend() {
    callbacks_.state = this;
    callbacks_.edgeAntiAlias = 1;
    callbacks_.create = [](void*) { return 1; };
    callbacks_.createTexture = [](void* s, int type, int w, int h, int flags, const uint8_t*) {
      auto* self = static_cast<RecordingBackend*>(s);
      const int id = ++self->lastId_;
      self->textures[id] = RecordedTexture{type, w, h, flags};
      return id;
    };
    callbacks_.deleteTexture = [](void* s, int image) {
      return static_cast<int>(static_cast<RecordingBackend*>(s)->textures.erase(image));
    };
    callbacks_.updateTexture = [](void* s, int image, int, int, int, int, const uint8_t*) {
      auto* self = static_cast<RecordingBackend*>(s);
      self->updates++;
      return self->textures.count(image) ? 1 : 0;
    };
    callbacks_.textureSize = [](void* s, int image, int* w, int* h) {
      auto* self = static_cast<RecordingBackend*>(s);
      auto found = self->textures.find(image);
      if (found == self->textures.end()) return 0;
      *w = found->second.width;
      *h = found->second.height;
      return 1;
    };
    callbacks_.viewport = [](void*, float, float, float) {};
    callbacks_.cancel = [](void*) {};
    callbacks_.flush = [](void* s) { static_cast<RecordingBackend*>(s)->flushes++; };
    callbacks_.fill = [](void* s, const CanvasPaint* paint, CanvasCompositeOperation composite,
                         const CanvasScissorState* scissor, float fringe, const float* bounds,
                         const CanvasPath* paths, int count) {
      auto* self = static_cast<RecordingBackend*>(s);
      RecordedCall call = self->Record(RecordedCall::kFill, paint, composite, scissor, fringe, paths, count);
      std::memcpy(call.bounds, bounds, sizeof(call.bounds));
      self->calls.push_back(call);
    };
    callbacks_.stroke = [](void* s, const CanvasPaint* paint, CanvasCompositeOperation composite,
                           const CanvasScissorState* scissor, float fringe, float width,
                           const CanvasPath* paths, int count) {
      auto* self = static_cast<RecordingBackend*>(s);
      RecordedCall call =
          self->Record(RecordedCall::kStroke, paint, composite, scissor, fringe, paths, count);
      call.strokeWidth = width;
      self->calls.push_back(call);
    };
    callbacks_.triangles = [](void* s, const CanvasPaint* paint, CanvasCompositeOperation composite,
                              const CanvasScissorState* scissor, const CanvasVertex* vertices, int count,
                              float fringe) {
      auto* self = static_cast<RecordingBackend*>(s);
      RecordedCall call =
          self->Record(RecordedCall::kTriangles, paint, composite, scissor, fringe, nullptr, 0);
      call.vertices.assign(vertices, vertices + count);
      self->calls.push_back(call);
    };
    callbacks_.destroy = [](void* s) { static_cast<RecordingBackend*>(s)->destroyed = true; };
  }

  const CanvasBackendCallbacks& Callbacks() const { return callbacks_; }

  std::vector<RecordedCall> calls;
  std::map<int, RecordedTexture> textures;
  int flushes = 0;
  int updates = 0;
  bool destroyed = false;
  // Set before a frame, the canvas's context: recorded paths copy their points from it.
  const CanvasContext* canvas = nullptr;

 private:
  RecordedCall Record(RecordedCall::Kind kind, const CanvasPaint* paint, CanvasCompositeOperation composite,
                      const CanvasScissorState* scissor, float fringe, const CanvasPath* paths, int count) {
    RecordedCall call{};
    call.kind = kind;
    call.paint = *paint;
    call.composite = composite;
    call.scissor = *scissor;
    call.fringe = fringe;
    for (int i = 0; i < count; ++i) {
      const CanvasPath& path = paths[i];
      RecordedPath recorded{};
      if (canvas != nullptr) {
        const CanvasPoint* first = &canvas->cache->points[path.first];
        recorded.points.assign(first, first + path.count);
      }
      if (path.fill != nullptr) recorded.fill.assign(path.fill, path.fill + path.fillCount);
      if (path.stroke != nullptr) recorded.stroke.assign(path.stroke, path.stroke + path.strokeCount);
      recorded.closed = path.closed != 0;
      recorded.winding = path.winding;
      recorded.convex = path.convex != 0;
      call.paths.push_back(recorded);
    }
    return call;
  }

  CanvasBackendCallbacks callbacks_{};
  int lastId_ = 0;
};

}  // namespace plugfw::gfx::test

#include <gtest/gtest.h>

namespace plugfw::gfx::test {

// A canvas over the recording back end, inside a 100 x 100 frame at pixel ratio 1.
class RecordingCanvasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    canvas_ = CanvasCreate(&backend_.Callbacks());
    ASSERT_NE(canvas_, nullptr);
    backend_.canvas = canvas_;
    CanvasBeginFrame(canvas_, 100.0f, 100.0f, 1.0f);
  }
  void TearDown() override { CanvasDelete(canvas_); }

  const RecordedCall& LastCall() const { return backend_.calls.back(); }

  RecordingBackend backend_;
  CanvasContext* canvas_ = nullptr;
};

}  // namespace plugfw::gfx::test
