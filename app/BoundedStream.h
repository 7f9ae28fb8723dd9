// A target stream that refuses to grow past a bound: the bytes an entry
// inflates to are checked as they arrive, not only the size it declares.
#pragma once

#include <cstdint>

#include "Exception.h"
#include "Stream.h"

class EEntryTooLarge : public Exception {
public:
  using Exception::Exception;
};

class TBoundedStream : public TStream {
public:
  // Writes beyond `bound` bytes from the target's start raise EEntryTooLarge
  // before any of their bytes reach the target.
  TBoundedStream(TStream& target, std::uint64_t bound);

  std::size_t Read(void* buffer, std::size_t count) override { return target_.Read(buffer, count); }
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return target_.Size(); }
  void SetSize(std::int64_t newSize) override;

private:
  void Refuse(std::uint64_t wanted) const;

  TStream& target_;
  std::uint64_t bound_;
  std::int64_t position_;
};
