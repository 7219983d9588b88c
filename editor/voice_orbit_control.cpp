#include "editor/voice_orbit_control.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/api_base.h"
#include "editor/editor_drawing.h"
#include "editor/help_texts.h"
#include "editor/page_table.h"
#include "editor/plugin_access.h"
#include "editor/relevance.h"
#include "effect/engine_smoothing.h"
#include "effect/param_table.h"
#include "graphics/gfx.h"
#include "graphics/steady_clock.h"

namespace halcyra {
namespace {

using plugfw::gfx::Rect;
using plugfw::gfx::TextAlign;

constexpr Rect kFieldRect = {36.f, 151.f, 709.f, 374.f};
constexpr Rect kTitleRect = {51.f, 154.f, 421.f, 178.f};
constexpr Rect kCountRect = {444.f, 154.f, 692.f, 178.f};
constexpr Rect kLeftCaptionRect = {83.f, 323.f, 170.f, 340.f};
constexpr Rect kCentreCaptionRect = {328.f, 323.f, 432.f, 340.f};
constexpr Rect kRightCaptionRect = {590.f, 323.f, 672.f, 340.f};
constexpr Rect kReadoutRect = {52.f, 345.f, 692.f, 369.f};
constexpr float kTitleSize = 12.f;
constexpr float kLineSize = 11.f;
constexpr float kDelayLabelSize = 10.f;
constexpr float kCaptionSize = 9.f;
constexpr float kRuleThickness = 1.f;

// Presses count only inside this area, and only within 30 units of a handle.
constexpr Rect kPressArea = {68.f, 168.f, 687.f, 338.f};
constexpr float kMaxPressDistanceSquared = 900.f;

constexpr int32_t kDelayGridLines = 5;
constexpr float kDelayLabelLeft = 43.f;
constexpr float kDelayLabelRight = 77.f;
constexpr float kDelayLabelHalfHeight = 8.f;
constexpr double kPanGrid[] = {-100.0, -50.0, 0.0, 50.0, 100.0};

// Every stem starts at the centre of the plane, at the base delay's height.
constexpr float kStemRootX = 377.5f;
constexpr int32_t kStemAlphaInUse = 45;
constexpr int32_t kStemAlphaUnused = 15;
constexpr float kHandleRadius = 6.f;
constexpr float kSelectedHandleRadius = 9.f;
constexpr float kSelectedHandleThickness = 2.f;
constexpr float kNumberHalfWidth = 6.f;
constexpr float kNumberHalfHeight = 7.f;
constexpr float kDotRadius = 3.f;
constexpr float kMotionRingRadius = 6.f;
constexpr float kMotionRingGrowth = 3.f;
constexpr int32_t kMotionRingAlpha = 70;

constexpr double kFineDragFactor = 0.1;

Colour WithAlpha(Colour colour, int32_t alpha) {
  return Colour(alpha, colour.red, colour.green, colour.blue);
}

}  // namespace

VoiceOrbitControl::VoiceOrbitControl(plugfw::gfx::IGfxEditorDelegate* plugin, ViewStatePtr view,
                                     SnapshotReader reader)
    : IControl(kFieldRect),
      plugin_(plugin),
      view_(std::move(view)),
      reader_(reader ? std::move(reader) : EngineSnapshotReader(plugin)) {
  axis_.lastChangeNs = plugfw::gfx::SteadyClockNanoseconds();
  SetTooltip(kVoiceFieldTooltip);
}

VoiceOrbitControl::~VoiceOrbitControl() = default;

double VoiceOrbitControl::PlainValue(int32_t paramIdx) const {
  return plugin_ != nullptr ? ReadPlainValue(*plugin_, paramIdx) : ParamDefault(paramIdx);
}

bool VoiceOrbitControl::VoiceInUse(int32_t voice) const {
  return plugin_ != nullptr && IsVoiceInUse(*plugin_, voice);
}

VoiceOrbitControl::Point VoiceOrbitControl::RequestedPoint(int32_t voice) const {
  const double delay = PlainValue(kParamBaseDelay) + PlainValue(VoiceParamIndex(voice, kVoiceDelayOffset));
  return {PanToX(PlainValue(VoiceParamIndex(voice, kVoicePan))), DelayToY(delay, axis_.maximum)};
}

int32_t VoiceOrbitControl::VoiceNearest(float x, float y) const {
  int32_t nearest = -1;
  float nearestSquared = 0.f;
  for (int32_t voice = 0; voice < kVoiceCount; ++voice) {
    const Point handle = RequestedPoint(voice);
    const float squared = (handle.x - x) * (handle.x - x) + (handle.y - y) * (handle.y - y);
    if (nearest < 0 || squared < nearestSquared) {
      nearest = voice;
      nearestSquared = squared;
    }
  }
  return nearestSquared > kMaxPressDistanceSquared ? -1 : nearest;
}

void VoiceOrbitControl::EndDrag() {
  if (!dragging_) return;
  dragging_ = false;
  // Ended already when the graphics context let go of the pointer; these are dropped then.
  if (plugfw::gfx::IGfx* gfx = GetUI()) {
    plugfw::gfx::EditGestureLedger& edits = gfx->GetEditGestures();
    edits.EndEdit(dragHolder_, VoiceParamIndex(dragVoice_, kVoicePan));
    edits.EndEdit(dragHolder_, VoiceParamIndex(dragVoice_, kVoiceDelayOffset));
  }
}

void VoiceOrbitControl::SelectVoice(int32_t voice) {
  plugfw::gfx::IGfx* gfx = GetUI();
  if (view_ == nullptr || gfx == nullptr) return;
  view_->SelectPage(kFirstVoicePage + voice, *gfx);
  view_->SetHelp(kVoicePressHelp);
}

void VoiceOrbitControl::StartDrag(int32_t voice, float x, float y, int64_t holder) {
  plugfw::gfx::IGfx* gfx = GetUI();
  if (gfx == nullptr) return;
  dragHolder_ = holder;
  dragOriginX_ = x;
  dragOriginY_ = y;
  latchedAxis_ = axis_.maximum;
  panAtDragStart_ = PlainValue(VoiceParamIndex(voice, kVoicePan));
  delayOffsetAtDragStart_ = PlainValue(VoiceParamIndex(voice, kVoiceDelayOffset));
  dragging_ = true;
  // Held by the pressing pointer in the graphics context's ledger, which closes them whenever it
  // lets go of the pointer - the editor closing included - so nothing is left to end later.
  plugfw::gfx::EditGestureLedger& edits = gfx->GetEditGestures();
  edits.BeginEdit(holder, VoiceParamIndex(voice, kVoicePan));
  edits.BeginEdit(holder, VoiceParamIndex(voice, kVoiceDelayOffset));
}

void VoiceOrbitControl::OnMouseDown(float x, float y, const plugfw::gfx::ModifierKeys& mod) {
  EndDrag();
  if (plugin_ == nullptr || mod.rightButton || !kPressArea.Contains(x, y)) return;
  const int32_t voice = VoiceNearest(x, y);
  if (voice < 0) return;
  dragVoice_ = voice;
  SelectVoice(voice);
  if (VoiceInUse(voice)) StartDrag(voice, x, y, mod.touchId);
}

void VoiceOrbitControl::OnMouseDrag(float x, float y, float /*dX*/, float /*dY*/,
                                    const plugfw::gfx::ModifierKeys& mod) {
  if (!dragging_) return;
  // The factor scales the whole distance from the press, so Shift mid-drag rescales all of it.
  const double factor = mod.shift ? kFineDragFactor : 1.0;
  const double pan = (x - dragOriginX_) * kPanSpan / kPlaneWidth * factor + panAtDragStart_;
  const double delayOffset =
      (dragOriginY_ - y) * latchedAxis_ / kPlaneHeight * factor + delayOffsetAtDragStart_;
  WriteParamFromEditor(VoiceParamIndex(dragVoice_, kVoicePan), pan, false);
  WriteParamFromEditor(VoiceParamIndex(dragVoice_, kVoiceDelayOffset), delayOffset, false);
  if (plugfw::gfx::IGfx* gfx = GetUI()) gfx->SetAllControlsDirty();
}

void VoiceOrbitControl::OnMouseUp(float /*x*/, float /*y*/, const plugfw::gfx::ModifierKeys& /*mod*/) {
  EndDrag();
}

void VoiceOrbitControl::OnPointerCancel(float /*x*/, float /*y*/, const plugfw::gfx::ModifierKeys& /*mod*/) {
  EndDrag();
}

void VoiceOrbitControl::OnMouseDoubleClick(float /*x*/, float /*y*/,
                                           const plugfw::gfx::ModifierKeys& /*mod*/) {
  EndDrag();
  const int32_t voice = view_ != nullptr ? view_->SelectedVoice() : 0;
  if (VoiceInUse(voice)) {
    for (const int32_t field : {kVoicePan, kVoiceDelayOffset}) {
      const int32_t paramIdx = VoiceParamIndex(voice, field);
      WriteParamFromEditor(paramIdx, ParamDefault(paramIdx), true);
    }
  }
  if (plugfw::gfx::IGfx* gfx = GetUI()) gfx->SetAllControlsDirty();
}

void VoiceOrbitControl::OnMouseOver(float x, float y, const plugfw::gfx::ModifierKeys& mod) {
  if (view_ != nullptr) view_->SetHelp(kVoiceFieldHelp);
  IControl::OnMouseOver(x, y, mod);
}

void VoiceOrbitControl::WriteParamFromEditor(int32_t paramIdx, double plainValue, bool gesture) {
  plugfw::IParam* param = plugin_ != nullptr ? plugin_->GetParam(paramIdx) : nullptr;
  if (param == nullptr) return;
  const double normalized = param->ToNormalized(std::clamp(plainValue, param->Min(), param->Max()));
  if (!std::isfinite(normalized)) return;
  plugfw::IApiBase& api = PluginOf(*plugin_);
  if (gesture) api.BeginHostParamEdit(paramIdx);
  api.SetParamValueAndInformHost(paramIdx, normalized);
  // Set clamps once more: the stored value is the range's and the step's, whatever the shape gives.
  param->Set(param->ClampValue(param->FromNormalized(normalized)));
  api.ParamChangedUI(paramIdx, plugfw::ParamSource::kUI);
  api.SendParamValueToUI(paramIdx, normalized, true);
  if (gesture) api.EndHostParamEdit(paramIdx);
}

void VoiceOrbitControl::UpdateAxis() {
  if (dragging_) return;  // the drag keeps the axis it started with
  double longest = kMinAxisMs;
  const double baseDelay = PlainValue(kParamBaseDelay);
  for (int32_t voice = 0; voice < kVoiceCount; ++voice) {
    longest = std::max(longest, baseDelay + PlainValue(VoiceParamIndex(voice, kVoiceDelayOffset)));
    const float measured = display_.voiceDelayMs[voice];
    if (display_.voiceActive[voice]) longest = std::max(longest, std::isfinite(measured) ? measured : 0.0);
  }
  axis_.Follow(AxisTarget(longest), plugfw::gfx::SteadyClockNanoseconds());
}

void VoiceOrbitControl::RefreshForFrame() {
  // A popup, a resize or the editor closing lets go of every pointer without a release.
  plugfw::gfx::IGfx* gfx = GetUI();
  if (dragging_ && (gfx == nullptr || !gfx->ControlIsCaptured(this))) EndDrag();
  reader_(display_, meters_);
  UpdateAxis();
  redrawKey_.Add(display_);
  if (plugin_ != nullptr) redrawKey_.Add(ReadPlainValues(*plugin_));
  redrawKey_.Add(view_ != nullptr ? view_->SelectedVoice() : 0);
  redrawKey_.Add(axis_.maximum);  // not its clock, which moves every frame the target holds
  redrawKey_.Add(latchedAxis_);
  redrawKey_.Add(dragging_);
  redrawKey_.Add(dragVoice_);
  if (redrawKey_.Changed()) SetDirty(false);
}

bool VoiceOrbitControl::IsDirty() {
  // The base asks this once per frame, before drawing: where the control follows the engine.
  RefreshForFrame();
  return IControl::IsDirty();
}

void VoiceOrbitControl::Draw(plugfw::gfx::IGfx& g) {
  const plugfw::gfx::Blend* blend = &GetBlend();
  DrawBox(g, GetRect(), PanelColour, RuleColour, blend);
  DrawEditorText(g, "VOICE FIELD / PRIMARY TIMING x PAN", kTitleRect, kTitleSize, MutedColour,
                 TextAlign::kNear, blend);
  DrawEditorText(g, VoiceCountText(display_, PlainValue(kParamVoices)).c_str(), kCountRect, kLineSize,
                 TealColour, TextAlign::kFar, blend);
  DrawGrids(g);
  for (int32_t voice = 0; voice < kVoiceCount; ++voice) DrawVoice(g, voice);

  const int32_t selected = view_ != nullptr ? view_->SelectedVoice() : 0;
  const double structure = PlainValue(kParamModel);
  const std::string readout = VoiceReadout(
      display_, selected, StructureOf(structure) == Structure::kMultiBand, IsMicroPitch(structure));
  const bool active = selected >= 0 && selected < kSnapshotVoices && display_.voiceActive[selected];
  DrawEditorText(g, readout.c_str(), kReadoutRect, kLineSize, active ? TealColour : MutedColour,
                 TextAlign::kCentre, blend);
}

void VoiceOrbitControl::DrawGrids(plugfw::gfx::IGfx& g) const {
  const plugfw::gfx::Blend* blend = &GetBlend();
  const double axis = std::isfinite(axis_.maximum) ? axis_.maximum : kMinAxisMs;
  for (int32_t line = 0; line < kDelayGridLines; ++line) {
    const double delay = line * axis * 0.25;
    const float y = DelayToY(delay, axis);
    g.DrawLine(RuleColour, kPlaneLeft, y, kPlaneRight, y, blend, kRuleThickness);
    const std::string label = std::to_string(static_cast<int64_t>(std::lround(delay))) + "ms";
    DrawEditorText(
        g, label.c_str(),
        Rect(kDelayLabelLeft, y - kDelayLabelHalfHeight, kDelayLabelRight, y + kDelayLabelHalfHeight),
        kDelayLabelSize, MutedColour, TextAlign::kFar, blend);
  }
  for (const double pan : kPanGrid) {
    const float x = PanToX(pan);
    g.DrawLine(RuleColour, x, kPlaneTop, x, kPlaneBottom, blend, kRuleThickness);
  }
  DrawEditorText(g, "LEFT", kLeftCaptionRect, kCaptionSize, MutedColour, TextAlign::kNear, blend);
  DrawEditorText(g, "CENTRE", kCentreCaptionRect, kCaptionSize, MutedColour, TextAlign::kCentre, blend);
  DrawEditorText(g, "RIGHT", kRightCaptionRect, kCaptionSize, MutedColour, TextAlign::kFar, blend);
}

void VoiceOrbitControl::DrawVoice(plugfw::gfx::IGfx& g, int32_t voice) const {
  const plugfw::gfx::Blend* blend = &GetBlend();
  const Colour colour = VoiceColour(voice);
  const bool inUse = VoiceInUse(voice);
  const bool selected = view_ != nullptr && view_->SelectedVoice() == voice;
  const Point handle = RequestedPoint(voice);

  const float stemRootY = DelayToY(PlainValue(kParamBaseDelay), axis_.maximum);
  g.DrawLine(WithAlpha(colour, inUse ? kStemAlphaInUse : kStemAlphaUnused), kStemRootX, stemRootY, handle.x,
             handle.y, blend, kRuleThickness);
  g.DrawCircle(inUse ? colour : RuleColour, handle.x, handle.y,
               selected ? kSelectedHandleRadius : kHandleRadius, blend,
               selected ? kSelectedHandleThickness : kRuleThickness);
  const std::string number = std::to_string(voice + 1);
  DrawEditorText(g, number.c_str(),
                 Rect(handle.x - kNumberHalfWidth, handle.y - kNumberHalfHeight, handle.x + kNumberHalfWidth,
                      handle.y + kNumberHalfHeight),
                 kCaptionSize, inUse ? PaperColour : MutedColour, TextAlign::kCentre, blend);

  if (!display_.voiceActive[voice]) return;
  const float actualX = PanToX(display_.voicePanPercent[voice]);
  const float actualY = DelayToY(display_.voiceDelayMs[voice], axis_.maximum);
  g.DrawLine(colour, handle.x, handle.y, actualX, actualY, blend, kRuleThickness);
  g.FillCircle(colour, actualX, actualY, kDotRadius, blend);
  if (!display_.signalPresent) return;
  const float motion =
      std::isfinite(display_.voiceMotion[voice]) ? std::fabs(display_.voiceMotion[voice]) : 0.f;
  g.DrawCircle(WithAlpha(colour, kMotionRingAlpha), actualX, actualY,
               kMotionRingRadius + kMotionRingGrowth * std::clamp(motion, 0.f, 1.f), blend, kRuleThickness);
}

}  // namespace halcyra
