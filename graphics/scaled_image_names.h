#pragma once
// The names a bitmap is looked for by: the scales tried for a wanted one, in their order,
// and the name@Nx.ext variant that holds an image drawn for scale N. Any thread: pure.

#include <cstdint>

#include "core/heap_string.h"

namespace plugfw::gfx {

constexpr int32_t kMaxScaleCandidates = 4;

// Any thread: pure. The scales to try for target (1 or more), best first: the target, then 3,
// then 2 down to 1, each once (1 tries 1, 3, 2; 2 tries 2, 3, 1; 4 tries 4, 3, 2, 1).
// Returns how many it wrote into scales.
int32_t ScaleSearchOrder(int32_t target, int32_t scales[kMaxScaleCandidates]);

// Any thread: pure. The name a scale's image is stored under: the name itself at 1, otherwise
// the name with "@<scale>x" before its extension - the part from the last "." after the last
// "/" or "\" (image.tar.gz at 2 gives image.tar@2x.gz; a name without one gets it at the end).
void ScaledImageName(const char* name, int32_t scale, HeapString& out);

// Any thread: pure. The scale a bitmap is wanted at: asked when it is 1 or more, else the
// display's scale rounded up, at least 1 (and 1 for a scale that is no finite positive number).
int32_t TargetScale(int32_t asked, float screenScale);

// Any thread: pure. What a bitmap's type is judged by: the text after the name's last ".", or the
// whole name when it has none.
const char* NameExtension(const char* name);

}  // namespace plugfw::gfx
