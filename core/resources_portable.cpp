// Resource lookup where there are no module resources (the native test builds): names are
// only ever files, the module is a value kept for whoever asks, and every window has scale 1.
// The UTF-16 conversions are Windows' alone.

#include <sys/stat.h>

#include <atomic>

#include "core/resources.h"

namespace plugfw {
namespace {

std::atomic<void*> gResourceModule{nullptr};

bool IsExistingFile(const char* path) {
  struct stat info {};
  return stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

void SetResourceModule(void* module) { gResourceModule.store(module); }

void* ResourceModule() { return gResourceModule.load(); }

ResourceLocation LocateResource(const char* name, const char* /*type*/, HeapString* outName,
                                void* /*module*/) {
  if (name == nullptr || name[0] == '\0' || !IsExistingFile(name)) return ResourceLocation::kNotFound;
  if (outName != nullptr) outName->Set(name);
  return ResourceLocation::kFile;
}

const uint8_t* FindResourceData(const char* /*storedName*/, const char* /*type*/, int32_t* /*outSize*/,
                                void* /*module*/) {
  return nullptr;
}

float WindowDpiScale(void* /*window*/) { return 1.f; }

}  // namespace plugfw
