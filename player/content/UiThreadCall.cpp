#include "player/content/UiThreadCall.h"

#include <algorithm>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <utility>

#include "Win32Handles.h"

namespace vell::player {

namespace {

constexpr UINT kRunQueuedCalls = WM_APP + 0x1C0;
constexpr wchar_t kWindowClass[] = L"VellUiThreadCalls";
constexpr char kLoopEnded[] = "The main thread has ended its message loop; the call was not made";

// Shared by the waiting thread and the queue, so that neither outlives it:
// a waiter that gives up leaves nothing behind for the UI thread to touch.
struct TQueuedCall {
  explicit TQueuedCall(const std::function<void()>& call)
      : Call(&call), Done(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (!Done) throw Exception("CreateEvent failed");
  }
  const std::function<void()>* Call;
  std::exception_ptr Failure;
  bool Ended = false;
  TKernelHandle Done;
};
using TQueuedCallRef = std::shared_ptr<TQueuedCall>;

// The handle outlives an unbind for the threads still waiting on it.
using TThreadRef = std::shared_ptr<TKernelHandle>;

struct TUiThread {
  std::mutex Lock;
  DWORD ThreadId = 0;
  HWND Window = nullptr;
  HHOOK QuitWatch = nullptr;
  TThreadRef Thread;
  bool LoopEnded = false;
  std::deque<TQueuedCallRef> Queue;
};

TUiThread& UiThread() {
  static TUiThread state;
  return state;
}

// Called with the lock held; the waiters are woken after it is let go.
std::deque<TQueuedCallRef> TakeQueue(TUiThread& ui) {
  std::deque<TQueuedCallRef> taken = std::exchange(ui.Queue, {});
  for (const TQueuedCallRef& queued : taken) queued->Ended = true;
  return taken;
}

void Wake(const std::deque<TQueuedCallRef>& calls) {
  for (const TQueuedCallRef& queued : calls) SetEvent(queued->Done.get());
}

// The quit message is the loop's end, whoever takes it (the main loop, a
// modal loop passing it on): nothing queued after it would ever run.
LRESULT CALLBACK WatchForQuit(int code, WPARAM removal, LPARAM lParam) {
  const auto* message = reinterpret_cast<const MSG*>(lParam);
  if (code == HC_ACTION && removal == PM_REMOVE && message && message->message == WM_QUIT) {
    TUiThread& ui = UiThread();
    std::deque<TQueuedCallRef> ended;
    {
      std::lock_guard<std::mutex> guard(ui.Lock);
      if (ui.ThreadId == GetCurrentThreadId()) {
        ui.LoopEnded = true;
        ended = TakeQueue(ui);
      }
    }
    Wake(ended);
  }
  return CallNextHookEx(nullptr, code, removal, lParam);
}

TQueuedCallRef NextQueuedCall() {
  TUiThread& ui = UiThread();
  std::lock_guard<std::mutex> guard(ui.Lock);
  if (ui.Queue.empty()) return nullptr;
  TQueuedCallRef next = std::move(ui.Queue.front());
  ui.Queue.pop_front();
  return next;
}

// The posted message only wakes the loop: the calls themselves wait in the
// queue, where the loop's end can still find and fail them.
LRESULT CALLBACK CallWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kRunQueuedCalls) return DefWindowProcW(window, message, wParam, lParam);
  while (TQueuedCallRef queued = NextQueuedCall()) {
    try {
      (*queued->Call)();
    } catch (...) {
      queued->Failure = std::current_exception();
    }
    SetEvent(queued->Done.get());
  }
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

bool HasEnded(const TThreadRef& thread) { return thread && WaitForSingleObject(thread->get(), 0) == WAIT_OBJECT_0; }

// Called with the lock held; returns the calls to wake once it is let go.
std::deque<TQueuedCallRef> Forget(TUiThread& ui) {
  std::deque<TQueuedCallRef> ended = TakeQueue(ui);
  ui.QuitWatch = nullptr;
  ui.Window = nullptr;
  ui.ThreadId = 0;
  ui.Thread.reset();
  ui.LoopEnded = false;
  return ended;
}

}  // namespace

void BindUiThread() {
  TUiThread& ui = UiThread();
  std::lock_guard<std::mutex> guard(ui.Lock);
  if (ui.Window && !HasEnded(ui.Thread)) return;
  // A thread that ended without unbinding took its window and hook along.
  Wake(Forget(ui));
  RegisterWindowClassOnce();
  HANDLE thread = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &thread, SYNCHRONIZE, FALSE, 0))
    throw Exception("DuplicateHandle failed");
  auto threadRef = std::make_shared<TKernelHandle>(thread);
  HWND window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (!window) throw Exception("CreateWindowEx failed");
  ui.QuitWatch = SetWindowsHookExW(WH_GETMESSAGE, WatchForQuit, nullptr, GetCurrentThreadId());
  ui.ThreadId = GetCurrentThreadId();
  ui.Window = window;
  ui.Thread = std::move(threadRef);
  ui.LoopEnded = false;
}

void UnbindUiThread() noexcept {
  TUiThread& ui = UiThread();
  std::deque<TQueuedCallRef> ended;
  {
    std::lock_guard<std::mutex> guard(ui.Lock);
    if (ui.ThreadId != GetCurrentThreadId()) return;
    if (ui.QuitWatch) UnhookWindowsHookEx(ui.QuitWatch);
    if (ui.Window) DestroyWindow(ui.Window);
    ended = Forget(ui);
  }
  Wake(ended);
}

void SynchronizeWithUiThread(const std::function<void()>& call) {
  TUiThread& ui = UiThread();
  auto queued = std::make_shared<TQueuedCall>(call);
  HWND window = nullptr;
  TThreadRef thread;
  {
    std::lock_guard<std::mutex> guard(ui.Lock);
    if (ui.Window && ui.ThreadId != GetCurrentThreadId()) {
      if (ui.LoopEnded || HasEnded(ui.Thread)) throw EUiThreadEnded(kLoopEnded);
      window = ui.Window;
      thread = ui.Thread;
      ui.Queue.push_back(queued);
    }
  }
  if (!window) {
    call();
    return;
  }
  const auto withdraw = [&] {
    std::lock_guard<std::mutex> guard(ui.Lock);
    const auto found = std::find(ui.Queue.begin(), ui.Queue.end(), queued);
    if (found == ui.Queue.end()) return false;
    ui.Queue.erase(found);
    return true;
  };
  if (!PostMessageW(window, kRunQueuedCalls, 0, 0) && withdraw())
    throw Exception("The call could not be passed to the main thread");

  const HANDLE waits[] = {queued->Done.get(), thread->get()};
  if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
    // The thread ended without taking a quit message. A call it began would
    // have ended with it, so only a call still queued can be withdrawn.
    if (withdraw() || WaitForSingleObject(queued->Done.get(), 0) != WAIT_OBJECT_0) throw EUiThreadEnded(kLoopEnded);
  }
  if (queued->Ended) throw EUiThreadEnded(kLoopEnded);
  if (queued->Failure) std::rethrow_exception(queued->Failure);
}

}  // namespace vell::player
