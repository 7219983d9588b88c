#include "tests/graphics/support/recording_gfx.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "graphics/popup_menu.h"

namespace plugfw::gfx::test {
namespace {

constexpr int32_t kBytesPerPixel = 4;
constexpr int32_t kLoadedBitmapSize = 16;  // every bitmap "decoded" here is this square

const char* YesNo(bool flag) { return flag ? "yes" : "no"; }

}  // namespace

RecordingBitmap::RecordingBitmap(int32_t handle, int32_t width, int32_t height, float scale, float drawScale)
    : APIBitmap(handle, width, height, scale, drawScale),
      pixels(static_cast<size_t>(std::max(0, width)) * static_cast<size_t>(std::max(0, height)) *
             kBytesPerPixel) {}

RecordingGfx::RecordingGfx(IGfxEditorDelegate& delegate, int32_t width, int32_t height, float drawScale)
    : IGfx(delegate, width, height, kFps, drawScale) {}

RecordingGfx::~RecordingGfx() {
  if (removeControlsOnDestruction) RemoveAllControls();
}

GfxCall& RecordingGfx::AddBlend(GfxCall& call, const Blend* blend) {
  call.hasBlend = blend != nullptr;
  if (blend) {
    call.blend = *blend;
    char text[48];
    std::snprintf(text, sizeof text, " blend(%d,%g)", blend->kind, blend->weight);
    call.text += text;
  }
  return call;
}

void RecordingGfx::BeginFrame() {
  log.Add("BeginFrame");
  IGfx::BeginFrame();
}

void RecordingGfx::EndFrame() { log.Add("EndFrame"); }

void RecordingGfx::PlatformResize(bool parentResized) {
  log.Add("PlatformResize", "%s", YesNo(parentResized));
}

void RecordingGfx::ResizeDrawSurface() { log.Add("ResizeDrawSurface"); }

void RecordingGfx::AfterResize() { log.Add("AfterResize"); }

void RecordingGfx::DrawBitmap(const BitmapRef& bitmap, const Rect& dest, int32_t srcX, int32_t srcY,
                              const Blend* blend) {
  GfxCall& call = log.Add("DrawBitmap", "%d %s from %d %d", bitmap.bitmap ? bitmap.bitmap->Handle() : -1,
                          DescribeRect(dest).c_str(), srcX, srcY);
  call.rect = dest;
  AddBlend(call, blend);
}

bool RecordingGfx::BitmapExtSupported(const char* extension) {
  std::string lower = extension ? extension : "";
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return lower.find("png") != std::string::npos || lower.find("jpg") != std::string::npos;
}

void RecordingGfx::GetLayerBitmapData(DrawLayer& layer, HeapBuffer& pixels) {
  log.Add("GetLayerBitmapData");
  const auto* bitmap = dynamic_cast<const RecordingBitmap*>(layer.bitmap.get());
  if (!bitmap) {
    pixels.Resize(0);
    return;
  }
  const int32_t size = static_cast<int32_t>(bitmap->pixels.size());
  pixels.Resize(size, true);
  if (pixels.Size() == size && size > 0)
    std::memcpy(pixels.Data(), bitmap->pixels.data(), bitmap->pixels.size());
}

void RecordingGfx::ApplyShadowMask(DrawLayer& /*layer*/, HeapBuffer& mask, const LayerShadow& shadow) {
  log.Add("ApplyShadowMask", "%d bytes blur %g", mask.Size(), shadow.blurSize);
  lastShadowMask.assign(mask.Data(), mask.Data() + mask.Size());
}

void RecordingGfx::UpdateLayer() { log.Add("UpdateLayer", "%d", LayerCount()); }

void RecordingGfx::PathClear() { log.Add("PathClear"); }

void RecordingGfx::PathClose() { log.Add("PathClose"); }

void RecordingGfx::PathArc(float cx, float cy, float r, float startAngle, float endAngle, int32_t winding) {
  log.Add("PathArc", "%g %g %g %g %g w%d", cx, cy, r, startAngle, endAngle, winding);
}

void RecordingGfx::PathMoveTo(float x, float y) { log.Add("PathMoveTo", "%g %g", x, y); }

void RecordingGfx::PathLineTo(float x, float y) { log.Add("PathLineTo", "%g %g", x, y); }

void RecordingGfx::PathSetWinding(bool hole) { log.Add("PathSetWinding", "%s", hole ? "hole" : "solid"); }

void RecordingGfx::PathCubicBezierTo(float c1x, float c1y, float c2x, float c2y, float x2, float y2) {
  log.Add("PathCubicBezierTo", "%g %g %g %g %g %g", c1x, c1y, c2x, c2y, x2, y2);
}

void RecordingGfx::PathQuadraticBezierTo(float cx, float cy, float x2, float y2) {
  log.Add("PathQuadraticBezierTo", "%g %g %g %g", cx, cy, x2, y2);
}

void RecordingGfx::PathStroke(const FillPattern& pattern, float thickness, const StrokeOptions& options,
                              const Blend* blend) {
  GfxCall& call = log.Add("PathStroke", "%s %g", DescribePattern(pattern).c_str(), thickness);
  call.pattern = pattern;
  call.stroke = options;
  call.thickness = thickness;
  if (options.dashCount > 0) call.text += " dashed";
  if (options.preserve) call.text += " preserve";
  AddBlend(call, blend);
}

void RecordingGfx::PathFill(const FillPattern& pattern, const FillOptions& options, const Blend* blend) {
  GfxCall& call =
      log.Add("PathFill", "%s rule%d", DescribePattern(pattern).c_str(), static_cast<int32_t>(options.rule));
  call.pattern = pattern;
  call.fill = options;
  if (options.preserve) call.text += " preserve";
  AddBlend(call, blend);
}

void RecordingGfx::PathSetTransform(const PathTransform& transform) {
  log.Add("PathSetTransform", "%s", DescribeTransform(transform).c_str()).transform = transform;
}

void RecordingGfx::SetClipRegion(const Rect& clip) {
  log.Add("SetClipRegion", "%s", DescribeRect(clip).c_str()).rect = clip;
}

APIBitmap* RecordingGfx::LoadBitmapDataFromMemory(const char* name, const void* /*data*/, int32_t size,
                                                  float scale) {
  log.Add("LoadBitmapDataFromMemory", "%s %d %g", name ? name : "", size, scale);
  return new RecordingBitmap(nextBitmapHandle_++, kLoadedBitmapSize, kLoadedBitmapSize, scale, 1.f);
}

APIBitmap* RecordingGfx::LoadBitmapData(const char* path, float scale, ResourceLocation location,
                                        const char* extension) {
  log.Add("LoadBitmapData", "%s %g %d %s", path ? path : "", scale, static_cast<int32_t>(location),
          extension ? extension : "");
  return new RecordingBitmap(nextBitmapHandle_++, kLoadedBitmapSize, kLoadedBitmapSize, scale, 1.f);
}

std::unique_ptr<APIBitmap> RecordingGfx::CreateOffscreenBitmap(int32_t width, int32_t height, float scale,
                                                               float drawScale, bool cacheable) {
  log.Add("CreateOffscreenBitmap", "%d %d %g %g %s", width, height, scale, drawScale, YesNo(cacheable));
  if (failOffscreenBitmaps) return nullptr;
  return std::make_unique<RecordingBitmap>(nextBitmapHandle_++, width, height, scale, drawScale);
}

bool RecordingGfx::LoadFontIntoRenderer(const char* fontId, PlatformFont& /*font*/) {
  log.Add("LoadFontIntoRenderer", "%s", fontId ? fontId : "");
  return false;
}

float RecordingGfx::DoMeasureText(const TextStyle& style, const char* text, Rect& bounds) {
  const float width = kGlyphWidthPerSize * style.size * static_cast<float>(std::strlen(text ? text : ""));
  log.Add("DoMeasureText", "'%s'", text ? text : "");
  bounds = Rect(bounds.left, bounds.top, bounds.left + width, bounds.top + style.size);
  return width;
}

void RecordingGfx::DoDrawText(const TextStyle& style, const char* text, const Rect& bounds,
                              const Blend* blend) {
  GfxCall& call = log.Add("DoDrawText", "'%s' %s %s %g", text ? text : "", DescribeRect(bounds).c_str(),
                          style.fontId, style.size);
  call.rect = bounds;
  call.textStyle = style;
  AddBlend(call, blend);
}

void RecordingGfx::GetMouseLocation(float& x, float& y) const {
  x = mouseX;
  y = mouseY;
}

void RecordingGfx::HideMouseCursor(bool hide, bool lock) {
  log.Add("HideMouseCursor", "%s lock %s", YesNo(hide), YesNo(lock));
  cursorHidden_ = hide;
}

void RecordingGfx::MoveMouseCursor(float x, float y) { log.Add("MoveMouseCursor", "%g %g", x, y); }

int32_t RecordingGfx::SetMouseCursor(int32_t kind) {
  log.Add("SetMouseCursor", "%d", kind);
  return IGfx::SetMouseCursor(kind);
}

void RecordingGfx::EndPlatformTextEntry() { log.Add("EndPlatformTextEntry"); }

void* RecordingGfx::OpenPlatformWindow(void* parent) {
  log.Add("OpenPlatformWindow");
  window_ = parent ? parent : this;
  return window_;
}

void RecordingGfx::ClosePlatformWindow() {
  log.Add("ClosePlatformWindow");
  window_ = nullptr;
}

bool RecordingGfx::GetTextFromClipboard(HeapString& text) {
  log.Add("GetTextFromClipboard");
  text.Set(clipboard.c_str());
  return !clipboard.empty();
}

bool RecordingGfx::SetTextInClipboard(const char* text) {
  log.Add("SetTextInClipboard", "'%s'", text ? text : "");
  clipboard = text ? text : "";
  return true;
}

void RecordingGfx::PopupMenuOpened() { log.Add("PopupMenuOpened"); }

int32_t RecordingGfx::ShowMessageBox(const char* text, const char* caption, int32_t type,
                                     MessageBoxCompletion completion) {
  log.Add("ShowMessageBox", "'%s' '%s' %d", text ? text : "", caption ? caption : "", type);
  if (completion) completion(messageBoxAnswer);
  return messageBoxAnswer;
}

void RecordingGfx::PickFileDialog(HeapString& fileName, HeapString& folder, int32_t action,
                                  const char* extensions, FileDialogCompletion completion) {
  log.Add("PickFileDialog", "%d '%s'", action, extensions ? extensions : "");
  fileName.Set("");
  if (completion) completion(fileName, folder);
}

void RecordingGfx::PickDirectoryDialog(HeapString& folder, FileDialogCompletion completion) {
  log.Add("PickDirectoryDialog");
  folder.Set("");
  if (completion) completion(HeapString(), folder);
}

bool RecordingGfx::PickColorDialog(Colour& /*colour*/, const char* prompt, ColourCompletion /*completion*/) {
  log.Add("PickColorDialog", "'%s'", prompt ? prompt : "");
  return false;
}

bool RecordingGfx::OpenWebAddress(const char* address, const char* /*windowTitle*/,
                                  const char* /*confirmation*/, const char* /*failure*/) {
  log.Add("OpenWebAddress", "%s", address ? address : "");
  return false;
}

PlatformFontPtr RecordingGfx::LoadFontByName(const char* fontId, const char* family, int32_t style) {
  log.Add("LoadFontByName", "%s %s %d", fontId ? fontId : "", family ? family : "", style);
  return nullptr;
}

PlatformFontPtr RecordingGfx::LoadFontFromMemory(const char* fontId, const void* /*data*/, int32_t size) {
  log.Add("LoadFontFromMemory", "%s %d", fontId ? fontId : "", size);
  return nullptr;
}

PlatformFontPtr RecordingGfx::LoadFontFromFile(const char* fontId, const char* fileOrResourceName) {
  log.Add("LoadFontFromFile", "%s %s", fontId ? fontId : "", fileOrResourceName ? fileOrResourceName : "");
  return nullptr;
}

void RecordingGfx::CachePlatformFont(const char* fontId, PlatformFont& /*font*/) {
  log.Add("CachePlatformFont", "%s", fontId ? fontId : "");
}

void RecordingGfx::ShowNativeTextEntry(int32_t paramIdx, const TextStyle& /*style*/, const Rect& bounds,
                                       int32_t length, const char* text) {
  log.Add("ShowNativeTextEntry", "%d '%s' %s %d", paramIdx, text ? text : "", DescribeRect(bounds).c_str(),
          length)
      .rect = bounds;
}

IPopupMenu* RecordingGfx::ShowNativePopupMenu(IPopupMenu& menu, const Rect& bounds, bool& isAsync) {
  log.Add("ShowNativePopupMenu", "'%s' %d items %s", menu.GetTitle(), menu.NItems(),
          DescribeRect(bounds).c_str())
      .rect = bounds;
  isAsync = menuIsAsync;
  if (duringMenu) {
    const std::function<void()> modalLoop = std::move(duringMenu);
    duringMenu = nullptr;
    modalLoop();
  }
  return menuAnswer >= 0 ? AnswerPopupMenu(menu, menuAnswer) : nullptr;
}

}  // namespace plugfw::gfx::test
