#include "RawInflate.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <string>

namespace vell::codec {
namespace {

constexpr int kRawDeflateWindowBits = -15;

class InflateStream {
public:
  InflateStream() {
    const int result = inflateInit2(&stream_, kRawDeflateWindowBits);
    if (result != Z_OK) throw InflateError(result);
  }
  ~InflateStream() { inflateEnd(&stream_); }
  InflateStream(const InflateStream&) = delete;
  InflateStream& operator=(const InflateStream&) = delete;

  z_stream* operator->() { return &stream_; }
  z_stream* get() { return &stream_; }

private:
  z_stream stream_{};
};

}  // namespace

InflateError::InflateError(int zlibResult)
    : std::runtime_error("inflate failed (" + std::to_string(zlibResult) + ")"), zlibResult_(zlibResult) {}

void InflateRaw(ByteSource& input, ByteSink& output, std::span<std::uint8_t> work, std::size_t largestPut) {
  if (work.empty() || largestPut == 0 || work.size() > std::numeric_limits<uInt>::max())
    throw std::invalid_argument("inflate work buffer");
  InflateStream z;
  z->next_out = work.data();
  z->avail_out = static_cast<uInt>(work.size());
  auto deliver = [&] {
    const std::size_t produced = work.size() - z->avail_out;
    for (std::size_t at = 0; at < produced; at += largestPut)
      output.Put(work.data() + at, std::min(largestPut, produced - at));
    z->next_out = work.data();
    z->avail_out = static_cast<uInt>(work.size());
  };
  for (;;) {
    if (z->avail_in == 0) {
      const auto block = input.NextBlock();
      // zlib does not write through next_in; the cast only meets its older API.
      z->next_in = const_cast<Bytef*>(block.data());
      z->avail_in = static_cast<uInt>(block.size());
    }
    const int result = inflate(z.get(), Z_NO_FLUSH);
    if (result != Z_OK && result != Z_STREAM_END) throw InflateError(result);
    if (result == Z_STREAM_END) {
      deliver();
      return;
    }
    if (z->avail_out == 0) deliver();
  }
}

}  // namespace vell::codec
