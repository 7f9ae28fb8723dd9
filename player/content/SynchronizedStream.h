// The stream the application writes an answer into: every operation runs on
// the UI thread, whichever thread calls it.
#pragma once
#include <memory>

#include "Stream.h"

namespace vell::player {

// Carries one wrapper's operations over to the UI thread. The lambda of each
// call holds its arguments and result, so no slots are shared between calls.
class TSynchronizedStreamCaller {
public:
  explicit TSynchronizedStreamCaller(TStream& inner) : inner_(inner) {}

  std::size_t Read(void* buffer, std::size_t count);
  std::size_t Write(const void* buffer, std::size_t count);
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin);
  std::int64_t Size();
  void SetSize(std::int64_t newSize);

private:
  TStream& inner_;
};

class TSynchronizedStreamWrapper : public TStream {
public:
  explicit TSynchronizedStreamWrapper(std::unique_ptr<TStream> inner);
  // Frees the inner stream on the UI thread: for a provider stream that ends
  // the answer, and the player must hear of it on that thread.
  ~TSynchronizedStreamWrapper() override;

  std::size_t Read(void* buffer, std::size_t count) override { return caller_.Read(buffer, count); }
  std::size_t Write(const void* buffer, std::size_t count) override { return caller_.Write(buffer, count); }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override { return caller_.Seek(offset, origin); }
  std::int64_t Size() override { return caller_.Size(); }
  void SetSize(std::int64_t newSize) override { caller_.SetSize(newSize); }

private:
  std::unique_ptr<TStream> inner_;
  TSynchronizedStreamCaller caller_;
};

}  // namespace vell::player
