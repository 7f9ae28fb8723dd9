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

}  // namespace testsupport
