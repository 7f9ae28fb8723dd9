// Archives for the benchmarks: n small stored entries named
// "files/pages/page-NNNNNN.jpg", written once per size into the temporary folder.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "codec/Crc32.h"

namespace benchzip {

inline void PutU16(std::string& out, std::uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}
inline void PutU32(std::string& out, std::uint32_t v) {
  PutU16(out, static_cast<std::uint16_t>(v));
  PutU16(out, static_cast<std::uint16_t>(v >> 16));
}

inline std::string EntryName(int i) {
  char name[64];
  std::snprintf(name, sizeof name, "files/pages/page-%06d.jpg", i);
  return name;
}

// A stored archive of n small entries, each with a 9-byte timestamp extra
// field in its central record, as common writers add one.
inline std::string MakeArchive(int n) {
  std::string out, central;
  const std::string data = "0123456789abcdef";
  const std::uint32_t crc = vell::codec::Crc32Of(data.data(), data.size());
  for (int i = 0; i < n; ++i) {
    const std::string name = EntryName(i);
    const auto offset = static_cast<std::uint32_t>(out.size());
    PutU32(out, 0x04034B50);
    PutU16(out, 10); PutU16(out, 0); PutU16(out, 0); PutU32(out, 0x5A8C6000); PutU32(out, crc);
    PutU32(out, 16); PutU32(out, 16); PutU16(out, static_cast<std::uint16_t>(name.size())); PutU16(out, 0);
    out += name + data;
    PutU32(central, 0x02014B50);
    PutU16(central, 0x031E); PutU16(central, 10); PutU16(central, 0); PutU16(central, 0);
    PutU32(central, 0x5A8C6000); PutU32(central, crc); PutU32(central, 16); PutU32(central, 16);
    PutU16(central, static_cast<std::uint16_t>(name.size())); PutU16(central, 9); PutU16(central, 0);
    PutU16(central, 0); PutU16(central, 0); PutU32(central, 0x20); PutU32(central, offset);
    central += name;
    PutU16(central, 0x5455); PutU16(central, 5); central += std::string("\x03\x00\x60\x8c\x5a", 5);
  }
  const auto start = static_cast<std::uint32_t>(out.size());
  out += central;
  PutU32(out, 0x06054B50); PutU16(out, 0); PutU16(out, 0);
  const auto count = static_cast<std::uint16_t>(n > 0xFFFF ? 0xFFFF : n);
  PutU16(out, count); PutU16(out, count);
  PutU32(out, static_cast<std::uint32_t>(central.size())); PutU32(out, start); PutU16(out, 0);
  if (n > 0xFFFF) {
    // Too many for the 16-bit counts: a Zip64 end record and locator before the end record.
    std::string zip64;
    const auto zip64At = static_cast<std::uint64_t>(start) + central.size();
    PutU32(zip64, 0x06064B50);
    PutU32(zip64, 44); PutU32(zip64, 0); PutU16(zip64, 45); PutU16(zip64, 45); PutU32(zip64, 0); PutU32(zip64, 0);
    PutU32(zip64, static_cast<std::uint32_t>(n)); PutU32(zip64, 0);
    PutU32(zip64, static_cast<std::uint32_t>(n)); PutU32(zip64, 0);
    PutU32(zip64, static_cast<std::uint32_t>(central.size())); PutU32(zip64, 0);
    PutU32(zip64, start); PutU32(zip64, 0);
    PutU32(zip64, 0x07064B50); PutU32(zip64, 0);
    PutU32(zip64, static_cast<std::uint32_t>(zip64At)); PutU32(zip64, static_cast<std::uint32_t>(zip64At >> 32));
    PutU32(zip64, 1);
    out.insert(out.size() - 22, zip64);
  }
  return out;
}

inline const std::string& ArchivePath(int n) {
  static std::map<int, std::string> paths;
  auto& path = paths[n];
  if (path.empty()) {
    path = (std::filesystem::temp_directory_path() / ("vell-bench-dir-" + std::to_string(n) + ".zip")).string();
    std::ofstream(path, std::ios::binary) << MakeArchive(n);
  }
  return path;
}

}  // namespace benchzip
