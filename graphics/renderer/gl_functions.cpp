#include "graphics/renderer/gl_functions.h"

namespace plugfw::gfx {

const char* LoadGLFunctions(GLProcResolver resolve, void* user) {
  if (resolve == nullptr) {
    UnloadGLFunctions();
    return "resolver";
  }
  GLFunctions loaded;
  const char* missing = nullptr;
  // The table is filled whole or not at all: a half-loaded table would let the back end
  // start and then call through a null entry.
#define HALCYRA_GL_LOAD(ret, entry, params)                                 \
  if (missing == nullptr) {                                                 \
    void* address = resolve("gl" #entry, user);                             \
    if (address == nullptr) {                                               \
      missing = "gl" #entry;                                                \
    } else {                                                                \
      loaded.entry = reinterpret_cast<ret(HALCYRA_GLAPI*) params>(address); \
    }                                                                       \
  }
  HALCYRA_GL_FUNCTIONS(HALCYRA_GL_LOAD)
#undef HALCYRA_GL_LOAD
  if (missing != nullptr) {
    UnloadGLFunctions();
    return missing;
  }
  loaded.complete = true;
  gl = loaded;
  return nullptr;
}

void UnloadGLFunctions() { gl = GLFunctions{}; }

}  // namespace plugfw::gfx
