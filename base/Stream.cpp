#include "Stream.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include "Exception.h"

std::int64_t TStream::Size() {
  const std::int64_t position = Seek(0, TSeekOrigin::soCurrent);
  const std::int64_t size = Seek(0, TSeekOrigin::soEnd);
  Seek(position, TSeekOrigin::soBeginning);
  return size;
}

void TStream::SetSize(std::int64_t) { throw EStreamError("Stream does not support resizing"); }

void TStream::ReadBuffer(void* buffer, std::size_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

namespace {

// No block can be larger than the address difference type: such requests
// fail here, without asking the allocator.
constexpr std::uint64_t kLargestBlock = static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max());

std::size_t CheckedSize(std::int64_t size) {
  if (size < 0 || static_cast<std::uint64_t>(size) > kLargestBlock) throw std::bad_alloc();
  return static_cast<std::size_t>(size);
}

}  // namespace

void TMemoryStream::TFreeMemory::operator()(std::uint8_t* p) const { std::free(p); }

void TMemoryStream::Reallocate(std::size_t capacity) {
  if (capacity == 0) {
    data_.reset();
  } else if (!data_) {
    // calloc: large blocks come straight from the system already zeroed, so
    // a stream given its final size up front pays for each page only once,
    // when it is written.
    auto* fresh = static_cast<std::uint8_t*>(std::calloc(capacity, 1));
    if (!fresh) throw std::bad_alloc();
    data_.reset(fresh);
  } else {
    auto* moved = static_cast<std::uint8_t*>(std::realloc(data_.get(), capacity));
    if (!moved) throw std::bad_alloc();
    (void)data_.release();
    data_.reset(moved);
  }
  capacity_ = capacity;
}

void TMemoryStream::ZeroFill(std::size_t from, std::size_t to) {
  if (to > from) std::memset(data_.get() + from, 0, to - from);
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
  const auto size = static_cast<std::int64_t>(size_);
  if (position_ >= size || count == 0) return 0;
  const auto n = static_cast<std::size_t>(std::min<std::int64_t>(size - position_, static_cast<std::int64_t>(count)));
  std::memcpy(buffer, data_.get() + position_, n);
  position_ += static_cast<std::int64_t>(n);
  return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
  if (count == 0) return 0;
  const std::size_t start = CheckedSize(position_);
  if (count > kLargestBlock - start) throw std::bad_alloc();
  const std::size_t end = start + count;
  if (end > capacity_) {
    // Geometric growth keeps a stream written block by block linear; the
    // factor stays modest for a 32-bit address space.
    const auto grown = static_cast<std::size_t>(std::min<std::uint64_t>(capacity_ + capacity_ / 2, kLargestBlock));
    Reallocate(std::max(end, grown));
  }
  ZeroFill(size_, start);  // a write past the end leaves a gap of zeros
  std::memcpy(data_.get() + start, buffer, count);
  size_ = std::max(size_, end);
  position_ = static_cast<std::int64_t>(end);
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t target;
  switch (origin) {
    case TSeekOrigin::soBeginning: target = offset; break;
    case TSeekOrigin::soCurrent: target = position_ + offset; break;
    case TSeekOrigin::soEnd: target = static_cast<std::int64_t>(size_) + offset; break;
    default: throw EStreamError(FormatWithInt("Invalid seek origin (%d)", static_cast<int>(origin)));
  }
  if (target < 0) target = 0;  // a memory stream has nothing before its start
  position_ = target;
  return position_;
}

void TMemoryStream::SetSize(std::int64_t newSize) {
  const std::size_t size = CheckedSize(std::max<std::int64_t>(newSize, 0));
  if (size == 0) {
    Clear();
    return;
  }
  if (size > capacity_) {
    const bool fresh = !data_;
    Reallocate(size);  // exactly: a size set up front is the final one
    if (!fresh) ZeroFill(size_, size);
  } else {
    ZeroFill(size_, size);
  }
  size_ = size;
  if (position_ > static_cast<std::int64_t>(size_)) position_ = static_cast<std::int64_t>(size_);
}

void TMemoryStream::Clear() {
  Reallocate(0);
  size_ = 0;
  position_ = 0;
}
