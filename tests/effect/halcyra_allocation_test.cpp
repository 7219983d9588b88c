// The plug-in object under the program's counting allocator: creation answers null or a whole
// object whichever allocation fails, and the block entry allocates nothing however blocks, values,
// bypass and side-chain change.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "effect/halcyra.h"
#include "effect/param_table.h"
#include "tests/core/counting_allocator.h"
#include "tests/effect/whole_plugin.h"

namespace halcyra {
namespace {

using plugfw::test::AllocationCounter;
using plugfw::test::WithEachAllocationFailing;

TEST(HalcyraCreation, EachFailedAllocationGivesNullOrAWholePluginAndNeverThrows) {
  int refusedButWhole = 0;
  const long needed = WithEachAllocationFailing([] { return CreatePluginInstance({}); },
                                                [&](std::unique_ptr<Halcyra>& plugin, bool refused) {
                                                  if (!refused) {
                                                    ASSERT_NE(plugin, nullptr)
                                                        << "creation failed with all the memory it asked for";
                                                  }
                                                  if (!plugin) return;
                                                  refusedButWhole += refused;
                                                  test::ExpectWholePlugin(*plugin);
                                                });
  // Far more than a handful: the sweep really walked through the parameters and presets.
  EXPECT_GT(needed, 2 * kParamCount);
  RecordProperty("allocationsOfOneCreation", int(needed));
  RecordProperty("refusedButWhole", refusedButWhole);
}

// A mix of what a host and a musician do between blocks: every kind of value change, the bypass,
// the side-chain coming and going, silent inputs, and block sizes from one frame to several slices.
class BlockRoad {
 public:
  explicit BlockRoad(uint32_t seed) : random_(seed) {
    for (auto& channel : inputs_) channel.assign(kMaxFrames, 0.0f);
    for (auto& channel : outputs_) channel.assign(kMaxFrames, 0.0f);
    for (int32_t n = 0; n < kMaxFrames; ++n) {
      inputs_[0][n] = 0.4f * std::sin(0.031f * n);
      inputs_[1][n] = 0.4f * std::sin(0.017f * n);
      inputs_[2][n] = inputs_[3][n] = (n / 200) % 2 ? 0.8f : 0.0f;  // a gated side-chain
    }
  }

  // One host block with whatever changed before it.
  void Run(Halcyra& plugin) {
    ChangeSomething(plugin);
    // Mostly the sizes hosts use, around the 512-frame slices; now and then any size at all.
    const int32_t sizes[] = {1, 32, 128, 511, 512, 513, 1300};
    const int32_t frames =
        random_() % 2 ? sizes[random_() % 7] : 1 + static_cast<int32_t>(random_() % kMaxFrames);
    float* in[4] = {inputs_[0].data(), inputs_[1].data(), inputs_[2].data(), inputs_[3].data()};
    float* out[2] = {outputs_[0].data(), outputs_[1].data()};
    plugin.ProcessAudio(in, out, frames);
    for (int32_t n = 0; n < frames; ++n)
      nonFinite_ += !std::isfinite(outputs_[0][n]) + !std::isfinite(outputs_[1][n]);
  }

  long NonFiniteSamples() const { return nonFinite_; }
  long MissingTails() const { return missingTails_; }

 private:
  static constexpr int32_t kMaxFrames = 1400;

  void ChangeSomething(Halcyra& plugin) {
    switch (random_() % 8) {
      case 0:
        plugin.SetHostBypass(random_() % 4 == 0);
        break;
      case 1: {
        Halcyra::HostBlockInfo info;
        info.sidechainPresent = random_() % 2;
        info.mainSilenceMask = random_() % 4;
        info.tempoValid = info.positionValid = info.playing = true;
        info.tempo = 60.0 + random_() % 120;
        info.songPosition = random_() % 64;
        plugin.SetHostBlockInfo(info);
        break;
      }
      default: {
        // A host or editor edit: the value lands in the record, as on the audio thread of the VST3
        // build, and the host asks for the tail, which some hosts do on that thread: never 0, as the
        // filters alone ring for seconds.
        const int32_t index = static_cast<int32_t>(random_() % kParamCount);
        if (index == kParamBypass) break;
        plugin.GetParam(index)->SetNormalized(std::uniform_real_distribution<double>(0.0, 1.0)(random_));
        missingTails_ += plugin.TailSamples() == 0;
        break;
      }
    }
  }

  std::mt19937 random_;
  std::vector<float> inputs_[4];
  std::vector<float> outputs_[2];
  long nonFinite_ = 0;
  long missingTails_ = 0;
};

TEST(HalcyraBlockAllocation, ThousandsOfChangingBlocksAllocateNothing) {
  auto plugin = CreatePluginInstance({});
  ASSERT_NE(plugin, nullptr);
  for (double rate : {44100.0, 192000.0}) {
    SCOPED_TRACE(rate);
    plugin->SetSampleRate(rate);
    plugin->SetActive(true);
    BlockRoad road(static_cast<uint32_t>(rate));
    long allocations = 0;
    {
      AllocationCounter counter;
      for (int block = 0; block < 1500; ++block) road.Run(*plugin);
      allocations = counter.Count();
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(road.NonFiniteSamples(), 0);
    EXPECT_EQ(road.MissingTails(), 0);
  }
}

}  // namespace
}  // namespace halcyra
