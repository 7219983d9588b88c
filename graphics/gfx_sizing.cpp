// Sizing and scale: the editor's size in units, its draw scale within bounds and the
// display's screen scale; how a resize is carried out and who hears of it in which order,
// and the corner resizer's drag.

#include <algorithm>
#include <cmath>
#include <new>

#include "core/make_or_null.h"
#include "graphics/control.h"
#include "graphics/corner_resizer_control.h"
#include "graphics/editor_scale.h"
#include "graphics/gfx.h"
#include "graphics/gfx_editor_delegate.h"

namespace plugfw::gfx {

void IGfx::SetScaleBounds(float a, float b) {
  if (!IsUsableScale(a) || !IsUsableScale(b)) return;
  minScale_ = std::min(a, b);
  maxScale_ = std::max(a, b);
  // A scale restored before the bounds were known comes within them, window and host too.
  if (drawScale_ < minScale_ || drawScale_ > maxScale_) ResizeEditor(width_, height_, drawScale_, true);
}

int32_t IGfx::HostWidth() const { return HostPixels(width_, drawScale_, GetPlatformWindowScale()); }

int32_t IGfx::HostHeight() const { return HostPixels(height_, drawScale_, GetPlatformWindowScale()); }

bool IGfx::ResizeHostAndWindow(bool resizeHost) {
  const bool hostResized = delegate_->ResizeFromUI(HostWidth(), HostHeight(), resizeHost);
  if (deleteWhenWalkEnds_) return false;
  PlatformResize(hostResized);
  return !deleteWhenWalkEnds_;
}

void IGfx::ResizeEditor(int32_t width, int32_t height, float scale, bool resizeHost) {
  if (std::isnan(scale)) return;
  delegate_->ConstrainEditorSize(width, height);
  if (width <= 0 || height <= 0) return;
  scale = std::min(std::max(scale, minScale_), maxScale_);
  if (width == width_ && height == height_ && scale == drawScale_) return;

  // The host or the window may close the editor while it hears of the resize; the walk
  // holds the deletion back until this returns, and nothing more is done meanwhile.
  ControlWalk walk(*this);
  ReleaseMouseCapture();
  width_ = width;
  height_ = height;
  drawScale_ = scale;
  if (cornerResizer_) cornerResizer_->OnRescale();
  if (!ResizeHostAndWindow(resizeHost)) return;
  ForAllControls([](IControl& control) { control.OnResize(); });
  SetAllControlsDirty();
  ResizeDrawSurface();
  if (layoutOnResize_) delegate_->LayoutUI(this);
  if (deleteWhenWalkEnds_) return;
  AfterResize();
}

void IGfx::FitEditorToParent(int32_t parentWidth, int32_t parentHeight) {
  ParentFit fit;
  if (!FitScaleToParent(width_, height_, parentWidth, parentHeight, GetPlatformWindowScale(), minScale_,
                        maxScale_, drawScale_, fit)) {
    return;
  }
  if (fit.scale != drawScale_) {
    ResizeEditor(width_, height_, fit.scale, !fit.fills);
    return;
  }
  if (fit.fills) return;
  // The editor has the size already, the parent not: a repeated request past a limit still
  // gets the host's answer.
  ControlWalk walk(*this);
  ResizeHostAndWindow(true);
}

void IGfx::SetScreenScale(float scale) {
  if (!IsUsableScale(scale)) return;
  ControlWalk walk(*this);
  screenScale_ = scale;
  if (!ResizeHostAndWindow(true)) return;
  ForAllControls([](IControl& control) { control.OnRescale(); });
  SetAllControlsDirty();
  ResizeDrawSurface();
}

void IGfx::AttachCornerResizer(int32_t resizeMode, bool layoutOnResize, const Colour& normalColour,
                               const Colour& mouseOverColour, const Colour& dragColour, float size) {
  if (cornerResizer_ || !std::isfinite(size) || size <= 0.f) return;
  const float width = static_cast<float>(width_);
  const float height = static_cast<float>(height_);
  std::unique_ptr<ICornerResizerControl> resizer = MakeOrNull<ICornerResizerControl>(
      Rect(width - size + 1.f, height - size + 1.f, width - 1.f, height - 1.f), size,
      Rect(0.f, 0.f, width, height), normalColour, mouseOverColour, dragColour);
  if (!resizer) return;
  resizeMode_ = resizeMode;
  layoutOnResize_ = layoutOnResize;
  resizer->SetDelegate(delegate_);
  resizer->SetUI(this);
  resizer->OnInit();
  resizer->OnResize();
  resizer->OnRescale();
  cornerResizer_ = std::move(resizer);
}

void IGfx::BeginCornerResize(float x, float y) {
  resizing_ = true;
  cornerPressX_ = x;
  cornerPressY_ = y;
}

void IGfx::DragCornerResizer(float x, float y) {
  if (!resizing_) return;
  if (resizeMode_ == kScaleResizeMode) {
    float scale = drawScale_;
    if (CornerDragScale(drawScale_, x, y, cornerPressX_, cornerPressY_, scale)) {
      ResizeEditor(width_, height_, scale, true);
    }
    return;
  }
  if (std::isfinite(x) && std::isfinite(y))
    ResizeEditor(TruncatedUnits(x), TruncatedUnits(y), drawScale_, true);
}

void IGfx::EndCornerResize() {
  resizing_ = false;
  cornerPressX_ = -1.f;
  cornerPressY_ = -1.f;
  if (resizeMode_ != kScaleResizeMode) {
    if (cornerResizer_) cornerResizer_->SetDirty(false, IControl::kAllValues);
    return;
  }
  ForAllControls([](IControl& control) { control.OnRescale(); });
  SetAllControlsDirty();
}

}  // namespace plugfw::gfx
