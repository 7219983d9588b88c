#include "app/app_wrapper.h"

#include <algorithm>

#include "app/midi_ports.h"

namespace plugfw {
namespace {
constexpr int32_t kInstrumentKind = 1;
constexpr size_t kShortMessageBytes = 3;
}  // namespace

IAppWrapper::IAppWrapper(const InstanceInfo& info, const PluginConfig& config)
    : IApiBase(config, kApiKindStandalone), IProcessor(config), host_(info.host) {
  hostInputChannels_.store(ChannelCount(IODirection::kInput), std::memory_order_relaxed);
  SetChannelsConnected(IODirection::kInput, 0, ChannelCount(IODirection::kInput), true);
  SetChannelsConnected(IODirection::kOutput, 0, ChannelCount(IODirection::kOutput), true);
  SetBlockSize(kBlockFrames);
  CreateApiTimer();
}

bool IAppWrapper::IsComplete() const {
  return QueuesAllocated() && ChannelsComplete() && BlockSize() == kBlockFrames && midiInput_.IsValid() &&
         sysExInput_.IsValid();
}

void IAppWrapper::SetHostInputChannels(int32_t channels) {
  hostInputChannels_.store(std::clamp(channels, 0, ChannelCount(IODirection::kInput)),
                           std::memory_order_release);
  // An input that is no longer fed must not replay the last samples it converted.
  ZeroScratchBuffers();
}

bool IAppWrapper::ProcessHostBlock(double* const* inputs, double* const* outputs, int32_t frames) {
  const int32_t inputChannels = ChannelCount(IODirection::kInput);
  const int32_t outputChannels = ChannelCount(IODirection::kOutput);
  if (ProcessorKind() != kInstrumentKind) {
    // Channels the host does not feed stay disconnected, so the plug-in reads silence there and
    // counts only the inputs that carry the device's signal.
    const int32_t fed = hostInputChannels_.load(std::memory_order_acquire);
    SetChannelsConnected(IODirection::kInput, 0, fed, true);
    SetChannelsConnected(IODirection::kInput, fed, inputChannels - fed, false);
  }
  SetChannelsConnected(IODirection::kOutput, 0, outputChannels, true);
  AttachHostBuffers(IODirection::kInput, 0, inputChannels, inputs, frames);
  AttachHostBuffers(IODirection::kOutput, 0, outputChannels, outputs, frames);
  DrainMidiInput();
  DrainSysExInput();
  DrainEditorMidi();
  return ProcessHostBuffers(frames);
}

void IAppWrapper::DrainMidiInput() {
  MidiMessage message;
  while (midiInput_.Pop(message)) {
    message.sampleOffset = 0;
    ProcessMidiMessage(message);
    PushMidiToEditor(message);
  }
}

void IAppWrapper::DrainSysExInput() {
  while (sysExInput_.Pop(sysExLanding_)) {
    const SysExRef message{0, sysExLanding_.size, sysExLanding_.data};
    ProcessSysEx(message);
    PushSysExToEditor(message);
  }
}

void IAppWrapper::DrainEditorMidi() {
  MidiMessage message;
  while (PopMidiFromEditor(message)) {
    message.sampleOffset = 0;
    ProcessMidiMessage(message);
  }
}

MidiOutput* IAppWrapper::OutputPortIfSending() const {
  if (!SendsMidiOutput() || host_ == nullptr) return nullptr;
  return host_->MidiOutputPort();
}

bool IAppWrapper::SendMidiMessage(const MidiMessage& message) {
  MidiOutput* port = OutputPortIfSending();
  if (port == nullptr) return false;
  const uint8_t bytes[kShortMessageBytes] = {message.status, message.data1, message.data2};
  return port->Send(bytes, kShortMessageBytes);
}

bool IAppWrapper::SendSysEx(const SysExRef& message) {
  MidiOutput* port = OutputPortIfSending();
  if (port == nullptr || message.data == nullptr || message.size <= 0) return false;
  return port->Send(message.data, static_cast<size_t>(message.size));
}

void IAppWrapper::SendSysExFromUI(const SysExRef& message) { SendSysEx(message); }

bool IAppWrapper::RequestEditorResize(int32_t width, int32_t height) {
  if (width != EditorWidth() || height != EditorHeight()) SetEditorSize(width, height);
  return false;
}

}  // namespace plugfw
