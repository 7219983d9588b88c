#include "vst3/class_registration.h"

#include <cstring>

#include "core/plugin_config.h"

namespace halcyra {

using namespace Steinberg;

namespace {

// Copies up to the terminator or the field's size; the rest of the field is zero.
template <size_t N>
void CopyField(char8 (&field)[N], const char* text) {
  std::memset(field, 0, N);
  for (size_t i = 0; i < N && text[i]; ++i) field[i] = text[i];
}

void PutLittleEndian32(uint32 word, char8* at) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<char8>(word >> (8 * i));
}

void PutBigEndian32(uint32 word, char8* at) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<char8>(word >> (8 * (3 - i)));
}

}  // namespace

void MakeClassId(TUID cid) {
  const auto first = static_cast<uint32>(plugfw::FourCharCode("KEST"));
  const auto second = static_cast<uint32>(plugfw::FourCharCode("RALY"));
  PutLittleEndian32(first, cid);
  cid[4] = static_cast<char8>(second >> 16);
  cid[5] = static_cast<char8>(second >> 24);
  cid[6] = static_cast<char8>(second);
  cid[7] = static_cast<char8>(second >> 8);
  PutBigEndian32(static_cast<uint32>(plugfw::FourCharCode("Kstl")), cid + 8);
  PutBigEndian32(static_cast<uint32>(plugfw::FourCharCode("Hlcy")), cid + 12);
}

PFactoryInfo MakeFactoryInfo() {
  PFactoryInfo info{};
  CopyField(info.vendor, kFactoryVendor);
  CopyField(info.url, kFactoryUrl);
  CopyField(info.email, kFactoryEmail);
  info.flags = PFactoryInfo::kUnicode;
  return info;
}

PClassInfo2 MakeClassInfo() {
  PClassInfo2 info{};
  MakeClassId(info.cid);
  info.cardinality = PClassInfo::kManyInstances;
  CopyField(info.category, kClassCategory);
  CopyField(info.name, kClassName);
  info.classFlags = kClassFlags;
  CopyField(info.subCategories, kClassSubCategories);
  CopyField(info.vendor, "");
  CopyField(info.version, kClassVersion);
  CopyField(info.sdkVersion, kClassSdkVersion);
  return info;
}

}  // namespace halcyra
