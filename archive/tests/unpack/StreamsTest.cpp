// The memory stream extraction writes into, and the buffered stream it reads through.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <numeric>
#include <string>
#include <vector>

#include "BufferStream.h"
#include "Stream.h"

// Under AddressSanitizer an allocation that cannot be had must fail as it
// does elsewhere (null, then std::bad_alloc) rather than end the test program.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELL_TESTS_UNDER_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(VELL_TESTS_UNDER_ASAN)
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
#endif

namespace {

std::string Contents(TMemoryStream& stream) {
  return {reinterpret_cast<const char*>(stream.Memory()), static_cast<std::size_t>(stream.Size())};
}

TEST(MemoryStream, BytesNeverWrittenReadAsZero) {
  TMemoryStream stream;
  stream.SetSize(4);  // fresh
  EXPECT_EQ(Contents(stream), std::string(4, '\0'));
  stream.SetPosition(0);
  stream.Write("abcd", 4);
  stream.SetSize(2);  // shrinks, keeps its memory ...
  stream.SetSize(5);  // ... and what grows back is zero, not the old bytes
  EXPECT_EQ(Contents(stream), std::string("ab\0\0\0", 5));
  stream.SetSize(1000);  // grows past its memory
  EXPECT_EQ(Contents(stream), std::string("ab") + std::string(998, '\0'));
  stream.Seek(10, TSeekOrigin::soEnd);
  stream.Write("Z", 1);  // past the end: a gap of zeros
  EXPECT_EQ(stream.Size(), 1011);
  EXPECT_EQ(Contents(stream).substr(998), std::string(12, '\0') + "Z");
}

TEST(MemoryStream, GrowsGeometricallyWhenWrittenBlockByBlock) {
  TMemoryStream stream;
  const std::string block(1000, 'x');
  std::size_t reallocations = 0;
  std::size_t capacity = 0;
  for (int i = 0; i < 1000; ++i) {
    stream.Write(block.data(), block.size());
    if (stream.Capacity() != capacity) ++reallocations;
    capacity = stream.Capacity();
  }
  EXPECT_EQ(stream.Size(), 1000000);
  EXPECT_LT(reallocations, 30u);
  EXPECT_EQ(Contents(stream), std::string(1000000, 'x'));
}

TEST(MemoryStream, ASizeThatCannotBeHadLeavesTheStreamAsItWas) {
  TMemoryStream stream;
  stream.Write("keep", 4);
  EXPECT_THROW(stream.SetSize(std::numeric_limits<std::int64_t>::max()), std::bad_alloc);
  EXPECT_EQ(Contents(stream), "keep");
  EXPECT_EQ(stream.Position(), 4);
  stream.SetSize(0);
  EXPECT_EQ(stream.Size(), 0);
  EXPECT_EQ(stream.Read(nullptr, 0), 0u);
}

// A memory stream of counting bytes that records the size of every read reaching it.
class TRecordingStream : public TMemoryStream {
public:
  explicit TRecordingStream(std::size_t size) : Bytes(size) {
    std::iota(Bytes.begin(), Bytes.end(), std::uint8_t{0});
    Write(Bytes.data(), Bytes.size());
    SetPosition(0);
  }

  std::vector<std::uint8_t> Bytes;
  std::vector<std::size_t> Reads;
  std::size_t Read(void* buffer, std::size_t count) override {
    Reads.push_back(count);
    return TMemoryStream::Read(buffer, count);
  }
};

TEST(BufferStream, LargeReadsPassStraightThroughOnceTheReadAheadIsUsedUp) {
  TRecordingStream under(100000);
  const auto& bytes = under.Bytes;
  TS_BufferStream stream(&under, 8192);

  std::vector<std::uint8_t> got(bytes.size());
  ASSERT_EQ(stream.Read(got.data(), 30), 30u);  // a header: fills the buffer
  ASSERT_EQ(stream.Read(got.data() + 30, 32768), 32768u);
  ASSERT_EQ(stream.Read(got.data() + 30 + 32768, 32768), 32768u);
  EXPECT_EQ(under.Reads, (std::vector<std::size_t>{8192, 32768 - 8162, 32768}));
  EXPECT_EQ(stream.Position(), 30 + 2 * 32768);
  const std::size_t rest = bytes.size() - stream.Position();
  ASSERT_EQ(stream.Read(got.data() + stream.Position(), 40000), rest);  // short at the end
  EXPECT_EQ(got, bytes);
  EXPECT_EQ(stream.State(), TS_BufferStream::TState::Unknown);
}

TEST(BufferStream, ALimitedFillReadsWhatWasAnnouncedOnceThenWholeBuffersAgain) {
  TRecordingStream under(20000);
  TS_BufferStream stream(&under, 8192);
  std::vector<std::uint8_t> got(under.Bytes.size());

  stream.LimitNextFill(100);
  ASSERT_EQ(stream.Read(got.data(), 30), 30u);
  ASSERT_EQ(stream.Read(got.data() + 30, 70), 70u);  // from the 100 bytes read ahead
  stream.LimitNextFill(10);
  ASSERT_EQ(stream.Read(got.data() + 100, 50), 50u);  // never less than the read asks for
  stream.LimitNextFill(100000);
  ASSERT_EQ(stream.Read(got.data() + 150, 10), 10u);  // never more than the buffer
  ASSERT_EQ(stream.Read(got.data() + 160, 8200), 8200u);
  EXPECT_EQ(under.Reads, (std::vector<std::size_t>{100, 50, 8192, 8192}));
  EXPECT_TRUE(std::equal(got.begin(), got.begin() + 8360, under.Bytes.begin()));
}

}  // namespace
