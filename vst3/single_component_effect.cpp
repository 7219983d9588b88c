#include "vst3/single_component_effect.h"

namespace plugfw {

using namespace Steinberg;
using namespace Steinberg::Vst;

SingleComponentEffect::SingleComponentEffect()
    : audioInputs_(kAudio, kInput),
      audioOutputs_(kAudio, kOutput),
      eventInputs_(kEvent, kInput),
      eventOutputs_(kEvent, kOutput) {
  processSetup_.processMode = kRealtime;
  processSetup_.symbolicSampleSize = kSample32;
  processSetup_.maxSamplesPerBlock = 1024;
  processSetup_.sampleRate = 44100.0;
}

tresult PLUGIN_API SingleComponentEffect::initialize(FUnknown* context) {
  return EditControllerEx1::initialize(context);
}

tresult PLUGIN_API SingleComponentEffect::terminate() {
  parameters.removeAll();
  RemoveAllBuses();
  return EditControllerEx1::terminate();
}

tresult PLUGIN_API SingleComponentEffect::getControllerClassId(TUID /*classId*/) {
  return kNotImplemented;  // the component is its own controller
}

tresult PLUGIN_API SingleComponentEffect::setIoMode(IoMode /*mode*/) { return kNotImplemented; }

BusList* SingleComponentEffect::GetBusList(MediaType type, BusDirection dir) {
  if (type == kAudio) return dir == kInput ? &audioInputs_ : &audioOutputs_;
  if (type == kEvent) return dir == kInput ? &eventInputs_ : &eventOutputs_;
  return nullptr;
}

int32 PLUGIN_API SingleComponentEffect::getBusCount(MediaType type, BusDirection dir) {
  BusList* list = GetBusList(type, dir);
  return list ? static_cast<int32>(list->size()) : 0;
}

tresult PLUGIN_API SingleComponentEffect::getBusInfo(MediaType type, BusDirection dir, int32 index,
                                                     BusInfo& info) {
  BusList* list = GetBusList(type, dir);
  if (!list || index < 0 || index >= static_cast<int32>(list->size())) return kInvalidArgument;
  info.mediaType = type;
  info.direction = dir;
  return list->at(index)->getInfo(info) ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API SingleComponentEffect::getRoutingInfo(RoutingInfo& /*inInfo*/, RoutingInfo& /*outInfo*/) {
  return kNotImplemented;
}

tresult PLUGIN_API SingleComponentEffect::activateBus(MediaType type, BusDirection dir, int32 index,
                                                      TBool state) {
  BusList* list = GetBusList(type, dir);
  if (!list || index < 0 || index >= static_cast<int32>(list->size())) return kInvalidArgument;
  list->at(index)->setActive(state);
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::setActive(TBool /*state*/) { return kResultOk; }

tresult PLUGIN_API SingleComponentEffect::setState(IBStream* /*state*/) { return kNotImplemented; }

tresult PLUGIN_API SingleComponentEffect::getState(IBStream* /*state*/) { return kNotImplemented; }

tresult PLUGIN_API SingleComponentEffect::setBusArrangements(SpeakerArrangement* /*inputs*/, int32 /*numIns*/,
                                                             SpeakerArrangement* /*outputs*/,
                                                             int32 /*numOuts*/) {
  return kResultFalse;
}

AudioBus* SingleComponentEffect::AudioBusAt(BusDirection dir, int32 index) {
  BusList& list = dir == kInput ? audioInputs_ : audioOutputs_;
  if (index < 0 || index >= static_cast<int32>(list.size())) return nullptr;
  return FCast<AudioBus>(list.at(index).get());
}

tresult PLUGIN_API SingleComponentEffect::getBusArrangement(BusDirection dir, int32 index,
                                                            SpeakerArrangement& arr) {
  AudioBus* bus = AudioBusAt(dir, index);
  if (!bus) return kInvalidArgument;
  arr = bus->getArrangement();
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::canProcessSampleSize(int32 symbolicSampleSize) {
  return symbolicSampleSize == kSample32 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API SingleComponentEffect::setupProcessing(ProcessSetup& setup) {
  if (canProcessSampleSize(setup.symbolicSampleSize) != kResultTrue) return kResultFalse;
  processSetup_ = setup;
  return kResultOk;
}

tresult PLUGIN_API SingleComponentEffect::setProcessing(TBool /*state*/) { return kNotImplemented; }

tresult PLUGIN_API SingleComponentEffect::process(ProcessData& /*data*/) { return kNotImplemented; }

uint32 PLUGIN_API SingleComponentEffect::getProcessContextRequirements() {
  using Flags = IProcessContextRequirements::Flags;
  return Flags::kNeedProjectTimeMusic | Flags::kNeedBarPositionMusic | Flags::kNeedCycleMusic |
         Flags::kNeedTimeSignature | Flags::kNeedTempo | Flags::kNeedTransportState;
}

AudioBus* SingleComponentEffect::AddAudioBus(BusList& list, const TChar* name, SpeakerArrangement arr,
                                             BusType type, int32 flags) {
  IPtr<AudioBus> bus = owned(new AudioBus(name, type, flags, arr));
  list.emplace_back(bus);  // a failed growth releases the bus with the IPtr
  return bus.get();
}

void SingleComponentEffect::SwapAudioBuses(BusList& inputs, BusList& outputs) noexcept {
  audioInputs_.swap(inputs);
  audioOutputs_.swap(outputs);
}

EventBus* SingleComponentEffect::AddEventInput(const TChar* name, int32 channels, BusType type, int32 flags) {
  auto* bus = new EventBus(name, type, flags, channels);
  eventInputs_.emplace_back(owned(bus));
  return bus;
}

EventBus* SingleComponentEffect::AddEventOutput(const TChar* name, int32 channels, BusType type,
                                                int32 flags) {
  auto* bus = new EventBus(name, type, flags, channels);
  eventOutputs_.emplace_back(owned(bus));
  return bus;
}

void SingleComponentEffect::RemoveAllBuses() {
  audioInputs_.clear();
  audioOutputs_.clear();
  eventInputs_.clear();
  eventOutputs_.clear();
}

void SingleComponentEffect::ForgetInitialization() {
  RemoveAllBuses();
  parameters.removeAll();
  units.clear();
  ComponentBase::terminate();
}

}  // namespace plugfw
