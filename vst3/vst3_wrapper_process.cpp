// The wrapper's default processing road and what every road shares: the stage a block finds the
// component in, the checks of the host's processing data, and silence within what the set-up allows.

#include <algorithm>
#include <cstring>
#include <thread>

#include "vst3/vst3_wrapper.h"

namespace plugfw {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

// Channel counts within what the layouts give the direction, and every buffer a block reads or
// writes present.
bool BusesUsable(const AudioBusBuffers* buses, int32 count, int32_t channels, int32 frames,
                 int32 sampleSize) {
  int64_t total = 0;
  for (int32 b = 0; b < count; ++b) {
    const AudioBusBuffers& bus = buses[b];
    if (bus.numChannels < 0) return false;
    total += bus.numChannels;
    if (total > channels) return false;
    if (frames > 0 && bus.numChannels > 0 && !HasChannelBuffers(bus, sampleSize)) return false;
  }
  return true;
}

}  // namespace

IVST3Wrapper::ActiveBlock::ActiveBlock(IVST3Wrapper& wrapper) : blocks_(wrapper.activeBlocks_) {
  // Counted before the stage is read, and setActive(false) reads the count after it wrote the
  // stage: one of the two sees the other.
  blocks_.fetch_add(1);
  entered_ = wrapper.stage_.load() == HostStage::kActive;
  if (!entered_) blocks_.fetch_sub(1);
}

IVST3Wrapper::ActiveBlock::~ActiveBlock() {
  if (entered_) blocks_.fetch_sub(1);
}

// Only a host that deactivates while it processes ever waits here, for one block at most.
void IVST3Wrapper::WaitForActiveBlocks() const {
  while (activeBlocks_.load() != 0) std::this_thread::yield();
}

IVST3Wrapper::ProcessLimits IVST3Wrapper::Limits() const {
  return ProcessLimits{maxSamplesPerBlock_.load(std::memory_order_acquire),
                       symbolicSampleSize_.load(std::memory_order_acquire)};
}

bool IVST3Wrapper::IsUsableProcessData(const ProcessData& data) const {
  const ProcessLimits limits = Limits();
  if (data.numSamples < 0 || data.numSamples > limits.maxSamplesPerBlock) return false;
  if (data.symbolicSampleSize != limits.symbolicSampleSize) return false;
  if (data.numInputs < 0 || data.numInputs > MaxBusCount(IODirection::kInput)) return false;
  if (data.numOutputs < 0 || data.numOutputs > MaxBusCount(IODirection::kOutput)) return false;
  if ((data.numInputs > 0 && !data.inputs) || (data.numOutputs > 0 && !data.outputs)) return false;
  return BusesUsable(data.inputs, data.numInputs, ChannelCount(IODirection::kInput), data.numSamples,
                     data.symbolicSampleSize) &&
         BusesUsable(data.outputs, data.numOutputs, ChannelCount(IODirection::kOutput), data.numSamples,
                     data.symbolicSampleSize);
}

void IVST3Wrapper::SilenceOutputsWithinSetUp(ProcessData& data) const {
  const ProcessLimits limits = Limits();
  if (data.numOutputs <= 0 || !data.outputs || data.numSamples <= 0) return;
  // Samples of another size than set up could run past the ends of the host's buffers.
  if (data.symbolicSampleSize != limits.symbolicSampleSize) return;
  const auto frames = static_cast<size_t>(std::min(data.numSamples, limits.maxSamplesPerBlock));
  const int32 buses = std::min(data.numOutputs, MaxBusCount(IODirection::kOutput));
  int32 channelsLeft = ChannelCount(IODirection::kOutput);
  for (int32 b = 0; b < buses; ++b) {
    AudioBusBuffers& bus = data.outputs[b];
    const int32 channels = std::clamp(bus.numChannels, 0, channelsLeft);
    channelsLeft -= channels;
    uint64 silenced = 0;
    for (int32 c = 0; c < channels; ++c) {
      if (limits.symbolicSampleSize == kSample32 && bus.channelBuffers32 && bus.channelBuffers32[c]) {
        std::memset(bus.channelBuffers32[c], 0, sizeof(Sample32) * frames);
        silenced |= uint64{1} << c;
      } else if (limits.symbolicSampleSize == kSample64 && bus.channelBuffers64 && bus.channelBuffers64[c]) {
        std::memset(bus.channelBuffers64[c], 0, sizeof(Sample64) * frames);
        silenced |= uint64{1} << c;
      }
    }
    bus.silenceFlags = silenced;
  }
}

tresult PLUGIN_API IVST3Wrapper::process(ProcessData& data) {
  if (!IsHostInitialized()) {
    SilenceOutputsWithinSetUp(data);
    return kResultFalse;
  }
  if (!IsUsableProcessData(data)) {
    SilenceOutputsWithinSetUp(data);
    return kInvalidArgument;
  }
  const ActiveBlock block(*this);
  UpdateTimeInfo(data);
  ProcessParameterChanges(data);
  if (!block.Entered()) {
    SilenceOutputsWithinSetUp(data);
    return kResultOk;
  }
  if (TakesMidiInput()) ProcessMidiInput(data);
  if (data.numSamples > 0) ProcessBuses(data);
  if (SendsMidiOutput()) ProcessMidiOutput(data);
  return kResultOk;
}

}  // namespace plugfw
