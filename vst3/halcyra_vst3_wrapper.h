#pragma once
// The VST3 build's wrapper for the plug-in class, with its own processing and state entries.

#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "vst3/vst3_wrapper.h"

#define HALCYRA_VST3_ENTRIES 1

namespace halcyra {
using PluginWrapper = plugfw::IVST3Wrapper;
}
