// The stream abstraction the archive reader reads from and extracts into.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

enum class TSeekOrigin : int { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream {
public:
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;
  virtual ~TStream() = default;

  // Returns the number of bytes actually transferred; short counts are not errors.
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
  // Returns the new position. Origins other than the three known raise EStreamError.
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

  // Default size query: seek to the end and back.
  virtual std::int64_t Size();
  virtual void SetSize(std::int64_t newSize);

  std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::soBeginning); }

  // Whole-block transfers: a short count raises EReadError / EWriteError.
  void ReadBuffer(void* buffer, std::size_t count);
  void WriteBuffer(const void* buffer, std::size_t count);
};

// A growable in-memory stream. Bytes it has not been given read as zero.
class TMemoryStream : public TStream {
public:
  TMemoryStream() = default;
  ~TMemoryStream() override = default;

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(size_); }
  // Raises std::bad_alloc when the memory cannot be had; the stream is then unchanged.
  void SetSize(std::int64_t newSize) override;

  const std::uint8_t* Memory() const { return data_.get(); }
  std::uint8_t* Memory() { return data_.get(); }
  std::size_t Capacity() const { return capacity_; }
  void Clear();

private:
  struct TFreeMemory {
    void operator()(std::uint8_t* p) const;
  };

  // Exactly `capacity` bytes from now on; new bytes are not initialised.
  void Reallocate(std::size_t capacity);
  void ZeroFill(std::size_t from, std::size_t to);

  std::unique_ptr<std::uint8_t[], TFreeMemory> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  std::int64_t position_ = 0;
};
