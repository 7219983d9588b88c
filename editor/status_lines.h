#pragma once
// The two lines of the status strip: where the tempo comes from, and what the detector, the
// monitor and the band splits are really doing. Pure functions of one display snapshot and
// three plain parameter values: any thread.

#include <string>

#include "effect/snapshots.h"

namespace halcyra {

// "0 PDC / INTENTIONAL WET DELAY / 120.0 BPM HOST" or "... FALLBACK"; a tempo that is not
// finite reads as 120.
std::string FormatStatusTempoLine(const DisplaySnapshot& display);

struct StatusSignalLine {
  std::string text;
  // Drawn in the warning colour: an external source is asked for but the host gives none.
  bool warning;
};

// From the Envelope Detector, Monitor and Process Band values. With a split band selected the
// line starts with the splits in use (0 when not finite) and keeps the detector text.
StatusSignalLine FormatStatusSignalLine(const DisplaySnapshot& display, double detector, double monitor,
                                        double processBand);

}  // namespace halcyra
