#pragma once
// Knob: a continuous parameter's rotary control - caption, 276-degree arc, shaded body with a
// pointer, and a value box showing the value with its unit. Drag, wheel and arrow keys move
// it (finer with Shift), double-click and Home return it to its default, and a press in the
// value box or Enter opens a text entry that its ValueEntry parses with units.
// ValueEntry: the invisible companion that receives the entered text. UI thread.

#include <cstdint>
#include <functional>
#include <string>

#include "editor/view_state.h"
#include "graphics/knob_control_base.h"

namespace plugfw::gfx {
class IGfxEditorDelegate;
}

namespace halcyra {

class ValueEntry;

class Knob : public plugfw::gfx::IKnobControlBase {
 public:
  Knob(const plugfw::gfx::Rect& bounds, int32_t paramIdx, const char* caption,
       plugfw::gfx::IGfxEditorDelegate* plugin, ViewStatePtr view);
  ~Knob() override;

  // Set by the layout right after both are made.
  void SetValueEntry(ValueEntry* entry) { valueEntry_ = entry; }
  ValueEntry* GetValueEntry() const { return valueEntry_; }

  void OnMouseDown(float x, float y, const plugfw::gfx::ModifierKeys& mod) override;
  void OnMouseDoubleClick(float x, float y, const plugfw::gfx::ModifierKeys& mod) override;
  bool OnKeyDown(float x, float y, const plugfw::gfx::KeyEvent& key) override;
  void OnMouseOver(float x, float y, const plugfw::gfx::ModifierKeys& mod) override;
  void Draw(plugfw::gfx::IGfx& g) override;
  // The frame asks once per frame before drawing; the control follows the settings there.
  bool IsDirty() override;

  // Opens the text entry over the value box with the plain value, "%.8g".
  void OpenValueEntry();
  // The entry's text: a value with a unit this parameter takes sets the knob; anything else
  // leaves it and says in the help strip what is accepted.
  void ApplyEnteredText(const char* text);

  const char* Caption() const { return caption_; }

 private:
  void WriteHelp();

  const char* caption_;
  plugfw::gfx::IGfxEditorDelegate* plugin_;
  ViewStatePtr view_;
  ValueEntry* valueEntry_ = nullptr;
};

class ValueEntry : public plugfw::gfx::IControl {
 public:
  using Completion = std::function<void(const char* text)>;

  explicit ValueEntry(Completion completion);
  ~ValueEntry() override;

  void OnTextEntryCompletion(const char* text, int32_t valueIndex) override;
  void Draw(plugfw::gfx::IGfx& g) override;

 private:
  Completion completion_;
};

// The text a value entry opens with: the plain value with up to 8 significant digits, written
// the same under every locale; a value that is a 32-bit float in its shortest form that reads
// back as that float ("0.35" for 0.35f, "-71.42857", "1e-05").
std::string ValueEntryInitialText(double plainValue);

}  // namespace halcyra
