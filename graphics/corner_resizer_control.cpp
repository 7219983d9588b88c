#include "graphics/corner_resizer_control.h"

#include "graphics/gfx.h"

namespace plugfw::gfx {
namespace {

constexpr float kInitialScale = 1.f;

}  // namespace

ICornerResizerControl::ICornerResizerControl(const Rect& bounds, float size, const Rect& editorBounds,
                                             const Colour& normalColour, const Colour& mouseOverColour,
                                             const Colour& dragColour)
    : IControl(bounds),
      size_(size),
      initialRect_(editorBounds),
      normalColour_(normalColour),
      mouseOverColour_(mouseOverColour),
      dragColour_(dragColour) {}

void ICornerResizerControl::OnMouseDown(float x, float y, const ModifierKeys& /*mod*/) {
  // The drag itself is the graphics context's; it measures from this press.
  if (IGfx* gfx = GetUI()) gfx->BeginCornerResize(x, y);
}

void ICornerResizerControl::OnMouseDoubleClick(float /*x*/, float /*y*/, const ModifierKeys& /*mod*/) {
  if (IGfx* gfx = GetUI()) {
    gfx->ResizeEditor(static_cast<int32_t>(initialRect_.Width()), static_cast<int32_t>(initialRect_.Height()),
                      kInitialScale, true);
  }
}

void ICornerResizerControl::OnMouseOver(float x, float y, const ModifierKeys& mod) {
  IGfx* gfx = GetUI();
  if (!over_ && gfx) previousCursor_ = gfx->SetMouseCursor(kResizeCursor);
  over_ = true;
  IControl::OnMouseOver(x, y, mod);
}

void ICornerResizerControl::OnMouseOut() {
  IGfx* gfx = GetUI();
  if (over_ && gfx) gfx->SetMouseCursor(previousCursor_);
  over_ = false;
  IControl::OnMouseOut();
}

void ICornerResizerControl::OnRescale() {
  const IGfx* gfx = GetUI();
  if (!gfx) return;
  const float width = static_cast<float>(gfx->Width());
  const float height = static_cast<float>(gfx->Height());
  const float side = size_ / gfx->GetDrawScale();
  SetTargetAndDrawRects(Rect(width - side, height - side, width, height));
  SetMouseIsOver(false);
  OnResize();
}

void ICornerResizerControl::Draw(IGfx& gfx) {
  const Rect& r = GetRect();
  const Colour& colour = gfx.IsResizing() ? dragColour_ : GetMouseIsOver() ? mouseOverColour_ : normalColour_;
  gfx.FillTriangle(colour, r.left, r.bottom, r.right, r.top, r.right, r.bottom);
}

}  // namespace plugfw::gfx
