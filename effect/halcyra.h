#pragma once
// Halcyra: the plug-in object - parameter owner, host-API adapter, editor delegate and audio
// processor in one. It defines the 128 parameters, owns the chorus engine, stores the 40
// factory recipes as presets, keeps the A/B banks and the 1044-byte state, and feeds the
// engine in slices of at most 512 frames. Bank, recipe and state operations run on the UI
// thread, the block entry on the audio thread, preparation at set-up. What several threads
// touch (values, the inactive bank, recipe index, active bank, flags) is atomic; the tail is
// worked out from the values whenever it is asked for.

#include <atomic>
#include <cstdint>
#include <memory>

#include "core/heap_buffer.h"
#include "core/plugin_config.h"
#include "effect/chorus_engine.h"
#include "effect/param_table.h"
#include "effect/plugin_wrapper.h"

namespace halcyra {

// Any thread: the configuration the plug-in hands to its framework bases.
plugfw::PluginConfig MakeHalcyraConfig();

class Halcyra : public PluginWrapper {
 public:
  static constexpr int32_t kSliceFrames = 512;
  static constexpr int32_t kEditorWidth = 1180;
  static constexpr int32_t kEditorHeight = 800;

  // Set-up: make it through CreatePluginInstance, which refuses an object that is not complete.
  explicit Halcyra(const InstanceInfo& info);
  ~Halcyra() override;

  // Set-up. True when construction got every part: the wrapper's, every parameter with its display
  // texts, every recipe preset, the names and the engine.
  bool IsComplete() const;

  // Audio thread: the block entry. No allocation, no lock; silence while not prepared.
  void ProcessAudio(float** inputs, float** outputs, int32_t frames) override;
  // Set-up: the engine reset at the processor's sample rate, then prepared; SetActive(false) only
  // stops the sound.
  void ResetProcessing() override;
  void SetActive(bool active) override;

  // UI thread: the editor delegate's and the plug-in base's hooks. The state may be written and
  // read while the audio thread processes; ReadState returns position + 1044, or -1 with nothing
  // changed.
  // The editor zooms to fill its parent (0.85 to 1.5 of 1180 x 800 units); a parent it cannot
  // fill is asked for the nearest size it can, which ConstrainParentSize gives.
  void HandleParentResize(int32_t width, int32_t height) override;
  bool ConstrainParentSize(int32_t& width, int32_t& height) const override;
  void OnAllParamsChanged(plugfw::ParamSource source) override;
  bool WriteState(plugfw::HeapBuffer& chunk) const override;
  int32_t ReadState(const plugfw::HeapBuffer& chunk, int32_t position) override;

  // UI thread: banks and recipes, as the editor's buttons and menus call them.
  void ApplyValues(const float values[kParamCount], bool informHost);
  void StoreBank();
  void SwapBanks();
  void RecallRecipe(int32_t index);
  int32_t MatchRecipe() const;

  // UI thread. What the editor's last opening could load: without the font every text of the
  // editor stays blank, without the logo the brand shows its name instead.
  struct EditorLayoutReport {
    bool built = false;
    bool fontLoaded = false;
    bool logoLoaded = false;
  };
  EditorLayoutReport LastEditorLayout() const { return lastEditorLayout_; }

  // Any thread: atomic loads.
  void CurrentValues(float values[kParamCount]) const;
  float InactiveBankValue(int32_t index) const;
  int32_t RecipeIndex() const { return recipeIndex_.load(std::memory_order_acquire); }
  bool ActiveBank() const { return activeBank_.load(std::memory_order_acquire); }
  // Any thread, also the audio thread (no allocation, no lock): the tail of the current values at the
  // rate of the last reset, in samples; -1 for an infinite one. Worked out from the values on every
  // call and kept nowhere, so no change on one thread can leave behind a tail of values another
  // thread was replacing.
  int32_t TailSamples() const;
  bool IsActive() const { return active_.load(std::memory_order_acquire); }
  double PluginSampleRate() const { return sampleRate_.load(std::memory_order_acquire); }
  // Any thread: the engine's own snapshot readers are safe beside the audio thread; anything else
  // of it is the audio thread's.
  const ChorusEngine& Engine() const { return *engine_; }
  // Any thread: the editor says it opens (true) or closes (false). While no editor reads them the
  // engine skips the spectra; the first block after the switch turns on publishes fresh ones.
  void SetDisplayReaderPresent(bool present) { engine_->SetDisplayReaderPresent(present); }

  // Audio thread: set per block by a wrapper whose host describes its buses and transport (the
  // VST3 build). Without it the main input count is the number of connected inputs and no
  // side-chain exists.
  struct HostBlockInfo {
    int32_t mainInputChannels = 2;
    bool sidechainPresent = false;
    uint64_t mainSilenceMask = 0;
    uint64_t sidechainSilenceMask = 0;
    double tempo = plugfw::TransportInfo::kDefaultTempo;
    double songPosition = 0.0;
    bool playing = false;
    bool tempoValid = false;
    bool positionValid = false;
  };
  void SetHostBlockInfo(const HostBlockInfo& info);
  // Any thread: atomic. The host's bypass switch, handed to the engine as its bypass request (it
  // crossfades); the audio thread sets it from the host's changes, the UI thread from a state.
  void SetHostBypass(bool bypass) { hostBypass_.store(bypass, std::memory_order_release); }
  bool HostBypass() const { return hostBypass_.load(std::memory_order_acquire); }

 private:
  // False when a display text or a recipe could not be stored.
  bool DefineParameters();
  bool StoreRecipePresets();
  void FillSlice(float* const* inputs, int32_t mainInputs, int32_t offset, int32_t frames);
  void WriteSlice(float** outputs, int32_t outputCount, int32_t offset, int32_t frames) const;
  void SilenceOutputs(float** outputs, int32_t outputCount, int32_t frames) const;

  std::unique_ptr<ChorusEngine> engine_;
  std::atomic<float> inactiveBank_[kParamCount];
  std::atomic<int32_t> recipeIndex_{0};
  std::atomic<bool> activeBank_{false};
  std::atomic<double> sampleRate_{kDefaultSampleRate};
  std::atomic<bool> active_{false};
  std::atomic<bool> hostBypass_{false};
  bool builtWhole_ = false;
  bool resizing_ = false;
  EditorLayoutReport lastEditorLayout_;
  bool hostDescribesBlocks_ = false;
  HostBlockInfo block_;
  float inputLeft_[kSliceFrames] = {};
  float inputRight_[kSliceFrames] = {};
  float outputLeft_[kSliceFrames] = {};
  float outputRight_[kSliceFrames] = {};
  float sidechainLeft_[kSliceFrames] = {};
  float sidechainRight_[kSliceFrames] = {};
};

// Set-up, from any host thread: the only way the plug-in object is made; construction is
// serialised process-wide by a lock the audio thread never takes. Null when
// memory for any part of it could not be had; never throws.
std::unique_ptr<Halcyra> CreatePluginInstance(const Halcyra::InstanceInfo& info);

}  // namespace halcyra
