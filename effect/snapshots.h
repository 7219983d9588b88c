#pragma once
// The engine's measurements for the editor: DisplaySnapshot (spectra, scope,
// voice motion, detector and status values) and MeterSnapshot (block peaks), and
// their hand-over through one sequence-locked block of doubles. The audio thread
// publishes (wait-free, no allocation); UI-thread readers retry at most three times.

#include <cstddef>
#include <cstdint>

#include "effect/analyser.h"
#include "effect/seqlock_block.h"

namespace halcyra {

constexpr int kSnapshotSpectrumBins = kSpectrumBins;
constexpr int kSnapshotScopePoints = 256;
constexpr int kSnapshotVoices = 8;

struct DisplaySnapshot {
  static constexpr float kIdleDb = -120.0f;
  static constexpr float kIdleSplitLowHz = 180.0f;
  static constexpr float kIdleSplitHighHz = 3500.0f;
  static constexpr float kIdleTempoBpm = 120.0f;
  static constexpr double kIdleSampleRate = 48000.0;

  // Sets the idle record: what the editor shows before the engine has run.
  DisplaySnapshot();

  float inputSpectrumDb[kSnapshotSpectrumBins];
  float outputSpectrumDb[kSnapshotSpectrumBins];
  float scopeMid[kSnapshotScopePoints];  // oldest first
  float scopeSide[kSnapshotScopePoints];
  float voiceMotion[kSnapshotVoices];
  float voiceDelayMs[kSnapshotVoices];
  float voiceRateHz[kSnapshotVoices];
  float voicePanPercent[kSnapshotVoices];
  float voiceLevelDb[kSnapshotVoices];
  uint8_t voiceActive[kSnapshotVoices];
  float inputCorrelation;
  float outputCorrelation;
  float duckDb;
  float envelopeDb;
  float depthMs;
  float rateHz;
  float splitLowHz;
  float splitHighHz;
  float tempoBpm;
  double sampleRate;
  uint8_t sidechainPresent;
  uint8_t externalDetector;
  uint8_t signalPresent;
  uint8_t hostTempo;
  uint8_t playing;
};

// Linear peak magnitudes of the last block; all 0 when idle.
struct MeterSnapshot {
  MeterSnapshot();

  float inPeak;
  float wetPeak;
  float outPeak;
  float outLeftPeak;
  float outRightPeak;
  uint8_t sidechainPresent;
  uint8_t externalDetector;
};

// Every field of both records, one double each, in declaration order: display, then meters.
constexpr std::size_t kSnapshotBlockDoubles = 1094;

// The published block. It holds the idle records from construction on, so a
// reader before the first publication gets idle values, not zeros.
class SnapshotBlock : public SeqLockBlock<kSnapshotBlockDoubles> {
 public:
  SnapshotBlock();
};

constexpr int kSnapshotReadAttempts = 3;

// Audio thread: one publication of both records.
void PublishSnapshots(SnapshotBlock& block, const DisplaySnapshot& display, const MeterSnapshot& meters);

// UI thread: up to three attempts. On success both records hold one whole
// publication and the result is true; otherwise they are left exactly as they were.
bool TryReadSnapshots(const SnapshotBlock& block, DisplaySnapshot& display, MeterSnapshot& meters);

}  // namespace halcyra
