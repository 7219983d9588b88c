#include "effect/halcyra.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "core/scoped_lock.h"
#include "editor/editor_graphics.h"
#include "editor/editor_layout.h"
#include "effect/factory_recipes.h"
#include "effect/state_chunk.h"
#include "graphics/editor_scale.h"
#include "graphics/gfx.h"

namespace halcyra {
namespace {

constexpr int32_t kMaxMainInputs = 2;
// The side-chain pair follows the main pair in the channel list, whatever the main bus carries.
constexpr int32_t kSidechainLeftChannel = 2;
constexpr int32_t kSidechainRightChannel = 3;
constexpr double kMatchRangeTolerance = 2e-6;
constexpr float kMatchFloorTolerance = 1e-5f;

bool MaskSilences(uint64_t mask, int channel) { return (mask >> channel) & 1u; }

}  // namespace

plugfw::PluginConfig MakeHalcyraConfig() {
  plugfw::PluginConfig config;
  config.paramCount = kParamCount;
  config.presetCount = kFactoryRecipeCount;
  config.channelIOStr = "1-1 1-2 2-2 1.1-1 1.2-1 1.1-2 1.2-2 2.1-2 2.2-2";
  config.pluginName = "HALCYRA";
  config.productName = "HALCYRA";
  config.makerName = "KESTRALYN";
  config.version = plugfw::PackVersion(0, 1, 0);
  config.uniqueId = plugfw::FourCharCode("Hlcy");
  config.makerId = plugfw::FourCharCode("Kstl");
  config.latency = 0;
  config.stateFlag = 1;
  config.processorKind = 0;
  config.editorPresent = 1;
  config.editorWidth = Halcyra::kEditorWidth;
  config.editorHeight = Halcyra::kEditorHeight;
  config.editorWidthBoundA = 393;
  config.editorWidthBoundB = 3540;
  config.editorHeightBoundA = 266;
  config.editorHeightBoundB = 2400;
  config.hostMayResize = 1;
  return config;
}

Halcyra::Halcyra(const InstanceInfo& info)
    : PluginWrapper(info, MakeHalcyraConfig()), engine_(std::make_unique<ChorusEngine>()) {
  const bool defined = DefineParameters();
  builtWhole_ = StoreRecipePresets() && defined;
  StoreBank();  // the inactive bank starts at the defaults
  SetMakeGraphicsFunction([this] { return MakeEditorGraphics(*this, kEditorWidth, kEditorHeight); });
  SetLayoutFunction([this](plugfw::gfx::IGfx& gfx) {
    const EditorLayout layout = BuildEditorLayout(this, &gfx);
    lastEditorLayout_ = {layout.view != nullptr, layout.fontLoaded, layout.logoLoaded};
  });
}

Halcyra::~Halcyra() {
  // The editor goes while every part it reaches is whole: its controls read the engine and
  // end their host gestures on the way out, which the bases' own close would be too late for.
  CloseEditorWindow();
  engine_.reset();
}

bool Halcyra::IsComplete() const {
  return PluginWrapper::IsComplete() && HoldsConfig(MakeHalcyraConfig()) && engine_ != nullptr && builtWhole_;
}

bool Halcyra::DefineParameters() {
  bool allTexts = true;
  for (int32_t i = 0; i < kParamCount && i < NParams(); ++i) {
    const ParamDefinition& definition = *GetParamDefinition(i);
    plugfw::IParam& param = *GetParam(i);
    switch (definition.kind) {
      case ParamKind::kStepped: {
        const auto min = static_cast<int32_t>(definition.minValue);
        const auto max = static_cast<int32_t>(definition.maxValue);
        param.InitIntParam(definition.name, static_cast<int32_t>(definition.defaultValue), min, max,
                           definition.unit, 0, "");
        for (int32_t v = min; v <= max; ++v)
          allTexts = param.AddDisplayText(v, ParamValueLabel(i, v)) && allTexts;
        break;
      }
      case ParamKind::kExponential:
        param.InitDoubleParam(definition.name, definition.defaultValue, definition.minValue,
                              definition.maxValue, ParamStep(definition.kind), definition.unit, 0, "",
                              plugfw::IParam::ShapeExp(), plugfw::kParamUnitCustom);
        break;
      case ParamKind::kLinear:
        param.InitDoubleParam(definition.name, definition.defaultValue, definition.minValue,
                              definition.maxValue, ParamStep(definition.kind), definition.unit, 0, "",
                              plugfw::IParam::ShapeLinear(), plugfw::kParamUnitCustom);
        break;
    }
  }
  return allTexts;
}

bool Halcyra::StoreRecipePresets() {
  const FactoryRecipe* recipes = FactoryRecipes();
  bool allStored = true;
  for (int32_t i = 0; i < kFactoryRecipeCount; ++i) {
    plugfw::HeapBuffer chunk(plugfw::HeapBuffer::kBlockGranularity);
    // A recipe that cannot be written leaves its slot "empty" rather than holding half a state.
    allStored = WriteStateChunk(chunk, recipes[i].values, recipes[i].values, i, 0) &&
                StorePresetChunk(recipes[i].name, chunk) && allStored;
  }
  return allStored;
}

void Halcyra::CurrentValues(float values[kParamCount]) const {
  for (int32_t i = 0; i < kParamCount; ++i) {
    const plugfw::IParam* param = GetParam(i);
    values[i] = param ? static_cast<float>(param->Value()) : ParamDefault(i);
  }
}

float Halcyra::InactiveBankValue(int32_t index) const {
  if (index < 0 || index >= kParamCount) return 0.0f;
  return inactiveBank_[index].load(std::memory_order_acquire);
}

int32_t Halcyra::TailSamples() const {
  float values[kParamCount];
  CurrentValues(values);
  return TailSamplesFromSeconds(ComputeTailSeconds(values), PluginSampleRate());
}

// A bulk change needs nothing more: each value reached the editor as it was stored, and the tail
// follows the values by itself.
void Halcyra::OnAllParamsChanged(plugfw::ParamSource /*source*/) {}

void Halcyra::ResetProcessing() {
  double rate = SampleRate();
  if (!std::isfinite(rate) || !(rate > 0)) rate = kDefaultSampleRate;
  sampleRate_.store(rate, std::memory_order_release);
  float values[kParamCount];
  CurrentValues(values);
  engine_->SetParameters(values);
  engine_->Reset(rate);
  SetLatencySamples(0);
  active_.store(true, std::memory_order_release);
}

void Halcyra::SetActive(bool active) {
  if (active) {
    ResetProcessing();
  } else {
    active_.store(false, std::memory_order_release);
  }
}

void Halcyra::SetHostBlockInfo(const HostBlockInfo& info) {
  block_ = info;
  hostDescribesBlocks_ = true;
}

void Halcyra::SilenceOutputs(float** outputs, int32_t outputCount, int32_t frames) const {
  for (int32_t c = 0; c < outputCount; ++c) {
    if (outputs[c]) std::fill(outputs[c], outputs[c] + frames, 0.0f);
  }
}

void Halcyra::FillSlice(float* const* inputs, int32_t mainInputs, int32_t offset, int32_t frames) {
  const auto take = [&](int channel, float* slice, uint64_t mask, int maskBit) {
    const float* source = inputs ? inputs[channel] : nullptr;
    if (!source || MaskSilences(mask, maskBit)) {
      std::fill(slice, slice + frames, 0.0f);
    } else {
      std::copy(source + offset, source + offset + frames, slice);
    }
  };
  if (mainInputs >= 2) {
    take(0, inputLeft_, block_.mainSilenceMask, 0);
    take(1, inputRight_, block_.mainSilenceMask, 1);
  } else if (mainInputs == 1) {
    take(0, inputLeft_, block_.mainSilenceMask, 0);
    std::copy(inputLeft_, inputLeft_ + frames, inputRight_);
  } else {
    std::fill(inputLeft_, inputLeft_ + frames, 0.0f);
    std::fill(inputRight_, inputRight_ + frames, 0.0f);
  }
  if (block_.sidechainPresent) {
    take(kSidechainLeftChannel, sidechainLeft_, block_.sidechainSilenceMask, 0);
    const bool hasRight = ChannelCount(plugfw::IODirection::kInput) > kSidechainRightChannel &&
                          GetChannel(plugfw::IODirection::kInput, kSidechainRightChannel)->connected.load();
    if (hasRight) {
      take(kSidechainRightChannel, sidechainRight_, block_.sidechainSilenceMask, 1);
    } else {
      std::copy(sidechainLeft_, sidechainLeft_ + frames, sidechainRight_);  // a mono side-chain
    }
  } else {
    std::fill(sidechainLeft_, sidechainLeft_ + frames, 0.0f);
    std::fill(sidechainRight_, sidechainRight_ + frames, 0.0f);
  }
}

void Halcyra::WriteSlice(float** outputs, int32_t outputCount, int32_t offset, int32_t frames) const {
  if (outputCount == 1) {
    if (!outputs[0]) return;
    for (int32_t i = 0; i < frames; ++i) {
      outputs[0][offset + i] = static_cast<float>(
          (static_cast<double>(outputLeft_[i]) + static_cast<double>(outputRight_[i])) * 0.5);
    }
    return;
  }
  for (int32_t c = 0; c < outputCount; ++c) {
    float* out = outputs[c];
    if (!out) continue;
    if (c == 0) {
      std::copy(outputLeft_, outputLeft_ + frames, out + offset);
    } else if (c == 1) {
      std::copy(outputRight_, outputRight_ + frames, out + offset);
    } else {
      std::fill(out + offset, out + offset + frames, 0.0f);
    }
  }
}

void Halcyra::ProcessAudio(float** inputs, float** outputs, int32_t frames) {
  if (frames < 1) return;
  int32_t mainInputs = std::min(ConnectedChannelCount(plugfw::IODirection::kInput), kMaxMainInputs);
  if (hostDescribesBlocks_) mainInputs = std::clamp(block_.mainInputChannels, 0, kMaxMainInputs);
  const int32_t outputCount = outputs ? ConnectedChannelCount(plugfw::IODirection::kOutput) : 0;
  if (!IsActive()) {
    SilenceOutputs(outputs, outputCount, frames);
    return;
  }
  float values[kParamCount];
  CurrentValues(values);
  engine_->SetParameters(values);
  engine_->SetTransport(block_.tempo, block_.songPosition, block_.playing, block_.tempoValid,
                        block_.positionValid);
  const float* const engineInputs[2] = {inputLeft_, inputRight_};
  float* const engineOutputs[2] = {outputLeft_, outputRight_};
  const float* const sidechain[2] = {sidechainLeft_, sidechainRight_};
  for (int32_t offset = 0; offset < frames; offset += kSliceFrames) {
    const int32_t slice = std::min(kSliceFrames, frames - offset);
    FillSlice(inputs, mainInputs, offset, slice);
    engine_->Process(engineInputs, engineOutputs, slice, HostBypass(), sidechain, block_.sidechainPresent);
    WriteSlice(outputs, outputCount, offset, slice);
  }
}

void Halcyra::HandleParentResize(int32_t width, int32_t height) {
  // The host may answer the resize this asks for with another parent resize, from inside it.
  plugfw::gfx::IGfx* gfx = GetEditorGraphics();
  if (resizing_ || gfx == nullptr || gfx->NControls() == 0) return;
  resizing_ = true;
  gfx->FitEditorToParent(width, height);
  resizing_ = false;
}

bool Halcyra::ConstrainParentSize(int32_t& width, int32_t& height) const {
  const plugfw::gfx::IGfx* gfx = GetEditorGraphics();
  const float windowScale = gfx != nullptr ? gfx->GetPlatformWindowScale() : 1.f;
  const float currentScale = gfx != nullptr ? gfx->GetDrawScale() : 0.f;
  plugfw::gfx::ParentFit fit;
  // No size at all is as far below the smallest zoom as any.
  if (!plugfw::gfx::FitScaleToParent(kEditorWidth, kEditorHeight, std::max(width, 1), std::max(height, 1),
                                     windowScale, static_cast<float>(kMinEditorScale),
                                     static_cast<float>(kMaxEditorScale), currentScale, fit)) {
    return true;
  }
  const bool fills = fit.fills && fit.width == width && fit.height == height;
  width = fit.width;
  height = fit.height;
  return fills;
}

bool Halcyra::WriteState(plugfw::HeapBuffer& chunk) const {
  float current[kParamCount];
  float inactive[kParamCount];
  CurrentValues(current);
  for (int32_t i = 0; i < kParamCount; ++i) inactive[i] = InactiveBankValue(i);
  return WriteStateChunk(chunk, current, inactive, RecipeIndex(), ActiveBank() ? 1 : 0);
}

int32_t Halcyra::ReadState(const plugfw::HeapBuffer& chunk, int32_t position) {
  StateChunkContents state;
  if (!ParseStateChunk(chunk, position, state)) return -1;
  for (int32_t i = 0; i < kParamCount; ++i) {
    plugfw::IParam* param = GetParam(i);
    if (!param) continue;
    param->Set(state.current[i]);
    SendParamValueToUI(i, param->GetNormalized(), true);
  }
  for (int32_t i = 0; i < kParamCount; ++i)
    inactiveBank_[i].exchange(state.inactive[i], std::memory_order_acq_rel);
  recipeIndex_.store(state.recipeIndex, std::memory_order_release);
  activeBank_.store(state.activeBank != 0, std::memory_order_release);
  return position + kStateChunkBytes;
}

void Halcyra::ApplyValues(const float values[kParamCount], bool informHost) {
  for (int32_t i = 0; i < kParamCount; ++i) {
    plugfw::IParam* param = GetParam(i);
    if (!param) continue;
    param->Set(values[i]);
    const double normalized = param->GetNormalized();
    if (informHost) {
      // The same gesture a single edit makes, so the host records a bulk change like any other.
      BeginHostParamEdit(i);
      SendParamValueToHost(i, normalized);
      EndHostParamEdit(i);
    }
    SendParamValueToUI(i, normalized, true);
  }
}

void Halcyra::StoreBank() {
  float current[kParamCount];
  CurrentValues(current);
  for (int32_t i = 0; i < kParamCount; ++i) inactiveBank_[i].exchange(current[i], std::memory_order_acq_rel);
}

void Halcyra::SwapBanks() {
  float current[kParamCount];
  float remembered[kParamCount];
  CurrentValues(current);
  for (int32_t i = 0; i < kParamCount; ++i) {
    remembered[i] = inactiveBank_[i].exchange(current[i], std::memory_order_acq_rel);
  }
  ApplyValues(remembered, true);
  activeBank_.store(!ActiveBank(), std::memory_order_release);
}

void Halcyra::RecallRecipe(int32_t index) {
  if (index < 0 || index >= kFactoryRecipeCount) return;
  ApplyValues(FactoryRecipes()[index].values, true);
  recipeIndex_.store(index, std::memory_order_release);
}

int32_t Halcyra::MatchRecipe() const {
  float current[kParamCount];
  CurrentValues(current);
  const FactoryRecipe* recipes = FactoryRecipes();
  for (int32_t r = 0; r < kFactoryRecipeCount; ++r) {
    bool matches = true;
    for (int32_t i = 0; i < kParamCount && matches; ++i) {
      const ParamDefinition& definition = *GetParamDefinition(i);
      const float tolerance =
          std::max((definition.maxValue - definition.minValue) * static_cast<float>(kMatchRangeTolerance),
                   kMatchFloorTolerance);
      matches = std::fabs(current[i] - recipes[r].values[i]) <= tolerance;
    }
    if (matches) return r;
  }
  return -1;
}

std::unique_ptr<Halcyra> CreatePluginInstance(const Halcyra::InstanceInfo& info) {
  // A function-local static is created once, thread-safely, and destroyed at exit.
  static plugfw::CriticalSection creationLock;
  plugfw::ScopedLock lock(&creationLock);
  std::unique_ptr<Halcyra> plugin;
  try {
    plugin.reset(new Halcyra(info));
  } catch (...) {
    // Construction allocates through the standard library (engine, timer, host-side objects);
    // whatever that throws ends here, so no host and no program start ever sees it.
    return nullptr;
  }
  // The framework's own containers leave out what they could not get instead of throwing.
  if (!plugin->IsComplete()) return nullptr;
  return plugin;
}

}  // namespace halcyra
