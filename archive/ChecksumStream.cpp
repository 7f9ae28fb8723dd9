#include "ChecksumStream.h"

#include "codec/Crc32.h"

std::size_t TChecksumStream::Take(const void* buffer, std::size_t count) {
  crc_ = vell::codec::Crc32Update(crc_, buffer, count);
  return count;
}

bool TChecksumStream::StartOver() {
  crc_ = vell::codec::kCrc32Init;
  return true;
}

std::uint32_t TChecksumStream::Crc() const { return vell::codec::Crc32Final(crc_); }

void TChecksumStream::Clear() {
  Reset();
  crc_ = vell::codec::kCrc32Init;
}
