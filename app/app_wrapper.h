#pragma once
// IAppWrapper: the wrapper the plug-in class derives from in the standalone program. It adds to
// the framework bases the MIDI and SysEx input queues that the MIDI input thread fills, the block
// processing that the standalone host's audio callback runs, MIDI and SysEx output through the
// host's MIDI output port, and the answer to the editor's resize requests. Construction is
// set-up; each entry below says which thread calls it.

#include <atomic>
#include <cstdint>

#include "app/audio_blocks.h"
#include "core/api_base.h"
#include "core/plugin_config.h"
#include "core/processor.h"
#include "core/queue_messages.h"
#include "core/ring_queue.h"

namespace plugfw {

class MidiOutput;

// What the wrapper needs from the host that owns it.
class AppHost {
 public:
  virtual ~AppHost() = default;
  // Audio thread, and the UI thread: the MIDI output port object, or null when the host has none.
  virtual MidiOutput* MidiOutputPort() = 0;
};

class IAppWrapper : public IApiBase, public IProcessor {
 public:
  struct InstanceInfo {
    AppHost* host = nullptr;  // not owned; may be null
  };

  static constexpr int32_t kBlockFrames = kAppBlockFrames;
  static constexpr int32_t kMidiInputSlots = 33;
  static constexpr int32_t kSysExInputSlots = 5;

  // Set-up.
  IAppWrapper(const InstanceInfo& info, const PluginConfig& config);
  ~IAppWrapper() override = default;

  // Audio thread. One block of at most kBlockFrames frames; one 64-bit pointer per plug-in input
  // and output channel, each at the block's first frame. False (outputs silenced) for a block the
  // processor refuses.
  bool ProcessHostBlock(double* const* inputs, double* const* outputs, int32_t frames);

  // Set-up. True when construction got everything the wrapper makes (queues, channels, block).
  bool IsComplete() const;

  // Set-up. How many of the plug-in's inputs the host feeds (the device's channels); the others
  // stay disconnected and read silence. All of them until set.
  void SetHostInputChannels(int32_t channels);
  // Any thread: atomic.
  int32_t HostInputChannels() const { return hostInputChannels_.load(std::memory_order_acquire); }

  // MIDI input thread, lock-free. False when the message was dropped (queue full, SysEx too long).
  bool QueueMidiInput(const MidiMessage& message) { return midiInput_.Push(message); }
  bool QueueSysExInput(const SysExMessage& message) { return sysExInput_.Push(message); }
  // Any thread: atomic loads.
  int32_t PendingMidiInput() const { return midiInput_.Count(); }
  int32_t PendingSysExInput() const { return sysExInput_.Count(); }

  // Audio thread (SendSysEx also on the UI thread, for the editor's SysEx): through the host's MIDI
  // output port, when the configuration sends MIDI.
  bool SendMidiMessage(const MidiMessage& message) override;
  bool SendSysEx(const SysExRef& message) override;
  // UI thread. Editor SysEx leaves through the port at once instead of waiting for a block.
  void SendSysExFromUI(const SysExRef& message) override;
  // UI thread. Stores a new size; always false, the main window follows the editor itself.
  bool RequestEditorResize(int32_t width, int32_t height) override;

 private:
  MidiOutput* OutputPortIfSending() const;
  void DrainMidiInput();
  void DrainSysExInput();
  void DrainEditorMidi();

  AppHost* host_;
  std::atomic<int32_t> hostInputChannels_{0};
  RingQueue<MidiMessage> midiInput_{kMidiInputSlots};
  RingQueue<SysExMessage> sysExInput_{kSysExInputSlots};
  SysExMessage sysExLanding_;
};

}  // namespace plugfw
