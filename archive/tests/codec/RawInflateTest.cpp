#include <gtest/gtest.h>

#include "CodecTestSupport.h"
#include "RawDeflate.h"
#include "SampleData.h"
#include "codec/RawInflate.h"

using namespace vell::codec;
using namespace vell::codec::testing;
using testsupport::RawDeflate;

namespace {

Bytes SampleBytes(std::size_t n) {
  const std::string text = testsupport::SampleData(n, 7);
  return Bytes(text.begin(), text.end());
}

Bytes Inflate(const Bytes& compressed, std::size_t blockSize, std::size_t* largestPut = nullptr) {
  MemorySource source(compressed, blockSize);
  MemorySink sink;
  Bytes work(100000);  // larger than the pieces handed on
  InflateRaw(source, sink, work, 32768);
  if (largestPut) *largestPut = sink.largestPut;
  return sink.bytes;
}

}  // namespace

TEST(RawInflate, RestoresWhatDeflateMadeAtEveryLevelAndInputBlocking) {
  const Bytes original = SampleBytes(300000);
  for (int level : {0, 1, 6, 9}) {
    const Bytes compressed = RawDeflate(original, level);
    for (std::size_t blockSize : {std::size_t(1), std::size_t(4093), std::size_t(32768)}) {
      std::size_t largestPut = 0;
      EXPECT_EQ(Inflate(compressed, blockSize, &largestPut), original) << "level " << level << " block " << blockSize;
      EXPECT_LE(largestPut, 32768u);
    }
  }
  EXPECT_TRUE(Inflate(RawDeflate(Bytes{}, 6), 32768).empty());
}

TEST(RawInflate, IgnoresBytesAfterTheEndOfTheStream) {
  const Bytes original = SampleBytes(5000);
  Bytes compressed = RawDeflate(original, 6);
  compressed.insert(compressed.end(), {0xDE, 0xAD, 0xBE, 0xEF});
  EXPECT_EQ(Inflate(compressed, 32768), original);
}

TEST(RawInflate, RefusesDamagedOrShortStreams) {
  const Bytes compressed = RawDeflate(SampleBytes(70000), 6);
  struct Case {
    const char* what;
    Bytes data;
  };
  Bytes truncated(compressed.begin(), compressed.begin() + compressed.size() / 2);
  Bytes badBlockType = compressed;
  badBlockType[0] |= 0x06;  // block type 3 does not exist
  const Case cases[] = {{"truncated", truncated}, {"bad block type", badBlockType}, {"empty", {}}};
  for (const auto& c : cases) {
    try {
      Inflate(c.data, 1000);
      ADD_FAILURE() << c.what << " was accepted";
    } catch (const InflateError& e) {
      EXPECT_LT(e.ZlibResult(), 0) << c.what;
    }
  }
}
