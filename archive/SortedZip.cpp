#include "SortedZip.h"

#include <cmath>
#include <ctime>

namespace {

int Ordered(bool aFirst) { return aFirst ? -1 : 1; }

// Seconds of a DOS date/time for ordering; 0 when it names no valid date.
std::int64_t DosDateTimeValue(std::uint32_t dosDateTime) {
  const std::uint32_t time = dosDateTime & 0xFFFF;
  const std::uint32_t date = dosDateTime >> 16;
  const std::uint32_t hours = time >> 11, minutes = (time >> 5) & 0x3F, seconds = (time & 0x1F) * 2;
  const std::uint32_t month = (date >> 5) & 0x0F, day = date & 0x1F;
  const std::int64_t year = (date >> 9) + 1980;
  if (hours > 23 || minutes > 59 || seconds > 59 || month < 1 || month > 12 || day < 1) return 0;
  // Normalised dates may still name a day the month does not have (30 February).
  static constexpr std::uint32_t kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (day > kDaysInMonth[month - 1] + (month == 2 && leap ? 1u : 0u)) return 0;
  const std::int64_t days = year * 372 + (month - 1) * 31 + (day - 1);
  return days * 86400 + hours * 3600 + minutes * 60 + seconds;
}

int Rate(const TZipHeaderInfo& entry) {
  const std::uint64_t uncompressed = entry.EffectiveUncompressedSize();
  if (uncompressed == 0) return 0;
  const double rate = std::round(100.0 * static_cast<double>(entry.EffectiveCompressedSize()) /
                                 static_cast<double>(uncompressed));
  return rate > 100.0 ? 100 : static_cast<int>(rate);
}

}  // namespace

int CompareZipNames(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    auto ca = static_cast<unsigned char>(a[i]);
    auto cb = static_cast<unsigned char>(b[i]);
    if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca + 32);
    if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb + 32);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

int TSortedZip::Add(TZipHeaderInfo* item) {
  const int index = TSortedObjectList<TZipHeaderInfo>::Add(item);
  if (index >= 0 && item->Zip64) containsZip64_ = true;
  return index;
}

int TSortedZip::IndexOfLocation(std::uint32_t diskStart, std::uint64_t localHeaderOffset) const {
  // Only the primary (physical order) list can be searched this way.
  TZipHeaderInfo key;
  key.DiskNumberStart = diskStart >= 0xFFFF ? 0xFFFF : static_cast<std::uint16_t>(diskStart);
  key.RelativeOffsetOfLocalHeader = 0xFFFFFFFFu;
  key.Zip64Block().DiskStart = diskStart;
  key.Zip64Block().LocalHeaderOffset = localHeaderOffset;
  return IndexOf(&key);
}

int TSortedZip::Compare(const TZipHeaderInfo* a, const TZipHeaderInfo* b) const {
  switch (sortMode_) {
    case TZipSortMode::ByName:
      return CompareZipNames(a->FullName(), b->FullName());
    case TZipSortMode::ByFileName:
      return CompareZipNames(a->FileName, b->FileName);
    case TZipSortMode::ByDirectoryName:
      return CompareZipNames(a->Directory, b->Directory);
    case TZipSortMode::ByDate:
      return Ordered(!(DosDateTimeValue(b->ModifDateTime) > DosDateTimeValue(a->ModifDateTime)));
    case TZipSortMode::ByCompressedSize:
      return Ordered(!(static_cast<std::uint32_t>(b->EffectiveCompressedSize()) >
                       static_cast<std::uint32_t>(a->EffectiveCompressedSize())));
    case TZipSortMode::ByUnCompressedSize:
      return Ordered(!(static_cast<std::uint32_t>(b->EffectiveUncompressedSize()) >
                       static_cast<std::uint32_t>(a->EffectiveUncompressedSize())));
    case TZipSortMode::ByRate:
      return Rate(*b) - Rate(*a);
    case TZipSortMode::ByNone:
    default: {
      const std::int64_t disks =
          static_cast<std::int64_t>(a->EffectiveDiskStart()) - static_cast<std::int64_t>(b->EffectiveDiskStart());
      if (disks != 0) return disks < 0 ? -1 : 1;
      const std::uint64_t oa = a->EffectiveLocalHeaderOffset(), ob = b->EffectiveLocalHeaderOffset();
      if (ob < oa) return 1;
      if (ob > oa) return -1;
      return 0;
    }
  }
}

void TSortedZip::AppendInOrder(TZipHeaderInfo* item) {
  Insert(Count(), item);
  if (item->Zip64) containsZip64_ = true;
}
