// The in-editor text entry on the recording graphics context, which measures every byte as
// half the text size wide (7 units at size 14): typing, filtering, undo, the clipboard, the
// mouse, layout, drawing and the caret's blink.

#include "graphics/text_entry_control.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/gfx.h"
#include "graphics/rect_list.h"
#include "tests/graphics/support/gfx_test_support.h"
#include "tests/graphics/support/mouse_states.h"

namespace plugfw::gfx {
namespace {

using test::GfxTestDelegate;
using test::LoggingControl;
using test::RecordingGfx;
using test::ScopedTestClock;
using Texts = std::vector<std::string>;

enum : int32_t { kDepth = 0, kVoices, kNumParams };
constexpr float kUnit = 7.f;  // the width of one byte at the default size
constexpr int32_t kEnter = 0x0D;
constexpr int32_t kEscape = 0x1B;
constexpr int32_t kBackspace = 0x08;
constexpr int32_t kLeft = 0x25;
constexpr int32_t kRight = 0x27;

KeyEvent Key(int32_t keyCode, const char* text = "", bool shift = false, bool control = false,
             bool alt = false) {
  KeyEvent key;
  key.keyCode = keyCode;
  std::snprintf(key.utf8, sizeof key.utf8, "%s", text);
  key.shift = shift;
  key.control = control;
  key.alt = alt;
  return key;
}

// The key a character comes from on a US layout, with the character as its text.
KeyEvent CharacterKey(char c) {
  const char text[] = {c, '\0'};
  int32_t keyCode = c;
  if (c >= 'a' && c <= 'z') keyCode = c - 'a' + 'A';
  if (c == '.') keyCode = 0xBE;
  if (c == ',') keyCode = 0xBC;
  if (c == '-') keyCode = 0xBD;
  if (c == '+') keyCode = 0xBB;
  return Key(keyCode, text, c == '+');
}

MouseState Click(float x, float y, bool right = false) {
  MouseState state;
  state.x = x;
  state.y = y;
  state.mod.leftButton = !right;
  state.mod.rightButton = right;
  return state;
}

// Depth 0..100 (a double) and Voices 1..8 (an integer) on two controls, and a free control
// bound to nothing; the text entry attached.
class TextEntryTest : public ::testing::Test {
 protected:
  TextEntryTest() {
    delegate.GetParam(kDepth)->InitDoubleParam("Depth", 50, 0, 100, 0.1, "%");
    delegate.GetParam(kVoices)->InitIntParam("Voices", 4, 1, 8);
    depth = Attach("depth", kDepth);
    voices = Attach("voices", kVoices);
    free = Attach("free", kNoParameter);
    gfx.AttachTextEntry();
    entry = gfx.GetTextEntryControl();
  }

  LoggingControl* Attach(const char* name, int32_t paramIdx) {
    auto* control = new LoggingControl(name, log, Rect(0, 0, 200, 40), paramIdx);
    gfx.AttachControl(control);
    return control;
  }

  // An entry over (10, 10, 110, 30) for the control's first slot.
  void Begin(IControl* control, const char* text, TextAlign align = TextAlign::kNear) {
    TextStyle style;
    style.align = align;
    gfx.CreateTextEntry(control, style, kBox, text, control->GetParamIdx(0) >= 0 ? 0 : -1);
  }

  bool Type(const char* text) {
    bool handled = true;
    for (const char* c = text; *c; ++c) handled = gfx.OnKeyDown(0, 0, CharacterKey(*c)) && handled;
    return handled;
  }

  bool Press(const KeyEvent& key) { return gfx.OnKeyDown(0, 0, key); }

  std::string Text() const { return entry->GetText(); }

  // One frame: every control animates, the dirty ones are named and drawn clean.
  Texts Frame() {
    Texts dirty;
    gfx.ForAllControls([](IControl& control) { control.Animate(); });
    gfx.ForAllControls([&dirty](IControl& control) {
      if (!control.IsDirty()) return;
      const auto* logging = dynamic_cast<const LoggingControl*>(&control);
      dirty.push_back(logging ? logging->Name() : "text entry");
    });
    gfx.SetAllControlsClean();
    return dirty;
  }

  static constexpr Rect kBox{10, 10, 110, 30};
  ScopedTestClock clock;
  Texts log;
  GfxTestDelegate delegate{kNumParams, &log};
  RecordingGfx gfx{delegate};
  LoggingControl* depth;
  LoggingControl* voices;
  LoggingControl* free;
  ITextEntryControl* entry;
};

TEST_F(TextEntryTest, ItBeginsWithTheWholeTextSelectedSoTypingReplacesIt) {
  Begin(depth, "12.5");
  EXPECT_TRUE(entry->IsEditing());
  EXPECT_EQ(entry->GetRect(), kBox);
  EXPECT_EQ(entry->GetSelectionStart(), 0);
  EXPECT_EQ(entry->GetSelectionEnd(), 4);
  EXPECT_EQ(entry->GetCursor(), 0);
  EXPECT_TRUE(Type("3"));
  EXPECT_EQ(Text(), "3");
  EXPECT_TRUE(Type("7"));
  EXPECT_EQ(Text(), "37");
}

TEST_F(TextEntryTest, TheEditedParameterDecidesWhichCharactersAreTyped) {
  struct Case {
    const char* what;
    LoggingControl* control;
    const char* typed;
    const char* result;
  };
  const Case cases[] = {
      {"an integer takes digits and signs", voices, "-12+x.,", "-12+"},
      {"a double takes the full stop too", depth, "1e3.5,", "13.5"},
      {"a control without a parameter takes anything", free, "2.5 k,", "2.5 k,"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Begin(c.control, "");
    Type(c.typed);
    EXPECT_EQ(Text(), c.result);
    entry->CancelEntry();
  }
}

TEST_F(TextEntryTest, AnEntryForASecondSlotIsFilteredByThatSlotsParameter) {
  struct TwoSlots : IControl {
    TwoSlots() : IControl(Rect(0, 0, 200, 40), {kVoices, kDepth}) {}
    void Draw(IGfx&) override {}
  };
  auto* pair = new TwoSlots();
  gfx.AttachControl(pair);
  gfx.CreateTextEntry(pair, DefaultTextStyle, kBox, "", 1);
  Type("2.5");
  EXPECT_EQ(Text(), "2.5");  // Depth's full stop, although Voices comes first
  Press(Key(kEnter));
  EXPECT_DOUBLE_EQ(delegate.GetParam(kDepth)->Value(), 2.5);
  EXPECT_DOUBLE_EQ(delegate.GetParam(kVoices)->Value(), 4.0);
}

TEST_F(TextEntryTest, InsertAndDeleteAreKeysNeverCharacters) {
  Begin(depth, "123");
  Press(Key(0x24));  // home
  Press(Key(0x2E));  // delete
  EXPECT_EQ(Text(), "23");
  Press(Key(0x2D));  // insert: overwrite from now on
  Type("9");
  EXPECT_EQ(Text(), "93");
}

TEST_F(TextEntryTest, EnterAppliesTheTextAndEscapeLeavesTheValue) {
  Begin(depth, "50.0");
  Type("25");
  EXPECT_TRUE(Press(Key(kEnter)));
  EXPECT_DOUBLE_EQ(delegate.GetParam(kDepth)->Value(), 25.0);
  EXPECT_FALSE(entry->IsEditing());
  EXPECT_TRUE(entry->GetRect().Unset());
  EXPECT_EQ(gfx.GetControlInTextEntry(), nullptr);

  Begin(depth, "25.0");
  Type("75");
  EXPECT_TRUE(Press(Key(kEscape)));
  EXPECT_DOUBLE_EQ(delegate.GetParam(kDepth)->Value(), 25.0);
  EXPECT_FALSE(entry->IsEditing());
  EXPECT_EQ(gfx.GetControlInTextEntry(), nullptr);
  EXPECT_EQ(delegate.GestureFaults(), Texts{});
}

TEST_F(TextEntryTest, UndoTakesBackTheLastEditAndRedoBringsItAgain) {
  Begin(free, "");
  Type("a");
  Type("b");
  EXPECT_TRUE(Press(Key('Z', "\x1A", false, true)));
  EXPECT_EQ(Text(), "a");
  EXPECT_TRUE(Press(Key('Z', "\x1A", true, true)));
  EXPECT_EQ(Text(), "ab");
  // Undo does not reach into an earlier entry.
  Press(Key(kEnter));
  Begin(free, "new");
  Press(Key('Z', "\x1A", false, true));
  EXPECT_EQ(Text(), "new");
}

TEST_F(TextEntryTest, CopyCutAndPasteGoThroughTheClipboard) {
  Begin(free, "12.5");
  gfx.clipboard = "before";
  Press(Key(kRight));  // the caret to the end, nothing selected
  EXPECT_TRUE(Press(Key('C', "\x03", false, true)));
  EXPECT_EQ(gfx.clipboard, "before");  // nothing selected, nothing copied
  Press(Key(kLeft, "", true));
  Press(Key(kLeft, "", true));
  Press(Key('X', "\x18", false, true));
  EXPECT_EQ(gfx.clipboard, ".5");
  EXPECT_EQ(Text(), "12");
  Press(Key(0x24));  // home
  Press(Key('V', "\x16", false, true));
  EXPECT_EQ(Text(), ".512");
  Press(Key('A', "\x01", false, true));
  gfx.clipboard = "\xF0\x9F\x8E\xB9";
  Press(Key('V', "\x16", false, true));  // replaces the selection
  EXPECT_EQ(entry->GetTextUtf16(), u"\U0001F3B9");
}

TEST_F(TextEntryTest, PastedTextIsOneLineOfAtMostTheNativeBoxsLength) {
  struct Case {
    const char* what;
    std::string clipboard;
    std::string result;
  };
  const std::string tooLong(300, '7');
  // 255 ASCII characters and a pair: the pair would be cut in half, so it goes whole.
  const std::string endsInAPair = std::string(255, '1') + "\xF0\x9F\x8E\xB9";
  const Case cases[] = {
      {"line breaks and control characters go",
       "12\r\n3\t4\x7F"
       "5",
       "12345"},
      {"at most 256 units", tooLong, std::string(256, '7')},
      {"never half a surrogate pair", endsInAPair, std::string(255, '1')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Begin(free, "");
    gfx.clipboard = c.clipboard;
    entry->Paste();
    EXPECT_EQ(Text(), c.result);
    entry->CancelEntry();
  }
}

TEST_F(TextEntryTest, ARightClickOffersCutCopyAndPaste) {
  Begin(free, "abc");
  gfx.clipboard = "untouched";
  gfx.menuAnswer = ITextEntryControl::kMenuCopy;
  Press(Key(kRight));  // nothing selected
  gfx.MouseDownAll({Click(20, 20, true)});
  const auto menus = gfx.log.Named("ShowNativePopupMenu");
  ASSERT_EQ(menus.size(), 1u);
  EXPECT_EQ(menus[0].text, "ShowNativePopupMenu '' 3 items 20 20 20 20");
  const IPopupMenu& menu = entry->GetEditMenu();
  EXPECT_STREQ(menu.GetItemText(0), "Cut");
  EXPECT_STREQ(menu.GetItemText(1), "Copy");
  EXPECT_STREQ(menu.GetItemText(2), "Paste");
  EXPECT_EQ(gfx.clipboard, "untouched");

  gfx.menuAnswer = ITextEntryControl::kMenuPaste;
  gfx.MouseDownAll({Click(20, 20, true)});
  EXPECT_EQ(Text(), "abcuntouched");
  Press(Key('A', "\x01", false, true));
  gfx.menuAnswer = ITextEntryControl::kMenuCut;
  gfx.MouseDownAll({Click(20, 20, true)});
  EXPECT_EQ(Text(), "");
  EXPECT_EQ(gfx.clipboard, "abcuntouched");
  EXPECT_TRUE(entry->IsEditing());
}

TEST_F(TextEntryTest, TheMousePlacesTheCaretSelectsAndAPressOutsideCommits) {
  Begin(depth, "1234");               // laid out from the box's left edge: characters at 10, 17, 24, 31
  gfx.MouseDownAll({Click(18, 20)});  // nearer the second character's left edge
  EXPECT_EQ(entry->GetCursor(), 1);
  EXPECT_FALSE(entry->GetEngine().HasSelection());
  gfx.MouseDragAll({test::LeftButtonAt(36, 20, 18)});  // past the middle of the fourth character
  gfx.MouseUpAll({Click(36, 20)});
  EXPECT_EQ(entry->GetSelectionStart(), 1);
  EXPECT_EQ(entry->GetSelectionEnd(), 4);
  Type("9");
  EXPECT_EQ(Text(), "19");

  gfx.MouseDoubleClick(20, 20, {});
  EXPECT_EQ(entry->GetSelectionStart(), 0);
  EXPECT_EQ(entry->GetSelectionEnd(), 2);

  gfx.MouseDownAll({Click(150, 35)});  // outside the box
  EXPECT_FALSE(entry->IsEditing());
  EXPECT_DOUBLE_EQ(delegate.GetParam(kDepth)->Value(), 19.0);
  // The release finds an idle entry: no caret comes back.
  gfx.MouseUpAll({Click(150, 35)});
  EXPECT_FALSE(entry->CaretVisible());
  EXPECT_FALSE(entry->IsDirty());
}

// A key the entry understands is its own even when it changes nothing, so that one Ctrl+Z too
// many never runs the host's undo; only Tab and chords the entry has no use for go on.
TEST_F(TextEntryTest, KeysTheEntryUnderstandsStayWithItAndChordsItHasNoUseForGoOn) {
  struct Case {
    const char* what;
    KeyEvent key;
    bool handled;
  };
  const Case cases[] = {
      {"Backspace with nothing left to delete", Key(kBackspace, "\b"), true},
      {"a letter the integer entry refuses", CharacterKey('x'), true},
      {"Ctrl+Z with nothing to undo", Key('Z', "\x1A", false, true), true},
      {"Ctrl+Shift+Z with nothing to redo", Key('Z', "\x1A", true, true), true},
      {"Ctrl+Left at the start", Key(kLeft, "", false, true), true},
      {"Ctrl+Shift+Left at the start", Key(kLeft, "", true, true), true},
      {"Ctrl+Home at the start", Key(0x24, "", false, true), true},
      {"Ctrl+Backspace at the start", Key(kBackspace, "\x7F", false, true), true},
      {"Ctrl+Delete in an empty entry", Key(0x2E, "", false, true), true},
      {"AltGr+E, a euro sign the integer entry refuses", Key('E', "\xE2\x82\xAC", false, true, true), true},
      {"Ctrl+S, the host's save", Key('S', "\x13", false, true), false},
      {"Alt+F4", Key(0x73, "", false, false, true), false},
      {"Alt+Left", Key(kLeft, "", false, false, true), false},
      {"Tab", Key(0x09, "\t"), false},
  };
  Begin(voices, "");  // nothing to delete, undo or redo, and nothing the caret could pass
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Press(c.key), c.handled);
    EXPECT_EQ(Text(), "");
    EXPECT_TRUE(entry->IsEditing());
  }
}

TEST_F(TextEntryTest, ACharacterBeyondTheBasicPlaneTakesTwoUnitsMeasuredApart) {
  Begin(free, "");
  EXPECT_TRUE(Press(Key(0, "\xF0\x9F\x8E\xB9")));
  EXPECT_EQ(entry->GetTextUtf16(), u"\U0001F3B9");
  EXPECT_EQ(entry->GetCursor(), 2);
  Press(Key(kLeft));
  EXPECT_EQ(entry->GetCursor(), 1);  // between the halves
  TextEntryEngine& engine = entry->GetEngine();
  // Alone, a half is three bytes wide here; the pair is four.
  EXPECT_FLOAT_EQ(engine.WidthOf(0), 3 * kUnit);
  EXPECT_FLOAT_EQ(engine.WidthOf(1), kUnit);
  // One undo takes the whole character back.
  Press(Key('Z', "\x1A", false, true));
  EXPECT_EQ(entry->GetTextUtf16(), u"");
}

TEST(TextEntryWidths, KerningLandsInTheSecondCharactersWidth) {
  // "AV" measures 2 units narrower than its parts.
  struct KerningGfx : RecordingGfx {
    using RecordingGfx::RecordingGfx;
    float DoMeasureText(const TextStyle& style, const char* text, Rect& bounds) override {
      float width = RecordingGfx::DoMeasureText(style, text, bounds);
      for (const char* c = text; c[0] && c[1]; ++c) width -= (c[0] == 'A' && c[1] == 'V') ? 2.f : 0.f;
      return width;
    }
  };
  GfxTestDelegate delegate(1);
  KerningGfx gfx(delegate);
  gfx.AttachTextEntry();
  auto* free = new LoggingControl("free", delegate.calls);
  gfx.AttachControl(free);
  gfx.CreateTextEntry(free, DefaultTextStyle, Rect(0, 0, 100, 20), "VAV", -1);
  TextEntryEngine& engine = gfx.GetTextEntryControl()->GetEngine();
  EXPECT_FLOAT_EQ(engine.WidthOf(0), 7.f);
  EXPECT_FLOAT_EQ(engine.WidthOf(1), 7.f);
  EXPECT_FLOAT_EQ(engine.WidthOf(2), 5.f);
  // An edit measures what it touched again: a V typed after the first A kerns too.
  gfx.OnKeyDown(0, 0, Key(0x27));  // right: the caret to the end of the selection
  gfx.OnKeyDown(0, 0, Key(0x24));  // home
  gfx.OnKeyDown(0, 0, Key(0x27));
  gfx.OnKeyDown(0, 0, Key(0x27));  // after "VA"
  gfx.OnKeyDown(0, 0, Key('B', "B", true));
  EXPECT_EQ(std::string(gfx.GetTextEntryControl()->GetText()), "VABV");
  EXPECT_FLOAT_EQ(engine.WidthOf(2), 7.f);
  EXPECT_FLOAT_EQ(engine.WidthOf(3), 7.f);  // "BV" has no kerning: the V is whole again
  EXPECT_FLOAT_EQ(engine.WidthBefore(4), 28.f);
}

TEST_F(TextEntryTest, TheRowIsLaidOutByTheStylesAlignmentAndMayBeWiderThanTheBox) {
  struct Case {
    const char* what;
    TextAlign align;
    TextVAlign valign;
    float x0, ymin;
  };
  // 20 characters are 140 units wide in a box 100 wide and 20 high; the text is 14 high.
  const Case cases[] = {
      {"near, top", TextAlign::kNear, TextVAlign::kTop, 10.f, 0.f},
      {"centred: out on both sides", TextAlign::kCentre, TextVAlign::kMiddle, 60.f - 70.f, 3.f},
      {"far, bottom", TextAlign::kFar, TextVAlign::kBottom, 110.f - 140.f, 6.f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TextStyle style;
    style.align = c.align;
    style.valign = c.valign;
    gfx.CreateTextEntry(free, style, kBox, "01234567890123456789", -1);
    const TextEntryEngine::Row row = entry->GetEngine().LayoutRow();
    EXPECT_FLOAT_EQ(row.x0, c.x0);
    EXPECT_FLOAT_EQ(row.x1, c.x0 + 140.f);
    EXPECT_FLOAT_EQ(row.ymin, c.ymin);
    EXPECT_FLOAT_EQ(row.ymax, c.ymin + 14.f);
  }
}

TEST_F(TextEntryTest, ItDrawsItsBoxSelectionTextAndCaretAndNothingWhenIdle) {
  Begin(free, "12");
  gfx.log.Clear();
  entry->Draw(gfx);
  // Box, the selection at a fifth of the text colour, the text; no caret over a selection.
  EXPECT_EQ(gfx.log.Texts({"PathClear", "PathMoveTo", "PathLineTo", "PathClose"}),
            (Texts{"PathFill solid(255,255,255,255) rule0", "PathFill solid(255,0,0,0) rule0 blend(0,0.2)",
                   "DoDrawText '12' 10 10 110 30 Roboto-Regular 14"}));
  const auto fills = gfx.log.Named("PathFill");
  ASSERT_EQ(fills.size(), 2u);

  Press(Key(kRight));  // the caret after "12", at 10 + 14
  gfx.log.Clear();
  entry->Draw(gfx);
  EXPECT_EQ(gfx.log.Count("PathFill"), 2);  // the box and the caret
  // The caret: one unit wide ending at the caret's place, a tenth of the size in from the row.
  const Texts path = gfx.log.Texts({"PathFill", "DoDrawText"});
  const Texts caret(path.end() - 5, path.end());
  EXPECT_EQ(caret, (Texts{"PathMoveTo 23 14.4", "PathLineTo 24 14.4", "PathLineTo 24 25.6",
                          "PathLineTo 23 25.6", "PathClose"}));

  entry->CancelEntry();
  gfx.log.Clear();
  entry->Draw(gfx);
  EXPECT_EQ(gfx.log.Size(), 0u);
}

TEST_F(TextEntryTest, TheCaretBlinksWhileEditingAndStopsWithTheEntry) {
  Begin(depth, "5");
  EXPECT_TRUE(entry->CaretVisible());
  Frame();
  clock.AdvanceMs(400);
  Frame();
  EXPECT_TRUE(entry->CaretVisible());
  clock.AdvanceMs(200);  // 600 ms: hidden
  Frame();
  EXPECT_FALSE(entry->CaretVisible());
  clock.AdvanceMs(500);  // 1100 ms: the next cycle shows it again
  Frame();
  EXPECT_TRUE(entry->CaretVisible());
  EXPECT_EQ(Frame(), Texts{"text entry"});  // still blinking

  Press(Key(kEnter));
  EXPECT_FALSE(entry->IsDirty());
  const Texts afterCommit = Frame();  // everything redraws once where the entry stood
  EXPECT_EQ(afterCommit, (Texts{"depth", "voices", "free"}));
  clock.AdvanceMs(1000);
  EXPECT_EQ(Frame(), Texts{});  // an idle editor has nothing to draw
  clock.AdvanceMs(1000);
  RectList rects;
  EXPECT_FALSE(gfx.CollectDirtyRects(rects));
  EXPECT_EQ(rects.Count(), 0);
}

TEST_F(TextEntryTest, ACancelledEntryStopsBlinkingToo) {
  Begin(depth, "5");
  Press(Key(kEscape));
  Frame();
  clock.AdvanceMs(1500);
  EXPECT_EQ(Frame(), Texts{});
  EXPECT_FALSE(entry->CaretVisible());
}

}  // namespace
}  // namespace plugfw::gfx
