#pragma once
// A GL context of the tests' own, current on the calling thread, with a GL table loaded from
// it: headless Mesa (OSMesa on llvmpipe) natively, a hidden window with a WGL context under
// Wine. One per process; it lives until the process ends.

#include "graphics/renderer/gl_functions.h"

namespace plugfw::gfx::test {

// Makes the context on first use. False (with a reason) when none can be had.
bool EnsureGLTestContext(const char** reason);

// The context's table, loaded by EnsureGLTestContext. Tests draw through it and may replace
// single entries to watch or refuse calls (GLTableScope puts them back).
GLFunctions& TestGL();

}  // namespace plugfw::gfx::test
