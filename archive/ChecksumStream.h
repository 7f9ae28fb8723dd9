// A target stream that keeps no bytes: it counts and checksums what is
// written, so that an entry of any size can be checked in constant memory.
#pragma once

#include <cstdint>

#include "ForwardOnlyStream.h"

class TChecksumStream : public TForwardOnlyStream {
public:
  TChecksumStream() { Clear(); }

  std::uint32_t Crc() const;  // of everything written since the start
  void Clear();

protected:
  std::size_t Take(const void* buffer, std::size_t count) override;
  // The reader writes each entry of a pass from the stream's start: a write
  // at position 0 starts the count and the checksum over.
  bool StartOver() override;

private:
  std::uint32_t crc_ = 0;
};
