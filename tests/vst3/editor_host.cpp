#include "tests/vst3/editor_host.h"

#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"

#include <cstring>

#include "tests/core/message_pump.h"

namespace halcyra_test {

using namespace Steinberg;

tresult PLUGIN_API RecordingPlugFrame::resizeView(IPlugView* view, ViewRect* newSize) {
  ++resizeRequests;
  if (inside_) ++nestedRequests;
  lastSize = *newSize;
  inside_ = true;
  view->getSize(&sizeSeenInside);
  if (answerWithOnSize) view->onSize(newSize);
  inside_ = false;
  return kResultOk;
}

tresult PLUGIN_API RecordingPlugFrame::queryInterface(const TUID iid, void** obj) {
  if (FUnknownPrivate::iidEqual(iid, IPlugFrame::iid) || FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
    *obj = this;
    addRef();
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}

HWND HostWindow() {
  static const HWND window = [] {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = L"HalcyraTestHostWindow";
    RegisterClassW(&windowClass);
    HWND created =
        CreateWindowExW(0, windowClass.lpszClassName, L"HALCYRA test host", WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                        1800, 1220, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(created, SW_SHOWNOACTIVATE);
    return created;
  }();
  return window;
}

HWND EditorChildWindow() { return GetWindow(HostWindow(), GW_CHILD); }

PixelSize ClientSize(HWND window) {
  RECT client = {};
  GetClientRect(window, &client);
  return {client.right - client.left, client.bottom - client.top};
}

bool PrintedEditor::Print(HWND editor) {
  const PixelSize size = ClientSize(editor);
  width_ = static_cast<int>(size.width);
  height_ = static_cast<int>(size.height);
  pixels_.assign(static_cast<size_t>(width_) * height_ * 4, 0);
  if (editor == nullptr || width_ <= 0 || height_ <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  SendMessageW(editor, WM_PRINT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
  GdiFlush();
  std::memcpy(pixels_.data(), bits, pixels_.size());
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  for (size_t i = 0; i < pixels_.size(); i += 4) {
    if (pixels_[i] != 0 || pixels_[i + 1] != 0 || pixels_[i + 2] != 0) return true;
  }
  return false;
}

uint8_t PrintedEditor::Byte(int x, int y, int channel) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[(static_cast<size_t>(y) * width_ + x) * 4 + channel];
}

int PrintedEditor::LightPixels(int left, int top, int right, int bottom, int threshold) const {
  int light = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) light += Red(x, y) > threshold ? 1 : 0;
  }
  return light;
}

void SendPress(HWND window, int x, int y) {
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
}
void SendDrag(HWND window, int x, int y) { SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y)); }
void SendRelease(HWND window, int x, int y) { SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }

bool WaitUntilPainted(HWND editor, PrintedEditor& printed, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  do {
    plugfw::test::PumpMessagesFor(50);
    if (printed.Print(editor) && printed.LightPixels(36, 45, 250, 82) > 200) return true;
  } while (GetTickCount64() < end);
  return false;
}

void ModuleEditorTest::SetUp() {
  ASSERT_NE(factory_.Factory(), nullptr);
  plugin_ = std::make_unique<PluginInstance>(factory_.Factory(), &host_, &handler_);
  ASSERT_TRUE(plugin_->Ready());
}

void ModuleEditorTest::TearDown() {
  CloseView();
  plugin_.reset();
  plugfw::test::DispatchPending();
}

IPlugView* ModuleEditorTest::CreateView(float contentScale) {
  IPlugView* view = plugin_->controller->createView(Vst::ViewType::kEditor);
  if (view == nullptr) return nullptr;
  view->setFrame(&frame_);
  if (contentScale > 0.f) {
    auto* scaling = FUnknownPtr<IPlugViewContentScaleSupport>(view).getInterface();
    if (scaling != nullptr) scaling->setContentScaleFactor(contentScale);
  }
  return view;
}

HWND ModuleEditorTest::Attach(IPlugView* view) {
  if (view == nullptr || view->attached(HostWindow(), kPlatformTypeHWND) != kResultOk) return nullptr;
  plugfw::test::DispatchPending();
  return EditorChildWindow();
}

HWND ModuleEditorTest::OpenEditor(float contentScale) {
  view_ = CreateView(contentScale);
  editor_ = Attach(view_);
  if (editor_ == nullptr || !WaitUntilPainted(editor_, printed_)) return nullptr;
  return editor_;
}

void ModuleEditorTest::CloseView(IPlugView* view) {
  if (view == nullptr) {
    view = view_;
    view_ = nullptr;
    editor_ = nullptr;
  }
  if (view == nullptr) return;
  view->removed();
  view->setFrame(nullptr);
  view->release();
  plugfw::test::DispatchPending();
}

}  // namespace halcyra_test
