#include "BufferStream.h"

#include <algorithm>
#include <cstring>

#include "Exception.h"

TS_BufferStream::TS_BufferStream(TStream* underlying, std::size_t bufferSize)
    : underlying_(nullptr),
      buffer_(new std::uint8_t[bufferSize == 0 ? 1 : bufferSize]),
      bufferSize_(bufferSize == 0 ? 1 : bufferSize) {
  SetUnderlying(underlying);
}

TS_BufferStream::~TS_BufferStream() {
  try {
    FlushOnDestroy();
  } catch (...) {
    // A destructor cannot report; the written flag and a short file tell.
  }
}

void TS_BufferStream::SetUnderlying(TStream* underlying) {
  underlying_ = underlying;
  underlyingPosition_ = underlying_ ? underlying_->Position() : 0;
  hasCurrent_ = false;
  state_ = TState::Unknown;
}

void TS_BufferStream::FlushOnDestroy() {
  if (destroyed_ || underlying_ == nullptr) return;
  destroyed_ = true;
  if (state_ == TState::Writing) FlushBuffer();
  if (flushOnDestroy_ && written_)
    if (auto* file = dynamic_cast<TPlatformFileStream*>(underlying_)) file->FlushToDevice();
}

std::int64_t TS_BufferStream::LogicalPosition() {
  if (!hasCurrent_) return underlyingPosition_;
  switch (state_) {
    case TState::Reading:
      return underlyingPosition_ - static_cast<std::int64_t>(end_ - current_);
    case TState::Writing:
      return underlyingPosition_ + static_cast<std::int64_t>(current_);
    default:
      return underlyingPosition_;
  }
}

std::size_t TS_BufferStream::FillBuffer(std::size_t wanted) {
  const std::size_t size = nextFill_ == 0 ? bufferSize_ : std::min(bufferSize_, std::max(nextFill_, wanted));
  nextFill_ = 0;
  const std::size_t n = underlying_->Read(buffer_.get(), size);
  underlyingPosition_ += static_cast<std::int64_t>(n);
  current_ = 0;
  end_ = n;
  hasCurrent_ = true;
  state_ = n > 0 ? TState::Reading : TState::Unknown;
  if (OnBufferFilled) OnBufferFilled();
  return n;
}

std::size_t TS_BufferStream::FlushBuffer() {
  const std::size_t pending = current_;
  std::size_t written = 0;
  if (pending > 0) {
    written = underlying_->Write(buffer_.get(), pending);
    underlyingPosition_ += static_cast<std::int64_t>(written);
  }
  current_ = 0;
  end_ = 0;
  state_ = TState::Unknown;
  if (OnBufferFlushed) OnBufferFlushed();
  return pending - written;  // bytes that could not be written
}

std::size_t TS_BufferStream::Read(void* buffer, std::size_t count) {
  if (state_ == TState::Writing) FlushBuffer();
  if (!hasCurrent_) {
    current_ = end_ = 0;
    hasCurrent_ = true;
  }
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    if (current_ >= end_) {
      // Large reads bypass the buffer once it is drained.
      if (count - done >= bufferSize_) {
        const std::size_t n = underlying_->Read(out + done, count - done);
        underlyingPosition_ += static_cast<std::int64_t>(n);
        current_ = end_ = 0;
        state_ = TState::Unknown;
        done += n;
        break;
      }
      if (FillBuffer(count - done) == 0) break;
    }
    const std::size_t n = std::min(count - done, end_ - current_);
    std::memcpy(out + done, buffer_.get() + current_, n);
    current_ += n;
    done += n;
  }
  return done;
}

std::size_t TS_BufferStream::Write(const void* buffer, std::size_t count) {
  if (state_ == TState::Reading) {
    const std::int64_t logical = LogicalPosition();
    underlyingPosition_ = underlying_->Seek(logical, TSeekOrigin::soBeginning);
    hasCurrent_ = false;
    state_ = TState::Unknown;
  }
  if (!hasCurrent_) {
    current_ = end_ = 0;
    hasCurrent_ = true;
  }
  const auto* in = static_cast<const std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    const std::size_t n = std::min(count - done, bufferSize_ - current_);
    std::memcpy(buffer_.get() + current_, in + done, n);
    current_ += n;
    done += n;
    written_ = true;
    if (current_ == bufferSize_) {
      if (FlushBuffer() != 0) break;  // the device refused: stop early
    }
  }
  if (current_ > 0) state_ = TState::Writing;
  return done;
}

std::int64_t TS_BufferStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t target;
  switch (origin) {
    case TSeekOrigin::soBeginning: target = offset; break;
    case TSeekOrigin::soCurrent: target = LogicalPosition() + offset; break;
    case TSeekOrigin::soEnd: target = Size() - (offset < 0 ? -offset : offset); break;
    default: throw EStreamError(FormatWithInt("Invalid seek origin (%d)", static_cast<int>(origin)));
  }
  if (target == LogicalPosition()) return target;
  // A target inside the read-ahead just moves within it: the reader steps
  // back over fields it has looked at, and must not pay a reread for that.
  if (state_ == TState::Reading && hasCurrent_) {
    const std::int64_t bufferStart = underlyingPosition_ - static_cast<std::int64_t>(end_);
    if (target >= bufferStart && target <= underlyingPosition_) {
      current_ = static_cast<std::size_t>(target - bufferStart);
      return target;
    }
  }
  if (state_ == TState::Writing && FlushBuffer() != 0) throw EStreamError("Seek error");
  underlyingPosition_ = underlying_->Seek(target, TSeekOrigin::soBeginning);
  hasCurrent_ = false;
  state_ = TState::Unknown;
  return underlyingPosition_;
}

std::int64_t TS_BufferStream::Size() {
  const std::int64_t underlyingSize = underlying_->Size();
  return std::max(LogicalPosition(), underlyingSize);
}

void TS_BufferStream::SetSize(std::int64_t newSize) {
  const std::int64_t logical = LogicalPosition();
  if (state_ == TState::Writing && FlushBuffer() != 0) throw EStreamError("Seek error");
  underlying_->SetSize(newSize);
  underlyingPosition_ = underlying_->Seek(std::min(logical, newSize), TSeekOrigin::soBeginning);
  hasCurrent_ = false;
  state_ = TState::Unknown;
}

void TS_BufferStream::PutBack(std::uint8_t byte) {
  if (!hasCurrent_ || current_ == 0) throw EStreamError("Putback overflow");
  --current_;
  buffer_[current_] = byte;
}

TLFNFileStream::TLFNFileStream(IArchivePlatform& platform, const std::string& path, std::size_t bufferSize,
                               bool flushOnClose, TFileAccess access, TFileShare share)
    : TS_BufferStream(nullptr, bufferSize), path_(path) {
  file_ = platform.OpenFile(path, access, share);
  SetUnderlying(file_.get());
  SetFlushOnDestroy(flushOnClose && access != TFileAccess::Read);
}

TLFNFileStream::~TLFNFileStream() {
  try {
    FlushOnDestroy();
  } catch (...) {
  }
}
