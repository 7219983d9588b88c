#pragma once
// IPluginBase: the part of the plug-in object that knows what the plug-in is - names,
// identifiers, version, the host it runs in, its preset slots - and turns parameter values
// into a byte chunk and back. Construction and host identification are set-up, presets and
// state run on the UI thread; the host code, host version and current preset index are atomic
// so that any thread may read them.

#include <atomic>
#include <cstdint>

#include "core/heap_buffer.h"
#include "core/heap_string.h"
#include "core/plugin_config.h"
#include "core/pointer_list.h"
#include "graphics/gfx_editor_delegate.h"

namespace plugfw {

enum HostCode : int32_t {
  kHostUninit = -1,
  kHostUnknown = 0,
  kHostReaper = 1,
  kHostProTools = 2,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostCakewalk = 5,
  kHostVegas = 6,
  kHostFruity = 7,
  kHostSamplitude = 8,
  kHostLive = 9,
  kHostTracktion = 10,
  kHostNTracks = 11,
  kHostMelodyne = 12,
  kHostVSTManLib = 13,
  kHostAULab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostBias = 19,
  kHostSawStudio = 20,
  kHostLogic = 21,
  kHostGarageBand = 22,
  kHostDigitalPerformer = 23,
  kHostStandalone = 24,
  kHostAudioMulch = 25,
  kHostPreSonus = 26,
  kHostVST3TestHost = 27,
  kHostArdour = 28,
  kHostRenoise = 29,
  kHostOpenMPT = 30,
  kHostWaveLab = 31,
  kHostWaveLabElements = 32,
  kHostTwistedWave = 33,
  kHostBitwig = 34,
  kHostWWW = 35,
  kHostReason = 36,
  kHostGWVST = 37,
  kHostWaveform = 38,
  kHostAudacity = 39,
  kHostAcoustica = 40,
  kHostPluginDoctor = 41,
  kHostIZotopeRX = 42,
  kHostSAVIHost = 43,
  kHostBlueCat = 44,
  kHostMixbus = 45,
};

class IPluginBase : public gfx::IGfxEditorDelegate {
 public:
  static constexpr int32_t kMaxConfigNameLength = 128;
  static constexpr int32_t kSerializedParamBytes = 8;

  // Set-up. Parameter records first (in the delegate), then one preset slot per preset, each
  // named "empty". Should storage run out, fewer slots exist; NPresets() tells.
  IPluginBase(int32_t nParams, int32_t nPresets);
  ~IPluginBase() override = default;

  // UI thread: state hooks, in this order after the delegate's operations. The state may be
  // written and read while the audio thread processes.
  virtual void NotifyHostParamInfoChanged() {}
  virtual bool WriteState(HeapBuffer& chunk) const { return SerializeParams(chunk); }
  // Returns the position after the state, or -1.
  virtual int32_t ReadState(const HeapBuffer& chunk, int32_t startPos) {
    return UnserializeParams(chunk, startPos);
  }
  virtual bool WriteExtraState(HeapBuffer& /*chunk*/) const { return true; }
  virtual int32_t ReadExtraState(const HeapBuffer& /*chunk*/, int32_t startPos) { return startPos; }
  virtual void ReservedHook() {}
  virtual void OnPresetRestored() {}
  // Set-up: host hooks run at the end of SetHost, identified first, then settled. The API base
  // gives them their place among its own operations; empty here.
  virtual void OnHostSettled() {}
  virtual void OnHostIdentified() {}

  // UI thread. Appends each parameter's value as a little-endian IEEE-754 double, index order, no
  // header. False when the chunk could not grow; it is then left at its old size.
  bool SerializeParams(HeapBuffer& chunk) const;
  // UI thread. Reads values written by SerializeParams from startPos, clamping each, then runs
  // OnAllParamsChanged(Preset). Returns startPos + 8 per parameter, or -1 with nothing
  // changed (no value written, no hook run) when the position is negative or the chunk
  // ends before the last value.
  int32_t UnserializeParams(const HeapBuffer& chunk, int32_t startPos);

  // Set-up. Fills the first free slot with the name (cut below 256 bytes) and a copy of the chunk.
  // False when every slot is taken (the preset is dropped) or the copy could not be had
  // (the slot stays free).
  bool StorePresetChunk(const char* name, const HeapBuffer& chunk);
  // Any thread: read-only after set-up. Null for an index outside the slots.
  int32_t NPresets() const { return presets_.Count(); }
  const PluginPreset* GetPreset(int32_t index) const { return presets_.Get(index); }
  // Any thread: atomic.
  int32_t CurrentPresetIndex() const { return currentPresetIndex_.load(std::memory_order_relaxed); }
  void SetCurrentPresetIndex(int32_t index) { currentPresetIndex_.store(index, std::memory_order_relaxed); }

  // Set-up. True when construction got all the configuration asks for: every parameter record,
  // every preset slot and the names. Memory that could not be had leaves parts out instead of
  // throwing.
  bool HoldsConfig(const PluginConfig& config) const;

  // Set-up. Stores the host's name and packed version, classifies the name, then runs
  // OnHostIdentified and OnHostSettled.
  void SetHost(const char* name, int32_t packedVersion);
  // Any thread: pure. The first listed product name found in name, ignoring ASCII case, or kHostUnknown.
  // Any length is searched; a null name is unknown.
  static HostCode ClassifyHostName(const char* name);

  // Any thread: fixed at set-up or atomic. Packed, or major * 10000 + minor * 100 + patch in
  // decimal form.
  static int32_t VersionNumber(int32_t packedVersion, bool decimal);
  int32_t VersionNumber(bool decimal = false) const { return VersionNumber(version_, decimal); }
  int32_t HostVersion(bool decimal = false) const {
    return VersionNumber(hostVersion_.load(std::memory_order_relaxed), decimal);
  }
  HostCode GetHost() const { return static_cast<HostCode>(hostCode_.load(std::memory_order_relaxed)); }
  // UI thread: written by SetHost.
  const char* HostName() const { return hostName_.Get(); }

  // Any thread: read-only after set-up.
  const char* PluginName() const { return pluginName_.Get(); }
  const char* ProductName() const { return productName_.Get(); }
  const char* MakerName() const { return makerName_.Get(); }
  const char* ExtraTextA() const { return extraTextA_.Get(); }
  const char* ExtraTextB() const { return extraTextB_.Get(); }
  int32_t UniqueId() const { return uniqueId_; }
  int32_t MakerId() const { return makerId_; }
  int32_t ApiKind() const { return apiKind_; }
  uint8_t StateFlag() const { return stateFlag_; }
  bool HasEditor() const { return editorPresent_ != 0; }
  bool HostMayResizeEditor() const { return hostMayResize_ != 0; }

 protected:
  // Set-up. The API base's copy of the configuration: names (at most 128 characters each), IDs,
  // version, editor flags, size and bounds, state flag, API kind and the further texts.
  void CopyConfig(const PluginConfig& config, int32_t apiKind);

 private:
  std::atomic<int32_t> currentPresetIndex_{0};
  HeapString pluginName_;
  HeapString productName_;
  HeapString makerName_;
  int32_t uniqueId_ = 0;
  int32_t makerId_ = 0;
  int32_t version_ = 0;
  std::atomic<int32_t> hostVersion_{0};
  std::atomic<int32_t> hostCode_{kHostUninit};
  HeapString hostName_;
  int32_t apiKind_ = 0;
  HeapString extraTextA_;
  HeapString extraTextB_;
  uint8_t stateFlag_ = 0;
  uint8_t editorPresent_ = 0;
  uint8_t hostMayResize_ = 0;
  PointerList<PluginPreset> presets_;
};

}  // namespace plugfw
