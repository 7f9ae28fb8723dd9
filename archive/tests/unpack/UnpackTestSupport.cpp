#include "UnpackTestSupport.h"

#include <zlib.h>

#ifdef _WIN32
#include <process.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <new>
#include <random>
#include <stdexcept>

namespace unpacktest {

namespace {

int ProcessId() {
#ifdef _WIN32
  return _getpid();
#else
  return ::getpid();
#endif
}

}  // namespace

TScratchDir::TScratchDir() {
  static std::atomic<int> counter{0};
  dir_ = std::filesystem::temp_directory_path() /
         ("vell-unpack-" + std::to_string(ProcessId()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(dir_);
  std::filesystem::create_directories(dir_);
}

TScratchDir::~TScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::string TScratchDir::Write(const std::string& name, const Bytes& bytes) const {
  const std::string path = Path(name);
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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

Bytes SampleData(std::size_t size, unsigned seed) {
  static const char* words[] = {"page ", "book ", "turn ", "reader ", "movie ", "\r\n", "zip ", "vell ", "files/"};
  std::mt19937 rng(seed);
  Bytes out;
  out.reserve(size + 16);
  while (out.size() < size) {
    out += words[rng() % 9];
    if (rng() % 4 == 0) out += std::to_string(rng() % 100000);
    if (rng() % 7 == 0) out += static_cast<char>(rng());
  }
  out.resize(size);
  return out;
}

Bytes RawDeflate(const Bytes& data, int level) {
  z_stream z{};
  if (deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::runtime_error("deflateInit2");
  Bytes out(deflateBound(&z, data.size()), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::uint32_t Crc32(const Bytes& data) {
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

namespace {

void Put16(Bytes& b, std::uint32_t v) {
  b += static_cast<char>(v & 0xFF);
  b += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

}  // namespace

Bytes BuildArchive(const std::vector<TRawEntry>& entries) {
  Bytes archive, central;
  for (const auto& e : entries) {
    const auto offset = static_cast<std::uint32_t>(archive.size());
    const auto compressed = static_cast<std::uint32_t>(e.CompressedSize < 0 ? e.Data.size() : e.CompressedSize);
    const auto uncompressed = static_cast<std::uint32_t>(e.UncompressedSize < 0 ? e.Data.size() : e.UncompressedSize);
    const std::uint16_t flag = e.Streamed ? e.Flag | 8 : e.Flag;
    Put32(archive, 0x04034B50);
    Put16(archive, 20);
    Put16(archive, flag);
    Put16(archive, e.Method);
    Put32(archive, e.DosDateTime);
    Put32(archive, e.Streamed ? 0 : e.Crc);
    Put32(archive, e.Streamed ? 0 : compressed);
    Put32(archive, e.Streamed ? 0 : uncompressed);
    Put16(archive, static_cast<std::uint32_t>(e.Name.size()));
    Put16(archive, 0);
    archive += e.Name;
    archive += e.Data;
    if (e.Streamed) {
      if (e.DescriptorSigned) Put32(archive, 0x08074B50);
      Put32(archive, e.Crc);
      Put32(archive, compressed);
      Put32(archive, uncompressed);
    }

    Put32(central, 0x02014B50);
    Put16(central, 20);
    Put16(central, 20);
    Put16(central, flag);
    Put16(central, e.Method);
    Put32(central, e.DosDateTime);
    Put32(central, e.Crc);
    Put32(central, compressed);
    Put32(central, uncompressed);
    Put16(central, static_cast<std::uint32_t>(e.Name.size()));
    Put16(central, 0);  // extra
    Put16(central, 0);  // comment
    Put16(central, 0);  // disk
    Put16(central, 0);  // internal attributes
    Put32(central, 0x20);
    Put32(central, offset);
    central += e.Name;
  }
  const auto centralOffset = static_cast<std::uint32_t>(archive.size());
  archive += central;
  Put32(archive, 0x06054B50);
  Put16(archive, 0);
  Put16(archive, 0);
  Put16(archive, static_cast<std::uint32_t>(entries.size()));
  Put16(archive, static_cast<std::uint32_t>(entries.size()));
  Put32(archive, static_cast<std::uint32_t>(central.size()));
  Put32(archive, centralOffset);
  Put16(archive, 0);
  return archive;
}

TRawEntry StoredEntry(const std::string& name, const Bytes& data) {
  TRawEntry e;
  e.Name = name;
  e.Data = data;
  e.Crc = Crc32(data);
  return e;
}

TRawEntry DeflatedEntry(const std::string& name, const Bytes& data) {
  TRawEntry e;
  e.Name = name;
  e.Data = RawDeflate(data);
  e.Method = 8;
  e.Crc = Crc32(data);
  e.UncompressedSize = static_cast<std::int64_t>(data.size());
  return e;
}

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
