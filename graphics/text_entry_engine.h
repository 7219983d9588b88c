#pragma once
// TextEntryEngine: the editing of the text entry's single line - its UTF-16 text, caret,
// selection, insertion, deletion, undo and redo - on stb_textedit, with the width of every
// UTF-16 unit cached and the row laid out in the entry's box by its alignment. The engine
// state stays private to the implementation. UI thread only.
//
// A unit's width is the measured width of it and the unit before, less that of the unit
// before alone, so kerning between neighbours lands in the second one's width; the first
// unit is measured alone. Because a width depends on nothing else, an edit measures again
// only the units it touched and the one after.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graphics/rect.h"
#include "graphics/text_style.h"

namespace plugfw::gfx {

class TextEntryEngine {
 public:
  // The width in editor units of a UTF-8 text.
  using MeasureFunction = std::function<float(const char* utf8)>;

  // Where the row sits in the entry's box: x0..x1 in editor units, ymin..ymax from its top.
  struct Row {
    float x0 = 0.f;
    float x1 = 0.f;
    float ymin = 0.f;
    float ymax = 0.f;
  };

  static constexpr int32_t kUndoRecords = 99;
  static constexpr int32_t kUndoCharacters = 999;
  static constexpr float kBaselineStep = 1.25f;

  // stb_textedit's callbacks into the engine, defined with it.
  struct Callbacks;

  TextEntryEngine();
  ~TextEntryEngine();
  TextEntryEngine(const TextEntryEngine&) = delete;
  TextEntryEngine& operator=(const TextEntryEngine&) = delete;

  void SetMeasure(MeasureFunction measure);
  // The box and style the row is laid out in.
  void SetBox(const Rect& box, const TextStyle& style);

  // Replaces the text and starts afresh: no undo history, caret at 0, nothing selected,
  // widths still to be measured.
  void SetText(std::u16string text);
  const std::u16string& Text() const { return text_; }
  int32_t Length() const { return static_cast<int32_t>(text_.size()); }

  // Measures every width when the cache is empty.
  void MeasureWidths();
  bool WidthsMeasured() const { return widthsMeasured_; }
  float WidthOf(int32_t unit);
  // The widths of the units before position, summed.
  float WidthBefore(int32_t position);
  Row LayoutRow();

  int32_t Cursor() const;
  int32_t SelectionStart() const;
  int32_t SelectionEnd() const;
  bool HasSelection() const { return SelectionStart() != SelectionEnd(); }
  bool InsertMode() const;
  // The selected units, from the smaller end to the larger.
  std::u16string SelectedText() const;

  // Each answers whether the text, caret, selection or insert mode changed.
  bool Key(uint32_t code);
  // x in editor units; a single line takes any height.
  bool Click(float x);
  bool Drag(float x);
  bool SelectAll();
  // Deletes the selection.
  bool Cut();
  // Replaces the selection with the text (deleting a selection first) and puts the caret
  // behind it.
  bool Paste(const std::u16string& text);

 private:
  struct State;
  friend struct Callbacks;
  struct Snapshot {
    uint64_t revision;
    int32_t cursor;
    int32_t selectStart;
    int32_t selectEnd;
    bool insertMode;
    bool operator==(const Snapshot& other) const;
  };

  Snapshot Take() const;
  bool ChangedSince(const Snapshot& before) const { return !(Take() == before); }
  void Insert(int32_t position, const char16_t* units, int32_t count);
  void Delete(int32_t position, int32_t count);
  // Measures the widths of the units in [first, last] again (those that exist).
  void RemeasureUnits(int32_t first, int32_t last);
  float MeasureUnits(int32_t first, int32_t count) const;

  std::unique_ptr<State> state_;
  std::u16string text_;
  std::vector<float> widths_;
  bool widthsMeasured_ = false;
  uint64_t revision_ = 0;  // counts edits of the text
  MeasureFunction measure_;
  Rect box_;
  TextStyle style_;
};

}  // namespace plugfw::gfx
