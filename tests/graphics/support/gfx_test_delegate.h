#pragma once
// GfxTestDelegate: a graphics editor delegate with real parameter records that logs the
// edits the controls send and checks them the way a host would: every gesture balanced,
// no value outside a gesture, no end without a begin, no second begin of an open gesture.
// The log can be shared with LoggingControls to see one order.

#include <map>
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

  // What a host would object to so far, in order, with every gesture still open at the end
  // ("open 3"); empty when the edits were well formed.
  std::vector<std::string> GestureFaults() const;
  bool GestureOpen(int32_t paramIdx) const { return openGestures_.count(paramIdx) != 0; }

 private:
  std::vector<std::string>* log_;
  std::map<int32_t, bool> openGestures_;
  std::vector<std::string> faults_;
};

}  // namespace plugfw::gfx::test
