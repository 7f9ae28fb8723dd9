#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace vell::codec {

// Where a decoder takes its compressed bytes from, one block at a time.
// An empty block means that the entry's data is used up.
class ByteSource {
public:
  virtual ~ByteSource() = default;
  virtual std::span<const std::uint8_t> NextBlock() = 0;
};

// Where a decoder delivers what it decoded.
class ByteSink {
public:
  virtual ~ByteSink() = default;
  virtual void Put(const std::uint8_t* data, std::size_t length) = 0;
};

// Bits in the order the legacy PKWARE methods pack them: least significant first.
class BitReader {
public:
  explicit BitReader(ByteSource& source) : source_(source) {}

  // Takes the next `count` (1..24) bits; false when the input cannot supply
  // them all, in which case nothing is consumed.
  bool Read(int count, std::uint32_t& value);
  bool ReadBit(std::uint32_t& bit) { return Read(1, bit); }

private:
  bool Want(int count);

  ByteSource& source_;
  std::span<const std::uint8_t> block_;
  std::size_t position_ = 0;
  std::uint64_t bits_ = 0;
  int bitCount_ = 0;
  bool ended_ = false;
};

// The decoded-output side of the LZ-style decoders: a 32 KiB ring that is both
// the history window for back references and the block handed to the sink.
class OutputWindow {
public:
  static constexpr std::size_t kSize = 32768;

  explicit OutputWindow(ByteSink& sink);
  OutputWindow(const OutputWindow&) = delete;
  OutputWindow& operator=(const OutputWindow&) = delete;

  void Put(std::uint8_t byte) {
    ring_[fill_++] = byte;
    ++produced_;
    if (fill_ == kSize) Flush();
  }
  // Copies `length` bytes starting `distance` (1..kSize-1) bytes back; bytes
  // from before the start of the output read as zero.
  void CopyBack(std::size_t distance, std::size_t length);
  // Hands every byte not yet delivered to the sink.
  void Flush();
  std::uint64_t Produced() const { return produced_; }

private:
  ByteSink& sink_;
  std::unique_ptr<std::uint8_t[]> ring_;
  std::size_t fill_ = 0;       // next write position in the ring
  std::size_t delivered_ = 0;  // ring bytes before this have gone to the sink
  std::uint64_t produced_ = 0;
};

}  // namespace vell::codec
