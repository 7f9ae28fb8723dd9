#include "BoundedStream.h"

#include <string>

TBoundedStream::TBoundedStream(TStream& target, std::uint64_t bound)
    : target_(target), bound_(bound), position_(target.Seek(0, TSeekOrigin::soCurrent)) {}

void TBoundedStream::Refuse(std::uint64_t wanted) const {
  throw EEntryTooLarge("more than " + std::to_string(bound_) + " bytes (" + std::to_string(wanted) + " wanted)");
}

std::size_t TBoundedStream::Write(const void* buffer, std::size_t count) {
  const std::uint64_t start = position_ < 0 ? 0 : static_cast<std::uint64_t>(position_);
  if (start > bound_ || count > bound_ - start) Refuse(start + count);
  const std::size_t written = target_.Write(buffer, count);
  position_ += static_cast<std::int64_t>(written);
  return written;
}

std::int64_t TBoundedStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  position_ = target_.Seek(offset, origin);
  return position_;
}

void TBoundedStream::SetSize(std::int64_t newSize) {
  if (newSize > 0 && static_cast<std::uint64_t>(newSize) > bound_) Refuse(static_cast<std::uint64_t>(newSize));
  target_.SetSize(newSize);
}
