#include "editor/backdrop.h"

#include <algorithm>
#include <cmath>

#include "editor/editor_drawing.h"
#include "editor/linear_gradient.h"
#include "graphics/gfx.h"

namespace halcyra {
namespace {

using plugfw::gfx::Rect;
using plugfw::gfx::TextAlign;

constexpr Rect kBackdropRect = {0.f, 0.f, 1180.f, 800.f};
constexpr Colour kTopColour{255, 35, 35, 46};
constexpr Colour kBottomColour{255, 18, 25, 29};
constexpr int32_t kScanLineSpacing = 4;
constexpr int32_t kBrightScanLineSpacing = 12;
constexpr Colour kScanLineColour{1, 255, 255, 255};
constexpr Colour kBrightScanLineColour{3, 255, 255, 255};
constexpr Rect kTitleRect = {36.f, 38.f, 452.f, 87.f};
constexpr Rect kSubtitleRect = {457.f, 52.f, 723.f, 84.f};
constexpr float kRuleLeft = 36.f;
constexpr float kRuleRight = 1144.f;
constexpr float kHeaderRuleY = 97.f;
constexpr float kFooterRuleY = 753.f;
constexpr Rect kPanels[] = {{36.f, 386.f, 1144.f, 513.f}, {36.f, 602.f, 1144.f, 714.f}};
constexpr float kPanelRadius = 8.f;
constexpr float kRedrawMargin = 2.f;

}  // namespace

Backdrop::Backdrop() : IControl(kBackdropRect) { SetIgnoreMouse(true); }

Backdrop::~Backdrop() = default;

void Backdrop::Draw(plugfw::gfx::IGfx& g) {
  const plugfw::gfx::Blend* blend = &GetBlend();
  // Only what lies in the area being redrawn is built and rasterised - a frame redraws the
  // backdrop under every dirty rectangle. The margin keeps the cut edges' anti-aliasing outside.
  const Rect clip = g.GetCurrentClip().Empty() ? kBackdropRect : g.GetCurrentClip();
  const Rect area = clip.Padded(kRedrawMargin).Intersection(kBackdropRect);
  if (area.Empty()) return;
  g.PathClear();
  g.PathRect(area);
  g.PathFill(MakeLinearGradient(590.f, 0.f, 590.f, 800.f, {{kTopColour, 0.f}, {kBottomColour, 1.f}}),
             plugfw::gfx::FillOptions(), blend);

  const auto first = static_cast<int32_t>(std::max(0.f, std::floor(area.top)));
  const auto last = static_cast<int32_t>(std::min(kBackdropRect.bottom - 1.f, std::ceil(area.bottom)));
  for (int32_t y = first + (kScanLineSpacing - first % kScanLineSpacing) % kScanLineSpacing; y <= last;
       y += kScanLineSpacing) {
    const Colour colour = y % kBrightScanLineSpacing == 0 ? kBrightScanLineColour : kScanLineColour;
    g.DrawLine(colour, area.left, static_cast<float>(y), area.right, static_cast<float>(y), blend, 1.f);
  }

  DrawEditorText(g, "HALCYRA", kTitleRect, 36.f, PaperColour, TextAlign::kNear, blend);
  DrawEditorText(g, "PHASE / PITCH / MOTION", kSubtitleRect, 13.f, MutedColour, TextAlign::kNear, blend);
  g.DrawLine(RuleColour, kRuleLeft, kHeaderRuleY, kRuleRight, kHeaderRuleY, blend, 1.f);
  for (const Rect& panel : kPanels) {
    if (panel.Padded(1.f).Intersection(area).Empty()) continue;
    g.FillRoundRect(PanelColour, panel, kPanelRadius, blend);
    g.DrawRoundRect(RuleColour, panel, kPanelRadius, blend, 1.f);
  }
  g.DrawLine(RuleColour, kRuleLeft, kFooterRuleY, kRuleRight, kFooterRuleY, blend, 1.f);
}

}  // namespace halcyra
