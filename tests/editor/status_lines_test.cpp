#include "editor/status_lines.h"

#include <gtest/gtest.h>

#include <limits>

namespace halcyra {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(StatusTempoLine, NamesTheTempoSource) {
  DisplaySnapshot display;
  display.tempoBpm = 128.0f;
  display.hostTempo = 1;
  EXPECT_EQ(FormatStatusTempoLine(display), "0 PDC / INTENTIONAL WET DELAY / 128.0 BPM HOST");
  display.tempoBpm = 95.5f;
  display.hostTempo = 0;
  EXPECT_EQ(FormatStatusTempoLine(display), "0 PDC / INTENTIONAL WET DELAY / 95.5 BPM FALLBACK");
  display.tempoBpm = kNaN;
  EXPECT_EQ(FormatStatusTempoLine(display), "0 PDC / INTENTIONAL WET DELAY / 120.0 BPM FALLBACK");
}

TEST(StatusSignalLine, TellsWhatTheDetectorMonitorAndBandReallyUse) {
  // Detector 0 Peak, 1 RMS, 2 External; Monitor 0 Output, 7 External; Process Band 0 Full,
  // 1 Low, 2 Mid, 3 High, 4 Side Only.
  struct Case {
    double detector;
    double monitor;
    double band;
    bool sidechain;
    bool external;
    const char* expected;
    bool warning;
  };
  const Case cases[] = {
      {1, 0, 0, false, false, "REAL SIGNAL / NO AUTOMATIC NOISE OR LIMITER", false},
      {0, 0, 0, true, false, "REAL SIGNAL / NO AUTOMATIC NOISE OR LIMITER", false},
      {2, 0, 0, false, false, "EXTERNAL MISSING / INTERNAL RMS FALLBACK", true},
      {2, 0, 0, true, true, "REAL EXTERNAL DETECTOR", false},
      {1, 7, 0, false, false, "EXTERNAL MONITOR / MISSING IS SILENT", true},
      {2, 7, 0, false, false, "EXTERNAL MONITOR / MISSING IS SILENT", true},
      {1, 7, 0, true, false, "REAL EXTERNAL MONITOR", false},
      {1, 0, 2, false, false, "ACTUAL SPLITS 180Hz / 3500Hz / REAL SIGNAL / NO AUTOMATIC NOISE OR LIMITER",
       false},
      {2, 0, 3, false, false, "ACTUAL SPLITS 180Hz / 3500Hz / EXTERNAL MISSING / INTERNAL RMS FALLBACK",
       true},
      {1, 0, 4, false, false, "REAL SIGNAL / NO AUTOMATIC NOISE OR LIMITER", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    DisplaySnapshot display;  // idle: splits 180 and 3500 Hz
    display.sidechainPresent = c.sidechain;
    display.externalDetector = c.external;
    const StatusSignalLine line = FormatStatusSignalLine(display, c.detector, c.monitor, c.band);
    EXPECT_EQ(line.text, c.expected);
    EXPECT_EQ(line.warning, c.warning);
  }
}

TEST(StatusSignalLine, ShowsTheSplitsInUseAndZeroForAMissingOne) {
  DisplaySnapshot display;
  display.splitLowHz = 412.4f;
  display.splitHighHz = kNaN;
  EXPECT_EQ(FormatStatusSignalLine(display, 1, 0, 1).text,
            "ACTUAL SPLITS 412Hz / 0Hz / REAL SIGNAL / NO AUTOMATIC NOISE OR LIMITER");
}

}  // namespace
}  // namespace halcyra
