#pragma once
// IApiBase: the host-API side of the plug-in object, between IPluginBase and the build's
// wrapper. It routes the editor's parameter edits to the host and the change hooks, owns the
// lock-free queues that carry parameter values, MIDI and SysEx between the audio thread and the
// UI thread, and empties the processor-to-editor queues into the editor on a 20 ms UI timer.
// The host-facing operations have neutral defaults that the wrappers replace.

#include <cstdint>
#include <memory>

#include "core/heap_buffer.h"
#include "core/heap_string.h"
#include "core/plugin_base.h"
#include "core/plugin_config.h"
#include "core/queue_messages.h"
#include "core/ring_queue.h"
#include "core/timer.h"

namespace plugfw {

namespace gfx {
class IGfx;
}

class IApiBase : public IPluginBase {
 public:
  static constexpr int32_t kParamQueueSlots = 513;
  static constexpr int32_t kMidiQueueSlots = 33;
  static constexpr int32_t kSysExQueueSlots = 5;
  static constexpr int32_t kApiTimerPeriodMs = 20;
  static constexpr float kCompareStateTolerance = 1e-5f;

  // Set-up.
  IApiBase(const PluginConfig& config, int32_t apiKind);
  ~IApiBase() override;

  // UI thread: the editor delegate's operations. An index outside the parameter list is ignored.
  void ReportAllParamsToHost() override;
  void BeginParamEditFromUI(int32_t paramIdx) override;
  void SetParamFromUI(int32_t paramIdx, double normalizedValue) override;
  void EndParamEditFromUI(int32_t paramIdx) override;
  bool ResizeFromUI(int32_t width, int32_t height, bool resizeHost) override;
  void SendMidiFromUI(const MidiMessage& message) override;
  void SendSysExFromUI(const SysExRef& message) override;
  void SendMessageFromUI(int32_t messageTag, int32_t controlTag, int32_t dataSize, const void* data) override;
  void PushMidiFromUI(const MidiMessage& message) override;
  // A message of more than kSysExMaxBytes (or of a negative size) is refused: cut short it
  // would reach the processor as a different message.
  void PushSysExFromUI(const SysExRef& message) override;

  // UI thread: stores the clamped real value of the normalized input, tells the host the
  // normalized form of what was stored, then runs the change hook with source UI.
  void SetParamValueAndInformHost(int32_t paramIdx, double normalizedValue);

  // UI thread, every operation of this group unless its comment names another word. True when
  // every parameter's value, as a 32-bit float, lies within 1e-5 of values[startIndex + i]; false
  // when the array of count values does not reach that far.
  virtual bool CompareState(const double* values, int32_t count, int32_t startIndex) const;
  virtual bool ShowAboutBox() { return false; }
  virtual bool OpenManual() { return false; }
  // Set-up.
  void OnHostSettled() override {}
  // Appends 0 .. count - 1 as int32 values when count is below the parameter count.
  virtual bool AppendParamIndices(int32_t count, HeapBuffer& indices) const;
  virtual bool MatchesNegation(double a, double b) const { return b == -a; }
  virtual void SpareHookA() {}
  virtual bool LookupText(const char* key, HeapString& text) const;
  virtual gfx::IGfx* GetEditorGraphics() const { return GetUI(); }
  virtual void OnIdleTick() {}
  virtual int32_t GetChannelColor(int32_t& red, int32_t& green, int32_t& blue) const;
  virtual void GetChannelName(HeapString& /*name*/) const {}
  virtual int32_t GetChannelIndex() const { return 0; }
  virtual void GetChannelNamespace(HeapString& /*text*/) const {}
  virtual int32_t GetChannelNamespaceOrder() const { return 0; }
  // Any thread: the single producer of the parameter queue, lock-free. A normalized value
  // becomes the clamped real value first; dropped when the queue is full or the index is
  // outside the list.
  virtual void PushParamChangeFromProcessor(int32_t paramIdx, double value, bool valueIsNormalized);
  // Set-up.
  void OnHostIdentified() override {}
  virtual bool RequestEditorResize(int32_t /*width*/, int32_t /*height*/) { return false; }
  virtual void BeginHostParamEdit(int32_t /*paramIdx*/) {}
  virtual void EndHostParamEdit(int32_t /*paramIdx*/) {}
  virtual void SendParamValueToHost(int32_t /*paramIdx*/, double /*normalizedValue*/) {}
  virtual void SpareHookB() {}
  virtual void SpareHookC() {}

  // Set-up. Makes the 20 ms timer that runs DrainProcessorQueues on the UI thread, replacing any
  // earlier one.
  void CreateApiTimer();
  // UI thread: parameter changes, then MIDI, then SysEx from the processor reach the editor,
  // each queue until it is empty (items pushed meanwhile included); then OnIdleTick.
  virtual void DrainProcessorQueues();

  // Audio thread: the single consumer of the editor-to-processor queues and the single
  // producer of the processor-to-editor MIDI and SysEx queues. Push answers false when the
  // item was dropped; PushSysExToEditor refuses what PushSysExFromUI refuses.
  bool PopMidiFromEditor(MidiMessage& message) { return midiFromEditor_.Pop(message); }
  bool PopSysExFromEditor(SysExMessage& message) { return sysExFromEditor_.Pop(message); }
  bool PushMidiToEditor(const MidiMessage& message) { return midiToEditor_.Push(message); }
  bool PushSysExToEditor(const SysExRef& message);

  // Set-up. True when all five queues got their storage at construction.
  bool QueuesAllocated() const;

  // Any thread: atomic loads.
  int32_t PendingParamChanges() const { return paramsToEditor_.Count(); }
  int32_t PendingMidiFromEditor() const { return midiFromEditor_.Count(); }
  int32_t PendingSysExFromEditor() const { return sysExFromEditor_.Count(); }
  bool HasApiTimer() const { return apiTimer_ != nullptr; }

 protected:
  // UI thread: the consumer side of the processor-to-editor MIDI and SysEx queues, for a build
  // whose drain differs.
  bool PopMidiToEditor(MidiMessage& message) { return midiToEditor_.Pop(message); }
  bool PopSysExToEditor(SysExMessage& message) { return sysExToEditor_.Pop(message); }

 private:
  static bool BuildSysExMessage(const SysExRef& from, SysExMessage& to);

  std::unique_ptr<Timer> apiTimer_;
  RingQueue<ParamChange> paramsToEditor_{kParamQueueSlots};
  RingQueue<MidiMessage> midiFromEditor_{kMidiQueueSlots};
  RingQueue<MidiMessage> midiToEditor_{kMidiQueueSlots};
  RingQueue<SysExMessage> sysExFromEditor_{kSysExQueueSlots};
  RingQueue<SysExMessage> sysExToEditor_{kSysExQueueSlots};
  SysExMessage drainLanding_;
};

}  // namespace plugfw
