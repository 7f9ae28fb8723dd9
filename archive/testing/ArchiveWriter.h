// Writes archives record by record, for the cases no archiving tool writes
// on request: every field a test needs to set, lie about or leave out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// One entry as its local header, data and central record lay it out.
struct TEntryLayout {
  std::string Name;
  std::string Data;  // as stored: already compressed or encrypted
  std::uint16_t Method = 0;
  std::uint16_t Flag = 0;
  std::uint32_t Crc = 0;  // of the bytes before compression
  std::optional<std::uint64_t> UncompressedSize;  // unset: the size of Data
  std::optional<std::uint64_t> CompressedSize;    // unset: the size of Data
  std::uint32_t DosDateTime = 0x5A8C6000;  // 2025-04-12 12:00:00
  std::uint16_t VersionMadeBy = 20;
  std::uint16_t VersionNeeded = 20;
  std::string CentralExtra;  // extra blocks of the central record
  std::string Comment;
  // The central record claims this many extra bytes more than it holds.
  std::uint16_t PhantomExtraLength = 0;
  // Local header offset written into the central record instead of the real one.
  std::optional<std::uint64_t> OffsetOverride;
  // Central sizes and offset escaped to 0xFFFFFFFF, their values in a Zip64 extra block.
  bool Zip64 = false;
  // As a streaming writer leaves it: flag bit 3, no CRC or sizes in the local
  // header, and a data descriptor after the data, its signature optional.
  bool Streamed = false;
  bool DescriptorSigned = true;
};

struct TArchiveLayout {
  std::vector<TEntryLayout> Entries;
  std::vector<int> CentralOrder;  // empty: the entries' own order
  std::string Comment;
  // Counts, size and offset escaped in the end record, their values in a
  // Zip64 end record and its locator.
  bool Zip64End = false;
  // With Zip64End: the end record escapes only its counts and keeps the
  // directory's size and offset, as writers leave it while those still fit.
  bool Zip64EndEscapesCountsOnly = false;
  std::string Prefix;  // bytes before the first local header
};

std::string BuildArchive(const TArchiveLayout& layout);
std::string BuildArchive(const std::vector<TEntryLayout>& entries);
// The same bytes straight into a file, for archives too large to hold twice.
void WriteArchive(const std::string& path, const TArchiveLayout& layout);

// Entries as a plain tool records them, CRC and sizes filled in.
TEntryLayout StoredEntry(const std::string& name, const std::string& data = "data");
TEntryLayout DeflatedEntry(const std::string& name, const std::string& data, int level = 6);

// One extra-field block: its id, its length, then data.
std::string ExtraBlock(std::uint16_t id, const std::string& data);
std::uint32_t Crc32(const std::string& data);

}  // namespace testsupport
