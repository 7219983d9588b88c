#include "tests/graphics/support/gfx_test_delegate.h"

#include <cstdio>

namespace plugfw::gfx::test {

GfxTestDelegate::GfxTestDelegate(int32_t nParams, std::vector<std::string>* sharedLog)
    : IGfxEditorDelegate(nParams), log_(sharedLog ? sharedLog : &calls) {}

void GfxTestDelegate::BeginParamEditFromUI(int32_t paramIdx) {
  log_->push_back("BeginParamEditFromUI " + std::to_string(paramIdx));
}

void GfxTestDelegate::EndParamEditFromUI(int32_t paramIdx) {
  log_->push_back("EndParamEditFromUI " + std::to_string(paramIdx));
}

void GfxTestDelegate::SetParamFromUI(int32_t paramIdx, double normalizedValue) {
  char text[64];
  std::snprintf(text, sizeof text, "SetParamFromUI %d %g", paramIdx, normalizedValue);
  log_->push_back(text);
  IGfxEditorDelegate::SetParamFromUI(paramIdx, normalizedValue);
}

}  // namespace plugfw::gfx::test
