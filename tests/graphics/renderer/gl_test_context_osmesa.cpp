// Natively: an OSMesa context (llvmpipe) over a small buffer of its own, kept until the
// process ends. The tests draw into framebuffer objects, so the buffer's size does not matter.
#include <GL/osmesa.h>

#include "tests/graphics/renderer/gl_test_platform.h"

namespace plugfw::gfx::test {
namespace {

constexpr int kBufferSize = 16;
unsigned char gBuffer[kBufferSize * kBufferSize * 4];

}  // namespace

const char* MakePlatformGLContextCurrent() {
  OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 8, 0, nullptr);
  if (context == nullptr) return "OSMesaCreateContextExt failed";
  if (!OSMesaMakeCurrent(context, gBuffer, GL_UNSIGNED_BYTE, kBufferSize, kBufferSize)) {
    return "OSMesaMakeCurrent failed";
  }
  return nullptr;
}

void* ResolvePlatformGLFunction(const char* name, void*) {
  return reinterpret_cast<void*>(OSMesaGetProcAddress(name));
}

}  // namespace plugfw::gfx::test
