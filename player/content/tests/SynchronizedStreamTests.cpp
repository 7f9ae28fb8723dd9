#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Exception.h"
#include "FakeBindCallback.h"
#include "player/content/ContentProvider.h"
#include "player/content/StreamBasedOnIStream.h"
#include "player/content/SynchronizedStream.h"
#include "player/content/UiThreadCall.h"

namespace vell::player {
namespace {

// Runs `work` on a worker while this thread, the UI thread, handles messages.
void RunOnWorkerWhilePumping(const std::function<void()>& work) {
  bool done = false;
  HANDLE finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread worker([&] {
    work();
    done = true;
    SetEvent(finished);
  });
  for (;;) {
    const DWORD woken = MsgWaitForMultipleObjects(1, &finished, FALSE, 10000, QS_ALLINPUT);
    if (woken != WAIT_OBJECT_0 + 1) break;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  worker.join();
  CloseHandle(finished);
  ASSERT_TRUE(done);
}

class SynchronizedStream : public testing::Test {
protected:
  void SetUp() override { BindUiThread(); }
  const DWORD uiThread_ = GetCurrentThreadId();
};

TEST_F(SynchronizedStream, WorkerWritesReachThePlayerOnTheUiThreadInOrder) {
  TFakeBindCallback callback;
  TComRef<IContentProvider> provider;
  TComRef<IStream> providerStream;
  TContentProvider::Create(provider, providerStream);
  provider->SetBindStatusCallback(&callback);
  auto wrapper = std::make_unique<TSynchronizedStreamWrapper>(std::make_unique<TStreamBasedOnIStream>(providerStream.Get()));
  providerStream.Reset();

  std::vector<std::string> expected;
  for (int piece = 0; piece < 50; ++piece) expected.push_back("data 5 2 " + std::to_string(10 + piece));
  RunOnWorkerWhilePumping([&] {
    for (int piece = 0; piece < 50; ++piece) wrapper->WriteBuffer(std::to_string(10 + piece).c_str(), 2);
    wrapper.reset();
  });

  ASSERT_GE(callback.Calls.size(), 2u);
  EXPECT_EQ(callback.Calls.back(), "stop 0 none") << "freeing the wrapper on the worker ends the answer";
  std::vector<std::string> pieces(callback.Calls.begin() + 2, callback.Calls.end() - 1);
  EXPECT_EQ(pieces, expected);
  for (DWORD thread : callback.DataThreads) EXPECT_EQ(thread, uiThread_);
}

class TRaisingStream : public TMemoryStream {
public:
  std::size_t Write(const void*, std::size_t) override { throw EWriteError("Stream write error"); }
};

TEST_F(SynchronizedStream, AnExceptionOnTheUiThreadReachesTheWorker) {
  TSynchronizedStreamWrapper wrapper(std::make_unique<TRaisingStream>());
  std::string caught;
  RunOnWorkerWhilePumping([&] {
    try {
      wrapper.Write("x", 1);
    } catch (const EWriteError& error) {
      caught = error.what();
    }
  });
  EXPECT_EQ(caught, "Stream write error");
}

TEST_F(SynchronizedStream, OnTheUiThreadCallsRunAtOnce) {
  auto inner = std::make_unique<TMemoryStream>();
  TMemoryStream* memory = inner.get();
  TSynchronizedStreamWrapper wrapper(std::move(inner));
  wrapper.WriteBuffer("abcdef", 6);
  EXPECT_EQ(wrapper.Seek(-2, TSeekOrigin::soEnd), 4);
  wrapper.SetSize(5);
  EXPECT_EQ(wrapper.Size(), 5);
  EXPECT_EQ(memory->Size(), 5);
  char last = 0;
  EXPECT_EQ(wrapper.Read(&last, 1), 1u);
  EXPECT_EQ(last, 'e');
}

}  // namespace
}  // namespace vell::player
