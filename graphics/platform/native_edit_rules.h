#pragma once
// The native edit box's rules, apart from its window: the state that the edit box,
// the editor window and the frame tick pass between them, and which typed
// characters reach the box. UI thread only.

#include <cstdint>

#include "core/param.h"
#include "graphics/entry_characters.h"

namespace plugfw::gfx {

enum class NativeEditState : int32_t {
  kNone = 0,
  kFocused = 1,         // the edit box has the keyboard focus; the editor pauses
  kDrawnWhileOpen = 2,  // the editor was drawn while the box was open
  kCancelAtTick = 3,
  kCommitAtTick = 4,
};

// What the frame tick does about an open edit box.
enum class NativeEditTickAction {
  kContinue,   // nothing pending: the tick draws as usual
  kSkipFrame,  // the tick does nothing more this time
  kCancel,     // destroy the box, discard its text
  kCommit,     // read the text, apply it, destroy the box
};

class NativeEditStateMachine {
 public:
  NativeEditState State() const { return state_; }
  // While the box holds the focus the editor handles none of its own input.
  bool PausesEditor() const { return state_ == NativeEditState::kFocused; }

  // Edit box, WM_SETFOCUS and WM_KILLFOCUS. Enter or Escape decided before the
  // focus moved stays decided: leaving the box after Escape does not commit.
  void FocusGained();
  void FocusLost();
  // Edit box: Enter (or its accelerator) and Escape.
  void CommitRequested() { state_ = NativeEditState::kCommitAtTick; }
  void CancelRequested() { state_ = NativeEditState::kCancelAtTick; }
  // Editor window: a button pressed on the editor. While the box has the focus
  // the click only cancels the entry; otherwise it commits what was typed.
  void EditorButtonDown();
  // Editor window: the frame tick drew with the box open.
  void DrawnWhileOpen() { state_ = NativeEditState::kDrawnWhileOpen; }

  // The frame tick: what to do now; every pending state is consumed.
  NativeEditTickAction TakeTickAction();

  void Reset() { state_ = NativeEditState::kNone; }

 private:
  bool Decided() const;

  NativeEditState state_ = NativeEditState::kNone;
};

// Whether a WM_CHAR of character reaches the edit box. Return, line feed and
// Escape never do (the box is one line; Enter and Escape end the entry). Other
// control characters (backspace, Ctrl+A, C, V, X, Z) always pass, so editing and
// the clipboard keep working in a numeric entry.
bool NativeEntryAcceptsCharacter(uint32_t character, EntryCharacters allowed);

}  // namespace plugfw::gfx
