#pragma once
// IGfxEditorDelegate: the editor delegate that owns the graphics context. It makes the
// context through the plug-in's make-graphics function and lays it out through its layout
// function, opens and closes the editor window, passes values, MIDI, messages and keys to
// the controls, and remembers the editor's size and scale while the editor is closed, so
// that the next open comes back as the last one left. UI thread, like the delegate it
// extends.

#include <cstdint>
#include <functional>
#include <memory>

#include "graphics/editor_delegate.h"

namespace plugfw::gfx {

class IGfx;

class IGfxEditorDelegate : public IEditorDelegate {
 public:
  // Makes a graphics context for this delegate; null when none can be had.
  using MakeGraphicsFunction = std::function<std::unique_ptr<IGfx>()>;
  // Attaches the editor's controls to a new graphics context.
  using LayoutFunction = std::function<void(IGfx& gfx)>;

  // Bytes that SerializeEditorSize appends: width, height (32-bit integers), scale (float).
  static constexpr int32_t kEditorSizeBytes = 12;

  // Set-up.
  explicit IGfxEditorDelegate(int32_t nParams);
  // Closes an open editor first: its window goes before the graphics context and its
  // controls are deleted.
  ~IGfxEditorDelegate() override;

  // UI thread. Makes the graphics context, restores the remembered size and scale, and
  // opens the platform window in parent; returns that window. Already open: returns the
  // open window and changes nothing. Null, and the editor stays closed, when no graphics
  // context can be made or its window does not open.
  void* OpenEditorWindow(void* parent) override;
  // UI thread. Remembers the size and scale, ends the edits the controls hold, closes the
  // window and deletes the graphics context with its controls. A close that arrives while
  // one runs does nothing.
  void CloseEditorWindow() override;
  // UI thread: the parent's new size in pixels, taken at scale 1.
  void HandleParentResize(int32_t width, int32_t height) override;

  // UI thread: a key from the host, for the control under the mouse (or the editor's key
  // handler). False when nothing took it or the editor is closed.
  bool OnKeyDown(const KeyEvent& key) override;
  bool OnKeyUp(const KeyEvent& key) override;

  // UI thread: the controls by tag, by parameter and by their wish for MIDI.
  void SendControlValueToUI(int32_t controlTag, double normalizedValue) override;
  void SendControlMsgToUI(int32_t controlTag, int32_t messageTag, int32_t dataSize,
                          const void* data) override;
  void SendMidiMsgToUI(const MidiMessage& message) override;
  // Every value slot bound to the parameter shows the value (normalized first when it is
  // not), then ParamChangedUI.
  void SendParamValueToUI(int32_t paramIdx, double value, bool valueIsNormalized) override;

  // UI thread. Appends width, height and draw scale of the open editor (or the remembered
  // ones) as 4 little-endian bytes each; false, the chunk as it was, when it cannot grow.
  bool SerializeEditorSize(HeapBuffer& chunk) const override;
  // UI thread. Reads the three values at startPos and returns the position after them, or
  // -1 when fewer than 12 bytes are there. Closed, the values become the remembered ones
  // (all 0, which keeps the default size, after a failed read or for values that are not
  // a positive size and scale); open, a usable size and scale resize the editor.
  int32_t UnserializeEditorSize(const HeapBuffer& chunk, int32_t startPos) override;
  // UI thread: a new display scale for the open editor.
  void SetScreenScale(float scale) override;

  // UI thread. The API base tells the host of edits; these bodies are reached only when the
  // plug-in is destroyed with its editor open and an edit held, after that part has gone:
  // the edits then end with nobody left to tell.
  void BeginParamEditFromUI(int32_t /*paramIdx*/) override {}
  void EndParamEditFromUI(int32_t /*paramIdx*/) override {}

  // UI thread: the make-graphics function's context; null when none is installed.
  virtual std::unique_ptr<IGfx> CreateGraphics();
  // UI thread: runs the layout function on gfx when one is installed.
  virtual void LayoutUI(IGfx* gfx);

  // Set-up: installed by the plug-in's constructor.
  void SetMakeGraphicsFunction(MakeGraphicsFunction function) { makeGraphics_ = std::move(function); }
  void SetLayoutFunction(LayoutFunction function) { layout_ = std::move(function); }

  // UI thread. The open editor's graphics context; none while the editor is closed.
  IGfx* GetUI() const { return gfx_; }
  // UI thread: the size and scale the next open restores (0 until an editor was closed or a
  // size was read).
  int32_t StoredWidth() const { return storedWidth_; }
  int32_t StoredHeight() const { return storedHeight_; }
  float StoredScale() const { return storedScale_; }

 private:
  void RememberEditorSize();
  // Deletes the graphics context after clearing the pointer to it, so nothing reaches it
  // through the delegate while it goes.
  void DeleteGraphics();

  MakeGraphicsFunction makeGraphics_;
  LayoutFunction layout_;
  IGfx* gfx_ = nullptr;  // owned; deleted through IGfx::DeleteSafely
  int32_t storedWidth_ = 0;
  int32_t storedHeight_ = 0;
  float storedScale_ = 0.f;
  bool closing_ = false;
};

}  // namespace plugfw::gfx
