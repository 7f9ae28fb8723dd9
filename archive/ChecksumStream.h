// A target stream that keeps no bytes: it counts and checksums what is
// written, so that an entry of any size can be checked in constant memory.
#pragma once

#include <cstdint>

#include "Stream.h"

class TChecksumStream : public TStream {
public:
  TChecksumStream() { Clear(); }

  // Writes must follow one another from the start; anything else is refused
  // (a short write), since the bytes are no longer there to checksum again.
  // A write at position 0 starts over, as the reader writes each entry of a
  // pass from the stream's start.
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::size_t Read(void* buffer, std::size_t count) override;  // nothing to read back: 0
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return size_ > written_ ? size_ : written_; }
  // Only a number: no memory is reserved.
  void SetSize(std::int64_t newSize) override;

  std::int64_t Written() const { return written_; }
  std::uint32_t Crc() const;  // of everything written
  void Clear();

private:
  std::int64_t written_ = 0;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
  std::uint32_t crc_ = 0;
};
