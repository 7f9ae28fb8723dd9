#include "PassOnStream.h"

#include "Exception.h"

std::size_t TPassOnStream::Write(const void* buffer, std::size_t count) {
  if (position_ != written_) return 0;
  const std::size_t passed = target_.Write(buffer, count);
  written_ += static_cast<std::int64_t>(passed);
  position_ = written_;
  return passed;
}

std::int64_t TPassOnStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  switch (origin) {
    case TSeekOrigin::soBeginning: position_ = offset; break;
    case TSeekOrigin::soCurrent: position_ += offset; break;
    case TSeekOrigin::soEnd: position_ = Size() + offset; break;
    default: throw EStreamError("Invalid stream operation");
  }
  return position_;
}

void TPassOnStream::SetSize(std::int64_t newSize) {
  size_ = newSize;
  if (position_ > newSize) position_ = newSize;
}
