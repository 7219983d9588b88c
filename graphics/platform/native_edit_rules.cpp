#include "graphics/platform/native_edit_rules.h"

namespace plugfw::gfx {
namespace {

constexpr uint32_t kReturn = 0x0D;
constexpr uint32_t kLineFeed = 0x0A;
constexpr uint32_t kEscape = 0x1B;

}  // namespace

bool NativeEditStateMachine::Decided() const {
  return state_ == NativeEditState::kCancelAtTick || state_ == NativeEditState::kCommitAtTick;
}

void NativeEditStateMachine::FocusGained() {
  if (!Decided()) state_ = NativeEditState::kFocused;
}

void NativeEditStateMachine::FocusLost() {
  if (!Decided()) state_ = NativeEditState::kCommitAtTick;
}

void NativeEditStateMachine::EditorButtonDown() {
  state_ =
      state_ == NativeEditState::kFocused ? NativeEditState::kCancelAtTick : NativeEditState::kCommitAtTick;
}

NativeEditTickAction NativeEditStateMachine::TakeTickAction() {
  const NativeEditState state = state_;
  state_ = NativeEditState::kNone;
  switch (state) {
    case NativeEditState::kNone:
      return NativeEditTickAction::kContinue;
    case NativeEditState::kCancelAtTick:
      return NativeEditTickAction::kCancel;
    case NativeEditState::kCommitAtTick:
      return NativeEditTickAction::kCommit;
    default:
      return NativeEditTickAction::kSkipFrame;
  }
}

bool NativeEntryAcceptsCharacter(uint32_t character, EntryCharacters allowed) {
  if (character == kReturn || character == kLineFeed || character == kEscape) return false;
  // The box's own editing keys (Backspace, Ctrl+Backspace as DEL) come as control characters.
  return IsControlCharacter(character) || EntryTakesCharacter(character, allowed);
}

}  // namespace plugfw::gfx
