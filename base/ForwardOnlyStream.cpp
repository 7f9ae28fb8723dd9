#include "ForwardOnlyStream.h"

#include "Exception.h"

std::size_t TForwardOnlyStream::Write(const void* buffer, std::size_t count) {
  if (position_ == 0 && written_ > 0) {
    if (!StartOver()) return 0;
    written_ = 0;
  }
  if (position_ != written_) return 0;
  const std::size_t taken = Take(buffer, count);
  written_ += static_cast<std::int64_t>(taken);
  position_ = written_;
  return taken;
}

std::int64_t TForwardOnlyStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  switch (origin) {
    case TSeekOrigin::soBeginning: position_ = offset; break;
    case TSeekOrigin::soCurrent: position_ += offset; break;
    case TSeekOrigin::soEnd: position_ = Size() + offset; break;
    default: throw EStreamError("Invalid stream operation");
  }
  return position_;
}

void TForwardOnlyStream::SetSize(std::int64_t newSize) {
  size_ = newSize;
  if (position_ > newSize) position_ = newSize;
}
