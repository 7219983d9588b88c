#pragma once
// The wrapper the plug-in class derives from differs per build (VST3 module, standalone
// program, headless tests). Each build compiles the plug-in class with HALCYRA_WRAPPER_HEADER
// naming a header that defines halcyra::PluginWrapper, a class derived from plugfw::IApiBase
// and plugfw::IProcessor with a nested InstanceInfo type and the constructor
// (const InstanceInfo&, const plugfw::PluginConfig&).

#ifndef HALCYRA_WRAPPER_HEADER
#error "HALCYRA_WRAPPER_HEADER must name the header of this build's wrapper"
#endif
#include HALCYRA_WRAPPER_HEADER
