#include "RawDeflate.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace testsupport {

namespace {

// Deflates size bytes into out, which is resized to fit.
template <typename Buffer>
void DeflateInto(const void* data, std::size_t size, int level, Buffer& out) {
  z_stream z{};
  if (deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2 failed");
  out.resize(deflateBound(&z, static_cast<uLong>(size)));
  z.next_in = static_cast<Bytef*>(const_cast<void*>(data));
  z.avail_in = static_cast<uInt>(size);
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  const int result = deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  if (result != Z_STREAM_END) throw std::runtime_error("deflate did not finish");
}

}  // namespace

std::string RawDeflate(const std::string& data, int level) {
  std::string out;
  DeflateInto(data.data(), data.size(), level, out);
  return out;
}

std::vector<std::uint8_t> RawDeflate(const std::vector<std::uint8_t>& data, int level) {
  std::vector<std::uint8_t> out;
  DeflateInto(data.data(), data.size(), level, out);
  return out;
}

std::string RawDeflateZeros(std::uint64_t count) {
  z_stream z{};
  if (deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2 failed");
  const std::string zeros(1 << 20, '\0');
  std::string out;
  char chunk[1 << 16];
  int result = Z_OK;
  while (result != Z_STREAM_END) {
    const auto now = static_cast<uInt>(std::min<std::uint64_t>(count, zeros.size()));
    count -= now;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
    z.avail_in = now;
    do {
      z.next_out = reinterpret_cast<Bytef*>(chunk);
      z.avail_out = sizeof chunk;
      result = deflate(&z, count == 0 ? Z_FINISH : Z_NO_FLUSH);
      out.append(chunk, sizeof chunk - z.avail_out);
    } while (z.avail_out == 0 || (z.avail_in > 0 && result == Z_OK));
    if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) break;
  }
  deflateEnd(&z);
  if (result != Z_STREAM_END) throw std::runtime_error("deflate did not finish");
  return out;
}

}  // namespace testsupport
