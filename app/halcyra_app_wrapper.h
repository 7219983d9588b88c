#pragma once
// The plug-in class of the standalone program derives from IAppWrapper.

#include "app/app_wrapper.h"

namespace halcyra {
using PluginWrapper = plugfw::IAppWrapper;
}
