#include "vst3/vst3_processor_base.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <cstring>

namespace plugfw {

using namespace Steinberg::Vst;

SpeakerArrangement SpeakerArrangementForChannelCount(int32_t channels) {
  switch (channels) {
    case 1:
      return 0x80000;
    case 2:
      return 0x3;
    case 3:
      return 0x7;
    case 4:
      return 0xF00000;
    case 5:
      return 0x37;
    case 6:
      return 0x3F;
    case 7:
      return 0xF7;
    case 8:
      return 0x63F;
    case 9:
      return 0x7C000F00000;
    case 10:
      return 0x300063F;
    case 16:
      return 0x3FFC000F00000;
    default:
      return 0;
  }
}

int32_t SpeakerCount(SpeakerArrangement arrangement) {
  return static_cast<int32_t>(std::bitset<64>(arrangement).count());
}

bool HasChannelBuffers(const AudioBusBuffers& bus, int32_t sampleSize) {
  const auto allPresent = [&](auto* const* channels) {
    if (!channels) return false;
    for (int32_t c = 0; c < bus.numChannels; ++c)
      if (!channels[c]) return false;
    return true;
  };
  if (sampleSize == kSample32) return allPresent(bus.channelBuffers32);
  if (sampleSize == kSample64) return allPresent(bus.channelBuffers64);
  return false;
}

bool LastFinitePoint(IParamValueQueue* queue, int32_t& sampleOffset, ParamValue& value) {
  if (!queue || queue->getPointCount() < 1) return false;
  Steinberg::int32 offset = 0;
  if (queue->getPoint(queue->getPointCount() - 1, offset, value) != Steinberg::kResultTrue) return false;
  sampleOffset = offset;
  return std::isfinite(value);
}

IVST3ProcessorBase::IVST3ProcessorBase(const PluginConfig& config, IApiBase& plugin)
    : IProcessor(config), plugin_(plugin) {
  SetChannelsConnected(IODirection::kInput, 0, ChannelCount(IODirection::kInput), true);
  SetChannelsConnected(IODirection::kOutput, 0, ChannelCount(IODirection::kOutput), true);
  for (int32_t i = 0; i < IOConfigCount(); ++i) {
    const IOConfig& layout = *GetIOConfig(i);
    if (layout.inputs.Count() > 0) {
      mainInputChannels_ = std::max(mainInputChannels_, layout.inputs.Get(0)->channels);
    }
  }
  CreateLatencyDelay();
  SetBlockSize(kInitialBlockFrames);
}

void IVST3ProcessorBase::UpdateTimeInfo(const ProcessData& data) {
  if (data.processContext) processContext_ = *data.processContext;
  TransportInfo& transport = Transport();
  const ProcessContext& context = processContext_;
  const bool musicValid = (context.state & ProcessContext::kProjectTimeMusicValid) != 0;
  transport.samplePosition =
      musicValid ? static_cast<double>(context.projectTimeSamples) : TransportInfo::kUnknown;
  transport.quarterNotePosition = context.projectTimeMusic;
  transport.tempo = context.tempo;
  transport.lastBarStart = context.barPositionMusic;
  transport.cycleStart = context.cycleStartMusic;
  transport.cycleEnd = context.cycleEndMusic;
  transport.timeSignatureNumerator = context.timeSigNumerator;
  transport.timeSignatureDenominator = context.timeSigDenominator;
  transport.transportRunning = (context.state & ProcessContext::kPlaying) != 0;
  transport.loopEnabled = (context.state & ProcessContext::kCycleActive) != 0;
  SetRenderingOffline(data.processMode == kOffline);
}

}  // namespace plugfw
