#include "effect/snapshots.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <type_traits>
#include <vector>

namespace halcyra {
namespace {

// The block order, stated here independently of the implementation: fn(field) for
// every field of both records as it lies in the published block.
template <typename Display, typename Meters, typename Fn>
void ForEachFieldInBlockOrder(Display& d, Meters& m, Fn&& fn) {
  for (auto* array : {&d.inputSpectrumDb, &d.outputSpectrumDb, &d.scopeMid, &d.scopeSide}) {
    for (auto& value : *array) fn(value);
  }
  for (auto* array : {&d.voiceMotion, &d.voiceDelayMs, &d.voiceRateHz, &d.voicePanPercent, &d.voiceLevelDb}) {
    for (auto& value : *array) fn(value);
  }
  for (auto& flag : d.voiceActive) fn(flag);
  for (auto* value : {&d.inputCorrelation, &d.outputCorrelation, &d.duckDb, &d.envelopeDb, &d.depthMs,
                      &d.rateHz, &d.splitLowHz, &d.splitHighHz, &d.tempoBpm}) {
    fn(*value);
  }
  fn(d.sampleRate);
  for (auto* flag : {&d.sidechainPresent, &d.externalDetector, &d.signalPresent, &d.hostTempo, &d.playing}) {
    fn(*flag);
  }
  for (auto* value : {&m.inPeak, &m.wetPeak, &m.outPeak, &m.outLeftPeak, &m.outRightPeak}) fn(*value);
  fn(m.sidechainPresent);
  fn(m.externalDetector);
}

// Field k of generation g: g + k for numbers, the parity of g + k for flags. Every
// value is exact in a float for the generations used here, so equality is exact.
double ExpectedField(uint32_t generation, std::size_t k, bool isFlag) {
  const uint64_t base = static_cast<uint64_t>(generation) + k;
  return isFlag ? static_cast<double>(base & 1u) : static_cast<double>(base);
}

template <typename Field>
constexpr bool IsFlag() {
  return std::is_same<std::remove_cv_t<Field>, uint8_t>::value;
}

void FillGeneration(DisplaySnapshot& display, MeterSnapshot& meters, uint32_t generation) {
  std::size_t k = 0;
  ForEachFieldInBlockOrder(display, meters, [&](auto& field) {
    using Field = std::remove_reference_t<decltype(field)>;
    field = static_cast<Field>(ExpectedField(generation, k++, IsFlag<Field>()));
  });
}

constexpr std::size_t kSampleRateIndex = 1081;

uint32_t GenerationOf(const DisplaySnapshot& display) {
  return static_cast<uint32_t>(display.sampleRate) - static_cast<uint32_t>(kSampleRateIndex);
}

bool MatchesGeneration(const DisplaySnapshot& display, const MeterSnapshot& meters, uint32_t generation) {
  std::size_t k = 0;
  bool allMatch = true;
  ForEachFieldInBlockOrder(display, meters, [&](const auto& field) {
    using Field = std::remove_reference_t<decltype(field)>;
    allMatch = allMatch && static_cast<double>(field) == ExpectedField(generation, k, IsFlag<Field>());
    ++k;
  });
  return allMatch;
}

TEST(Snapshots, IdleDisplayRecord) {
  const DisplaySnapshot idle;
  for (int i = 0; i < kSnapshotSpectrumBins; ++i) {
    EXPECT_EQ(idle.inputSpectrumDb[i], -120.0f);
    EXPECT_EQ(idle.outputSpectrumDb[i], -120.0f);
  }
  for (int i = 0; i < kSnapshotScopePoints; ++i) {
    EXPECT_EQ(idle.scopeMid[i], 0.0f);
    EXPECT_EQ(idle.scopeSide[i], 0.0f);
  }
  for (int v = 0; v < kSnapshotVoices; ++v) {
    EXPECT_EQ(idle.voiceMotion[v], 0.0f);
    EXPECT_EQ(idle.voiceDelayMs[v], 0.0f);
    EXPECT_EQ(idle.voiceRateHz[v], 0.0f);
    EXPECT_EQ(idle.voicePanPercent[v], 0.0f);
    EXPECT_EQ(idle.voiceLevelDb[v], -120.0f);
    EXPECT_EQ(idle.voiceActive[v], 0);
  }
  EXPECT_EQ(idle.inputCorrelation, 0.0f);
  EXPECT_EQ(idle.outputCorrelation, 0.0f);
  EXPECT_EQ(idle.duckDb, 0.0f);
  EXPECT_EQ(idle.envelopeDb, -120.0f);
  EXPECT_EQ(idle.depthMs, 0.0f);
  EXPECT_EQ(idle.rateHz, 0.0f);
  EXPECT_EQ(idle.splitLowHz, 180.0f);
  EXPECT_EQ(idle.splitHighHz, 3500.0f);
  EXPECT_EQ(idle.tempoBpm, 120.0f);
  EXPECT_EQ(idle.sampleRate, 48000.0);
  EXPECT_EQ(idle.sidechainPresent, 0);
  EXPECT_EQ(idle.externalDetector, 0);
  EXPECT_EQ(idle.signalPresent, 0);
  EXPECT_EQ(idle.hostTempo, 0);
  EXPECT_EQ(idle.playing, 0);
}

TEST(Snapshots, IdleMeterRecord) {
  const MeterSnapshot idle;
  EXPECT_EQ(idle.inPeak, 0.0f);
  EXPECT_EQ(idle.wetPeak, 0.0f);
  EXPECT_EQ(idle.outPeak, 0.0f);
  EXPECT_EQ(idle.outLeftPeak, 0.0f);
  EXPECT_EQ(idle.outRightPeak, 0.0f);
  EXPECT_EQ(idle.sidechainPresent, 0);
  EXPECT_EQ(idle.externalDetector, 0);
}

TEST(Snapshots, BlockBeforeAnyPublicationReadsIdle) {
  const SnapshotBlock block;
  DisplaySnapshot display;
  MeterSnapshot meters;
  FillGeneration(display, meters, 7);
  ASSERT_TRUE(TryReadSnapshots(block, display, meters));
  const DisplaySnapshot idleDisplay;
  const MeterSnapshot idleMeters;
  std::vector<double> got, idle;
  ForEachFieldInBlockOrder(display, meters, [&](const auto& field) { got.push_back(field); });
  ForEachFieldInBlockOrder(idleDisplay, idleMeters, [&](const auto& field) { idle.push_back(field); });
  EXPECT_EQ(got, idle);
}

TEST(Snapshots, EveryFieldSurvivesTheRoundTrip) {
  SnapshotBlock block;
  DisplaySnapshot written;
  MeterSnapshot writtenMeters;
  FillGeneration(written, writtenMeters, 1000);
  PublishSnapshots(block, written, writtenMeters);
  DisplaySnapshot display;
  MeterSnapshot meters;
  ASSERT_TRUE(TryReadSnapshots(block, display, meters));
  EXPECT_TRUE(MatchesGeneration(display, meters, 1000));
}

TEST(Snapshots, BlockHoldsTheFieldsInTheirPublishedOrder) {
  SnapshotBlock block;
  DisplaySnapshot display;
  MeterSnapshot meters;
  FillGeneration(display, meters, 0);
  PublishSnapshots(block, display, meters);
  std::vector<double> words(kSnapshotBlockDoubles);
  ASSERT_TRUE(block.TryRead(words.data()));
  std::size_t k = 0;
  ForEachFieldInBlockOrder(display, meters, [&](const auto& field) {
    EXPECT_EQ(words[k], static_cast<double>(field)) << "block index " << k;
    ++k;
  });
  EXPECT_EQ(k, kSnapshotBlockDoubles);
  // Landmarks of the layout, spelled out.
  EXPECT_EQ(words[0], display.inputSpectrumDb[0]);
  EXPECT_EQ(words[1023], display.scopeSide[255]);
  EXPECT_EQ(words[1024], display.voiceMotion[0]);
  EXPECT_EQ(words[1071], display.voiceActive[7]);
  EXPECT_EQ(words[1072], display.inputCorrelation);
  EXPECT_EQ(words[1080], display.tempoBpm);
  EXPECT_EQ(words[kSampleRateIndex], display.sampleRate);
  EXPECT_EQ(words[1086], display.playing);
  EXPECT_EQ(words[1087], meters.inPeak);
  EXPECT_EQ(words[1093], meters.externalDetector);
}

TEST(Snapshots, FlagsTravelAsZeroOrOne) {
  SnapshotBlock block;
  DisplaySnapshot display;
  MeterSnapshot meters;
  display.voiceActive[3] = 7;
  display.playing = 255;
  meters.externalDetector = 2;
  PublishSnapshots(block, display, meters);
  std::vector<double> words(kSnapshotBlockDoubles);
  ASSERT_TRUE(block.TryRead(words.data()));
  EXPECT_EQ(words[1067], 1.0);
  EXPECT_EQ(words[1086], 1.0);
  EXPECT_EQ(words[1093], 1.0);
  DisplaySnapshot readDisplay;
  MeterSnapshot readMeters;
  ASSERT_TRUE(TryReadSnapshots(block, readDisplay, readMeters));
  EXPECT_EQ(readDisplay.voiceActive[3], 1);
  EXPECT_EQ(readDisplay.voiceActive[2], 0);
  EXPECT_EQ(readDisplay.playing, 1);
  EXPECT_EQ(readMeters.externalDetector, 1);
}

// A writer stopped between its two counter increments: every attempt must fail and
// leave the reader's records exactly as they were.
TEST(Snapshots, ReaderKeepsItsRecordWhileAWriteIsUnderWay) {
  SnapshotBlock block;
  DisplaySnapshot written;
  MeterSnapshot writtenMeters;
  FillGeneration(written, writtenMeters, 40);
  PublishSnapshots(block, written, writtenMeters);
  DisplaySnapshot display;
  MeterSnapshot meters;
  ASSERT_TRUE(TryReadSnapshots(block, display, meters));

  block.BeginWrite();
  for (std::size_t i = 0; i < kSnapshotBlockDoubles; i += 2) block.Store(i, -1.0);
  EXPECT_FALSE(TryReadSnapshots(block, display, meters));
  EXPECT_TRUE(MatchesGeneration(display, meters, 40));
  std::vector<double> words(kSnapshotBlockDoubles);
  EXPECT_FALSE(block.TryRead(words.data()));

  block.EndWrite();
  ASSERT_TRUE(TryReadSnapshots(block, display, meters));
  EXPECT_EQ(display.inputSpectrumDb[0], -1.0f);
}

TEST(Snapshots, IdleReaderStaysIdleWhileAWriteIsUnderWay) {
  SnapshotBlock block;
  block.BeginWrite();
  block.Store(kSampleRateIndex, 96000.0);
  DisplaySnapshot display;
  MeterSnapshot meters;
  EXPECT_FALSE(TryReadSnapshots(block, display, meters));
  EXPECT_EQ(display.sampleRate, 48000.0);
  EXPECT_EQ(display.tempoBpm, 120.0f);
  EXPECT_EQ(meters.inPeak, 0.0f);
}

// One writer publishing generation after generation, two readers polling: a reader
// must never accept a record that mixes generations, nor go back to an older one.
// After each publication the writer waits for some reader to accept a record (until
// the readers are done), so readers succeed even where copying is slow, as under
// ThreadSanitizer, while still racing the writer's next publication.
TEST(Snapshots, ConcurrentReadersNeverAcceptAMixedRecord) {
  constexpr uint32_t kPublications = 2000;
  constexpr int kReadsPerReader = 4000;
  constexpr int kReaders = 2;

  SnapshotBlock block;
  {
    DisplaySnapshot display;
    MeterSnapshot meters;
    FillGeneration(display, meters, 0);
    PublishSnapshots(block, display, meters);
  }
  const uint32_t sequenceBeforeWriter = block.Sequence();
  std::atomic<int> finishedReaders{0};
  std::atomic<int> acceptedReads{0};
  std::atomic<int> acceptedWhileWriting{0};
  std::atomic<int> mixedRecords{0};
  std::atomic<int> olderRecords{0};

  std::thread writer([&] {
    DisplaySnapshot display;
    MeterSnapshot meters;
    for (uint32_t generation = 1; generation <= kPublications; ++generation) {
      FillGeneration(display, meters, generation);
      const int acceptedBefore = acceptedReads.load();
      PublishSnapshots(block, display, meters);
      while (acceptedReads.load() == acceptedBefore && finishedReaders.load() < kReaders) {
        std::this_thread::yield();
      }
    }
  });

  std::vector<std::thread> readers;
  for (int r = 0; r < kReaders; ++r) {
    readers.emplace_back([&] {
      DisplaySnapshot display;
      MeterSnapshot meters;
      FillGeneration(display, meters, 0);
      uint32_t lastGeneration = 0;
      // Count reads only once the writer is under way.
      while (block.Sequence() == sequenceBeforeWriter) std::this_thread::yield();
      for (int i = 0; i < kReadsPerReader; ++i) {
        if (TryReadSnapshots(block, display, meters)) acceptedReads.fetch_add(1);
        const uint32_t generation = GenerationOf(display);
        if (!MatchesGeneration(display, meters, generation)) mixedRecords.fetch_add(1);
        if (generation < lastGeneration) olderRecords.fetch_add(1);
        if (generation > 0 && generation < kPublications) acceptedWhileWriting.fetch_add(1);
        lastGeneration = generation;
      }
      finishedReaders.fetch_add(1);
    });
  }

  writer.join();
  for (std::thread& reader : readers) reader.join();

  EXPECT_EQ(mixedRecords.load(), 0);
  EXPECT_EQ(olderRecords.load(), 0);
  EXPECT_GT(acceptedWhileWriting.load(), 0);
  DisplaySnapshot display;
  MeterSnapshot meters;
  ASSERT_TRUE(TryReadSnapshots(block, display, meters));
  EXPECT_TRUE(MatchesGeneration(display, meters, kPublications));
}

}  // namespace
}  // namespace halcyra
