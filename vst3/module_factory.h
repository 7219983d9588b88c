#pragma once
// The module's factory as GetPluginFactory makes it: the maker's record and the one class, whose
// create function makes one plug-in object per call. Portable, so that a test program can make
// plug-ins exactly as a host loading the module does.

#include "pluginterfaces/base/funknown.h"
#include "vst3/plugin_factory.h"

namespace halcyra {

// Set-up, from any host thread: the class's create function. The new plug-in object as
// IAudioProcessor, or null when any part of it could not be had.
Steinberg::FUnknown* CreateVst3PluginInstance(void* context);

// Set-up: a new factory, holding one reference (the caller's), with the class registered; null
// when memory ran out. `onDestroyed` hears when the last reference goes.
plugfw::PluginFactory* MakeModuleFactory(plugfw::PluginFactory::DestroyedCallback onDestroyed);

}  // namespace halcyra
