#pragma once
// Halcyra: the plug-in object - parameter owner, host-API adapter, editor delegate and audio
// processor in one. It defines the 128 parameters, owns the chorus engine, stores the 40
// factory recipes as presets, keeps the A/B banks and the 1044-byte state, and feeds the
// engine in slices of at most 512 frames. Bank, recipe and state operations run on the UI or
// the host's state thread; ProcessAudio on the audio thread. What several threads touch (the
// inactive bank, recipe index, active bank, tail, active flag) is atomic.

#include <atomic>
#include <cstdint>
#include <memory>

#include "core/heap_buffer.h"
#include "core/plugin_config.h"
#include "effect/chorus_engine.h"
#include "effect/param_table.h"
#include "effect/plugin_wrapper.h"

namespace halcyra {

// The configuration the plug-in hands to its framework bases.
plugfw::PluginConfig MakeHalcyraConfig();

// The editor scale that fits a parent window of width x height device pixels at the given
// platform scale, limited to 0.85 .. 1.5; `limited` tells whether the limit applied. False
// when the sizes or the scale are unusable (not above 0, not finite).
bool EditorScaleForParent(int32_t width, int32_t height, double platformScale, double& scale, bool& limited);

class Halcyra : public PluginWrapper {
 public:
  static constexpr int32_t kSliceFrames = 512;
  static constexpr int32_t kEditorWidth = 1180;
  static constexpr int32_t kEditorHeight = 800;
  static constexpr double kFallbackSampleRate = 48000.0;

  explicit Halcyra(const InstanceInfo& info);
  ~Halcyra() override;

  // Processor.
  void ProcessAudio(float** inputs, float** outputs, int32_t frames) override;
  void ResetProcessing() override;
  void SetActive(bool active) override;

  // Editor delegate and plug-in base.
  void HandleParentResize(int32_t width, int32_t height) override;
  void ParamChanged(int32_t paramIdx) override;
  void OnAllParamsChanged(plugfw::ParamSource source) override;
  bool WriteState(plugfw::HeapBuffer& chunk) const override;
  // Returns position + 1044, or -1 with nothing changed.
  int32_t ReadState(const plugfw::HeapBuffer& chunk, int32_t position) override;

  // Banks and recipes, UI thread.
  void ApplyValues(const float values[kParamCount], bool informHost);
  void StoreBank();
  void SwapBanks();
  void RecallRecipe(int32_t index);
  int32_t MatchRecipe() const;
  void RecomputeTail();

  void CurrentValues(float values[kParamCount]) const;
  float InactiveBankValue(int32_t index) const;
  int32_t RecipeIndex() const { return recipeIndex_.load(std::memory_order_acquire); }
  bool ActiveBank() const { return activeBank_.load(std::memory_order_acquire); }
  int32_t TailSamples() const { return tailSamples_.load(std::memory_order_acquire); }
  bool IsActive() const { return active_.load(std::memory_order_acquire); }
  double PluginSampleRate() const { return sampleRate_.load(std::memory_order_acquire); }
  const ChorusEngine& Engine() const { return *engine_; }
  // Any thread: the editor says it opens (true) or closes (false). While no editor reads them the
  // engine skips the spectra; the first block after the switch turns on publishes fresh ones.
  void SetDisplayReaderPresent(bool present) { engine_->SetDisplayReaderPresent(present); }

  // Set per block by a wrapper whose host describes its buses and transport (the VST3 build).
  // Without it the main input count is the number of connected inputs and no side-chain exists.
  struct HostBlockInfo {
    int32_t mainInputChannels = 2;
    bool sidechainPresent = false;
    uint64_t mainSilenceMask = 0;
    uint64_t sidechainSilenceMask = 0;
    double tempo = 120.0;
    double songPosition = 0.0;
    bool playing = false;
    bool tempoValid = false;
    bool positionValid = false;
  };
  void SetHostBlockInfo(const HostBlockInfo& info);
  // The host's bypass switch, handed to the engine as its bypass request (it crossfades).
  void SetHostBypass(bool bypass) { hostBypass_.store(bypass, std::memory_order_release); }
  bool HostBypass() const { return hostBypass_.load(std::memory_order_acquire); }

#if defined(HALCYRA_VST3_ENTRIES)
  // The VST3 build's own processing and state entries.
  static constexpr int32_t kVst3StateBytes = 1048;
  Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;
  Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) override;
  Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) override;
  Steinberg::uint32 PLUGIN_API getTailSamples() override;

 private:
  bool ValidateProcessData(const Steinberg::Vst::ProcessData& data) const;
  void SilenceRefusedOutputs(Steinberg::Vst::ProcessData& data) const;
  void CaptureTransport(const Steinberg::Vst::ProcessContext* context);
  void ApplyHostParameterChanges(Steinberg::Vst::IParameterChanges* changes);
  void CaptureBuses(const Steinberg::Vst::ProcessData& data);
  void SetOutputSilenceFlags(Steinberg::Vst::ProcessData& data) const;

 public:
#endif

 private:
  void DefineParameters();
  void StoreRecipePresets();
  void FillSlice(float* const* inputs, int32_t mainInputs, int32_t offset, int32_t frames);
  void WriteSlice(float** outputs, int32_t outputCount, int32_t offset, int32_t frames) const;
  void ApplyValuesWithoutTail(const float values[kParamCount], bool informHost);
  void SilenceOutputs(float** outputs, int32_t outputCount, int32_t frames) const;

  std::unique_ptr<ChorusEngine> engine_;
  std::atomic<float> inactiveBank_[kParamCount];
  std::atomic<int32_t> recipeIndex_{0};
  std::atomic<bool> activeBank_{false};
  std::atomic<double> sampleRate_{kFallbackSampleRate};
  std::atomic<int32_t> tailSamples_{0};
  std::atomic<bool> active_{false};
  std::atomic<bool> hostBypass_{false};
  bool resizing_ = false;
  bool hostDescribesBlocks_ = false;
  HostBlockInfo block_;
  float inputLeft_[kSliceFrames] = {};
  float inputRight_[kSliceFrames] = {};
  float outputLeft_[kSliceFrames] = {};
  float outputRight_[kSliceFrames] = {};
  float sidechainLeft_[kSliceFrames] = {};
  float sidechainRight_[kSliceFrames] = {};
};

// The only way the plug-in object is made: construction is serialised process-wide. Null when
// memory for it could not be had.
std::unique_ptr<Halcyra> CreatePluginInstance(const Halcyra::InstanceInfo& info);

}  // namespace halcyra
