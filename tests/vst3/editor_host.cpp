#include "tests/vst3/editor_host.h"

#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"

#include "tests/core/message_pump.h"

namespace halcyra_test {

using namespace Steinberg;

tresult PLUGIN_API RecordingPlugFrame::resizeView(IPlugView* view, ViewRect* newSize) {
  ++resizeRequests;
  if (inside_) ++nestedRequests;
  lastSize = *newSize;
  if (refuse) return kResultFalse;
  inside_ = true;
  view->getSize(&sizeSeenInside);
  if (resizeHostWindow) SizeHostWindow(newSize->getWidth(), newSize->getHeight());
  if (answerWithOnSize || resizeHostWindow) view->onSize(newSize);
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
    HWND created = CreateWindowExW(0, windowClass.lpszClassName, L"HALCYRA test host",
                                   WS_POPUP | WS_CLIPCHILDREN, 0, 0, kHostWindowWidth, kHostWindowHeight,
                                   nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(created, SW_SHOWNOACTIVATE);
    return created;
  }();
  return window;
}

void SizeHostWindow(long width, long height) {
  SetWindowPos(HostWindow(), nullptr, 0, 0, static_cast<int>(width), static_cast<int>(height),
               SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

HWND EditorChildWindow() { return GetWindow(HostWindow(), GW_CHILD); }

PixelSize ClientSize(HWND window) {
  RECT client = {};
  GetClientRect(window, &client);
  return {client.right - client.left, client.bottom - client.top};
}

bool PrintedEditor::Print(HWND editor) {
  if (editor == nullptr || !pixels_.CapturePrint(editor)) return false;
  for (int y = 0; y < pixels_.Height(); ++y) {
    for (int x = 0; x < pixels_.Width(); ++x) {
      const plugfw::gfx::Colour colour = pixels_.At(x, y);
      if (colour.red != 0 || colour.green != 0 || colour.blue != 0) return true;
    }
  }
  return false;
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
  SizeHostWindow(kHostWindowWidth, kHostWindowHeight);
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
