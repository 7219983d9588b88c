#include "editor/status_lines.h"

#include <cmath>
#include <cstdint>

#include "core/heap_string.h"
#include "core/param_format.h"
#include "editor/finite_or.h"

namespace halcyra {
namespace {

constexpr double kFallbackTempo = 120.0;
// Detector 2 is External; Monitor 7 is External.
constexpr double kExternalDetectorFrom = 1.5;
constexpr double kExternalMonitorFrom = 6.5;
// Process Band 1..3 (as whole numbers) are Low, Mid and High, the settings that split.
constexpr double kFirstSplitBand = 1.0;
constexpr double kAfterLastSplitBand = 4.0;

std::string FormatNumber(double value, int32_t precision) {
  plugfw::HeapString text;
  plugfw::FormatParamNumber(value, precision, false, text);
  return text.Get();
}

const char* DetectorOrMonitorText(const DisplaySnapshot& display, double detector, double monitor) {
  if (monitor > kExternalMonitorFrom) {
    return display.sidechainPresent ? "REAL EXTERNAL MONITOR" : "EXTERNAL MONITOR / MISSING IS SILENT";
  }
  if (detector > kExternalDetectorFrom && !display.sidechainPresent) {
    return "EXTERNAL MISSING / INTERNAL RMS FALLBACK";
  }
  if (display.externalDetector) return "REAL EXTERNAL DETECTOR";
  return "REAL SIGNAL / NO AUTOMATIC NOISE OR LIMITER";
}

bool SplitsBand(double processBand) {
  return processBand >= kFirstSplitBand && processBand < kAfterLastSplitBand;
}

}  // namespace

std::string FormatStatusTempoLine(const DisplaySnapshot& display) {
  const double tempo = FiniteOr(display.tempoBpm, kFallbackTempo);
  return "0 PDC / INTENTIONAL WET DELAY / " + FormatNumber(tempo, 1) + " BPM " +
         (display.hostTempo ? "HOST" : "FALLBACK");
}

StatusSignalLine FormatStatusSignalLine(const DisplaySnapshot& display, double detector, double monitor,
                                        double processBand) {
  std::string text = DetectorOrMonitorText(display, detector, monitor);
  if (SplitsBand(processBand)) {
    text = "ACTUAL SPLITS " + FormatNumber(FiniteOr(display.splitLowHz, 0.0), 0) + "Hz / " +
           FormatNumber(FiniteOr(display.splitHighHz, 0.0), 0) + "Hz / " + text;
  }
  const bool internalOnly = detector <= kExternalDetectorFrom && monitor <= kExternalMonitorFrom;
  return {text, !(display.sidechainPresent || internalOnly)};
}

}  // namespace halcyra
