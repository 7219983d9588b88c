#include "app/main_window_sizing.h"

#include <cmath>

namespace plugfw {

namespace {
bool UsableScale(float scale) { return std::isfinite(scale) && scale > 0.0f; }

int32_t ScaledSide(int32_t units, float drawScale, float screenScale) {
  const float drawn = static_cast<float>(static_cast<int32_t>(static_cast<float>(units) * drawScale));
  return static_cast<int32_t>(screenScale * drawn);
}
}  // namespace

PixelSize EditorPixelSize(int32_t width, int32_t height, float drawScale, float screenScale) {
  if (!UsableScale(drawScale) || !UsableScale(screenScale)) return {};
  return {ScaledSide(width, drawScale, screenScale), ScaledSide(height, drawScale, screenScale)};
}

PixelSize WindowSizeForClient(PixelSize client, PixelSize frame) {
  return {client.width + frame.width, client.height + frame.height};
}

PixelSize TrackingSize(int32_t editorWidth, int32_t editorHeight, float dpiScale, PixelSize frame) {
  return WindowSizeForClient(EditorPixelSize(editorWidth, editorHeight, 1.0f, dpiScale), frame);
}

bool EditorShouldFitClient(PixelSize client, PixelSize editorPixels) {
  if (client.width <= 0 || client.height <= 0) return false;
  return client != editorPixels;
}

}  // namespace plugfw
