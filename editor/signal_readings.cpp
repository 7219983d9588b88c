#include "editor/signal_readings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "editor/finite_or.h"

namespace halcyra {
namespace {

constexpr float kNoBinDb = -120.f;
constexpr double kFallbackSampleRate = 48000.0;
constexpr double kLowestGridSampleRate = 22050.0;
constexpr double kGridFractionOfSampleRate = 0.49;
constexpr double kHighestGridFrequency = 20000.0;
constexpr double kKilo = 1000.0;

constexpr float kSilentDb = -120.f;
constexpr float kMeterRangeDb = 60.f;
constexpr float kMeterLabelFloorDb = -90.f;
// A float 0.001 measures a hair above -60 dB; fills that small are empty.
constexpr float kEmptyMeterFill = 1e-6f;

constexpr float kEnvelopeFloorDb = -90.f;

std::string Printed(const char* format, double a) {
  char text[48];
  std::snprintf(text, sizeof text, format, a);
  return text;
}

std::string Printed(const char* format, double a, double b) {
  char text[64];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

}  // namespace

float SpectrumHeightFraction(float db) {
  return std::clamp((FiniteOr(db, kNoBinDb) + kSpectrumRangeDb) / kSpectrumRangeDb, 0.f, 1.f);
}

double TopGridFrequency(double sampleRate) {
  const double rate = std::isfinite(sampleRate) ? sampleRate : kFallbackSampleRate;
  return std::min(std::max(rate, kLowestGridSampleRate) * kGridFractionOfSampleRate, kHighestGridFrequency);
}

double FrequencyFraction(double frequency, double top) {
  return std::log(frequency / kLowestGridFrequency) / std::log(top / kLowestGridFrequency);
}

std::string FrequencyLabel(double frequency) {
  return frequency >= kKilo ? Printed("%.1fk", frequency / kKilo) : Printed("%.0f", frequency);
}

MeterReading ReadMeter(float peak) {
  MeterReading meter;
  meter.level = std::max(FiniteOr(peak, 0.f), 0.f);
  meter.db = meter.level > 0.f ? 20.f * std::log10(meter.level) : kSilentDb;
  const float fill = std::clamp((meter.db + kMeterRangeDb) / kMeterRangeDb, 0.f, 1.f);
  meter.fill = fill < kEmptyMeterFill ? 0.f : fill;
  meter.over = meter.level >= 1.f;
  return meter;
}

std::string MeterLabel(const MeterReading& meter) {
  return meter.db < kMeterLabelFloorDb ? "-inf" : Printed("%.0f", meter.db);
}

float CorrelationFraction(float correlation) {
  return (std::clamp(FiniteOr(correlation, 0.f), -1.f, 1.f) + 1.f) * 0.5f;
}

std::string CorrelationText(float correlation, bool signalPresent) {
  return signalPresent ? Printed("%+.2f", FiniteOr(correlation, 0.f)) : "--";
}

float ScopeCoordinate(float value) { return std::clamp(FiniteOr(value, 0.f), -1.f, 1.f); }

std::string EnvelopeLine(float envelopeDb, float duckDb) {
  // The envelope is made finite before the floor test, so a NaN reads "-inf" like silence.
  const float envelope = FiniteOr(envelopeDb, kSilentDb);
  const float duck = std::max(0.f, -FiniteOr(duckDb, 0.f));
  if (envelope <= kEnvelopeFloorDb) return Printed("ENV -inf / DUCK %.1fdB", duck);
  return Printed("ENV %.1fdBFS / DUCK %.1fdB", envelope, duck);
}

std::string ModulationLine(bool microPitch, float rateHz, float depthMs) {
  const float rate = FiniteOr(rateHz, 0.f);
  const float time = FiniteOr(depthMs, 0.f);
  if (microPitch) return Printed("HEAD %.2fHz / WINDOW %.2fms", rate, 2.0 * time);
  return Printed("ACTUAL %.2fHz / %.2fms", rate, time);
}

}  // namespace halcyra
