#pragma once
// What the module tells a host about itself and its one class: the factory record, the class
// record and its class ID in the COM-compatible byte order. Any thread: constants and pure
// functions.

#include "pluginterfaces/base/ipluginbase.h"

namespace halcyra {

constexpr const char* kFactoryVendor = "KESTRALYN";
constexpr const char* kFactoryUrl = "https://www.kestralyn.com";
constexpr const char* kFactoryEmail = "mailto:support@kestralyn.com";
constexpr const char* kClassCategory = "Audio Module Class";
constexpr const char* kClassName = "HALCYRA";
constexpr const char* kClassSubCategories = "Fx|Modulation";
constexpr const char* kClassVersion = "0.1.0";
constexpr const char* kClassSdkVersion = "VST 3.8.1";
constexpr Steinberg::uint32 kClassFlags = 2;  // simple mode supported

// The class ID from the words KEST, RALY, Kstl (maker) and Hlcy (plug-in): the first word least
// significant byte first, the second as two halves each least significant byte first, the last
// two most significant byte first - a Windows GUID's layout.
void MakeClassId(Steinberg::TUID cid);

Steinberg::PFactoryInfo MakeFactoryInfo();
Steinberg::PClassInfo2 MakeClassInfo();

}  // namespace halcyra
