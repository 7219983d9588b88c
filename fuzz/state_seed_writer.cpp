// Writes the state reader's seed corpus into the folder given: every factory recipe's state,
// the defaults, and near-valid chunks one field away from acceptance.

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "effect/factory_recipes.h"
#include "effect/state_chunk.h"

namespace {

using plugfw::HeapBuffer;

bool WriteFile(const std::string& path, const HeapBuffer& chunk) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(chunk.Data(), 1, static_cast<size_t>(chunk.Size()), file) ==
                       static_cast<size_t>(chunk.Size());
  return std::fclose(file) == 0 && written;
}

void PutInt32(HeapBuffer& chunk, int32_t offset, int32_t value) {
  halcyra::PutStateInt32(chunk.Data() + offset, value);
}

void PutFloat(HeapBuffer& chunk, int32_t offset, float value) {
  halcyra::PutStateFloat(chunk.Data() + offset, value);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: state_seed_writer <folder>\n");
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  bool ok = true;
  float defaults[halcyra::kParamCount];
  halcyra::FillParamDefaults(defaults);
  const auto chunkOf = [&](const float* current, const float* inactive, int32_t recipe, int32_t bank) {
    HeapBuffer chunk;
    ok &= halcyra::WriteStateChunk(chunk, current, inactive, recipe, bank);
    return chunk;
  };
  for (int r = 0; r < halcyra::kFactoryRecipeCount; ++r) {
    const float* values = halcyra::FactoryRecipes()[r].values;
    ok &= WriteFile(folder + "recipe_" + std::to_string(r), chunkOf(values, defaults, r, r % 2));
  }
  const HeapBuffer base = chunkOf(defaults, defaults, 0, 0);
  ok &= WriteFile(folder + "defaults", base);
  const int voices = halcyra::FindParamIndex("voices");
  struct Spoil {
    const char* name;
    void (*apply)(HeapBuffer&, int voices);
  } spoils[] = {
      {"short", [](HeapBuffer& c, int) { c.Resize(c.Size() - 1); }},
      {"long", [](HeapBuffer& c, int) { c.Append("", 1); }},
      {"magic", [](HeapBuffer& c, int) { c.Data()[0] = 'h'; }},
      {"version", [](HeapBuffer& c, int) { PutInt32(c, halcyra::kStateVersionOffset, 2); }},
      {"count", [](HeapBuffer& c, int) { PutInt32(c, halcyra::kStateCountOffset, 127); }},
      {"recipe", [](HeapBuffer& c, int) { PutInt32(c, halcyra::kStateRecipeOffset, 40); }},
      {"bank", [](HeapBuffer& c, int) { PutInt32(c, halcyra::kStateActiveBankOffset, 2); }},
      {"nan", [](HeapBuffer& c, int) { PutFloat(c, halcyra::kStateCurrentOffset, std::nanf("")); }},
      {"half_voice", [](HeapBuffer& c, int v) { PutFloat(c, halcyra::kStateInactiveOffset + 4 * v, 2.5f); }},
  };
  for (const Spoil& spoil : spoils) {
    HeapBuffer chunk = base;
    spoil.apply(chunk, voices);
    ok &= WriteFile(folder + "near_" + spoil.name, chunk);
  }
  if (!ok) std::fprintf(stderr, "state_seed_writer: could not write every seed into %s\n", argv[1]);
  return ok ? 0 : 1;
}
