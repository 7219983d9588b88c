#include "editor/layout_grid.h"

namespace halcyra {
namespace {

using plugfw::gfx::Rect;

struct Grid {
  float left;
  float pitch;
  float width;
  float top;
  float bottom;
  float toggleTop;
};
constexpr Grid kPageRow = {45.f, 137.5f, 130.f, 607.f, 711.f, 644.f};
constexpr Grid kWideRow = {45.f, 184.f, 170.f, 391.f, 508.f, 428.f};
constexpr float kToggleInset = 5.f;
constexpr float kToggleHeight = 43.f;

constexpr float kTabLeft = 36.f;
constexpr float kTabPitch = 187.f;
constexpr float kTabWidth = 174.f;
constexpr float kTabTop = 522.f;
constexpr float kTabBottom = 559.f;

constexpr float kPageButtonTop = 567.f;
constexpr float kPageButtonBottom = 596.f;
constexpr Rect kSectionButtonRects[2] = {{49.f, kPageButtonTop, 246.f, kPageButtonBottom},
                                         {258.f, kPageButtonTop, 455.f, kPageButtonBottom}};
constexpr float kVoiceButtonLeft = 49.f;
constexpr float kVoiceButtonPitch = 137.5f;
constexpr float kVoiceButtonWidth = 124.f;

}  // namespace

Rect ParameterCellRect(int32_t column, bool wide) {
  const Grid& grid = wide ? kWideRow : kPageRow;
  const float left = grid.left + grid.pitch * static_cast<float>(column);
  return {left, grid.top, left + grid.width, grid.bottom};
}

Rect ToggleRectInCell(const Rect& cell, bool wide) {
  const float top = (wide ? kWideRow : kPageRow).toggleTop;
  return {cell.left + kToggleInset, top, cell.right - kToggleInset, top + kToggleHeight};
}

Rect TabButtonRect(int32_t tab) {
  const float left = kTabLeft + kTabPitch * static_cast<float>(tab);
  return {left, kTabTop, left + kTabWidth, kTabBottom};
}

Rect SectionButtonRect(int32_t k) { return kSectionButtonRects[k == 0 ? 0 : 1]; }

Rect VoiceButtonRect(int32_t voice) {
  const float left = kVoiceButtonLeft + kVoiceButtonPitch * static_cast<float>(voice);
  return {left, kPageButtonTop, left + kVoiceButtonWidth, kPageButtonBottom};
}

}  // namespace halcyra
