#pragma once
// SingleComponentEffect: one object that is a VST3 component, audio processor and edit
// controller at once, built on the SDK's EditControllerEx1 (parameters, units) with the
// component's bus lists and processing set-up added. Every interface answers queryInterface
// with the same identity. The wrapper refines the processing entries.

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "public.sdk/source/vst/vstbus.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

namespace plugfw {

class SingleComponentEffect : public Steinberg::Vst::EditControllerEx1,
                              public Steinberg::Vst::IComponent,
                              public Steinberg::Vst::IAudioProcessor,
                              public Steinberg::Vst::IProcessContextRequirements {
 public:
  using tresult = Steinberg::tresult;
  using int32 = Steinberg::int32;
  using uint32 = Steinberg::uint32;

  // Set-up.
  SingleComponentEffect();
  ~SingleComponentEffect() override = default;

  // Set-up: IPluginBase (of both the component and the controller).
  tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
  tresult PLUGIN_API terminate() override;

  // UI thread: IComponent; activateBus and setActive are set-up.
  tresult PLUGIN_API getControllerClassId(Steinberg::TUID classId) override;
  tresult PLUGIN_API setIoMode(Steinberg::Vst::IoMode mode) override;
  int32 PLUGIN_API getBusCount(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir) override;
  tresult PLUGIN_API getBusInfo(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir, int32 index,
                                Steinberg::Vst::BusInfo& bus) override;
  tresult PLUGIN_API getRoutingInfo(Steinberg::Vst::RoutingInfo& inInfo,
                                    Steinberg::Vst::RoutingInfo& outInfo) override;
  tresult PLUGIN_API activateBus(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir,
                                 int32 index, Steinberg::TBool state) override;
  tresult PLUGIN_API setActive(Steinberg::TBool state) override;
  // One state for component and controller: the controller keeps none of its own.
  tresult PLUGIN_API setState(Steinberg::IBStream* state) override;
  tresult PLUGIN_API getState(Steinberg::IBStream* state) override;

  // IAudioProcessor: arrangements and processing set-up are set-up, process runs on the audio
  // thread, the rest answers on any thread.
  tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs, int32 numIns,
                                        Steinberg::Vst::SpeakerArrangement* outputs, int32 numOuts) override;
  tresult PLUGIN_API getBusArrangement(Steinberg::Vst::BusDirection dir, int32 index,
                                       Steinberg::Vst::SpeakerArrangement& arr) override;
  tresult PLUGIN_API canProcessSampleSize(int32 symbolicSampleSize) override;
  uint32 PLUGIN_API getLatencySamples() override { return 0; }
  tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) override;
  tresult PLUGIN_API setProcessing(Steinberg::TBool state) override;
  tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;
  uint32 PLUGIN_API getTailSamples() override { return Steinberg::Vst::kNoTail; }

  // Any thread: IProcessContextRequirements, the transport fields the effect reads (a constant).
  uint32 PLUGIN_API getProcessContextRequirements() override;

  OBJ_METHODS(SingleComponentEffect, EditControllerEx1)
  DEFINE_INTERFACES
  DEF_INTERFACE(IComponent)
  DEF_INTERFACE(IAudioProcessor)
  DEF_INTERFACE(IProcessContextRequirements)
  END_DEFINE_INTERFACES(EditControllerEx1)
  REFCOUNT_METHODS(EditControllerEx1)

 protected:
  // Set-up. Appends a new audio bus to a list: the component's own or one being built to replace it. Throws
  // what the standard library throws when memory runs out.
  static Steinberg::Vst::AudioBus* AddAudioBus(Steinberg::Vst::BusList& list,
                                               const Steinberg::Vst::TChar* name,
                                               Steinberg::Vst::SpeakerArrangement arr,
                                               Steinberg::Vst::BusType type, int32 flags);
  // Set-up. The built lists become the component's audio buses; the old ones are left in the arguments.
  void SwapAudioBuses(Steinberg::Vst::BusList& inputs, Steinberg::Vst::BusList& outputs) noexcept;
  Steinberg::Vst::EventBus* AddEventInput(const Steinberg::Vst::TChar* name, int32 channels,
                                          Steinberg::Vst::BusType type, int32 flags);
  Steinberg::Vst::EventBus* AddEventOutput(const Steinberg::Vst::TChar* name, int32 channels,
                                           Steinberg::Vst::BusType type, int32 flags);
  // Set-up.
  void RemoveAllBuses();
  // Set-up. Undoes what a failed initialize made: buses, parameters, units and the host context, leaving
  // the component handler alone.
  void ForgetInitialization();
  Steinberg::Vst::BusList* GetBusList(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir);
  // Audio thread, or the UI thread: the lists change only at set-up. The audio bus at index, null
  // when there is none.
  Steinberg::Vst::AudioBus* AudioBusAt(Steinberg::Vst::BusDirection dir, int32 index);

  Steinberg::Vst::BusList audioInputs_;
  Steinberg::Vst::BusList audioOutputs_;
  Steinberg::Vst::BusList eventInputs_;
  Steinberg::Vst::BusList eventOutputs_;
  Steinberg::Vst::ProcessSetup processSetup_;
};

}  // namespace plugfw
