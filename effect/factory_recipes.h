#pragma once
// The forty factory recipes: complete 128-value settings derived from the parameter defaults by fixed
// rules rather than stored as data. The table is built on the first call of FactoryRecipes (thread-safe
// first-use initialisation) and never changes afterwards, so any thread may read it without locks; the
// first call computes the table and must not come from the audio thread.

#include "effect/param_table.h"

namespace halcyra {

constexpr int kFactoryRecipeCount = 40;

struct FactoryRecipe {
  const char* name;  // never null; the menu text
  float values[kParamCount];
};

// The table of kFactoryRecipeCount recipes in menu order; the same array on every call.
const FactoryRecipe* FactoryRecipes();

// The recipes' pan rule, usable on any value set: the voices in use (at most three for Tri Chorus, one
// for Vibrato) are spread evenly from -100 to +100, a single voice sits at the centre, and the pans of
// the other slots are left alone. Structure and voice count are read as the engine would read them
// (sanitised), so out-of-range input cannot reach past the eighth slot. A null `values` does nothing.
void SpreadRecipePans(float values[kParamCount]);

}  // namespace halcyra
