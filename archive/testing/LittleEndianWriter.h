// Little-endian fields as bytes, for records written field by field.
#pragma once

#include <cstdint>
#include <string>

namespace testsupport {

inline void Put16(std::string& out, std::uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}
inline void Put32(std::string& out, std::uint32_t v) {
  Put16(out, static_cast<std::uint16_t>(v));
  Put16(out, static_cast<std::uint16_t>(v >> 16));
}
inline void Put64(std::string& out, std::uint64_t v) {
  Put32(out, static_cast<std::uint32_t>(v));
  Put32(out, static_cast<std::uint32_t>(v >> 32));
}

// The same as values, for records spelled out as one sum of fields.
inline std::string U16(std::uint16_t v) {
  std::string out;
  Put16(out, v);
  return out;
}
inline std::string U32(std::uint32_t v) {
  std::string out;
  Put32(out, v);
  return out;
}
inline std::string U64(std::uint64_t v) {
  std::string out;
  Put64(out, v);
  return out;
}

}  // namespace testsupport
