#include "editor/help_texts.h"

#include "effect/param_table.h"

namespace halcyra {

const char* ParamHelpText(int32_t paramIdx) {
  const ParamDefinition* definition = GetParamDefinition(paramIdx);
  return definition != nullptr ? definition->help : "";
}

const char* ParamName(int32_t paramIdx) {
  const ParamDefinition* definition = GetParamDefinition(paramIdx);
  return definition != nullptr ? definition->name : "";
}

}  // namespace halcyra
