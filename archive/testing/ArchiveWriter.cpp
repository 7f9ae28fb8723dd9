#include "ArchiveWriter.h"

#include <zlib.h>

#include <fstream>
#include <stdexcept>
#include <string_view>

#include "LittleEndianWriter.h"
#include "RawDeflate.h"

namespace testsupport {

namespace {

constexpr std::uint32_t kLocalHeader = 0x04034B50;
constexpr std::uint32_t kDataDescriptor = 0x08074B50;
constexpr std::uint32_t kCentralHeader = 0x02014B50;
constexpr std::uint32_t kZip64End = 0x06064B50;
constexpr std::uint32_t kZip64Locator = 0x07064B50;
constexpr std::uint32_t kEnd = 0x06054B50;
constexpr std::uint16_t kZip64ExtraId = 0x0001;
constexpr std::uint32_t kArchiveAttribute = 0x20;

std::uint64_t Uncompressed(const TEntryLayout& e) { return e.UncompressedSize.value_or(e.Data.size()); }
std::uint64_t Compressed(const TEntryLayout& e) { return e.CompressedSize.value_or(e.Data.size()); }
std::uint16_t Length16(std::size_t n) { return static_cast<std::uint16_t>(n); }

std::string LocalHeader(const TEntryLayout& e) {
  std::string h;
  Put32(h, kLocalHeader);
  Put16(h, e.VersionNeeded);
  Put16(h, e.Streamed ? e.Flag | 8 : e.Flag);
  Put16(h, e.Method);
  Put32(h, e.DosDateTime);
  Put32(h, e.Streamed ? 0 : e.Crc);
  Put32(h, e.Streamed ? 0 : static_cast<std::uint32_t>(Compressed(e)));
  Put32(h, e.Streamed ? 0 : static_cast<std::uint32_t>(Uncompressed(e)));
  Put16(h, Length16(e.Name.size()));
  Put16(h, 0);
  return h + e.Name;
}

std::string DataDescriptor(const TEntryLayout& e) {
  std::string d;
  if (e.DescriptorSigned) Put32(d, kDataDescriptor);
  Put32(d, e.Crc);
  Put32(d, static_cast<std::uint32_t>(Compressed(e)));
  Put32(d, static_cast<std::uint32_t>(Uncompressed(e)));
  return d;
}

std::string CentralRecord(const TEntryLayout& e, std::uint64_t localOffset) {
  const std::uint64_t offset = e.OffsetOverride.value_or(localOffset);
  std::string extra = e.CentralExtra;
  auto compressed = static_cast<std::uint32_t>(Compressed(e));
  auto uncompressed = static_cast<std::uint32_t>(Uncompressed(e));
  auto offset32 = static_cast<std::uint32_t>(offset);
  if (e.Zip64) {
    extra = ExtraBlock(kZip64ExtraId, U64(Uncompressed(e)) + U64(Compressed(e)) + U64(offset)) + extra;
    compressed = uncompressed = offset32 = 0xFFFFFFFF;
  }
  std::string c;
  Put32(c, kCentralHeader);
  Put16(c, e.VersionMadeBy);
  Put16(c, e.VersionNeeded);
  Put16(c, e.Streamed ? e.Flag | 8 : e.Flag);
  Put16(c, e.Method);
  Put32(c, e.DosDateTime);
  Put32(c, e.Crc);
  Put32(c, compressed);
  Put32(c, uncompressed);
  Put16(c, Length16(e.Name.size()));
  Put16(c, Length16(extra.size() + e.PhantomExtraLength));
  Put16(c, Length16(e.Comment.size()));
  Put16(c, 0);  // disk
  Put16(c, 0);  // internal attributes
  Put32(c, kArchiveAttribute);
  Put32(c, offset32);
  return c + e.Name + extra + e.Comment;
}

std::string EndRecords(const TArchiveLayout& layout, std::uint64_t centralStart, std::uint64_t centralSize) {
  const std::uint64_t count = layout.Entries.size();
  std::string out;
  if (layout.Zip64End) {
    const std::uint64_t zip64At = centralStart + centralSize;
    Put32(out, kZip64End);
    Put64(out, 44);  // the record's size after this field
    Put16(out, 45);
    Put16(out, 45);
    Put32(out, 0);
    Put32(out, 0);
    Put64(out, count);
    Put64(out, count);
    Put64(out, centralSize);
    Put64(out, centralStart);
    Put32(out, kZip64Locator);
    Put32(out, 0);
    Put64(out, zip64At);
    Put32(out, 1);
    Put32(out, kEnd);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, 0xFFFF);
    Put16(out, 0xFFFF);
    Put32(out, layout.Zip64EndEscapesCountsOnly ? static_cast<std::uint32_t>(centralSize) : 0xFFFFFFFF);
    Put32(out, layout.Zip64EndEscapesCountsOnly ? static_cast<std::uint32_t>(centralStart) : 0xFFFFFFFF);
  } else {
    // Without a Zip64 record the 16-bit counts keep only their low bits, as
    // writers that know no better leave them.
    Put32(out, kEnd);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<std::uint16_t>(count));
    Put16(out, static_cast<std::uint16_t>(count));
    Put32(out, static_cast<std::uint32_t>(centralSize));
    Put32(out, static_cast<std::uint32_t>(centralStart));
  }
  Put16(out, Length16(layout.Comment.size()));
  return out + layout.Comment;
}

// Hands the archive to append piece by piece, the entries' data unbroken.
template <typename Append>
void Emit(const TArchiveLayout& layout, Append&& append) {
  std::uint64_t written = 0;
  const auto put = [&](std::string_view bytes) {
    append(bytes);
    written += bytes.size();
  };
  put(layout.Prefix);
  std::vector<std::uint64_t> offsets;
  for (const TEntryLayout& e : layout.Entries) {
    offsets.push_back(written);
    put(LocalHeader(e));
    put(e.Data);
    if (e.Streamed) put(DataDescriptor(e));
  }
  const std::uint64_t centralStart = written;
  std::vector<int> order = layout.CentralOrder;
  if (order.empty())
    for (int i = 0; i < static_cast<int>(layout.Entries.size()); ++i) order.push_back(i);
  for (const int i : order) {
    const auto at = static_cast<std::size_t>(i);
    put(CentralRecord(layout.Entries.at(at), offsets.at(at)));
  }
  put(EndRecords(layout, centralStart, written - centralStart));
}

}  // namespace

std::string BuildArchive(const TArchiveLayout& layout) {
  std::string out;
  Emit(layout, [&out](std::string_view bytes) { out.append(bytes); });
  return out;
}

std::string BuildArchive(const std::vector<TEntryLayout>& entries) {
  TArchiveLayout layout;
  layout.Entries = entries;
  return BuildArchive(layout);
}

void WriteArchive(const std::string& path, const TArchiveLayout& layout) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  Emit(layout, [&file](std::string_view bytes) { file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())); });
  file.close();
  if (!file) throw std::runtime_error("cannot write " + path);
}

TEntryLayout StoredEntry(const std::string& name, const std::string& data) {
  TEntryLayout e;
  e.Name = name;
  e.Data = data;
  e.Crc = Crc32(data);
  return e;
}

TEntryLayout DeflatedEntry(const std::string& name, const std::string& data, int level) {
  TEntryLayout e;
  e.Name = name;
  e.Data = RawDeflate(data, level);
  e.Method = 8;
  e.Crc = Crc32(data);
  e.UncompressedSize = data.size();
  return e;
}

std::string ExtraBlock(std::uint16_t id, const std::string& data) {
  return U16(id) + U16(Length16(data.size())) + data;
}

std::uint32_t Crc32(const std::string& data) {
  // zlib's CRC, not the reader's: the writer must not share the reader's mistakes.
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

}  // namespace testsupport
