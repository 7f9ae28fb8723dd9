// Loading an archive's directory: the end record, the central records and
// their extra fields, name conversion.
#include <algorithm>
#include <vector>

#include "ByteOrder.h"
#include "ZipReader.h"

namespace {

void SlashesToBackslashes(std::string& name) { std::replace(name.begin(), name.end(), '/', '\\'); }

}  // namespace

bool TZipReader::LocateEndRecord(TStream& stream) {
  endCentral_.Reset();
  const std::int64_t length = stream.Size();
  if (length < static_cast<std::int64_t>(ZipRecordSizes::EndCentral)) return length == 0;

  const auto blockLength = static_cast<std::size_t>(
      std::min<std::int64_t>(length, ZipRecordSizes::MaxComment + ZipRecordSizes::EndCentral));
  std::vector<std::uint8_t> block(blockLength);
  stream.Seek(length - static_cast<std::int64_t>(blockLength), TSeekOrigin::soBeginning);
  if (stream.Read(block.data(), blockLength) < blockLength) return false;

  // The record nearest the end of the file wins.
  std::int64_t match = -1;
  for (auto at = static_cast<std::int64_t>(blockLength - ZipRecordSizes::EndCentral); at >= 0; --at) {
    if (block[static_cast<std::size_t>(at)] == 0x50 && GetU32(&block[static_cast<std::size_t>(at)]) == ZipSignatures::EndCentral) {
      match = at;
      break;
    }
  }
  if (match < 0) return false;

  const std::uint8_t* record = &block[static_cast<std::size_t>(match)];
  endCentral_.Signature = GetU32(record);
  endCentral_.ThisDisk = GetU16(record + 4);
  endCentral_.CentralDirStartDisk = GetU16(record + 6);
  endCentral_.EntriesThisDisk = GetU16(record + 8);
  endCentral_.TotalEntries = GetU16(record + 10);
  endCentral_.CentralDirSize = GetU32(record + 12);
  endCentral_.CentralDirOffset = GetU32(record + 16);
  endCentral_.CommentLength = GetU16(record + 20);
  endCentral_.CommentPosition =
      static_cast<std::uint64_t>(length - static_cast<std::int64_t>(blockLength) + match) + ZipRecordSizes::EndCentral;

  if (match >= static_cast<std::int64_t>(ZipRecordSizes::Zip64EndLocator)) {
    const std::uint8_t* locator = record - ZipRecordSizes::Zip64EndLocator;
    if (GetU32(locator) == ZipSignatures::Zip64EndLocator) {
      auto stored = std::make_unique<TZip64EndLocator>();
      stored->Signature = GetU32(locator);
      stored->Zip64EndDisk = GetU32(locator + 4);
      stored->Zip64EndOffset = GetU64(locator + 8);
      stored->TotalDisks = GetU32(locator + 16);
      std::uint8_t raw[ZipRecordSizes::Zip64EndCentral];
      bool complete = false;
      if (stored->Zip64EndOffset <= static_cast<std::uint64_t>(length)) {
        stream.Seek(static_cast<std::int64_t>(stored->Zip64EndOffset), TSeekOrigin::soBeginning);
        complete = stream.Read(raw, sizeof raw) == sizeof raw;
      }
      endCentral_.Zip64Locator = std::move(stored);
      // A Zip64 record that is not all there cannot be trusted for any field.
      if (complete) {
        auto zip64 = std::make_unique<TZip64EndCentral>();
        zip64->Signature = GetU32(raw);
        zip64->RecordSize = GetU64(raw + 4);
        zip64->VersionMadeBy = GetU16(raw + 12);
        zip64->VersionNeeded = GetU16(raw + 14);
        zip64->ThisDisk = GetU32(raw + 16);
        zip64->CentralDirStartDisk = GetU32(raw + 20);
        zip64->EntriesThisDisk = GetU64(raw + 24);
        zip64->TotalEntries = GetU64(raw + 32);
        zip64->CentralDirSize = GetU64(raw + 40);
        zip64->CentralDirOffset = GetU64(raw + 48);
        endCentral_.Zip64End = std::move(zip64);
      }
    }
  }
  return true;
}

std::string TZipReader::ConvertOEMName(const std::string& stored, const TZipHeaderInfo& entry) const {
  // Plain ASCII reads the same in every code page and through UTF-8.
  if (std::all_of(stored.begin(), stored.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return stored;
  const bool utf8Flag = entry.IsUtf8Name();
  const bool tryOem = !utf8Flag && (entry.OEMConvert == TOEMConvert::oemAlways ||
                                    (entry.OEMConvert == TOEMConvert::oemFlexible &&
                                     (entry.VersionMadeBy & 0x0B00) != 0x0B00));
  if (tryOem) {
    std::string ansi, back;
    if (platform_.OemToAnsi(stored, ansi) && platform_.AnsiToOem(ansi, back) && platform_.AnsiSameText(back, stored))
      return ansi;
  }
  return platform_.Utf8ToAnsi(stored);
}

void TZipReader::ParseExtraField(TZipHeaderInfo& entry, const std::uint8_t* extra, std::size_t length) {
  std::size_t at = 0;
  while (at + 4 <= length) {
    const std::uint16_t id = GetU16(extra + at);
    const std::uint16_t size = GetU16(extra + at + 2);
    const std::size_t data = at + 4;
    std::size_t next = data + size;
    switch (id) {
      case 0x0001: {
        entry.Zip64ExtraLength = static_cast<std::uint16_t>(std::min<std::size_t>(0xFFFF, size + 4u));
        std::size_t value = data;
        bool complete = true;
        auto take64 = [&](std::uint64_t& target) {
          if (value + 8 > length) return complete = false;
          target = GetU64(extra + value);
          value += 8;
          return true;
        };
        TZip64Info& zip64 = entry.Zip64Block();
        if (entry.UncompressedSize == 0xFFFFFFFFu) take64(zip64.UncompressedSize);
        if (complete && entry.CompressedSize == 0xFFFFFFFFu) take64(zip64.CompressedSize);
        if (complete && entry.RelativeOffsetOfLocalHeader == 0xFFFFFFFFu) take64(zip64.LocalHeaderOffset);
        if (complete && entry.DiskNumberStart == 0xFFFF) {
          if (value + 4 > length) {
            complete = false;
          } else {
            zip64.DiskStart = GetU32(extra + value);
            value += 4;
          }
        }
        if (!complete) return;
        // Writers that store every field, escaped or not, are read past their
        // whole block rather than mistaking the rest for further blocks.
        next = std::max(next, value);
        break;
      }
      case 0x7075: {
        if (next > length || size < 5) return;
        auto& unicode = entry.UnicodePath ? *entry.UnicodePath : entry.UnicodePath.emplace();
        unicode.Version = extra[data];
        unicode.NameCRC = GetU32(extra + data + 1);
        std::string path(reinterpret_cast<const char*>(extra + data + 5), size - 5u);
        path = platform_.Utf8ToAnsi(path);
        SlashesToBackslashes(path);
        entry.SetFullName(path);
        break;
      }
      case 0x9901: {
        if (at + 11 > length) return;
        TAesInfo& aes = entry.AesBlock();
        aes.HeaderId = id;
        aes.DataSize = size;
        aes.VendorVersion = GetU16(extra + at + 4);
        aes.VendorId = GetU16(extra + at + 6);
        aes.Strength = extra[at + 8];
        aes.CompressionMethod = GetU16(extra + at + 9);
        break;
      }
      default:
        break;
    }
    if (next > length) return;
    at = next;
  }
}

bool TZipReader::ReadCentralHeader(TZipHeaderInfo& entry, bool mayAskNextDisk) {
  std::int64_t start = DirectoryStream().Position();
  std::uint8_t record[ZipRecordSizes::CentralHeader];
  std::size_t got = DirectoryStream().Read(record, sizeof record);
  const bool signatureSeen = got >= 4 && GetU32(record) == ZipSignatures::CentralHeader;
  if ((got == 0 || (got < sizeof record && signatureSeen)) && mayAskNextDisk && !sideFile_ &&
      currentDisk_ + 1 < numberOfDisks_) {
    SwitchToPart(currentDisk_ + 2);
    start = 0;
    got += DirectoryStream().Read(record + got, sizeof record - got);
  }
  if (got < sizeof record || GetU32(record) != ZipSignatures::CentralHeader) {
    DirectoryStream().Seek(start, TSeekOrigin::soBeginning);
    return false;
  }

  const std::uint16_t nameLength = GetU16(record + 28);
  const std::uint16_t extraLength = GetU16(record + 30);
  std::string name(nameLength, '\0');
  if (DirectoryStream().Read(name.data(), nameLength) < nameLength) {
    DirectoryStream().Seek(start, TSeekOrigin::soBeginning);
    return false;
  }

  entry.VersionMadeBy = GetU16(record + 4);
  entry.VersionNeeded = GetU16(record + 6);
  entry.Flag = GetU16(record + 8);
  entry.CompressionMethod = GetU16(record + 10);
  entry.ModifDateTime = NormalizeDosDateTime(GetU32(record + 12));
  entry.CRC32 = GetU32(record + 16);
  entry.CompressedSize = GetU32(record + 20);
  entry.UncompressedSize = GetU32(record + 24);
  entry.ExtraFieldLength = extraLength;
  entry.FileCommentLength = GetU16(record + 32);
  entry.DiskNumberStart = GetU16(record + 34);
  entry.InternalAttributes = GetU16(record + 36);
  entry.ExternalAttributes = GetU32(record + 38);
  entry.RelativeOffsetOfLocalHeader = GetU32(record + 42);
  entry.LocalExtraFieldLength = 0;
  entry.FileComment.clear();
  entry.FileCommentRead = false;
  entry.MatchedForExtract = false;
  entry.SelectedByCaller = false;
  entry.CentralHeaderPosition = static_cast<std::uint64_t>(start);

  SlashesToBackslashes(name);
  entry.SetFullName(ConvertOEMName(name, entry));

  if (extraLength > 0) {
    const std::int64_t afterName = DirectoryStream().Position();
    entry.CentralExtraPosition = static_cast<std::uint64_t>(afterName);
    entry.CentralExtraLength = extraLength;
    thread_local std::vector<std::uint8_t> extra;
    extra.resize(extraLength);
    const std::size_t extraGot = DirectoryStream().Read(extra.data(), extraLength);
    ParseExtraField(entry, extra.data(), extraGot);
    DirectoryStream().Seek(afterName, TSeekOrigin::soBeginning);
  }

  entry.TakeAesMethod();
  return true;
}

void TZipReader::LoadDirectory() {
  const TFlagScope loading(loadingDirectory_, true);
  std::int64_t time = 0;
  ArchiveFileTime(zipName_, time);
  fileTimeAtLoad_ = time;
  FreeLists();
  // A rebuilt list described the file as it was; the file read now gets its
  // own chance at the central directory and, if need be, at the scan.
  directoryRebuilt_ = false;
  recoveryTried_ = false;

  bool usingSideFile = false;
  bool found = LocateEndRecord(*archive_);
  if (found && endCentral_.EffectiveStartDisk() > endCentral_.EffectiveThisDisk()) found = false;
  if (!found) HandleMissingEndRecord(usingSideFile);  // raises, or finds a side file, or rebuilds

  if (!directoryRebuilt_) DecideMultiDiskMode();
  if (usingSideFile) currentDisk_ = 0;
  const bool multi = multiDiskMode_ != TZipMultiDiskMode::mdNone;

  // A 16-bit entry count wraps past 65,535 when a writer leaves out the Zip64
  // record; the directory's size still tells where its records end, so
  // records are read on until it is used up.
  const bool countFromSixteenBits = endCentral_.TotalEntries != 0xFFFF || !endCentral_.Zip64End;
  const std::uint64_t directorySize = endCentral_.CentralDirSize == 0xFFFFFFFFu && endCentral_.Zip64End
                                          ? endCentral_.Zip64End->CentralDirSize
                                          : endCentral_.CentralDirSize;
  const bool readToSize = countFromSixteenBits && directorySize > 0 && !multi && !usingSideFile && !directoryRebuilt_;
  const std::uint64_t directoryEnd = endCentral_.EffectiveCentralDirOffset() + directorySize;

  auto seekToDirectory = [&] {
    if (endCentral_.EffectiveTotalEntries() == 0 && !readToSize) return;
    if (usingSideFile) {
      DirectoryStream().Seek(0, TSeekOrigin::soBeginning);
      return;
    }
    // The start disk is not above this disk, whose count was bounded.
    const auto startDisk = static_cast<int>(
        std::min<std::int64_t>(endCentral_.EffectiveStartDisk(), numberOfDisks_ - 1));
    if (multi && startDisk != currentDisk_) SwitchToPart(startDisk + 1);
    DirectoryStream().Seek(static_cast<std::int64_t>(endCentral_.EffectiveCentralDirOffset()),
                           TSeekOrigin::soBeginning);
  };
  seekToDirectory();

  if (!directory_) StartNewDirectory();

  // Central records usually come in physical order; they are gathered and
  // ordered once so that a directory in any order costs n log n.
  std::vector<std::unique_ptr<TZipHeaderInfo>> gathered;
  std::uint64_t total = endCentral_.EffectiveTotalEntries();
  std::uint16_t previousExtra = 0;
  TZipHeaderInfo* previous = nullptr;

  auto failBadZip = [this]() {
    ClearArchive();
    throw EBadZipFile(ZipMessages::NotAZip);
  };
  auto restartFromScan = [&] {
    gathered.clear();
    total = endCentral_.EffectiveTotalEntries();
    previousExtra = 0;
    previous = nullptr;
    DirectoryStream().Seek(static_cast<std::int64_t>(endCentral_.EffectiveCentralDirOffset()),
                           TSeekOrigin::soBeginning);
  };

  // Past the stated count, only while the stated size has room for a record.
  auto beyondCount = [&](std::uint64_t i) {
    return i >= total && readToSize && !directoryRebuilt_ &&
           static_cast<std::uint64_t>(DirectoryStream().Position()) + ZipRecordSizes::CentralHeader <= directoryEnd;
  };
  std::uint64_t i = 0;
  std::uint32_t walked = 0;
  for (;;) {
    for (; i < total || beyondCount(i); ++i) {
      YieldPerBlock(walked);
      auto entry = std::make_unique<TZipHeaderInfo>();
      entry->OEMConvert = oemConvert_;
      const bool mayAsk = multi && !directoryRebuilt_;
      bool ok = ReadCentralHeader(*entry, mayAsk);
      if (!ok && i >= total) break;  // the size overstated the records: the count was right
      if (!ok && previousExtra > 0) {
        // A record that announced an extra field which is not there.
        DirectoryStream().Seek(-static_cast<std::int64_t>(previousExtra), TSeekOrigin::soCurrent);
        if (previous) previous->ExtraFieldLength = 0;
        previousExtra = 0;
        ok = ReadCentralHeader(*entry, mayAsk);
      }
      if (!ok) {
        if (directoryRebuilt_) break;
        if (multi || !RecoverFromLocalHeaders()) failBadZip();
        restartFromScan();
        i = static_cast<std::uint64_t>(-1);  // ++i brings it to 0
        continue;
      }
      const std::uint16_t extraLength = entry->ExtraFieldLength;
      const std::uint16_t commentLength = entry->FileCommentLength;
      TZipHeaderInfo* listed = nullptr;
      if (directoryRebuilt_) {
        TSortedZip& rebuilt = *directory_->Primary;
        const int at = rebuilt.IndexOfLocation(entry->EffectiveDiskStart(), entry->EffectiveLocalHeaderOffset());
        if (at >= 0) {
          listed = rebuilt.Get(at);
          const std::uint32_t scannedOffset = listed->RelativeOffsetOfLocalHeader;
          const std::optional<TZip64Info> scannedZip64 = listed->Zip64;
          const std::uint16_t localExtra = listed->LocalExtraFieldLength;
          *listed = *entry;
          listed->RelativeOffsetOfLocalHeader = scannedOffset;
          if (scannedZip64) listed->Zip64Block().LocalHeaderOffset = scannedZip64->LocalHeaderOffset;
          listed->LocalExtraFieldLength = localExtra;
        }
      } else {
        listed = entry.get();
        gathered.push_back(std::move(entry));
      }
      if (multi && commentLength > 0 && listed) ReadEntryCommentNow(*listed);
      DirectoryStream().Seek(extraLength + commentLength, TSeekOrigin::soCurrent);
      previousExtra = extraLength;
      previous = listed;
    }

    if (directoryRebuilt_ || gathered.empty()) break;
    // Order physically; two records at the same disk and offset are a format error.
    TSortedZip& order = *directory_->Primary;
    const auto physical = [&order](const auto& a, const auto& b) { return order.SortsBefore(a.get(), b.get()); };
    if (!std::is_sorted(gathered.begin(), gathered.end(), physical))
      std::stable_sort(gathered.begin(), gathered.end(), physical);
    bool duplicate = false;
    for (std::size_t k = 1; k < gathered.size() && !duplicate; ++k)
      duplicate = !order.SortsBefore(gathered[k - 1].get(), gathered[k].get());
    if (!duplicate) {
      for (auto& entry : gathered) order.AppendInOrder(entry.release());
      gathered.clear();
      break;
    }
    if (!RecoverFromLocalHeaders()) failBadZip();
    restartFromScan();
    i = 0;
  }

  // Comments of a multi-part set are read while the right part is present,
  // and a side file's positions mean nothing in the archive itself.
  if ((multi || usingSideFile) && endCentral_.CommentLength > 0) {
    if (multi && !usingSideFile && currentDisk_ != numberOfDisks_ - 1) SwitchToPart(numberOfDisks_);
    endCentral_.Comment = ReadCommentAt(endCentral_.CommentPosition, endCentral_.CommentLength);
    endCentral_.CommentRead = true;
  }
  if (usingSideFile) {
    currentDisk_ = 0;
    sideFile_.reset();
  }
  SortEntries(sortMode_);
}
