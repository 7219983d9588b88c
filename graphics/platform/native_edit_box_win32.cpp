#include "graphics/platform/native_edit_box_win32.h"

#include "core/utf_conversion.h"
#include "graphics/platform/pixel_geometry.h"
#include "graphics/platform/wide_text_win32.h"

namespace plugfw::gfx {
namespace {

constexpr wchar_t kOwnerProperty[] = L"PlugFwNativeEditBox";
// Multi-line so that the formatting rectangle can centre the one line.
constexpr DWORD kEditStyle =
    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | ES_MULTILINE | ES_AUTOHSCROLL;
constexpr WORD kAcceleratorNotification = 1;

DWORD AlignmentStyle(TextAlign align) {
  switch (align) {
    case TextAlign::kNear:
      return ES_LEFT;
    case TextAlign::kFar:
      return ES_RIGHT;
    default:
      return ES_CENTER;
  }
}

COLORREF ColourRef(const Colour& colour) {
  auto channel = [](int32_t value) { return static_cast<BYTE>(value < 0 ? 0 : value > 255 ? 255 : value); };
  return RGB(channel(colour.red), channel(colour.green), channel(colour.blue));
}

LOGFONTW MessageFont() {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
    return metrics.lfMessageFont;
  LOGFONTW font = {};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
  return font;
}

}  // namespace

bool NativeEditBox::Open(HWND window, HINSTANCE module, const NativeEditRequest& request) {
  if (edit_ != nullptr || window == nullptr) return false;
  const PixelRect place = EditBoxPixels(request.bounds, request.backing);
  const int width = place.right - place.left;
  const int height = place.bottom - place.top;
  edit_ =
      CreateWindowExW(0, L"EDIT", WideFromUtf8(request.text).c_str(),
                      kEditStyle | AlignmentStyle(request.style.align), place.left, place.top, width, height,
                      window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlId)), module, nullptr);
  if (edit_ == nullptr) return false;
  param_ = request.param;
  allowed_ = EntryCharactersFor(request.param);
  style_ = request.style;
  bounds_ = request.bounds;
  state_.Reset();

  // Marked and subclassed before it takes the focus, so that the focus reaches its state.
  SetWindowLongPtrW(edit_, GWLP_USERDATA, kMarker);
  SetPropW(edit_, kOwnerProperty, this);
  savedProcedure_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NativeEditBox::Procedure)));

  font_ = MakeFont(request);
  if (request.maxLength > 0) SendMessageW(edit_, EM_LIMITTEXT, static_cast<WPARAM>(request.maxLength), 0);
  if (font_ != nullptr) SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  SendMessageW(edit_, EM_SETSEL, 0, -1);
  if (request.style.valign == TextVAlign::kMiddle) CentreLineVertically(request, height);
  SetFocus(edit_);
  return true;
}

HFONT NativeEditBox::MakeFont(const NativeEditRequest& request) const {
  LOGFONTW font = request.font != nullptr ? *request.font : MessageFont();
  font.lfHeight = static_cast<LONG>(request.backing * request.style.size);
  return CreateFontIndirectW(&font);
}

void NativeEditBox::CentreLineVertically(const NativeEditRequest& request, int height) {
  const PixelRect place = EditBoxPixels(request.bounds, request.backing);
  RECT format = {0, static_cast<LONG>((height - request.backing * request.style.size) / 2),
                 place.right - place.left, height};
  SendMessageW(edit_, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&format));
}

void NativeEditBox::Destroy() {
  if (edit_ == nullptr) return;
  HWND edit = edit_;
  SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(savedProcedure_));
  RemovePropW(edit, kOwnerProperty);
  edit_ = nullptr;
  if (GetFocus() == edit) SetFocus(GetParent(edit));
  DestroyWindow(edit);
  if (font_ != nullptr) DeleteObject(font_);
  font_ = nullptr;
  savedProcedure_ = nullptr;
  param_ = nullptr;
  state_.Reset();
}

HBRUSH NativeEditBox::ColourControl(HDC dc, HWND control) const {
  if (edit_ == nullptr || control != edit_) return nullptr;
  const COLORREF background = ColourRef(style_.entryBackgroundColour);
  SetBkColor(dc, background);
  SetDCBrushColor(dc, background);
  SetTextColor(dc, ColourRef(style_.entryTextColour));
  SetBkMode(dc, OPAQUE);
  return static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
}

std::string NativeEditBox::Text() const {
  if (edit_ == nullptr) return std::string();
  wchar_t units[kMaxReadUnits + 1] = {};
  int length =
      static_cast<int>(SendMessageW(edit_, WM_GETTEXT, kMaxReadUnits + 1, reinterpret_cast<LPARAM>(units)));
  if (length < 0) length = 0;
  if (length > kMaxReadUnits) length = kMaxReadUnits;
  // The cut may fall inside a surrogate pair: end before it rather than lose all.
  if (length > 0 && IsHighSurrogate(units[length - 1])) --length;
  std::string utf8;
  Utf8FromWide(units, length, &utf8);
  return utf8;
}

NativeEditTickAction NativeEditBox::OnTick(const std::function<void(const std::string&)>& apply) {
  const NativeEditTickAction action = state_.TakeTickAction();
  if (action == NativeEditTickAction::kCommit) {
    const std::string text = Text();
    Destroy();
    if (apply) apply(text);
  } else if (action == NativeEditTickAction::kCancel) {
    Destroy();
  }
  return action;
}

LRESULT CALLBACK NativeEditBox::Procedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* box = static_cast<NativeEditBox*>(GetPropW(edit, kOwnerProperty));
  if (box == nullptr || box->edit_ != edit || GetWindowLongPtrW(edit, GWLP_USERDATA) != kMarker) {
    return DefWindowProcW(edit, message, wParam, lParam);
  }
  return box->Handle(edit, message, wParam, lParam);
}

LRESULT NativeEditBox::Handle(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  // Held here: a message may destroy the box before the box's own procedure runs.
  const WNDPROC saved = savedProcedure_;
  if (onAnyMessage_) onAnyMessage_();
  switch (message) {
    case WM_SETFOCUS:
      state_.FocusGained();
      break;
    case WM_KILLFOCUS:
      state_.FocusLost();
      break;
    case WM_GETDLGCODE: {
      LRESULT code = CallWindowProcW(saved, edit, message, wParam, lParam);
      const auto* asked = reinterpret_cast<const MSG*>(lParam);
      if (asked != nullptr && asked->message == WM_KEYDOWN && asked->wParam == VK_RETURN)
        code |= DLGC_WANTALLKEYS;
      return code;
    }
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        state_.CommitRequested();
        return 0;
      }
      if (wParam == VK_ESCAPE) {
        state_.CancelRequested();
        return 0;
      }
      break;
    case WM_CHAR:
      if (!NativeEntryAcceptsCharacter(static_cast<uint32_t>(wParam), allowed_)) return 0;
      break;
    case WM_COMMAND:
      if (HIWORD(wParam) == kAcceleratorNotification) {
        state_.CommitRequested();
        return 0;
      }
      break;
    default:
      break;
  }
  return CallWindowProcW(saved, edit, message, wParam, lParam);
}

}  // namespace plugfw::gfx
