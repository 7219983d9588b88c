#pragma once
// IVST3Wrapper: the framework plug-in as one VST3 single-component effect. The API base and the
// VST3 processor base carry the plug-in; the single-component effect answers the host as
// component, audio processor and edit controller; IMidiMapping and the channel-context listener
// complete the interfaces. The plug-in class derives from it and replaces process and the state
// entries. Controller entries, state and notifications run on the UI thread, process on the
// audio thread, and initialisation, bus arrangements, processing set-up and activation are
// set-up, which the stages below enforce.

#include <atomic>
#include <cstdint>

#include "core/api_base.h"
#include "core/plugin_config.h"
#include "pluginterfaces/vst/ivstchannelcontextinfo.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "vst3/single_component_effect.h"
#include "vst3/vst3_controller_base.h"
#include "vst3/vst3_processor_base.h"

namespace plugfw {

class IVST3View;

// Where the host stands in the format's life of a component. A call out of order answers
// kResultFalse (process: see below) and changes nothing:
//   1. Created (before initialize, after terminate): initialize, the state and the queries are taken;
//      setupProcessing, setBusArrangements, setActive(true), setProcessing(true) and terminate are
//      refused, and process answers kResultFalse with silence written to the outputs it can reach.
//   2. initialize while initialized: refused; nothing is made twice.
//   3. Initialized, not active: set-up, bus arrangements, activation and terminate are taken.
//      process answers kResultOk, takes the parameter changes and writes silence: only an active
//      component makes sound.
//   4. Active: a different set-up, setBusArrangements and terminate are refused, since the audio
//      thread reads what they would replace; the same set-up again and a repeated setActive(true)
//      answer kResultOk and change nothing (no second engine reset mid-stream).
//   5. setProcessing(true) while not active: refused.
//   6. Released without terminate, even while active: the destructor lets go of what terminate
//      would, so the host gets its context and component handler back.
// getState and setState are taken in every stage and while another thread processes: they touch
// only values that are exchanged atomically.
enum class HostStage : int32_t { kCreated, kInitialized, kActive };

class IVST3Wrapper : public IApiBase,
                     public IVST3ProcessorBase,
                     public IVST3ControllerBase,
                     public SingleComponentEffect,
                     public Steinberg::Vst::IMidiMapping,
                     public Steinberg::Vst::ChannelContext::IInfoListener {
 public:
  struct InstanceInfo {};

  static constexpr Steinberg::Vst::ParamID kFirstMidiControllerId = 0x10002;
  static constexpr int32_t kMidiControllersPerChannel = 130;

  // Set-up.
  IVST3Wrapper(const InstanceInfo& info, const PluginConfig& config);
  ~IVST3Wrapper() override;

  // Set-up. True when construction got everything the wrapper makes (queues, channels, block,
  // latency delay).
  bool IsComplete() const;

  // Any thread: atomic.
  HostStage Stage() const { return stage_.load(std::memory_order_acquire); }
  bool IsHostInitialized() const { return Stage() != HostStage::kCreated; }
  bool IsHostActive() const { return Stage() == HostStage::kActive; }

  // Set-up: IPluginBase. initialize answers kResultFalse having made nothing when memory runs out.
  tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
  tresult PLUGIN_API terminate() override;

  // Set-up: IComponent and IAudioProcessor, refused in the stages listed above.
  tresult PLUGIN_API setActive(Steinberg::TBool state) override;
  tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) override;
  tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs, int32 numIns,
                                        Steinberg::Vst::SpeakerArrangement* outputs, int32 numOuts) override;
  // Any thread: some hosts switch processing from the audio thread, so it only answers.
  tresult PLUGIN_API setProcessing(Steinberg::TBool state) override;
  // Any thread: constants and atomic values.
  tresult PLUGIN_API canProcessSampleSize(int32 symbolicSampleSize) override;
  uint32 PLUGIN_API getLatencySamples() override;
  uint32 PLUGIN_API getTailSamples() override;

  // UI thread: IEditController and IUnitInfo. An index outside the parameter list is refused, not
  // thrown.
  tresult PLUGIN_API getParameterInfo(int32 paramIndex, Steinberg::Vst::ParameterInfo& info) override;
  Steinberg::Vst::ParamValue PLUGIN_API getParamNormalized(Steinberg::Vst::ParamID id) override;
  tresult PLUGIN_API setParamNormalized(Steinberg::Vst::ParamID id,
                                        Steinberg::Vst::ParamValue value) override;
  tresult PLUGIN_API getProgramName(Steinberg::Vst::ProgramListID listId, int32 programIndex,
                                    Steinberg::Vst::String128 name) override;

  // UI thread: a new view for "editor" when the plug-in has an editor, else null. The plug-in remembers
  // the latest view unless another shows the editor, and then the view that opens the editor, until
  // that view is removed or destroyed.
  Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) override;

  // UI thread: IMidiMapping, only for controllers that exist as parameters.
  tresult PLUGIN_API getMidiControllerAssignment(int32 busIndex, Steinberg::int16 channel,
                                                 Steinberg::Vst::CtrlNumber controller,
                                                 Steinberg::Vst::ParamID& id) override;
  // UI thread: ChannelContext::IInfoListener.
  tresult PLUGIN_API setChannelContextInfos(Steinberg::Vst::IAttributeList* list) override;

  // UI thread: framework operations answered with the SDK's edit calls.
  void BeginHostParamEdit(int32_t paramIdx) override;
  // The parameter object takes the value before the host hears of it, so a host that reads it
  // back from inside performEdit already sees the new value.
  void SendParamValueToHost(int32_t paramIdx, double normalizedValue) override;
  void EndHostParamEdit(int32_t paramIdx) override;
  void SetParamFromUI(int32_t paramIdx, double normalizedValue) override;
  void ReportAllParamsToHost() override;
  void NotifyHostParamInfoChanged() override;
  void GetChannelName(HeapString& name) const override;
  int32_t GetChannelIndex() const override;
  void GetChannelNamespace(HeapString& text) const override;
  int32_t GetChannelNamespaceOrder() const override;
  int32_t GetChannelColor(int32_t& red, int32_t& green, int32_t& blue) const override;
  // Set-up. Tells the host only when the latency really changed; inside the host's activation and
  // set-up calls the news waits until the call returns.
  bool SetLatencySamples(int32_t samples) override;
  // UI thread: the editor's new size in host pixels, stored for getSize; with resizeHost the host
  // is asked for it (RequestEditorResize). Always true: the editor window never resizes the
  // host's windows itself.
  bool ResizeFromUI(int32_t width, int32_t height, bool resizeHost) override;
  // UI thread: the editor asks the host for a size through the view's frame, unless the frame
  // has it. The size is stored first, so a host that calls getSize or onSize back from inside
  // resizeView sees it, and such a call starts no second, nested request. False when the host
  // refused; the editor then takes the frame's size again.
  bool RequestEditorResize(int32_t width, int32_t height) override;
  // UI thread, from a view that opened the editor, and from one being removed or destroyed.
  void RememberView(IVST3View* view) { view_ = view; }
  void ForgetView(const IVST3View* view);
  // UI thread: a right click's context menu is the host's (ShowHostContextMenu), shown for the
  // open view; always true, so the graphics context never shows one of its own.
  bool ShowControlContextMenu(gfx::IGfx& gfx, gfx::IControl* control, int32_t paramIdx, float x,
                              float y) override;

  // UI thread. No parameter queue in this build: MIDI and SysEx toward the editor, then the idle
  // tick.
  void DrainProcessorQueues() override;

  OBJ_METHODS(IVST3Wrapper, SingleComponentEffect)
  DEFINE_INTERFACES
  DEF_INTERFACE(IMidiMapping)
  DEF_INTERFACE(IInfoListener)
  END_DEFINE_INTERFACES(SingleComponentEffect)
  REFCOUNT_METHODS(SingleComponentEffect)

 protected:
  // Audio thread. The buses of this block reach the framework's channels, and the plug-in's block
  // entry runs over them (32-bit buffers directly, 64-bit converted). The bus arrays must have been
  // checked.
  void ProcessBuses(Steinberg::Vst::ProcessData& data);
  // UI thread. Every parameter object takes its parameter's value (after a bulk change the host did
  // not make).
  void SyncParameterObjects();
  // Audio thread, or set-up: written only at set-up while inactive.
  const Steinberg::Vst::ProcessSetup& ProcessSetupGiven() const { return processSetup_; }

 private:
  // Builds the audio buses of the layouts into the lists; false (the lists then hold part of them)
  // when memory ran out.
  bool BuildAudioBuses(const IOConfig* inputLayout, const IOConfig* outputLayout,
                       Steinberg::Vst::BusList& inputs, Steinberg::Vst::BusList& outputs) const;
  // Buses, event buses and parameter objects of initialize; false when memory ran out.
  bool MakeBusesAndParameters();
  bool IsSameSetup(const Steinberg::Vst::ProcessSetup& setup) const;
  const IOConfig* LayoutWithMostBuses(IODirection direction) const;
  void AttachInputBuses(Steinberg::Vst::ProcessData& data);
  void AttachOutputBuses(Steinberg::Vst::ProcessData& data);
  void AttachBus(IODirection direction, int32_t firstChannel, Steinberg::Vst::AudioBusBuffers& bus,
                 int32_t frames, bool doublePrecision);
  void RestartComponent(int32 flags);
  void FlushDeferredRestart();

  IVST3View* view_ = nullptr;
  bool requestingResize_ = false;
  std::atomic<HostStage> stage_{HostStage::kCreated};
  std::atomic<int32_t> hostCallDepth_{0};
  std::atomic<bool> latencyRestartPending_{false};
};

}  // namespace plugfw
