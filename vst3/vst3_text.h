#pragma once
// The texts that cross the VST3 interfaces (names, units, display strings) go through the
// framework's one UTF-8/UTF-16 conversion, whose fixed-field form cuts on a whole character and
// always terminates: Utf8ToUtf16 and Utf16ToUtf8 with Steinberg::char16 as the unit.

#include "core/utf_conversion.h"
#include "pluginterfaces/base/ftypes.h"

static_assert(sizeof(Steinberg::char16) == 2, "VST3 strings are UTF-16");
