#include "core/plugin_base.h"

#include <cstring>
#include <new>

#include "core/ascii_case.h"
#include "core/little_endian.h"
#include "core/utf8_prefix.h"

namespace plugfw {
namespace {

struct HostNameRule {
  const char* substring;
  HostCode code;
};

// Order decides overlaps: "wavelab elements" before "wavelab", and the generic words
// "standalone" and "www" only after every product name.
constexpr HostNameRule kHostNameRules[] = {
    {"reaper", kHostReaper},
    {"protools", kHostProTools},
    {"cubase", kHostCubase},
    {"nuendo", kHostNuendo},
    {"cakewalk", kHostCakewalk},
    {"vegas", kHostVegas},
    {"fruity", kHostFruity},
    {"samplitude", kHostSamplitude},
    {"live", kHostLive},
    {"tracktion", kHostTracktion},
    {"ntracks", kHostNTracks},
    {"melodyne", kHostMelodyne},
    {"vstmanlib", kHostVSTManLib},
    {"aulab", kHostAULab},
    {"forte", kHostForte},
    {"chainer", kHostChainer},
    {"audition", kHostAudition},
    {"orion", kHostOrion},
    {"bias", kHostBias},
    {"sawstudio", kHostSawStudio},
    {"logic", kHostLogic},
    {"garageband", kHostGarageBand},
    {"digital", kHostDigitalPerformer},
    {"audiomulch", kHostAudioMulch},
    {"presonus", kHostPreSonus},
    {"vst3plugintesthost", kHostVST3TestHost},
    {"ardour", kHostArdour},
    {"renoise", kHostRenoise},
    {"openmpt", kHostOpenMPT},
    {"wavelab elements", kHostWaveLabElements},
    {"wavelab", kHostWaveLab},
    {"twistedwave", kHostTwistedWave},
    {"bitwig studio", kHostBitwig},
    {"reason", kHostReason},
    {"gwvst", kHostGWVST},
    {"waveform", kHostWaveform},
    {"audacity", kHostAudacity},
    {"acoustica", kHostAcoustica},
    {"plugindoctor", kHostPluginDoctor},
    {"izotope rx", kHostIZotopeRX},
    {"savihost", kHostSAVIHost},
    {"blue cat's vst host", kHostBlueCat},
    {"mixbus", kHostMixbus},
    {"standalone", kHostStandalone},
    {"www", kHostWWW},
};

// Compares in place instead of lower-casing into a buffer, so no name is too long.
bool ContainsIgnoringAsciiCase(const char* text, const char* lowerNeedle) {
  for (; *text; ++text) {
    int32_t i = 0;
    while (lowerNeedle[i] && AsciiLower(text[i]) == lowerNeedle[i]) ++i;
    if (!lowerNeedle[i]) return true;
  }
  return false;
}

static_assert(IPluginBase::kSerializedParamBytes == sizeof(uint64_t), "a value is one IEEE-754 double");

void EncodeLittleEndianDouble(double value, uint8_t (&bytes)[IPluginBase::kSerializedParamBytes]) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  PutLittleEndian(bytes, bits);
}

double DecodeLittleEndianDouble(const uint8_t* bytes) {
  const uint64_t bits = GetLittleEndian<uint64_t>(bytes);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace

IPluginBase::IPluginBase(int32_t nParams, int32_t nPresets) : IGfxEditorDelegate(nParams) {
  for (int32_t i = 0; i < nPresets; ++i) {
    PluginPreset* preset = new (std::nothrow) PluginPreset();
    if (!preset) return;
    if (!presets_.Add(preset)) {
      delete preset;
      return;
    }
  }
}

void IPluginBase::CopyConfig(const PluginConfig& config, int32_t apiKind) {
  pluginName_.Set(config.pluginName, kMaxConfigNameLength);
  productName_.Set(config.productName, kMaxConfigNameLength);
  makerName_.Set(config.makerName, kMaxConfigNameLength);
  uniqueId_ = config.uniqueId;
  makerId_ = config.makerId;
  version_ = config.version;
  editorPresent_ = config.editorPresent;
  hostMayResize_ = config.hostMayResize;
  SetEditorSize(config.editorWidth, config.editorHeight);
  SetEditorSizeBounds(config.editorWidthBoundA, config.editorWidthBoundB, config.editorHeightBoundA,
                      config.editorHeightBoundB);
  stateFlag_ = config.stateFlag;
  apiKind_ = apiKind;
  extraTextA_.Set(config.extraTextA);
  extraTextB_.Set(config.extraTextB);
}

bool IPluginBase::HoldsConfig(const PluginConfig& config) const {
  const auto holds = [](const char* stored, const char* given) {
    return std::strncmp(stored, given ? given : "", kMaxConfigNameLength) == 0;
  };
  return NParams() == config.paramCount && NPresets() == config.presetCount &&
         holds(PluginName(), config.pluginName) && holds(ProductName(), config.productName) &&
         holds(MakerName(), config.makerName);
}

bool IPluginBase::SerializeParams(HeapBuffer& chunk) const {
  const int32_t startSize = chunk.Size();
  for (int32_t i = 0; i < NParams(); ++i) {
    uint8_t bytes[kSerializedParamBytes];
    EncodeLittleEndianDouble(GetParam(i)->Value(), bytes);
    const int32_t before = chunk.Size();
    if (chunk.Append(bytes, kSerializedParamBytes) != before + kSerializedParamBytes) {
      // A state missing its last values would read back as short; leave none of it.
      chunk.Resize(startSize);
      return false;
    }
  }
  return true;
}

int32_t IPluginBase::UnserializeParams(const HeapBuffer& chunk, int32_t startPos) {
  // Every value must be there before the first is written: a short chunk changes nothing.
  const int64_t end = int64_t{startPos} + int64_t{kSerializedParamBytes} * NParams();
  if (startPos < 0 || end > chunk.Size()) return -1;
  int32_t pos = startPos;
  for (int32_t i = 0; i < NParams(); ++i) {
    GetParam(i)->Set(DecodeLittleEndianDouble(chunk.Data() + pos));
    pos += kSerializedParamBytes;
  }
  OnAllParamsChanged(ParamSource::kPreset);
  return pos;
}

bool IPluginBase::StorePresetChunk(const char* name, const HeapBuffer& chunk) {
  for (int32_t i = 0; i < NPresets(); ++i) {
    PluginPreset* preset = presets_.Get(i);
    if (preset->initialised) continue;
    const int32_t before = preset->chunk.Size();
    if (preset->chunk.Append(chunk) != before + chunk.Size()) return false;
    preset->initialised = true;
    CopyUtf8Prefix(preset->name, name);
    return true;
  }
  return false;
}

void IPluginBase::SetHost(const char* name, int32_t packedVersion) {
  hostName_.Set(name);
  hostCode_.store(ClassifyHostName(name), std::memory_order_relaxed);
  hostVersion_.store(packedVersion, std::memory_order_relaxed);
  OnHostIdentified();
  OnHostSettled();
}

HostCode IPluginBase::ClassifyHostName(const char* name) {
  if (!name) return kHostUnknown;
  for (const HostNameRule& rule : kHostNameRules) {
    if (ContainsIgnoringAsciiCase(name, rule.substring)) return rule.code;
  }
  return kHostUnknown;
}

int32_t IPluginBase::VersionNumber(int32_t packedVersion, bool decimal) {
  if (!decimal) return packedVersion;
  const auto packed = static_cast<uint32_t>(packedVersion);
  const auto major = static_cast<int32_t>(packed >> 16);
  const auto minor = static_cast<int32_t>((packed >> 8) & 0xFF);
  const auto patch = static_cast<int32_t>(packed & 0xFF);
  return major * 10000 + minor * 100 + patch;
}

}  // namespace plugfw
