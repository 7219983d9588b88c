#include "core/processor.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace plugfw {
namespace {

constexpr int32_t kFloatBytes = static_cast<int32_t>(sizeof(float));
constexpr int32_t kPointerBytes = static_cast<int32_t>(sizeof(float*));
constexpr int32_t kMaxScratchFrames = INT32_MAX / kFloatBytes;

}  // namespace

IProcessor::IProcessor(const PluginConfig& config)
    : processorKind_(config.processorKind),
      takesMidiInput_(config.takesMidiInput != 0),
      sendsMidiOutput_(config.sendsMidiOutput != 0),
      thirdMidiFlag_(config.thirdMidiFlag != 0),
      latency_(std::max(0, config.latency)) {
  (void)thirdMidiFlag_;  // carried for the configuration's sake; nothing consults it
  ParseChannelIoConfig(config.channelIOStr, ioCounts_);
  CreateChannels(IODirection::kInput, ioCounts_.maxInputChannels);
  CreateChannels(IODirection::kOutput, ioCounts_.maxOutputChannels);
}

IProcessor::~IProcessor() {
  outputChannels_.DeleteAll();
  inputChannels_.DeleteAll();
  ioConfigs_.DeleteAll();
  latencyDelay_.reset();
}

// A record whose storage cannot be had is simply not created: the arrays always match the records.
bool IProcessor::CreateChannels(IODirection direction, int32_t count) {
  PointerList<ProcessorChannel>& channels = Channels(direction);
  HeapBuffer& pointers = direction == IODirection::kInput ? inputPointers_ : outputPointers_;
  if (pointers.Resize(count * kPointerBytes) == nullptr && count > 0) return false;
  for (int32_t i = 0; i < count; ++i) {
    auto* channel = new (std::nothrow) ProcessorChannel;
    if (channel == nullptr || channels.Add(channel) == nullptr) {
      delete channel;
      pointers.Resize(channels.Count() * kPointerBytes);
      return false;
    }
    channel->slot = i;
    PointSlotAtScratch(direction, *channel);
  }
  return true;
}

bool IProcessor::ChannelsComplete() const {
  const auto complete = [](const PointerList<ProcessorChannel>& channels, const HeapBuffer& pointers,
                           int32_t wanted) {
    return channels.Count() == wanted && pointers.Size() == wanted * kPointerBytes;
  };
  return IOConfigCount() > 0 && complete(inputChannels_, inputPointers_, ioCounts_.maxInputChannels) &&
         complete(outputChannels_, outputPointers_, ioCounts_.maxOutputChannels);
}

float** IProcessor::ChannelPointers(IODirection direction) {
  HeapBuffer& pointers = direction == IODirection::kInput ? inputPointers_ : outputPointers_;
  return reinterpret_cast<float**>(pointers.Data());
}

void IProcessor::PointSlotAtScratch(IODirection direction, ProcessorChannel& channel) {
  ChannelPointers(direction)[channel.slot] = channel.Scratch();
}

void IProcessor::ProcessAudio(float** inputs, float** outputs, int32_t frames) {
  if (frames <= 0) return;
  const int32_t inputCount = ChannelCount(IODirection::kInput);
  const size_t bytes = static_cast<size_t>(frames) * sizeof(float);
  for (int32_t i = 0; i < ChannelCount(IODirection::kOutput); ++i) {
    if (outputs[i] == nullptr) continue;
    if (i < inputCount && inputs[i] != nullptr) {
      std::memmove(outputs[i], inputs[i], bytes);
    } else {
      std::memset(outputs[i], 0, bytes);
    }
  }
}

bool IProcessor::SendMidiMessages(const MidiMessage* messages, int32_t count) {
  bool allSent = true;
  for (int32_t i = 0; i < count; ++i) allSent = SendMidiMessage(messages[i]) && allSent;
  return allSent;
}

void IProcessor::ChannelBusName(IODirection direction, int32_t busIndex, int32_t busCount,
                                HeapString& name) const {
  constexpr int32_t kMaxNameLength = 128;
  if (direction == IODirection::kOutput) {
    if (busCount == 1) {
      name.Set("Output");
    } else {
      name.SetFormatted(kMaxNameLength, "Output %i", busIndex);
    }
    return;
  }
  if (busCount == 1) {
    name.Set("Input");
  } else if (busCount == 2) {
    name.Set(busIndex == 0 ? "Main" : "Aux");
  } else {
    name.SetFormatted(kMaxNameLength, "Input %i", busIndex);
  }
}

bool IProcessor::SetLatencySamples(int32_t samples) {
  if (samples < 0) return false;
  if (LatencyDelay* delay = latencyDelay_.get()) {
    const int64_t bytes = int64_t{samples} * delay->inputChannels * kFloatBytes;
    if (bytes > INT32_MAX) return false;
    const int32_t size = static_cast<int32_t>(bytes);
    delay->buffer.Resize(size, true);
    if (delay->buffer.Size() != size) return false;
    delay->length = samples;
    delay->position = 0;
    if (size > 0) std::memset(delay->buffer.Data(), 0, static_cast<size_t>(size));
  }
  latency_.store(samples, std::memory_order_release);
  return true;
}

bool IProcessor::CreateLatencyDelay() {
  const int32_t inputs = ChannelCount(IODirection::kInput);
  if (inputs == 0) return false;
  auto delay = std::unique_ptr<LatencyDelay>(new (std::nothrow) LatencyDelay);
  if (!delay) return false;
  delay->inputChannels = inputs;
  delay->outputChannels = ChannelCount(IODirection::kOutput);
  std::swap(delay, latencyDelay_);
  if (SetLatencySamples(LatencySamples())) return true;
  std::swap(delay, latencyDelay_);  // keep what there was
  return false;
}

bool IProcessor::ParseChannelIoConfig(const char* text, ChannelIoCounts& counts) {
  if (!ParseChannelIo(text, ioConfigs_, counts)) return false;
  ioCounts_ = counts;
  return true;
}

int32_t IProcessor::MaxBusCount(IODirection direction) const {
  return direction == IODirection::kInput ? ioCounts_.maxInputBuses : ioCounts_.maxOutputBuses;
}

namespace {

bool BusesMatch(const PointerList<IOBus>& buses, const int32_t* channels, int32_t count) {
  if (buses.Count() != count) return false;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t wanted = buses.Get(i)->channels;
    const bool matches = wanted == kAnyChannelCount ? channels[i] > 0 : channels[i] == wanted;
    if (!matches) return false;
  }
  return true;
}

}  // namespace

int32_t IProcessor::MatchIOConfig(const int32_t* inputBusChannels, int32_t inputBusCount,
                                  const int32_t* outputBusChannels, int32_t outputBusCount) const {
  if ((inputBusCount > 0 && inputBusChannels == nullptr) ||
      (outputBusCount > 0 && outputBusChannels == nullptr))
    return -1;
  for (int32_t i = 0; i < ioConfigs_.Count(); ++i) {
    const IOConfig* config = ioConfigs_.Get(i);
    if (BusesMatch(config->inputs, inputBusChannels, inputBusCount) &&
        BusesMatch(config->outputs, outputBusChannels, outputBusCount))
      return i;
  }
  return -1;
}

int32_t IProcessor::ConnectedChannelCount(IODirection direction) const {
  const PointerList<ProcessorChannel>& channels = Channels(direction);
  int32_t connected = 0;
  for (int32_t i = 0; i < channels.Count(); ++i) {
    if (channels.Get(i)->connected.load(std::memory_order_acquire)) ++connected;
  }
  return connected;
}

void IProcessor::SetChannelsConnected(IODirection direction, int32_t first, int32_t count, bool connected) {
  PointerList<ProcessorChannel>& channels = Channels(direction);
  const int32_t begin = std::max(0, first);
  const int32_t end = static_cast<int32_t>(std::min<int64_t>(int64_t{first} + count, channels.Count()));
  for (int32_t i = begin; i < end; ++i) {
    ProcessorChannel& channel = *channels.Get(i);
    channel.connected.store(connected, std::memory_order_release);
    if (!connected) {
      channel.hostBuffer = nullptr;
      PointSlotAtScratch(direction, channel);
    }
  }
}

template <typename Visit>
void IProcessor::ForEachConnectedChannel(IODirection direction, int32_t first, int32_t count, Visit visit) {
  PointerList<ProcessorChannel>& channels = Channels(direction);
  const int32_t begin = std::max(0, first);
  const int32_t end = static_cast<int32_t>(std::min<int64_t>(int64_t{first} + count, channels.Count()));
  int32_t next = 0;
  for (int32_t i = begin; i < end; ++i) {
    ProcessorChannel& channel = *channels.Get(i);
    if (channel.connected.load(std::memory_order_acquire)) visit(channel, next++);
  }
}

bool IProcessor::AttachHostBuffers(IODirection direction, int32_t first, int32_t count,
                                   double* const* hostBuffers, int32_t frames) {
  if (frames < 0 || hostBuffers == nullptr) return false;
  const bool fits = frames <= BlockSize();
  ForEachConnectedChannel(direction, first, count, [&](ProcessorChannel& channel, int32_t n) {
    double* host = hostBuffers[n];
    PointSlotAtScratch(direction, channel);
    if (direction == IODirection::kOutput) {
      channel.hostBuffer = host;
      return;
    }
    if (!fits) return;
    float* scratch = channel.Scratch();
    if (host == nullptr) {
      if (frames > 0) std::memset(scratch, 0, static_cast<size_t>(frames) * sizeof(float));
      return;
    }
    for (int32_t s = 0; s < frames; ++s) scratch[s] = static_cast<float>(host[s]);
  });
  return fits;
}

bool IProcessor::AttachHostFloatBuffers(IODirection direction, int32_t first, int32_t count,
                                        float* const* hostBuffers, int32_t frames) {
  if (frames < 0 || frames > BlockSize() || hostBuffers == nullptr) return false;
  ForEachConnectedChannel(direction, first, count, [&](ProcessorChannel& channel, int32_t n) {
    float* host = hostBuffers[n];
    channel.hostBuffer = nullptr;
    if (host != nullptr) {
      ChannelPointers(direction)[channel.slot] = host;
      return;
    }
    PointSlotAtScratch(direction, channel);
    if (frames > 0) std::memset(channel.Scratch(), 0, static_cast<size_t>(frames) * sizeof(float));
  });
  return true;
}

bool IProcessor::ProcessHostFloatBuffers(int32_t frames) {
  if (frames < 0 || frames > BlockSize()) return false;
  ProcessAudio(ChannelPointers(IODirection::kInput), ChannelPointers(IODirection::kOutput), frames);
  return true;
}

void IProcessor::WriteOutputsAsDouble(int32_t frames) {
  for (int32_t i = 0; i < outputChannels_.Count(); ++i) {
    ProcessorChannel& channel = *outputChannels_.Get(i);
    double* host = channel.hostBuffer;
    channel.hostBuffer = nullptr;
    if (host == nullptr || !channel.connected.load(std::memory_order_acquire)) continue;
    const float* scratch = channel.Scratch();
    for (int32_t s = 0; s < frames; ++s) host[s] = static_cast<double>(scratch[s]);
  }
}

void IProcessor::SilenceRememberedOutputs(int32_t frames) {
  for (int32_t i = 0; i < outputChannels_.Count(); ++i) {
    ProcessorChannel& channel = *outputChannels_.Get(i);
    double* host = channel.hostBuffer;
    channel.hostBuffer = nullptr;
    if (host == nullptr || !channel.connected.load(std::memory_order_acquire)) continue;
    std::fill(host, host + frames, 0.0);
  }
}

bool IProcessor::ProcessHostBuffers(int32_t frames) {
  if (frames < 0) return false;
  if (frames > BlockSize()) {
    SilenceRememberedOutputs(frames);
    return false;
  }
  ProcessAudio(ChannelPointers(IODirection::kInput), ChannelPointers(IODirection::kOutput), frames);
  WriteOutputsAsDouble(frames);
  return true;
}

void IProcessor::PassThroughDelayed(LatencyDelay& delay, int32_t frames) {
  float** inputs = ChannelPointers(IODirection::kInput);
  float** outputs = ChannelPointers(IODirection::kOutput);
  const int32_t outputCount = ChannelCount(IODirection::kOutput);
  const int32_t both = std::min({ChannelCount(IODirection::kInput), outputCount, delay.inputChannels});
  float* line = delay.Samples();
  for (int32_t s = 0; s < frames; ++s) {
    float* slots = line + static_cast<ptrdiff_t>(delay.position) * delay.inputChannels;
    for (int32_t c = 0; c < both; ++c) {
      const float input = inputs[c][s];  // read first: the host may process in place
      outputs[c][s] = slots[c];
      slots[c] = input;
    }
    delay.position = (delay.position + 1) % delay.length;
  }
  for (int32_t c = both; c < outputCount; ++c) std::fill(outputs[c], outputs[c] + frames, 0.0f);
}

bool IProcessor::PassThroughBuffers(int32_t frames) {
  if (frames < 0 || frames > BlockSize()) return false;
  LatencyDelay* delay = latencyDelay_.get();
  if (delay != nullptr && delay->length > 0) {
    PassThroughDelayed(*delay, frames);
  } else {
    // The base's copy, not the plug-in's block entry.
    IProcessor::ProcessAudio(ChannelPointers(IODirection::kInput), ChannelPointers(IODirection::kOutput),
                             frames);
  }
  return true;
}

bool IProcessor::PassThroughBuffersDouble(int32_t frames) {
  if (frames < 0) return false;
  if (frames > BlockSize()) {
    SilenceRememberedOutputs(frames);
    return false;
  }
  PassThroughBuffers(frames);
  WriteOutputsAsDouble(frames);
  return true;
}

void IProcessor::ZeroScratchBuffers() {
  for (PointerList<ProcessorChannel>* channels : {&inputChannels_, &outputChannels_}) {
    for (int32_t i = 0; i < channels->Count(); ++i) {
      HeapBuffer& scratch = channels->Get(i)->scratch;
      if (scratch.Size() > 0) std::memset(scratch.Data(), 0, static_cast<size_t>(scratch.Size()));
    }
  }
}

// All or nothing: a buffer that cannot grow sends every other one back to the old size. Shrinking
// never fails (a buffer that cannot get a smaller block keeps its own), so only growth can.
bool IProcessor::ResizeAllScratch(int32_t frames) {
  const int32_t oldBytes = BlockSize() * kFloatBytes;
  const int32_t newBytes = frames * kFloatBytes;
  bool grown = true;
  for (PointerList<ProcessorChannel>* channels : {&inputChannels_, &outputChannels_}) {
    for (int32_t i = 0; i < channels->Count() && grown; ++i) {
      HeapBuffer& scratch = channels->Get(i)->scratch;
      scratch.Resize(newBytes, true);
      grown = scratch.Size() == newBytes;
    }
  }
  if (grown) return true;
  for (PointerList<ProcessorChannel>* channels : {&inputChannels_, &outputChannels_}) {
    for (int32_t i = 0; i < channels->Count(); ++i) channels->Get(i)->scratch.Resize(oldBytes, true);
  }
  return false;
}

bool IProcessor::SetBlockSize(int32_t frames) {
  if (frames <= 0 || frames > kMaxScratchFrames) return false;
  if (frames == BlockSize()) return true;
  const bool resized = ResizeAllScratch(frames);
  // Storage may have moved, and host pointers from the last block are stale either way.
  for (int32_t i = 0; i < inputChannels_.Count(); ++i)
    PointSlotAtScratch(IODirection::kInput, *inputChannels_.Get(i));
  for (int32_t i = 0; i < outputChannels_.Count(); ++i)
    PointSlotAtScratch(IODirection::kOutput, *outputChannels_.Get(i));
  if (!resized) return false;
  ZeroScratchBuffers();
  blockSize_.store(frames, std::memory_order_release);
  return true;
}

}  // namespace plugfw
