#include "tests/graphics/renderer/gl_test_context.h"

#include "tests/graphics/renderer/gl_test_platform.h"

namespace plugfw::gfx::test {
namespace {

const char* LoadTable() {
#if defined(_WIN32)
  // The program's own loader, as the editor window runs it.
  return LoadGLFunctionsFromWGL(TestGL());
#else
  return LoadGLFunctions(TestGL(), &ResolvePlatformGLFunction, nullptr);
#endif
}

}  // namespace

GLFunctions& TestGL() {
  static GLFunctions table;
  return table;
}

bool EnsureGLTestContext(const char** reason) {
  static const char* const failure = []() -> const char* {
    if (const char* platform = MakePlatformGLContextCurrent()) return platform;
    return LoadTable() != nullptr ? "the GL table could not be loaded" : nullptr;
  }();
  if (reason != nullptr) *reason = failure;
  return failure == nullptr;
}

}  // namespace plugfw::gfx::test
