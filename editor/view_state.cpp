#include "editor/view_state.h"

#include <new>

#include "editor/page_table.h"
#include "graphics/control.h"
#include "graphics/gfx.h"

namespace halcyra {

ViewState::ViewState() { SetHelp(kStartHelp); }

void ViewState::SetHelp(const char* title, const char* text) {
  helpTitle_ = title != nullptr ? title : "";
  helpText_ = text != nullptr ? text : "";
}

bool ViewState::RegisterPageControl(plugfw::gfx::IGfx& gfx, plugfw::gfx::IControl* control, int32_t page) {
  // Recorded first: a control the record has no room for must not show on every page.
  if (!RecordForPage(control, page)) return false;
  if (gfx.AttachControl(control, -1) != nullptr) return true;
  entries_.pop_back();
  return false;
}

bool ViewState::RecordForPage(plugfw::gfx::IControl* control, int32_t page) {
  if (control == nullptr) return false;
  try {
    entries_.push_back({control, page});
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void ViewState::SelectPage(int32_t page, plugfw::gfx::IGfx& gfx) {
  if (FindPage(page) == nullptr) return;
  currentPage_ = page;
  if (page >= kFirstVoicePage && page <= kLastVoicePage) selectedVoice_ = page - kFirstVoicePage;
  ShowPage(gfx);
  SetHelp(kPageHelp);
}

bool ViewState::IsShownOnCurrentPage(const plugfw::gfx::IControl* control) const {
  for (const ViewEntry& entry : entries_) {
    if (entry.control == control && (entry.page == kEveryPage || entry.page == currentPage_)) return true;
  }
  return false;
}

void ViewState::ShowPage(plugfw::gfx::IGfx& gfx) {
  // A control registered for two pages has two entries; deciding per control rather than per
  // entry keeps the later entry from hiding it on the earlier entry's page.
  for (const ViewEntry& entry : entries_) entry.control->Hide(!IsShownOnCurrentPage(entry.control));
  gfx.SetAllControlsDirty();
}

}  // namespace halcyra
