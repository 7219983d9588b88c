// Value prompts, popup menus and text entry routing: a control asks for a menu or a text
// entry, the graphics context shows it through its own control or the platform's, and
// hands the answer back to the control that asked; peer controls follow a change.

#include <cstring>

#include "core/param.h"
#include "graphics/control.h"
#include "graphics/gfx.h"
#include "graphics/gfx_editor_delegate.h"
#include "graphics/text_entry_control.h"

namespace plugfw::gfx {
namespace {

constexpr int32_t kPromptTextLength = 128;

bool PromptsWithMenu(const IParam& param) {
  return param.Type() == ParamType::kEnumerated ||
         (param.Type() == ParamType::kBoolean && param.DisplayTextCount() > 0);
}

}  // namespace

void IGfx::PromptValueEntry(IControl* control, const Rect& bounds, int32_t valIdx) {
  const IParam* param = control ? control->GetParam(valIdx) : nullptr;
  if (!param) return;
  if (PromptsWithMenu(*param)) {
    HeapString current;
    param->FormatParamDisplay(param->Value(), false, current, true);
    ResetPromptMenu();
    for (int32_t i = 0; i < param->DisplayTextCount(); ++i) {
      const char* text = param->DisplayTextAt(i)->text;
      const bool checked = std::strcmp(text, current.Get()) == 0;
      promptMenu_.AddItem(text, checked ? PopupMenuItem::kChecked : PopupMenuItem::kNoFlags);
    }
    promptMenu_.SetTitle(param->Name());
    ShowPopupMenuFor(control, promptMenu_, bounds, valIdx, false);
    return;
  }
  HeapString text;
  param->FormatParamDisplay(param->Value(), false, text, false);
  if (control->GetPromptShowsParamLabel()) text.AppendFormatted(kPromptTextLength, " %s", param->Label());
  CreateTextEntry(control, control->GetTextStyle(), bounds, text.Get(), valIdx);
}

IPopupMenu* IGfx::ShowControlPopupMenu(IControl* control, IPopupMenu& menu, const Rect& bounds,
                                       int32_t valIdx) {
  return ShowPopupMenuFor(control, menu, bounds, valIdx, false);
}

IPopupMenu* IGfx::ShowPopupMenuFor(IControl* control, IPopupMenu& menu, const Rect& bounds, int32_t valIdx,
                                   bool isContextMenu) {
  // Ends the edits the press opened: the answer, when one comes, is a change of its own.
  ReleaseMouseCapture();
  popupValIdx_ = valIdx;
  popupIsContextMenu_ = isContextMenu;
  popupRequester_ = control;
  // A drawn popup menu control would answer later through its completion.
  if (popupMenuControl_) return nullptr;
  // The platform menu runs a modal loop: whatever it closes or removes meanwhile is deleted
  // only once this walk is over, and a removed requester has been forgotten.
  ControlWalk walk(*this);
  bool isAsync = false;
  IPopupMenu* answered = ShowNativePopupMenu(menu, bounds, isAsync);
  // The menu itself may go with the editor when the walk ends.
  if (deleteWhenWalkEnds_) return nullptr;
  IControl* requester = popupRequester_;
  if (isAsync || !requester) return answered;
  popupRequester_ = nullptr;
  if (popupIsContextMenu_) {
    requester->OnContextSelection(answered ? answered->GetChosenItemIdx() : -1);
  } else {
    const bool chosen = answered && answered->GetChosenItemIdx() != IPopupMenu::kNothingChosen;
    requester->OnPopupMenuSelection(chosen ? answered : nullptr, popupValIdx_);
  }
  return deleteWhenWalkEnds_ ? nullptr : answered;
}

IPopupMenu& IGfx::ResetPromptMenu() {
  // What one control set must not answer the next.
  promptMenu_.Clear(true);
  promptMenu_.SetTitle("");
  promptMenu_.SetFunction(nullptr);
  return promptMenu_;
}

void IGfx::ShowControlContextMenuLocal(IControl* control, int32_t /*paramIdx*/, float x, float y) {
  ResetPromptMenu();
  if (!control) return;
  control->CreateContextMenu(promptMenu_);
  if (promptMenu_.NItems() == 0) return;
  ShowPopupMenuFor(control, promptMenu_, Rect(x, y, x, y), -1, true);
}

void IGfx::ShowControlContextMenu(IControl* control, int32_t paramIdx, float x, float y) {
  if (delegate_->ShowControlContextMenu(*this, control, paramIdx, x, y)) return;
  ShowControlContextMenuLocal(control, paramIdx, x, y);
}

void IGfx::CreateTextEntry(IControl* control, const TextStyle& style, const Rect& bounds, const char* text,
                           int32_t valIdx) {
  if (!control) return;
  inTextEntry_ = control;
  textEntryValIdx_ = valIdx;
  const int32_t paramIdx = valIdx >= 0 ? control->GetParamIdx(valIdx) : kNoParameter;
  if (textEntry_) {
    textEntry_->BeginTextEntry(paramIdx, style, bounds, control->GetTextEntryLength(), text);
  } else {
    ShowNativeTextEntry(paramIdx, style, bounds, control->GetTextEntryLength(), text);
  }
  control->SetDirty(false, IControl::kAllValues);
}

void IGfx::ApplyTextEntry(const char* text) {
  IControl* control = inTextEntry_;
  if (!control) return;
  // Cleared first: the control may start another entry from its answer.
  inTextEntry_ = nullptr;
  ControlWalk walk(*this);
  const int32_t valIdx = textEntryValIdx_;
  const IParam* param = valIdx >= 0 ? control->GetParam(valIdx) : nullptr;
  if (!param) {
    control->OnTextEntryCompletion(text ? text : "", valIdx);
    return;
  }
  // Text that names no value leaves the parameter where it was, rather than at a fallback.
  double value = 0.0;
  if (text && param->TryParseParamText(text, value))
    control->SetValueFromUserInput(param->ToNormalized(value), valIdx);
}

void IGfx::UpdatePeerControls(IControl* control, int32_t valIdx) {
  if (!control) return;
  const int32_t paramIdx = control->GetParamIdx(valIdx);
  if (paramIdx < 0) return;
  const double value = control->GetValue(valIdx);
  for (int32_t i = 0; i < controls_.Count(); ++i) {
    IControl* peer = controls_.Get(i);
    if (peer == control) continue;
    const int32_t peerIdx = peer->ValueIndexOfParam(paramIdx);
    if (peerIdx >= 0) peer->SetValueFromDelegate(value, peerIdx);
  }
}

}  // namespace plugfw::gfx
