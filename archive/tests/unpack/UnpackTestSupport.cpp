#include "UnpackTestSupport.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <stdexcept>

namespace unpacktest {

#ifdef _WIN32
// The archiving tools live on the host, not inside Wine: those tests skip.
bool ToolAvailable(const std::string&) { return false; }
int RunTool(const std::string&, const std::string&) { return -1; }
Bytes Output(const std::string&, const std::string&) { return {}; }
#else
bool ToolAvailable(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

int RunTool(const std::string& folder, const std::string& command) {
  const int status = std::system(("cd '" + folder + "' && (" + command + ") >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Bytes Output(const std::string& folder, const std::string& command) {
  FILE* pipe = ::popen(("cd '" + folder + "' && " + command + " 2>/dev/null").c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run " + command);
  Bytes out;
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  ::pclose(pipe);
  return out;
}
#endif

std::size_t TWatchedStream::Write(const void* buffer, std::size_t count) {
  ++Writes;
  return TMemoryStream::Write(buffer, std::min(count, WriteLimit));
}

void TWatchedStream::SetSize(std::int64_t newSize) {
  if (newSize > SizeLimit) throw std::bad_alloc();
  LargestSizeSet = std::max(LargestSizeSet, newSize);
  TMemoryStream::SetSize(newSize);
}

Bytes EncryptTraditional(const Bytes& plain, const std::string& password, std::uint8_t checkByte) {
  std::uint32_t keys[3] = {0x12345678u, 0x23456789u, 0x34567890u};
  auto crcByte = [](std::uint32_t crc, std::uint8_t b) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    return crc;
  };
  auto update = [&](std::uint8_t b) {
    keys[0] = crcByte(keys[0], b);
    keys[1] = (keys[1] + (keys[0] & 0xFF)) * 134775813u + 1;
    keys[2] = crcByte(keys[2], static_cast<std::uint8_t>(keys[1] >> 24));
  };
  for (char c : password) update(static_cast<std::uint8_t>(c));
  Bytes header = "0123456789A";
  header += static_cast<char>(checkByte);
  Bytes out;
  for (char c : header + plain) {
    const std::uint32_t t = (keys[2] & 0xFFFF) | 2;
    const auto k = static_cast<std::uint8_t>((t * (t ^ 1)) >> 8);
    out += static_cast<char>(static_cast<std::uint8_t>(c) ^ k);
    update(static_cast<std::uint8_t>(c));
  }
  return out;
}

TExtraction Extract(const std::string& path, const std::string& name, const std::string& password) {
  TZipReader reader;
  reader.SetZipName(path);
  reader.SetPassword(password);
  TWatchedStream stream;
  TExtraction result;
  result.Result = reader.UnpackToStream(&stream, name);
  result.Data = stream.Contents();
  return result;
}

}  // namespace unpacktest
