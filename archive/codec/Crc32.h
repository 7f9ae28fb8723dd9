#pragma once

#include <cstddef>
#include <cstdint>

namespace vell::codec {

// CRC-32 with the reflected polynomial 0xEDB88320, as every ZIP entry carries it.
// The running value is the raw register: start from kCrc32Init and complement at
// the end (Crc32Final), so blocks can be fed one after another.
inline constexpr std::uint32_t kCrc32Init = 0xFFFFFFFFu;

std::uint32_t Crc32Update(std::uint32_t crc, const void* data, std::size_t length) noexcept;

// One byte at a time; the traditional cipher's key schedule steps by single bytes.
std::uint32_t Crc32UpdateByte(std::uint32_t crc, std::uint8_t byte) noexcept;

inline std::uint32_t Crc32Final(std::uint32_t crc) noexcept { return ~crc; }

// Complete CRC of one buffer (start, update, complement).
inline std::uint32_t Crc32Of(const void* data, std::size_t length) noexcept {
  return Crc32Final(Crc32Update(kCrc32Init, data, length));
}

namespace detail {
// The table-driven path alone, whatever the processor offers (for tests).
std::uint32_t Crc32UpdatePortable(std::uint32_t crc, const void* data, std::size_t length) noexcept;
}  // namespace detail

}  // namespace vell::codec
