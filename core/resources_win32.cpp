// Win32 resources, UTF-8/UTF-16 conversion and DPI. The resource module defaults
// to the module that holds this code, found from one of its own addresses, so a
// host that never calls InitDll still gets the plug-in's resources.

#include <windows.h>

#include <atomic>

#include "core/resource_names.h"
#include "core/resources.h"
#include "core/utf_conversion.h"

namespace plugfw {
namespace {

std::atomic<HMODULE> gResourceModule{nullptr};

HMODULE ModuleHoldingThisCode() {
  HMODULE module = nullptr;
  const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  if (!GetModuleHandleExW(flags, reinterpret_cast<LPCWSTR>(&ModuleHoldingThisCode), &module)) {
    module = GetModuleHandleW(nullptr);
  }
  return module;
}

HMODULE ModuleOrDefault(void* module) {
  return module != nullptr ? static_cast<HMODULE>(module) : static_cast<HMODULE>(ResourceModule());
}

// Resource types are compared upper-cased, as the resource compiler stores them;
// only ASCII letters change, as in every other name the lookups compare.
HeapBuffer UpperCasedWide(const char* text) {
  HeapBuffer wide = Utf8ToUtf16(text);
  auto* units = reinterpret_cast<wchar_t*>(wide.Data());
  for (int32_t i = 0; units != nullptr && i < wide.Size() / 2; ++i) {
    if (units[i] >= L'a' && units[i] <= L'z') units[i] = static_cast<wchar_t>(units[i] - L'a' + L'A');
  }
  return wide;
}

const wchar_t* WideText(const HeapBuffer& wide) { return reinterpret_cast<const wchar_t*>(wide.Data()); }

bool IsEmptyWide(const HeapBuffer& wide) { return wide.Size() < 4; }

struct NameSearch {
  const char* wanted;
  HeapString storedName;
  bool found = false;
};

BOOL CALLBACK CompareResourceName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR context) {
  if (IS_INTRESOURCE(name)) return TRUE;
  auto* search = reinterpret_cast<NameSearch*>(context);
  HeapString stored;
  Utf16ToUtf8(name, &stored);
  if (!ResourceNameMatches(stored.Get(), search->wanted)) return TRUE;
  search->storedName.Assign(stored);
  search->found = true;
  return FALSE;
}

bool IsExistingFile(const char* path) {
  const HeapBuffer wide = Utf8ToUtf16(path);
  if (IsEmptyWide(wide)) return false;
  const DWORD attributes = GetFileAttributesW(WideText(wide));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

GetDpiForWindowFunction DpiQuery() {
  static std::atomic<GetDpiForWindowFunction> query{nullptr};
  GetDpiForWindowFunction function = query.load(std::memory_order_acquire);
  if (function != nullptr) return function;
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return nullptr;
  function = reinterpret_cast<GetDpiForWindowFunction>(
      reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
  if (function != nullptr) query.store(function, std::memory_order_release);
  return function;
}

}  // namespace

void SetResourceModule(void* module) { gResourceModule.store(static_cast<HMODULE>(module)); }

void* ResourceModule() {
  HMODULE module = gResourceModule.load();
  return module != nullptr ? module : ModuleHoldingThisCode();
}

ResourceLocation LocateResource(const char* name, const char* type, HeapString* outName, void* module) {
  if (name == nullptr || name[0] == '\0') return ResourceLocation::kNotFound;
  const HeapBuffer wideType = UpperCasedWide(type);
  if (!IsEmptyWide(wideType)) {
    NameSearch search;
    search.wanted = name;
    EnumResourceNamesW(ModuleOrDefault(module), WideText(wideType), CompareResourceName,
                       reinterpret_cast<LONG_PTR>(&search));
    if (search.found) {
      if (outName != nullptr) outName->Assign(search.storedName);
      return ResourceLocation::kModuleResource;
    }
  }
  if (IsExistingFile(name)) {
    if (outName != nullptr) outName->Set(name);
    return ResourceLocation::kFile;
  }
  return ResourceLocation::kNotFound;
}

const uint8_t* FindResourceData(const char* storedName, const char* type, int32_t* outSize, void* module) {
  static constexpr DWORD kSmallestResource = 8;
  const HeapBuffer wideName = Utf8ToUtf16(storedName);
  const HeapBuffer wideType = UpperCasedWide(type);
  if (IsEmptyWide(wideName) || IsEmptyWide(wideType)) return nullptr;
  HMODULE owner = ModuleOrDefault(module);
  HRSRC resource = FindResourceW(owner, WideText(wideName), WideText(wideType));
  if (resource == nullptr) return nullptr;
  const DWORD size = SizeofResource(owner, resource);
  if (size < kSmallestResource) return nullptr;
  HGLOBAL loaded = LoadResource(owner, resource);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (outSize != nullptr) *outSize = bytes != nullptr ? static_cast<int32_t>(size) : 0;
  return static_cast<const uint8_t*>(bytes);
}

// A name or path that had to have characters replaced would name something else: it converts
// to nothing.
HeapBuffer Utf8ToUtf16(const char* text) {
  HeapBuffer wide(HeapBuffer::kBlockGranularity);
  const TextConversion measured = ConvertUtf8ToUtf16<wchar_t>(text, kToTerminator, nullptr, 0);
  const size_t units = measured.needed + 1;
  if (!measured.replaced && wide.Resize(static_cast<int32_t>(units * 2)) != nullptr) {
    ConvertUtf8ToUtf16(text, kToTerminator, reinterpret_cast<wchar_t*>(wide.Data()), units);
    return wide;
  }
  if (wide.Resize(2) != nullptr) reinterpret_cast<wchar_t*>(wide.Data())[0] = L'\0';
  return wide;
}

void Utf16ToUtf8(const wchar_t* wide, HeapString* out) {
  if (out == nullptr) return;
  const TextConversion measured = ConvertUtf16ToUtf8(wide, kToTerminator, nullptr, 0);
  const size_t bytes = measured.needed + 1;
  HeapBuffer utf8(HeapBuffer::kTextGranularity);
  if (!measured.replaced && utf8.Resize(static_cast<int32_t>(bytes)) != nullptr) {
    ConvertUtf16ToUtf8(wide, kToTerminator, reinterpret_cast<char*>(utf8.Data()), bytes);
    out->Set(reinterpret_cast<const char*>(utf8.Data()));
    return;
  }
  out->Set("");
}

float WindowDpiScale(void* window) {
  static constexpr float kBaseDpi = 96.0f;
  GetDpiForWindowFunction query = DpiQuery();
  if (query == nullptr) return 1.0f;
  const UINT dpi = query(static_cast<HWND>(window));
  return dpi > 0 ? static_cast<float>(dpi) / kBaseDpi : 1.0f;
}

}  // namespace plugfw
