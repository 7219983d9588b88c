// The native edit box's states between box, editor window and frame tick, and the
// characters it takes.

#include "graphics/platform/native_edit_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace plugfw::gfx {
namespace {

using Action = NativeEditTickAction;

TEST(NativeEditStateMachine, EnterCommitsEscapeCancelsAtTheNextTick) {
  NativeEditStateMachine edit;
  edit.FocusGained();
  EXPECT_TRUE(edit.PausesEditor());
  edit.CommitRequested();
  EXPECT_FALSE(edit.PausesEditor());
  EXPECT_EQ(edit.TakeTickAction(), Action::kCommit);
  EXPECT_EQ(edit.TakeTickAction(), Action::kContinue) << "a tick consumes the decision";

  edit.FocusGained();
  edit.CancelRequested();
  EXPECT_EQ(edit.TakeTickAction(), Action::kCancel);
}

TEST(NativeEditStateMachine, LosingTheFocusCommitsUnlessEscapeCameFirst) {
  NativeEditStateMachine edit;
  edit.FocusGained();
  edit.FocusLost();
  EXPECT_EQ(edit.TakeTickAction(), Action::kCommit);

  edit.FocusGained();
  edit.CancelRequested();
  edit.FocusLost();  // Escape, then a click elsewhere before the tick
  EXPECT_EQ(edit.TakeTickAction(), Action::kCancel);

  edit.FocusGained();
  edit.CommitRequested();
  edit.FocusLost();
  edit.FocusGained();
  EXPECT_EQ(edit.TakeTickAction(), Action::kCommit) << "Enter stays decided";
}

TEST(NativeEditStateMachine, AClickOnTheEditorCancelsWhileTheBoxHasTheFocusAndCommitsOtherwise) {
  NativeEditStateMachine edit;
  edit.FocusGained();
  edit.EditorButtonDown();
  EXPECT_EQ(edit.TakeTickAction(), Action::kCancel);

  edit.FocusGained();
  ASSERT_EQ(edit.TakeTickAction(), Action::kSkipFrame);  // the focus state is consumed too
  edit.EditorButtonDown();
  EXPECT_EQ(edit.TakeTickAction(), Action::kCommit);
}

TEST(NativeEditStateMachine, ATickAfterDrawingWithTheBoxOpenOnlyClearsTheState) {
  NativeEditStateMachine edit;
  edit.DrawnWhileOpen();
  EXPECT_EQ(edit.State(), NativeEditState::kDrawnWhileOpen);
  EXPECT_EQ(edit.TakeTickAction(), Action::kSkipFrame);
  EXPECT_EQ(edit.TakeTickAction(), Action::kContinue) << "the one after draws again";
}

std::string Filtered(const std::string& typed, EntryCharacters allowed) {
  std::string kept;
  for (char c : typed) {
    if (NativeEntryAcceptsCharacter(static_cast<unsigned char>(c), allowed)) kept += c;
  }
  return kept;
}

TEST(NativeEntryAcceptsCharacter, NumericEntriesKeepSignsDigitsAndForDecimalsThePoint) {
  EXPECT_EQ(Filtered("1e3", EntryCharacters::kDecimal), "13");
  EXPECT_EQ(Filtered("-0.5", EntryCharacters::kDecimal), "-0.5");
  EXPECT_EQ(Filtered("+12.5 dB", EntryCharacters::kInteger), "+125");
  EXPECT_EQ(Filtered("Hall & more", EntryCharacters::kAny), "Hall & more");
  EXPECT_TRUE(NativeEntryAcceptsCharacter(0x00E9, EntryCharacters::kAny));
  EXPECT_FALSE(NativeEntryAcceptsCharacter(0x00E9, EntryCharacters::kDecimal));
}

TEST(NativeEntryAcceptsCharacter, LineBreaksAndEscapeNeverLandButEditingKeysAlwaysPass) {
  for (EntryCharacters allowed :
       {EntryCharacters::kAny, EntryCharacters::kInteger, EntryCharacters::kDecimal}) {
    for (uint32_t refused : {0x0Du, 0x0Au, 0x1Bu}) {
      EXPECT_FALSE(NativeEntryAcceptsCharacter(refused, allowed)) << refused;
    }
    // Backspace, Ctrl+A, C, V, X, Z and Ctrl+Backspace.
    for (uint32_t editing : {0x08u, 0x01u, 0x03u, 0x16u, 0x18u, 0x1Au, 0x7Fu}) {
      EXPECT_TRUE(NativeEntryAcceptsCharacter(editing, allowed)) << editing;
    }
  }
}

TEST(EntryCharactersFor, FollowsTheParameterType) {
  EXPECT_EQ(EntryCharactersFor(nullptr), EntryCharacters::kAny);
  IParam unset;
  EXPECT_EQ(EntryCharactersFor(&unset), EntryCharacters::kAny);
  IParam level;
  level.InitDoubleParam("Level", 0., -60., 12., 0.1, "dB");
  EXPECT_EQ(EntryCharactersFor(&level), EntryCharacters::kDecimal);
  IParam voices;
  voices.InitIntParam("Voices", 4, 1, 8);
  EXPECT_EQ(EntryCharactersFor(&voices), EntryCharacters::kInteger);
  IParam bypass;
  bypass.InitBoolParam("Bypass", false);
  EXPECT_EQ(EntryCharactersFor(&bypass), EntryCharacters::kInteger);
  IParam structure;
  structure.InitEnumParam("Structure", 0, 12);
  EXPECT_EQ(EntryCharactersFor(&structure), EntryCharacters::kInteger);
}

}  // namespace
}  // namespace plugfw::gfx
