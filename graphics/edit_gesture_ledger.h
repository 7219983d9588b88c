#pragma once
// EditGestureLedger: the open edits per parameter between the editor and the host, so that
// every value change that reaches the host stands inside a gesture (begin, set, end) and
// every end closes a gesture that was begun. The graphics context holds one per open
// editor and sends the controls' edits through it:
//
//   1. A press begins one edit for each bound slot of the pressed control, held by the
//      pressing pointer. The host hears a begin only for the first open edit of a
//      parameter, however many pointers or controls hold it.
//   2. Values sent while an edit of the parameter is open go straight to the host.
//   3. A value with no edit open (wheel, double click to default, keys, a committed text
//      entry, a menu choice) goes as a gesture of its own: begin, set, end.
//   4. The release ends the edits its pointer held; the host hears the end with the last.
//   5. An end for an edit that is not open is dropped.
//   6. Releasing every capture (a popup opens, a resize, the editor closes) ends every
//      open edit.
//
// UI thread only.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plugfw {
class IEditorDelegate;
}

namespace plugfw::gfx {

class EditGestureLedger {
 public:
  // Who holds an edit: a pointer's touch identifier (0 is the mouse).
  using Holder = int64_t;

  explicit EditGestureLedger(IEditorDelegate& delegate) : delegate_(delegate) {}
  EditGestureLedger(const EditGestureLedger&) = delete;
  EditGestureLedger& operator=(const EditGestureLedger&) = delete;

  // UI thread: opens one edit of the parameter for the holder. A negative index is ignored.
  void BeginEdit(Holder holder, int32_t paramIdx);
  // UI thread: sends a normalized value to the delegate, inside a gesture of its own when
  // no edit of the parameter is open. A negative index is ignored.
  void SetValue(int32_t paramIdx, double normalizedValue);
  // UI thread: closes one edit of the parameter that the holder opened; nothing when it
  // holds none.
  void EndEdit(Holder holder, int32_t paramIdx);
  // UI thread: closes every edit the holder opened (its pointer was released).
  void EndEditsHeldBy(Holder holder);
  // UI thread: closes every open edit (all captures released, the editor closing).
  void EndAllEdits();

  // How many edits of the parameter are open, over all holders.
  int32_t OpenEdits(int32_t paramIdx) const;
  bool AnyEditOpen() const { return !edits_.empty(); }

 private:
  struct Edit {
    Holder holder;
    int32_t paramIdx;
  };

  // Removes the entry at index and tells the delegate when it was the parameter's last.
  void CloseEdit(size_t index);

  IEditorDelegate& delegate_;
  // One entry per open edit, in the order they were begun.
  std::vector<Edit> edits_;
};

}  // namespace plugfw::gfx
