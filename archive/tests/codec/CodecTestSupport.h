// Small helpers for feeding the decoders from memory in tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "FileBytes.h"
#include "codec/ByteIo.h"

namespace vell::codec::testing {

using Bytes = std::vector<std::uint8_t>;

// Hands out a buffer in blocks of a chosen size, so block boundaries fall
// anywhere inside the codes being decoded.
class MemorySource : public ByteSource {
public:
  explicit MemorySource(std::span<const std::uint8_t> data, std::size_t blockSize = 32768)
      : data_(data), blockSize_(blockSize) {}
  std::span<const std::uint8_t> NextBlock() override {
    const std::size_t n = std::min(blockSize_, data_.size() - position_);
    const auto block = data_.subspan(position_, n);
    position_ += n;
    ++blocksHandedOut_;
    return block;
  }
  int BlocksHandedOut() const { return blocksHandedOut_; }

private:
  std::span<const std::uint8_t> data_;
  std::size_t blockSize_;
  std::size_t position_ = 0;
  int blocksHandedOut_ = 0;
};

class MemorySink : public ByteSink {
public:
  void Put(const std::uint8_t* data, std::size_t length) override {
    bytes.insert(bytes.end(), data, data + length);
    largestPut = std::max(largestPut, length);
  }
  Bytes bytes;
  std::size_t largestPut = 0;
};

inline Bytes ReadWholeFile(const std::string& path) {
  const std::string bytes = testsupport::ReadFile(path);
  return Bytes(bytes.begin(), bytes.end());
}

// An entry as its local header describes it (the legacy fixtures carry sizes
// in their local headers; no data descriptors).
struct LocalEntry {
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint32_t crc = 0;
  std::uint32_t uncompressedSize = 0;
  std::span<const std::uint8_t> data;
};

inline std::vector<LocalEntry> LocalEntries(std::span<const std::uint8_t> zip) {
  auto u16 = [&](std::size_t at) { return std::uint16_t(zip[at] | zip[at + 1] << 8); };
  auto u32 = [&](std::size_t at) { return std::uint32_t(u16(at)) | std::uint32_t(u16(at + 2)) << 16; };
  std::vector<LocalEntry> entries;
  std::size_t at = 0;
  while (at + 30 <= zip.size() && u32(at) == 0x04034B50) {
    LocalEntry e;
    e.flags = u16(at + 6);
    e.method = u16(at + 8);
    e.crc = u32(at + 14);
    const std::uint32_t compressed = u32(at + 18);
    e.uncompressedSize = u32(at + 22);
    const std::size_t start = at + 30 + u16(at + 26) + u16(at + 28);
    if (start + compressed > zip.size()) throw std::runtime_error("truncated fixture");
    e.data = zip.subspan(start, compressed);
    entries.push_back(e);
    at = start + compressed;
  }
  return entries;
}

}  // namespace vell::codec::testing
