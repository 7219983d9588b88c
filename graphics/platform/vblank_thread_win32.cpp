#include "graphics/platform/vblank_thread_win32.h"

#include <atomic>
#include <new>

#include "graphics/platform/vblank_loop.h"

namespace plugfw::gfx {

struct VerticalBlankThread::Shared {
  TickMailbox mailbox;
  // Cleared by the UI thread before the window goes, so no tick reaches another window
  // that might get the same handle.
  std::atomic<HWND> window{nullptr};
  UINT message = 0;
};

namespace {

// The kernel-display records, as the three gdi32 functions take them.
using KernelHandle = UINT;
using VideoPresentSourceId = UINT;
using NtStatus = LONG;

struct OpenAdapterFromDc {
  HDC dc;
  KernelHandle adapter;
  LUID adapterLuid;
  VideoPresentSourceId sourceId;
};
struct CloseAdapterRecord {
  KernelHandle adapter;
};
struct WaitForVerticalBlankRecord {
  KernelHandle adapter;
  KernelHandle device;
  VideoPresentSourceId sourceId;
};

using OpenAdapterFunction = NtStatus(APIENTRY*)(OpenAdapterFromDc*);
using CloseAdapterFunction = NtStatus(APIENTRY*)(const CloseAdapterRecord*);
using WaitFunction = NtStatus(APIENTRY*)(const WaitForVerticalBlankRecord*);

bool Succeeded(NtStatus status) { return status >= 0; }

template <typename Function>
Function Lookup(HMODULE module, const char* name) {
  return module != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                           : nullptr;
}

class KernelDisplayWaiter : public VerticalBlankWaiter {
 public:
  explicit KernelDisplayWaiter(const VerticalBlankThread::Shared& shared)
      : shared_(shared), gdi32_(LoadLibraryW(L"gdi32.dll")) {
    open_ = Lookup<OpenAdapterFunction>(gdi32_, "D3DKMTOpenAdapterFromHdc");
    close_ = Lookup<CloseAdapterFunction>(gdi32_, "D3DKMTCloseAdapter");
    wait_ = Lookup<WaitFunction>(gdi32_, "D3DKMTWaitForVerticalBlankEvent");
  }
  ~KernelDisplayWaiter() override {
    if (gdi32_ != nullptr) FreeLibrary(gdi32_);
  }
  KernelDisplayWaiter(const KernelDisplayWaiter&) = delete;
  KernelDisplayWaiter& operator=(const KernelDisplayWaiter&) = delete;

  bool Available() const override { return open_ != nullptr && close_ != nullptr && wait_ != nullptr; }

  bool Open() override {
    HWND window = shared_.window.load(std::memory_order_acquire);
    HDC dc = window != nullptr ? GetDC(window) : nullptr;
    if (dc == nullptr) return false;
    OpenAdapterFromDc request = {};
    request.dc = dc;
    const bool opened = Succeeded(open_(&request));
    ReleaseDC(window, dc);
    if (opened) {
      adapter_ = request.adapter;
      sourceId_ = request.sourceId;
    }
    return opened;
  }

  bool Wait() override {
    const WaitForVerticalBlankRecord request = {adapter_, 0, sourceId_};
    return Succeeded(wait_(&request));
  }

  void Close() override {
    const CloseAdapterRecord request = {adapter_};
    close_(&request);
    adapter_ = 0;
  }

 private:
  const VerticalBlankThread::Shared& shared_;
  HMODULE gdi32_;
  OpenAdapterFunction open_;
  CloseAdapterFunction close_;
  WaitFunction wait_;
  KernelHandle adapter_ = 0;
  VideoPresentSourceId sourceId_ = 0;
};

struct ThreadStart {
  std::shared_ptr<VerticalBlankThread::Shared> shared;
  HMODULE module;  // held for the thread, released as it exits
};

void RunThread(const ThreadStart& start) {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  VerticalBlankThread::Shared& shared = *start.shared;
  KernelDisplayWaiter waiter(shared);
  PerformanceCounterClock clock;
  RunVerticalBlankLoop(waiter, clock, shared.mailbox, [&shared](uint32_t tick) {
    HWND window = shared.window.load(std::memory_order_acquire);
    return window != nullptr && PostMessageW(window, shared.message, tick, 0) != FALSE;
  });
}

DWORD WINAPI ThreadEntry(void* parameter) {
  HMODULE module = nullptr;
  {
    const ThreadStart* start = static_cast<ThreadStart*>(parameter);
    module = start->module;
    RunThread(*start);
    delete start;
  }
  // Everything the thread owned is gone; the module may now be unloaded under it.
  FreeLibraryAndExitThread(module, 0);
}

// A reference on the module that holds this code, so a host that unloads the plug-in while
// an abandoned thread still runs does not pull the code from under it.
HMODULE HoldOwnModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&ThreadEntry),
                     &module);
  return module;
}

}  // namespace

PerformanceCounterClock::PerformanceCounterClock() {
  LARGE_INTEGER frequency = {};
  QueryPerformanceFrequency(&frequency);
  // The system promises a frequency on every version since XP; 1 MHz would do no harm.
  frequency_ = frequency.QuadPart > 0 ? static_cast<uint64_t>(frequency.QuadPart) : kMicrosecondsPerSecond;
}

uint64_t PerformanceCounterClock::NowUs() {
  LARGE_INTEGER now = {};
  QueryPerformanceCounter(&now);
  const auto counts = static_cast<uint64_t>(now.QuadPart);
  // In two parts, so that counts x 10^6 cannot overflow.
  return counts / frequency_ * kMicrosecondsPerSecond +
         counts % frequency_ * kMicrosecondsPerSecond / frequency_;
}

void PerformanceCounterClock::SleepMs(uint32_t milliseconds) { Sleep(milliseconds); }

bool VerticalBlankThread::Start(HWND window, UINT message) {
  if (thread_ != nullptr || window == nullptr) return false;
  std::shared_ptr<Shared> shared(new (std::nothrow) Shared);
  if (!shared) return false;
  shared->window.store(window, std::memory_order_release);
  shared->message = message;
  HMODULE module = HoldOwnModule();
  auto* start = new (std::nothrow) ThreadStart{shared, module};
  HANDLE thread = start != nullptr ? CreateThread(nullptr, 0, &ThreadEntry, start, 0, nullptr) : nullptr;
  if (thread == nullptr) {
    delete start;
    if (module != nullptr) FreeLibrary(module);
    return false;
  }
  shared_ = std::move(shared);
  thread_ = thread;
  return true;
}

void VerticalBlankThread::Stop(DWORD timeoutMs) {
  if (thread_ == nullptr) return;
  shared_->window.store(nullptr, std::memory_order_release);
  shared_->mailbox.RequestStop();
  WaitForSingleObject(thread_, timeoutMs);
  CloseHandle(thread_);
  thread_ = nullptr;
  shared_.reset();
}

void VerticalBlankThread::TakeTick() {
  if (shared_) shared_->mailbox.TakeTick();
}

uint32_t VerticalBlankThread::Counter() const { return shared_ ? shared_->mailbox.Counter() : 0; }

}  // namespace plugfw::gfx
