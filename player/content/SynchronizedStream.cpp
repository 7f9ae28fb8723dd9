#include "player/content/SynchronizedStream.h"

#include "player/content/UiThreadCall.h"

namespace vell::player {

std::size_t TSynchronizedStreamCaller::Read(void* buffer, std::size_t count) {
  std::size_t result = 0;
  SynchronizeWithUiThread([&] { result = inner_.Read(buffer, count); });
  return result;
}

std::size_t TSynchronizedStreamCaller::Write(const void* buffer, std::size_t count) {
  std::size_t result = 0;
  SynchronizeWithUiThread([&] { result = inner_.Write(buffer, count); });
  return result;
}

std::int64_t TSynchronizedStreamCaller::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t result = 0;
  SynchronizeWithUiThread([&] { result = inner_.Seek(offset, origin); });
  return result;
}

std::int64_t TSynchronizedStreamCaller::Size() {
  std::int64_t result = 0;
  SynchronizeWithUiThread([&] { result = inner_.Size(); });
  return result;
}

void TSynchronizedStreamCaller::SetSize(std::int64_t newSize) {
  SynchronizeWithUiThread([&] { inner_.SetSize(newSize); });
}

TSynchronizedStreamWrapper::TSynchronizedStreamWrapper(std::unique_ptr<TStream> inner)
    : inner_(std::move(inner)), caller_(*inner_) {}

TSynchronizedStreamWrapper::~TSynchronizedStreamWrapper() {
  try {
    SynchronizeWithUiThread([&] { inner_.reset(); });
  } catch (...) {
    // No UI thread to run it: ending the answer here beats never ending it.
    inner_.reset();
  }
}

}  // namespace vell::player
