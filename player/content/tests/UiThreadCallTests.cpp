#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "Win32Handles.h"
#include "player/content/UiThreadCall.h"

namespace vell::player {
namespace {

constexpr DWORD kHangMs = 10000;

// A worker thread that says when it is done, so that a call which waits
// for ever shows as a failure instead of a test run that never ends.
class TWorker {
public:
  explicit TWorker(std::function<void()> work) : finished_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this, work = std::move(work)] {
      work();
      SetEvent(finished_.get());
    });
  }
  ~TWorker() {
    // A worker still waiting for this thread gets its call run at last.
    const HANDLE finished = finished_.get();
    while (MsgWaitForMultipleObjects(1, &finished, FALSE, kHangMs, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    thread_.join();
  }
  bool FinishesWithoutThisThread() const { return WaitForSingleObject(finished_.get(), kHangMs) == WAIT_OBJECT_0; }

private:
  TKernelHandle finished_;
  std::thread thread_;
};

// Until a worker's call stands in this thread's queue (its wake-up message).
void AwaitQueuedCall() {
  MSG message;
  for (int tries = 0; tries < 5000 && !PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE); ++tries) Sleep(1);
}

void DispatchPending() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// Takes the quit message the way the application's loop does.
void EndTheLoop() {
  PostQuitMessage(0);
  MSG message;
  EXPECT_EQ(GetMessageW(&message, nullptr, WM_QUIT, WM_QUIT), 0);
}

class UiThreadCall : public testing::Test {
protected:
  void SetUp() override { BindUiThread(); }
  void TearDown() override { UnbindUiThread(); }
};

// The loop ends before the call is made, or while it waits in the queue:
// either way the worker learns it at once and the call never runs, not
// even when the woken window dispatches what is left afterwards.
TEST_F(UiThreadCall, FailsOnceTheLoopHasEndedInsteadOfWaiting) {
  for (const bool endBeforeTheCall : {true, false}) {
    SCOPED_TRACE(endBeforeTheCall ? "ended before the call" : "ended while the call waits");
    BindUiThread();
    if (endBeforeTheCall) EndTheLoop();
    bool ran = false;
    std::string failure;
    {
      TWorker worker([&] {
        try {
          SynchronizeWithUiThread([&] { ran = true; });
        } catch (const EUiThreadEnded& error) {
          failure = error.what();
        }
      });
      if (!endBeforeTheCall) {
        AwaitQueuedCall();
        EndTheLoop();
      }
      EXPECT_TRUE(worker.FinishesWithoutThisThread());
    }
    DispatchPending();
    EXPECT_FALSE(ran);
    EXPECT_NE(failure.find("ended its message loop"), std::string::npos) << failure;
    SynchronizeWithUiThread([&] { ran = true; });
    EXPECT_TRUE(ran) << "the UI thread itself still runs its own calls";
    UnbindUiThread();
  }
}

// A UI thread that ends without unbinding fails the call that waits for it,
// and the next thread to bind becomes the UI thread.
TEST_F(UiThreadCall, FailsWhenTheUiThreadIsGoneAndLetsAnotherTakeOver) {
  UnbindUiThread();
  TKernelHandle bound(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::thread shortLived([&] {
    BindUiThread();
    SetEvent(bound.get());
    AwaitQueuedCall();
  });
  ASSERT_EQ(WaitForSingleObject(bound.get(), kHangMs), WAIT_OBJECT_0);
  bool failed = false;
  {
    TWorker worker([&] {
      try {
        SynchronizeWithUiThread([] {});
      } catch (const EUiThreadEnded&) {
        failed = true;
      }
    });
    EXPECT_TRUE(worker.FinishesWithoutThisThread());
  }
  shortLived.join();
  EXPECT_TRUE(failed);

  BindUiThread();
  DWORD ranOn = 0;
  {
    TWorker worker([&] { SynchronizeWithUiThread([&] { ranOn = GetCurrentThreadId(); }); });
  }  // this thread handles messages until the worker is done
  EXPECT_EQ(ranOn, GetCurrentThreadId());
}

}  // namespace
}  // namespace vell::player
