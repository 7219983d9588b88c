#include "graphics/text_entry_control.h"

#include "graphics/gfx.h"

namespace plugfw::gfx {

ITextEntryControl::ITextEntryControl() : IControl(Rect()) {}

void ITextEntryControl::BeginTextEntry(int32_t /*paramIdx*/, const TextStyle& style, const Rect& bounds,
                                       int32_t /*length*/, const char* text) {
  SetMouseIsOver(false);
  SetTargetAndDrawRects(bounds);
  OnResize();
  TextStyle entryStyle = style;
  entryStyle.textColour = style.entryTextColour;
  SetTextStyle(entryStyle);
  text_.Set(text);
  SetDirty(true);
  editing_ = true;
}

void ITextEntryControl::CancelEntry() {
  Close();
  if (GetUI()) {
    GetUI()->ClearInTextEntryControl();
    GetUI()->SetAllControlsDirty();
  }
}

void ITextEntryControl::Close() {
  editing_ = false;
  SetTargetAndDrawRects(Rect());
  SetMouseIsOver(false);
  OnResize();
}

void ITextEntryControl::Draw(IGfx& gfx) {
  if (!editing_) return;
  gfx.FillRect(GetTextStyle().entryBackgroundColour, GetRect());
  gfx.DrawTextIfAny(GetTextStyle(), text_.Get(), GetRect());
}

}  // namespace plugfw::gfx
