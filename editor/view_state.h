#pragma once
// ViewState: what one open editor shows - the page (0..16), the selected voice, the help strip's
// title and text, and which page each page-bound control belongs to. The layout and every
// control that needs it share one record; it goes with the last of them when the editor closes.
// UI thread only.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editor/help_texts.h"

namespace plugfw::gfx {
class IControl;
class IGfx;
}  // namespace plugfw::gfx

namespace halcyra {

struct ViewEntry {
  plugfw::gfx::IControl* control;  // owned by the graphics context
  int32_t page;                    // kEveryPage: shown on all pages
};

class ViewState {
 public:
  static constexpr int32_t kEveryPage = -1;

  ViewState();

  int32_t CurrentPage() const { return currentPage_; }
  int32_t SelectedVoice() const { return selectedVoice_; }
  const std::string& HelpTitle() const { return helpTitle_; }
  const std::string& HelpText() const { return helpText_; }

  void SetHelp(const char* title, const char* text);
  void SetHelp(const HelpMessage& message) { SetHelp(message.title, message.text); }

  // Attaches the control (tag -1) and records it for the page; a control registered for
  // several pages is shown on each of them. False, with nothing recorded and the control still
  // the caller's, when the graphics context could not take it or memory ran out.
  bool RegisterPageControl(plugfw::gfx::IGfx& gfx, plugfw::gfx::IControl* control, int32_t page);
  // Records an attached control for one more page; false when memory ran out.
  bool RecordForPage(plugfw::gfx::IControl* control, int32_t page);

  // Opens the page (a voice page also selects its voice), shows it and writes the page help.
  // A page outside 0..16 is ignored.
  void SelectPage(int32_t page, plugfw::gfx::IGfx& gfx);
  // Hides every recorded control that belongs to no entry of the current page, shows the
  // others, and marks all controls dirty.
  void ShowPage(plugfw::gfx::IGfx& gfx);

  bool IsShownOnCurrentPage(const plugfw::gfx::IControl* control) const;
  const std::vector<ViewEntry>& Entries() const { return entries_; }

 private:
  int32_t currentPage_ = 0;
  int32_t selectedVoice_ = 0;
  std::string helpTitle_;
  std::string helpText_;
  std::vector<ViewEntry> entries_;
};

using ViewStatePtr = std::shared_ptr<ViewState>;

}  // namespace halcyra
