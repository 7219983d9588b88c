// libFuzzer target for the plug-in's state reader. Any input either reads back as the values
// it holds (a valid state round-trips) or is refused with nothing changed.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "effect/halcyra.h"
#include "effect/state_chunk.h"

namespace {

using halcyra::Halcyra;
using plugfw::HeapBuffer;

// One plug-in for the whole run, away from its defaults so that a partial write would show.
Halcyra& Plugin() {
  static const std::unique_ptr<Halcyra> plugin = [] {
    auto made = halcyra::CreatePluginInstance({});
    made->logUiSends = false;
    made->RecallRecipe(7);
    made->SwapBanks();
    made->RecallRecipe(12);
    return made;
  }();
  return *plugin;
}

HeapBuffer StateOf(const Halcyra& plugin) {
  HeapBuffer chunk;
  if (!plugin.WriteState(chunk)) std::abort();
  return chunk;
}

bool Same(const HeapBuffer& a, const uint8_t* bytes, int32_t size) {
  return a.Size() == size && (size == 0 || std::memcmp(a.Data(), bytes, static_cast<size_t>(size)) == 0);
}

// Equal values, not equal bits: a stored -0 reads back as the parameter's 0.
bool SameValues(const HeapBuffer& written, const HeapBuffer& input, int32_t start) {
  halcyra::StateChunkContents a, b;
  if (!halcyra::ParseStateChunk(written, 0, a) || !halcyra::ParseStateChunk(input, start, b)) return false;
  for (int i = 0; i < halcyra::kParamCount; ++i) {
    if (a.current[i] != b.current[i] || a.inactive[i] != b.inactive[i]) return false;
  }
  return a.recipeIndex == b.recipeIndex && a.activeBank == b.activeBank;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4 * halcyra::kStateChunkBytes) return 0;
  Halcyra& plugin = Plugin();
  const HeapBuffer before = StateOf(plugin);
  const int32_t tailBefore = plugin.TailSamples();

  // The first byte, when there is one, also picks a start position inside the input.
  HeapBuffer chunk;
  chunk.Append(data, static_cast<int32_t>(size));
  const int32_t position = size > 0 ? data[0] % 4 : 0;
  for (int32_t start : {0, position}) {
    const int32_t result = plugin.ReadState(chunk, start);
    if (result == -1) {
      if (!Same(StateOf(plugin), before.Data(), before.Size()) || plugin.TailSamples() != tailBefore)
        std::abort();
      continue;
    }
    if (result != start + halcyra::kStateChunkBytes) std::abort();
    if (!SameValues(StateOf(plugin), chunk, start)) std::abort();
    if (plugin.ReadState(before, 0) != halcyra::kStateChunkBytes) std::abort();  // back for the next input
  }
  return 0;
}
