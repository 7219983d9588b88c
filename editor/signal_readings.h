#pragma once
// What the signal display reads off the engine's records, as numbers and words: the level and
// frequency scales of the spectrum plot, the meters, the correlation values, the scope's points
// and the two text lines. Everything that is not finite is replaced here, so no NaN reaches a
// coordinate or a text. Pure functions: any thread.

#include <string>

namespace halcyra {

// The spectrum plot shows this many dB below full scale.
inline constexpr float kSpectrumRangeDb = 96.f;
inline constexpr double kLowestGridFrequency = 20.0;

// Height of a bin above the plot's bottom as a fraction of the plot (0 bottom, 1 top); a bin
// that is not finite sits at the bottom.
float SpectrumHeightFraction(float db);

// The last frequency line: 0.49 of the sample rate (taken as at least 22050 Hz), at most 20 kHz.
// A sample rate that is not finite counts as 48000.
double TopGridFrequency(double sampleRate);

// Where f lies across the plot (0 left, 1 right) on the log scale from 20 Hz to `top`.
double FrequencyFraction(double frequency, double top);

// "20", "200", "2.0k", "15.7k".
std::string FrequencyLabel(double frequency);

struct MeterReading {
  float level;  // linear, 0 when not finite or negative
  float db;     // -120 when silent
  float fill;   // of the track, 0..1 over -60..0 dB
  bool over;    // at or above full scale
};

MeterReading ReadMeter(float peak);
// "-inf" below -90 dB, else the whole dB.
std::string MeterLabel(const MeterReading& meter);

// Where the correlation dot sits along its track (0 left at -1, 1 right at +1); not finite: middle.
float CorrelationFraction(float correlation);
// "+0.87" with signal, "--" without.
std::string CorrelationText(float correlation, bool signalPresent);

// A scope point's coordinate, -1..1; 0 when not finite.
float ScopeCoordinate(float value);

// "ENV -inf / DUCK 3.0dB" or "ENV -12.5dBFS / DUCK 3.0dB".
std::string EnvelopeLine(float envelopeDb, float duckDb);
// Micro Pitch reads its head rate and window ("HEAD 1.20Hz / WINDOW 39.00ms"); every other
// structure its effective rate and depth ("ACTUAL 0.80Hz / 4.50ms").
std::string ModulationLine(bool microPitch, float rateHz, float depthMs);

}  // namespace halcyra
