#include "player/content/UiThreadCall.h"

#include <exception>
#include <mutex>

#include "Exception.h"

namespace vell::player {

namespace {

constexpr UINT kRunQueuedCall = WM_APP + 0x1C0;
constexpr wchar_t kWindowClass[] = L"VellUiThreadCalls";

struct TQueuedCall {
  const std::function<void()>* Call;
  std::exception_ptr Failure;
  HANDLE Done;
};

struct TUiThread {
  std::mutex Lock;
  DWORD ThreadId = 0;
  HWND Window = nullptr;
};

TUiThread& UiThread() {
  static TUiThread state;
  return state;
}

LRESULT CALLBACK CallWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kRunQueuedCall) return DefWindowProcW(window, message, wParam, lParam);
  auto* queued = reinterpret_cast<TQueuedCall*>(lParam);
  try {
    (*queued->Call)();
  } catch (...) {
    queued->Failure = std::current_exception();
  }
  SetEvent(queued->Done);
  return 0;
}

void RegisterWindowClassOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = CallWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
  });
}

class TEventHandle {
public:
  TEventHandle() : handle_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (!handle_) throw Exception("CreateEvent failed");
  }
  ~TEventHandle() { CloseHandle(handle_); }
  TEventHandle(const TEventHandle&) = delete;
  TEventHandle& operator=(const TEventHandle&) = delete;
  HANDLE Get() const { return handle_; }

private:
  HANDLE handle_;
};

}  // namespace

void BindUiThread() {
  TUiThread& ui = UiThread();
  std::lock_guard<std::mutex> guard(ui.Lock);
  if (ui.Window) return;
  RegisterWindowClassOnce();
  HWND window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (!window) throw Exception("CreateWindowEx failed");
  ui.ThreadId = GetCurrentThreadId();
  ui.Window = window;
}

void UnbindUiThread() noexcept {
  TUiThread& ui = UiThread();
  std::lock_guard<std::mutex> guard(ui.Lock);
  if (ui.ThreadId != GetCurrentThreadId()) return;
  if (ui.Window) DestroyWindow(ui.Window);
  ui.Window = nullptr;
  ui.ThreadId = 0;
}

void SynchronizeWithUiThread(const std::function<void()>& call) {
  TUiThread& ui = UiThread();
  HWND window;
  {
    std::lock_guard<std::mutex> guard(ui.Lock);
    window = ui.ThreadId == GetCurrentThreadId() ? nullptr : ui.Window;
  }
  if (!window) {
    call();
    return;
  }
  TEventHandle done;
  TQueuedCall queued{&call, nullptr, done.Get()};
  if (!PostMessageW(window, kRunQueuedCall, 0, reinterpret_cast<LPARAM>(&queued)))
    throw Exception("The call could not be passed to the main thread");
  WaitForSingleObject(done.Get(), INFINITE);
  if (queued.Failure) std::rethrow_exception(queued.Failure);
}

}  // namespace vell::player
