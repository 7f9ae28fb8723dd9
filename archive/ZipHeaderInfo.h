// In-memory records of an archive: one entry, and the end-of-directory record.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace ZipSignatures {
inline constexpr std::uint32_t CentralHeader = 0x02014B50;
inline constexpr std::uint32_t LocalHeader = 0x04034B50;
inline constexpr std::uint32_t EndCentral = 0x06054B50;
inline constexpr std::uint32_t Zip64EndCentral = 0x06064B50;
inline constexpr std::uint32_t Zip64EndLocator = 0x07064B50;
// The local signature as single bytes, for the byte-wise recovery scan.
inline constexpr std::array<std::uint8_t, 4> LocalHeaderBytes = {'P', 'K', 3, 4};
}  // namespace ZipSignatures

namespace ZipRecordSizes {
inline constexpr std::size_t CentralHeader = 46;
inline constexpr std::size_t LocalHeader = 30;
inline constexpr std::size_t EndCentral = 22;
inline constexpr std::size_t Zip64EndLocator = 20;
inline constexpr std::size_t Zip64EndCentral = 56;
inline constexpr std::size_t MaxComment = 65535;
}  // namespace ZipRecordSizes

// How stored 8-bit names are turned into the system's ANSI code page.
enum class TOEMConvert { oemAlways, oemNever, oemFlexible };

struct TZip64Info {
  std::uint64_t UncompressedSize = 0;
  std::uint64_t CompressedSize = 0;
  std::uint64_t LocalHeaderOffset = 0;
  std::uint32_t DiskStart = 0;
  bool operator==(const TZip64Info&) const = default;
};

// The 11 bytes of the AES extra block as stored.
struct TAesInfo {
  std::uint16_t HeaderId = 0x9901;
  std::uint16_t DataSize = 7;
  std::uint16_t VendorVersion = 1;
  std::uint16_t VendorId = 0x4541;
  std::uint8_t Strength = 0;
  std::uint16_t CompressionMethod = 0;
  bool operator==(const TAesInfo&) const = default;
};

struct TUnicodePathInfo {
  std::uint8_t Version = 0;
  std::uint32_t NameCRC = 0;
  bool operator==(const TUnicodePathInfo&) const = default;
};

// Plain values throughout, so that the compiler's copy takes every field.
class TZipHeaderInfo {
public:

  std::uint16_t VersionMadeBy = 45;
  std::uint16_t VersionNeeded = 20;
  std::uint16_t Flag = 0;
  std::uint16_t CompressionMethod = 8;
  std::uint32_t ModifDateTime = 0;  // DOS date/time, time in the low half
  std::uint32_t CRC32 = 0xFFFFFFFF;
  std::uint32_t CompressedSize = 0;
  std::uint32_t UncompressedSize = 0;
  std::uint16_t FileNameLength = 0;
  std::uint16_t ExtraFieldLength = 0;        // central
  std::uint16_t LocalExtraFieldLength = 0;
  std::uint16_t FileCommentLength = 0;
  std::uint16_t DiskNumberStart = 0;
  std::uint16_t InternalAttributes = 1;
  std::uint32_t ExternalAttributes = 0x20;
  std::uint32_t RelativeOffsetOfLocalHeader = 0;
  std::uint64_t CentralHeaderPosition = 0;

  std::string FileName;   // the part after the last '\'
  std::string Directory;  // empty or ending in '\'

  std::optional<TZip64Info> Zip64;  // present once needed
  std::optional<TAesInfo> Aes;      // present once needed
  std::optional<TUnicodePathInfo> UnicodePath;
  std::uint8_t AesStrength = 0;  // 0 = no AES, 1..3 key strength

  std::string FileComment;  // empty until read
  bool FileCommentRead = false;
  bool MatchedForExtract = false;
  bool FileIsOK = false;
  bool SelectedByCaller = false;
  TOEMConvert OEMConvert = TOEMConvert::oemNever;

  std::uint64_t CentralExtraPosition = 0;
  std::uint16_t CentralExtraLength = 0;
  std::uint16_t Zip64ExtraLength = 0;

  TZip64Info& Zip64Block();
  TAesInfo& AesBlock();

  // Values with Zip64 escapes resolved.
  std::uint64_t EffectiveCompressedSize() const;
  std::uint64_t EffectiveUncompressedSize() const;
  std::uint64_t EffectiveLocalHeaderOffset() const;
  std::uint32_t EffectiveDiskStart() const;
  std::uint16_t EffectiveCompressionMethod() const;
  // For method 99, the key strength and the real method come from the AES block.
  void TakeAesMethod();

  bool IsEncrypted() const { return (Flag & 1) != 0 || CompressionMethod == 99; }
  bool HasDataDescriptor() const { return (Flag & 8) != 0; }
  bool IsUtf8Name() const { return (Flag & 0x800) != 0; }
  std::string FullName() const { return Directory + FileName; }
  // Splits a full name at the last '\' (or ':') into Directory and FileName.
  void SetFullName(const std::string& fullName);

  bool operator==(const TZipHeaderInfo&) const = default;
};

struct TZip64EndLocator {
  std::uint32_t Signature = 0;
  std::uint32_t Zip64EndDisk = 0;
  std::uint64_t Zip64EndOffset = 0;
  std::uint32_t TotalDisks = 0;
};

struct TZip64EndCentral {
  std::uint32_t Signature = 0;
  std::uint64_t RecordSize = 0;
  std::uint16_t VersionMadeBy = 0;
  std::uint16_t VersionNeeded = 0;
  std::uint32_t ThisDisk = 0;
  std::uint32_t CentralDirStartDisk = 0;
  std::uint64_t EntriesThisDisk = 0;
  std::uint64_t TotalEntries = 0;
  std::uint64_t CentralDirSize = 0;
  std::uint64_t CentralDirOffset = 0;
};

class TEndCentral {
public:
  TEndCentral() { Reset(); }
  TEndCentral(const TEndCentral&) = delete;
  TEndCentral& operator=(const TEndCentral&) = delete;

  std::uint32_t Signature = 0;
  std::uint16_t ThisDisk = 0;
  std::uint16_t CentralDirStartDisk = 0;
  std::uint16_t EntriesThisDisk = 0;
  std::uint16_t TotalEntries = 0;
  std::uint32_t CentralDirSize = 0;
  std::uint32_t CentralDirOffset = 0;
  std::uint16_t CommentLength = 0;

  std::string Comment;
  bool CommentRead = false;
  std::uint64_t CommentPosition = 0;
  bool Modified = false;

  std::unique_ptr<TZip64EndCentral> Zip64End;
  std::unique_ptr<TZip64EndLocator> Zip64Locator;

  void Reset();
  void SetComment(const std::string& comment);  // sets the modified flag

  std::uint32_t EffectiveThisDisk() const;
  std::uint32_t EffectiveStartDisk() const;
  std::uint64_t EffectiveTotalEntries() const;
  std::uint64_t EffectiveCentralDirOffset() const;

  // Overrides used by the recovery scan, which has no record to read from.
  void SetEffectiveTotalEntries(std::uint64_t total);
  void SetEffectiveCentralDirOffset(std::uint64_t offset);
};

// Clamps the fields of a DOS date/time into valid ranges; returns the value
// unchanged when nothing needed clamping.
std::uint32_t NormalizeDosDateTime(std::uint32_t dosDateTime);
