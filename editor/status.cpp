#include "editor/status.h"

#include <utility>

#include "editor/editor_drawing.h"
#include "editor/plugin_access.h"
#include "editor/relevance.h"
#include "editor/status_lines.h"
#include "graphics/gfx.h"

namespace halcyra {
namespace {

using plugfw::gfx::Rect;

constexpr Rect kStatusRect = {337.f, 758.f, 942.f, 795.f};
constexpr Rect kTempoLineRect = {337.f, 757.f, 944.f, 777.f};
constexpr Rect kSignalLineRect = {337.f, 777.f, 944.f, 795.f};
constexpr float kLineSize = 10.f;

}  // namespace

Status::Status(plugfw::gfx::IGfxEditorDelegate* plugin, SnapshotReader reader)
    : IControl(kStatusRect),
      plugin_(plugin),
      reader_(reader ? std::move(reader) : EngineSnapshotReader(plugin)) {
  SetIgnoreMouse(true);
}

Status::~Status() = default;

Status::Lines Status::CurrentLines() const {
  const PlainValues values = ReadPlainValues(*plugin_);
  StatusSignalLine signal = FormatStatusSignalLine(display_, values[kParamEnvelopeDetector],
                                                   values[kParamMonitor], values[kParamProcessBand]);
  return {FormatStatusTempoLine(display_), std::move(signal.text), signal.warning};
}

void Status::Draw(plugfw::gfx::IGfx& g) {
  if (plugin_ == nullptr) return;
  shown_ = CurrentLines();
  DrawEditorText(g, shown_.tempo.c_str(), kTempoLineRect, kLineSize, MutedColour,
                 plugfw::gfx::TextAlign::kNear, &GetBlend());
  DrawEditorText(g, shown_.signal.c_str(), kSignalLineRect, kLineSize,
                 shown_.warning ? AmberColour : TealColour, plugfw::gfx::TextAlign::kNear, &GetBlend());
}

bool Status::IsDirty() {
  // The base asks this once per frame, before drawing: where the control takes its copy. A
  // read that loses every attempt to the audio thread leaves the last record standing.
  reader_(display_, meters_);
  if (plugin_ != nullptr && !(CurrentLines() == shown_)) SetDirty(false);
  return IControl::IsDirty();
}

}  // namespace halcyra
