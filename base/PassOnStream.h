// A target stream that keeps nothing: what is written, in order from the
// start, goes straight on to another stream. A writer that needs a stream
// it may seek in (to learn its position or size) can so feed a stream that
// only takes writes, without a copy of the data in between.
#pragma once

#include <cstdint>

#include "Stream.h"

class TPassOnStream : public TStream {
public:
  explicit TPassOnStream(TStream& target) : target_(target) {}

  // Writes must follow one another from the start; anything else is
  // refused (a short write), as the bytes before are no longer here.
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::size_t Read(void*, std::size_t) override { return 0; }  // nothing to read back
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return size_ > written_ ? size_ : written_; }
  // Only a number: no memory is reserved.
  void SetSize(std::int64_t newSize) override;

  std::int64_t Written() const { return written_; }

private:
  TStream& target_;
  std::int64_t written_ = 0;
  std::int64_t position_ = 0;
  std::int64_t size_ = 0;
};
