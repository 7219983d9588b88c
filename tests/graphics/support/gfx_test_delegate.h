#pragma once
// GfxTestDelegate: a graphics editor delegate with real parameter records that logs the
// edits the controls send. The log can be shared with LoggingControls to see one order.

#include <string>
#include <vector>

#include "core/param.h"
#include "graphics/gfx_editor_delegate.h"

namespace plugfw::gfx::test {

class GfxTestDelegate : public IGfxEditorDelegate {
 public:
  explicit GfxTestDelegate(int32_t nParams, std::vector<std::string>* sharedLog = nullptr);

  // Where the calls go: the shared log when one was given, else calls.
  std::vector<std::string> calls;
  std::vector<std::string>& Log() { return *log_; }

  // UI thread, from the controls.
  void BeginParamEditFromUI(int32_t paramIdx) override;
  void EndParamEditFromUI(int32_t paramIdx) override;
  // Logs, then stores the value as the delegate base does.
  void SetParamFromUI(int32_t paramIdx, double normalizedValue) override;

 private:
  std::vector<std::string>* log_;
};

}  // namespace plugfw::gfx::test
