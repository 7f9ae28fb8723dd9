#include "stage/DecodeWorkers.h"

#include <algorithm>
#include <utility>

namespace pageplayer {

namespace {

// Two pages make a spread: two threads decode it in the time of one page.
constexpr std::size_t kLargestThreadCount = 2;

// Enough for the pages in flight; a scanned page's bytes are a few
// megabytes. A buffer grown for an exceptional page is not kept: the 32-bit
// reader's address space is better spent on decoded pages.
constexpr std::size_t kSpareBuffers = 4;
constexpr std::size_t kLargestSpareBuffer = 8u << 20;

class TLock {
public:
  explicit TLock(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
  TLock(const TLock&) = delete;
  TLock& operator=(const TLock&) = delete;
  ~TLock() { LeaveCriticalSection(&section_); }

private:
  CRITICAL_SECTION& section_;
};

struct TThreadStart {
  class TDecodeWorkers* workers;
  std::size_t slot;
};

std::size_t ThreadCount() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return std::clamp<std::size_t>(info.dwNumberOfProcessors, 1, kLargestThreadCount);
}

}  // namespace

TDecodeWorkers::TDecodeWorkers(HWND notifyWindow, UINT message) : notifyWindow_(notifyWindow), message_(message) {
  InitializeCriticalSection(&lock_);
  wake_ = CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, nullptr);
  if (!wake_) return;
  const std::size_t count = ThreadCount();
  running_.assign(count, TRunning{0, -1});
  for (std::size_t slot = 0; slot < count; ++slot) {
    auto* start = new TThreadStart{this, slot};
    if (HANDLE thread = CreateThread(nullptr, 0, &TDecodeWorkers::ThreadStart, start, 0, nullptr)) {
      // Preparing pages ahead must never slow the window that shows them.
      SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL);
      threads_.push_back(thread);
    } else {
      delete start;
    }
  }
}

TDecodeWorkers::~TDecodeWorkers() {
  {
    TLock guard(lock_);
    stopping_ = true;
    waiting_.clear();
  }
  if (wake_) ReleaseSemaphore(wake_, static_cast<LONG>(threads_.size()), nullptr);
  for (HANDLE thread : threads_) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
  if (wake_) CloseHandle(wake_);
  DeleteCriticalSection(&lock_);
}

DWORD WINAPI TDecodeWorkers::ThreadStart(void* parameter) {
  auto* start = static_cast<TThreadStart*>(parameter);
  TDecodeWorkers* workers = start->workers;
  const std::size_t slot = start->slot;
  delete start;
  workers->Run(slot);
  return 0;
}

void TDecodeWorkers::Run(std::size_t slot) {
  for (;;) {
    WaitForSingleObject(wake_, INFINITE);
    TDecodeJob job;
    {
      TLock guard(lock_);
      if (stopping_) return;
      // Sift may have taken the job this count was for.
      if (waiting_.empty()) continue;
      job = std::move(waiting_.front());
      waiting_.pop_front();
      running_[slot] = {job.generation, job.page};
    }
    TDecodeResult result{job.generation, job.page, {}};
    result.entry.box = job.box;
    try {
      TDecodedPicture decoded = DecodePicture(job.bytes, job.box);
      result.entry.sourceWidth = decoded.sourceWidth;
      result.entry.sourceHeight = decoded.sourceHeight;
      if (decoded.picture) {
        result.entry.picture = std::move(*decoded.picture);
      } else {
        result.entry.failed = true;
        result.entry.failure = decoded.failure;
      }
    } catch (const std::exception& error) {
      result.entry.failed = true;
      result.entry.failure = error.what();
    } catch (...) {
      result.entry.failed = true;
      result.entry.failure = "the decoder failed";
    }
    job.bytes.clear();
    {
      TLock guard(lock_);
      running_[slot] = {0, -1};
      if (stopping_) return;
      done_.push_back(std::move(result));
      if (spare_.size() < kSpareBuffers && job.bytes.capacity() <= kLargestSpareBuffer) {
        spare_.push_back(std::move(job.bytes));
      }
    }
    PostMessageW(notifyWindow_, message_, 0, 0);
  }
}

void TDecodeWorkers::Queue(TDecodeJob job) {
  {
    TLock guard(lock_);
    waiting_.push_back(std::move(job));
  }
  ReleaseSemaphore(wake_, 1, nullptr);
}

void TDecodeWorkers::Sift(const std::function<int(const TDecodeJob&)>& rank) {
  TLock guard(lock_);
  std::deque<TDecodeJob> kept;
  for (TDecodeJob& job : waiting_) {
    if (rank(job) >= 0) kept.push_back(std::move(job));
  }
  std::stable_sort(kept.begin(), kept.end(), [&](const TDecodeJob& a, const TDecodeJob& b) { return rank(a) < rank(b); });
  waiting_ = std::move(kept);
}

std::size_t TDecodeWorkers::Busy() {
  TLock guard(lock_);
  return waiting_.size() + std::count_if(running_.begin(), running_.end(), [](const TRunning& r) { return r.page >= 0; });
}

bool TDecodeWorkers::IsQueuedOrRunning(unsigned generation, int page) {
  TLock guard(lock_);
  for (const TDecodeJob& job : waiting_) {
    if (job.generation == generation && job.page == page) return true;
  }
  return std::any_of(running_.begin(), running_.end(),
                     [&](const TRunning& r) { return r.generation == generation && r.page == page; });
}

std::vector<std::uint8_t> TDecodeWorkers::TakeSpareBuffer() {
  TLock guard(lock_);
  if (spare_.empty()) return {};
  std::vector<std::uint8_t> buffer = std::move(spare_.back());
  spare_.pop_back();
  return buffer;
}

std::vector<TDecodeResult> TDecodeWorkers::TakeResults() {
  TLock guard(lock_);
  return std::exchange(done_, {});
}

}  // namespace pageplayer
