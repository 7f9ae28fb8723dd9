#pragma once
#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "PageCache.h"
#include "PictureDecoder.h"

namespace pageplayer {

struct TDecodeJob {
  unsigned generation = 0;
  int page = 0;
  TDecodeBox box;
  std::vector<std::uint8_t> bytes;
};

struct TDecodeResult {
  unsigned generation = 0;
  int page = 0;
  TCachedPage entry;
};

// Decodes page pictures on threads of their own: a large scan takes far
// longer than a frame. The threads only decode, never call out of the
// module, so stopping them waits for one decoding at most. When a result is
// ready, `message` is posted to the notify window with nothing attached, so
// a notice that outlives its owner frees nothing and points at nothing.
class TDecodeWorkers {
public:
  TDecodeWorkers(HWND notifyWindow, UINT message);
  TDecodeWorkers(const TDecodeWorkers&) = delete;
  TDecodeWorkers& operator=(const TDecodeWorkers&) = delete;
  ~TDecodeWorkers();

  void Queue(TDecodeJob job);
  // Keeps only the waiting jobs the predicate accepts, in the order given by
  // `rank` (lower first).
  void Sift(const std::function<int(const TDecodeJob&)>& rank);
  // Jobs waiting or being decoded.
  std::size_t Busy();
  bool IsQueuedOrRunning(unsigned generation, int page);
  std::vector<TDecodeResult> TakeResults();
  // The bytes of a page already decoded, emptied, to read the next page
  // into; empty when none is spare. Memory paged in once is far cheaper to
  // fill again than fresh memory, on a virtual machine above all.
  std::vector<std::uint8_t> TakeSpareBuffer();

private:
  struct TRunning {
    unsigned generation;
    int page;
  };
  static DWORD WINAPI ThreadStart(void* self);
  void Run(std::size_t slot);

  HWND notifyWindow_;
  UINT message_;
  CRITICAL_SECTION lock_;
  HANDLE wake_ = nullptr;  // a semaphore: one count per queued job
  bool stopping_ = false;
  std::deque<TDecodeJob> waiting_;
  std::vector<TRunning> running_;  // one slot per thread; page -1 when idle
  std::vector<TDecodeResult> done_;
  std::vector<std::vector<std::uint8_t>> spare_;
  std::vector<HANDLE> threads_;
};

}  // namespace pageplayer
