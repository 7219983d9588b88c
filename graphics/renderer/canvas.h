#pragma once
// The vector canvas: an immediate-mode 2D renderer. The caller builds a path, sets paints and
// state, and fills or strokes it; the canvas flattens curves, works out joins, caps and the
// anti-aliasing fringe, and hands finished vertex lists to a back end through callbacks.
// Plain records; colours are floats 0..1. Everything here runs on the UI thread, with the
// back end's GL context current.

#include <cstdint>

#include "graphics/renderer/glyph_cache.h"

namespace plugfw::gfx {

struct CanvasColour {
  float r, g, b, a;
};

// Composite factors are bits so that a set can be checked against the table in one test.
enum CanvasBlendFactor : int32_t {
  kBlendZero = 1 << 0,
  kBlendOne = 1 << 1,
  kBlendSrcColour = 1 << 2,
  kBlendOneMinusSrcColour = 1 << 3,
  kBlendDstColour = 1 << 4,
  kBlendOneMinusDstColour = 1 << 5,
  kBlendSrcAlpha = 1 << 6,
  kBlendOneMinusSrcAlpha = 1 << 7,
  kBlendDstAlpha = 1 << 8,
  kBlendOneMinusDstAlpha = 1 << 9,
  kBlendSrcAlphaSaturate = 1 << 10,
};

struct CanvasCompositeOperation {
  int32_t srcColour;
  int32_t dstColour;
  int32_t srcAlpha;
  int32_t dstAlpha;
};

// One numbering for caps and joins.
enum CanvasLineStyle : int32_t {
  kLineButt = 0,
  kLineRound = 1,
  kLineSquare = 2,
  kLineBevel = 3,
  kLineMiter = 4,
};

// Solid paths are drawn, holes cut out of them.
enum CanvasWinding : int32_t {
  kWindingSolid = 1,
  kWindingHole = 2,
};

// Path commands as they stand in the command buffer, each followed by its values.
enum CanvasCommand : int32_t {
  kCommandMoveTo = 0,    // x, y
  kCommandLineTo = 1,    // x, y
  kCommandBezierTo = 2,  // c1x, c1y, c2x, c2y, x, y
  kCommandClose = 3,
  kCommandWinding = 4,  // CanvasWinding
};

// Image flags, shared with the back end.
enum CanvasImageFlags : int32_t {
  kImageGenerateMipmaps = 1 << 0,
  kImageRepeatX = 1 << 1,
  kImageRepeatY = 1 << 2,
  kImageFlipY = 1 << 3,
  kImagePremultiplied = 1 << 4,
  kImageNearest = 1 << 5,
  kImageNoDelete = 1 << 16,  // the GL texture belongs to someone else
};

enum CanvasTextureType : int32_t {
  kTextureAlpha = 1,
  kTextureRgba = 2,
};

// Transforms are (a, b, c, d, e, f): x' = a x + c y + e, y' = b x + d y + f.
struct CanvasPaint {
  float xform[6];
  float extent[2];
  float radius;
  float feather;
  CanvasColour innerColour;
  CanvasColour outerColour;
  int32_t image;  // 0: none
};

struct CanvasScissorState {
  float xform[6];
  float extent[2];  // half width and height; negative: no scissor
};

struct CanvasState {
  CanvasCompositeOperation composite;
  int32_t shapeAntiAlias;
  CanvasPaint fill;
  CanvasPaint stroke;
  float strokeWidth;
  float miterLimit;
  int32_t lineJoin;
  int32_t lineCap;
  float alpha;
  float xform[6];
  CanvasScissorState scissor;
  float fontSize;
  float letterSpacing;
  float lineHeight;
  float fontBlur;
  int32_t textAlign;  // GlyphAlign bits: the glyph cache lays the text out
  int32_t fontId;
};

enum CanvasPointFlags : uint8_t {
  kPointCorner = 1 << 0,
  kPointLeft = 1 << 1,
  kPointBevel = 1 << 2,
  kPointInnerBevel = 1 << 3,
};

struct CanvasPoint {
  float x, y;
  float dx, dy;    // unit direction to the next point
  float length;    // to the next point
  float dmx, dmy;  // miter direction
  uint8_t flags;
};

struct CanvasVertex {
  float x, y, u, v;
};

struct CanvasPath {
  int32_t first;
  int32_t count;
  uint8_t closed;
  int32_t bevelCount;
  CanvasVertex* fill;
  int32_t fillCount;
  CanvasVertex* stroke;
  int32_t strokeCount;
  int32_t winding;
  int32_t convex;
};

struct CanvasPathCache {
  CanvasPoint* points;
  int32_t pointCount;
  int32_t pointCapacity;
  CanvasPath* paths;
  int32_t pathCount;
  int32_t pathCapacity;
  CanvasVertex* vertices;
  int32_t vertexCapacity;
  float bounds[4];  // min x, min y, max x, max y
};

// The back end, called with `state` first, on the UI thread with its GL context current.
// Textures are named by image ids (0: none).
struct CanvasBackendCallbacks {
  void* state;
  int32_t edgeAntiAlias;
  int (*create)(void* state);
  int (*createTexture)(void* state, int type, int width, int height, int imageFlags, const uint8_t* data);
  int (*deleteTexture)(void* state, int image);
  // `data` is the whole image; only the rectangle is uploaded.
  int (*updateTexture)(void* state, int image, int x, int y, int width, int height, const uint8_t* data);
  int (*textureSize)(void* state, int image, int* width, int* height);
  void (*viewport)(void* state, float width, float height, float devicePixelRatio);
  void (*cancel)(void* state);
  void (*flush)(void* state);
  void (*fill)(void* state, const CanvasPaint* paint, CanvasCompositeOperation composite,
               const CanvasScissorState* scissor, float fringe, const float* bounds, const CanvasPath* paths,
               int pathCount);
  void (*stroke)(void* state, const CanvasPaint* paint, CanvasCompositeOperation composite,
                 const CanvasScissorState* scissor, float fringe, float strokeWidth, const CanvasPath* paths,
                 int pathCount);
  void (*triangles)(void* state, const CanvasPaint* paint, CanvasCompositeOperation composite,
                    const CanvasScissorState* scissor, const CanvasVertex* vertices, int vertexCount,
                    float fringe);
  void (*destroy)(void* state);
};

inline constexpr int kCanvasMaxStates = 32;
inline constexpr int kCanvasMaxFontTextures = 4;

struct CanvasContext {
  CanvasBackendCallbacks callbacks;
  float* commands;
  int32_t commandCapacity;
  int32_t commandCount;
  float commandX, commandY;  // the last command point, before the transform
  CanvasState states[kCanvasMaxStates];
  int32_t stateCount;
  CanvasPathCache* cache;
  float tessellationTolerance;
  float distanceTolerance;
  float fringeWidth;
  float devicePixelRatio;
  GlyphCache* glyphs;
  int32_t fontImages[kCanvasMaxFontTextures];
  int32_t fontImageIndex;
};

// Life and frames. UI thread.
// Takes the back end over: on failure its destroy callback has run and the result is null.
CanvasContext* CanvasCreate(const CanvasBackendCallbacks* callbacks);
void CanvasDelete(CanvasContext* ctx);
void CanvasBeginFrame(CanvasContext* ctx, float width, float height, float devicePixelRatio);
void CanvasEndFrame(CanvasContext* ctx);

// State stack. UI thread.
void CanvasSave(CanvasContext* ctx);
void CanvasRestore(CanvasContext* ctx);
void CanvasResetState(CanvasContext* ctx);
inline CanvasState* CanvasCurrentState(CanvasContext* ctx) { return &ctx->states[ctx->stateCount - 1]; }

// Transforms of six floats. Multiply: t becomes "t, then s"; Premultiply: "s, then t".
// Any thread: they touch only their arguments.
void TransformIdentity(float* t);
void TransformTranslate(float* t, float tx, float ty);
void TransformScale(float* t, float sx, float sy);
void TransformRotate(float* t, float angle);
void TransformMultiply(float* t, const float* s);
void TransformPremultiply(float* t, const float* s);
// 1 on success; a singular transform gives the identity and 0.
int TransformInverse(float* inverse, const float* t);
void TransformPoint(float* dx, float* dy, const float* t, float sx, float sy);
// The mean scale of the transform's two axes.
float TransformAverageScale(const float* t);

// The current transform: each new step applies to points before the current one. UI thread.
void CanvasResetTransform(CanvasContext* ctx);
void CanvasTranslate(CanvasContext* ctx, float x, float y);
void CanvasScale(CanvasContext* ctx, float x, float y);
void CanvasRotate(CanvasContext* ctx, float angle);
void CanvasTransform(CanvasContext* ctx, float a, float b, float c, float d, float e, float f);

// State setters. UI thread.
void CanvasFillColour(CanvasContext* ctx, CanvasColour colour);
void CanvasFillPaint(CanvasContext* ctx, CanvasPaint paint);
void CanvasStrokeColour(CanvasContext* ctx, CanvasColour colour);
void CanvasStrokePaint(CanvasContext* ctx, CanvasPaint paint);
void CanvasStrokeWidth(CanvasContext* ctx, float width);
void CanvasMiterLimit(CanvasContext* ctx, float limit);
void CanvasLineCap(CanvasContext* ctx, int32_t cap);
void CanvasLineJoin(CanvasContext* ctx, int32_t join);
void CanvasGlobalAlpha(CanvasContext* ctx, float alpha);
void CanvasShapeAntiAlias(CanvasContext* ctx, int32_t enabled);
void CanvasCompositeFactors(CanvasContext* ctx, int32_t srcFactor, int32_t dstFactor);
void CanvasCompositeFactorsSeparate(CanvasContext* ctx, CanvasCompositeOperation composite);

// Paints, taken into the current transform when a setter above receives them. Any thread:
// they only build the record.
CanvasPaint CanvasLinearGradient(float sx, float sy, float ex, float ey, CanvasColour inner,
                                 CanvasColour outer);
CanvasPaint CanvasRadialGradient(float cx, float cy, float innerRadius, float outerRadius, CanvasColour inner,
                                 CanvasColour outer);
CanvasPaint CanvasBoxGradient(float x, float y, float w, float h, float radius, float feather,
                              CanvasColour inner, CanvasColour outer);
CanvasPaint CanvasImagePattern(float ox, float oy, float w, float h, float angle, int32_t image, float alpha);

// A clip rectangle in the current transform. UI thread.
void CanvasScissor(CanvasContext* ctx, float x, float y, float w, float h);
void CanvasResetScissor(CanvasContext* ctx);

// Path building. Points are taken through the current transform. UI thread.
void CanvasBeginPath(CanvasContext* ctx);
void CanvasAppendCommands(CanvasContext* ctx, const float* values, int count);
void CanvasMoveTo(CanvasContext* ctx, float x, float y);
void CanvasLineTo(CanvasContext* ctx, float x, float y);
void CanvasBezierTo(CanvasContext* ctx, float c1x, float c1y, float c2x, float c2y, float x, float y);
void CanvasClosePath(CanvasContext* ctx);
void CanvasPathWinding(CanvasContext* ctx, int32_t winding);
// Angles in radians; direction 1 counter-clockwise, 2 clockwise (on screen, y down).
void CanvasArc(CanvasContext* ctx, float cx, float cy, float r, float a0, float a1, int32_t direction);
void CanvasRect(CanvasContext* ctx, float x, float y, float w, float h);

// Drawing the current path with the current paints. UI thread.
void CanvasFill(CanvasContext* ctx);
void CanvasStroke(CanvasContext* ctx);

// Images (ids; 0 means none). UI thread.
int32_t CanvasCreateImage(CanvasContext* ctx, const char* path, int32_t imageFlags);
int32_t CanvasCreateImageMem(CanvasContext* ctx, int32_t imageFlags, const uint8_t* bytes, int32_t size);
// Four bytes per pixel, rows top first.
int32_t CanvasCreateImageRgba(CanvasContext* ctx, int32_t width, int32_t height, int32_t imageFlags,
                              const uint8_t* pixels);
int CanvasImageSize(CanvasContext* ctx, int32_t image, int* width, int* height);
void CanvasDeleteImage(CanvasContext* ctx, int32_t image);

// Text state. Fonts live in the canvas's glyph cache (ctx->glyphs); -1 is no font. UI thread.
void CanvasFontSize(CanvasContext* ctx, float size);
void CanvasFontBlur(CanvasContext* ctx, float blur);
void CanvasTextLetterSpacing(CanvasContext* ctx, float spacing);
void CanvasTextLineHeight(CanvasContext* ctx, float lineHeight);
void CanvasTextAlign(CanvasContext* ctx, int32_t align);
void CanvasFontFaceId(CanvasContext* ctx, int32_t font);
int32_t CanvasFindFont(CanvasContext* ctx, const char* name);

// One row of CanvasTextBreakLines; widths and x in the caller's units, x from the row start.
struct CanvasTextRow {
  const char* start;
  const char* end;
  const char* next;  // where the following row starts
  float width;
  float minX;
  float maxX;
};

// The transform's mean scale, to 0.01 and at most 4: the glyphs' scale over canvas units.
// 0 for a transform that is no number.
float CanvasFontScale(CanvasContext* ctx);
// Draws UTF-8 [start, end) (end null: up to the NUL) with the fill paint; returns the pen's
// x after it. Nothing is drawn, and x comes back, without a font or with a size or scale
// that gives no glyphs. UI thread.
float CanvasText(CanvasContext* ctx, float x, float y, const char* start, const char* end);
// Breaks [start, end) into at most maxRows rows no wider than rowWidth: at newlines, before a
// word that would not fit, inside a word wider than a row, and before any CJK character.
// Returns the number of rows. UI thread.
int CanvasTextBreakLines(CanvasContext* ctx, const char* start, const char* end, float rowWidth,
                         CanvasTextRow* rows, int maxRows);

}  // namespace plugfw::gfx
