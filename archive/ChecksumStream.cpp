#include "ChecksumStream.h"

#include "Exception.h"
#include "codec/Crc32.h"

std::size_t TChecksumStream::Write(const void* buffer, std::size_t count) {
  if (position_ == 0 && written_ > 0) {
    written_ = 0;
    crc_ = vell::codec::kCrc32Init;
  }
  if (position_ != written_) return 0;
  crc_ = vell::codec::Crc32Update(crc_, buffer, count);
  written_ += static_cast<std::int64_t>(count);
  position_ = written_;
  return count;
}

std::size_t TChecksumStream::Read(void*, std::size_t) { return 0; }

std::int64_t TChecksumStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  switch (origin) {
    case TSeekOrigin::soBeginning: position_ = offset; break;
    case TSeekOrigin::soCurrent: position_ += offset; break;
    case TSeekOrigin::soEnd: position_ = Size() + offset; break;
    default: throw EStreamError("Invalid stream operation");
  }
  return position_;
}

void TChecksumStream::SetSize(std::int64_t newSize) {
  size_ = newSize;
  if (position_ > newSize) position_ = newSize;
}

std::uint32_t TChecksumStream::Crc() const { return vell::codec::Crc32Final(crc_); }

void TChecksumStream::Clear() {
  written_ = size_ = position_ = 0;
  crc_ = vell::codec::kCrc32Init;
}
