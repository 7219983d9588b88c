#include "vst3/vst3_controller_base.h"

#include <cstring>

#include "pluginterfaces/vst/ivstchannelcontextinfo.h"
#include "vst3/vst3_midi_events.h"
#include "vst3/vst3_text.h"

namespace plugfw {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr int32_t kContextTextUnits = 256;

Unit* MakeUnit(const char* name, UnitID id, UnitID parent) {
  UnitInfo info{};
  info.id = id;
  info.parentUnitId = parent;
  Utf8ToUtf16(name, info.name, 128);
  info.programListId = kNoProgramListId;
  return new Unit(info);
}

// A UTF-16 attribute read into UTF-8 text; false when the key is absent.
bool ReadContextText(IAttributeList& list, IAttrID key, HeapString& text) {
  TChar wide[kContextTextUnits] = {};
  if (list.getString(key, wide, sizeof wide) != kResultTrue) return false;
  wide[kContextTextUnits - 1] = 0;
  char utf8[4 * kContextTextUnits];
  Utf16ToUtf8(wide, utf8, sizeof utf8);
  text.Set(utf8);
  return true;
}

}  // namespace

UnitID IVST3ControllerBase::UnitForGroup(const char* group, EditControllerEx1& units) {
  if (!group || !*group) return kRootUnitId;
  const char* name = reinterpret_cast<const char*>(groupNames_.Data());
  for (int32_t i = 0; i < groupCount_; ++i) {
    if (std::strcmp(name, group) == 0) return i + 1;
    name += std::strlen(name) + 1;
  }
  groupNames_.Append(group, static_cast<int32_t>(std::strlen(group)) + 1);
  ++groupCount_;
  units.addUnit(MakeUnit(group, groupCount_, kRootUnitId));
  return groupCount_;
}

void IVST3ControllerBase::BuildParameters(IEditorDelegate& plugin, ParameterContainer& container,
                                          EditControllerEx1& units, bool isInstrument, bool takesMidiInput,
                                          bool bypassed) {
  if (!isInstrument) {
    bypassParameter_ = new IVST3BypassParameter();
    bypassParameter_->setNormalized(bypassed ? 1.0 : 0.0);
    container.addParameter(bypassParameter_);
  }
  units.addUnit(MakeUnit("Root", kRootUnitId, kNoParentUnitId));
  for (int32_t i = 0; i < plugin.NParams(); ++i) {
    IParam& param = *plugin.GetParam(i);
    const UnitID unit = UnitForGroup(param.Group(), units);
    container.addParameter(new IVST3Parameter(param, static_cast<ParamID>(i), unit));
  }
  if (takesMidiInput) BuildMidiControllers(container, units);
}

void IVST3ControllerBase::BuildMidiControllers(ParameterContainer& container, EditControllerEx1& units) {
  const UnitID controllers = units.getUnitCount() + 1;
  units.addUnit(MakeUnit("MIDI CCs", controllers, kRootUnitId));
  const UnitID firstChannel = units.getUnitCount() + 1;
  units.addUnit(MakeUnit("CH1", firstChannel, controllers));
  for (int32_t controller = 0; controller < kMidiControllersPerChannel; ++controller)
    container.addParameter(MakeMidiControllerParameter(controller, firstChannel));
}

void IVST3ControllerBase::ForgetParameters() {
  bypassParameter_ = nullptr;
  groupNames_.Resize(0, true);
  groupCount_ = 0;
}

void IVST3ControllerBase::ReadChannelContextInfos(IAttributeList& list) {
  namespace Keys = ChannelContext;
  int64 value = 0;
  ReadContextText(list, Keys::kChannelNameKey, channelContext_.name);
  ReadContextText(list, Keys::kChannelUIDKey, channelContext_.uid);
  if (list.getInt(Keys::kChannelIndexKey, value) == kResultTrue)
    channelContext_.index = static_cast<int32_t>(value);
  if (list.getInt(Keys::kChannelColorKey, value) == kResultTrue)
    channelContext_.colour = static_cast<uint32_t>(value);
  if (list.getInt(Keys::kChannelIndexNamespaceOrderKey, value) == kResultTrue) {
    channelContext_.namespaceOrder = static_cast<int32_t>(value);
  }
  ReadContextText(list, Keys::kChannelIndexNamespaceKey, channelContext_.indexNamespace);
}

}  // namespace plugfw
