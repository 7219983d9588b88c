#pragma once
// IVST3Wrapper: the framework plug-in as one VST3 single-component effect. The API base and the
// VST3 processor base carry the plug-in; the single-component effect answers the host as
// component, audio processor and edit controller; IMidiMapping and the channel-context listener
// complete the interfaces. Its own process and state entries serve any plug-in (MIDI included); a
// plug-in class may replace them. Controller entries, state and notifications run on the UI
// thread, process on the audio thread, and initialisation, bus arrangements, processing set-up
// and activation are set-up, which the stages below enforce.

#include <atomic>
#include <cstdint>

#include "core/api_base.h"
#include "core/plugin_config.h"
#include "pluginterfaces/base/ibstream.h"
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
//      component makes sound. That silence reads nothing the set-up calls replace (buses, scratch
//      buffers, the engine), so a host that processes meanwhile cannot catch them half-changed.
//   4. Active: a different set-up, setBusArrangements and terminate are refused, since the audio
//      thread reads what they would replace; the same set-up again and a repeated setActive(true)
//      answer kResultOk and change nothing (no second engine reset mid-stream). setActive(false)
//      returns only once a block that started while active has ended.
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
  // The default state form takes no stream longer than this.
  static constexpr int32_t kMaxStateBytes = 0x100000;

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
  // Any thread: some hosts switch processing from the audio thread. Switching off while active
  // resets the plug-in's processing (ResetProcessing), so a host that pauses hears nothing from
  // before the pause when it resumes; the plug-in's reset at an unchanged rate must allocate nothing.
  tresult PLUGIN_API setProcessing(Steinberg::TBool state) override;
  // Any thread: constants and atomic values.
  tresult PLUGIN_API canProcessSampleSize(int32 symbolicSampleSize) override;
  uint32 PLUGIN_API getLatencySamples() override;
  uint32 PLUGIN_API getTailSamples() override;

  // Audio thread: the default road (HALCYRA replaces it with its own). Outside the active stage
  // see above; then an invalid block (more buses, channels or frames than the plug-in's layouts and
  // the set-up allow, missing buffers, another sample size) answers kInvalidArgument with silence
  // written within the set-up. Otherwise: transport, parameter changes, the MIDI input (a plug-in
  // that takes MIDI), the audio (passed through while the host bypass is on), the MIDI output (a
  // plug-in that sends MIDI).
  tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;
  // UI thread, also while the audio thread processes: the default state form, the plug-in's state
  // (WriteState) followed by the host bypass as a 32-bit 0 or 1.
  tresult PLUGIN_API getState(Steinberg::IBStream* state) override;
  tresult PLUGIN_API setState(Steinberg::IBStream* state) override;

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

  // UI thread: IMidiMapping. The identifier of the controller's parameter (bus 0, channel 1), only
  // where that parameter exists.
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
  // What the host's processing set-up allows a block: at most this many frames, in this sample size.
  struct ProcessLimits {
    int32 maxSamplesPerBlock = 0;
    int32 symbolicSampleSize = 0;
  };

  // Audio thread: while it lives, a block that found the component active keeps setActive(false)
  // from returning, so nothing the block reads is replaced under it. Entered() is false when the
  // component was not active: the block then touches no bus, buffer or engine.
  class ActiveBlock {
   public:
    explicit ActiveBlock(IVST3Wrapper& wrapper);
    ~ActiveBlock();
    ActiveBlock(const ActiveBlock&) = delete;
    ActiveBlock& operator=(const ActiveBlock&) = delete;
    bool Entered() const { return entered_; }

   private:
    std::atomic<int32_t>& blocks_;
    bool entered_;
  };

  // Audio thread. The buses of this block reach the framework's channels, and the plug-in's block
  // entry runs over them (32-bit buffers directly, 64-bit converted); with the processor's bypass on
  // the input passes through instead. The bus arrays must have been checked.
  void ProcessBuses(Steinberg::Vst::ProcessData& data);
  // Audio thread. Zeroes what the block's outputs hold within the set-up and the plug-in's layouts
  // (frames, buses, channels), setting the silence flags of what it zeroed; nothing beyond.
  void SilenceOutputsWithinSetUp(Steinberg::Vst::ProcessData& data) const;
  // UI thread. Every parameter object takes its parameter's value (after a bulk change the host did
  // not make).
  void SyncParameterObjects();
  // Any thread: atomic. Written by setupProcessing.
  ProcessLimits Limits() const;
  // UI thread: the state the host's bypass switch shows, which a new bypass parameter starts at.
  // The processor's bypass flag unless the plug-in keeps its own.
  virtual bool IsHostBypassed() const { return IsBypassed(); }

 private:
  // Builds the audio buses of the layouts into the lists; false (the lists then hold part of them)
  // when memory ran out.
  bool BuildAudioBuses(const IOConfig* inputLayout, const IOConfig* outputLayout,
                       Steinberg::Vst::BusList& inputs, Steinberg::Vst::BusList& outputs) const;
  // Buses, event buses and parameter objects of initialize; false when memory ran out.
  bool MakeBusesAndParameters();
  bool IsSameSetup(const Steinberg::Vst::ProcessSetup& setup) const;
  // Audio thread: the blocks the default road can take without reading past what the host gave.
  bool IsUsableProcessData(const Steinberg::Vst::ProcessData& data) const;
  // UI thread: the default state form's reading; no value changes unless it answers kResultOk.
  tresult ReadComponentState(Steinberg::IBStream* state);
  // Set-up: the activation of the buses whose arrangement an accepted layout keeps.
  void KeepBusActivation(const Steinberg::Vst::BusList& before, Steinberg::Vst::BusList& after) const;
  void WaitForActiveBlocks() const;
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
  std::atomic<int32_t> activeBlocks_{0};
  std::atomic<int32> maxSamplesPerBlock_{0};
  std::atomic<int32> symbolicSampleSize_{Steinberg::Vst::kSample32};
};

}  // namespace plugfw
