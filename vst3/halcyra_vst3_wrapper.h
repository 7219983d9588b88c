#pragma once
// The VST3 build's wrapper for the plug-in class: the framework's VST3 wrapper with the plug-in's
// own processing, state and tail entries - strict checks of the host's processing data, the host's
// parameter changes and bypass (which the engine crossfades), transport and bus bookkeeping,
// output silence flags, and the 1048-byte component state (the 1044-byte plug-in state and the
// host bypass). The plug-in class derives from it, so these entries reach the plug-in's own
// members through Plugin().

#include <cstdint>

#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "vst3/vst3_wrapper.h"

namespace halcyra {

class Halcyra;

class HalcyraVst3Wrapper : public plugfw::IVST3Wrapper {
 public:
  static constexpr int32_t kVst3StateBytes = 1048;

  using IVST3Wrapper::IVST3Wrapper;

  // Audio thread.
  Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;
  // UI thread, also while the audio thread processes.
  Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) override;
  Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) override;
  // Any thread: atomic.
  Steinberg::uint32 PLUGIN_API getTailSamples() override;

 protected:
  // UI thread: the plug-in keeps the host's bypass itself.
  bool IsHostBypassed() const override;

 private:
  Halcyra& Plugin();
  const Halcyra& Plugin() const;
  bool ValidateProcessData(const Steinberg::Vst::ProcessData& data) const;
  void ApplyHostParameterChanges(Steinberg::Vst::IParameterChanges* changes);
};

using PluginWrapper = HalcyraVst3Wrapper;

}  // namespace halcyra
