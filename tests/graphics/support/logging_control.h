#pragma once
// LoggingControl: a control that logs, by its name, the calls the graphics context makes
// on it - attach hooks, input, answers to menus and text entries, its destruction - and,
// when drawn, the clip and transform it was drawn with. Base behaviour runs as well.

#include <functional>
#include <string>
#include <vector>

#include "graphics/control.h"

namespace plugfw::gfx::test {

class LoggingControl : public IControl {
 public:
  LoggingControl(std::string name, std::vector<std::string>& log, const Rect& bounds = Rect(0, 0, 10, 10),
                 int32_t paramIdx = kNoParameter);
  ~LoggingControl() override;

  // Runs inside Draw, after the entry is logged.
  std::function<void(IGfx& gfx)> drawing;
  // What OnKeyDown and OnKeyUp answer; onKey runs first when set.
  bool keyAnswer = false;
  std::function<void(const KeyEvent& key)> onKey;
  // Runs inside OnMouseDown, after the entry is logged and the base has run.
  std::function<void(float x, float y, const ModifierKeys& mod)> onMouseDown;
  // Filled into the context menu when asked.
  std::vector<std::string> contextItems;

  void OnInit() override;
  void OnResize() override;
  void OnRescale() override;
  void OnAttached() override;
  void OnMouseDown(float x, float y, const ModifierKeys& mod) override;
  void OnMouseUp(float x, float y, const ModifierKeys& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const ModifierKeys& mod) override;
  void OnMouseWheel(float x, float y, const ModifierKeys& mod, float delta) override;
  void OnMouseDoubleClick(float x, float y, const ModifierKeys& mod) override;
  bool OnKeyDown(float x, float y, const KeyEvent& key) override;
  bool OnKeyUp(float x, float y, const KeyEvent& key) override;
  void OnMouseOver(float x, float y, const ModifierKeys& mod) override;
  void OnMouseOut() override;
  void OnDrop(const char* text, float x, float y) override;
  void CreateContextMenu(IPopupMenu& menu) override;
  void OnPopupMenuSelection(IPopupMenu* menu, int32_t valIdx) override;
  void OnContextSelection(int32_t itemTag) override;
  void OnTextEntryCompletion(const char* text, int32_t valIdx) override;
  // Logs "Draw <name> clip <l t r b> transform <xx yx xy yy tx ty>".
  void Draw(IGfx& gfx) override;

  const std::string& Name() const { return name_; }

 private:
  void Log(const std::string& entry) { log_.push_back(entry + " " + name_); }

  std::string name_;
  std::vector<std::string>& log_;
};

}  // namespace plugfw::gfx::test
