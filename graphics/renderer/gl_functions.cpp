#include "graphics/renderer/gl_functions.h"

namespace plugfw::gfx {

const char* LoadGLFunctions(GLFunctions& table, GLProcResolver resolve, void* user) {
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
  if (resolve == nullptr) missing = "resolver";
  HALCYRA_GL_FUNCTIONS(HALCYRA_GL_LOAD)
#undef HALCYRA_GL_LOAD
  // Assigned last: the resolver may read from the table it fills.
  loaded.complete = missing == nullptr;
  table = loaded.complete ? loaded : GLFunctions{};
  return missing;
}

}  // namespace plugfw::gfx
