// Running a piece of code on the UI thread and waiting for it: the primitive
// behind the synchronised streams, usable by the UI toolkit as its own.
#pragma once
#include <windows.h>

#include <functional>

#include "Exception.h"

namespace vell::player {

// A call for the UI thread that it will never run: its message loop has
// ended (it took the quit message) or the thread itself is gone.
class EUiThreadEnded : public Exception {
public:
  using Exception::Exception;
};

// Makes the calling thread the UI thread unless one is bound already: calls
// from other threads are queued to a hidden window of this thread and run by
// its message loop. The first thread that asks keeps the role until it
// unbinds or ends, so a late caller on a worker thread cannot take it over.
void BindUiThread();
// Forgets the UI thread and destroys its hidden window (on that thread only);
// calls still waiting for it fail with EUiThreadEnded.
void UnbindUiThread() noexcept;

// Runs `call` on the UI thread and returns when it has run. On the UI thread
// itself, or while none is bound, it runs at once. An exception that `call`
// raises is raised again in the calling thread. The UI thread must keep
// processing messages while another thread waits here; once it has taken
// its quit message or ended, waiting and later calls raise EUiThreadEnded
// and `call` does not run.
void SynchronizeWithUiThread(const std::function<void()>& call);

}  // namespace vell::player
