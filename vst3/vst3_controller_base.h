#pragma once
// IVST3ControllerBase: the controller-side members of the VST3 wrapper - the bypass parameter,
// the units that group the parameters, and the host's description of the channel that holds
// the plug-in. It builds the parameter objects into the SDK controller's containers.

#include <cstdint>

#include "core/heap_string.h"
#include "graphics/editor_delegate.h"
#include "pluginterfaces/vst/ivstattributes.h"
#include "public.sdk/source/vst/vsteditcontroller.h"
#include "vst3/vst3_parameters.h"

namespace plugfw {

struct ChannelContextInfo {
  HeapString name;
  HeapString indexNamespace;
  HeapString uid;
  int32_t namespaceOrder = 0;
  int32_t index = 0;
  uint32_t colour = 0;  // red in bits 16-23, green 8-15, blue 0-7
};

class IVST3ControllerBase {
 public:
  // Set-up. The root unit, the bypass parameter (none for an instrument) at `bypassed`, then one unit
  // per new group name and one parameter object per parameter, in index order, each at its current
  // value; last, for a plug-in that takes MIDI, the units "MIDI CCs" and its "CH1" with the 130
  // MIDI-controller parameters.
  void BuildParameters(IEditorDelegate& plugin, Steinberg::Vst::ParameterContainer& container,
                       Steinberg::Vst::EditControllerEx1& units, bool isInstrument, bool takesMidiInput,
                       bool bypassed);
  // Set-up. The containers were emptied (terminate): forget what pointed into them.
  void ForgetParameters();
  // UI thread. Each key that is present overwrites its field; a missing key leaves the field as it was.
  void ReadChannelContextInfos(Steinberg::Vst::IAttributeList& list);

  // UI thread.
  IVST3BypassParameter* BypassParameter() const { return bypassParameter_; }
  const ChannelContextInfo& ChannelInfo() const { return channelContext_; }

 private:
  Steinberg::Vst::UnitID UnitForGroup(const char* group, Steinberg::Vst::EditControllerEx1& units);
  void BuildMidiControllers(Steinberg::Vst::ParameterContainer& container,
                            Steinberg::Vst::EditControllerEx1& units);

  IVST3BypassParameter* bypassParameter_ = nullptr;  // owned by the container
  ChannelContextInfo channelContext_;
  HeapBuffer groupNames_;  // NUL-separated group names in unit order, unit 1 first
  int32_t groupCount_ = 0;
};

}  // namespace plugfw
