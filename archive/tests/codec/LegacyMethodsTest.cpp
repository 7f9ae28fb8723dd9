// The DOS-era methods, checked against archives made by the original tools
// (see tests/data/legacy/ORIGIN.md): each entry must decode to the known
// original bytes and to its stored CRC.
#include <gtest/gtest.h>

#include <map>

#include "CodecTestSupport.h"
#include "codec/Crc32.h"
#include "codec/Explode.h"
#include "codec/Unreduce.h"
#include "codec/Unshrink.h"

using namespace vell::codec;
using namespace vell::codec::testing;

namespace {

const std::string kData = VELL_ARCHIVE_TEST_DATA "/legacy/";

const Bytes& ExpectedFor(std::uint32_t crc) {
  static const std::map<std::uint32_t, Bytes> byCrc = {
      {0xcfb109c8u, ReadWholeFile(kData + "expected-test.exe")},
      {0x088814e3u, ReadWholeFile(kData + "expected-test.jpg")},
      {0x9bd160fau, ReadWholeFile(kData + "expected-test.txt")},
  };
  return byCrc.at(crc);
}

Bytes Decode(const LocalEntry& e, std::span<const std::uint8_t> data, std::size_t blockSize) {
  MemorySource source(data, blockSize);
  MemorySink sink;
  switch (e.method) {
    case 1:
      Unshrink(source, sink);
      break;
    case 2:
    case 3:
    case 4:
    case 5:
      Unreduce(source, sink, e.method - 1, e.uncompressedSize);
      break;
    case 6:
      Explode(source, sink, e.flags, e.uncompressedSize);
      break;
    default:
      ADD_FAILURE() << "method " << e.method;
  }
  return sink.bytes;
}

class LegacyArchive : public ::testing::TestWithParam<const char*> {};

}  // namespace

TEST_P(LegacyArchive, EveryCompressedEntryDecodesToTheOriginal) {
  const Bytes zip = ReadWholeFile(kData + GetParam());
  int decoded = 0;
  for (const auto& e : LocalEntries(zip)) {
    if (e.method == 0) continue;
    for (std::size_t blockSize : {std::size_t(32768), std::size_t(5)}) {
      const Bytes out = Decode(e, e.data, blockSize);
      EXPECT_EQ(Crc32Of(out.data(), out.size()), e.crc) << "method " << e.method << " block " << blockSize;
      EXPECT_TRUE(out == ExpectedFor(e.crc)) << "method " << e.method << " block " << blockSize;
    }
    ++decoded;
  }
  const bool reduceArchive = std::string(GetParam()).find("reduce") != std::string::npos;
  EXPECT_EQ(decoded, reduceArchive ? 3 : 2);  // the rest are stored
}

INSTANTIATE_TEST_SUITE_P(Fixtures, LegacyArchive,
                         ::testing::Values("Zip.shrink.zip", "Zip.reduce1.zip", "Zip.reduce2.zip", "Zip.reduce3.zip",
                                           "Zip.reduce4.zip", "Zip.implode.zip"));

// Cut or damaged input must end the decoding quietly with fewer (or wrong)
// bytes, never read past the data, loop or run past the announced size.
TEST(LegacyMethods, DamagedInputEndsQuietlyWithinTheAnnouncedSize) {
  for (const char* name : {"Zip.shrink.zip", "Zip.reduce3.zip", "Zip.implode.zip"}) {
    const Bytes zip = ReadWholeFile(kData + name);
    for (const auto& e : LocalEntries(zip)) {
      if (e.method == 0) continue;
      const Bytes cut = Decode(e, e.data.first(e.data.size() / 3), 32768);
      EXPECT_LT(cut.size(), e.uncompressedSize) << name << " method " << e.method;

      Bytes flipped(e.data.begin(), e.data.end());
      for (std::size_t i = 7; i < flipped.size(); i += 97) flipped[i] ^= 0x5A;
      const Bytes garbled = Decode(e, flipped, 32768);
      if (e.method != 1) {  // shrink has no size of its own; the reader's output guard bounds it
        EXPECT_LE(garbled.size(), e.uncompressedSize) << name;
      }
      EXPECT_NE(Crc32Of(garbled.data(), garbled.size()), e.crc) << name << " method " << e.method;
    }
  }
}
