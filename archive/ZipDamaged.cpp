// Archives whose directory cannot be used as it stands: a missing end
// record, a damaged central directory rebuilt from the local headers, and
// sets spread over several parts.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

#include "ByteOrder.h"
#include "PathText.h"
#include "ZipReader.h"

namespace {

bool HasExeExtension(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  for (char& c : tail)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return tail == ".EXE";
}

std::string ThreeDigits(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%3.3d", n);
  return text;
}

constexpr std::uint32_t kDataDescriptorSignature = 0x08074B50;

// The CRC and sizes of a data descriptor (after its optional signature), when
// its compressed size is the data length that its position implies.
bool TakeDescriptor(const std::uint8_t* fields, std::uint64_t length, bool wide, TZipHeaderInfo& entry) {
  const std::uint8_t* sizes = fields + 4;
  if (wide ? GetU64(sizes) != length : (length > 0xFFFFFFFFu || GetU32(sizes) != length)) return false;
  entry.CRC32 = GetU32(fields);
  if (wide) {
    entry.CompressedSize = entry.UncompressedSize = 0xFFFFFFFFu;
    entry.Zip64Block().CompressedSize = length;
    entry.Zip64Block().UncompressedSize = GetU64(sizes + 8);
  } else {
    entry.CompressedSize = GetU32(sizes);
    entry.UncompressedSize = GetU32(sizes + 4);
  }
  return true;
}

// A streamed writer leaves the sizes and CRC of a data-described entry out of
// its local header: only the descriptor after the data knows them (sizes
// 64-bit when the local header carries a Zip64 field). The descriptor is the
// first signed one whose compressed size equals its distance from the data
// start, or an unsigned one just before the next local or central header.
// Takes its values into the entry and returns where the next header may
// start: after the descriptor, or at the next header when no descriptor fits
// (the entry keeps its unknown sizes). The search ends at the next header, so
// the searches of one walk never cover the same bytes twice.
std::optional<std::uint64_t> FindDataDescriptor(TStream& stream, std::uint64_t dataStart, TZipHeaderInfo& entry,
                                                const std::function<void()>& yield) {
  const bool wide = entry.Zip64ExtraLength != 0;
  const std::size_t fieldsSize = wide ? 20 : 12;  // CRC and two sizes
  constexpr std::size_t kStep = 64 * 1024;
  std::vector<std::uint8_t> block(kStep + 4 + 20);
  for (std::uint64_t at = dataStart;; at += kStep) {
    yield();
    stream.Seek(static_cast<std::int64_t>(at), TSeekOrigin::soBeginning);
    const std::size_t got = stream.Read(block.data(), block.size());
    for (std::size_t i = 0; i < kStep && i + 4 <= got; ++i) {
      if (block[i] != 'P' || block[i + 1] != 'K') continue;
      const std::uint32_t signature = GetU32(&block[i]);
      const std::uint64_t position = at + i;
      if (signature == ZipSignatures::LocalHeader || signature == ZipSignatures::CentralHeader) {
        if (position - dataStart >= fieldsSize) {
          std::uint8_t fields[20];
          stream.Seek(static_cast<std::int64_t>(position - fieldsSize), TSeekOrigin::soBeginning);
          if (stream.Read(fields, fieldsSize) == fieldsSize)
            TakeDescriptor(fields, position - fieldsSize - dataStart, wide, entry);
        }
        return position;
      }
      if (signature == kDataDescriptorSignature && i + 4 + fieldsSize <= got &&
          TakeDescriptor(&block[i + 4], position - dataStart, wide, entry))
        return position + 4 + fieldsSize;
    }
    if (got < block.size()) return std::nullopt;
  }
}

}  // namespace

void TZipReader::HandleMissingEndRecord(bool& usingSideFile) {
  const std::string sideName = WithoutExtension(zipName_) + ".zfc";
  if (platform_.FileExists(sideName)) {
    sideFile_ = OpenArchiveFile(sideName, TFileShare::DenyWrite);
    if (LocateEndRecord(*sideFile_) && endCentral_.EffectiveStartDisk() <= endCentral_.EffectiveThisDisk()) {
      usingSideFile = true;
      return;
    }
    sideFile_.reset();
    endCentral_.Reset();
  }

  TIncompleteZipMode mode = incompleteZipMode_;
  if (OnInCompleteZip) {
    OnInCompleteZip(this, mode);
    incompleteZipMode_ = mode;
  }
  switch (mode) {
    case TIncompleteZipMode::izAssumeNotAZip:
      throw ENotAZipFile(ZipMessages::NotAZip);
    case TIncompleteZipMode::izAssumeBad:
      if (!RecoverFromLocalHeaders()) {
        ClearArchive();
        throw EBadZipFile(ZipMessages::NotAZip);
      }
      return;
    case TIncompleteZipMode::izAssumeMulti:
    default:
      throw EIncompleteZip(ZipMessages::Incomplete);
  }
}

bool TZipReader::ReadLocalHeader(TZipHeaderInfo& entry) {
  TS_BufferStream& stream = *archive_;
  const std::int64_t start = stream.Position();
  std::uint8_t header[ZipRecordSizes::LocalHeader];
  if (stream.Read(header, sizeof header) != sizeof header || GetU32(header) != ZipSignatures::LocalHeader) return false;
  const std::uint16_t nameLength = GetU16(header + 26);
  const std::uint16_t extraLength = GetU16(header + 28);
  std::string name(nameLength, '\0');
  if (stream.Read(name.data(), nameLength) != nameLength) return false;

  entry.VersionMadeBy = 0;
  entry.VersionNeeded = GetU16(header + 4);
  entry.Flag = GetU16(header + 6);
  entry.CompressionMethod = GetU16(header + 8);
  entry.ModifDateTime = NormalizeDosDateTime(GetU32(header + 10));
  entry.CRC32 = GetU32(header + 14);
  entry.CompressedSize = GetU32(header + 18);
  entry.UncompressedSize = GetU32(header + 22);
  entry.ExtraFieldLength = 0;
  entry.LocalExtraFieldLength = extraLength;
  entry.FileCommentLength = 0;
  entry.DiskNumberStart = 0;
  if (start >= 0xFFFFFFFFLL) {
    entry.RelativeOffsetOfLocalHeader = 0xFFFFFFFFu;
    entry.Zip64Block().LocalHeaderOffset = static_cast<std::uint64_t>(start);
  } else {
    entry.RelativeOffsetOfLocalHeader = static_cast<std::uint32_t>(start);
  }
  std::replace(name.begin(), name.end(), '/', '\\');
  entry.SetFullName(ConvertOEMName(name, entry));

  if (extraLength > 0) {
    const std::int64_t afterName = stream.Position();
    std::vector<std::uint8_t> extra(extraLength);
    const std::size_t got = stream.Read(extra.data(), extraLength);
    // The local offset is ours, not the extra field's.
    const std::uint32_t offset = entry.RelativeOffsetOfLocalHeader;
    entry.RelativeOffsetOfLocalHeader = 0;
    ParseExtraField(entry, extra.data(), got);
    entry.RelativeOffsetOfLocalHeader = offset;
    stream.Seek(afterName, TSeekOrigin::soBeginning);
  }
  entry.TakeAesMethod();
  return true;
}

bool TZipReader::RecoverFromLocalHeaders() {
  if (recoveryTried_ || !archive_) return false;
  recoveryTried_ = true;
  directoryRebuilt_ = true;
  archiveDamaged_ = true;
  FreeLists();
  sideFile_.reset();  // local headers live in the archive itself

  TS_BufferStream& stream = *archive_;
  stream.Seek(HasExeExtension(zipName_) ? 14000 : 0, TSeekOrigin::soBeginning);

  const auto& signature = ZipSignatures::LocalHeaderBytes;
  std::size_t matched = 0;
  std::uint64_t examined = 0;
  for (;;) {
    std::uint8_t byte;
    if (stream.Read(&byte, 1) != 1) return false;
    if (++examined % 10240 == 0 && doProcessMessages_) YieldToMessages();
    if (byte == signature[matched]) {
      if (++matched < signature.size()) continue;
      std::uint8_t version[2];
      if (stream.Read(version, 2) != 2) return false;
      if (version[1] < 10) break;
      matched = 0;
      continue;
    }
    matched = byte == signature[0] ? 1 : 0;
  }
  stream.Seek(-6, TSeekOrigin::soCurrent);

  StartNewDirectory();
  TSortedZip& primary = *directory_->Primary;
  std::uint64_t found = 0;
  std::int64_t stop = stream.Position();
  const std::int64_t length = stream.Size();
  std::uint32_t walked = 0;
  for (;;) {
    YieldPerBlock(walked);
    auto entry = std::make_unique<TZipHeaderInfo>();
    entry->OEMConvert = oemConvert_;
    stop = stream.Position();
    if (!ReadLocalHeader(*entry)) break;
    const std::uint64_t dataStart = static_cast<std::uint64_t>(stream.Position()) + entry->LocalExtraFieldLength;
    // A size read from a damaged file may be anything: one larger than the
    // file ends the walk here, before it can wrap around to an earlier header.
    const std::uint64_t size = entry->EffectiveCompressedSize();
    std::uint64_t next = size > static_cast<std::uint64_t>(length)
                             ? std::numeric_limits<std::uint64_t>::max()
                             : dataStart + size + (entry->HasDataDescriptor() ? 16 : 0);
    if (entry->HasDataDescriptor() && entry->EffectiveCompressedSize() == 0) {
      const auto resumeAt = FindDataDescriptor(stream, dataStart, *entry, [this] {
        if (doProcessMessages_) YieldToMessages();
      });
      if (resumeAt) next = *resumeAt;
    }
    primary.AppendInOrder(entry.release());
    ++found;
    if (next > static_cast<std::uint64_t>(length) || next <= static_cast<std::uint64_t>(stop)) {
      stop = length;
      break;
    }
    stream.Seek(static_cast<std::int64_t>(next), TSeekOrigin::soBeginning);
  }
  stream.Seek(stop, TSeekOrigin::soBeginning);

  endCentral_.Reset();
  endCentral_.SetEffectiveCentralDirOffset(static_cast<std::uint64_t>(stop));
  endCentral_.SetEffectiveTotalEntries(found);
  currentDisk_ = 0;
  numberOfDisks_ = 1;
  multiDiskMode_ = TZipMultiDiskMode::mdNone;
  return true;
}

void TZipReader::DecideMultiDiskMode() {
  const std::uint32_t thisDisk = endCentral_.EffectiveThisDisk();
  if (thisDisk == 0) {
    multiDiskMode_ = TZipMultiDiskMode::mdNone;
  } else if (multiDiskMode_ == TZipMultiDiskMode::mdNone) {
    const bool hasDrive = zipName_.size() >= 2 && zipName_[1] == ':' &&
                          ((zipName_[0] >= 'A' && zipName_[0] <= 'Z') || (zipName_[0] >= 'a' && zipName_[0] <= 'z'));
    TDriveType type = TDriveType::Unknown;
    if (hasDrive) type = platform_.DriveType(zipName_.substr(0, 2) + "\\");
    multiDiskMode_ = hasDrive && (type == TDriveType::Removable || type == TDriveType::CDRom)
                         ? TZipMultiDiskMode::mdSpanned
                         : TZipMultiDiskMode::mdBlocks;
  }
  // Part numbers are formatted with three digits; more parts than that
  // cannot be named and are not believed.
  const std::uint32_t disks = std::min<std::uint32_t>(thisDisk, 0xFFFF);
  numberOfDisks_ = static_cast<int>(disks) + 1;
  currentDisk_ = static_cast<int>(disks);
}

std::string TZipReader::SplitPartName(const TPartSet& set, int partNumber) {
  const TSplitPartType type = partNumber == 1           ? TSplitPartType::spFirst
                              : partNumber == set.Disks ? TSplitPartType::spLast
                                                        : TSplitPartType::spMiddle;
  std::string name = set.NameNoExt;
  if (OnFileNameForSplitPart) {
    OnFileNameForSplitPart(this, name, partNumber, type);
    return name;
  }
  if (blockMode_ == TBlockMode::bmClassic) return name + "." + ThreeDigits(partNumber);
  if (partNumber == set.Disks) return name + ".zip";
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, ".z%2.2d", partNumber);
  return name + suffix;
}

std::string TZipReader::AskForDisk(const TPartSet& set, int partNumber) {
  for (;;) {
    std::string name = set.Name;
    if (OnGetNextDisk) {
      OnGetNextDisk(this, partNumber, name);
    } else {
      const int answer = ShowZipMessage(184, "Please insert disk " + std::to_string(partNumber) +
                                                 " of the multi-disk set.",
                                        "", MessageBoxFlags::OkCancel, true);
      if (answer == MessageBoxFlags::IdCancel) name.clear();
    }
    if (name.empty()) throw EUserCanceled(ZipMessages::CanceledNewDisk);
    if (!platform_.FileExists(name)) continue;
    if (!checkDiskLabel_) return name;
    const std::string label = platform_.VolumeLabel(set.Name.substr(0, 3));
    if (label.size() >= 3 && label.substr(label.size() - 3) == ThreeDigits(partNumber)) return name;
  }
}

std::unique_ptr<TLFNFileStream> TZipReader::OpenPart(const TPartSet& set, int partNumber, std::string& name) {
  name = set.Mode == TZipMultiDiskMode::mdSpanned ? AskForDisk(set, partNumber) : SplitPartName(set, partNumber);
  return OpenArchiveFile(name, TFileShare::DenyNone);
}

void TZipReader::SwitchToPart(int partNumber) {
  archive_.reset();
  std::string name;
  archive_ = OpenPart(PartSet(), partNumber, name);
  currentDisk_ = partNumber - 1;
  std::int64_t time = 0;
  ArchiveFileTime(name, time);
  fileTimeAtLoad_ = time;
  zipName_ = name;
}
