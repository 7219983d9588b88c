// The window's GL loader: wglGetProcAddress knows only the entry points beyond GL 1.1, and
// opengl32's own exports are the GL 1.1 ones, so each name is asked of both.
#include <windows.h>

#include <cstdint>

#include "graphics/renderer/gl_functions.h"

namespace plugfw::gfx {
namespace {

using WglGetProcAddress = PROC(WINAPI*)(LPCSTR);

struct WglLoader {
  HMODULE opengl32;
  WglGetProcAddress getProcAddress;
};

// Some drivers answer an unknown name with a small integer instead of null.
bool IsNoAddress(const void* address) {
  const auto value = reinterpret_cast<intptr_t>(address);
  return value >= -1 && value <= 3;
}

void* ResolveWithWgl(const char* name, void* user) {
  const auto* loader = static_cast<const WglLoader*>(user);
  void* address = reinterpret_cast<void*>(loader->getProcAddress(name));
  if (IsNoAddress(address)) address = reinterpret_cast<void*>(GetProcAddress(loader->opengl32, name));
  return IsNoAddress(address) ? nullptr : address;
}

}  // namespace

const char* LoadGLFunctionsFromWGL(GLFunctions& table) {
  HMODULE opengl32 = LoadLibraryW(L"opengl32.dll");
  if (opengl32 == nullptr) {
    table = GLFunctions{};
    return "opengl32.dll";
  }
  void* entry = reinterpret_cast<void*>(GetProcAddress(opengl32, "wglGetProcAddress"));
  if (entry == nullptr) {
    FreeLibrary(opengl32);
    table = GLFunctions{};
    return "wglGetProcAddress";
  }
  WglLoader loader{opengl32, reinterpret_cast<WglGetProcAddress>(entry)};
  const char* missing = LoadGLFunctions(table, &ResolveWithWgl, &loader);
  // The window's context keeps opengl32 loaded, so the addresses stay valid.
  FreeLibrary(opengl32);
  return missing;
}

}  // namespace plugfw::gfx
