#include "vst3/plugin_factory.h"

#include <cstring>
#include <new>

#include "vst3/vst3_text.h"

namespace plugfw {

using namespace Steinberg;

PluginFactory::PluginFactory(const PFactoryInfo& info, DestroyedCallback onDestroyed)
    : info_(info), onDestroyed_(onDestroyed) {}

PluginFactory::~PluginFactory() {
  if (onDestroyed_) onDestroyed_(this);
}

bool PluginFactory::AddClass(const PClassInfo2& info, CreateFunction create) {
  if (classCount_ >= kMaxClasses || !create) return false;
  classes_[classCount_++] = Entry{info, create};
  return true;
}

const PluginFactory::Entry* PluginFactory::EntryAt(int32 index) const {
  return index >= 0 && index < classCount_ ? &classes_[index] : nullptr;
}

tresult PLUGIN_API PluginFactory::queryInterface(const TUID iid, void** obj) {
  if (!obj) return kInvalidArgument;
  if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, IPluginFactory::iid) ||
      FUnknownPrivate::iidEqual(iid, IPluginFactory2::iid) ||
      FUnknownPrivate::iidEqual(iid, IPluginFactory3::iid)) {
    addRef();
    *obj = static_cast<IPluginFactory3*>(this);
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}

uint32 PLUGIN_API PluginFactory::addRef() { return references_.fetch_add(1) + 1; }

uint32 PLUGIN_API PluginFactory::release() {
  const uint32 left = references_.fetch_sub(1) - 1;
  if (left == 0) delete this;
  return left;
}

tresult PLUGIN_API PluginFactory::getFactoryInfo(PFactoryInfo* info) {
  if (!info) return kInvalidArgument;
  *info = info_;
  return kResultOk;
}

int32 PLUGIN_API PluginFactory::countClasses() { return classCount_; }

tresult PLUGIN_API PluginFactory::getClassInfo(int32 index, PClassInfo* info) {
  const Entry* entry = EntryAt(index);
  if (!info || !entry) return kInvalidArgument;
  *info = PClassInfo{};
  std::memcpy(info->cid, entry->info.cid, sizeof(TUID));
  info->cardinality = entry->info.cardinality;
  std::memcpy(info->category, entry->info.category, sizeof info->category);
  std::memcpy(info->name, entry->info.name, sizeof info->name);
  return kResultOk;
}

tresult PLUGIN_API PluginFactory::getClassInfo2(int32 index, PClassInfo2* info) {
  const Entry* entry = EntryAt(index);
  if (!info || !entry) return kInvalidArgument;
  *info = entry->info;
  return kResultOk;
}

tresult PLUGIN_API PluginFactory::getClassInfoUnicode(int32 index, PClassInfoW* info) {
  const Entry* entry = EntryAt(index);
  if (!info || !entry) return kInvalidArgument;
  const PClassInfo2& from = entry->info;
  *info = PClassInfoW{};
  std::memcpy(info->cid, from.cid, sizeof(TUID));
  info->cardinality = from.cardinality;
  std::memcpy(info->category, from.category, sizeof info->category);
  Utf8ToUtf16(from.name, info->name, PClassInfo::kNameSize);
  info->classFlags = from.classFlags;
  std::memcpy(info->subCategories, from.subCategories, sizeof info->subCategories);
  Utf8ToUtf16(from.vendor, info->vendor, PClassInfo2::kVendorSize);
  Utf8ToUtf16(from.version, info->version, PClassInfo2::kVersionSize);
  Utf8ToUtf16(from.sdkVersion, info->sdkVersion, PClassInfo2::kVersionSize);
  return kResultOk;
}

tresult PLUGIN_API PluginFactory::createInstance(FIDString cid, FIDString iid, void** obj) {
  if (!obj) return kInvalidArgument;
  *obj = nullptr;
  if (!cid || !iid) return kInvalidArgument;
  for (int32_t i = 0; i < classCount_; ++i) {
    if (std::memcmp(classes_[i].info.cid, cid, sizeof(TUID)) != 0) continue;
    FUnknown* instance = nullptr;
    try {
      instance = classes_[i].create(nullptr);
    } catch (...) {
      instance = nullptr;
    }
    if (!instance) return kOutOfMemory;
    const tresult answer = instance->queryInterface(iid, obj);
    instance->release();  // the creation reference; the host holds the one it asked for
    return answer == kResultOk ? kResultOk : kNoInterface;
  }
  return kNoInterface;
}

tresult PLUGIN_API PluginFactory::setHostContext(FUnknown* /*context*/) { return kNotImplemented; }

}  // namespace plugfw
