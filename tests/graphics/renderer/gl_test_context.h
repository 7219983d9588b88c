#pragma once
// A GL context of the tests' own, current on the calling thread, with the renderer's GL table
// loaded from it: headless Mesa (OSMesa on llvmpipe) natively, a hidden window with a WGL
// context under Wine. One per process; it lives until the process ends.

namespace plugfw::gfx::test {

// Makes the context on first use. False (with a reason) when none can be had.
bool EnsureGLTestContext(const char** reason);

}  // namespace plugfw::gfx::test
