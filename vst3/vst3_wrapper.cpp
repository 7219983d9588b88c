#include "vst3/vst3_wrapper.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "pluginterfaces/vst/ivsthostapplication.h"
#include "vst3/host_context_menu.h"
#include "vst3/vst3_midi_events.h"
#include "vst3/vst3_text.h"
#include "vst3/vst3_view.h"

namespace plugfw {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr int32_t kMaxBusNameUnits = 128;
constexpr int32_t kHostNameBytes = 4 * 128 + 1;
constexpr int32_t kMaxArrangedBuses = 64;

// Counts the calls of the host that must not be interrupted by a restart request.
class HostCallScope {
 public:
  explicit HostCallScope(std::atomic<int32_t>& depth) : depth_(depth) { depth_.fetch_add(1); }
  ~HostCallScope() { depth_.fetch_sub(1); }

 private:
  std::atomic<int32_t>& depth_;
};

}  // namespace

IVST3Wrapper::IVST3Wrapper(const InstanceInfo& /*info*/, const PluginConfig& config)
    : IApiBase(config, kApiKindVST3), IVST3ProcessorBase(config, *this) {
  // Until the host's set-up, blocks are checked against the scratch size actually allocated.
  processSetup_.maxSamplesPerBlock = BlockSize();
  maxSamplesPerBlock_.store(BlockSize());
  symbolicSampleSize_.store(processSetup_.symbolicSampleSize);
  CreateApiTimer();
}

IVST3Wrapper::~IVST3Wrapper() {
  // A host may release the component without terminate; what terminate lets go of goes here.
  if (IsHostInitialized()) {
    ForgetParameters();
    SingleComponentEffect::terminate();
  }
  setComponentHandler(nullptr);
}

bool IVST3Wrapper::IsComplete() const {
  const bool delayNeeded = ChannelCount(IODirection::kInput) > 0;
  return QueuesAllocated() && ChannelsComplete() && BlockSize() == kInitialBlockFrames &&
         MidiOutputCapacity() > 0 && (!delayNeeded || GetLatencyDelay() != nullptr);
}

Steinberg::IPlugView* PLUGIN_API IVST3Wrapper::createView(Steinberg::FIDString name) {
  if (!HasEditor() || name == nullptr || std::strcmp(name, Steinberg::Vst::ViewType::kEditor) != 0) {
    return nullptr;
  }
  IVST3View* view = nullptr;
  try {
    view = new (std::nothrow) IVST3View(*this);
  } catch (...) {
    view = nullptr;  // the SDK's view base allocates through the standard library
  }
  if (view == nullptr) return nullptr;
  // A view that shows the editor keeps its resize requests; a new one only takes over when none does.
  if (view_ == nullptr || !view_->EditorOpen()) view_ = view;
  return view;
}

void IVST3Wrapper::ForgetView(const IVST3View* view) {
  if (view_ == view) view_ = nullptr;
}

bool IVST3Wrapper::ShowControlContextMenu(gfx::IGfx& gfx, gfx::IControl* control, int32_t paramIdx, float x,
                                          float y) {
  Steinberg::IPlugView* openView = view_ != nullptr && view_->EditorOpen() ? view_ : nullptr;
  ShowHostContextMenu(gfx, control, paramIdx, x, y, componentHandler, openView);
  return true;
}

bool IVST3Wrapper::ResizeFromUI(int32_t width, int32_t height, bool resizeHost) {
  if (resizeHost) {
    RequestEditorResize(width, height);
  } else {
    SetEditorSize(width, height);
  }
  // The host's windows are the host's: whatever it answered, the editor window never resizes
  // them itself.
  return true;
}

bool IVST3Wrapper::RequestEditorResize(int32_t width, int32_t height) {
  if (!HasEditor()) return true;
  SetEditorSize(width, height);
  // Not from inside a request: the host may answer one with onSize at once, and the editor
  // settles on what it was given without asking again.
  if (view_ == nullptr || !view_->HasFrame() || requestingResize_ || view_->FrameHasSize(width, height))
    return true;
  requestingResize_ = true;
  const bool accepted = view_->ResizeThroughFrame(width, height);
  // Refused, the host keeps its size, and the editor goes back to it (unless the host removed
  // the view meanwhile).
  if (!accepted && view_ != nullptr) view_->FitEditorToFrame();
  requestingResize_ = false;
  return accepted;
}

const IOConfig* IVST3Wrapper::LayoutWithMostBuses(IODirection direction) const {
  const IOConfig* best = nullptr;
  for (int32_t i = 0; i < IOConfigCount(); ++i) {
    const IOConfig* layout = GetIOConfig(i);
    // Ties go to the later layout.
    if (!best || layout->Buses(direction).Count() >= best->Buses(direction).Count()) best = layout;
  }
  return best;
}

bool IVST3Wrapper::BuildAudioBuses(const IOConfig* inputLayout, const IOConfig* outputLayout, BusList& inputs,
                                   BusList& outputs) const {
  try {
    for (IODirection direction : {IODirection::kInput, IODirection::kOutput}) {
      const IOConfig* layout = direction == IODirection::kInput ? inputLayout : outputLayout;
      if (!layout) continue;
      const PointerList<IOBus>& buses = layout->Buses(direction);
      for (int32_t i = 0; i < buses.Count(); ++i) {
        HeapString name;
        ChannelBusName(direction, i, buses.Count(), name);
        TChar wide[kMaxBusNameUnits + 1];
        Utf8ToUtf16(name.Get(), wide, kMaxBusNameUnits + 1);
        const SpeakerArrangement arrangement = SpeakerArrangementForChannelCount(buses.Get(i)->channels);
        const BusType type = i == 0 ? kMain : kAux;
        const int32 flags = i == 0 ? BusInfo::kDefaultActive : 0;
        AudioBus* bus =
            AddAudioBus(direction == IODirection::kInput ? inputs : outputs, wide, arrangement, type, flags);
        // A host that never activates buses still hears the main pair.
        bus->setActive(i == 0);
      }
    }
    if (ProcessorKind() == 2 && outputs.empty()) AddAudioBus(outputs, STR16("Dummy Output"), 0, kMain, 0);
  } catch (...) {
    return false;  // the SDK's bus objects and lists come from the standard library's allocator
  }
  return true;
}

bool IVST3Wrapper::MakeBusesAndParameters() {
  BusList inputs(kAudio, kInput);
  BusList outputs(kAudio, kOutput);
  if (!BuildAudioBuses(LayoutWithMostBuses(IODirection::kInput), LayoutWithMostBuses(IODirection::kOutput),
                       inputs, outputs)) {
    return false;
  }
  SwapAudioBuses(inputs, outputs);
  try {
    if (TakesMidiInput()) AddEventInput(STR16("MIDI Input"), 1, kMain, BusInfo::kDefaultActive);
    if (SendsMidiOutput()) AddEventOutput(STR16("MIDI Output"), 1, kMain, BusInfo::kDefaultActive);
    BuildParameters(*this, parameters, *this, ProcessorKind() == 1, TakesMidiInput(), IsHostBypassed());
  } catch (...) {
    return false;
  }
  return true;
}

tresult PLUGIN_API IVST3Wrapper::initialize(FUnknown* context) {
  if (IsHostInitialized() || SingleComponentEffect::initialize(context) != kResultOk) return kResultFalse;
  if (!MakeBusesAndParameters()) {
    // What was made goes again: a host may retry, or release the component, as after any refusal.
    ForgetParameters();
    ForgetInitialization();
    return kResultFalse;
  }
  FUnknownPtr<IHostApplication> host(context);
  if (GetHost() == kHostUninit && host) {
    String128 wide = {};
    if (host->getName(wide) == kResultOk) {
      wide[127] = 0;
      char name[kHostNameBytes];
      Utf16ToUtf8(wide, name, sizeof name);
      SetHost(name, 0);
    }
  }
  OnHostSettled();
  OnAllParamsChanged(ParamSource::kReset);
  stage_.store(HostStage::kInitialized, std::memory_order_release);
  return kResultOk;
}

tresult PLUGIN_API IVST3Wrapper::terminate() {
  if (Stage() != HostStage::kInitialized) return kResultFalse;
  stage_.store(HostStage::kCreated, std::memory_order_release);
  ForgetParameters();
  return SingleComponentEffect::terminate();
}

tresult PLUGIN_API IVST3Wrapper::setActive(TBool state) {
  const bool activate = state != 0;
  if (activate == IsHostActive()) return kResultOk;
  if (!IsHostInitialized()) return kResultFalse;
  if (activate) {
    HostCallScope scope(hostCallDepth_);
    // Through the virtual table: the plug-in's own activation must run.
    static_cast<IProcessor*>(this)->SetActive(true);
    stage_.store(HostStage::kActive);
  } else {
    // Blocks begun while active still read the buses and the engine: they end first.
    stage_.store(HostStage::kInitialized);
    WaitForActiveBlocks();
    HostCallScope scope(hostCallDepth_);
    static_cast<IProcessor*>(this)->SetActive(false);
  }
  FlushDeferredRestart();
  return kResultOk;
}

bool IVST3Wrapper::IsSameSetup(const ProcessSetup& setup) const {
  return setup.processMode == processSetup_.processMode &&
         setup.symbolicSampleSize == processSetup_.symbolicSampleSize &&
         setup.maxSamplesPerBlock == processSetup_.maxSamplesPerBlock &&
         setup.sampleRate == processSetup_.sampleRate;
}

tresult PLUGIN_API IVST3Wrapper::setupProcessing(ProcessSetup& setup) {
  if (!IsHostInitialized()) return kResultFalse;
  if (setup.symbolicSampleSize != kSample32 && setup.symbolicSampleSize != kSample64) return kResultFalse;
  if (setup.maxSamplesPerBlock <= 0) return kResultFalse;
  // The audio thread reads the set-up and the scratch buffers a new one would replace.
  if (IsHostActive()) return IsSameSetup(setup) ? kResultOk : kResultFalse;
  {
    HostCallScope scope(hostCallDepth_);
    // A refused size keeps the old scratch buffers, so the old set-up must stay too.
    if (!SetBlockSize(setup.maxSamplesPerBlock)) return kResultFalse;
    // A queue that cannot be sized keeps its room and grows when a block needs more.
    ReserveMidiOutput(setup.maxSamplesPerBlock);
    processSetup_ = setup;
    maxSamplesPerBlock_.store(setup.maxSamplesPerBlock);
    symbolicSampleSize_.store(setup.symbolicSampleSize);
    SetSampleRate(setup.sampleRate);
    ResetProcessing();
    // Prepared at the new rate, but silent until the host activates the component.
    static_cast<IProcessor*>(this)->SetActive(false);
  }
  FlushDeferredRestart();
  return kResultOk;
}

tresult PLUGIN_API IVST3Wrapper::setProcessing(TBool state) {
  if (state != 0) return IsHostActive() ? kResultOk : kResultFalse;
  if (IsHostActive()) {
    HostCallScope scope(hostCallDepth_);
    ResetProcessing();
  }
  FlushDeferredRestart();
  return kResultOk;
}

tresult PLUGIN_API IVST3Wrapper::canProcessSampleSize(int32 symbolicSampleSize) {
  return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64 ? kResultOk : kResultFalse;
}

// Decides completely before it changes anything: a refused arrangement keeps the buses and the
// channel connections the host saw before.
tresult PLUGIN_API IVST3Wrapper::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                    SpeakerArrangement* outputs, int32 numOuts) {
  // These hosts ask for layouts the plug-in never declared and cope with what it has.
  if (GetHost() == kHostArdour || GetHost() == kHostMixbus) return kResultOk;
  if (!IsHostInitialized() || IsHostActive()) return kResultFalse;
  if (numIns < 0 || numOuts < 0 || (numIns > 0 && !inputs) || (numOuts > 0 && !outputs)) return kResultFalse;
  if (numIns > MaxBusCount(IODirection::kInput) || numOuts > MaxBusCount(IODirection::kOutput))
    return kResultFalse;
  int32_t inputChannels[kMaxArrangedBuses];
  int32_t outputChannels[kMaxArrangedBuses];
  if (numIns > kMaxArrangedBuses || numOuts > kMaxArrangedBuses) return kResultFalse;
  for (int32 i = 0; i < numIns; ++i) inputChannels[i] = SpeakerCount(inputs[i]);
  for (int32 i = 0; i < numOuts; ++i) outputChannels[i] = SpeakerCount(outputs[i]);
  const int32_t match = MatchIOConfig(inputChannels, numIns, outputChannels, numOuts);
  if (match < 0) return kResultFalse;
  BusList newInputs(kAudio, kInput);
  BusList newOutputs(kAudio, kOutput);
  if (!BuildAudioBuses(GetIOConfig(match), GetIOConfig(match), newInputs, newOutputs)) return kResultFalse;
  KeepBusActivation(audioInputs_, newInputs);
  KeepBusActivation(audioOutputs_, newOutputs);

  SwapAudioBuses(newInputs, newOutputs);
  // Reconnected per block from the buses the host then hands over.
  SetChannelsConnected(IODirection::kInput, 0, ChannelCount(IODirection::kInput), false);
  SetChannelsConnected(IODirection::kOutput, 0, ChannelCount(IODirection::kOutput), false);
  return kResultOk;
}

// A host that sends the arrangement it already has must not lose the side-chain it activated.
void IVST3Wrapper::KeepBusActivation(const BusList& before, BusList& after) const {
  for (size_t i = 0; i < after.size() && i < before.size(); ++i) {
    auto* was = FCast<AudioBus>(before[i].get());
    auto* is = FCast<AudioBus>(after[i].get());
    if (was && is && was->getArrangement() == is->getArrangement()) is->setActive(was->isActive());
  }
}

uint32 PLUGIN_API IVST3Wrapper::getLatencySamples() { return static_cast<uint32>(LatencySamples()); }

uint32 PLUGIN_API IVST3Wrapper::getTailSamples() {
  const int32_t tail = TailSize();
  return tail == kInfiniteTail ? kInfiniteTail : static_cast<uint32>(std::max(tail, 0));
}

tresult PLUGIN_API IVST3Wrapper::getParameterInfo(int32 paramIndex, ParameterInfo& info) {
  if (paramIndex < 0 || paramIndex >= parameters.getParameterCount()) return kInvalidArgument;
  return SingleComponentEffect::getParameterInfo(paramIndex, info);
}

ParamValue PLUGIN_API IVST3Wrapper::getParamNormalized(ParamID id) {
  Parameter* parameter = getParameterObject(id);
  return parameter ? parameter->getNormalized() : 0.0;
}

tresult PLUGIN_API IVST3Wrapper::setParamNormalized(ParamID id, ParamValue value) {
  Parameter* parameter = getParameterObject(id);
  if (!parameter || !std::isfinite(value)) return kResultFalse;
  parameter->setNormalized(value);
  const int32_t index = id < static_cast<ParamID>(NParams()) ? static_cast<int32_t>(id) : -1;
  if (IParam* param = GetParam(index)) {
    param->SetNormalized(value);
    ParamChangedUI(index, ParamSource::kHost);
    SendParamValueToUI(index, param->GetNormalized(), true);
  }
  return kResultOk;
}

tresult PLUGIN_API IVST3Wrapper::getProgramName(ProgramListID listId, int32 programIndex, String128 name) {
  if (listId != static_cast<ProgramListID>(kPresetParamId) || NPresets() < 1) return kResultFalse;
  const PluginPreset* preset = GetPreset(programIndex);
  Utf8ToUtf16(preset ? preset->name : "", name, 128);
  return kResultOk;
}

tresult PLUGIN_API IVST3Wrapper::getMidiControllerAssignment(int32 busIndex, int16 channel,
                                                             CtrlNumber controller, ParamID& id) {
  if (busIndex != 0 || channel != 0 || controller < 0 || controller >= kMidiControllersPerChannel)
    return kResultFalse;
  const ParamID candidate = kFirstMidiControllerId + static_cast<ParamID>(controller);
  // A host must not map a controller onto a parameter that does not exist.
  if (!getParameterObject(candidate)) return kResultFalse;
  id = candidate;
  return kResultOk;
}

tresult PLUGIN_API IVST3Wrapper::setChannelContextInfos(IAttributeList* list) {
  if (!list) return kResultFalse;
  ReadChannelContextInfos(*list);
  return kResultOk;
}

void IVST3Wrapper::BeginHostParamEdit(int32_t paramIdx) { beginEdit(static_cast<ParamID>(paramIdx)); }

void IVST3Wrapper::SendParamValueToHost(int32_t paramIdx, double normalizedValue) {
  const auto id = static_cast<ParamID>(paramIdx);
  if (Parameter* parameter = getParameterObject(id)) parameter->setNormalized(normalizedValue);
  performEdit(id, normalizedValue);
}

void IVST3Wrapper::EndHostParamEdit(int32_t paramIdx) { endEdit(static_cast<ParamID>(paramIdx)); }

void IVST3Wrapper::SetParamFromUI(int32_t paramIdx, double normalizedValue) {
  if (!IsValidParamIndex(paramIdx)) return;
  SetParamValueAndInformHost(paramIdx, normalizedValue);
  ParamChangedUI(paramIdx, ParamSource::kUI);
}

void IVST3Wrapper::ReportAllParamsToHost() {
  SyncParameterObjects();
  startGroupEdit();
  IApiBase::ReportAllParamsToHost();
  finishGroupEdit();
}

void IVST3Wrapper::SyncParameterObjects() {
  for (int32_t i = 0; i < NParams(); ++i) {
    if (Parameter* parameter = getParameterObject(static_cast<ParamID>(i))) {
      parameter->setNormalized(GetParam(i)->GetNormalized());
    }
  }
}

void IVST3Wrapper::NotifyHostParamInfoChanged() { RestartComponent(kParamTitlesChanged); }

void IVST3Wrapper::GetChannelName(HeapString& name) const { name.Set(ChannelInfo().name.Get()); }

int32_t IVST3Wrapper::GetChannelIndex() const { return ChannelInfo().index; }

void IVST3Wrapper::GetChannelNamespace(HeapString& text) const {
  text.Set(ChannelInfo().indexNamespace.Get());
}

int32_t IVST3Wrapper::GetChannelNamespaceOrder() const { return ChannelInfo().namespaceOrder; }

int32_t IVST3Wrapper::GetChannelColor(int32_t& red, int32_t& green, int32_t& blue) const {
  const uint32_t colour = ChannelInfo().colour;
  red = static_cast<int32_t>((colour >> 16) & 0xFF);
  green = static_cast<int32_t>((colour >> 8) & 0xFF);
  blue = static_cast<int32_t>(colour & 0xFF);
  return 0;
}

bool IVST3Wrapper::SetLatencySamples(int32_t samples) {
  const int32_t before = LatencySamples();
  if (!IVST3ProcessorBase::SetLatencySamples(samples)) return false;
  if (LatencySamples() == before) return true;
  if (hostCallDepth_.load() > 0) {
    latencyRestartPending_.store(true);
  } else {
    RestartComponent(kLatencyChanged);
  }
  return true;
}

void IVST3Wrapper::FlushDeferredRestart() {
  if (hostCallDepth_.load() == 0 && latencyRestartPending_.exchange(false)) RestartComponent(kLatencyChanged);
}

void IVST3Wrapper::RestartComponent(int32 flags) {
  if (componentHandler) componentHandler->restartComponent(flags);
}

void IVST3Wrapper::DrainProcessorQueues() {
  MidiMessage midi;
  while (PopMidiToEditor(midi)) SendMidiMsgToUI(midi);
  SysExMessage sysEx;
  while (PopSysExToEditor(sysEx)) SendSysExToUI(SysExRef{sysEx.sampleOffset, sysEx.size, sysEx.data});
  OnIdleTick();
}

void IVST3Wrapper::AttachBus(IODirection direction, int32_t firstChannel, AudioBusBuffers& bus,
                             int32_t frames, bool doublePrecision) {
  if (doublePrecision) {
    AttachHostBuffers(direction, firstChannel, bus.numChannels, bus.channelBuffers64, frames);
  } else {
    AttachHostFloatBuffers(direction, firstChannel, bus.numChannels, bus.channelBuffers32, frames);
  }
}

void IVST3Wrapper::AttachInputBuses(ProcessData& data) {
  const bool doublePrecision = data.symbolicSampleSize == kSample64;
  // Without buses no channel may keep last block's host buffer.
  SetChannelsConnected(IODirection::kInput, 0, ChannelCount(IODirection::kInput), false);
  if (data.numInputs <= 0) return;
  AudioBusBuffers& main = data.inputs[0];
  if (audioInputs_.size() < 2 || data.numInputs < 2) {
    SetChannelsConnected(IODirection::kInput, 0, main.numChannels, true);
    AttachBus(IODirection::kInput, 0, main, data.numSamples, doublePrecision);
    return;
  }
  AudioBusBuffers& sidechain = data.inputs[1];
  if (audioInputs_.at(1)->isActive()) {
    sidechainActive_ = true;
    SetChannelsConnected(IODirection::kInput, MainInputChannels(), sidechain.numChannels, true);
  } else if (sidechainActive_) {
    // The side-chain's last samples must not linger in its scratch once the bus is gone.
    ZeroScratchBuffers();
    sidechainActive_ = false;
  }
  SetChannelsConnected(IODirection::kInput, 0, main.numChannels, true);
  AttachBus(IODirection::kInput, 0, main, data.numSamples, doublePrecision);
  if (sidechainActive_)
    AttachBus(IODirection::kInput, MainInputChannels(), sidechain, data.numSamples, doublePrecision);
}

void IVST3Wrapper::AttachOutputBuses(ProcessData& data) {
  const bool doublePrecision = data.symbolicSampleSize == kSample64;
  if (data.numOutputs <= 0)
    SetChannelsConnected(IODirection::kOutput, 0, ChannelCount(IODirection::kOutput), false);
  int32_t first = 0;
  for (int32 b = 0; b < data.numOutputs; ++b) {
    AudioBusBuffers& bus = data.outputs[b];
    AudioBus* sdkBus = AudioBusAt(kOutput, b);
    SetChannelsConnected(IODirection::kOutput, first, bus.numChannels, sdkBus && sdkBus->isActive());
    SetChannelsConnected(IODirection::kOutput, first + bus.numChannels, ChannelCount(IODirection::kOutput),
                         false);
    AttachBus(IODirection::kOutput, first, bus, data.numSamples, doublePrecision);
    first += bus.numChannels;
  }
}

void IVST3Wrapper::ProcessBuses(ProcessData& data) {
  if (data.symbolicSampleSize != kSample32 && data.symbolicSampleSize != kSample64) return;
  AttachInputBuses(data);
  AttachOutputBuses(data);
  const bool doublePrecision = data.symbolicSampleSize == kSample64;
  if (IsBypassed()) {
    if (doublePrecision) {
      PassThroughBuffersDouble(data.numSamples);
    } else {
      PassThroughBuffers(data.numSamples);
    }
  } else if (doublePrecision) {
    ProcessHostBuffers(data.numSamples);
  } else {
    ProcessHostFloatBuffers(data.numSamples);
  }
}

}  // namespace plugfw
