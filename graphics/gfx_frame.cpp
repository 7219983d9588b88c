// The frame clock. Dirty collection and the drawing passes belong to this family too.

#include "graphics/gfx.h"
#include "graphics/steady_clock.h"

namespace plugfw::gfx {
namespace {

// Seconds since the first frame of the process.
double FrameClockSeconds() {
  static const int64_t start = SteadyClockNanoseconds();
  return static_cast<double>(SteadyClockNanoseconds() - start) / 1e9;
}

}  // namespace

void IGfx::BeginFrame() {
  if (!perfDisplay_) return;
  lastFrameTime_ = FrameClockSeconds();
}

}  // namespace plugfw::gfx
