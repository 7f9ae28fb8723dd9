#include "TestSupport.h"

#include "ZipReader.h"

#include <zlib.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>

#ifndef VELL_DIR_FIXTURES
#error "VELL_DIR_FIXTURES must name the folder of make_fixtures.py's output"
#endif

namespace testsupport {

std::string FixturePath(const std::string& relative) { return std::string(VELL_DIR_FIXTURES) + "/" + relative; }

TScratchDir::TScratchDir() {
  static std::atomic<int> counter{0};
  dir_ = std::filesystem::temp_directory_path() /
         ("vell-archdir-" + std::to_string(static_cast<long long>(std::chrono::steady_clock::now().time_since_epoch().count() % 1000000007)) +
          "-" + std::to_string(counter++));
  std::filesystem::create_directories(dir_);
}

TScratchDir::~TScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::string TScratchDir::Path(const std::string& name) const { return (dir_ / name).string(); }

std::string TScratchDir::Write(const std::string& name, const std::string& bytes) const {
  const std::string path = Path(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

std::string U16(std::uint16_t v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string U32(std::uint32_t v) { return U16(static_cast<std::uint16_t>(v)) + U16(static_cast<std::uint16_t>(v >> 16)); }
std::string U64(std::uint64_t v) { return U32(static_cast<std::uint32_t>(v)) + U32(static_cast<std::uint32_t>(v >> 32)); }

std::string ExtraBlock(std::uint16_t id, const std::string& data) {
  return U16(id) + U16(static_cast<std::uint16_t>(data.size())) + data;
}

std::string BuildArchive(const TArchiveLayout& layout) {
  std::string out = layout.Prefix;
  std::vector<std::uint64_t> offsets;
  for (const TEntryLayout& e : layout.Entries) {
    offsets.push_back(out.size());
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(e.Data.data()), static_cast<uInt>(e.Data.size())));
    out += U32(0x04034B50) + U16(e.VersionNeeded) + U16(e.Flag) + U16(0) + U32(e.DosDateTime) + U32(crc) +
           U32(static_cast<std::uint32_t>(e.Data.size())) + U32(static_cast<std::uint32_t>(e.Data.size())) +
           U16(static_cast<std::uint16_t>(e.Name.size())) + U16(0) + e.Name + e.Data;
  }
  const std::uint64_t centralStart = out.size();
  std::vector<int> order = layout.CentralOrder;
  if (order.empty())
    for (int i = 0; i < static_cast<int>(layout.Entries.size()); ++i) order.push_back(i);
  for (int i : order) {
    const TEntryLayout& e = layout.Entries[static_cast<std::size_t>(i)];
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(e.Data.data()), static_cast<uInt>(e.Data.size())));
    const std::uint64_t offset = e.OffsetOverride >= 0 ? static_cast<std::uint64_t>(e.OffsetOverride)
                                                       : offsets[static_cast<std::size_t>(i)];
    std::string extra = e.CentralExtra;
    std::uint32_t size32 = static_cast<std::uint32_t>(e.Data.size());
    std::uint32_t offset32 = static_cast<std::uint32_t>(offset);
    if (e.Zip64) {
      extra = ExtraBlock(0x0001, U64(e.Data.size()) + U64(e.Data.size()) + U64(offset)) + extra;
      size32 = 0xFFFFFFFF;
      offset32 = 0xFFFFFFFF;
    }
    const std::uint16_t extraLength = static_cast<std::uint16_t>(extra.size() + e.PhantomExtraLength);
    out += U32(0x02014B50) + U16(e.VersionMadeBy) + U16(e.VersionNeeded) + U16(e.Flag) + U16(0) +
           U32(e.DosDateTime) + U32(crc) + U32(size32) + U32(size32) + U16(static_cast<std::uint16_t>(e.Name.size())) +
           U16(extraLength) + U16(static_cast<std::uint16_t>(e.Comment.size())) + U16(0) + U16(0) + U32(0x20) +
           U32(offset32) + e.Name + extra + e.Comment;
  }
  const std::uint64_t centralSize = out.size() - centralStart;
  const std::uint64_t count = layout.Entries.size();
  if (layout.Zip64End) {
    const std::uint64_t zip64At = out.size();
    out += U32(0x06064B50) + U64(44) + U16(45) + U16(45) + U32(0) + U32(0) + U64(count) + U64(count) +
           U64(centralSize) + U64(centralStart);
    out += U32(0x07064B50) + U32(0) + U64(zip64At) + U32(1);
    out += U32(0x06054B50) + U16(0) + U16(0) + U16(0xFFFF) + U16(0xFFFF) + U32(0xFFFFFFFF) + U32(0xFFFFFFFF);
  } else {
    out += U32(0x06054B50) + U16(0) + U16(0) + U16(static_cast<std::uint16_t>(count)) +
           U16(static_cast<std::uint16_t>(count)) + U32(static_cast<std::uint32_t>(centralSize)) +
           U32(static_cast<std::uint32_t>(centralStart));
  }
  out += U16(static_cast<std::uint16_t>(layout.Comment.size())) + layout.Comment;
  return out;
}

std::string TFakePlatform::Map(const std::string& path) const {
  if (DriveFolder.empty() || path.size() < 3 || path[1] != ':') return path;
  std::string rest = path.substr(3);
  for (char& c : rest)
    if (c == '\\') c = '/';
  return DriveFolder + "/" + rest;
}

std::unique_ptr<TPlatformFileStream> TFakePlatform::OpenFile(const std::string& path, TFileAccess access,
                                                             TFileShare share) {
  return Real.OpenFile(Map(path), access, share);
}

bool TFakePlatform::OemToAnsi(const std::string& oem, std::string& ansi) {
  if (!TagCodePages) return Real.OemToAnsi(oem, ansi);
  // Names holding '~' fail the round trip, like characters without an ANSI form.
  ansi = "oem-" + oem;
  return true;
}

bool TFakePlatform::AnsiToOem(const std::string& ansi, std::string& oem) {
  if (!TagCodePages) return Real.AnsiToOem(ansi, oem);
  oem = ansi.rfind("oem-", 0) == 0 ? ansi.substr(4) : ansi;
  for (char& c : oem)
    if (c == '~') c = '?';
  return true;
}

TEntryLayout Entry(const std::string& name, const std::string& data) {
  TEntryLayout e;
  e.Name = name;
  e.Data = data;
  return e;
}

std::vector<std::string> Names(const TZipReader& reader) {
  std::vector<std::string> names;
  for (int i = 0; i < reader.EntryCount(); ++i) names.push_back(reader.EntryFullName(i));
  return names;
}

}  // namespace testsupport
