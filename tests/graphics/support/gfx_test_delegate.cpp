#include "tests/graphics/support/gfx_test_delegate.h"

#include <cstdio>

namespace plugfw::gfx::test {

GfxTestDelegate::GfxTestDelegate(int32_t nParams, std::vector<std::string>* sharedLog)
    : IGfxEditorDelegate(nParams), log_(sharedLog ? sharedLog : &calls) {}

void GfxTestDelegate::BeginParamEditFromUI(int32_t paramIdx) {
  log_->push_back("BeginParamEditFromUI " + std::to_string(paramIdx));
  if (!openGestures_.emplace(paramIdx, true).second)
    faults_.push_back("second begin " + std::to_string(paramIdx));
}

void GfxTestDelegate::EndParamEditFromUI(int32_t paramIdx) {
  log_->push_back("EndParamEditFromUI " + std::to_string(paramIdx));
  if (openGestures_.erase(paramIdx) == 0) faults_.push_back("orphan end " + std::to_string(paramIdx));
}

void GfxTestDelegate::SetParamFromUI(int32_t paramIdx, double normalizedValue) {
  char text[64];
  std::snprintf(text, sizeof text, "SetParamFromUI %d %g", paramIdx, normalizedValue);
  log_->push_back(text);
  if (!GestureOpen(paramIdx)) faults_.push_back("set outside a gesture " + std::to_string(paramIdx));
  IGfxEditorDelegate::SetParamFromUI(paramIdx, normalizedValue);
}

std::vector<std::string> GfxTestDelegate::GestureFaults() const {
  std::vector<std::string> faults = faults_;
  for (const auto& open : openGestures_) faults.push_back("open " + std::to_string(open.first));
  return faults;
}

}  // namespace plugfw::gfx::test
