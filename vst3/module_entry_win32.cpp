// The module's entry points: the library entry, the module counters and the factory export.
// Nothing here lets an exception reach the host.

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "core/resources.h"
#include "vst3/module_factory.h"
#include "vst3/plugin_factory.h"

namespace {

HINSTANCE moduleHandle = nullptr;
int32_t moduleUseCount = 0;
std::atomic<plugfw::PluginFactory*> factory{nullptr};

bool InitModule() {
  plugfw::SetResourceModule(moduleHandle);
  return true;
}

bool DeinitModule() { return true; }

void ForgetFactory(plugfw::PluginFactory* destroyed) {
  plugfw::PluginFactory* expected = destroyed;
  factory.compare_exchange_strong(expected, nullptr);
}

}  // namespace

// Set-up: the loader's thread, under the loader lock.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) {
    moduleHandle = instance;
    // Resources must be found even in a host that never calls InitDll.
    plugfw::SetResourceModule(instance);
  }
  return TRUE;
}

// Set-up: the host loads and unloads the module on one thread, so the counter is plain.
extern "C" bool InitDll() {
  if (moduleUseCount++ == 0) return InitModule();
  return true;
}

extern "C" bool ExitDll() {
  const int32_t before = moduleUseCount--;
  if (before == 1) return DeinitModule();
  return moduleUseCount >= 0;
}

// UI thread: hosts ask for the factory on their main thread, like the module counters.
extern "C" Steinberg::IPluginFactory* PLUGIN_API GetPluginFactory() {
  try {
    if (plugfw::PluginFactory* existing = factory.load()) {
      existing->addRef();
      return existing;
    }
    plugfw::PluginFactory* made = halcyra::MakeModuleFactory(ForgetFactory);
    if (!made) return nullptr;
    factory.store(made);
    return made;
  } catch (...) {
    return nullptr;
  }
}
