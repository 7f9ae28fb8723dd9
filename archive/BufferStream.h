// A buffered stream over another stream, and its file-backed form through
// which every archive is read.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "Platform.h"
#include "Stream.h"

class TS_BufferStream : public TStream {
public:
  enum class TState { Unknown, Reading, Writing };

  // The underlying stream is not owned.
  TS_BufferStream(TStream* underlying, std::size_t bufferSize);
  ~TS_BufferStream() override;

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override;
  void SetSize(std::int64_t newSize) override;

  // Steps back one byte and stores it there; raises "Putback overflow" at the buffer start.
  void PutBack(std::uint8_t byte);

  // The next refill reads about bytes (never less than the read asks for),
  // not a whole buffer: a reader that knows how much it will need spares the
  // copy of read-ahead it would throw away. Later refills read whole buffers.
  void LimitNextFill(std::size_t bytes) { nextFill_ = bytes; }

  TState State() const { return state_; }
  bool Written() const { return written_; }
  std::size_t BufferSize() const { return bufferSize_; }

  std::function<void()> OnBufferFilled;
  std::function<void()> OnBufferFlushed;

protected:
  // Must be called by a derived destructor while the underlying stream still exists.
  void FlushOnDestroy();
  void SetUnderlying(TStream* underlying);
  void SetFlushOnDestroy(bool flush) { flushOnDestroy_ = flush; }

private:
  std::size_t FlushBuffer();
  std::size_t FillBuffer(std::size_t wanted);
  std::int64_t LogicalPosition();

  TStream* underlying_;
  std::int64_t underlyingPosition_ = 0;  // tracked, so position queries cost no system call
  std::unique_ptr<std::uint8_t[]> buffer_;  // left uninitialised: it is filled before it is read
  std::size_t bufferSize_;
  std::size_t nextFill_ = 0;  // 0: a whole buffer
  std::size_t current_ = 0;   // index into buffer_
  std::size_t end_ = 0;       // end of valid read-ahead
  bool hasCurrent_ = false;
  TState state_ = TState::Unknown;
  bool flushOnDestroy_ = false;
  bool written_ = false;
  bool destroyed_ = false;
};

class TLFNFileStream : public TS_BufferStream {
public:
  TLFNFileStream(IArchivePlatform& platform, const std::string& path, std::size_t bufferSize,
                 bool flushOnClose, TFileAccess access, TFileShare share);
  ~TLFNFileStream() override;

  const std::string& FileName() const { return path_; }
  bool ModificationTime(std::int64_t& time) { return file_->ModificationTime(time); }

private:
  std::string path_;
  std::unique_ptr<TPlatformFileStream> file_;
};
