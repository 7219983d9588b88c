#include "effect/snapshots.h"

#include <algorithm>
#include <cassert>
#include <iterator>
#include <type_traits>

namespace halcyra {

DisplaySnapshot::DisplaySnapshot()
    : inputCorrelation(0.0f),
      outputCorrelation(0.0f),
      duckDb(0.0f),
      envelopeDb(kIdleDb),
      depthMs(0.0f),
      rateHz(0.0f),
      splitLowHz(kIdleSplitLowHz),
      splitHighHz(kIdleSplitHighHz),
      tempoBpm(kIdleTempoBpm),
      sampleRate(kIdleSampleRate),
      sidechainPresent(0),
      externalDetector(0),
      signalPresent(0),
      hostTempo(0),
      playing(0) {
  std::fill(std::begin(inputSpectrumDb), std::end(inputSpectrumDb), kIdleDb);
  std::fill(std::begin(outputSpectrumDb), std::end(outputSpectrumDb), kIdleDb);
  std::fill(std::begin(scopeMid), std::end(scopeMid), 0.0f);
  std::fill(std::begin(scopeSide), std::end(scopeSide), 0.0f);
  std::fill(std::begin(voiceMotion), std::end(voiceMotion), 0.0f);
  std::fill(std::begin(voiceDelayMs), std::end(voiceDelayMs), 0.0f);
  std::fill(std::begin(voiceRateHz), std::end(voiceRateHz), 0.0f);
  std::fill(std::begin(voicePanPercent), std::end(voicePanPercent), 0.0f);
  std::fill(std::begin(voiceLevelDb), std::end(voiceLevelDb), kIdleDb);
  std::fill(std::begin(voiceActive), std::end(voiceActive), uint8_t{0});
}

MeterSnapshot::MeterSnapshot()
    : inPeak(0.0f),
      wetPeak(0.0f),
      outPeak(0.0f),
      outLeftPeak(0.0f),
      outRightPeak(0.0f),
      sidechainPresent(0),
      externalDetector(0) {}

namespace {

// The block's layout, written once for packing and unpacking alike.
template <typename Display, typename Meters, typename Visit>
void VisitBlockFields(Display& display, Meters& meters, Visit&& visit) {
  for (auto& value : display.inputSpectrumDb) visit(value);
  for (auto& value : display.outputSpectrumDb) visit(value);
  for (auto& value : display.scopeMid) visit(value);
  for (auto& value : display.scopeSide) visit(value);
  for (auto& value : display.voiceMotion) visit(value);
  for (auto& value : display.voiceDelayMs) visit(value);
  for (auto& value : display.voiceRateHz) visit(value);
  for (auto& value : display.voicePanPercent) visit(value);
  for (auto& value : display.voiceLevelDb) visit(value);
  for (auto& flag : display.voiceActive) visit(flag);
  visit(display.inputCorrelation);
  visit(display.outputCorrelation);
  visit(display.duckDb);
  visit(display.envelopeDb);
  visit(display.depthMs);
  visit(display.rateHz);
  visit(display.splitLowHz);
  visit(display.splitHighHz);
  visit(display.tempoBpm);
  visit(display.sampleRate);
  visit(display.sidechainPresent);
  visit(display.externalDetector);
  visit(display.signalPresent);
  visit(display.hostTempo);
  visit(display.playing);
  visit(meters.inPeak);
  visit(meters.wetPeak);
  visit(meters.outPeak);
  visit(meters.outLeftPeak);
  visit(meters.outRightPeak);
  visit(meters.sidechainPresent);
  visit(meters.externalDetector);
}

template <typename Field>
constexpr bool IsFlag() {
  return std::is_same<std::remove_cv_t<Field>, uint8_t>::value;
}

// Hands every field, as a double in block order, to store(index, value).
template <typename Store>
void PackSnapshots(const DisplaySnapshot& display, const MeterSnapshot& meters, Store&& store) {
  std::size_t index = 0;
  VisitBlockFields(display, meters, [&](const auto& field) {
    using Field = std::remove_reference_t<decltype(field)>;
    if constexpr (IsFlag<Field>()) {
      store(index++, field != 0 ? 1.0 : 0.0);
    } else {
      store(index++, static_cast<double>(field));
    }
  });
  assert(index == kSnapshotBlockDoubles);
}

struct IdleWords {
  IdleWords() {
    PackSnapshots(DisplaySnapshot(), MeterSnapshot(), [&](std::size_t i, double value) { words[i] = value; });
  }
  double words[kSnapshotBlockDoubles];
};

}  // namespace

SnapshotBlock::SnapshotBlock() : SeqLockBlock(IdleWords().words) {}

void PublishSnapshots(SnapshotBlock& block, const DisplaySnapshot& display, const MeterSnapshot& meters) {
  block.BeginWrite();
  PackSnapshots(display, meters, [&](std::size_t i, double value) { block.Store(i, value); });
  block.EndWrite();
}

bool TryReadSnapshots(const SnapshotBlock& block, DisplaySnapshot& display, MeterSnapshot& meters) {
  double words[kSnapshotBlockDoubles];
  for (int attempt = 0; attempt < kSnapshotReadAttempts; ++attempt) {
    if (!block.TryRead(words)) continue;
    // The copy is one whole publication: it alone decides every field.
    std::size_t index = 0;
    VisitBlockFields(display, meters, [&](auto& field) {
      using Field = std::remove_reference_t<decltype(field)>;
      const double word = words[index++];
      if constexpr (IsFlag<Field>()) {
        field = word != 0.0 ? 1 : 0;
      } else {
        field = static_cast<Field>(word);
      }
    });
    assert(index == kSnapshotBlockDoubles);
    return true;
  }
  return false;
}

}  // namespace halcyra
