// A target stream that keeps no bytes: writes must follow one another from
// the start, and each is handed on once (Take); reading back gives nothing.
// Anything else is refused (a short write), since the bytes before are no
// longer here. Position and size are only numbers, so a writer that seeks to
// learn them, or reserves a size first, works as with any stream.
#pragma once

#include <cstdint>

#include "Stream.h"

class TForwardOnlyStream : public TStream {
public:
  std::size_t Write(const void* buffer, std::size_t count) final;
  std::size_t Read(void*, std::size_t) final { return 0; }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) final;
  std::int64_t Size() final { return size_ > written_ ? size_ : written_; }
  // Only a number: no memory is reserved.
  void SetSize(std::int64_t newSize) final;

  std::int64_t Written() const { return written_; }

protected:
  // Hands `count` bytes on; returns how many were taken.
  virtual std::size_t Take(const void* buffer, std::size_t count) = 0;
  // A write at position 0 after earlier bytes: true when the stream may start
  // over (its count begins again), false to refuse the write.
  virtual bool StartOver() { return false; }
  void Reset() { written_ = size_ = position_ = 0; }

private:
  std::int64_t written_ = 0;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
};
