// The canvas context: its life and frames, the state stack, paints, the scissor, path
// building, and the fill and stroke entry points that hand the tessellated paths over.
#include "graphics/renderer/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "graphics/renderer/canvas_tessellation.h"
#include "graphics/renderer/canvas_text_atlas.h"
#include "graphics/renderer/renderer_arrays.h"

namespace plugfw::gfx {
namespace {

constexpr int32_t kInitialCommands = 256;
constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = kPi / 2.0f;
constexpr float kTwoPi = 6.2831855f;
constexpr float kBaseTessellationTolerance = 0.25f;
constexpr float kBaseDistanceTolerance = 0.01f;
constexpr float kFillMiterLimit = 2.4f;
constexpr float kMaxStrokeWidth = 200.0f;
constexpr int kMaxArcSegments = 5;
constexpr float kGradientFar = 1e5f;
constexpr float kShortestGradient = 0.0001f;

constexpr CanvasColour kWhite{1.0f, 1.0f, 1.0f, 1.0f};
constexpr CanvasColour kBlack{0.0f, 0.0f, 0.0f, 1.0f};

void SetPaintColour(CanvasPaint* paint, CanvasColour colour) {
  std::memset(paint, 0, sizeof(*paint));
  TransformIdentity(paint->xform);
  paint->radius = 0.0f;
  paint->feather = 1.0f;
  paint->innerColour = colour;
  paint->outerColour = colour;
}

CanvasCompositeOperation CompositeOf(int32_t srcFactor, int32_t dstFactor) {
  return CanvasCompositeOperation{srcFactor, dstFactor, srcFactor, dstFactor};
}

// Frames may come with a ratio from a window that is not yet on a screen.
float UsablePixelRatio(float ratio) { return std::isfinite(ratio) && ratio > 0.0f ? ratio : 1.0f; }

void SetTolerances(CanvasContext* ctx, float ratio) {
  ctx->tessellationTolerance = kBaseTessellationTolerance / ratio;
  ctx->distanceTolerance = kBaseDistanceTolerance / ratio;
  ctx->fringeWidth = 1.0f / ratio;
  ctx->devicePixelRatio = ratio;
}

bool IsFinite(const float* values, int count) {
  for (int i = 0; i < count; ++i) {
    if (!std::isfinite(values[i])) return false;
  }
  return true;
}

void MultiplyAlpha(CanvasPaint* paint, float alpha) {
  paint->innerColour.a *= alpha;
  paint->outerColour.a *= alpha;
}

}  // namespace

int CanvasCommandValueCount(int command) {
  switch (command) {
    case kCommandMoveTo:
    case kCommandLineTo:
      return 2;
    case kCommandBezierTo:
      return 6;
    case kCommandClose:
      return 0;
    case kCommandWinding:
      return 1;
    default:
      return -1;
  }
}

CanvasContext* CanvasCreate(const CanvasBackendCallbacks* callbacks) {
  auto* ctx = static_cast<CanvasContext*>(std::calloc(1, sizeof(CanvasContext)));
  if (ctx == nullptr) {
    if (callbacks->destroy != nullptr) callbacks->destroy(callbacks->state);
    return nullptr;
  }
  ctx->callbacks = *callbacks;
  ctx->cache = CanvasPathCacheCreate();
  if (!ResizeRecords(ctx->commands, ctx->commandCapacity, kInitialCommands) || ctx->cache == nullptr) {
    CanvasDelete(ctx);
    return nullptr;
  }
  CanvasSave(ctx);
  CanvasResetState(ctx);
  SetTolerances(ctx, 1.0f);
  if (ctx->callbacks.create(ctx->callbacks.state) == 0 || !CanvasCreateFontAtlas(ctx)) {
    CanvasDelete(ctx);
    return nullptr;
  }
  return ctx;
}

void CanvasDelete(CanvasContext* ctx) {
  if (ctx == nullptr) return;
  std::free(ctx->commands);
  CanvasPathCacheDelete(ctx->cache);
  CanvasDeleteFontAtlas(ctx);
  if (ctx->callbacks.destroy != nullptr) ctx->callbacks.destroy(ctx->callbacks.state);
  std::free(ctx);
}

void CanvasBeginFrame(CanvasContext* ctx, float width, float height, float devicePixelRatio) {
  ctx->stateCount = 0;
  CanvasSave(ctx);
  CanvasResetState(ctx);
  const float ratio = UsablePixelRatio(devicePixelRatio);
  SetTolerances(ctx, ratio);
  ctx->callbacks.viewport(ctx->callbacks.state, width, height, ratio);
}

void CanvasEndFrame(CanvasContext* ctx) {
  ctx->callbacks.flush(ctx->callbacks.state);
  CanvasKeepLargestFontTexture(ctx);
}

void CanvasSave(CanvasContext* ctx) {
  if (ctx->stateCount >= kCanvasMaxStates) return;
  if (ctx->stateCount > 0) ctx->states[ctx->stateCount] = ctx->states[ctx->stateCount - 1];
  ctx->stateCount++;
}

void CanvasRestore(CanvasContext* ctx) {
  if (ctx->stateCount <= 1) return;
  ctx->stateCount--;
}

void CanvasResetState(CanvasContext* ctx) {
  CanvasState* state = CanvasCurrentState(ctx);
  std::memset(state, 0, sizeof(*state));
  SetPaintColour(&state->fill, kWhite);
  SetPaintColour(&state->stroke, kBlack);
  state->composite = CompositeOf(kBlendOne, kBlendOneMinusSrcAlpha);
  state->shapeAntiAlias = 1;
  state->strokeWidth = 1.0f;
  state->miterLimit = 10.0f;
  state->lineCap = kLineButt;
  state->lineJoin = kLineMiter;
  state->alpha = 1.0f;
  TransformIdentity(state->xform);
  state->scissor.extent[0] = -1.0f;
  state->scissor.extent[1] = -1.0f;
  state->fontSize = 16.0f;
  state->letterSpacing = 0.0f;
  state->lineHeight = 1.0f;
  state->fontBlur = 0.0f;
  state->textAlign = kGlyphAlignLeft | kGlyphAlignBaseline;
  state->fontId = 0;
}

void CanvasResetTransform(CanvasContext* ctx) { TransformIdentity(CanvasCurrentState(ctx)->xform); }

void CanvasTranslate(CanvasContext* ctx, float x, float y) {
  float t[6];
  TransformTranslate(t, x, y);
  TransformPremultiply(CanvasCurrentState(ctx)->xform, t);
}

void CanvasScale(CanvasContext* ctx, float x, float y) {
  float t[6];
  TransformScale(t, x, y);
  TransformPremultiply(CanvasCurrentState(ctx)->xform, t);
}

void CanvasRotate(CanvasContext* ctx, float angle) {
  float t[6];
  TransformRotate(t, angle);
  TransformPremultiply(CanvasCurrentState(ctx)->xform, t);
}

void CanvasTransform(CanvasContext* ctx, float a, float b, float c, float d, float e, float f) {
  const float t[6] = {a, b, c, d, e, f};
  TransformPremultiply(CanvasCurrentState(ctx)->xform, t);
}

void CanvasFillColour(CanvasContext* ctx, CanvasColour colour) {
  SetPaintColour(&CanvasCurrentState(ctx)->fill, colour);
}

void CanvasFillPaint(CanvasContext* ctx, CanvasPaint paint) {
  CanvasState* state = CanvasCurrentState(ctx);
  state->fill = paint;
  TransformMultiply(state->fill.xform, state->xform);
}

void CanvasStrokeColour(CanvasContext* ctx, CanvasColour colour) {
  SetPaintColour(&CanvasCurrentState(ctx)->stroke, colour);
}

void CanvasStrokePaint(CanvasContext* ctx, CanvasPaint paint) {
  CanvasState* state = CanvasCurrentState(ctx);
  state->stroke = paint;
  TransformMultiply(state->stroke.xform, state->xform);
}

void CanvasStrokeWidth(CanvasContext* ctx, float width) { CanvasCurrentState(ctx)->strokeWidth = width; }
void CanvasMiterLimit(CanvasContext* ctx, float limit) { CanvasCurrentState(ctx)->miterLimit = limit; }
void CanvasLineCap(CanvasContext* ctx, int32_t cap) { CanvasCurrentState(ctx)->lineCap = cap; }
void CanvasLineJoin(CanvasContext* ctx, int32_t join) { CanvasCurrentState(ctx)->lineJoin = join; }
void CanvasGlobalAlpha(CanvasContext* ctx, float alpha) { CanvasCurrentState(ctx)->alpha = alpha; }
void CanvasShapeAntiAlias(CanvasContext* ctx, int32_t enabled) {
  CanvasCurrentState(ctx)->shapeAntiAlias = enabled;
}

void CanvasCompositeFactors(CanvasContext* ctx, int32_t srcFactor, int32_t dstFactor) {
  CanvasCurrentState(ctx)->composite = CompositeOf(srcFactor, dstFactor);
}

void CanvasCompositeFactorsSeparate(CanvasContext* ctx, CanvasCompositeOperation composite) {
  CanvasCurrentState(ctx)->composite = composite;
}

CanvasPaint CanvasLinearGradient(float sx, float sy, float ex, float ey, CanvasColour inner,
                                 CanvasColour outer) {
  CanvasPaint paint{};
  float dx = ex - sx;
  float dy = ey - sy;
  const float d = std::sqrt(dx * dx + dy * dy);
  if (d > kShortestGradient) {
    dx /= d;
    dy /= d;
  } else {
    dx = 0.0f;
    dy = 1.0f;
  }
  // A box reaching far behind the start, whose feathered far edge is the ramp from s to e.
  paint.xform[0] = dy;
  paint.xform[1] = -dx;
  paint.xform[2] = dx;
  paint.xform[3] = dy;
  paint.xform[4] = sx - dx * kGradientFar;
  paint.xform[5] = sy - dy * kGradientFar;
  paint.extent[0] = kGradientFar;
  paint.extent[1] = kGradientFar + d * 0.5f;
  paint.radius = 0.0f;
  paint.feather = std::max(1.0f, d);
  paint.innerColour = inner;
  paint.outerColour = outer;
  return paint;
}

CanvasPaint CanvasRadialGradient(float cx, float cy, float innerRadius, float outerRadius, CanvasColour inner,
                                 CanvasColour outer) {
  CanvasPaint paint{};
  const float r = (innerRadius + outerRadius) * 0.5f;
  const float f = outerRadius - innerRadius;
  TransformTranslate(paint.xform, cx, cy);
  paint.extent[0] = r;
  paint.extent[1] = r;
  paint.radius = r;
  paint.feather = std::max(1.0f, f);
  paint.innerColour = inner;
  paint.outerColour = outer;
  return paint;
}

CanvasPaint CanvasBoxGradient(float x, float y, float w, float h, float radius, float feather,
                              CanvasColour inner, CanvasColour outer) {
  CanvasPaint paint{};
  TransformTranslate(paint.xform, x + w * 0.5f, y + h * 0.5f);
  paint.extent[0] = w * 0.5f;
  paint.extent[1] = h * 0.5f;
  paint.radius = radius;
  paint.feather = std::max(1.0f, feather);
  paint.innerColour = inner;
  paint.outerColour = outer;
  return paint;
}

CanvasPaint CanvasImagePattern(float ox, float oy, float w, float h, float angle, int32_t image,
                               float alpha) {
  CanvasPaint paint{};
  TransformRotate(paint.xform, angle);
  paint.xform[4] = ox;
  paint.xform[5] = oy;
  paint.extent[0] = w;
  paint.extent[1] = h;
  paint.image = image;
  paint.innerColour = paint.outerColour = CanvasColour{1.0f, 1.0f, 1.0f, alpha};
  return paint;
}

void CanvasScissor(CanvasContext* ctx, float x, float y, float w, float h) {
  CanvasState* state = CanvasCurrentState(ctx);
  w = w > 0.0f ? w : 0.0f;  // also turns NaN into an empty clip
  h = h > 0.0f ? h : 0.0f;
  TransformTranslate(state->scissor.xform, x + w * 0.5f, y + h * 0.5f);
  TransformMultiply(state->scissor.xform, state->xform);
  state->scissor.extent[0] = w * 0.5f;
  state->scissor.extent[1] = h * 0.5f;
}

void CanvasResetScissor(CanvasContext* ctx) {
  CanvasState* state = CanvasCurrentState(ctx);
  std::memset(state->scissor.xform, 0, sizeof(state->scissor.xform));
  state->scissor.extent[0] = -1.0f;
  state->scissor.extent[1] = -1.0f;
}

void CanvasBeginPath(CanvasContext* ctx) {
  ctx->commandCount = 0;
  CanvasPathCacheClear(ctx->cache);
}

void CanvasAppendCommands(CanvasContext* ctx, const float* values, int count) {
  if (values == nullptr || count <= 0) return;
  if (ctx->commandCount + count > ctx->commandCapacity &&
      !ResizeRecords(ctx->commands, ctx->commandCapacity,
                     static_cast<int64_t>(ctx->commandCount) + count + ctx->commandCapacity / 2)) {
    return;
  }
  const CanvasState* state = CanvasCurrentState(ctx);
  float* out = &ctx->commands[ctx->commandCount];
  int i = 0;
  int kept = 0;
  while (i < count) {
    const int command = static_cast<int>(values[i]);
    const int valueCount = CanvasCommandValueCount(command);
    // The buffer keeps whole commands only, so flattening never reads past its end.
    if (valueCount < 0 || i + 1 + valueCount > count) break;
    out[kept] = static_cast<float>(command);
    for (int v = 0; v < valueCount; ++v) out[kept + 1 + v] = values[i + 1 + v];
    i += 1 + valueCount;
    if (command != kCommandClose && command != kCommandWinding) {
      for (int v = 0; v < valueCount; v += 2) {
        float* p = &out[kept + 1 + v];
        TransformPoint(&p[0], &p[1], state->xform, p[0], p[1]);
      }
      // A point that is not a number would spoil the bounds and the whole path's tessellation.
      if (!IsFinite(&out[kept + 1], valueCount)) continue;
      ctx->commandX = values[i - 2];
      ctx->commandY = values[i - 1];
    }
    kept += 1 + valueCount;
  }
  ctx->commandCount += kept;
}

void CanvasMoveTo(CanvasContext* ctx, float x, float y) {
  const float values[] = {kCommandMoveTo, x, y};
  CanvasAppendCommands(ctx, values, 3);
}

void CanvasLineTo(CanvasContext* ctx, float x, float y) {
  const float values[] = {kCommandLineTo, x, y};
  CanvasAppendCommands(ctx, values, 3);
}

void CanvasBezierTo(CanvasContext* ctx, float c1x, float c1y, float c2x, float c2y, float x, float y) {
  const float values[] = {kCommandBezierTo, c1x, c1y, c2x, c2y, x, y};
  CanvasAppendCommands(ctx, values, 7);
}

void CanvasClosePath(CanvasContext* ctx) {
  const float values[] = {kCommandClose};
  CanvasAppendCommands(ctx, values, 1);
}

void CanvasPathWinding(CanvasContext* ctx, int32_t winding) {
  const float values[] = {kCommandWinding, static_cast<float>(winding)};
  CanvasAppendCommands(ctx, values, 2);
}

void CanvasArc(CanvasContext* ctx, float cx, float cy, float r, float a0, float a1, int32_t direction) {
  const float arguments[] = {cx, cy, r, a0, a1};
  if (!IsFinite(arguments, 5)) return;
  float sweep = a1 - a0;
  if (direction == 2) {  // clockwise on screen
    if (std::fabs(sweep) >= kTwoPi) {
      sweep = kTwoPi;
    } else {
      while (sweep < 0.0f) sweep += kTwoPi;
    }
  } else {
    if (std::fabs(sweep) >= kTwoPi) {
      sweep = -kTwoPi;
    } else {
      while (sweep > 0.0f) sweep -= kTwoPi;
    }
  }
  const int segments = std::clamp(static_cast<int>(std::fabs(sweep) / kHalfPi + 0.5f), 1, kMaxArcSegments);
  const float halfStep = sweep / static_cast<float>(segments) * 0.5f;
  // An arc of no sweep is a single point; its tangents have no length.
  const float sinHalf = std::sin(halfStep);
  float kappa = sinHalf != 0.0f ? std::fabs(4.0f / 3.0f * (1.0f - std::cos(halfStep)) / sinHalf) : 0.0f;
  if (direction != 2) kappa = -kappa;

  float values[3 + kMaxArcSegments * 7];
  int count = 0;
  float px = 0.0f, py = 0.0f, ptanx = 0.0f, ptany = 0.0f;
  for (int i = 0; i <= segments; ++i) {
    const float a = a0 + sweep * (static_cast<float>(i) / static_cast<float>(segments));
    const float dx = std::cos(a), dy = std::sin(a);
    const float x = cx + dx * r, y = cy + dy * r;
    const float tanx = -dy * r * kappa, tany = dx * r * kappa;
    if (i == 0) {
      values[count++] = ctx->commandCount > 0 ? kCommandLineTo : kCommandMoveTo;
      values[count++] = x;
      values[count++] = y;
    } else {
      const float bezier[] = {kCommandBezierTo, px + ptanx, py + ptany, x - tanx, y - tany, x, y};
      for (float v : bezier) values[count++] = v;
    }
    px = x;
    py = y;
    ptanx = tanx;
    ptany = tany;
  }
  CanvasAppendCommands(ctx, values, count);
}

void CanvasRect(CanvasContext* ctx, float x, float y, float w, float h) {
  const float values[] = {kCommandMoveTo, x,     y, kCommandLineTo, x, y + h, kCommandLineTo, x + w, y + h,
                          kCommandLineTo, x + w, y, kCommandClose};
  CanvasAppendCommands(ctx, values, 13);
}

void CanvasFill(CanvasContext* ctx) {
  CanvasState* state = CanvasCurrentState(ctx);
  CanvasPaint paint = state->fill;
  CanvasFlattenPaths(ctx);
  const bool antiAlias = ctx->callbacks.edgeAntiAlias != 0 && state->shapeAntiAlias != 0;
  if (!CanvasExpandFill(ctx, antiAlias ? ctx->fringeWidth : 0.0f, kLineMiter, kFillMiterLimit)) return;
  MultiplyAlpha(&paint, state->alpha);
  ctx->callbacks.fill(ctx->callbacks.state, &paint, state->composite, &state->scissor, ctx->fringeWidth,
                      ctx->cache->bounds, ctx->cache->paths, ctx->cache->pathCount);
}

void CanvasStroke(CanvasContext* ctx) {
  CanvasState* state = CanvasCurrentState(ctx);
  const float scale = TransformAverageScale(state->xform);
  float strokeWidth = state->strokeWidth * scale;
  // A width that is not a number draws as no width at all.
  strokeWidth = std::isfinite(strokeWidth) ? std::clamp(strokeWidth, 0.0f, kMaxStrokeWidth) : 0.0f;
  CanvasPaint paint = state->stroke;
  if (strokeWidth < ctx->fringeWidth) {
    // Thinner than the fringe: drawn at fringe width, fainter by the area it lost.
    const float alpha = std::clamp(strokeWidth / ctx->fringeWidth, 0.0f, 1.0f);
    MultiplyAlpha(&paint, alpha * alpha);
    strokeWidth = ctx->fringeWidth;
  }
  MultiplyAlpha(&paint, state->alpha);
  CanvasFlattenPaths(ctx);
  const bool antiAlias = ctx->callbacks.edgeAntiAlias != 0 && state->shapeAntiAlias != 0;
  if (!CanvasExpandStroke(ctx, strokeWidth * 0.5f, antiAlias ? ctx->fringeWidth : 0.0f, state->lineCap,
                          state->lineJoin, state->miterLimit)) {
    return;
  }
  ctx->callbacks.stroke(ctx->callbacks.state, &paint, state->composite, &state->scissor, ctx->fringeWidth,
                        strokeWidth, ctx->cache->paths, ctx->cache->pathCount);
}

}  // namespace plugfw::gfx
