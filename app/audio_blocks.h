#pragma once
// The arithmetic of one device buffer: cutting it into plug-in blocks from its first frame,
// and the one-buffer linear ramps that fade a stream in and out. Portable; audio thread, no
// allocation.

#include <cstdint>

namespace plugfw {

// The standalone program's plug-in block: device buffers are cut into blocks of at most this.
constexpr int32_t kAppBlockFrames = 512;

// Calls block(start, frames) for consecutive blocks of at most maxBlock frames covering
// 0 .. totalFrames - 1; the last block holds the rest. Nothing for totalFrames <= 0.
template <typename BlockFunction>
void ForEachBlock(int32_t totalFrames, int32_t maxBlock, BlockFunction&& block) {
  if (maxBlock <= 0) return;
  for (int32_t start = 0; start < totalFrames; start += maxBlock) {
    const int32_t frames = totalFrames - start < maxBlock ? totalFrames - start : maxBlock;
    block(start, frames);
  }
}

// Non-interleaved samples, channel c at c * frames. A fade-in multiplies frame j by j / N, a
// fade-out by (N - 1 - j) / N: one buffer is the whole ramp, a fade-out ends at exactly 0.
void FadeBuffers(double* samples, int32_t channels, int32_t frames, bool fadeOut);

}  // namespace plugfw
