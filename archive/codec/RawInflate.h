#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>

#include "ByteIo.h"

namespace vell::codec {

// zlib refused the data (a negative result, or the input ended before the
// deflate stream did). Carries zlib's result code.
class InflateError : public std::runtime_error {
public:
  explicit InflateError(int zlibResult);
  int ZlibResult() const { return zlibResult_; }

private:
  int zlibResult_;
};

// Inflates one raw deflate stream (no zlib or gzip wrapper, 32 KiB window)
// from `input` into `output`. `work` receives what inflate produces; it is
// handed to `output` whenever it is full and at the end, in pieces of at most
// `largestPut` bytes. A work area well above 32 KiB spares zlib from copying
// every output block into its window as well. Returns at the end of the
// deflate stream; bytes of the input after it are ignored.
void InflateRaw(ByteSource& input, ByteSink& output, std::span<std::uint8_t> work, std::size_t largestPut = 32768);

}  // namespace vell::codec
