// IGfxWin's frames: the per-tick road that turns dirty controls into invalidated window areas,
// the paint road that draws them through the renderer and shows the frame, and printing the
// editor into another device context.

#include <windows.h>

#include <algorithm>
#include <vector>

#include "core/resources.h"
#include "graphics/platform/gdi_present_win32.h"
#include "graphics/platform/gfx_win_win32.h"
#include "graphics/platform/pixel_geometry.h"
#include "graphics/rect_list.h"
#include "graphics/renderer/gl_backend.h"
#include "graphics/renderer/gl_functions.h"

namespace plugfw::gfx {
namespace {

RECT ToRect(const PixelRect& pixels) { return {pixels.left, pixels.top, pixels.right, pixels.bottom}; }
PixelRect ToPixels(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// The areas of an update region, in editor units; none for an empty region.
std::vector<Rect> UpdateAreas(HRGN region, int kind, float backing) {
  if (kind != SIMPLEREGION && kind != COMPLEXREGION) return {};
  RECT box;
  GetRgnBox(region, &box);
  std::vector<PixelRect> rects;
  if (kind == COMPLEXREGION) {
    alignas(RGNDATAHEADER) uint8_t buffer[kRegionBufferBytes];
    // A region of more rectangles than the buffer holds reads as none: its box is drawn.
    if (GetRegionData(region, kRegionBufferBytes, reinterpret_cast<RGNDATA*>(buffer)) != 0) {
      const auto* data = reinterpret_cast<const RGNDATA*>(buffer);
      const auto* list = reinterpret_cast<const RECT*>(data->Buffer);
      for (DWORD i = 0; i < data->rdh.nCount; ++i) rects.push_back(ToPixels(list[i]));
    }
  }
  return UpdateAreasInUnits(rects.data(), static_cast<int32_t>(rects.size()), ToPixels(box), backing);
}

}  // namespace

void IGfxWin::OnDisplayTick(uint32_t tick) {
  if (window_ == nullptr) return;
  if (!staleTicks_.Admit(tick, verticalBlank_.Counter(), vsync_)) return;
  if (FinishNativeTextEntry()) return;
  if (GetCapture() == nullptr) FollowDisplayScale();

  RectList dirty;
  if (!CollectDirtyRects(dirty)) return;
  SetAllControlsClean();
  const float backing = GetBackingScale();
  for (int32_t i = 0; i < dirty.Count(); ++i) {
    const RECT area = ToRect(PixelsCovering(dirty.Get(i), backing));
    InvalidateRect(window_, &area, FALSE);
  }
  if (editBox_.IsOpen()) {
    // The edit box paints itself.
    const RECT box = ToRect(PixelsCovering(editBox_.Bounds(), backing));
    ValidateRect(window_, &box);
    UpdateWindow(window_);
    editBox_.State().DrawnWhileOpen();
    return;
  }
  UpdateWindow(window_);
  staleTicks_.AfterPaint(tick, verticalBlank_.Counter(), vsync_);
}

bool IGfxWin::FinishNativeTextEntry() {
  if (!editBox_.IsOpen()) return false;
  const NativeEditTickAction action =
      editBox_.OnTick([this](const std::string& text) { ApplyTextEntry(text.c_str()); });
  if (action == NativeEditTickAction::kCancel) ClearInTextEntryControl();
  return action != NativeEditTickAction::kContinue;
}

void IGfxWin::FollowDisplayScale() {
  if (hostSetScale_) return;
  // A scale this window did not set came from the host, whose word is final.
  if (GetScreenScale() != displayScale_) {
    hostSetScale_ = true;
    return;
  }
  const float scale = WindowDpiScale(window_);
  if (scale == GetScreenScale()) return;
  displayScale_ = scale;
  SetScreenScale(scale);
}

void IGfxWin::Paint() {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  const int kind = region != nullptr ? GetUpdateRgn(window_, region, FALSE) : ERROR;
  const std::vector<Rect> areas = UpdateAreas(region, kind, GetBackingScale());
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window_, &paint);
  if (!areas.empty() && RendererReady()) {
    ScopedGLCurrent current(glContext_);
    if (current.Current()) {
      RectList list;
      for (const Rect& area : areas) list.Add(area);
      DrawRectList(list);
      if (presentThroughGdi_) {
        PresentThroughGdi(dc, areas);
      } else {
        SwapBuffers(glContext_.DeviceContext());
      }
    } else {
      // Drawing would go to whatever context is current. The controls stay dirty instead, so
      // a later tick draws them once the context can be had again.
      SetAllControlsDirty();
    }
  }
  EndPaint(window_, &paint);
  ValidateRect(window_, nullptr);
  if (region != nullptr) DeleteObject(region);
}

int32_t IGfxWin::PixelWidth() const {
  return static_cast<int32_t>(static_cast<float>(static_cast<int32_t>(Width() * GetDrawScale())) *
                              GetScreenScale());
}

int32_t IGfxWin::PixelHeight() const {
  return static_cast<int32_t>(static_cast<float>(static_cast<int32_t>(Height() * GetDrawScale())) *
                              GetScreenScale());
}

void IGfxWin::PresentThroughGdi(HDC dc, const std::vector<Rect>& areas) {
  const float backing = GetBackingScale();
  PixelRect covered = PixelsCovering(areas.front(), backing);
  for (const Rect& area : areas) {
    const PixelRect pixels = PixelsCovering(area, backing);
    covered = {std::min(covered.left, pixels.left), std::min(covered.top, pixels.top),
               std::max(covered.right, pixels.right), std::max(covered.bottom, pixels.bottom)};
  }
  CopyFrameToDc(dc, covered);
}

void IGfxWin::PrintClient(HDC dc) {
  if (dc == nullptr || !RendererReady()) return;
  ScopedGLCurrent current(glContext_);
  if (current.Current()) CopyFrameToDc(dc, PixelRect{0, 0, PixelWidth(), PixelHeight()});
}

void IGfxWin::CopyFrameToDc(HDC dc, const PixelRect& area) {
  // The main framebuffer holds the whole editor at its current size. The window's own
  // framebuffer need not: under Wine a hidden window's GL drawable keeps the size it was
  // made with, however the window is sized afterwards.
  const LayerFramebuffer* main = MainFramebuffer();
  GL().BindFramebuffer(GL_FRAMEBUFFER, main != nullptr ? main->framebuffer : WindowFramebuffer());
  CopyFramebufferToDc(GL(), dc, area, PixelWidth(), PixelHeight(), presentPixels_);
  GL().BindFramebuffer(GL_FRAMEBUFFER, WindowFramebuffer());
}

}  // namespace plugfw::gfx
