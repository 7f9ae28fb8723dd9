#include "ZipHeaderInfo.h"

TZip64Info& TZipHeaderInfo::Zip64Block() {
  if (!Zip64) Zip64.emplace();
  return *Zip64;
}

TAesInfo& TZipHeaderInfo::AesBlock() {
  if (!Aes) Aes.emplace();
  return *Aes;
}

void TZipHeaderInfo::TakeAesMethod() {
  if (CompressionMethod != 99) return;
  TAesInfo& aes = AesBlock();
  AesStrength = aes.Strength >= 1 && aes.Strength <= 3 ? aes.Strength : 0;
  CompressionMethod = aes.CompressionMethod;
}

std::uint64_t TZipHeaderInfo::EffectiveCompressedSize() const {
  return CompressedSize == 0xFFFFFFFFu && Zip64 ? Zip64->CompressedSize : CompressedSize;
}

std::uint64_t TZipHeaderInfo::EffectiveUncompressedSize() const {
  return UncompressedSize == 0xFFFFFFFFu && Zip64 ? Zip64->UncompressedSize : UncompressedSize;
}

std::uint64_t TZipHeaderInfo::EffectiveLocalHeaderOffset() const {
  return RelativeOffsetOfLocalHeader == 0xFFFFFFFFu && Zip64 ? Zip64->LocalHeaderOffset
                                                              : RelativeOffsetOfLocalHeader;
}

std::uint32_t TZipHeaderInfo::EffectiveDiskStart() const {
  return DiskNumberStart == 0xFFFF && Zip64 ? Zip64->DiskStart : DiskNumberStart;
}

std::uint16_t TZipHeaderInfo::EffectiveCompressionMethod() const {
  return CompressionMethod == 99 && Aes ? Aes->CompressionMethod : CompressionMethod;
}

void TZipHeaderInfo::SetFullName(const std::string& fullName) {
  const auto cut = fullName.find_last_of("\\:");
  if (cut == std::string::npos) {
    Directory.clear();
    FileName = fullName;
  } else {
    Directory = fullName.substr(0, cut + 1);
    FileName = fullName.substr(cut + 1);
    // A ':' split (a drive name) still leaves the directory ending in '\'.
    if (Directory.back() != '\\') Directory += '\\';
  }
  FileNameLength = static_cast<std::uint16_t>(Directory.size() + FileName.size());
}

void TEndCentral::Reset() {
  Signature = 0x06054B50;
  ThisDisk = CentralDirStartDisk = EntriesThisDisk = TotalEntries = 0;
  CentralDirSize = CentralDirOffset = 0;
  CommentLength = 0;
  Comment.clear();
  CommentRead = false;
  CommentPosition = 0;
  Modified = false;
  Zip64End.reset();
  Zip64Locator.reset();
}

void TEndCentral::SetComment(const std::string& comment) {
  Comment = comment;
  CommentRead = true;
  Modified = true;
}

std::uint32_t TEndCentral::EffectiveThisDisk() const {
  return ThisDisk == 0xFFFF && Zip64End ? Zip64End->ThisDisk : ThisDisk;
}

std::uint32_t TEndCentral::EffectiveStartDisk() const {
  return CentralDirStartDisk == 0xFFFF && Zip64End ? Zip64End->CentralDirStartDisk : CentralDirStartDisk;
}

std::uint64_t TEndCentral::EffectiveTotalEntries() const {
  return TotalEntries == 0xFFFF && Zip64End ? Zip64End->TotalEntries : TotalEntries;
}

std::uint64_t TEndCentral::EffectiveCentralDirOffset() const {
  return CentralDirOffset == 0xFFFFFFFFu && Zip64End ? Zip64End->CentralDirOffset : CentralDirOffset;
}

void TEndCentral::SetEffectiveTotalEntries(std::uint64_t total) {
  if (total < 0xFFFF) {
    TotalEntries = static_cast<std::uint16_t>(total);
    return;
  }
  TotalEntries = 0xFFFF;
  if (!Zip64End) Zip64End = std::make_unique<TZip64EndCentral>();
  Zip64End->TotalEntries = total;
}

void TEndCentral::SetEffectiveCentralDirOffset(std::uint64_t offset) {
  if (offset < 0xFFFFFFFFu) {
    CentralDirOffset = static_cast<std::uint32_t>(offset);
    return;
  }
  CentralDirOffset = 0xFFFFFFFFu;
  if (!Zip64End) Zip64End = std::make_unique<TZip64EndCentral>();
  Zip64End->CentralDirOffset = offset;
}

std::uint32_t NormalizeDosDateTime(std::uint32_t dosDateTime) {
  const std::uint32_t time = dosDateTime & 0xFFFF;
  const std::uint32_t date = dosDateTime >> 16;
  std::uint32_t hours = time >> 11, minutes = (time >> 5) & 0x3F, seconds = (time & 0x1F) * 2;
  std::uint32_t year = (date >> 9) + 1980, month = (date >> 5) & 0x0F, day = date & 0x1F;
  bool clamped = false;
  auto clamp = [&clamped](std::uint32_t& value, std::uint32_t low, std::uint32_t high) {
    if (value < low) { value = low; clamped = true; }
    if (value > high) { value = high; clamped = true; }
  };
  clamp(hours, 0, 23);
  clamp(minutes, 0, 59);
  clamp(seconds, 0, 59);
  clamp(year, 1980, 2099);
  clamp(month, 1, 12);
  clamp(day, 1, 31);
  if (!clamped) return dosDateTime;
  const std::uint32_t newTime = (hours << 11) | (minutes << 5) | (seconds / 2);
  const std::uint32_t newDate = ((year - 1980) << 9) | (month << 5) | day;
  return (newDate << 16) | newTime;
}
