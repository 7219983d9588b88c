#include "editor/knob.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstddef>

#include "editor/activation_keys.h"
#include "editor/control_relevance.h"
#include "editor/editor_drawing.h"
#include "editor/help_texts.h"
#include "editor/knob_geometry.h"
#include "editor/linear_gradient.h"
#include "editor/value_units.h"
#include "graphics/gfx.h"
#include "graphics/gfx_editor_delegate.h"

namespace halcyra {
namespace {

using plugfw::gfx::Rect;
using plugfw::gfx::TextAlign;

constexpr int32_t kKeyHome = 36;
constexpr int32_t kKeyLeft = 37;
constexpr int32_t kKeyUp = 38;
constexpr int32_t kKeyRight = 39;
constexpr int32_t kKeyDown = 40;
constexpr double kKeyStep = 0.01;
constexpr double kFineKeyStep = 0.001;

constexpr Colour kDisabledArcColour{255, 91, 111, 115};
constexpr Colour kBodyTopColour{255, 72, 87, 94};
constexpr Colour kBodyBottomColour{255, 22, 32, 38};
constexpr Colour kBodyRimColour{255, 87, 108, 115};
constexpr Colour kBodyInnerRimColour{255, 26, 35, 40};
constexpr float kTrackThickness = 3.f;
constexpr float kPointerThickness = 3.f;
constexpr float kRimThickness = 1.f;
constexpr float kInnerRimInset = 5.f;
constexpr float kCaptionSize = 15.f;
constexpr float kValueSize = 16.f;
constexpr int kEntrySignificantDigits = 8;

}  // namespace

std::string ValueEntryInitialText(double plainValue) {
  char text[32];
  const auto general = std::to_chars(text, text + sizeof(text), plainValue, std::chars_format::general,
                                     kEntrySignificantDigits);
  if (general.ec != std::errc()) return std::string();
  std::string eightDigits(text, general.ptr);
  // Values travel as 32-bit floats, so 0.35 is stored as 0.3499999940...: its shortest float
  // text reads back as the same value and is what the musician set.
  if (!(std::fabs(plainValue) <= static_cast<double>(FLT_MAX))) return eightDigits;
  const auto narrowed = static_cast<float>(plainValue);
  if (static_cast<double>(narrowed) != plainValue) return eightDigits;
  const auto shortest = std::to_chars(text, text + sizeof(text), narrowed);
  if (shortest.ec != std::errc() || shortest.ptr - text > static_cast<std::ptrdiff_t>(eightDigits.size())) {
    return eightDigits;
  }
  return std::string(text, shortest.ptr);
}

Knob::Knob(const Rect& bounds, int32_t paramIdx, const char* caption, plugfw::gfx::IGfxEditorDelegate* plugin,
           ViewStatePtr view)
    : IKnobControlBase(bounds, paramIdx),
      caption_(caption != nullptr ? caption : ""),
      plugin_(plugin),
      view_(std::move(view)) {
  SetTextStyle(EditorTextStyle(kValueSize, PaperColour, TextAlign::kCentre));
  SetTooltip(ParamHelpText(paramIdx));
}

Knob::~Knob() = default;

void Knob::WriteHelp() {
  if (view_ != nullptr) view_->SetHelp(caption_, ParamHelpText(GetParamIdx(0)));
}

void Knob::OnMouseDown(float x, float y, const plugfw::gfx::ModifierKeys& mod) {
  if (IsDisabled()) return;
  WriteHelp();
  if (!mod.rightButton && MeasureKnob(GetRect()).valueBox.Contains(x, y)) {
    OpenValueEntry();
    return;
  }
  IKnobControlBase::OnMouseDown(x, y, mod);
}

void Knob::OnMouseDoubleClick(float /*x*/, float /*y*/, const plugfw::gfx::ModifierKeys& /*mod*/) {
  if (!IsDisabled()) SetValueToDefault(-1);
}

bool Knob::OnKeyDown(float /*x*/, float /*y*/, const plugfw::gfx::KeyEvent& key) {
  if (IsDisabled()) return false;
  const double step = key.shift ? kFineKeyStep : kKeyStep;
  switch (key.keyCode) {
    case kKeyEnter:
      OpenValueEntry();
      return true;
    case kKeyHome:
      SetValueToDefault(-1);
      return true;
    case kKeyUp:
    case kKeyRight:
      SetValueFromUserInput(std::clamp(GetValue(0) + step, 0.0, 1.0), 0);
      return true;
    case kKeyLeft:
    case kKeyDown:
      SetValueFromUserInput(std::clamp(GetValue(0) - step, 0.0, 1.0), 0);
      return true;
    default:
      return false;
  }
}

void Knob::OnMouseOver(float x, float y, const plugfw::gfx::ModifierKeys& mod) {
  WriteHelp();
  IKnobControlBase::OnMouseOver(x, y, mod);
}

void Knob::OpenValueEntry() {
  plugfw::gfx::IGfx* gfx = GetUI();
  const plugfw::IParam* param = GetParam(0);
  if (gfx == nullptr || param == nullptr || valueEntry_ == nullptr) return;
  gfx->CreateTextEntry(valueEntry_, GetTextStyle(), MeasureKnob(GetRect()).valueBox,
                       ValueEntryInitialText(param->Value()).c_str(), -1);
}

void Knob::ApplyEnteredText(const char* text) {
  const plugfw::IParam* param = GetParam(0);
  double value = 0.0;
  if (param != nullptr && ParseValueWithUnit(GetParamIdx(0), text, value)) {
    SetValueFromUserInput(param->ToNormalized(value), 0);
    return;
  }
  if (view_ != nullptr) view_->SetHelp(kInvalidValueHelp);
  if (plugfw::gfx::IGfx* gfx = GetUI()) gfx->SetAllControlsDirty();
}

void Knob::Draw(plugfw::gfx::IGfx& g) {
  const KnobGeometry knob = MeasureKnob(GetRect());
  const bool enabled = !IsDisabled();
  const Colour arcColour = enabled ? AmberColour : kDisabledArcColour;
  const Colour textColour = enabled ? PaperColour : MutedColour;
  const plugfw::gfx::Blend* blend = &GetBlend();
  const double value = GetValue(0);

  DrawFittedText(g, caption_, knob.caption, kCaptionSize, textColour, TextAlign::kCentre, blend);
  const float arcRadius = knob.radius + kKnobTrackGap;
  g.DrawArc(RuleColour, knob.centreX, knob.centreY, arcRadius, kKnobStartDegrees, -kKnobStartDegrees, blend,
            kTrackThickness);
  const float angle = KnobAngleDegrees(value);
  if (value > 0.0) {
    g.DrawArc(arcColour, knob.centreX, knob.centreY, arcRadius, kKnobStartDegrees, angle, blend,
              kTrackThickness);
  }

  g.PathClear();
  g.PathCircle(knob.centreX, knob.centreY, knob.radius);
  g.PathFill(
      MakeLinearGradient(knob.centreX, knob.centreY - knob.radius, knob.centreX, knob.centreY + knob.radius,
                         {{kBodyTopColour, 0.f}, {kBodyBottomColour, 1.f}}),
      plugfw::gfx::FillOptions(), blend);
  g.DrawCircle(kBodyRimColour, knob.centreX, knob.centreY, knob.radius, blend, kRimThickness);
  g.DrawCircle(kBodyInnerRimColour, knob.centreX, knob.centreY, knob.radius - kInnerRimInset, blend,
               kRimThickness);
  const KnobPointer pointer = KnobPointerAt(knob, angle);
  g.DrawLine(arcColour, pointer.x1, pointer.y1, pointer.x2, pointer.y2, blend, kPointerThickness);

  DrawBox(g, knob.valueBox, PanelColour, GetMouseIsOver() && enabled ? AmberColour : RuleColour, blend);
  // While its entry is open the entry shows the text instead.
  if (valueEntry_ != nullptr && g.GetControlInTextEntry() == valueEntry_) return;
  const plugfw::IParam* param = GetParam(0);
  if (param == nullptr) return;
  char text[kValueTextCapacity];
  FormatValueWithUnit(GetParamIdx(0), param->Value(), text);
  DrawFittedText(g, text, knob.valueBox, kValueSize, textColour, TextAlign::kCentre, blend, kTextPadding);
}

bool Knob::IsDirty() {
  if (plugin_ != nullptr) ApplyRelevance(*this, *plugin_, GetParamIdx(0));
  return IKnobControlBase::IsDirty();
}

ValueEntry::ValueEntry(Completion completion) : IControl(Rect()), completion_(std::move(completion)) {
  SetIgnoreMouse(true);
  // The entry refuses longer texts, so the edit box must take no more.
  SetTextEntryLength(kValueEntryMaxLength);
}

ValueEntry::~ValueEntry() = default;

void ValueEntry::OnTextEntryCompletion(const char* text, int32_t /*valueIndex*/) {
  if (completion_) completion_(text);
}

void ValueEntry::Draw(plugfw::gfx::IGfx& /*g*/) {}

}  // namespace halcyra
