#include "tests/graphics/support/logging_control.h"

#include <cstdio>

#include "graphics/gfx.h"
#include "graphics/popup_menu.h"
#include "tests/graphics/support/call_log.h"

namespace plugfw::gfx::test {

LoggingControl::LoggingControl(std::string name, std::vector<std::string>& log, const Rect& bounds,
                               int32_t paramIdx)
    : IControl(bounds, paramIdx), name_(std::move(name)), log_(log) {}

LoggingControl::~LoggingControl() { Log("~"); }

void LoggingControl::OnInit() { Log("OnInit"); }
void LoggingControl::OnResize() { Log("OnResize"); }
void LoggingControl::OnRescale() { Log("OnRescale"); }
void LoggingControl::OnAttached() { Log("OnAttached"); }

void LoggingControl::OnMouseDown(float x, float y, const ModifierKeys& mod) {
  Log("OnMouseDown");
  IControl::OnMouseDown(x, y, mod);
  if (onMouseDown) onMouseDown(x, y, mod);
}

void LoggingControl::OnMouseUp(float x, float y, const ModifierKeys& mod) {
  Log("OnMouseUp");
  IControl::OnMouseUp(x, y, mod);
}

void LoggingControl::OnMouseDrag(float x, float y, float dX, float dY, const ModifierKeys& mod) {
  Log("OnMouseDrag");
  IControl::OnMouseDrag(x, y, dX, dY, mod);
}

void LoggingControl::OnMouseWheel(float x, float y, const ModifierKeys& mod, float delta) {
  Log("OnMouseWheel");
  IControl::OnMouseWheel(x, y, mod, delta);
}

void LoggingControl::OnMouseDoubleClick(float x, float y, const ModifierKeys& mod) {
  Log("OnMouseDoubleClick");
  IControl::OnMouseDoubleClick(x, y, mod);
}

bool LoggingControl::OnKeyDown(float /*x*/, float /*y*/, const KeyEvent& key) {
  Log("OnKeyDown " + std::to_string(key.keyCode));
  if (onKey) onKey(key);
  return keyAnswer;
}

bool LoggingControl::OnKeyUp(float /*x*/, float /*y*/, const KeyEvent& key) {
  Log("OnKeyUp " + std::to_string(key.keyCode));
  return keyAnswer;
}

void LoggingControl::OnMouseOver(float x, float y, const ModifierKeys& mod) {
  Log("OnMouseOver");
  IControl::OnMouseOver(x, y, mod);
}

void LoggingControl::OnMouseOut() {
  Log("OnMouseOut");
  IControl::OnMouseOut();
}

void LoggingControl::OnDrop(const char* text, float /*x*/, float /*y*/) {
  Log(std::string("OnDrop '") + (text ? text : "") + "'");
}

void LoggingControl::CreateContextMenu(IPopupMenu& menu) {
  for (const std::string& item : contextItems) menu.AddItem(item.c_str());
}

void LoggingControl::OnPopupMenuSelection(IPopupMenu* menu, int32_t valIdx) {
  Log("OnPopupMenuSelection " + std::to_string(menu ? menu->GetChosenItemIdx() : -1) + " " +
      std::to_string(valIdx));
  IControl::OnPopupMenuSelection(menu, valIdx);
}

void LoggingControl::OnContextSelection(int32_t itemTag) {
  Log("OnContextSelection " + std::to_string(itemTag));
}

void LoggingControl::OnTextEntryCompletion(const char* text, int32_t valIdx) {
  Log(std::string("OnTextEntryCompletion '") + (text ? text : "") + "' " + std::to_string(valIdx));
}

void LoggingControl::Draw(IGfx& gfx) {
  Log("Draw");
  log_.back() +=
      " clip " + DescribeRect(gfx.GetCurrentClip()) + " transform " + DescribeTransform(gfx.GetTransform());
  if (drawing) drawing(gfx);
}

}  // namespace plugfw::gfx::test
