#include "editor/signal_display.h"

#include <array>
#include <string>

#include "editor/editor_drawing.h"
#include "editor/plugin_access.h"
#include "editor/relevance.h"
#include "editor/signal_readings.h"
#include "effect/engine_smoothing.h"
#include "effect/param_table.h"
#include "graphics/gfx.h"

namespace halcyra {
namespace {

using plugfw::gfx::Rect;
using plugfw::gfx::TextAlign;

constexpr Rect kDisplayRect = {724.f, 106.f, 1144.f, 374.f};
constexpr Rect kTitleRect = {740.f, 109.f, 1040.f, 134.f};
constexpr Rect kScopeCaptionRect = {733.f, 354.f, 857.f, 370.f};
constexpr Rect kEnvelopeLineRect = {864.f, 324.f, 1135.f, 346.f};
constexpr Rect kModulationLineRect = {864.f, 346.f, 1135.f, 370.f};
constexpr float kTitleSize = 11.f;
constexpr float kGridLabelSize = 9.f;
constexpr float kLineSize = 11.f;
constexpr float kRuleThickness = 1.f;

constexpr float kLegendY = 122.f;
constexpr float kLegendThickness = 2.f;
constexpr float kInputLegendLeft = 1045.f;
constexpr float kOutputLegendLeft = 1070.f;
constexpr float kLegendLength = 15.f;

// The spectrum plot and its scales.
constexpr Rect kPlotRect = {757.f, 143.f, 1065.f, 245.f};
constexpr std::array<int, 5> kLevelGridDb = {-96, -72, -48, -24, 0};
constexpr float kLevelLabelLeft = 729.f;
constexpr float kLevelLabelRight = 752.f;
constexpr float kLevelLabelHalfHeight = 7.f;
constexpr std::array<double, 3> kFixedGridFrequencies = {20.0, 200.0, 2000.0};
constexpr float kFrequencyLabelHalfWidth = 18.f;
constexpr float kFrequencyLabelTop = 246.f;
constexpr float kFrequencyLabelBottom = 260.f;
constexpr float kCurveThickness = 1.2f;
constexpr double kAnalyzerOn = 0.5;

// The mid/side scope: side across, mid up.
constexpr float kScopeCentreX = 793.5f;
constexpr float kScopeCentreY = 309.5f;
constexpr float kScopeHalfWidth = 52.5f;
constexpr float kScopeHalfHeight = 41.5f;
constexpr float kScopeAxisLeft = 741.f;
constexpr float kScopeAxisRight = 846.f;
constexpr float kScopeAxisTop = 268.f;
constexpr float kScopeAxisBottom = 351.f;
constexpr Colour kScopeTraceColour{130, 166, 150, 230};
constexpr float kScopeThickness = 1.f;

// Correlation bars, one row each.
constexpr float kInputCorrelationRow = 274.f;
constexpr float kOutputCorrelationRow = 300.f;
constexpr float kCorrelationTextSize = 10.f;
constexpr float kCorrelationLabelLeft = 867.f;
constexpr float kCorrelationLabelRight = 969.f;
constexpr float kCorrelationTrackLeft = 957.f;
constexpr float kCorrelationTrackRight = 1109.f;
constexpr float kCorrelationValueRight = 1140.f;
constexpr float kTrackRadius = 3.f;
constexpr float kDotRadius = 3.f;

// Meters: input, wet, output side by side.
constexpr float kFirstMeterLeft = 1081.f;
constexpr float kMeterPitch = 18.f;
constexpr float kMeterWidth = 8.f;
constexpr float kMeterTrackTop = 148.f;
constexpr float kMeterTrackBottom = 229.f;
constexpr float kMeterTextSize = 8.f;
constexpr const char* kMeterLabels[] = {"IN", "W", "OUT"};

double PlainValue(const plugfw::gfx::IGfxEditorDelegate* plugin, int32_t paramIdx) {
  return plugin != nullptr ? ReadPlainValue(*plugin, paramIdx) : ParamDefault(paramIdx);
}

}  // namespace

SignalDisplay::SignalDisplay(plugfw::gfx::IGfxEditorDelegate* plugin, SnapshotReader reader)
    : IControl(kDisplayRect),
      plugin_(plugin),
      reader_(reader ? std::move(reader) : EngineSnapshotReader(plugin)) {
  SetIgnoreMouse(true);
}

SignalDisplay::~SignalDisplay() { SetReaderPresent(false); }

void SignalDisplay::SetReaderPresent(bool present) {
  if (plugin_ != nullptr) PluginOf(*plugin_).SetDisplayReaderPresent(present);
}

void SignalDisplay::OnAttached() { SetReaderPresent(true); }

void SignalDisplay::RefreshForFrame() {
  reader_(display_, meters_);
  redrawKey_.Add(display_);
  redrawKey_.Add(meters_);
  if (plugin_ != nullptr) redrawKey_.Add(ReadPlainValues(*plugin_));
  if (redrawKey_.Changed()) SetDirty(false);
}

bool SignalDisplay::IsDirty() {
  // The base asks this once per frame, before drawing: where the control takes its copies.
  RefreshForFrame();
  return IControl::IsDirty();
}

void SignalDisplay::Draw(plugfw::gfx::IGfx& g) {
  // The Analyzer switch covers the scope as well as the spectra.
  const bool analyzerOn = PlainValue(plugin_, kParamAnalyzer) >= kAnalyzerOn;
  const bool microPitch = IsMicroPitch(PlainValue(plugin_, kParamModel));
  DrawBox(g, GetRect(), PanelColour, RuleColour, &GetBlend());
  DrawTitleAndLegend(g);
  DrawLevelGrid(g);
  DrawFrequencyGrid(g);
  DrawSpectra(g, analyzerOn);
  DrawScope(g, analyzerOn);
  DrawCorrelationBar(g, display_.inputCorrelation, kInputCorrelationRow, "INPUT CORR");
  DrawCorrelationBar(g, display_.outputCorrelation, kOutputCorrelationRow, "OUTPUT CORR");
  DrawTextLines(g, microPitch);
  DrawMeters(g);
}

void SignalDisplay::DrawTitleAndLegend(plugfw::gfx::IGfx& g) const {
  const plugfw::gfx::Blend* blend = &GetBlend();
  DrawEditorText(g, "REAL INPUT / OUTPUT SPECTRA", kTitleRect, kTitleSize, MutedColour, TextAlign::kNear,
                 blend);
  g.DrawLine(BlueColour, kInputLegendLeft, kLegendY, kInputLegendLeft + kLegendLength, kLegendY, blend,
             kLegendThickness);
  g.DrawLine(TealColour, kOutputLegendLeft, kLegendY, kOutputLegendLeft + kLegendLength, kLegendY, blend,
             kLegendThickness);
}

void SignalDisplay::DrawLevelGrid(plugfw::gfx::IGfx& g) const {
  const plugfw::gfx::Blend* blend = &GetBlend();
  for (const int db : kLevelGridDb) {
    const float y = kPlotRect.bottom - kPlotRect.Height() * SpectrumHeightFraction(static_cast<float>(db));
    g.DrawLine(RuleColour, kPlotRect.left, y, kPlotRect.right, y, blend, kRuleThickness);
    const std::string label = std::to_string(db);
    DrawEditorText(
        g, label.c_str(),
        Rect(kLevelLabelLeft, y - kLevelLabelHalfHeight, kLevelLabelRight, y + kLevelLabelHalfHeight),
        kGridLabelSize, MutedColour, TextAlign::kFar, blend);
  }
}

void SignalDisplay::DrawFrequencyGrid(plugfw::gfx::IGfx& g) const {
  const plugfw::gfx::Blend* blend = &GetBlend();
  const double top = TopGridFrequency(display_.sampleRate);
  const std::array<double, 4> lines = {kFixedGridFrequencies[0], kFixedGridFrequencies[1],
                                       kFixedGridFrequencies[2], top};
  for (const double frequency : lines) {
    const float x =
        kPlotRect.left + kPlotRect.Width() * static_cast<float>(FrequencyFraction(frequency, top));
    g.DrawLine(RuleColour, x, kPlotRect.top, x, kPlotRect.bottom, blend, kRuleThickness);
    DrawEditorText(g, FrequencyLabel(frequency).c_str(),
                   Rect(x - kFrequencyLabelHalfWidth, kFrequencyLabelTop, x + kFrequencyLabelHalfWidth,
                        kFrequencyLabelBottom),
                   kGridLabelSize, MutedColour, TextAlign::kCentre, blend);
  }
}

void SignalDisplay::DrawSpectra(plugfw::gfx::IGfx& g, bool analyzerOn) const {
  if (analyzerOn && display_.signalPresent) {
    DrawSpectrumCurve(g, display_.inputSpectrumDb, BlueColour);
    DrawSpectrumCurve(g, display_.outputSpectrumDb, TealColour);
    return;
  }
  DrawEditorText(g, analyzerOn ? "WAITING FOR REAL SIGNAL" : "ANALYZER OFF", kPlotRect, kTitleSize,
                 MutedColour, TextAlign::kCentre, &GetBlend());
}

void SignalDisplay::DrawSpectrumCurve(plugfw::gfx::IGfx& g, const float* db, Colour colour) const {
  const plugfw::gfx::Blend* blend = &GetBlend();
  const float step = kPlotRect.Width() / static_cast<float>(kSnapshotSpectrumBins - 1);
  float x0 = kPlotRect.left;
  float y0 = kPlotRect.bottom - kPlotRect.Height() * SpectrumHeightFraction(db[0]);
  for (int32_t bin = 1; bin < kSnapshotSpectrumBins; ++bin) {
    const float x1 = kPlotRect.left + step * static_cast<float>(bin);
    const float y1 = kPlotRect.bottom - kPlotRect.Height() * SpectrumHeightFraction(db[bin]);
    g.DrawLine(colour, x0, y0, x1, y1, blend, kCurveThickness);
    x0 = x1;
    y0 = y1;
  }
}

void SignalDisplay::DrawScope(plugfw::gfx::IGfx& g, bool analyzerOn) const {
  const plugfw::gfx::Blend* blend = &GetBlend();
  g.DrawLine(RuleColour, kScopeAxisLeft, kScopeCentreY, kScopeAxisRight, kScopeCentreY, blend,
             kRuleThickness);
  g.DrawLine(RuleColour, kScopeCentreX, kScopeAxisTop, kScopeCentreX, kScopeAxisBottom, blend,
             kRuleThickness);
  if (analyzerOn && display_.signalPresent) {
    auto pointX = [this](int32_t k) {
      return kScopeCentreX + kScopeHalfWidth * ScopeCoordinate(display_.scopeSide[k]);
    };
    auto pointY = [this](int32_t k) {
      return kScopeCentreY - kScopeHalfHeight * ScopeCoordinate(display_.scopeMid[k]);
    };
    for (int32_t k = 1; k < kSnapshotScopePoints; ++k) {
      g.DrawLine(kScopeTraceColour, pointX(k - 1), pointY(k - 1), pointX(k), pointY(k), blend,
                 kScopeThickness);
    }
  }
  DrawEditorText(g, "OUTPUT M/S / +/-1", kScopeCaptionRect, kGridLabelSize, MutedColour, TextAlign::kCentre,
                 blend);
}

void SignalDisplay::DrawCorrelationBar(plugfw::gfx::IGfx& g, float correlation, float rowY,
                                       const char* label) const {
  const plugfw::gfx::Blend* blend = &GetBlend();
  const bool live = display_.signalPresent != 0;
  DrawEditorText(g, label, Rect(kCorrelationLabelLeft, rowY - 2.f, kCorrelationLabelRight, rowY + 15.f),
                 kCorrelationTextSize, MutedColour, TextAlign::kNear, blend);
  g.FillRoundRect(RuleColour, Rect(kCorrelationTrackLeft, rowY + 2.f, kCorrelationTrackRight, rowY + 10.f),
                  kTrackRadius, blend);
  const float dotX = kCorrelationTrackLeft +
                     (kCorrelationTrackRight - kCorrelationTrackLeft) * CorrelationFraction(correlation);
  g.FillCircle(live ? TealColour : MutedColour, dotX, rowY + 6.f, kDotRadius, blend);
  DrawEditorText(g, CorrelationText(correlation, live).c_str(),
                 Rect(kCorrelationTrackRight, rowY - 3.f, kCorrelationValueRight, rowY + 15.f),
                 kCorrelationTextSize, live ? TealColour : MutedColour, TextAlign::kFar, blend);
}

void SignalDisplay::DrawTextLines(plugfw::gfx::IGfx& g, bool microPitch) const {
  const plugfw::gfx::Blend* blend = &GetBlend();
  DrawEditorText(g, EnvelopeLine(display_.envelopeDb, display_.duckDb).c_str(), kEnvelopeLineRect, kLineSize,
                 MutedColour, TextAlign::kNear, blend);
  DrawEditorText(g, ModulationLine(microPitch, display_.rateHz, display_.depthMs).c_str(),
                 kModulationLineRect, kLineSize, TealColour, TextAlign::kNear, blend);
}

void SignalDisplay::DrawMeters(plugfw::gfx::IGfx& g) const {
  const plugfw::gfx::Blend* blend = &GetBlend();
  const float peaks[] = {meters_.inPeak, meters_.wetPeak, meters_.outPeak};
  const float trackHeight = kMeterTrackBottom - kMeterTrackTop;
  for (int32_t k = 0; k < 3; ++k) {
    const float x = kFirstMeterLeft + kMeterPitch * static_cast<float>(k);
    const MeterReading meter = ReadMeter(peaks[k]);
    DrawEditorText(g, kMeterLabels[k], Rect(x - 8.f, 132.f, x + 18.f, 145.f), kMeterTextSize, MutedColour,
                   TextAlign::kCentre, blend);
    g.FillRoundRect(RuleColour, Rect(x, kMeterTrackTop, x + kMeterWidth, kMeterTrackBottom), kTrackRadius,
                    blend);
    if (meter.fill > 0.f) {
      const Colour levelColour = meter.over ? AmberColour : k == 0 ? BlueColour : TealColour;
      g.FillRoundRect(
          levelColour,
          Rect(x, kMeterTrackBottom - trackHeight * meter.fill, x + kMeterWidth, kMeterTrackBottom),
          kTrackRadius, blend);
    }
    DrawEditorText(g, MeterLabel(meter).c_str(), Rect(x - 9.f, 231.f, x + 16.f, 249.f), kMeterTextSize,
                   MutedColour, TextAlign::kCentre, blend);
  }
}

}  // namespace halcyra
