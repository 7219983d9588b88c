#pragma once
// ITextEntryControl: the in-editor, single-line text entry that the graphics context shows
// over a control while the user types a value. It is a special control of the graphics
// context (AttachTextEntry), invisible and hit by nothing until an entry begins; while it
// edits, the hit test hands it every press, drag and key. Enter or a press outside it
// commits the text through the graphics context's ApplyTextEntry, Escape cancels.
//
// The editing is TextEntryEngine's; this control adds the keys, the clipboard, the
// Cut/Copy/Paste menu, the blinking caret and the drawing. An idle entry draws nothing
// and, once its entry ended, is not dirty. UI thread only.

#include <cstdint>
#include <string>

#include "graphics/control.h"
#include "graphics/popup_menu.h"
#include "graphics/text_entry_engine.h"

namespace plugfw::gfx {

class ITextEntryControl : public IControl {
 public:
  static constexpr int32_t kCaretBlinkMs = 1000;
  // The caret shows for this part of each blink.
  static constexpr double kCaretShownFraction = 0.5;
  static constexpr float kSelectionBlendWeight = 0.2f;
  // Caret and selection leave this part of the text size free above and below.
  static constexpr float kCaretInset = 0.1f;
  // UTF-16 units a paste brings at most, as many as the platform's edit box hands over.
  static constexpr int32_t kPasteLimit = 256;
  enum EditMenuItem : int32_t { kMenuCut = 0, kMenuCopy = 1, kMenuPaste = 2 };

  ITextEntryControl();
  ~ITextEntryControl() override;

  // Shows the entry over bounds with the text all selected, in the style's text-entry
  // colours. The parameter index and length limit are for the platform's entry only: this
  // one takes text of any length and filters keys by the control in edit.
  virtual void BeginTextEntry(int32_t paramIdx, const TextStyle& style, const Rect& bounds, int32_t length,
                              const char* text);
  // Ends the entry and hands the text to the graphics context's ApplyTextEntry.
  void CommitEntry();
  // Ends the entry and forgets the edit without applying anything.
  void CancelEntry();

  // Replaces the text (UTF-8) and starts its editing afresh.
  void SetText(const char* text);
  void SelectAll();
  // The selection, as UTF-8, to the platform clipboard; nothing when none is selected.
  void CopySelection();
  void CutSelection();
  // The clipboard's text at the caret, replacing a selection: one line of at most
  // kPasteLimit units, without line breaks or other control characters.
  void Paste();

  bool IsEditing() const { return editing_; }
  bool CaretVisible() const { return caretVisible_; }
  // The text as UTF-8, valid until the next call.
  const char* GetText() const;
  const std::u16string& GetTextUtf16() const { return engine_.Text(); }
  int32_t GetCursor() const { return engine_.Cursor(); }
  int32_t GetSelectionStart() const { return engine_.SelectionStart(); }
  int32_t GetSelectionEnd() const { return engine_.SelectionEnd(); }
  const IPopupMenu& GetEditMenu() const { return editMenu_; }
  TextEntryEngine& GetEngine() { return engine_; }

  void OnMouseDown(float x, float y, const ModifierKeys& mod) override;
  void OnMouseUp(float x, float y, const ModifierKeys& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const ModifierKeys& mod) override;
  void OnMouseDoubleClick(float x, float y, const ModifierKeys& mod) override;
  // While editing, every key the entry understands is answered as handled, also when it
  // changes nothing: a Backspace at the start never reaches the host as its own Delete, nor
  // a Ctrl+Z with nothing left to undo as the host's undo. Tab and chords the entry has no
  // use for go on.
  bool OnKeyDown(float x, float y, const KeyEvent& key) override;
  void OnResize() override;
  void Draw(IGfx& gfx) override;
  void OnEndAnimation() override;

 private:
  // The action function: shows the caret and starts its blink again.
  void RestartCaret();
  void Blink();
  // Hides the entry; nothing is applied or forgotten here.
  void Close();
  void ShowEditMenu(float x, float y);
  // After an engine operation: redraw when it changed anything.
  bool Changed(bool changed);

  bool caretVisible_ = false;
  bool editing_ = false;
  TextEntryEngine engine_;
  IPopupMenu editMenu_;
  mutable std::string utf8_;  // what GetText last handed out
};

}  // namespace plugfw::gfx
