#pragma once
// Rules of the editor window's input that need no window: wheel notches, which
// mouse messages a pen or a touch made, the system cursor of each cursor kind, and
// a key's text from the UTF-16 units the keyboard layout gives. Any thread: no
// shared state.

#include <cstdint>

namespace plugfw::gfx {

// Whole notches of a wheel message (the signed high word of its wParam over 120,
// in integer arithmetic): +60 gives 0, -240 gives -2.
float WheelNotches(uint64_t wParam);

// Mouse messages that the system made from a pen or a touch carry this signature in
// their extra information; touch-made ones also carry kTouchMessageBit.
constexpr uint64_t kPenSignatureMask = 0xFFFFFF00u;
constexpr uint64_t kPenSignature = 0xFF515700u;
constexpr uint64_t kTouchMessageBit = 0x80u;

// True for a mouse message made by a pen or a touch: the cursor is then not locked
// or moved, since the pointer is not where the cursor would be put back.
bool IsPenOrTouchMessage(uint64_t extraInfo);
// True for a mouse message made by a touch that the window also receives as touch
// input: only such a message is ignored, so pen input still works as a mouse.
bool IsDuplicateOfTouchInput(uint64_t extraInfo, bool windowTakesTouch);

// The system cursor resource of a cursor kind: 1 I-beam, 2 wait, 3 cross, 4 up
// arrow, 5 to 8 the NW-SE, NE-SW, W-E and N-S sizers, 9 size all, 10 no, 11 hand,
// 12 app starting, 13 help; 0 and every other value the arrow.
int32_t SystemCursorIdOfKind(int32_t kind);
constexpr int32_t kArrowCursorId = 32512;

// A key's text as UTF-8 from the units the keyboard layout produced for it (count
// as ToUnicode reports it: negative for a dead key, which gives no text). False when
// the key produced more than one character: such a key is not the editor's.
bool KeyTextFromUtf16(const uint16_t* units, int32_t count, char (&utf8)[5]);

}  // namespace plugfw::gfx
