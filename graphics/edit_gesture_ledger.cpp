#include "graphics/edit_gesture_ledger.h"

#include <algorithm>

#include "graphics/editor_delegate.h"

namespace plugfw::gfx {

int32_t EditGestureLedger::OpenEdits(int32_t paramIdx) const {
  return static_cast<int32_t>(std::count_if(
      edits_.begin(), edits_.end(), [paramIdx](const Edit& edit) { return edit.paramIdx == paramIdx; }));
}

void EditGestureLedger::BeginEdit(Holder holder, int32_t paramIdx) {
  if (paramIdx < 0) return;
  const bool first = OpenEdits(paramIdx) == 0;
  edits_.push_back({holder, paramIdx});
  if (first) delegate_.BeginParamEditFromUI(paramIdx);
}

void EditGestureLedger::SetValue(int32_t paramIdx, double normalizedValue) {
  if (paramIdx < 0) return;
  if (OpenEdits(paramIdx) > 0) {
    delegate_.SetParamFromUI(paramIdx, normalizedValue);
    return;
  }
  delegate_.BeginParamEditFromUI(paramIdx);
  delegate_.SetParamFromUI(paramIdx, normalizedValue);
  delegate_.EndParamEditFromUI(paramIdx);
}

void EditGestureLedger::CloseEdit(size_t index) {
  const int32_t paramIdx = edits_[index].paramIdx;
  edits_.erase(edits_.begin() + static_cast<std::ptrdiff_t>(index));
  // The ledger is consistent before the delegate hears of it, so a delegate that reaches
  // back into the editor sees the edit closed.
  if (OpenEdits(paramIdx) == 0) delegate_.EndParamEditFromUI(paramIdx);
}

void EditGestureLedger::EndEdit(Holder holder, int32_t paramIdx) {
  // The latest of the holder's edits of the parameter.
  for (size_t i = edits_.size(); i-- > 0;) {
    if (edits_[i].holder == holder && edits_[i].paramIdx == paramIdx) {
      CloseEdit(i);
      return;
    }
  }
}

void EditGestureLedger::EndEditsHeldBy(Holder holder) {
  for (size_t i = edits_.size(); i-- > 0;) {
    if (i < edits_.size() && edits_[i].holder == holder) CloseEdit(i);
  }
}

void EditGestureLedger::EndAllEdits() {
  while (!edits_.empty()) CloseEdit(edits_.size() - 1);
}

}  // namespace plugfw::gfx
