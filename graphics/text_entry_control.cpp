#include "graphics/text_entry_control.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "core/utf_conversion.h"
#include "graphics/entry_characters.h"
#include "graphics/gfx.h"
#include "graphics/text_entry_keys.h"
#include "graphics/text_entry_utf.h"

namespace plugfw::gfx {
namespace {

// One line of printable text, at most kPasteLimit units, never half a surrogate pair.
std::u16string OneLineForPaste(const std::u16string& text) {
  std::u16string line;
  for (char16_t unit : text) {
    if (IsControlCharacter(unit)) continue;
    line.push_back(unit);
  }
  if (line.size() > static_cast<size_t>(ITextEntryControl::kPasteLimit)) {
    size_t keep = ITextEntryControl::kPasteLimit;
    if (IsHighSurrogate(line[keep - 1])) --keep;
    line.resize(keep);
  }
  return line;
}

}  // namespace

ITextEntryControl::ITextEntryControl()
    : IControl(Rect(), kNoParameter,
               [](IControl& self) { static_cast<ITextEntryControl&>(self).RestartCaret(); }) {
  engine_.SetMeasure([this](const char* utf8) {
    IGfx* gfx = GetUI();
    Rect bounds;
    return gfx ? gfx->MeasureText(GetTextStyle(), utf8, bounds) : 0.f;
  });
}

ITextEntryControl::~ITextEntryControl() = default;

void ITextEntryControl::BeginTextEntry(int32_t /*paramIdx*/, const TextStyle& style, const Rect& bounds,
                                       int32_t /*length*/, const char* text) {
  SetMouseIsOver(false);
  SetTargetAndDrawRects(bounds);
  TextStyle entryStyle = style;
  entryStyle.textColour = style.entryTextColour;
  SetTextStyle(entryStyle);
  OnResize();
  SetText(text);
  SelectAll();
  engine_.MeasureWidths();
  editing_ = true;
  SetDirty(true);
}

void ITextEntryControl::Close() {
  editing_ = false;
  caretVisible_ = false;
  SetAnimation(nullptr);
  SetTargetAndDrawRects(Rect());
  SetMouseIsOver(false);
  OnResize();
}

void ITextEntryControl::CommitEntry() {
  if (!editing_) return;
  const std::string text = GetText();
  // Hidden before the text is applied: the control that gets it may begin another entry.
  Close();
  IGfx* gfx = GetUI();
  if (!gfx) return;
  IGfx::ControlWalk walk(*gfx);
  gfx->ApplyTextEntry(text.c_str());
  gfx->SetAllControlsDirty();
  // The controls redraw where it stood; an idle entry has nothing to draw.
  if (!editing_) SetClean();
}

void ITextEntryControl::CancelEntry() {
  if (!editing_) return;
  Close();
  IGfx* gfx = GetUI();
  if (!gfx) return;
  IGfx::ControlWalk walk(*gfx);
  gfx->ClearInTextEntryControl();
  gfx->SetAllControlsDirty();
  if (!editing_) SetClean();
}

void ITextEntryControl::SetText(const char* text) { engine_.SetText(Utf8ToUtf16String(text)); }

const char* ITextEntryControl::GetText() const {
  utf8_ = Utf16ToUtf8String(engine_.Text());
  return utf8_.c_str();
}

bool ITextEntryControl::Changed(bool changed) {
  if (changed) SetDirty(false);
  return changed;
}

void ITextEntryControl::SelectAll() { Changed(engine_.SelectAll()); }

void ITextEntryControl::CopySelection() {
  IGfx* gfx = GetUI();
  if (!gfx || !engine_.HasSelection()) return;
  gfx->SetTextInClipboard(Utf16ToUtf8String(engine_.SelectedText()).c_str());
}

void ITextEntryControl::CutSelection() {
  CopySelection();
  Changed(engine_.Cut());
}

void ITextEntryControl::Paste() {
  IGfx* gfx = GetUI();
  HeapString clipboard;
  if (!gfx || !gfx->GetTextFromClipboard(clipboard)) return;
  Changed(engine_.Paste(OneLineForPaste(Utf8ToUtf16String(clipboard.Get()))));
}

bool ITextEntryControl::OnKeyDown(float /*x*/, float /*y*/, const KeyEvent& key) {
  if (!editing_) return false;
  IGfx* gfx = GetUI();
  const IControl* edited = gfx ? gfx->GetControlInTextEntry() : nullptr;
  // The parameter the text will be parsed into; an entry for no slot is filtered by the
  // control's first.
  std::optional<EntryCharacters> allowed;
  if (edited) allowed = EntryCharactersFor(edited->GetParam(std::max(0, gfx->GetTextEntryValIdx())));
  const TextEntryKeyAction action = TranslateTextEntryKey(key, allowed);
  using Kind = TextEntryKeyAction::Kind;
  switch (action.kind) {
    case Kind::kSelectAll:
      SelectAll();
      return true;
    case Kind::kCopy:
      CopySelection();
      return true;
    case Kind::kPaste:
      Paste();
      return true;
    case Kind::kCut:
      CutSelection();
      return true;
    case Kind::kCommit:
      CommitEntry();
      return true;
    case Kind::kCancel:
      CancelEntry();
      return true;
    case Kind::kNotHandled:
      return false;
    case Kind::kEngine:
      break;
  }
  return Changed(engine_.Key(action.code)) || action.keptWhenUnchanged;
}

void ITextEntryControl::OnMouseDown(float x, float y, const ModifierKeys& mod) {
  if (!editing_) return;
  if (!GetRect().Contains(x, y)) {
    CommitEntry();
    return;
  }
  if (mod.rightButton) {
    ShowEditMenu(x, y);
  } else if (mod.leftButton) {
    Changed(engine_.Click(x));
  }
}

void ITextEntryControl::ShowEditMenu(float x, float y) {
  IGfx* gfx = GetUI();
  if (!gfx) return;
  editMenu_.Clear(true);
  editMenu_.SetTitle("");
  editMenu_.AddItem("Cut");
  editMenu_.AddItem("Copy");
  editMenu_.AddItem("Paste");
  editMenu_.SetFunction([this](IPopupMenu& menu) {
    switch (menu.GetChosenItemIdx()) {
      case kMenuCut:
        CutSelection();
        break;
      case kMenuCopy:
        CopySelection();
        break;
      case kMenuPaste:
        Paste();
        break;
      default:
        break;
    }
  });
  gfx->ShowControlPopupMenu(this, editMenu_, Rect(x, y, x, y), 0);
}

void ITextEntryControl::OnMouseDrag(float x, float /*y*/, float /*dX*/, float /*dY*/,
                                    const ModifierKeys& mod) {
  if (editing_ && mod.leftButton) Changed(engine_.Drag(x));
}

void ITextEntryControl::OnMouseUp(float x, float /*y*/, const ModifierKeys& mod) {
  // The release of the press that ended the entry finds it idle.
  if (!editing_ || !mod.leftButton) return;
  Changed(engine_.Drag(x));
  SetDirty(true);
}

void ITextEntryControl::OnMouseDoubleClick(float /*x*/, float /*y*/, const ModifierKeys& /*mod*/) {
  if (editing_) SelectAll();
}

void ITextEntryControl::OnResize() { engine_.SetBox(GetRect(), GetTextStyle()); }

void ITextEntryControl::RestartCaret() {
  caretVisible_ = true;
  SetAnimation([](IControl& self) { static_cast<ITextEntryControl&>(self).Blink(); });
  StartAnimation(kCaretBlinkMs);
}

void ITextEntryControl::Blink() {
  const double progress = AnimationProgress();
  if (progress > kCaretShownFraction && caretVisible_) {
    caretVisible_ = false;
    SetDirty(false);
  }
  if (progress > 1.0) OnEndAnimation();
}

void ITextEntryControl::OnEndAnimation() {
  // Ends the blink for good unless the entry still edits.
  IControl::OnEndAnimation();
  if (editing_) SetDirty(true);
}

void ITextEntryControl::Draw(IGfx& gfx) {
  if (!editing_) return;
  const Rect& rect = GetRect();
  const TextStyle& style = GetTextStyle();
  gfx.FillRect(style.entryBackgroundColour, rect);
  const TextEntryEngine::Row row = engine_.LayoutRow();
  const float top = rect.top + row.ymin + kCaretInset * style.size;
  const float bottom = rect.top + row.ymax - kCaretInset * style.size;
  if (engine_.HasSelection()) {
    const int32_t from = std::min(engine_.SelectionStart(), engine_.SelectionEnd());
    const int32_t to = std::max(engine_.SelectionStart(), engine_.SelectionEnd());
    const Blend selection{kBlendDefault, kSelectionBlendWeight};
    gfx.FillRect(style.entryTextColour,
                 Rect(row.x0 + engine_.WidthBefore(from), top, row.x0 + engine_.WidthBefore(to), bottom),
                 &selection);
  }
  gfx.DrawTextIfAny(style, GetText(), rect);
  if (caretVisible_ && !engine_.HasSelection()) {
    const float x = row.x0 + engine_.WidthBefore(engine_.Cursor());
    gfx.FillRect(style.entryTextColour, Rect(std::round(x - 1.f), top, std::round(x), bottom));
  }
}

}  // namespace plugfw::gfx
