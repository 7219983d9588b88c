#include "vst3/module_factory.h"

#include <new>

#include "effect/halcyra.h"
#include "vst3/class_registration.h"

namespace halcyra {

Steinberg::FUnknown* CreateVst3PluginInstance(void* /*context*/) {
  std::unique_ptr<Halcyra> plugin = CreatePluginInstance({});
  if (!plugin) return nullptr;
  return static_cast<Steinberg::Vst::IAudioProcessor*>(plugin.release());
}

plugfw::PluginFactory* MakeModuleFactory(plugfw::PluginFactory::DestroyedCallback onDestroyed) {
  // Filled once, thread-safely, however many factories are made.
  static const Steinberg::PClassInfo2 classInfo = MakeClassInfo();
  auto* factory = new (std::nothrow) plugfw::PluginFactory(MakeFactoryInfo(), onDestroyed);
  if (factory) factory->AddClass(classInfo, CreateVst3PluginInstance);
  return factory;
}

}  // namespace halcyra
