#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

#include "CodecTestSupport.h"
#include "codec/Crc32.h"

using namespace vell::codec;
using vell::codec::testing::Bytes;

namespace {

Bytes RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& x : b) x = static_cast<std::uint8_t>(rng());
  return b;
}

std::uint32_t ZlibCrc(const std::uint8_t* p, std::size_t n) {
  return static_cast<std::uint32_t>(crc32(0, p, static_cast<uInt>(n)));
}

}  // namespace

TEST(Crc32, CheckValueOfTheStandard) {
  EXPECT_EQ(Crc32Of("123456789", 9), 0xCBF43926u);
  EXPECT_EQ(Crc32Of("", 0), 0u);
}

// Every length around the folding thresholds, at odd start addresses, and fed
// in two pieces split at every point: all must agree with zlib.
TEST(Crc32, AgreesWithZlibForAnyLengthAlignmentAndSplit) {
  const Bytes data = RandomBytes(1024 + 64, 1);
  for (std::size_t offset : {0u, 1u, 3u, 8u}) {
    for (std::size_t length = 0; length <= 1024; ++length) {
      const std::uint8_t* p = data.data() + offset;
      const std::uint32_t expected = ZlibCrc(p, length);
      ASSERT_EQ(Crc32Of(p, length), expected) << "offset " << offset << " length " << length;
      ASSERT_EQ(Crc32Final(detail::Crc32UpdatePortable(kCrc32Init, p, length)), expected)
          << "portable, length " << length;
    }
  }
  const Bytes block = RandomBytes(300, 2);
  const std::uint32_t whole = ZlibCrc(block.data(), block.size());
  for (std::size_t split = 0; split <= block.size(); ++split) {
    std::uint32_t crc = Crc32Update(kCrc32Init, block.data(), split);
    crc = Crc32Update(crc, block.data() + split, block.size() - split);
    ASSERT_EQ(Crc32Final(crc), whole) << "split at " << split;
  }
}

TEST(Crc32, AgreesWithZlibOnLargeBuffers) {
  const Bytes data = RandomBytes(3 * 1024 * 1024 + 13, 3);
  EXPECT_EQ(Crc32Of(data.data(), data.size()), ZlibCrc(data.data(), data.size()));
  std::uint32_t byteByByte = kCrc32Init;
  for (std::size_t i = 0; i < 100000; ++i) byteByByte = Crc32UpdateByte(byteByByte, data[i]);
  EXPECT_EQ(Crc32Final(byteByByte), ZlibCrc(data.data(), 100000));
}
