#include "graphics/text_entry_engine.h"

#include <algorithm>
#include <numeric>

#include "graphics/text_entry_keys.h"
#include "graphics/text_entry_utf.h"

// stb_textedit, set up for one line of UTF-16 text. Its state type depends on these
// settings, so it is included here alone and reached only through TextEntryEngine.
#define STB_TEXTEDIT_CHARTYPE char16_t
#define STB_TEXTEDIT_POSITIONTYPE int
#define STB_TEXTEDIT_UNDOSTATECOUNT plugfw::gfx::TextEntryEngine::kUndoRecords
#define STB_TEXTEDIT_UNDOCHARCOUNT plugfw::gfx::TextEntryEngine::kUndoCharacters
#define STB_TEXTEDIT_KEYTYPE uint32_t
#define STB_TEXTEDIT_STRING plugfw::gfx::TextEntryEngine
#define STB_TEXTEDIT_STRINGLEN(engine) plugfw::gfx::TextEntryEngine::Callbacks::Length(engine)
#define STB_TEXTEDIT_LAYOUTROW(row, engine, start) \
  plugfw::gfx::TextEntryEngine::Callbacks::Layout(row, engine)
#define STB_TEXTEDIT_GETWIDTH(engine, start, i) \
  plugfw::gfx::TextEntryEngine::Callbacks::Width(engine, (start) + (i))
#define STB_TEXTEDIT_KEYTOTEXT(key) plugfw::gfx::TextEntryEngine::Callbacks::KeyToText(key)
#define STB_TEXTEDIT_GETCHAR(engine, i) plugfw::gfx::TextEntryEngine::Callbacks::Unit(engine, i)
#define STB_TEXTEDIT_NEWLINE u'\n'
#define STB_TEXTEDIT_IS_SPACE(c) ((c) == u' ' || (c) == u'\t')
#define STB_TEXTEDIT_DELETECHARS(engine, i, n) plugfw::gfx::TextEntryEngine::Callbacks::Delete(engine, i, n)
#define STB_TEXTEDIT_INSERTCHARS(engine, i, units, n) \
  plugfw::gfx::TextEntryEngine::Callbacks::Insert(engine, i, units, n)
#define STB_TEXTEDIT_K_SHIFT plugfw::gfx::kEngineShiftBit
#define STB_TEXTEDIT_K_LEFT plugfw::gfx::kEngineKeyLeft
#define STB_TEXTEDIT_K_RIGHT plugfw::gfx::kEngineKeyRight
#define STB_TEXTEDIT_K_UP plugfw::gfx::kEngineKeyUp
#define STB_TEXTEDIT_K_DOWN plugfw::gfx::kEngineKeyDown
#define STB_TEXTEDIT_K_PGUP plugfw::gfx::kEngineKeyPageUp
#define STB_TEXTEDIT_K_PGDOWN plugfw::gfx::kEngineKeyPageDown
#define STB_TEXTEDIT_K_LINESTART plugfw::gfx::kEngineKeyLineStart
#define STB_TEXTEDIT_K_LINEEND plugfw::gfx::kEngineKeyLineEnd
#define STB_TEXTEDIT_K_TEXTSTART plugfw::gfx::kEngineKeyTextStart
#define STB_TEXTEDIT_K_TEXTEND plugfw::gfx::kEngineKeyTextEnd
#define STB_TEXTEDIT_K_DELETE plugfw::gfx::kEngineKeyDelete
#define STB_TEXTEDIT_K_BACKSPACE plugfw::gfx::kEngineKeyBackspace
#define STB_TEXTEDIT_K_UNDO plugfw::gfx::kEngineKeyUndo
#define STB_TEXTEDIT_K_REDO plugfw::gfx::kEngineKeyRedo
#define STB_TEXTEDIT_K_INSERT plugfw::gfx::kEngineKeyInsert
#define STB_TEXTEDIT_K_WORDLEFT plugfw::gfx::kEngineKeyWordLeft
#define STB_TEXTEDIT_K_WORDRIGHT plugfw::gfx::kEngineKeyWordRight

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
// The state and row types first, then the callbacks that use them, then the engine.
#include "stb_textedit.h"

namespace plugfw::gfx {

struct TextEntryEngine::Callbacks {
  static int Length(const TextEntryEngine* engine) { return engine->Length(); }
  static char16_t Unit(const TextEntryEngine* engine, int i) {
    return i >= 0 && i < engine->Length() ? engine->text_[static_cast<size_t>(i)] : u'\0';
  }
  static float Width(TextEntryEngine* engine, int i) { return engine->WidthOf(i); }
  static int KeyToText(uint32_t key) {
    const int32_t c = EngineCodeToCharacter(key);
    // A character beyond one unit arrives as a pair through Paste.
    return c > 0xFFFF ? -1 : c;
  }
  static void Layout(StbTexteditRow* row, TextEntryEngine* engine) {
    const Row laid = engine->LayoutRow();
    row->x0 = laid.x0;
    row->x1 = laid.x1;
    row->ymin = laid.ymin;
    row->ymax = laid.ymax;
    row->baseline_y_delta = kBaselineStep;
    row->num_chars = engine->Length();
  }
  static void Delete(TextEntryEngine* engine, int i, int n) { engine->Delete(i, n); }
  static int Insert(TextEntryEngine* engine, int i, const char16_t* units, int n) {
    engine->Insert(i, units, n);
    return 1;
  }
};

}  // namespace plugfw::gfx

#define STB_TEXTEDIT_IMPLEMENTATION
#include "stb_textedit.h"
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace plugfw::gfx {

struct TextEntryEngine::State {
  STB_TexteditState edit;
};

bool TextEntryEngine::Snapshot::operator==(const Snapshot& other) const {
  return revision == other.revision && cursor == other.cursor && selectStart == other.selectStart &&
         selectEnd == other.selectEnd && insertMode == other.insertMode;
}

TextEntryEngine::TextEntryEngine() : state_(std::make_unique<State>()) {
  stb_textedit_initialize_state(&state_->edit, 1);
}

TextEntryEngine::~TextEntryEngine() = default;

void TextEntryEngine::SetMeasure(MeasureFunction measure) {
  measure_ = std::move(measure);
  widths_.clear();
  widthsMeasured_ = false;
}

void TextEntryEngine::SetBox(const Rect& box, const TextStyle& style) {
  box_ = box;
  // Kerning and widths depend on the font and size.
  if (style.size != style_.size || std::string(style.fontId) != style_.fontId) {
    widths_.clear();
    widthsMeasured_ = false;
  }
  style_ = style;
}

void TextEntryEngine::SetText(std::u16string text) {
  text_ = std::move(text);
  widths_.clear();
  widthsMeasured_ = false;
  ++revision_;
  stb_textedit_initialize_state(&state_->edit, 1);
}

float TextEntryEngine::MeasureUnits(int32_t first, int32_t count) const {
  if (!measure_ || count <= 0) return 0.f;
  const std::string utf8 =
      Utf16ToUtf8String(text_.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
  return measure_(utf8.c_str());
}

void TextEntryEngine::RemeasureUnits(int32_t first, int32_t last) {
  first = std::max(first, 0);
  last = std::min(last, Length() - 1);
  for (int32_t i = first; i <= last; ++i) {
    widths_[static_cast<size_t>(i)] =
        i == 0 ? MeasureUnits(0, 1) : MeasureUnits(i - 1, 2) - MeasureUnits(i - 1, 1);
  }
}

void TextEntryEngine::MeasureWidths() {
  if (widthsMeasured_) return;
  widths_.assign(text_.size(), 0.f);
  RemeasureUnits(0, Length() - 1);
  widthsMeasured_ = true;
}

float TextEntryEngine::WidthOf(int32_t unit) {
  MeasureWidths();
  return unit >= 0 && unit < Length() ? widths_[static_cast<size_t>(unit)] : 0.f;
}

float TextEntryEngine::WidthBefore(int32_t position) {
  MeasureWidths();
  position = std::clamp(position, 0, Length());
  return std::accumulate(widths_.begin(), widths_.begin() + position, 0.f);
}

TextEntryEngine::Row TextEntryEngine::LayoutRow() {
  const float width = WidthBefore(Length());
  Row row;
  switch (style_.align) {
    case TextAlign::kNear:
      row.x0 = box_.left;
      break;
    case TextAlign::kCentre:
      row.x0 = box_.CentreX() - width / 2.f;
      break;
    case TextAlign::kFar:
      row.x0 = box_.right - width;
      break;
  }
  row.x1 = row.x0 + width;
  switch (style_.valign) {
    case TextVAlign::kTop:
      row.ymin = 0.f;
      break;
    case TextVAlign::kMiddle:
      row.ymin = (box_.Height() - style_.size) / 2.f;
      break;
    case TextVAlign::kBottom:
      row.ymin = box_.Height() - style_.size;
      break;
  }
  row.ymax = row.ymin + style_.size;
  return row;
}

void TextEntryEngine::Insert(int32_t position, const char16_t* units, int32_t count) {
  if (count <= 0) return;
  position = std::clamp(position, 0, Length());
  text_.insert(static_cast<size_t>(position), units, static_cast<size_t>(count));
  ++revision_;
  if (!widthsMeasured_) return;
  widths_.insert(widths_.begin() + position, static_cast<size_t>(count), 0.f);
  RemeasureUnits(position, position + count);
}

void TextEntryEngine::Delete(int32_t position, int32_t count) {
  if (position < 0 || position >= Length() || count <= 0) return;
  count = std::min(count, Length() - position);
  text_.erase(static_cast<size_t>(position), static_cast<size_t>(count));
  ++revision_;
  if (!widthsMeasured_) return;
  widths_.erase(widths_.begin() + position, widths_.begin() + position + count);
  RemeasureUnits(position, position);
}

int32_t TextEntryEngine::Cursor() const { return state_->edit.cursor; }
int32_t TextEntryEngine::SelectionStart() const { return state_->edit.select_start; }
int32_t TextEntryEngine::SelectionEnd() const { return state_->edit.select_end; }
bool TextEntryEngine::InsertMode() const { return state_->edit.insert_mode != 0; }

std::u16string TextEntryEngine::SelectedText() const {
  const int32_t from = std::clamp(std::min(SelectionStart(), SelectionEnd()), 0, Length());
  const int32_t to = std::clamp(std::max(SelectionStart(), SelectionEnd()), 0, Length());
  return text_.substr(static_cast<size_t>(from), static_cast<size_t>(to - from));
}

TextEntryEngine::Snapshot TextEntryEngine::Take() const {
  return {revision_, Cursor(), SelectionStart(), SelectionEnd(), InsertMode()};
}

bool TextEntryEngine::Key(uint32_t code) {
  const Snapshot before = Take();
  const int32_t c = EngineCodeToCharacter(code);
  if (c > 0xFFFF) {
    // One undoable insertion of both halves, replacing a selection as typing does.
    const uint32_t offset = static_cast<uint32_t>(c) - 0x10000;
    const char16_t pair[] = {static_cast<char16_t>(0xD800 + (offset >> 10)),
                             static_cast<char16_t>(0xDC00 + (offset & 0x3FF))};
    stb_textedit_paste(this, &state_->edit, pair, 2);
  } else {
    stb_textedit_key(this, &state_->edit, code);
  }
  return ChangedSince(before);
}

bool TextEntryEngine::Click(float x) {
  const Snapshot before = Take();
  stb_textedit_click(this, &state_->edit, x, 0.f);
  return ChangedSince(before);
}

bool TextEntryEngine::Drag(float x) {
  const Snapshot before = Take();
  stb_textedit_drag(this, &state_->edit, x, 0.f);
  return ChangedSince(before);
}

bool TextEntryEngine::SelectAll() {
  const Snapshot before = Take();
  state_->edit.select_start = 0;
  state_->edit.select_end = Length();
  return ChangedSince(before);
}

bool TextEntryEngine::Cut() {
  const Snapshot before = Take();
  stb_textedit_cut(this, &state_->edit);
  return ChangedSince(before);
}

bool TextEntryEngine::Paste(const std::u16string& text) {
  const Snapshot before = Take();
  if (!text.empty()) stb_textedit_paste(this, &state_->edit, text.data(), static_cast<int>(text.size()));
  return ChangedSince(before);
}

}  // namespace plugfw::gfx
