#pragma once
// The back end's one shader program: its GLSL 1.10 sources and their compilation. Internal to
// the GL back end. UI thread, GL current.

#include "graphics/renderer/gl_backend.h"

namespace plugfw::gfx {

// Compiles and links the program into the state; on failure prints the GL log, deletes what
// it made and returns false.
bool GLBackendBuildShader(GLBackendState* state, const char* name, const char* header, const char* options);

}  // namespace plugfw::gfx
