#pragma once
// The platform half of the tests' GL context; its files include the platform's GL headers,
// so they must not see the renderer's own GL declarations.

namespace plugfw::gfx::test {

// Makes a context current on the calling thread; null on success, else the reason.
const char* MakePlatformGLContextCurrent();

#if !defined(_WIN32)
// The context's function lookup (name -> address) for the renderer's loader. Windows has
// the program's own loader instead.
void* ResolvePlatformGLFunction(const char* name, void* user);
#endif

}  // namespace plugfw::gfx::test
