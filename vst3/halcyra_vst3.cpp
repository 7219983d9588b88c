// The plug-in's VST3 entries (HalcyraVst3Wrapper): strict checking of the host's processing data,
// the host's parameter changes and bypass, transport and bus bookkeeping, output silence flags,
// and the 1048-byte component state (the 1044-byte plug-in state and the host bypass).

#include <algorithm>
#include <cmath>
#include <cstring>

#include "effect/halcyra.h"
#include "effect/state_chunk.h"

namespace halcyra {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr int32 kMaxInputBuses = 2;
constexpr int32 kMaxChannelsPerBus = 2;
constexpr uint64 kBothChannelsSilent = 3;
constexpr int32_t kBypassWordOffset = kStateChunkBytes;

bool BusIsUsable(const AudioBusBuffers& bus, int32 frames, int32 sampleSize) {
  if (bus.numChannels < 0 || bus.numChannels > kMaxChannelsPerBus) return false;
  return frames <= 0 || bus.numChannels == 0 || plugfw::HasChannelBuffers(bus, sampleSize);
}

template <typename Sample>
uint64 SilentChannels(Sample* const* channels, int32 count, int32 frames) {
  uint64 flags = 0;
  for (int32 c = 0; c < count && c < 64; ++c) {
    const Sample* samples = channels[c];
    bool silent = samples != nullptr;
    for (int32 i = 0; silent && i < frames; ++i) silent = samples[i] == 0;  // NaN is not silence
    if (silent) flags |= uint64{1} << c;
  }
  return flags;
}

// The transport part of what the host tells about the block.
void CaptureTransport(const ProcessContext* context, Halcyra::HostBlockInfo& info) {
  info.tempoValid = false;
  info.positionValid = false;
  info.playing = false;
  info.tempo = plugfw::TransportInfo::kDefaultTempo;
  info.songPosition = 0.0;
  if (context) {
    info.tempoValid =
        (context->state & ProcessContext::kTempoValid) && std::isfinite(context->tempo) && context->tempo > 0;
    info.positionValid =
        (context->state & ProcessContext::kProjectTimeMusicValid) && std::isfinite(context->projectTimeMusic);
    info.tempo = info.tempoValid ? context->tempo : plugfw::TransportInfo::kDefaultTempo;
    info.songPosition = info.positionValid ? context->projectTimeMusic : 0.0;
    info.playing = (context->state & ProcessContext::kPlaying) != 0;
  }
}

// The bus part of what the host tells about the block.
void CaptureBuses(const ProcessData& data, AudioBus* main, AudioBus* sidechain,
                  Halcyra::HostBlockInfo& info) {
  const bool mainActive = data.numInputs > 0 && main && main->isActive();
  info.mainInputChannels = mainActive ? data.inputs[0].numChannels : 0;
  info.mainSilenceMask = data.numInputs > 0 ? data.inputs[0].silenceFlags : kBothChannelsSilent;
  info.sidechainPresent =
      data.numInputs > 1 && sidechain && sidechain->isActive() && data.inputs[1].numChannels > 0;
  info.sidechainSilenceMask = data.numInputs > 1 ? data.inputs[1].silenceFlags : kBothChannelsSilent;
}

void SetOutputSilenceFlags(ProcessData& data) {
  for (int32 b = 0; b < data.numOutputs; ++b) {
    AudioBusBuffers& bus = data.outputs[b];
    bus.silenceFlags = 0;
    if (data.numSamples <= 0 || bus.numChannels <= 0) continue;
    bus.silenceFlags = data.symbolicSampleSize == kSample64
                           ? SilentChannels(bus.channelBuffers64, bus.numChannels, data.numSamples)
                           : SilentChannels(bus.channelBuffers32, bus.numChannels, data.numSamples);
  }
}

}  // namespace

Halcyra& HalcyraVst3Wrapper::Plugin() { return static_cast<Halcyra&>(*this); }

const Halcyra& HalcyraVst3Wrapper::Plugin() const { return static_cast<const Halcyra&>(*this); }

bool HalcyraVst3Wrapper::IsHostBypassed() const { return Plugin().HostBypass(); }

bool HalcyraVst3Wrapper::ValidateProcessData(const ProcessData& data) const {
  const ProcessLimits setup = Limits();
  if (data.numSamples < 0 || data.numSamples > setup.maxSamplesPerBlock) return false;
  if (data.numInputs < 0 || data.numInputs > kMaxInputBuses) return false;
  if (data.numOutputs != 0 && data.numOutputs != 1) return false;
  if ((data.numInputs > 0 && !data.inputs) || (data.numOutputs > 0 && !data.outputs)) return false;
  if (data.symbolicSampleSize != setup.symbolicSampleSize) return false;
  for (int32 b = 0; b < data.numInputs; ++b)
    if (!BusIsUsable(data.inputs[b], data.numSamples, data.symbolicSampleSize)) return false;
  for (int32 b = 0; b < data.numOutputs; ++b)
    if (!BusIsUsable(data.outputs[b], data.numSamples, data.symbolicSampleSize)) return false;
  return true;
}

void HalcyraVst3Wrapper::ApplyHostParameterChanges(IParameterChanges* changes) {
  if (!changes || changes->getParameterCount() < 1) return;
  for (int32 q = 0; q < changes->getParameterCount(); ++q) {
    IParamValueQueue* queue = changes->getParameterData(q);
    int32_t offset = 0;
    ParamValue value = 0;
    if (!plugfw::LastFinitePoint(queue, offset, value)) continue;
    const ParamID id = queue->getParameterId();
    if (id == plugfw::kBypassParamId) {
      Plugin().SetHostBypass(value > 0.5);
    } else if (id < static_cast<ParamID>(kParamCount)) {
      GetParam(static_cast<int32_t>(id))->SetNormalized(std::clamp(value, 0.0, 1.0));
    }
  }
}

tresult PLUGIN_API HalcyraVst3Wrapper::process(ProcessData& data) {
  // Before initialize (or after terminate) there are no buses to read the block with.
  if (!IsHostInitialized()) {
    SilenceOutputsWithinSetUp(data);
    return kResultFalse;
  }
  if (!ValidateProcessData(data)) {
    SilenceOutputsWithinSetUp(data);
    return kInvalidArgument;
  }
  const ActiveBlock active(*this);
  Halcyra::HostBlockInfo block;
  CaptureTransport(data.processContext, block);
  UpdateTimeInfo(data);
  ApplyHostParameterChanges(data.inputParameterChanges);
  if (data.numSamples == 0) return kResultOk;
  if (!active.Entered()) {
    // Only an active component makes sound, and an inactive one touches nothing set-up replaces.
    SilenceOutputsWithinSetUp(data);
    return kResultOk;
  }
  CaptureBuses(data, AudioBusAt(kInput, 0), AudioBusAt(kInput, 1), block);
  Plugin().SetHostBlockInfo(block);

  AudioBusBuffers inputs[kMaxInputBuses] = {};
  for (int32 b = 0; b < data.numInputs; ++b) inputs[b] = data.inputs[b];
  ProcessData blockData = data;
  blockData.inputs = inputs;
  blockData.numInputs = kMaxInputBuses;
  ProcessBuses(blockData);
  SetOutputSilenceFlags(data);
  return kResultOk;
}

tresult PLUGIN_API HalcyraVst3Wrapper::getState(IBStream* state) {
  if (!state) return kResultFalse;
  plugfw::HeapBuffer chunk(plugfw::HeapBuffer::kBlockGranularity);
  if (!WriteState(chunk) || chunk.Size() != kStateChunkBytes) return kResultFalse;
  if (!chunk.Resize(kVst3StateBytes)) return kResultFalse;
  PutStateInt32(chunk.Data() + kBypassWordOffset, Plugin().HostBypass() ? 1 : 0);
  int32_t written = 0;
  while (written < kVst3StateBytes) {
    int32 count = 0;
    const int32 left = kVst3StateBytes - written;
    if (state->write(chunk.Data() + written, left, &count) != kResultOk || count < 1 || count > left) {
      return kResultFalse;
    }
    written += count;
  }
  return kResultOk;
}

tresult PLUGIN_API HalcyraVst3Wrapper::setState(IBStream* state) {
  if (!state) return kResultFalse;
  uint8_t bytes[kVst3StateBytes] = {};
  int32_t read = 0;
  while (read < kVst3StateBytes) {
    int32 count = 0;
    const int32 left = kVst3StateBytes - read;
    if (state->read(bytes + read, left, &count) != kResultOk || count < 1 || count > left)
      return kResultFalse;
    read += count;
  }
  uint8_t extra = 0;
  int32 extraCount = -1;
  const tresult extraResult = state->read(&extra, 1, &extraCount);
  if (extraCount != 0 || (extraResult != kResultOk && extraResult != kResultFalse)) return kResultFalse;
  const int32_t bypassWord = GetStateInt32(bytes + kBypassWordOffset);
  if (bypassWord != 0 && bypassWord != 1) return kResultFalse;
  plugfw::HeapBuffer chunk(plugfw::HeapBuffer::kBlockGranularity);
  if (chunk.Append(bytes, kStateChunkBytes) != kStateChunkBytes) return kResultFalse;
  if (ReadState(chunk, 0) != kStateChunkBytes) return kResultFalse;
  Plugin().SetHostBypass(bypassWord == 1);
  SyncParameterObjects();
  if (plugfw::IVST3BypassParameter* bypass = BypassParameter())
    bypass->setNormalized(bypassWord == 1 ? 1.0 : 0.0);
  SendAllParamValuesToUI();
  return kResultOk;
}

uint32 PLUGIN_API HalcyraVst3Wrapper::getTailSamples() { return static_cast<uint32>(Plugin().TailSamples()); }

}  // namespace halcyra
