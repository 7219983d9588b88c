#pragma once
// PluginFactory: the module's VST3 class factory (IPluginFactory, 2 and 3) holding the classes
// registered with it. Reference counted; the module is told when the last reference goes, so
// its own pointer never dangles. Classes are added at set-up (the module's first factory call);
// afterwards every entry may be called from any thread.

#include <atomic>
#include <cstdint>

#include "pluginterfaces/base/ipluginbase.h"

namespace plugfw {

class PluginFactory : public Steinberg::IPluginFactory3 {
 public:
  using CreateFunction = Steinberg::FUnknown* (*)(void* context);
  using DestroyedCallback = void (*)(PluginFactory* factory);
  static constexpr int32_t kMaxClasses = 4;

  // Set-up. Starts with one reference, the creator's.
  PluginFactory(const Steinberg::PFactoryInfo& info, DestroyedCallback onDestroyed);
  virtual ~PluginFactory();
  PluginFactory(const PluginFactory&) = delete;
  PluginFactory& operator=(const PluginFactory&) = delete;

  // Set-up. False when the class list is full.
  bool AddClass(const Steinberg::PClassInfo2& info, CreateFunction create);

  // Any thread: the reference count is atomic, the class list read-only after set-up.
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::uint32 PLUGIN_API addRef() override;
  Steinberg::uint32 PLUGIN_API release() override;

  // Any thread: read-only after set-up.
  Steinberg::tresult PLUGIN_API getFactoryInfo(Steinberg::PFactoryInfo* info) override;
  Steinberg::int32 PLUGIN_API countClasses() override;
  Steinberg::tresult PLUGIN_API getClassInfo(Steinberg::int32 index, Steinberg::PClassInfo* info) override;
  // Any thread, serialised by the plug-in's creation lock. Never lets an exception out: a class
  // that fails to construct answers kOutOfMemory.
  Steinberg::tresult PLUGIN_API createInstance(Steinberg::FIDString cid, Steinberg::FIDString iid,
                                               void** obj) override;
  // Any thread: read-only after set-up.
  Steinberg::tresult PLUGIN_API getClassInfo2(Steinberg::int32 index, Steinberg::PClassInfo2* info) override;
  Steinberg::tresult PLUGIN_API getClassInfoUnicode(Steinberg::int32 index,
                                                    Steinberg::PClassInfoW* info) override;
  // UI thread.
  Steinberg::tresult PLUGIN_API setHostContext(Steinberg::FUnknown* context) override;

 private:
  struct Entry {
    Steinberg::PClassInfo2 info;
    CreateFunction create;
  };
  const Entry* EntryAt(Steinberg::int32 index) const;

  std::atomic<Steinberg::uint32> references_{1};
  Steinberg::PFactoryInfo info_;
  DestroyedCallback onDestroyed_;
  Entry classes_[kMaxClasses];
  int32_t classCount_ = 0;
};

}  // namespace plugfw
