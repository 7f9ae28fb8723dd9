// Deflate without zlib's header and trailer, as archive entries hold it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// Raises std::runtime_error when zlib refuses.
std::string RawDeflate(const std::string& data, int level = 6);
std::vector<std::uint8_t> RawDeflate(const std::vector<std::uint8_t>& data, int level = 6);
// count zero bytes deflated, without holding them: what a decompression
// bomb carries (about a thousandth of count).
std::string RawDeflateZeros(std::uint64_t count);

}  // namespace testsupport
