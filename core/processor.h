#pragma once
// IProcessor: the audio side of the plug-in object, the second base beside the IApiBase chain. It
// owns the accepted bus layouts, one channel record per channel, the 32-bit scratch buffers and the
// host transport. Set-up calls (construction, SetBlockSize, SetLatencySamples, CreateLatencyDelay)
// run while audio is stopped; the per-block calls run on the audio thread and never allocate or
// lock. Scalars that other threads read (sample rate, block size, latency, tail, flags) are atomic.

#include <atomic>
#include <cstdint>
#include <memory>

#include "core/channel_io.h"
#include "core/heap_buffer.h"
#include "core/heap_string.h"
#include "core/plugin_config.h"
#include "core/pointer_list.h"
#include "core/queue_messages.h"

namespace plugfw {

// The host's transport, refreshed per block by the VST3 wrapper. Audio thread only.
struct TransportInfo {
  static constexpr double kUnknown = -1.0;
  // Beats per minute until a host tells otherwise, and whenever its tempo is unusable.
  static constexpr double kDefaultTempo = 120.0;

  double tempo = kDefaultTempo;
  double samplePosition = kUnknown;  // in samples; the others are in quarter notes
  double quarterNotePosition = kUnknown;
  double lastBarStart = kUnknown;
  double cycleStart = kUnknown;
  double cycleEnd = kUnknown;
  int32_t timeSignatureNumerator = 4;
  int32_t timeSignatureDenominator = 4;
  bool transportRunning = false;
  bool loopEnabled = false;
};

// The delay line that keeps a bypassed plug-in's output aligned with its reported latency.
struct LatencyDelay {
  HeapBuffer buffer{HeapBuffer::kBlockGranularity};  // length x inputChannels floats
  int32_t inputChannels = 0;
  int32_t outputChannels = 0;
  int32_t position = 0;
  int32_t length = 0;

  float* Samples() { return reinterpret_cast<float*>(buffer.Data()); }
};

struct ProcessorChannel {
  std::atomic<bool> connected{false};
  int32_t slot = 0;              // index in the channel-pointer array handed to ProcessAudio
  double* hostBuffer = nullptr;  // an output's host buffer, remembered for the current block only
  HeapBuffer scratch{HeapBuffer::kBlockGranularity};  // one block of 32-bit floats

  float* Scratch() { return reinterpret_cast<float*>(scratch.Data()); }
  int32_t ScratchFrames() const { return scratch.Size() / static_cast<int32_t>(sizeof(float)); }
};

class IProcessor {
 public:
  static constexpr double kDefaultSampleRate = 48000.0;
  static constexpr int32_t kInfiniteTail = INT32_MAX;

  // Set-up.
  explicit IProcessor(const PluginConfig& config);
  virtual ~IProcessor();
  IProcessor(const IProcessor&) = delete;
  IProcessor& operator=(const IProcessor&) = delete;

  // Audio thread. inputs and outputs hold one pointer per channel record, valid for frames samples.
  // The default copies input i to output i where both exist and silences the other outputs.
  virtual void ProcessAudio(float** inputs, float** outputs, int32_t frames);
  // Audio thread. The default passes MIDI through.
  virtual void ProcessMidiMessage(const MidiMessage& message) { SendMidiMessage(message); }
  // Audio thread.
  virtual void ProcessSysEx(const SysExRef& /*message*/) {}
  // Set-up: prepare processing (the engine at the current sample rate), or start and stop it.
  virtual void ResetProcessing() {}
  virtual void SetActive(bool /*active*/) {}
  // Audio thread; supplied by the wrapper.
  virtual bool SendMidiMessage(const MidiMessage& message) = 0;
  // Audio thread. True only when every message was sent; all are tried.
  virtual bool SendMidiMessages(const MidiMessage* messages, int32_t count);
  // Audio thread, and the UI thread for the editor's SysEx in the standalone build.
  virtual bool SendSysEx(const SysExRef& /*message*/) { return false; }
  // Any thread: reads only what set-up fixed.
  virtual void ChannelBusName(IODirection direction, int32_t busIndex, int32_t busCount,
                              HeapString& name) const;
  // Set-up. Refuses a negative latency, or one the latency delay cannot grow to; both keep the old.
  virtual bool SetLatencySamples(int32_t samples);
  // Any thread: atomic.
  virtual void SetTailSize(int32_t samples) { tailSize_.store(samples, std::memory_order_release); }

  // Set-up. Replaces the accepted layouts; a refused string keeps the old ones (see ParseChannelIo).
  // Channel records are sized at construction only.
  bool ParseChannelIoConfig(const char* text, ChannelIoCounts& counts);
  // Any thread: read-only after set-up.
  const ChannelIoCounts& IoCounts() const { return ioCounts_; }
  int32_t IOConfigCount() const { return ioConfigs_.Count(); }
  const IOConfig* GetIOConfig(int32_t index) const { return ioConfigs_.Get(index); }
  int32_t MaxBusCount(IODirection direction) const;
  // The first layout whose buses have exactly these channel counts ("*" takes any positive
  // count), or -1.
  int32_t MatchIOConfig(const int32_t* inputBusChannels, int32_t inputBusCount,
                        const int32_t* outputBusChannels, int32_t outputBusCount) const;

  // Any thread: the records are fixed at construction, their connected flags atomic.
  int32_t ChannelCount(IODirection direction) const { return Channels(direction).Count(); }
  const ProcessorChannel* GetChannel(IODirection direction, int32_t index) const {
    return Channels(direction).Get(index);
  }
  int32_t ConnectedChannelCount(IODirection direction) const;
  // Audio thread.
  float** ChannelPointers(IODirection direction);
  // Audio thread, or set-up. A channel that becomes disconnected reads and writes its scratch
  // buffer and forgets its host buffer.
  void SetChannelsConnected(IODirection direction, int32_t first, int32_t count, bool connected);

  // Audio thread. Connected channels in first .. first + count - 1 each take the next of
  // hostBuffers (disconnected ones take none, so hostBuffers needs one entry per connected channel).
  // Inputs are converted into their scratch; a null host input reads as silence. Outputs are
  // remembered for ProcessHostBuffers. False, converting nothing, when frames is negative or above
  // the block size; outputs are still remembered so that the refused block can be silenced.
  bool AttachHostBuffers(IODirection direction, int32_t first, int32_t count, double* const* hostBuffers,
                         int32_t frames);
  // Audio thread. The 32-bit form: connected channels take the host's buffers directly (a null host
  // buffer falls back to the channel's zeroed scratch). False, attaching nothing, when frames is
  // negative or above the block size.
  bool AttachHostFloatBuffers(IODirection direction, int32_t first, int32_t count, float* const* hostBuffers,
                              int32_t frames);
  // Audio thread. ProcessAudio over the channel-pointer arrays attached by AttachHostFloatBuffers.
  bool ProcessHostFloatBuffers(int32_t frames);
  // Audio thread. ProcessAudio over the channel-pointer arrays, then every remembered output is
  // written back as 64-bit samples and forgotten. A block longer than the block size cannot fit the
  // scratch buffers: the remembered outputs get silence instead and the answer is false.
  bool ProcessHostBuffers(int32_t frames);
  // Audio thread: the bypassed block, over the channel-pointer arrays attached as for the two
  // above. With a latency every channel present on both sides comes out that much later, through
  // the latency delay, so a bypassed plug-in stays aligned with what it reports; without one input
  // i is copied to output i. Outputs without an input are silenced. False as the two above.
  bool PassThroughBuffers(int32_t frames);
  bool PassThroughBuffersDouble(int32_t frames);
  // Audio thread, or set-up.
  void ZeroScratchBuffers();

  // Set-up. Sizes every scratch buffer to frames floats, zeroed. Refuses frames <= 0, and keeps the
  // old size and contents when the buffers cannot grow. The same size again changes nothing.
  bool SetBlockSize(int32_t frames);
  // Set-up. A delay of the current latency over the input channels; false when there are no input
  // channels (none is made) or its buffer cannot be had.
  bool CreateLatencyDelay();
  LatencyDelay* GetLatencyDelay() { return latencyDelay_.get(); }
  const LatencyDelay* GetLatencyDelay() const { return latencyDelay_.get(); }
  // Set-up. True when construction got all it makes: the accepted layouts, and one channel record
  // with its pointer slot for every channel they need. Memory that could not be had leaves parts
  // out instead of throwing; a wrapper asks this before it lets the object be used.
  bool ChannelsComplete() const;

  // Any thread: atomic scalars, and the processor kind and MIDI flags fixed at construction.
  int32_t BlockSize() const { return blockSize_.load(std::memory_order_acquire); }
  double SampleRate() const { return sampleRate_.load(std::memory_order_acquire); }
  void SetSampleRate(double rate) { sampleRate_.store(rate, std::memory_order_release); }
  int32_t LatencySamples() const { return latency_.load(std::memory_order_acquire); }
  int32_t TailSize() const { return tailSize_.load(std::memory_order_acquire); }
  bool IsBypassed() const { return bypassed_.load(std::memory_order_acquire); }
  void SetBypassed(bool bypassed) { bypassed_.store(bypassed, std::memory_order_release); }
  bool IsRenderingOffline() const { return renderingOffline_.load(std::memory_order_acquire); }
  void SetRenderingOffline(bool offline) { renderingOffline_.store(offline, std::memory_order_release); }
  int32_t ProcessorKind() const { return processorKind_; }
  bool TakesMidiInput() const { return takesMidiInput_; }
  bool SendsMidiOutput() const { return sendsMidiOutput_; }
  // Audio thread.
  TransportInfo& Transport() { return transport_; }
  const TransportInfo& Transport() const { return transport_; }

 private:
  PointerList<ProcessorChannel>& Channels(IODirection direction) {
    return direction == IODirection::kInput ? inputChannels_ : outputChannels_;
  }
  const PointerList<ProcessorChannel>& Channels(IODirection direction) const {
    return direction == IODirection::kInput ? inputChannels_ : outputChannels_;
  }
  bool CreateChannels(IODirection direction, int32_t count);
  // Calls visit(channel, n) for each connected channel in first .. first + count - 1 (clamped to
  // the list), n counting the connected ones from 0: the host buffer each of them takes.
  template <typename Visit>
  void ForEachConnectedChannel(IODirection direction, int32_t first, int32_t count, Visit visit);
  void PointSlotAtScratch(IODirection direction, ProcessorChannel& channel);
  void WriteOutputsAsDouble(int32_t frames);
  void PassThroughDelayed(LatencyDelay& delay, int32_t frames);
  void SilenceRememberedOutputs(int32_t frames);
  bool ResizeAllScratch(int32_t frames);

  int32_t processorKind_;
  bool takesMidiInput_;
  bool sendsMidiOutput_;
  bool thirdMidiFlag_;
  std::atomic<int32_t> latency_;
  std::atomic<double> sampleRate_{kDefaultSampleRate};
  std::atomic<int32_t> blockSize_{0};
  std::atomic<int32_t> tailSize_{0};
  std::atomic<bool> bypassed_{false};
  std::atomic<bool> renderingOffline_{false};
  PointerList<IOConfig> ioConfigs_;
  ChannelIoCounts ioCounts_;
  HeapBuffer inputPointers_{HeapBuffer::kBlockGranularity};
  HeapBuffer outputPointers_{HeapBuffer::kBlockGranularity};
  PointerList<ProcessorChannel> inputChannels_;
  PointerList<ProcessorChannel> outputChannels_;
  std::unique_ptr<LatencyDelay> latencyDelay_;
  TransportInfo transport_;
};

}  // namespace plugfw
