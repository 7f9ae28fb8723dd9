// Extraction of entries into a caller's stream: selection by pattern, the key
// check of encrypted entries, decoding by method, and the CRC / authentication
// verdict with its events.
#include <algorithm>
#include <filesystem>
#include <limits>
#include <new>

#include "UnpackEntryIo.h"
#include "UnpackPattern.h"
#include "ZipReader.h"

#include "ByteOrder.h"
#include "codec/Explode.h"
#include "codec/RawInflate.h"
#include "codec/Unreduce.h"
#include "codec/Unshrink.h"

namespace {

constexpr int kUnknownMethodMessageId = 197;
constexpr const char* kUnknownMethodText = "Unknown Compression Method";
constexpr const char* kUnknownMethodCaption = "Zip Error";
constexpr const char* kInflateErrorText = "error";

enum TMethod : std::uint16_t {
  mStored = 0,
  mShrunk = 1,
  mReducedFirst = 2,
  mReducedLast = 5,
  mImploded = 6,
  mDeflated = 8,
};

bool IsBlank(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

// How large an empty target may be made before the first write. A memory
// stream then grows only once; but the announced size is only a claim, so
// the reservation never exceeds what the entry's bytes actually present in the
// archive could decode to (deflate expands at most 1032-fold). Other methods
// simply grow the stream as bytes arrive.
std::uint64_t UpFrontSize(std::uint16_t method, std::uint64_t announced, std::uint64_t compressedPresent) {
  constexpr std::uint64_t kMaxDeflateExpansion = 1032;
  std::uint64_t bound = 0;
  if (method == mStored) {
    bound = compressedPresent;
  } else if (method == mDeflated) {
    bound = compressedPresent > std::numeric_limits<std::uint64_t>::max() / kMaxDeflateExpansion
                ? std::numeric_limits<std::uint64_t>::max()
                : compressedPresent * kMaxDeflateExpansion;
  }
  return std::min(announced, bound);
}

// About how many bytes an entry takes from its local header to the end of
// its data, as its central record tells; the local header may differ, and
// then only costs a further read. A small entry is read in one go without
// a whole buffer's worth of read-ahead.
std::size_t ExpectedEntrySpan(const TZipHeaderInfo& entry) {
  constexpr std::uint64_t kSlack = 64;  // local extra fields are often a little longer
  constexpr std::uint64_t kMost = std::numeric_limits<std::uint32_t>::max();
  const std::uint64_t span = ZipRecordSizes::LocalHeader + entry.FileNameLength + entry.ExtraFieldLength +
                             std::min(entry.EffectiveCompressedSize(), kMost) + kSlack;
  return static_cast<std::size_t>(std::min(span, kMost));
}

}  // namespace

// The work of one ExtractSelected call: buffers kept for the whole call, the
// counts, and the decoding of each selected entry.
class TUnpackSession {
public:
  // Inflate's output area: larger than the 32 KiB blocks written to the
  // target, so that zlib does not copy each block into its window as well
  // (about a tenth of the inflate time); still well inside 1 MiB of working memory.
  static constexpr std::size_t kInflateAreaSize = 256 * 1024;

  explicit TUnpackSession(TZipReader& reader) : r_(reader) {}

  // Chooses the entries to extract (ascending view indices) and marks them.
  int Select();
  const std::vector<int>& Selection() const { return selection_; }
  // Decodes view entry index; true when it must be tried again (a new password).
  bool DecodeEntry(int index);
  int Succeeded() const { return succeeded_; }

private:
  bool MultiPart() const { return r_.multiDiskMode_ != TZipMultiDiskMode::mdNone; }
  std::size_t ReadExactly(void* buffer, std::size_t count);
  // Room for one block of an entry with remaining bytes of data: a pass over
  // small entries never asks the allocator for a whole block.
  std::uint8_t* InputBuffer(std::int64_t remaining);
  bool AskForNewPassword(int index);
  bool EstablishTraditionalKey(const TZipHeaderInfo& entry, int index, std::uint64_t dataStart,
                               TEntryDecryption& decryption);
  bool EstablishAesKey(const TZipHeaderInfo& entry, int index, std::uint64_t dataStart, TEntryDecryption& decryption);
  void Decode(std::uint16_t method, const TZipHeaderInfo& entry, TEntryInput& input, TEntryOutput& output);
  void ReportFailure(const TZipHeaderInfo& entry, int index, bool encrypted, std::uint32_t crc);

  TZipReader& r_;
  std::unique_ptr<std::uint8_t[]> input_;
  std::size_t inputSize_ = 0;
  std::unique_ptr<std::uint8_t[]> output_;
  std::vector<int> selection_;
  std::int64_t archiveSize_ = -1;
  int selected_ = 0;
  int succeeded_ = 0;
};

int TZipReader::UnpackToStream(TStream* stream, const std::string& name) {
  if (!stream || IsBlank(name)) return 0;
  return Extract(stream, name, 0, 0);
}

int TZipReader::UnpackEntryToStream(TStream* stream, int index) { return UnpackEntriesToStream(stream, index, 1); }

int TZipReader::UnpackEntriesToStream(TStream* stream, int first, int count) {
  if (!stream || count == 0) return 0;
  if (count < 0) throw EListError(FormatWithInt(ZipMessages::IndexOutOfRange, count));
  return Extract(stream, std::string(), first, count);
}

int TZipReader::Extract(TStream* stream, const std::string& name, int first, int count) {
  const bool oldBusy = busy_;
  busy_ = true;
  targetStream_ = stream;
  cancelRequested_ = false;
  unpackToStream_ = true;
  auto restore = [&] {
    unpackToStream_ = false;
    targetStream_ = nullptr;
    wantedIndices_.clear();
    CloseArchive();
    busy_ = oldBusy;
    cancelRequested_ = false;
  };
  try {
    OpenArchive();
    // Indices count in the directory as it stands now: a changed file has just been read again.
    if (count > 0) {
      ViewEntry(first);  // raises for a range outside the list
      if (count > EntryCount() - first) ViewEntry(EntryCount());
      wantedIndices_.resize(static_cast<std::size_t>(count));
      for (int i = 0; i < count; ++i) wantedIndices_[static_cast<std::size_t>(i)] = first + i;
    } else
      filesList_.assign(1, name);
    const int extracted = ExtractSelected();
    restore();
    return extracted;
  } catch (...) {
    restore();
    throw;
  }
}

int TZipReader::ExtractSelected() {
  TOperationScope scope(*this, opUnpack);
  const bool oldKeepZipOpen = keepZipOpen_;
  keepZipOpen_ = true;
  // A multi-part set is read in physical order so that parts are not swapped back and forth.
  const bool physicalOrder = multiDiskMode_ != TZipMultiDiskMode::mdNone && sortMode_ != TZipSortMode::ByNone;
  TUnpackSession session(*this);
  auto finish = [&] {
    filesList_.clear();
    if (physicalOrder) SortEntries(sortMode_);
    try {
      if (OnUnZipComplete) OnUnZipComplete(this, session.Succeeded());
    } catch (...) {
      keepZipOpen_ = oldKeepZipOpen;
      throw;
    }
    keepZipOpen_ = oldKeepZipOpen;
  };
  try {
    if (!destDir_.empty() && !platform_.DirectoryExists(destDir_)) std::filesystem::create_directories(destDir_);
    if (physicalOrder) {
      // Entries asked for by index are found again in physical order.
      std::vector<const TZipHeaderInfo*> wanted;
      for (const int i : wantedIndices_) wanted.push_back(view_->Get(i));
      SortEntries(TZipSortMode::ByNone);
      wantedIndices_.clear();
      for (const TZipHeaderInfo* entry : wanted) {
        int at = primary_->IndexOfLocation(entry->EffectiveDiskStart(), entry->EffectiveLocalHeaderOffset());
        if (at < 0 || primary_->Get(at) != entry) at = primary_->IndexOfItem(entry);
        wantedIndices_.push_back(at);
      }
      std::sort(wantedIndices_.begin(), wantedIndices_.end());
    }
    totalSize_ = totalDone_ = 0;
    const int selected = session.Select();
    bool stopNow = false;
    if (OnStartUnZipInfo) OnStartUnZipInfo(this, selected, totalSize_, stopNow);
    if (!stopNow && selected > 0) {
      for (const int i : session.Selection()) {
        while (session.DecodeEntry(i)) {
        }
      }
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return session.Succeeded();
}

bool TZipReader::MatchPattern(const std::string& pattern, const std::string& name) const {
  return MatchWildcard(platform_.AnsiLowerCase(pattern), platform_.AnsiLowerCase(name));
}

void TZipReader::SetDestDir(const std::string& dir) {
  destDir_ = dir;
  if (destDir_ == "?") {
    // Choosing a folder interactively belongs to extraction onto disk, which
    // this reader never performs; the answer is the same as a cancel.
    destDir_.clear();
    throw EUserCanceled("User canceled Set Desination Directory");
  }
  if (!destDir_.empty() && destDir_.back() == '\\') destDir_.pop_back();
}

void TZipReader::SetRootDir(const std::string& dir) {
  rootDir_ = dir;
  if (!rootDir_.empty() && rootDir_.back() != '\\') rootDir_ += '\\';
  relativePathList_.assign(1, rootDir_);
}

int TUnpackSession::Select() {
  for (TZipHeaderInfo* entry : r_.markedForExtract_) entry->MatchedForExtract = false;
  r_.markedForExtract_.clear();
  selection_.clear();
  const int count = r_.EntryCount();
  std::uint32_t walked = 0;
  if (!r_.wantedIndices_.empty()) {
    r_.YieldPerBlock(walked);
    selection_ = r_.wantedIndices_;
  } else {
    std::vector<std::string> folded;
    for (const auto& p : r_.filesList_) folded.push_back(r_.platform_.AnsiLowerCase(p));
    const bool plainNames = !r_.doAll_ && std::none_of(folded.begin(), folded.end(), [](const std::string& p) {
      return p.find_first_of("?*<") != std::string::npos;
    });
    if (plainNames) {
      // Plain names are found through the index, in the order a walk finds them.
      r_.YieldPerBlock(walked);
      for (const auto& name : folded) r_.NameIndex().AppendFolded(name, selection_);
      if (folded.size() > 1) {
        std::sort(selection_.begin(), selection_.end());
        selection_.erase(std::unique(selection_.begin(), selection_.end()), selection_.end());
      }
    } else {
      std::vector<TWildcardPattern> patterns;
      for (const auto& p : folded) patterns.emplace_back(p);
      for (int i = 0; i < count; ++i) {
        r_.YieldPerBlock(walked);
        const TZipHeaderInfo& entry = *r_.view_->Get(i);
        if (r_.doAll_ ||
            std::any_of(patterns.begin(), patterns.end(), [&, name = std::string()](const TWildcardPattern& pattern) mutable {
              if (!pattern.CouldMatchLength(entry.Directory.size() + entry.FileName.size())) return false;
              if (name.empty()) name = r_.platform_.AnsiLowerCase(entry.FullName());
              return pattern.Matches(name);
            }))
          selection_.push_back(i);
      }
    }
  }
  // Folders come out only when folders are being made.
  if (!r_.recreateDirs_)
    selection_.erase(std::remove_if(selection_.begin(), selection_.end(),
                                    [&](int i) { return r_.view_->Get(i)->FileName.empty(); }),
                     selection_.end());
  for (const int i : selection_) {
    TZipHeaderInfo& entry = *r_.view_->Get(i);
    entry.MatchedForExtract = true;
    r_.markedForExtract_.push_back(&entry);
    r_.totalSize_ += static_cast<std::int64_t>(entry.EffectiveUncompressedSize());
  }
  selected_ = static_cast<int>(selection_.size());
  return selected_;
}

std::size_t TUnpackSession::ReadExactly(void* buffer, std::size_t count) {
  const std::size_t got = r_.ReadArchive(buffer, count, true);
  if (got < count) throw EFatalUnzipError(ZipMessages::PrematureEnd);
  return got;
}

std::uint8_t* TUnpackSession::InputBuffer(std::int64_t remaining) {
  const auto needed = static_cast<std::size_t>(
      std::clamp<std::int64_t>(remaining, 1, static_cast<std::int64_t>(TEntryInput::BlockSize)));
  if (needed > inputSize_) {
    input_.reset(new std::uint8_t[needed]);
    inputSize_ = needed;
  }
  return input_.get();
}

bool TUnpackSession::AskForNewPassword(int index) {
  if (!r_.OnBadPassword) return false;
  std::string newPassword = r_.password_;
  r_.OnBadPassword(&r_, index, newPassword);
  if (newPassword == r_.password_) return false;
  r_.password_ = newPassword;
  return true;
}

bool TUnpackSession::EstablishTraditionalKey(const TZipHeaderInfo& entry, int index, std::uint64_t dataStart,
                                             TEntryDecryption& decryption) {
  // With a data descriptor the CRC was not known when the header was written,
  // so the writer checks against the modification time instead.
  const auto check =
      static_cast<std::uint8_t>(entry.HasDataDescriptor() ? entry.ModifDateTime >> 8 : entry.CRC32 >> 24);
  for (;;) {
    if (!r_.password_.empty()) {
      r_.archive_->Seek(static_cast<std::int64_t>(dataStart), TSeekOrigin::soBeginning);
      std::uint8_t header[vell::crypto::TraditionalCipher::kHeaderSize];
      ReadExactly(header, sizeof header);
      auto cipher = std::make_unique<vell::crypto::TraditionalCipher>(r_.password_);
      cipher->Decrypt(header, sizeof header);
      if (header[sizeof header - 1] == check) {
        decryption.traditional = std::move(cipher);
        return true;
      }
    }
    if (!AskForNewPassword(index)) return false;
  }
}

bool TUnpackSession::EstablishAesKey(const TZipHeaderInfo& entry, int index, std::uint64_t dataStart,
                                     TEntryDecryption& decryption) {
  using vell::crypto::WinZipAesDecryptor;
  const std::size_t saltLength = WinZipAesDecryptor::SaltLength(entry.AesStrength);
  for (;;) {
    if (!r_.password_.empty() && saltLength) {
      r_.archive_->Seek(static_cast<std::int64_t>(dataStart), TSeekOrigin::soBeginning);
      std::uint8_t header[16 + WinZipAesDecryptor::kVerifierSize];
      ReadExactly(header, saltLength + WinZipAesDecryptor::kVerifierSize);
      auto aes = WinZipAesDecryptor::Open(r_.password_, entry.AesStrength, {header, saltLength},
                                          {header + saltLength, WinZipAesDecryptor::kVerifierSize});
      if (aes) {
        decryption.aes = std::move(aes);
        return true;
      }
    }
    if (!AskForNewPassword(index)) return false;
  }
}

bool TUnpackSession::DecodeEntry(int index) {
  using vell::crypto::WinZipAesDecryptor;
  r_.workEntry_ = *r_.view_->Get(index);
  TZipHeaderInfo& entry = r_.workEntry_;

  std::uint64_t dataStart = entry.EffectiveLocalHeaderOffset() + ZipRecordSizes::LocalHeader;
  if (!entry.FileName.empty()) {
    if (MultiPart() && entry.EffectiveDiskStart() != static_cast<std::uint32_t>(r_.currentDisk_))
      r_.SwitchToPart(static_cast<int>(entry.EffectiveDiskStart()) + 1);
    r_.archive_->Seek(static_cast<std::int64_t>(entry.EffectiveLocalHeaderOffset()), TSeekOrigin::soBeginning);
    // One entry alone needs no read-ahead past its end; a pass over many
    // finds the next ones in it.
    if (selection_.size() == 1) r_.archive_->LimitNextFill(ExpectedEntrySpan(entry));
    std::uint8_t local[ZipRecordSizes::LocalHeader];
    ReadExactly(local, sizeof local);
    r_.archive_->LimitNextFill(0);  // the header came from read-ahead already there
    entry.LocalExtraFieldLength = GetU16(local + 28);
    dataStart += GetU16(local + 26) + entry.LocalExtraFieldLength;
  }

  std::string noName;
  bool skip = false;
  if (r_.OnStartUnZip) r_.OnStartUnZip(&r_, index, noName, skip);
  if (skip) return false;

  const bool encrypted = entry.IsEncrypted();
  const bool aesEntry = encrypted && entry.AesStrength != 0;
  TEntryDecryption decryption;
  std::int64_t remaining = static_cast<std::int64_t>(entry.EffectiveCompressedSize());
  std::uint64_t headerSize = 0;
  if (encrypted) {
    const bool established = aesEntry ? EstablishAesKey(entry, index, dataStart, decryption)
                                      : EstablishTraditionalKey(entry, index, dataStart, decryption);
    if (!established) {
      bool retry = false;
      if (r_.OnSkippingFile) r_.OnSkippingFile(&r_, TSkipReason::srBadPassword, entry.FullName(), index, retry);
      r_.totalSize_ -= static_cast<std::int64_t>(entry.EffectiveCompressedSize());
      --selected_;
      return false;
    }
    if (aesEntry) {
      headerSize = WinZipAesDecryptor::SaltLength(entry.AesStrength) + WinZipAesDecryptor::kVerifierSize;
      remaining -= static_cast<std::int64_t>(headerSize + WinZipAesDecryptor::kAuthCodeSize);
    } else {
      headerSize = vell::crypto::TraditionalCipher::kHeaderSize;
      remaining -= static_cast<std::int64_t>(headerSize);
    }
    remaining = std::max<std::int64_t>(remaining, 0);
  }

  const std::uint16_t method = entry.EffectiveCompressionMethod();
  const std::uint64_t uncompressed = entry.EffectiveUncompressedSize();
  TStream& target = *r_.targetStream_;
  std::uint64_t present = static_cast<std::uint64_t>(remaining);
  if (!MultiPart()) {
    if (archiveSize_ < 0) archiveSize_ = r_.archive_->Size();  // once per pass: the file is held open
    const std::int64_t archiveSize = archiveSize_;
    const std::int64_t afterHeader = archiveSize - static_cast<std::int64_t>(dataStart + headerSize);
    present = std::min<std::uint64_t>(present, static_cast<std::uint64_t>(std::max<std::int64_t>(afterHeader, 0)));
  }
  if (target.Size() == 0) {
    const std::uint64_t upFront = UpFrontSize(method, uncompressed, present);
    try {
      if (upFront) target.SetSize(static_cast<std::int64_t>(upFront));
    } catch (const std::bad_alloc&) {
      // Only a reservation: without it the stream grows as bytes arrive, and
      // an entry that really is too large for memory fails when it gets there.
      target.SetSize(0);
    }
  }
  target.SetPosition(0);
  r_.archive_->Seek(static_cast<std::int64_t>(dataStart + headerSize), TSeekOrigin::soBeginning);

  TEntryInput input(r_, InputBuffer(remaining), remaining, decryption);
  TEntryOutput output(r_, target, uncompressed);
  bool acceptedWithoutCheck = false;
  try {
    Decode(method, entry, input, output);
  } catch (const EBiggerThanUncompressed&) {
    // Decoding stops at the announced size; the checks below judge the entry.
  } catch (const ECanceledUnzipToBuffer&) {
    acceptedWithoutCheck = true;
  }

  bool authentic = true;
  if (decryption.aes) {
    input.Drain();
    std::uint8_t stored[WinZipAesDecryptor::kAuthCodeSize];
    ReadExactly(stored, sizeof stored);
    const auto computed = decryption.aes->AuthenticationCode();
    authentic = std::equal(computed.begin(), computed.end(), stored);
  }
  const std::uint32_t crc = output.Crc();
  // AE-2 entries carry no CRC (stored as 0): the authentication code alone
  // vouches for them. Any other entry must match its CRC; a stored CRC of 0 is
  // no licence to skip the check.
  const bool crcOk = crc == entry.CRC32 || (decryption.aes && entry.CRC32 == 0);
  if (acceptedWithoutCheck || (authentic && crcOk)) {
    if (r_.OnEndUnZip) r_.OnEndUnZip(&r_, index, std::string());
    ++succeeded_;
    return false;
  }
  if (encrypted && AskForNewPassword(index)) return true;
  ReportFailure(entry, index, encrypted, crc);
  --selected_;
  return false;
}

void TUnpackSession::Decode(std::uint16_t method, const TZipHeaderInfo& entry, TEntryInput& input,
                            TEntryOutput& output) {
  const std::uint64_t size = entry.EffectiveUncompressedSize();
  if (entry.EffectiveCompressedSize() == 0 && size == 0) return;  // nothing stored, nothing to decode
  switch (method) {
    case mStored:
      for (auto block = input.NextBlock(); !block.empty(); block = input.NextBlock())
        output.Put(block.data(), block.size());
      return;
    case mDeflated:
      try {
        // Made on the first deflated entry: a stored one never needs it.
        if (!output_) output_.reset(new std::uint8_t[kInflateAreaSize]);
        vell::codec::InflateRaw(input, output, {output_.get(), kInflateAreaSize}, TEntryInput::BlockSize);
      } catch (const vell::codec::InflateError&) {
        throw EZCompressionError(kInflateErrorText);
      }
      return;
    case mShrunk:
      vell::codec::Unshrink(input, output);
      return;
    case mImploded:
      vell::codec::Explode(input, output, entry.Flag, size);
      return;
    default:
      if (method >= mReducedFirst && method <= mReducedLast) {
        vell::codec::Unreduce(input, output, method - mReducedFirst + 1, size);
        return;
      }
      r_.ShowZipMessage(kUnknownMethodMessageId, kUnknownMethodText, kUnknownMethodCaption, MessageBoxFlags::Ok);
      return;
  }
}

void TUnpackSession::ReportFailure(const TZipHeaderInfo& entry, int index, bool encrypted, std::uint32_t crc) {
  if (encrypted) {
    bool retry = false;
    if (r_.OnSkippingFile) r_.OnSkippingFile(&r_, TSkipReason::srBadPassword, entry.FullName(), index, retry);
  } else if (r_.OnBadCRC) {
    r_.OnBadCRC(&r_, crc, entry.CRC32, index);
  }
}
