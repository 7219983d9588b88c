// The frame road: the frame clock, the collection of dirty control rectangles at the tick,
// and the drawing passes at paint time, each control clipped to its padded, pixel-aligned
// rectangle within the area being drawn.

#include <algorithm>

#include "graphics/control.h"
#include "graphics/gfx.h"
#include "graphics/performance_display_control.h"
#include "graphics/rect_list.h"
#include "graphics/rect_list_optimizer.h"
#include "graphics/steady_clock.h"

namespace plugfw::gfx {
namespace {

// Seconds since the first frame of the process.
double FrameClockSeconds() {
  static const int64_t start = SteadyClockNanoseconds();
  return static_cast<double>(SteadyClockNanoseconds() - start) / 1e9;
}

// r moved into p, keeping its size where it fits; it ends one unit inside p's right and
// bottom edges.
Rect ConstrainedToParent(Rect r, const Rect& p) {
  if (r.left < p.left) {
    r.right = std::min(p.left + r.Width(), p.right - 1.f);
    r.left = p.left;
  }
  if (r.top < p.top) {
    r.bottom = std::min(p.top + r.Height(), p.bottom - 1.f);
    r.top = p.top;
  }
  if (r.right >= p.right) {
    r.left = std::max(r.left - (r.right - p.right + 1.f), p.left);
    r.right = p.right - 1.f;
  }
  if (r.bottom >= p.bottom) {
    r.top = std::max(r.top - (r.bottom - p.bottom + 1.f), p.top);
    r.bottom = p.bottom - 1.f;
  }
  return r;
}

Rect PaddedClip(const IControl& control, float backingScale) {
  return control.GetRect().Padded(IGfx::kControlMargin).PixelAligned(backingScale);
}

// The union of the list's rectangles that have an area; unset when none has.
Rect UnionOf(const RectList& rects) {
  Rect all;
  for (int32_t i = 0; i < rects.Count(); ++i) all = all.Union(rects.Get(i));
  return all.Empty() ? Rect() : all;
}

}  // namespace

void IGfx::BeginFrame() {
  auto* display = dynamic_cast<IPerformanceDisplayControl*>(perfDisplay_.get());
  if (!display) return;
  const double now = FrameClockSeconds();
  display->RecordFrameTime(static_cast<float>(now - lastFrameTime_));
  lastFrameTime_ = now;
}

bool IGfx::CollectDirtyRects(RectList& rects) {
  if (frameHook_) frameHook_(rects);
  ForAllControls([](IControl& control) { control.Animate(); });
  bool collected = false;
  ForAllControls([&rects, &collected](IControl& control) {
    if (!control.IsDirty()) return;
    // A control of no area (an entry box waiting to be placed) draws nothing, margin or not.
    if (control.GetRect().Empty()) return;
    Rect r = control.GetRect().Padded(kControlMargin);
    if (const IControl* parent = control.GetParent()) {
      r = ConstrainedToParent(r, parent->GetRect().Padded(kControlMargin));
    }
    // No area, nothing to redraw; and the window turns every rectangle into whole pixels,
    // which a NaN edge has none of.
    if (r.Empty()) return;
    // A rectangle the list cannot take is not reported, so nothing claims to be invalid
    // that will not be drawn; the control stays dirty only until the tick cleans it.
    if (rects.Add(r)) collected = true;
  });
  return collected;
}

void IGfx::DrawRectList(RectList& rects) {
  if (rects.Count() == 0) return;
  const float scale = GetBackingScale();
  BeginFrame();
  if (strictDrawing_) {
    const Rect area = UnionOf(rects).PixelAligned(scale);
    ForAllControls([this, &area, scale](IControl& control) { DrawControl(&control, area, scale); });
  } else {
    for (int32_t i = 0; i < rects.Count(); ++i) rects.Set(i, rects.Get(i).PixelAligned(scale));
    OptimizeRectList(rects);
    for (int32_t i = 0; i < rects.Count(); ++i) {
      const Rect area = rects.Get(i);
      ForAllControls([this, &area, scale](IControl& control) { DrawControl(&control, area, scale); });
    }
  }
  EndFrame();
}

void IGfx::DrawControl(IControl* control, const Rect& area, float backingScale) {
  if (!control) return;
  if (control->IsHidden() && control != controls_.Get(0)) return;
  // Alignment grows a rectangle by less than a pixel, so a control a pixel clear of the area
  // is passed over before the costlier alignment: most controls, for most rectangles.
  const float pixel = 1.f / backingScale;
  if (area.Intersection(control->GetRect().Padded(kControlMargin + pixel)).Empty()) return;
  Rect clip = area.Intersection(PaddedClip(*control, backingScale));
  if (clip.Empty()) return;
  // Within each ancestor by cutting, not by moving: a clip moved into a parent could leave
  // the area being drawn and paint over what is not redrawn. Bounded, so that controls
  // made each other's parents cannot hold the frame forever.
  int32_t levels = controls_.Count() + extraControls_.Count();
  for (const IControl* ancestor = control->GetParent(); ancestor && levels > 0;
       ancestor = ancestor->GetParent(), --levels) {
    clip = clip.Intersection(PaddedClip(*ancestor, backingScale));
    if (clip.Empty()) return;
  }
  PathTransformReset(true);
  PathClear();
  SetClipRegion(clip);
  currentClip_ = clip;
  control->Draw(*this);
  AfterDrawControl(clip);
}

}  // namespace plugfw::gfx
