#include "TestBooks.h"

#include <windows.h>
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

void Put16(std::string& out, std::uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}

void Put32(std::string& out, std::uint32_t v) {
  Put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
  Put16(out, static_cast<std::uint16_t>(v >> 16));
}

}  // namespace

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteStoredZip(const std::string& path, const TZipEntries& entries) {
  std::string body, directory;
  for (const auto& [name, data] : entries) {
    auto crc = static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()),
                                                static_cast<uInt>(data.size())));
    auto offset = static_cast<std::uint32_t>(body.size());
    auto size = static_cast<std::uint32_t>(data.size());
    auto nameLength = static_cast<std::uint16_t>(name.size());
    Put32(body, 0x04034B50);
    Put16(body, 20);
    Put16(body, 0);
    Put16(body, 0);  // stored
    Put32(body, 0x00210000);  // 1980-01-01 00:00
    Put32(body, crc);
    Put32(body, size);
    Put32(body, size);
    Put16(body, nameLength);
    Put16(body, 0);
    body += name;
    body += data;

    Put32(directory, 0x02014B50);
    Put16(directory, 20);
    Put16(directory, 20);
    Put16(directory, 0);
    Put16(directory, 0);
    Put32(directory, 0x00210000);
    Put32(directory, crc);
    Put32(directory, size);
    Put32(directory, size);
    Put16(directory, nameLength);
    Put16(directory, 0);
    Put16(directory, 0);
    Put16(directory, 0);
    Put16(directory, 0);
    Put32(directory, 0);
    Put32(directory, offset);
    directory += name;
  }
  std::string end;
  Put32(end, 0x06054B50);
  Put16(end, 0);
  Put16(end, 0);
  Put16(end, static_cast<std::uint16_t>(entries.size()));
  Put16(end, static_cast<std::uint16_t>(entries.size()));
  Put32(end, static_cast<std::uint32_t>(directory.size()));
  Put32(end, static_cast<std::uint32_t>(body.size()));
  Put16(end, 0);
  WriteFile(path, body + directory + end);
}

std::string MakeTempFolder(const std::string& tag) {
  char base[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, base);
  static int counter = 0;
  // Process ids come round again under Wine: a folder left by an earlier run
  // (with its recent list) is never reused.
  for (;;) {
    std::string folder = std::string(base) + "vell-" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                         std::to_string(++counter) + "\\";
    if (CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() != ERROR_ALREADY_EXISTS) return folder;
  }
}
