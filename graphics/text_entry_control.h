#pragma once
// ITextEntryControl: the in-editor, single-line text entry that the graphics context shows
// over a control while the user types a value. It is a special control of the graphics
// context (AttachTextEntry), invisible and hit by nothing until an entry begins.
//
// This is the entry's frame - its life, its box and its text; the editing engine (caret,
// selection, keys, clipboard and undo) comes with the text entry control's own work.
// UI thread only.

#include <cstdint>

#include "core/heap_string.h"
#include "graphics/control.h"

namespace plugfw::gfx {

class ITextEntryControl : public IControl {
 public:
  ITextEntryControl();

  // Shows the entry over bounds with the text, in the style's text-entry colours. The
  // parameter index and length limit are accepted for the platform entry's sake only.
  virtual void BeginTextEntry(int32_t paramIdx, const TextStyle& style, const Rect& bounds, int32_t length,
                              const char* text);
  // Hides the entry and forgets the edit without applying anything.
  void CancelEntry();

  bool IsEditing() const { return editing_; }
  const char* GetText() const { return text_.Get(); }
  void SetText(const char* text) { text_.Set(text); }

  void Draw(IGfx& gfx) override;

 private:
  void Close();

  bool editing_ = false;
  HeapString text_;
};

}  // namespace plugfw::gfx
